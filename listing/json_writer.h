// JSON: the listed tree as one object, {"name", "kind", "children"} for the folder listed and
// {"name", "kind", "size" (files only), "modified", "children" (entered folders only)} for
// each entry below it; "error" on a folder that could not be read, and with totals "files",
// "folders", "bytes" on every folder after its children. UTF-8 without a byte-order mark,
// one entry per line.
#pragma once

#include <string>
#include <string_view>

#include "record_writer.h"

enum class JsonEscape : std::uint8_t {
  kMinimal,  // what JSON requires: quote, backslash, control characters
  // Also <, >, &, U+2028 and U+2029, for JSON inside an HTML script element: no text then
  // ends the element, opens a comment or reads as a line break to an older script parser.
  kForHtmlScript,
};

// Appends `utf8` as a JSON string, quotes included.
void AppendJsonString(std::string_view utf8, std::string& out,
                      JsonEscape escape = JsonEscape::kMinimal);

class JsonWriter final : public RecordWriter {
 public:
  JsonWriter(ListingSink& sink, bool totals) : sink_(sink), totals_(totals) {}

  void Begin(NativeStringView rootPath) override;
  void Entry(const ListingEntry& entry, NativeStringView folderPath, bool entered) override;
  void EndFolder(const FolderTotals& totals) override;
  void End(const FolderTotals* rootTotals) override;

 private:
  // Opens an entry's object, after a comma when it follows a sibling.
  void Open();

  // Closes the children of the folder last opened, with its totals when they are asked for.
  void Close(const FolderTotals* totals);

  ListingSink& sink_;
  const bool totals_;
  std::string text_;
  std::string utf8_;
  // The objects whose children are still being written are counted in the sink's State(),
  // which follows what reaches the output.
  bool sibling_ = false;  // the next entry follows another in the same children list
};
