#include "entry_layout.h"

#include <algorithm>
#include <type_traits>

#include "platform/date_time_text.h"
#include "platform/system_error.h"

namespace {

constexpr NativeStringView kLineEnd = NTEXT("\r\n");

void AppendSpaces(NativeString& text, std::int64_t count) {
  if (count > 0) text.append(static_cast<std::size_t>(count), NativeChar(' '));
}

bool IsControl(NativeChar c) {
  const auto code = static_cast<std::make_unsigned_t<NativeChar>>(c);
  return code < 0x20 || code == 0x7F;
}

// Appends the name line and returns its width in characters, as the layout counts widths.
std::size_t AppendNameLine(const ListingEntry& entry, int indentWidth, NativeString& lines) {
  AppendSpaces(lines, indentWidth);
  const std::size_t start = lines.size();
  lines += entry.name;
  const std::size_t indent = static_cast<std::size_t>(indentWidth > 0 ? indentWidth : 0);
  // Most names are printable ASCII, one character a unit: one pass tells.
  if (std::all_of(entry.name.begin(), entry.name.end(), [](NativeChar c) {
        return static_cast<std::make_unsigned_t<NativeChar>>(c) - 0x20u < 0x5Fu;
      }))
    return indent + entry.name.size();
  // A control character in a name (a Linux name may hold CR, LF or ESC) would split the
  // entry's line or reach a terminal showing the file: it is written as '?'.
  for (auto c = lines.begin() + static_cast<std::ptrdiff_t>(start); c != lines.end(); ++c)
    if (IsControl(*c)) *c = NativeChar('?');
  return indent + platform::TextLength(entry.name);
}

void AppendEntryInfo(const platform::FileFacts& facts, const LayoutOptions& options,
                     NativeString& info) {
  if (options.PrintFileSize) {
    info += NTEXT(" ");
    info += platform::DecimalText(facts.size);
    info += NTEXT(" bytes");
  }
  if (options.PrintDateTime) {
    info += NTEXT("  ");
    info += platform::DateTimeText(facts.modified);
  }
}

// Right-justifies the information that ends `lines` from `infoStart` after a name line
// `nameWidth` characters wide: puts the gap up to MaxWidth before it, or, when the two do not
// fit, CR LF and a continuation line's indentation.
void JustifyInfo(NativeString& lines, std::size_t infoStart, std::size_t nameWidth, int indentWidth,
                 const LayoutOptions& options) {
  const std::size_t infoWidth = platform::TextLength(NativeStringView(lines).substr(infoStart));
  const std::int64_t gap =
      std::int64_t{options.MaxWidth} - static_cast<std::int64_t>(nameWidth + infoWidth);
  if (gap > 0) {
    lines.insert(infoStart, static_cast<std::size_t>(gap), NativeChar(' '));
    return;
  }
  const std::int64_t indent = std::int64_t{indentWidth} + 3;
  lines.insert(infoStart, static_cast<std::size_t>(indent > 0 ? indent : 0), NativeChar(' '));
  lines.insert(infoStart, kLineEnd);
}

}  // namespace

void FormatEntryName(const ListingEntry& entry, int indentWidth, NativeString& lines) {
  AppendNameLine(entry, indentWidth, lines);
}

NativeString FormatEntryInfo(const platform::FileFacts& facts, const LayoutOptions& options) {
  NativeString info;
  AppendEntryInfo(facts, options, info);
  return info;
}

void AlignEntryInfo(NativeString& lines, std::size_t nameLineStart, NativeStringView info,
                    int indentWidth, const LayoutOptions& options) {
  const std::size_t nameWidth = platform::TextLength(NativeStringView(lines).substr(nameLineStart));
  const std::size_t infoStart = lines.size();
  lines += info;
  JustifyInfo(lines, infoStart, nameWidth, indentWidth, options);
}

void WriteFileEntry(const ListingEntry& entry, const EntryLayout& layout, NativeString& lines) {
  const LayoutOptions& options = layout.options;
  const int indent = IndentWidth(layout, entry.level);
  switch (options.PrintStyle) {
    case kInfoOnExtraLine: {
      AppendNameLine(entry, indent, lines);
      lines += kLineEnd;
      if (options.PrintFileSize || options.PrintDateTime) {
        AppendSpaces(lines, indent + 5);
        AppendEntryInfo(entry.facts, options, lines);
        lines += kLineEnd;
      }
      break;
    }
    case kInfoOnSameLine:
      if (options.NoSpacesSeperate < 0)
        platform::ThrowProgramError(platform::ProgramError::kNegativeSpacing,
                                    platform::DecimalText(options.NoSpacesSeperate));
      AppendNameLine(entry, indent, lines);
      AppendSpaces(lines, options.NoSpacesSeperate);
      AppendEntryInfo(entry.facts, options, lines);
      lines += kLineEnd;
      break;
    case kInfoRightJustified: {
      const std::size_t nameWidth = AppendNameLine(entry, indent, lines);
      const std::size_t infoStart = lines.size();
      AppendEntryInfo(entry.facts, options, lines);
      JustifyInfo(lines, infoStart, nameWidth, indent, options);
      lines += kLineEnd;
      break;
    }
    default:
      break;  // no layout: the file is not written
  }
}

void WriteEntryLines(const ListingEntry& entry, const EntryLayout& layout, NativeString& lines) {
  if (entry.kind == EntryKind::kFile) {
    WriteFileEntry(entry, layout, lines);
    return;
  }
  AppendNameLine(entry, IndentWidth(layout, entry.level), lines);
  lines += kLineEnd;
}

void WriteTotalsLine(const FolderTotals& totals, NativeString& lines) {
  lines += platform::DecimalText(static_cast<std::int64_t>(totals.folders));
  lines += NTEXT(" folders, ");
  lines += platform::DecimalText(static_cast<std::int64_t>(totals.files));
  lines += NTEXT(" files, ");
  lines += platform::DecimalText(totals.bytes);
  lines += NTEXT(" bytes");
  lines += kLineEnd;
}
