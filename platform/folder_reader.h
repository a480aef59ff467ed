// Reading the entries of one folder, in the order NTFS gives them on every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "native_text.h"

namespace platform {

// Size and last-write time of a file, as the folder enumeration reports them.
struct FileFacts {
  std::int64_t size = 0;
  // Last write time in the platform's units: FILETIME ticks (100 ns since 1601, UTC) on
  // Windows, seconds since 1970 (UTC) on POSIX.
  std::int64_t modified = 0;
};

struct FolderItem {
  std::uint32_t nameOffset = 0;  // into FolderContents::names
  std::uint32_t nameLength = 0;
  FileFacts facts;
  // A subfolder's file ID (inode on POSIX) as its parent's enumeration reports it, so that
  // opening the subfolder needs no question about its identity (see OpenFolder).
  std::uint64_t fileId = 0;
  bool fileIdKnown = false;
  // A folder the walk may enter: false for symbolic links and junctions, which are listed but
  // not followed so that a link back up the tree cannot make the walk endless.
  bool descend = true;
};

// What tells one folder from another however it was reached: device and inode on POSIX,
// volume serial number and file ID on Windows. An unknown identity equals none.
struct FolderIdentity {
  bool known = false;
  std::uint64_t volume = 0;
  std::uint64_t fileLow = 0;
  std::uint64_t fileHigh = 0;

  friend bool operator==(const FolderIdentity& a, const FolderIdentity& b) {
    return a.known && b.known && a.volume == b.volume && a.fileLow == b.fileLow &&
           a.fileHigh == b.fileHigh;
  }
};

// The entries of one folder: names packed in one buffer to keep a deep walk's memory small.
struct FolderContents {
  NativeString names;
  std::vector<FolderItem> folders;
  std::vector<FolderItem> files;
  FolderIdentity identity;  // of the folder read
  // The identity was put together from the parent's listing rather than asked of the system:
  // a folder the listing does not show as another volume's is taken to be on its parent's.
  bool identityFromListing = false;

  void Clear() {
    identity = {};
    identityFromListing = false;
    names.clear();
    folders.clear();
    files.clear();
  }
  NativeStringView Name(const FolderItem& item) const {
    return NativeStringView(names).substr(item.nameOffset, item.nameLength);
  }
};

// A folder's entries are read this many bytes at a time: one getdents64 on POSIX, one
// GetFileInformationByHandleEx on Windows (as much as FindFirstFileExW's large fetch).
#ifdef _WIN32
inline constexpr std::size_t kFolderReadBufferBytes = 64 * 1024;
#else
inline constexpr std::size_t kFolderReadBufferBytes = 32 * 1024;
#endif

struct ReadRequest {
  bool folders = true;
  bool files = true;
  bool fileFacts = false;    // size and date of files
  bool folderFacts = false;  // date of folders (Windows reports it always)
};

// True when `path` names an existing folder.
bool FolderExists(const NativeString& path);

// Throws SystemError, with the system's own reason followed by the path, unless `path` names
// an existing folder (a file there gives the system's text for an invalid folder name).
void RequireFolder(const NativeString& path);

// The absolute, normalised form of a path as the file system reports entry paths below it:
// relative paths resolved against the current folder, "." and ".." and doubled separators
// removed. A trailing separator is kept only for a root ("C:\", "/").
NativeString FullFolderPath(const NativeString& path);

// Full path of `path` as Windows makes one: the current folder put before a relative path,
// "." and ".." resolved, doubled separators merged, a trailing separator kept when the text
// ends in one.
NativeString FullPathKeepingTrailingSeparator(const NativeString& path);

bool IsAbsolutePath(const NativeString& path);

// One folder opened for listing: opening it checks that it can be listed, and its entries
// are read from what was opened, with no second open. On POSIX it holds the folder's
// descriptor, and a subfolder is opened relative to its parent's and never through a link, so
// no path is rebuilt to reach it and no path length limits the walk; on Windows it holds a
// handle opened by the folder's full path. Movable, not copyable.
class OpenFolder {
 public:
  // The folder at `fullPath` (a FullFolderPath). Throws SystemError.
  explicit OpenFolder(const NativeString& fullPath);
  // The subfolder `item` of `parent`, called `name` there; `fullPath` is its full path, named
  // in errors. Throws SystemError, also when `name` is (now) a link.
  OpenFolder(const OpenFolder& parent, const FolderItem& item, NativeStringView name,
             const NativeString& fullPath);
  ~OpenFolder();
  OpenFolder(OpenFolder&& other) noexcept;
  OpenFolder& operator=(OpenFolder&& other) noexcept;
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;

  // Reads the folder's identity and entries ("." and ".." excluded) into `out`, folders and
  // files each in NameOrderLess order. Throws SystemError naming the folder or the entry that
  // failed. The walk reads each folder once; a second reading starts over.
  void Read(const ReadRequest& request, FolderContents& out) const;

  // The identities of the folders that hold this one, up to the root of the file system; one
  // that cannot be opened is left out.
  std::vector<FolderIdentity> EnclosingIdentities() const;

  // The folder's identity as the system gives it, for a folder whose identity came from its
  // parent's listing and now matters (it seems to be a folder on the way to it). Its
  // subfolders opened afterwards take their identity from this one.
  FolderIdentity AskIdentity() const;

  const NativeString& Path() const { return path_; }

 private:
  NativeString path_;
#ifdef _WIN32
  void* handle_ = nullptr;  // INVALID_HANDLE_VALUE or null when moved from
  mutable FolderIdentity identity_;
  mutable bool identityFromListing_ = false;
#else
  int fd_ = -1;
  mutable bool read_ = false;  // the descriptor's position is past the first entry
  // The inode the parent's listing gave, and the parent's identity and file system: a folder
  // whose own "." entry shows that inode lies on the parent's file system (a mount point's
  // "." is the mounted root's), so it needs no fstat or statfs of its own.
  std::uint64_t listedInode_ = 0;
  FolderIdentity parentIdentity_;
  bool parentFillsReads_ = false;
  // Set by Read: the folder's identity, and whether its file system fills every getdents64
  // call as far as the buffer allows, so that a call that leaves room for another entry has
  // read the last one and no call is needed to find the end.
  mutable FolderIdentity identity_;
  mutable bool fillsReads_ = false;
#endif
};

}  // namespace platform
