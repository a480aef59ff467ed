#include "csv_writer.h"

#include "platform/iso_time_text.h"

namespace {

// A text cell: a spreadsheet reads one that begins with =, +, -, @, TAB or CR as a formula
// (a file named =HYPERLINK(...) would become a link), so such a cell gets a leading
// apostrophe, which spreadsheets show as text and hide.
void AppendField(std::string_view text, std::string& row) {
  const bool formula =
      !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    if (formula) row += '\'';
    row += text;
    return;
  }
  row += '"';
  if (formula) row += '\'';
  for (char c : text) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

}  // namespace

void CsvWriter::Begin(NativeStringView) {
  std::string header = "path,name,level,kind,size,modified";
  if (extras_.errors) header += ",error";
  if (extras_.totals) header += ",files,folders,bytes";
  header += "\r\n";
  sink_.AddBytes(kUtf8ByteOrderMark, 0);
  sink_.AddBytes(header, 1);
}

void CsvWriter::Entry(const ListingEntry& entry, NativeStringView folderPath, bool entered) {
  if (folderPath != folder_) {
    folder_.assign(folderPath);
    folderUtf8_.clear();
    AppendUtf8(folderPath, folderUtf8_);
    platform::EndWithSeparator(folderUtf8_);
  }
  path_ = folderUtf8_;
  const std::size_t nameStart = path_.size();
  AppendUtf8(entry.name, path_);
  const bool file = entry.kind == EntryKind::kFile;

  row_.clear();
  AppendField(path_, row_);
  row_ += ',';
  AppendField(std::string_view(path_).substr(nameStart), row_);
  row_ += ',';
  row_ += std::to_string(entry.level);
  row_ += file ? ",file," : ",folder,";
  if (file) row_ += std::to_string(entry.facts.size);
  row_ += ',';
  platform::AppendIsoTime(entry.facts.modified, row_);
  if (extras_.errors) {
    row_ += ',';
    path_.clear();
    AppendUtf8(entry.unreadable, path_);
    AppendField(path_, row_);
  }
  if (extras_.totals && entered) {
    // Its totals are known once its contents are written.
    openRows_.push_back(row_);
    return;
  }
  static const FolderTotals kNothing;
  FinishRow(file ? nullptr : &kNothing);
}

void CsvWriter::FinishRow(const FolderTotals* totals) {
  if (extras_.totals) {
    if (totals) {
      row_ += ',';
      row_ += std::to_string(totals->files);
      row_ += ',';
      row_ += std::to_string(totals->folders);
      row_ += ',';
      row_ += std::to_string(totals->bytes);
    } else {
      row_ += ",,,";
    }
  }
  row_ += "\r\n";
  sink_.AddBytes(row_, 1);
}

void CsvWriter::EndFolder(const FolderTotals& totals) {
  if (openRows_.empty()) return;
  row_ = std::move(openRows_.back());
  openRows_.pop_back();
  FinishRow(&totals);
}

void CsvWriter::End(const FolderTotals*) {
  // A run stopped part-way still lists the folders it was in, innermost first, without
  // totals.
  while (!openRows_.empty()) {
    row_ = std::move(openRows_.back());
    openRows_.pop_back();
    FinishRow(nullptr);
  }
}
