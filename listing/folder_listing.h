// A listing run: the folder walk that produces the entries, laid out by entry_layout and
// written by one ListingSink. Everything a run needs belongs to its ListingRun: the layout
// options as a value, a cancel token to poll and hooks that carry their own context.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "app_options.h"
#include "cancel_token.h"
#include "entry_filter.h"
#include "entry_layout.h"
#include "listing_sink.h"
#include "platform/native_text.h"
#include "platform/system_error.h"
#include "read_ahead.h"
#include "record_writer.h"

enum ListType : std::int32_t {
  kListFoldersOnly = 0,
  kListFilesOnly = 1,
  kListFilesAndFolders = 2,
  kListFirstLevelFolders = 3,
};

// How a front end takes part in a run. Every hook may be left out (the console tool has no
// yield point).
struct ListingHooks {
  // The yield point's test: true when user input is waiting.
  std::function<bool()> inputPending;
  // Handles the waiting input, a click on Cancel among it; called only after inputPending
  // said true, and after the lines so far are written.
  std::function<void()> processInput;
  // Told of the walk's progress: when it enters a folder, and every few thousand lines.
  std::function<void(std::uint64_t linesWritten, const NativeString& folder)> progress;
};

// What a run is built from.
struct ListingSettings {
  NativeString source;
  NativeString output;            // the file written; emptied when the run starts
  bool toStandardOutput = false;  // write to the standard output instead of `output`
  std::int32_t listType = kListFilesAndFolders;
  LayoutOptions layout = LayoutOf(DefaultOptions());  // as they were when the run was built
  // Polled by the walk. With a yield point it is looked at where the window handles input and
  // after each folder; without one (the console tool, whose token a signal sets at any
  // moment) before every entry.
  CancelToken cancel;
  ListingHooks hooks;
  EntryFilter filter;  // which entries are listed and entered; lets all through by default
  ListingFormat format = ListingFormat::kText;
  TextEncoding textEncoding = TextEncoding::kAnsiOrUtf8;  // kUtf8 adds a byte-order mark
  // A folder that cannot be opened or read is listed, not entered, and told to `skipped`
  // (its error names it); the walk goes on. Without it such a folder ends the run with its
  // error.
  bool keepGoing = false;
  std::function<void(const platform::SystemError& error)> skipped;
  // Each folder's totals in the structured formats; a closing totals line in the text format.
  bool totals = false;
  ReadAheadSettings readAhead = ReadAheadFromEnvironment();
};

// Depth of a path: the number of separators in it minus one, or 0 when it has none.
std::int16_t PathDepth(NativeStringView path);

// The indentation of a run's first-level entries, by the root rule: three spaces per level of
// the entries' real depth below the root's depth counted on its text. An absolute root is
// counted as typed, so a trailing separator, a final "." or a doubled separator each take a
// level away; a relative root is counted in the full form Windows gives it (see
// platform::FullPathKeepingTrailingSeparator). Throws platform::SystemError
// (ProgramError::kNegativeIndentation) when the result is negative.
int FirstLevelIndent(const NativeString& root);

class ListingRun {
 public:
  explicit ListingRun(ListingSettings settings);

  // Checks the source, empties the output and lists the source into it according to the list
  // type. Returns true when the walk ran to its end (also for a list type outside 0..3, which
  // lists nothing), false when the source is not a folder (the output is then not touched) or
  // the walk stopped on its cancel token. Any failure of the file system or of the output ends
  // the run with platform::SystemError. However the run ends, the output ends with a whole
  // line, and a JSON document is closed at every level.
  bool WriteFolderListing();

  const NativeString& ListingRoot() const { return settings_.source; }
  // Entries written with '?' for characters the ANSI code page lacks (Windows, text format).
  std::uint64_t ChangedNames() const { return sink_ ? sink_->ChangedNames() : 0; }

 private:
  class Walk;

  ListingSettings settings_;
  std::optional<ListingSink> sink_;
  std::unique_ptr<RecordWriter> records_;
};
