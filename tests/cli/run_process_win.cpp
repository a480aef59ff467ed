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

}  // namespace

ProcessResult RunQuilletList(const std::vector<NativeString>& arguments) {
  NativeString commandLine = Quote(ToolPath());
  for (const auto& argument : arguments) commandLine += L" " + Quote(argument);
  testing_support::TempTree scratch;
  const NativeString outPath = scratch.Path("stdout.txt");
  const NativeString errPath = scratch.Path("stderr.txt");
  HANDLE out = TempFile(outPath);
  HANDLE err = TempFile(errPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = INVALID_HANDLE_VALUE;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process))
    throw std::runtime_error("CreateProcess failed: " + std::to_string(GetLastError()));
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(out);
  CloseHandle(err);
  ProcessResult result;
  result.exitCode = static_cast<int>(code);
  result.out = testing_support::ReadBytes(outPath);
  result.err = testing_support::ReadBytes(errPath);
  return result;
}

ProcessResult RunQuilletListOnTerminal(const std::vector<NativeString>&) {
  throw std::logic_error("no terminal under this platform's tests");
}
