#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>

#include "folder_reader.h"
#include "system_error.h"

namespace platform {

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::int64_t Seconds(const struct stat& info) { return static_cast<std::int64_t>(info.st_mtime); }

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

}  // namespace

bool FolderExists(const NativeString& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsAbsolutePath(const NativeString& path) { return !path.empty() && path.front() == '/'; }

NativeString FullPathKeepingTrailingSeparator(const NativeString& path) {
  std::filesystem::path full(path);
  if (!full.is_absolute()) {
    std::error_code error;
    full = std::filesystem::current_path(error) / full;
  }
  NativeString text = full.lexically_normal().string();
  return text.empty() ? NativeString("/") : text;
}

NativeString FullFolderPath(const NativeString& path) {
  NativeString text = FullPathKeepingTrailingSeparator(path);
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

void ReadFolder(const NativeString& path, const ReadRequest& request, FolderContents& out) {
  out.Clear();
  const int dirFd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) ThrowSystemError(errno, path);
  UniqueDir dir(fdopendir(dirFd));
  if (!dir) {
    const int error = errno;
    close(dirFd);
    ThrowSystemError(error, path);
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) ThrowSystemError(errno, path);
      break;
    }
    const char* name = entry->d_name;
    if (IsDotOrDotDot(name)) continue;
    unsigned char type = entry->d_type;
    struct stat info;
    bool haveInfo = false;
    if (type == DT_UNKNOWN) {
      if (fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        ThrowSystemError(error, path + '/' + name);
      }
      haveInfo = true;
      type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
    }
    const std::size_t length = std::char_traits<char>::length(name);
    if (type == DT_DIR) {
      if (request.folders) AddItem(out, out.folders, name, length, {}, true);
      continue;
    }
    // Everything else, symbolic links included (never followed), is listed as a file.
    if (!request.files) continue;
    FileFacts facts;
    if (request.fileFacts) {
      if (!haveInfo && fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        ThrowSystemError(error, path + '/' + name);
      }
      facts.size = static_cast<std::int64_t>(info.st_size);
      facts.modified = Seconds(info);
    }
    AddItem(out, out.files, name, length, facts, false);
  }
}

FileFacts ReadFileFacts(const NativeString& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) ThrowSystemError(errno, path);
  return FileFacts{static_cast<std::int64_t>(info.st_size), Seconds(info)};
}

}  // namespace platform
