#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "run_process.h"
#include "support/temp_tree.h"

namespace {

std::vector<char*> Argv(std::vector<std::string>& storage) {
  std::vector<char*> argv;
  for (auto& item : storage) argv.push_back(item.data());
  argv.push_back(nullptr);
  return argv;
}

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  return text;
}

}  // namespace

int StartQuilletList(const std::vector<NativeString>& arguments, int out, int err) {
  std::vector<std::string> storage{QUILLET_LIST_PATH};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  auto argv = Argv(storage);
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

int WaitForExit(int pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

ProcessResult RunQuilletList(const std::vector<NativeString>& arguments) {
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  ProcessResult result;
  result.exitCode = WaitForExit(StartQuilletList(arguments, fileno(out), fileno(err)));
  std::rewind(out);
  std::rewind(err);
  result.out = ReadAll(fileno(out));
  result.err = ReadAll(fileno(err));
  std::fclose(out);
  std::fclose(err);
  return result;
}

ProcessResult RunQuilletListOnTerminal(const std::vector<NativeString>& arguments) {
  std::vector<std::string> storage{QUILLET_LIST_PATH};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child < 0) throw std::runtime_error("forkpty failed");
  if (child == 0) {
    auto argv = Argv(storage);
    execv(argv[0], argv.data());
    _exit(127);
  }
  ProcessResult result;
  // Reading ends with EIO once the child has closed the terminal.
  result.err = ReadAll(terminal);
  result.exitCode = WaitForExit(child);
  close(terminal);
  return result;
}
