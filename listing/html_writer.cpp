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

// `json` is a JSON string, quotes included: appends its inside.
void AppendUnquoted(const std::string& json, std::string& out) {
  out.append(json, 1, json.size() - 2);
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
  text_ += "}</script>\n";
  queued_ = 1;
  sink_.AddBytes(text_, 0, queued_);
}

void HtmlWriter::Entry(const ListingEntry& entry, NativeStringView, bool entered) {
  utf8_.clear();
  AppendUtf8(entry.name, utf8_);
  text_.clear();
  AppendJsonString(utf8_, text_, JsonEscape::kForHtmlScript);
  if (entries_ > 0) names_ += '/';
  AppendUnquoted(text_, names_);

  const bool file = entry.kind == EntryKind::kFile;
  const bool unreadable = !entry.unreadable.empty();
  if (!records_.empty()) records_ += ',';
  records_ += file ? "0," : entered ? "1," : unreadable ? "4," : "2,";
  if (file) {
    records_ += std::to_string(entry.facts.size);
    records_ += ',';
  }
  records_ += std::to_string(platform::UnixSeconds(entry.facts.modified));
  if (unreadable) {
    utf8_.clear();
    AppendUtf8(entry.unreadable, utf8_);
    if (!errors_.empty()) errors_ += ',';
    AppendJsonString(utf8_, errors_, JsonEscape::kForHtmlScript);
  }
  ++entries_;
  BlockFullCheck();
}

void HtmlWriter::EndFolder(const FolderTotals&) {
  if (!records_.empty()) records_ += ',';
  records_ += '3';
  BlockFullCheck();
}

void HtmlWriter::BlockFullCheck() {
  if (names_.size() + records_.size() >= kBlockBytes) WriteBlock();
}

void HtmlWriter::WriteBlock() {
  if (records_.empty()) return;
  text_.assign("<script type=\"application/json\" class=\"listing-data\">{\"n\":\"");
  text_ += names_;
  text_ += "\",\"r\":[";
  text_ += records_;
  text_ += ']';
  if (!errors_.empty()) {
    text_ += ",\"e\":[";
    text_ += errors_;
    text_ += ']';
  }
  text_ += "}</script>\n";
  ++queued_;
  sink_.AddBytes(text_, entries_, queued_);
  names_.clear();
  records_.clear();
  errors_.clear();
  entries_ = 0;
}

void HtmlWriter::End(const FolderTotals*) {
  // Also after a run stopped part-way, by Cancel, a signal or a failure: the page is whole
  // and shows what reached the output. Once closed there is nothing more to do.
  const std::uint64_t state = sink_.State();
  if (state == 0) return;
  // A failed write dropped blocks: the one held would follow a gap, so it is left out.
  if (state == queued_) WriteBlock();
  sink_.AddBytes("</body>\n</html>\n", 1, 0);
}
