// Which entries a run lists and which folders it enters: the console tool's --exclude,
// --include and --max-depth. An empty filter lets everything through and costs one test per
// folder.
#pragma once

#include <vector>

#include "platform/folder_reader.h"
#include "platform/native_text.h"

// True when `name` matches the wildcard `pattern`: `*` stands for any run of characters, `?`
// for exactly one. Letters compare case-insensitively on Windows, exactly on POSIX.
bool MatchesWildcard(NativeStringView pattern, NativeStringView name);

struct EntryFilter {
  // A file or folder whose name matches one of these is not listed; a folder is not entered.
  std::vector<NativeString> exclude;
  // When not empty, only files whose name matches one of these are listed. Folders are
  // listed as the list type says.
  std::vector<NativeString> include;
  // The deepest level listed: 1 lists the source's own entries only. 0 sets no limit.
  int maxDepth = 0;

  bool Active() const { return !exclude.empty() || !include.empty() || maxDepth > 0; }

  // Removes from a folder's contents, read at `level` (1 for the source's own entries), the
  // entries the filter leaves out, and marks its folders not to be entered at the deepest
  // level.
  void Apply(int level, platform::FolderContents& contents) const;
};
