#include <windows.h>

#include "long_path_win.h"
#include "output_file.h"
#include "system_error.h"

namespace platform {

void OutputFile::Closer::operator()(void* handle) const {
  if (owned) CloseHandle(handle);
}

OutputFile::OutputFile(void* handle, NativeString name)
    : name_(std::move(name)), handle_(handle, Closer{false}) {}

OutputFile::OutputFile(const NativeString& path) : name_(path), handle_(nullptr, Closer{true}) {
  // OPEN_ALWAYS and then cutting to zero keeps a hidden or system file's attributes, where
  // CREATE_ALWAYS would refuse such a file. Without write sharing a second run on the file
  // fails here, before anything is cut.
  const HANDLE file =
      CreateFileW(LongPathForm(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) ThrowSystemError(static_cast<long>(GetLastError()), path);
  handle_.reset(file);
  if (!SetEndOfFile(file)) ThrowSystemError(static_cast<long>(GetLastError()), path);
}

OutputFile OutputFile::StandardOutput() {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == INVALID_HANDLE_VALUE || output == nullptr)
    ThrowSystemError(static_cast<long>(ERROR_INVALID_HANDLE), L"standard output");
  return OutputFile(output, L"standard output");
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    if (!WriteFile(handle_.get(), bytes.data(), chunk, &written, nullptr))
      ThrowSystemError(static_cast<long>(GetLastError()), name_);
    bytes.remove_prefix(written);
  }
}

void OutputFile::CutTo(std::uint64_t size) {
  if (!handle_.get_deleter().owned) return;
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(handle_.get(), position, nullptr, FILE_BEGIN) ||
      !SetEndOfFile(handle_.get()))
    ThrowSystemError(static_cast<long>(GetLastError()), name_);
}

}  // namespace platform
