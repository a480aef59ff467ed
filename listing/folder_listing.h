// The folder walk that writes the listing file, and the per-run state it keeps.
#pragma once

#include <cstdint>

#include "platform/native_text.h"

enum ListType : std::int32_t {
  kListFoldersOnly = 0,
  kListFilesOnly = 1,
  kListFilesAndFolders = 2,
  kListFirstLevelFolders = 3,
};

// Set by the window's Cancel button, cleared when a run starts.
extern bool CancelRequested;

// The folder the current run started from, exactly as given.
extern NativeString ListingRoot;
// Depth of ListingRoot; computed by the first FormatEntryName of a run (-1 until then).
extern std::int16_t RootDepth;
// Indentation, in spaces, of the entry most recently formatted.
extern std::int16_t IndentWidth;

// The yield point: when user input is pending, the handler processes the pending events and
// returns true; otherwise it returns false at once. The console tool installs none.
using YieldHandler = bool (*)();
void SetYieldHandler(YieldHandler handler);

// Told of the walk's progress: when it enters a folder, and every few thousand lines.
using ProgressHandler = void (*)(std::uint64_t linesWritten, const NativeString& folder);
void SetProgressHandler(ProgressHandler handler);

// Lists `folder` into `outputFile` (appending) according to `listType`. Returns true when the
// walk ran to its end (also for a list type outside 0..3, which lists nothing), false when
// the folder does not exist or the walk stopped on CancelRequested. Any failure of the file
// system or of writing a line ends the run with platform::SystemError; the lines written up
// to then stay in the file.
bool WriteFolderListing(const NativeString& folder, const NativeString& outputFile,
                        std::int32_t listType);

// Depth of a path: the number of separators in it minus one, or 0 when it has none.
std::int16_t PathDepth(NativeStringView path);

// IndentWidth spaces followed by the last component of `path`; sets IndentWidth (and fixes
// RootDepth for the run on its first call).
NativeString FormatEntryName(NativeStringView path);

// Clears the per-run state, as a new run does.
void BeginListingRun(const NativeString& root);
