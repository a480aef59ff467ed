#include "html_writer.h"

#include "json_writer.h"
#include "listing_page.h"
#include "platform/iso_time_text.h"

namespace {

// Text for the page's title element, which ends only at "</title".
void AppendHtmlText(std::string_view utf8, std::string& out) {
  for (char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

void HtmlWriter::Begin(NativeStringView rootPath) {
  utf8_.clear();
  AppendUtf8(rootPath, utf8_);
  text_.assign(kListingPageBeforeTitle);
  AppendHtmlText(utf8_, text_);
  text_ += kListingPageAfterTitle;
  text_ += "<script type=\"application/json\" id=\"listing-info\">{\"root\":";
  AppendJsonString(utf8_, text_, JsonEscape::kForHtmlScript);
  text_ += "}</script>";
  sink_.AddBytes(text_, 0);
  inBlock_ = false;
}

void HtmlWriter::StartRecord() {
  if (!inBlock_) {
    text_ += "\n<script type=\"application/json\" class=\"listing-data\">[\n";
    inBlock_ = true;
    blockBytes_ = 0;
  } else {
    text_ += ",\n";
  }
}

void HtmlWriter::FinishRecord(std::uint64_t lines) {
  blockBytes_ += text_.size();
  if (blockBytes_ >= kBlockBytes) {
    text_ += "\n]</script>";
    inBlock_ = false;
  }
  sink_.AddBytes(text_, lines);
}

void HtmlWriter::Entry(const ListingEntry& entry, NativeStringView, bool entered) {
  text_.clear();
  utf8_.clear();
  AppendUtf8(entry.name, utf8_);
  StartRecord();
  const bool file = entry.kind == EntryKind::kFile;
  text_ += file ? "0," : entered ? "1," : "2,";
  AppendJsonString(utf8_, text_, JsonEscape::kForHtmlScript);
  text_ += ',';
  if (file) {
    text_ += std::to_string(entry.facts.size);
    text_ += ',';
  }
  text_ += std::to_string(platform::UnixSeconds(entry.facts.modified));
  FinishRecord(1);
}

void HtmlWriter::EndFolder() {
  text_.clear();
  StartRecord();
  text_ += '3';
  FinishRecord(0);
}

void HtmlWriter::End() {
  // Also after a run stopped part-way: the page is whole and shows what was listed.
  text_.clear();
  if (inBlock_) text_ += "\n]</script>";
  text_ += "\n</body>\n</html>\n";
  inBlock_ = false;
  sink_.AddBytes(text_, 1);
}
