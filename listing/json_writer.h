// JSON: the listed tree as one object, {"name", "kind", "children"} for the folder listed and
// {"name", "kind", "size" (files only), "modified", "children" (entered folders only)} for
// each entry below it. UTF-8 without a byte-order mark, one entry per line.
#pragma once

#include <string>

#include "record_writer.h"

class JsonWriter final : public RecordWriter {
 public:
  explicit JsonWriter(ListingSink& sink) : sink_(sink) {}

  void Begin(NativeStringView rootPath) override;
  void Entry(const ListingEntry& entry, NativeStringView folderPath, bool entered) override;
  void EndFolder() override;
  void End() override;

 private:
  // Opens an entry's object, after a comma when it follows a sibling.
  void Open();

  ListingSink& sink_;
  std::string text_;
  std::string utf8_;
  // The objects whose children are still being written are counted in the sink's State(),
  // which follows what reaches the output.
  bool sibling_ = false;  // the next entry follows another in the same children list
};
