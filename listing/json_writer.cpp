#include "json_writer.h"

#include "platform/iso_time_text.h"

namespace {

void AppendString(std::string_view utf8, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  out += '"';
}

}  // namespace

void JsonWriter::Open() {
  text_ += sibling_ ? ",\n" : "\n";
  text_ += "{\"name\":";
}

void JsonWriter::Begin(NativeStringView rootPath) {
  text_.clear();
  utf8_.clear();
  AppendUtf8(rootPath, utf8_);
  text_ += "{\"name\":";
  AppendString(utf8_, text_);
  text_ += ",\"kind\":\"folder\",\"children\":[";
  sibling_ = false;
  sink_.AddBytes(text_, 0, 1);
}

void JsonWriter::Entry(const ListingEntry& entry, NativeStringView, bool entered) {
  text_.clear();
  utf8_.clear();
  AppendUtf8(entry.name, utf8_);
  Open();
  AppendString(utf8_, text_);
  if (entry.kind == EntryKind::kFile) {
    text_ += ",\"kind\":\"file\",\"size\":";
    text_ += std::to_string(entry.facts.size);
  } else {
    text_ += ",\"kind\":\"folder\"";
  }
  text_ += ",\"modified\":\"";
  platform::AppendIsoTime(entry.facts.modified, text_);
  text_ += '"';
  std::uint64_t open = sink_.State();
  if (entered) {
    text_ += ",\"children\":[";
    ++open;
    sibling_ = false;
  } else {
    text_ += '}';
    sibling_ = true;
  }
  sink_.AddBytes(text_, 1, open);
}

void JsonWriter::EndFolder() {
  const std::uint64_t open = sink_.State();
  if (open == 0) return;
  sink_.AddBytes("]}", 0, open - 1);
  sibling_ = true;
}

void JsonWriter::End() {
  // Closes every level still open in the output, so that a run stopped part-way, by Cancel, a
  // signal or a failure, leaves valid JSON. Once closed there is nothing more to do.
  std::uint64_t open = sink_.State();
  if (open == 0) return;
  text_.clear();
  for (; open > 0; --open) text_ += "]}";
  text_ += '\n';
  sink_.AddBytes(text_, 1, 0);
}
