#include "json_writer.h"

#include "platform/iso_time_text.h"

void AppendJsonString(std::string_view utf8, std::string& out, JsonEscape escape) {
  static constexpr char kHex[] = "0123456789abcdef";
  const bool html = escape == JsonEscape::kForHtmlScript;
  out += '"';
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || (html && (c == '<' || c == '>' || c == '&'))) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else if (html && byte == 0xE2 && i + 2 < utf8.size() && utf8[i + 1] == '\x80' &&
               (utf8[i + 2] == '\xA8' || utf8[i + 2] == '\xA9')) {
      out += utf8[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += c;
    }
  }
  out += '"';
}

void JsonWriter::Open() {
  text_ += sibling_ ? ",\n" : "\n";
  text_ += "{\"name\":";
}

void JsonWriter::Begin(NativeStringView rootPath) {
  text_.clear();
  utf8_.clear();
  AppendUtf8(rootPath, utf8_);
  text_ += "{\"name\":";
  AppendJsonString(utf8_, text_);
  text_ += ",\"kind\":\"folder\",\"children\":[";
  sibling_ = false;
  sink_.AddBytes(text_, 0, 1);
}

void JsonWriter::Entry(const ListingEntry& entry, NativeStringView, bool entered) {
  text_.clear();
  utf8_.clear();
  AppendUtf8(entry.name, utf8_);
  Open();
  AppendJsonString(utf8_, text_);
  if (entry.kind == EntryKind::kFile) {
    text_ += ",\"kind\":\"file\",\"size\":";
    text_ += std::to_string(entry.facts.size);
  } else {
    text_ += ",\"kind\":\"folder\"";
  }
  text_ += ",\"modified\":\"";
  platform::AppendIsoTime(entry.facts.modified, text_);
  text_ += '"';
  if (!entry.unreadable.empty()) {
    text_ += ",\"error\":";
    utf8_.clear();
    AppendUtf8(entry.unreadable, utf8_);
    AppendJsonString(utf8_, text_);
  }
  std::uint64_t open = sink_.State();
  if (entered) {
    text_ += ",\"children\":[";
    ++open;
    sibling_ = false;
  } else {
    // A folder not entered holds nothing listed.
    if (totals_ && entry.kind == EntryKind::kFolder) {
      text_ += ',';
      AppendJsonTotals(FolderTotals{}, text_);
    }
    text_ += '}';
    sibling_ = true;
  }
  sink_.AddBytes(text_, 1, open);
}

void JsonWriter::Close(const FolderTotals* totals) {
  text_ += ']';
  if (totals_ && totals) {
    text_ += ',';
    AppendJsonTotals(*totals, text_);
  }
  text_ += '}';
}

void JsonWriter::EndFolder(const FolderTotals& totals) {
  const std::uint64_t open = sink_.State();
  if (open == 0) return;
  text_.clear();
  Close(&totals);
  sink_.AddBytes(text_, 0, open - 1);
  sibling_ = true;
}

void JsonWriter::End(const FolderTotals* rootTotals) {
  // Closes every level still open in the output, so that a run stopped part-way, by Cancel, a
  // signal or a failure, leaves valid JSON; folders left unfinished get no totals. Once
  // closed there is nothing more to do.
  std::uint64_t open = sink_.State();
  if (open == 0) return;
  text_.clear();
  for (; open > 1; --open) Close(nullptr);
  Close(rootTotals);
  text_ += '\n';
  sink_.AddBytes(text_, 1, 0);
}
