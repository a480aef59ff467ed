#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "output_file.h"
#include "system_error.h"

namespace platform {

OutputFile::OutputFile(const NativeString& path) : path_(path) {
  fd_ = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) ThrowSystemError(errno, path);
}

OutputFile::~OutputFile() { close(fd_); }

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError(errno, path_);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void EmptyFile(const NativeString& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) ThrowSystemError(errno, path);
  if (close(fd) != 0) ThrowSystemError(errno, path);
}

}  // namespace platform
