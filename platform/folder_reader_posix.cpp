#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
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
             std::size_t length, const FileFacts& facts, bool descend, std::uint64_t inode) {
  FolderItem item;
  item.nameOffset = static_cast<std::uint32_t>(out.names.size());
  item.nameLength = static_cast<std::uint32_t>(length);
  item.facts = facts;
  item.descend = descend;
  item.fileId = inode;
  item.fileIdKnown = inode != 0;
  out.names.append(name, length);
  list.push_back(item);
}

FileFacts FactsOf(const struct stat& info) {
  return FileFacts{static_cast<std::int64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtime)};
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// Sorts a folder's folders and its files. Names that are all ASCII, as nearly all are, are
// ordered by their upper-cased bytes and then by their own, which is NameOrderLess's order
// for them; comparing copies upper-cased once with memcmp takes a fraction of the time of
// comparing unit by unit, which shows in folders of hundreds of entries.
void SortByName(FolderContents& contents) {
  constexpr std::size_t kFewEntries = 16;
  if (contents.folders.size() + contents.files.size() < kFewEntries || !IsAscii(contents.names)) {
    for (std::vector<FolderItem>* items : {&contents.folders, &contents.files}) {
      std::sort(items->begin(), items->end(),
                [&contents](const FolderItem& a, const FolderItem& b) {
                  return NameOrderLess(contents.Name(a), contents.Name(b));
                });
    }
    return;
  }
  std::string upper = contents.names;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  const std::string_view keys(upper), names(contents.names);
  const auto less = [keys, names](const FolderItem& a, const FolderItem& b) {
    const int byUpper =
        keys.substr(a.nameOffset, a.nameLength).compare(keys.substr(b.nameOffset, b.nameLength));
    if (byUpper != 0) return byUpper < 0;
    return names.substr(a.nameOffset, a.nameLength) < names.substr(b.nameOffset, b.nameLength);
  };
  std::sort(contents.folders.begin(), contents.folders.end(), less);
  std::sort(contents.files.begin(), contents.files.end(), less);
}

// Whether a folder's file system fills every getdents64 call as far as the buffer allows,
// which these do (FUSE, for one, returns a page at a time). Unknown when statfs fails: the
// reader then makes the call that finds the end, as for any other file system.
bool FillsReads(int fd) {
#ifdef __linux__
  struct statfs info;
  if (fstatfs(fd, &info) != 0) return false;
  switch (static_cast<unsigned long>(info.f_type)) {
    case EXT4_SUPER_MAGIC:  // ext2, ext3 and ext4
    case TMPFS_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
      return true;
    default:
      return false;
  }
#else
  (void)fd;
  return false;
#endif
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

OpenFolder::OpenFolder(const OpenFolder& parent, const FolderItem& item, NativeStringView name,
                       const NativeString& fullPath)
    : path_(fullPath),
      listedInode_(item.fileIdKnown ? item.fileId : 0),
      parentIdentity_(parent.identity_),
      parentFillsReads_(parent.fillsReads_) {
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
      read_(std::exchange(other.read_, false)),
      listedInode_(other.listedInode_),
      parentIdentity_(other.parentIdentity_),
      parentFillsReads_(other.parentFillsReads_),
      identity_(other.identity_),
      fillsReads_(other.fillsReads_) {}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
    read_ = std::exchange(other.read_, false);
    listedInode_ = other.listedInode_;
    parentIdentity_ = other.parentIdentity_;
    parentFillsReads_ = other.parentFillsReads_;
    identity_ = other.identity_;
    fillsReads_ = other.fillsReads_;
  }
  return *this;
}

FolderIdentity OpenFolder::AskIdentity() const {
  struct stat self;
  if (fstat(fd_, &self) != 0) ThrowSystemError(errno, path_);
  const FolderIdentity asked = IdentityOf(self);
  // The file system is known when the device is the one its facts were taken for: the
  // folder's own from an earlier question, else its parent's. Only a new one is asked.
  const bool own = identity_.known;
  const FolderIdentity& known = own ? identity_ : parentIdentity_;
  if (known.known && known.volume == asked.volume) {
    if (!own) fillsReads_ = parentFillsReads_;
  } else {
    fillsReads_ = FillsReads(fd_);
  }
  identity_ = asked;
  return asked;
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
// getdents64, and one more to find the end where the file system may return less than fits;
// elsewhere through a directory stream on a second descriptor (closedir closes the descriptor
// it reads).
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

  // From here on, a call that left room for one more entry of the longest name read the last
  // entry: for a file system that fills every call as far as the buffer allows.
  void EndAtShortRead() { endAtShortRead_ = true; }

  // The next entry's name (NUL-terminated), type and inode, "." and ".." included; false at
  // the end.
  bool Next(const char*& name, unsigned char& type, std::uint64_t& inode) {
#ifdef __linux__
    if (at_ == end_) {
      if (shortRead_ && endAtShortRead_) return false;
      const ssize_t got = getdents64(fd_, buffer_, sizeof buffer_);
      if (got < 0) ThrowSystemError(errno, path_);
      if (got == 0) return false;
      at_ = 0;
      end_ = static_cast<std::size_t>(got);
      shortRead_ = sizeof buffer_ - end_ >= kLongestRecord;
    }
    // The records are packed one after the other; each says how long it is.
    const char* record = buffer_ + at_;
    unsigned short length = 0;
    std::memcpy(&length, record + offsetof(dirent64, d_reclen), sizeof length);
    std::memcpy(&inode, record + offsetof(dirent64, d_ino), sizeof inode);
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
    inode = static_cast<std::uint64_t>(entry->d_ino);
    return true;
#endif
  }

 private:
  int fd_;
  const NativeString& path_;
  bool endAtShortRead_ = false;
#ifdef __linux__
  // A record's header and a name of NAME_MAX bytes with its NUL, rounded up as the kernel
  // aligns records.
  static constexpr std::size_t kLongestRecord =
      (offsetof(dirent64, d_name) + NAME_MAX + 1 + 7) / 8 * 8;
  // A folder of several hundred entries in one call.
  alignas(8) char buffer_[kFolderReadBufferBytes];
  std::size_t at_ = 0;
  std::size_t end_ = 0;
  bool shortRead_ = false;
#else
  UniqueDir dir_;
#endif
};

}  // namespace

void OpenFolder::Read(const ReadRequest& request, FolderContents& out) const {
  out.Clear();
  // The entries are read from the descriptor's own position.
  if (read_ && lseek(fd_, 0, SEEK_SET) != 0) ThrowSystemError(errno, path_);
  read_ = true;
  FolderEntries entries(fd_, path_);
  auto fail = [this](int error, const char* name) { ThrowSystemError(error, path_ + '/' + name); };
  bool fromListing = false;
  const char* name = nullptr;
  unsigned char type = DT_UNKNOWN;
  std::uint64_t inode = 0;
  while (entries.Next(name, type, inode)) {
    if (IsDotOrDotDot(name)) {
      // The folder's own inode is the one its parent listed: it lies on the parent's file
      // system (a mount point's "." is the mounted root's). File systems list "." first, so
      // this is known before the first call's entries run out.
      if (name[1] == '\0' && listedInode_ != 0 && inode == listedInode_ && parentIdentity_.known) {
        identity_ = FolderIdentity{true, parentIdentity_.volume, inode, 0};
        fillsReads_ = parentFillsReads_;
        fromListing = true;
        if (fillsReads_) entries.EndAtShortRead();
      }
      continue;
    }
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
      AddItem(out, out.folders, name, length, facts, !link, inode);
      continue;
    }
    if (!request.files) continue;
    FileFacts facts;
    if (request.fileFacts) {
      if (!haveInfo && fstatat(fd_, name, &info, AT_SYMLINK_NOFOLLOW) != 0) fail(errno, name);
      facts = FactsOf(info);
    }
    AddItem(out, out.files, name, length, facts, false, inode);
  }
  if (!fromListing) AskIdentity();
  out.identity = identity_;
  out.identityFromListing = fromListing;
  SortByName(out);
}

}  // namespace platform
