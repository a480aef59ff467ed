// The lines of one listing entry: a pure function of the entry and the run's layout. The walk
// produces entries, this turns them into text, a sink writes the text.
#pragma once

#include <cstdint>

#include "layout_options.h"
#include "platform/folder_reader.h"
#include "platform/native_text.h"

enum PrintStyleKind : std::int16_t {
  kInfoOnExtraLine = 0,
  kInfoOnSameLine = 1,
  kInfoRightJustified = 2,
};

enum class EntryKind : std::uint8_t { kFolder, kFile };

// One entry as the walk reports it: its own name (never split out of a path) and its level,
// 1 for the entries of the folder the run starts from.
struct ListingEntry {
  NativeStringView name;
  int level = 1;
  EntryKind kind = EntryKind::kFile;
  platform::FileFacts facts;
  // A folder that could not be opened or read, listed and not entered (--keep-going): the
  // system's reason. Empty otherwise.
  NativeStringView unreadable;
};

// What a folder's subtree holds, counting what is listed: files, folders, and the files'
// sizes summed.
struct FolderTotals {
  std::uint64_t files = 0;
  std::uint64_t folders = 0;
  std::int64_t bytes = 0;

  FolderTotals& operator+=(const FolderTotals& other) {
    files += other.files;
    folders += other.folders;
    bytes += other.bytes;
    return *this;
  }
};

// What a run lays its entries out with: the options it read when it started, and the
// indentation of its first level (from the root rule, FirstLevelIndent).
struct EntryLayout {
  LayoutOptions options;
  int firstLevelIndent = 3;
};

// The deepest indentation a line may have; an entry deeper ends the run.
inline constexpr int kMaxIndentWidth = 32767;

// Indentation of the entry's name line, in spaces: three per level below the first.
inline int IndentWidth(const EntryLayout& layout, int level) {
  return layout.firstLevelIndent + 3 * (level - 1);
}

// Appends the entry's name line: `indentWidth` spaces followed by the entry's name, each
// control character (below 0x20, and DEL) in it written as '?'.
void FormatEntryName(const ListingEntry& entry, int indentWidth, NativeString& lines);

// The extra information for a file: " <size> bytes" and/or "  <date time>", as the options
// ask; empty when both are off.
NativeString FormatEntryInfo(const platform::FileFacts& facts, const LayoutOptions& options);

// Right-justifies `info` after the name line that starts at `lines[nameLineStart]` and runs
// to the end of `lines`: the gap up to MaxWidth, or, when the two do not fit, CR LF and a
// continuation line indented three spaces deeper than the name.
void AlignEntryInfo(NativeString& lines, std::size_t nameLineStart, NativeStringView info,
                    int indentWidth, const LayoutOptions& options);

// Appends a file entry's line(s), each ending in CR LF, as PrintStyle asks; nothing for a
// print style outside 0..2. Throws platform::SystemError for a negative NoSpacesSeperate in
// print style 1.
void WriteFileEntry(const ListingEntry& entry, const EntryLayout& layout, NativeString& lines);

// Appends the line(s) of any entry: a folder's name line, or a file entry.
void WriteEntryLines(const ListingEntry& entry, const EntryLayout& layout, NativeString& lines);

// Appends the text format's closing line, "N folders, M files, S bytes" and CR LF.
void WriteTotalsLine(const FolderTotals& totals, NativeString& lines);
