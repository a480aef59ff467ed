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
  sink_.AddBytes(text_, 0, kPageOpen);
}

void HtmlWriter::StartRecord() {
  if (sink_.State() == kBlockOpen) {
    text_ += ",\n";
    return;
  }
  text_ += "\n<script type=\"application/json\" class=\"listing-data\">[\n";
  blockBytes_ = 0;
}

void HtmlWriter::FinishRecord(std::uint64_t lines) {
  blockBytes_ += text_.size();
  State after = kBlockOpen;
  if (blockBytes_ >= kBlockBytes) {
    text_ += "\n]</script>";
    after = kPageOpen;
  }
  sink_.AddBytes(text_, lines, after);
}

void HtmlWriter::Entry(const ListingEntry& entry, NativeStringView, bool entered) {
  text_.clear();
  utf8_.clear();
  AppendUtf8(entry.name, utf8_);
  StartRecord();
  const bool file = entry.kind == EntryKind::kFile;
  const bool unreadable = !entry.unreadable.empty();
  text_ += file ? "0," : entered ? "1," : unreadable ? "4," : "2,";
  AppendJsonString(utf8_, text_, JsonEscape::kForHtmlScript);
  text_ += ',';
  if (file) {
    text_ += std::to_string(entry.facts.size);
    text_ += ',';
  }
  text_ += std::to_string(platform::UnixSeconds(entry.facts.modified));
  if (unreadable) {
    utf8_.clear();
    AppendUtf8(entry.unreadable, utf8_);
    text_ += ',';
    AppendJsonString(utf8_, text_, JsonEscape::kForHtmlScript);
  }
  FinishRecord(1);
}

void HtmlWriter::EndFolder(const FolderTotals&) {
  text_.clear();
  StartRecord();
  text_ += '3';
  FinishRecord(0);
}

void HtmlWriter::End(const FolderTotals*) {
  // Also after a run stopped part-way, by Cancel, a signal or a failure: the page is whole
  // and shows what reached the output. Once closed there is nothing more to do.
  const std::uint64_t state = sink_.State();
  if (state == kClosed) return;
  text_.clear();
  if (state == kBlockOpen) text_ += "\n]</script>";
  text_ += "\n</body>\n</html>\n";
  sink_.AddBytes(text_, 1, kClosed);
}
