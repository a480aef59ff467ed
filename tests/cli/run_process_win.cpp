#include <windows.h>

#include <stdexcept>

#include "run_process.h"
#include "support/temp_tree.h"

namespace {

// The Windows form of the tool's path: the build passes the host's path, which Wine shows
// under drive Z:.
NativeString ToolPath() {
  NativeString path = platform::FromUtf8(QUILLET_LIST_PATH);
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  if (path.size() > 1 && path[0] == L'\\') path = L"Z:" + path;
  return path;
}

NativeString Quote(const NativeString& argument) {
  NativeString quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"')
      quoted.append(backslashes * 2 + 1, L'\\');
    else
      quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

HANDLE TempFile(const NativeString& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

// Starts the tool with its standard output and error on `out` and `err` (inheritable).
HANDLE Start(const std::vector<NativeString>& arguments, HANDLE out, HANDLE err, DWORD flags) {
  NativeString commandLine = Quote(ToolPath());
  for (const auto& argument : arguments) commandLine += L" " + Quote(argument);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = INVALID_HANDLE_VALUE;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                      &startup, &process))
    throw std::runtime_error("CreateProcess failed: " + std::to_string(GetLastError()));
  CloseHandle(process.hThread);
  return process.hProcess;
}

}  // namespace

int WaitForExit(void* process) {
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return static_cast<int>(code);
}

void* StartQuilletListOnConsole(const std::vector<NativeString>& arguments, void* err) {
  return Start(arguments, err, err, 0);
}

ProcessResult RunQuilletList(const std::vector<NativeString>& arguments) {
  testing_support::TempTree scratch;
  const NativeString outPath = scratch.Path("stdout.txt");
  const NativeString errPath = scratch.Path("stderr.txt");
  HANDLE out = TempFile(outPath);
  HANDLE err = TempFile(errPath);
  ProcessResult result;
  result.exitCode = WaitForExit(Start(arguments, out, err, CREATE_NO_WINDOW));
  CloseHandle(out);
  CloseHandle(err);
  result.out = testing_support::ReadBytes(outPath);
  result.err = testing_support::ReadBytes(errPath);
  return result;
}

ProcessResult RunQuilletListOnTerminal(const std::vector<NativeString>&) {
  throw std::logic_error("no terminal under this platform's tests");
}
