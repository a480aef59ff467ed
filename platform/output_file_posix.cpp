#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "output_file.h"
#include "system_error.h"

namespace platform {

namespace {

// Descriptors are kept off by one in the handle, so that descriptor 0 is not a null pointer.
void* FromFd(int fd) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(fd) + 1); }
int ToFd(void* handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1); }

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A socket named as the output, which open() refuses (ENXIO): one of the process's own
// standard descriptors seen through /dev/stdout or /dev/fd/N (standard output under sshd is a
// socket), or else a listening socket on the file system. Returns -1 with errno set.
int OpenSocket(const NativeString& path) {
  struct stat named {};
  if (stat(path.c_str(), &named) != 0 || !S_ISSOCK(named.st_mode)) {
    errno = ENXIO;
    return -1;
  }
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    struct stat own {};
    if (fstat(fd, &own) == 0 && SameFile(own, named)) return fcntl(fd, F_DUPFD_CLOEXEC, 0);
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

void OutputFile::Closer::operator()(void* handle) const {
  if (owned) close(ToFd(handle));
}

OutputFile::OutputFile(int fd, NativeString name)
    : name_(std::move(name)), handle_(FromFd(fd), Closer{fd != STDOUT_FILENO}) {
  struct stat status {};
  if (fstat(fd, &status) != 0) ThrowSystemError(errno, name_);
  stream_ = !S_ISREG(status.st_mode);
  if (stream_) return;
  // Appended bytes go to the end whatever the position says.
  const int flags = fcntl(fd, F_GETFL);
  const off_t position = lseek(fd, 0, SEEK_CUR);
  if (flags < 0 || position < 0) ThrowSystemError(errno, name_);
  start_ = static_cast<std::uint64_t>((flags & O_APPEND) != 0 ? status.st_size : position);
}

OutputFile::OutputFile(const NativeString& path) : name_(path), handle_(nullptr, Closer{true}) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0 && errno == ENXIO) fd = OpenSocket(path);
  if (fd < 0) ThrowSystemError(errno, path);
  handle_.reset(FromFd(fd));
  struct stat status {};
  if (fstat(fd, &status) != 0) ThrowSystemError(errno, path);
  // A FIFO, a device or a socket takes bytes as they come: it has nothing to empty or cut
  // back (ftruncate fails on it), and locking it would keep out nobody.
  stream_ = !S_ISREG(status.st_mode);
  if (stream_) return;
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
      // A signal that stops the run may arrive while a pipe's reader lags: the bytes still go.
      if (errno == EINTR) continue;
      ThrowSystemError(errno, name_);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void OutputFile::CutTo(std::uint64_t size) {
  if (stream_) return;
  const int fd = ToFd(handle_.get());
  const auto end = static_cast<off_t>(start_ + size);
  if (ftruncate(fd, end) != 0 || lseek(fd, end, SEEK_SET) < 0) ThrowSystemError(errno, name_);
}

}  // namespace platform
