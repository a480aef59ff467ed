#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "temp_tree.h"

namespace testing_support {

namespace {
[[noreturn]] void Fail(const std::string& what, const NativeString& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}
}  // namespace

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

NativeString TempFolder() { return std::filesystem::temp_directory_path().string(); }

void MakeFolder(const NativeString& path) {
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) Fail("mkdir", path);
}

void WriteFileBytes(const NativeString& path, std::string_view bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) Fail("open", path);
  if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    Fail("write", path);
  close(fd);
}

void TempTree::SizedFile(std::string_view relative, long long size) const {
  const NativeString path = Path(relative);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0 || ftruncate(fd, size) != 0) Fail("ftruncate", path);
  close(fd);
}

void TempTree::SetModified(std::string_view relative, long long secondsSince1970) const {
  const NativeString path = Path(relative);
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(secondsSince1970);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) Fail("utimensat", path);
}

void RemoveTree(const NativeString& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
}

std::string ReadBytes(const NativeString& path) {
  std::string bytes;
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) Fail("open", path);
  char buffer[65536];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
  close(fd);
  return bytes;
}

}  // namespace testing_support
