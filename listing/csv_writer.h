// CSV as RFC 4180 has it: a header row, one row per entry, CR LF after each row, fields
// quoted when they hold a comma, a quote or a line break. UTF-8 with a byte-order mark, which
// spreadsheet programs need to read it as UTF-8.
#pragma once

#include <string>

#include "record_writer.h"

class CsvWriter final : public RecordWriter {
 public:
  explicit CsvWriter(ListingSink& sink) : sink_(sink) {}

  void Begin(NativeStringView rootPath) override;
  void Entry(const ListingEntry& entry, NativeStringView folderPath, bool entered) override;
  void EndFolder() override {}
  void End() override {}

 private:
  ListingSink& sink_;
  NativeString folder_;     // the folder whose UTF-8 path is cached in folderUtf8_
  std::string folderUtf8_;  // its path and a separator
  std::string path_;
  std::string row_;
};
