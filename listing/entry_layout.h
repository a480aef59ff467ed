// The text of a file entry: the size and date that may follow its name, and the three print
// styles that place them.
#pragma once

#include "platform/folder_reader.h"
#include "platform/native_text.h"

enum PrintStyleKind : std::int16_t {
  kInfoOnExtraLine = 0,
  kInfoOnSameLine = 1,
  kInfoRightJustified = 2,
};

// The extra information for a file: " <size> bytes" and/or "  <date time>", as the options
// ask; empty when both are off.
NativeString FormatEntryInfo(const platform::FileFacts& facts);
// The same, reading the facts from the file itself, and only those the options ask for.
NativeString FormatEntryInfo(const NativeString& path);

// The name line and the information, right-justified to MaxWidth, or two lines joined by
// CR LF when they do not fit.
NativeString AlignEntryInfo(NativeStringView nameLine, NativeStringView info);

// Receives the strings of a file entry, each to be written as one line (a string may itself
// hold a CR LF: the two lines of a continued entry).
class LineWriter {
 public:
  virtual void WriteLine(NativeStringView text) = 0;

 protected:
  ~LineWriter() = default;
};

// Writes one file's entry as PrintStyle asks, given its name line (just made by
// FormatEntryName, so IndentWidth is the file's) and its facts. Nothing for a print style
// outside 0..2. Throws platform::SystemError for a negative NoSpacesSeperate in print style 1.
void WriteFileEntry(const NativeString& nameLine, const platform::FileFacts& facts,
                    LineWriter& writer);
