#include "record_writer.h"

#include "csv_writer.h"
#include "json_writer.h"

std::unique_ptr<RecordWriter> MakeRecordWriter(ListingFormat format, ListingSink& sink) {
  switch (format) {
    case ListingFormat::kCsv:
      return std::make_unique<CsvWriter>(sink);
    case ListingFormat::kJson:
      return std::make_unique<JsonWriter>(sink);
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
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++at;
      continue;
    }
    const std::size_t length = lead >= 0xF0 && lead < 0xF5 ? 4
                               : lead >= 0xE0              ? 3
                               : lead >= 0xC2              ? 2
                                                           : 0;
    bool valid = length != 0 && at + length <= text.size();
    std::uint32_t code = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
    for (std::size_t i = 1; valid && i < length; ++i) {
      const auto next = static_cast<unsigned char>(text[at + i]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3Fu);
    }
    valid = valid && !(length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) &&
            !(length == 4 && (code < 0x10000 || code > 0x10FFFF));
    if (valid) {
      out.append(text.data() + at, length);
      at += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++at;
    }
  }
#endif
}
