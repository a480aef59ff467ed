// Reading the entries of one folder, in the platform's enumeration order.
#pragma once

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
  // A folder the walk may enter: false for symbolic links and junctions, which are listed but
  // not followed so that a link back up the tree cannot make the walk endless.
  bool descend = true;
};

// The entries of one folder: names packed in one buffer to keep a deep walk's memory small.
struct FolderContents {
  NativeString names;
  std::vector<FolderItem> folders;
  std::vector<FolderItem> files;

  void Clear() {
    names.clear();
    folders.clear();
    files.clear();
  }
  NativeStringView Name(const FolderItem& item) const {
    return NativeStringView(names).substr(item.nameOffset, item.nameLength);
  }
};

struct ReadRequest {
  bool folders = true;
  bool files = true;
  bool fileFacts = false;  // size and date of files
};

// True when `path` names an existing folder.
bool FolderExists(const NativeString& path);

// The absolute, normalised form of a path as the file system reports entry paths below it:
// relative paths resolved against the current folder, "." and ".." and doubled separators
// removed. A trailing separator is kept only for a root ("C:\", "/").
NativeString FullFolderPath(const NativeString& path);

// Full path of `path` keeping a trailing separator that the text has.
NativeString FullPathKeepingTrailingSeparator(const NativeString& path);

bool IsAbsolutePath(const NativeString& path);

// Reads one folder's entries ("." and ".." excluded) into `out`. Throws SystemError when the
// folder cannot be read.
void ReadFolder(const NativeString& path, const ReadRequest& request, FolderContents& out);

// Size and last-write time of one file, read through its own path. Throws SystemError.
FileFacts ReadFileFacts(const NativeString& path);

}  // namespace platform
