#include <windows.h>

#include "output_file.h"
#include "system_error.h"

namespace platform {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

OutputFile::OutputFile(const NativeString& path) : path_(path) {
  // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the current end of file.
  handle_ = CreateFileW(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, kShareAll, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) ThrowSystemError(static_cast<long>(GetLastError()), path);
}

OutputFile::~OutputFile() { CloseHandle(handle_); }

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
      ThrowSystemError(static_cast<long>(GetLastError()), path_);
    bytes.remove_prefix(written);
  }
}

void EmptyFile(const NativeString& path) {
  // OPEN_ALWAYS and then cutting to zero keeps a hidden or system file's attributes, where
  // CREATE_ALWAYS would refuse such a file.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) ThrowSystemError(static_cast<long>(GetLastError()), path);
  const BOOL truncated = SetEndOfFile(file);
  const DWORD error = GetLastError();
  CloseHandle(file);
  if (!truncated) ThrowSystemError(static_cast<long>(error), path);
}

}  // namespace platform
