#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "output_file.h"
#include "system_error.h"

namespace platform {

namespace {

// Descriptors are kept off by one in the handle, so that descriptor 0 is not a null pointer.
void* FromFd(int fd) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(fd) + 1); }
int ToFd(void* handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1); }

}  // namespace

void OutputFile::Closer::operator()(void* handle) const {
  if (owned) close(ToFd(handle));
}

OutputFile::OutputFile(int fd, NativeString name)
    : name_(std::move(name)), handle_(FromFd(fd), Closer{fd != STDOUT_FILENO}) {}

OutputFile::OutputFile(const NativeString& path) : name_(path), handle_(nullptr, Closer{true}) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) ThrowSystemError(errno, path);
  handle_.reset(FromFd(fd));
  // The lock comes before the file is emptied, so that a second run on it fails with the first
  // run's lines intact.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      throw SystemError(errno, "The file is being written by another run (" + path + ")");
    ThrowSystemError(errno, path);
  }
  if (ftruncate(fd, 0) != 0) ThrowSystemError(errno, path);
}

OutputFile OutputFile::StandardOutput() { return OutputFile(STDOUT_FILENO, "standard output"); }

void OutputFile::Write(std::string_view bytes) {
  const int fd = ToFd(handle_.get());
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError(errno, name_);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void OutputFile::CutTo(std::uint64_t size) {
  if (!handle_.get_deleter().owned) return;
  const int fd = ToFd(handle_.get());
  if (ftruncate(fd, static_cast<off_t>(size)) != 0 ||
      lseek(fd, static_cast<off_t>(size), SEEK_SET) < 0)
    ThrowSystemError(errno, name_);
}

}  // namespace platform
