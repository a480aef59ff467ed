// CSV as RFC 4180 has it: a header row, one row per entry, CR LF after each row, fields
// quoted when they hold a comma, a quote or a line break. UTF-8 with a byte-order mark, which
// spreadsheet programs need to read it as UTF-8. Columns path, name, level, kind, size,
// modified; with errors an `error` column, with totals `files`, `folders`, `bytes`, and then
// a folder's row comes after its contents, once its totals are known.
#pragma once

#include <string>
#include <vector>

#include "record_writer.h"

class CsvWriter final : public RecordWriter {
 public:
  CsvWriter(ListingSink& sink, RecordExtras extras) : sink_(sink), extras_(extras) {}

  void Begin(NativeStringView rootPath) override;
  void Entry(const ListingEntry& entry, NativeStringView folderPath, bool entered) override;
  void EndFolder(const FolderTotals& totals) override;
  void End(const FolderTotals* rootTotals) override;

 private:
  // Ends row_ with the totals columns (empty for nothing) and queues it.
  void FinishRow(const FolderTotals* totals);

  ListingSink& sink_;
  const RecordExtras extras_;
  NativeString folder_;     // the folder whose UTF-8 path is cached in folderUtf8_
  std::string folderUtf8_;  // its path and a separator
  std::string path_;
  std::string row_;
  std::vector<std::string> openRows_;  // with totals: rows of the folders being walked
};
