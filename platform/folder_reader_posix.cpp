#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>

#include "folder_reader.h"
#include "name_order.h"
#include "system_error.h"

namespace platform {

namespace {

#ifndef __linux__
struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;
#endif

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

FolderIdentity IdentityOf(const struct stat& info) {
  return FolderIdentity{true, static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino), 0};
}

void AddItem(FolderContents& out, std::vector<FolderItem>& list, const char* name,
             std::size_t length, const FileFacts& facts, bool descend) {
  FolderItem item;
  item.nameOffset = static_cast<std::uint32_t>(out.names.size());
  item.nameLength = static_cast<std::uint32_t>(length);
  item.facts = facts;
  item.descend = descend;
  out.names.append(name, length);
  list.push_back(item);
}

FileFacts FactsOf(const struct stat& info) {
  return FileFacts{static_cast<std::int64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtime)};
}

void SortByName(const FolderContents& contents, std::vector<FolderItem>& items) {
  std::sort(items.begin(), items.end(), [&contents](const FolderItem& a, const FolderItem& b) {
    return NameOrderLess(contents.Name(a), contents.Name(b));
  });
}

// 0 when `path` names an existing folder, else the errno that says why not.
int FolderStatus(const NativeString& path) {
  if (path.empty()) return ENOENT;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return errno;
  return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

}  // namespace

bool FolderExists(const NativeString& path) { return FolderStatus(path) == 0; }

void RequireFolder(const NativeString& path) {
  if (const int status = FolderStatus(path)) ThrowSystemError(status, path);
}

bool IsAbsolutePath(const NativeString& path) { return !path.empty() && path.front() == '/'; }

NativeString FullPathKeepingTrailingSeparator(const NativeString& path) {
  std::filesystem::path full(path);
  if (!full.is_absolute()) {
    std::error_code error;
    full = std::filesystem::current_path(error) / full;
  }
  // lexically_normal leaves a separator where a final "." or ".." was; Windows does not.
  NativeString text = full.lexically_normal().string();
  const bool typedTrailing = !path.empty() && path.back() == '/';
  while (!typedTrailing && text.size() > 1 && text.back() == '/') text.pop_back();
  return text.empty() ? NativeString("/") : text;
}

NativeString FullFolderPath(const NativeString& path) {
  NativeString text = FullPathKeepingTrailingSeparator(path);
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

OpenFolder::OpenFolder(const NativeString& fullPath) : path_(fullPath) {
  fd_ = open(fullPath.c_str(), kFolderFlags);
  if (fd_ < 0) ThrowSystemError(errno, fullPath);
}

OpenFolder::OpenFolder(const OpenFolder& parent, const FolderItem&, NativeStringView name,
                       const NativeString& fullPath)
    : path_(fullPath) {
  // openat needs the name NUL-terminated; a name from a folder listing fits NAME_MAX.
  char terminated[NAME_MAX + 1];
  const bool fits = name.size() <= NAME_MAX;
  const NativeString copy = fits ? NativeString() : NativeString(name);
  if (fits) {
    std::memcpy(terminated, name.data(), name.size());
    terminated[name.size()] = '\0';
  }
  // O_NOFOLLOW: a folder swapped for a link since its parent was read is not followed.
  fd_ = openat(parent.fd_, fits ? terminated : copy.c_str(), kFolderFlags | O_NOFOLLOW);
  if (fd_ < 0) ThrowSystemError(errno, fullPath);
}

OpenFolder::~OpenFolder() {
  if (fd_ >= 0) close(fd_);
}

OpenFolder::OpenFolder(OpenFolder&& other) noexcept
    : path_(std::move(other.path_)),
      fd_(std::exchange(other.fd_, -1)),
      read_(std::exchange(other.read_, false)) {}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    read_ = std::exchange(other.read_, false);
  }
  return *this;
}

std::vector<FolderIdentity> OpenFolder::EnclosingIdentities() const {
  std::vector<FolderIdentity> identities;
  struct stat info;
  if (fstat(fd_, &info) != 0) return identities;
  FolderIdentity current = IdentityOf(info);
  int fd = fd_;
  for (;;) {
    const int parent = openat(fd, "..", kFolderFlags);
    if (fd != fd_) close(fd);
    fd = parent;
    if (fd < 0 || fstat(fd, &info) != 0) break;
    const FolderIdentity up = IdentityOf(info);
    if (up == current) break;  // the root is its own parent
    identities.push_back(up);
    current = up;
  }
  if (fd >= 0 && fd != fd_) close(fd);
  return identities;
}

namespace {

// One folder's entries, read from the descriptor the folder is open on: on Linux straight
// from getdents64 into a buffer that holds a small folder whole, so that a folder costs one
// getdents64 that fills and one that finds the end; elsewhere through a directory stream on a
// second descriptor (closedir closes the descriptor it reads).
class FolderEntries {
 public:
  FolderEntries(int fd, const NativeString& path) : fd_(fd), path_(path) {
#ifndef __linux__
    const int streamFd = openat(fd, ".", kFolderFlags);
    if (streamFd < 0) ThrowSystemError(errno, path);
    dir_.reset(fdopendir(streamFd));
    if (!dir_) {
      const int error = errno;
      close(streamFd);
      ThrowSystemError(error, path);
    }
#endif
  }

  // The next entry's name (NUL-terminated) and type, "." and ".." included; false at the end.
  bool Next(const char*& name, unsigned char& type) {
#ifdef __linux__
    if (at_ == end_) {
      const ssize_t got = getdents64(fd_, buffer_, sizeof buffer_);
      if (got < 0) ThrowSystemError(errno, path_);
      if (got == 0) return false;
      at_ = 0;
      end_ = static_cast<std::size_t>(got);
    }
    // The records are packed one after the other; each says how long it is.
    const char* record = buffer_ + at_;
    unsigned short length = 0;
    std::memcpy(&length, record + offsetof(dirent64, d_reclen), sizeof length);
    type = static_cast<unsigned char>(record[offsetof(dirent64, d_type)]);
    name = record + offsetof(dirent64, d_name);
    at_ += length;
    return true;
#else
    errno = 0;
    const dirent* entry = readdir(dir_.get());
    if (entry == nullptr) {
      if (errno != 0) ThrowSystemError(errno, path_);
      return false;
    }
    name = entry->d_name;
    type = entry->d_type;
    return true;
#endif
  }

 private:
  int fd_;
  const NativeString& path_;
#ifdef __linux__
  // A folder of several hundred entries in one call.
  alignas(8) char buffer_[kFolderReadBufferBytes];
  std::size_t at_ = 0;
  std::size_t end_ = 0;
#else
  UniqueDir dir_;
#endif
};

}  // namespace

void OpenFolder::Read(const ReadRequest& request, FolderContents& out) const {
  out.Clear();
  struct stat self;
  if (fstat(fd_, &self) != 0) ThrowSystemError(errno, path_);
  out.identity = IdentityOf(self);
  // The entries are read from the descriptor's own position.
  if (read_ && lseek(fd_, 0, SEEK_SET) != 0) ThrowSystemError(errno, path_);
  read_ = true;
  FolderEntries entries(fd_, path_);
  auto fail = [this](int error, const char* name) { ThrowSystemError(error, path_ + '/' + name); };
  const char* name = nullptr;
  unsigned char type = DT_UNKNOWN;
  while (entries.Next(name, type)) {
    if (IsDotOrDotDot(name)) continue;
    struct stat info;
    bool haveInfo = false;
    if (type == DT_UNKNOWN) {
      if (fstatat(fd_, name, &info, AT_SYMLINK_NOFOLLOW) != 0) fail(errno, name);
      haveInfo = true;
      type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
    }
    // A link is what it points to, as Windows shows it: a link to a folder is a folder that
    // is listed and not entered, a link to a file is a file with the target's size and date.
    // A dangling link is a file with the link's own facts.
    bool link = false;
    if (type == DT_LNK) {
      link = true;
      if (fstatat(fd_, name, &info, 0) == 0) {
        type = S_ISDIR(info.st_mode) ? DT_DIR : DT_REG;
      } else if (fstatat(fd_, name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        type = DT_REG;
      } else {
        fail(errno, name);
      }
      haveInfo = true;
    }
    const std::size_t length = std::char_traits<char>::length(name);
    if (type == DT_DIR) {
      if (!request.folders) continue;
      FileFacts facts;
      if (request.folderFacts) {
        if (!haveInfo && fstatat(fd_, name, &info, 0) != 0) fail(errno, name);
        facts.modified = FactsOf(info).modified;
      }
      AddItem(out, out.folders, name, length, facts, !link);
      continue;
    }
    if (!request.files) continue;
    FileFacts facts;
    if (request.fileFacts) {
      if (!haveInfo && fstatat(fd_, name, &info, AT_SYMLINK_NOFOLLOW) != 0) fail(errno, name);
      facts = FactsOf(info);
    }
    AddItem(out, out.files, name, length, facts, false);
  }
  SortByName(out, out.folders);
  SortByName(out, out.files);
}

}  // namespace platform
