#include "record_writer.h"

#include "csv_writer.h"
#include "html_writer.h"
#include "json_writer.h"

std::unique_ptr<RecordWriter> MakeRecordWriter(ListingFormat format, ListingSink& sink,
                                               RecordExtras extras) {
  switch (format) {
    case ListingFormat::kCsv:
      return std::make_unique<CsvWriter>(sink, extras);
    case ListingFormat::kJson:
      return std::make_unique<JsonWriter>(sink, extras.totals);
    case ListingFormat::kHtml:
      return std::make_unique<HtmlWriter>(sink);
    case ListingFormat::kText:
      break;
  }
  return nullptr;
}

void AppendUtf8(NativeStringView text, std::string& out) {
#ifdef _WIN32
  out += platform::ToUtf8(text);
#else
  std::size_t at = 0;
  while (at < text.size()) {
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      out += text[at++];
      continue;
    }
    std::uint32_t code = 0;
    const std::size_t length = platform::DecodeUtf8(text, at, code);
    if (length != 0) {
      out.append(text.data() + at, length);
      at += length;
    } else {
      out += "\xEF\xBF\xBD";  // U+FFFD for the stray byte
      ++at;
    }
  }
#endif
}

void AppendJsonTotals(const FolderTotals& totals, std::string& out) {
  out += "\"files\":";
  out += std::to_string(totals.files);
  out += ",\"folders\":";
  out += std::to_string(totals.folders);
  out += ",\"bytes\":";
  out += std::to_string(totals.bytes);
}
