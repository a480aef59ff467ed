#include "csv_writer.h"

#include "platform/iso_time_text.h"

namespace {

void AppendField(std::string_view text, std::string& row) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    row += text;
    return;
  }
  row += '"';
  for (char c : text) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

}  // namespace

void CsvWriter::Begin(NativeStringView) {
  sink_.AddBytes(kUtf8ByteOrderMark, 0);
  sink_.AddBytes("path,name,level,kind,size,modified\r\n", 1);
}

void CsvWriter::Entry(const ListingEntry& entry, NativeStringView folderPath, bool) {
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
  row_ += "\r\n";
  sink_.AddBytes(row_, 1);
}
