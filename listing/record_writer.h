// The structured output formats (CSV, JSON, HTML): each writes one record per entry the walk
// produces, as UTF-8, into the run's sink. The text format does not go through here.
#pragma once

#include <memory>
#include <string>

#include "entry_layout.h"
#include "listing_sink.h"
#include "platform/native_text.h"

enum class ListingFormat : std::uint8_t { kText, kCsv, kJson, kHtml };

class RecordWriter {
 public:
  virtual ~RecordWriter() = default;
  // Before the first entry; `rootPath` is the full path of the folder listed.
  virtual void Begin(NativeStringView rootPath) = 0;
  // One entry of the folder at `folderPath`. `entered`: the walk goes into this folder next,
  // so its entries follow and then EndFolder.
  virtual void Entry(const ListingEntry& entry, NativeStringView folderPath, bool entered) = 0;
  // The folder last entered has no more entries; `totals` counts what was listed in it.
  virtual void EndFolder(const FolderTotals& totals) = 0;
  // After the last entry, also when the walk stopped early. `rootTotals`: what the folder
  // listed holds, when the walk ran to its end; nothing otherwise.
  virtual void End(const FolderTotals* rootTotals) = 0;
};

// What a structured writer adds to each entry beyond name, kind, size and date.
struct RecordExtras {
  bool totals = false;  // each folder gets the totals of its subtree (--totals)
  bool errors = false;  // a folder that could not be read says why (--keep-going)
};

// The writer for a structured format; nothing for the text format.
std::unique_ptr<RecordWriter> MakeRecordWriter(ListingFormat format, ListingSink& sink,
                                               RecordExtras extras);

// Appends `"files":N,"folders":M,"bytes":S` for the JSON formats.
void AppendJsonTotals(const FolderTotals& totals, std::string& out);

// Appends a name or path as UTF-8: converted from UTF-16 on Windows; on POSIX the bytes as
// they are when they are valid UTF-8, U+FFFD for each byte that is not.
void AppendUtf8(NativeStringView text, std::string& out);

inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
