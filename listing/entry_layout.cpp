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

}  // namespace

void FormatEntryName(const ListingEntry& entry, int indentWidth, NativeString& lines) {
  AppendSpaces(lines, indentWidth);
  // A control character in a name (a Linux name may hold CR, LF or ESC) would split the
  // entry's line or reach a terminal showing the file: it is written as '?'.
  const std::size_t start = lines.size();
  lines += entry.name;
  std::replace_if(
      lines.begin() + static_cast<std::ptrdiff_t>(start), lines.end(),
      [](NativeChar c) {
        const auto code = static_cast<std::make_unsigned_t<NativeChar>>(c);
        return code < 0x20 || code == 0x7F;
      },
      NativeChar('?'));
}

NativeString FormatEntryInfo(const platform::FileFacts& facts, const LayoutOptions& options) {
  NativeString info;
  if (options.PrintFileSize) {
    info += NTEXT(" ");
    info += platform::DecimalText(facts.size);
    info += NTEXT(" bytes");
  }
  if (options.PrintDateTime) {
    info += NTEXT("  ");
    info += platform::DateTimeText(facts.modified);
  }
  return info;
}

void AlignEntryInfo(NativeString& lines, std::size_t nameLineStart, NativeStringView info,
                    int indentWidth, const LayoutOptions& options) {
  const std::int64_t gap = std::int64_t{options.MaxWidth} -
                           static_cast<std::int64_t>(
                               platform::TextLength(NativeStringView(lines).substr(nameLineStart)) +
                               platform::TextLength(info));
  if (gap > 0) {
    AppendSpaces(lines, gap);
  } else {
    lines += kLineEnd;
    AppendSpaces(lines, indentWidth + 3);
  }
  lines += info;
}

void WriteFileEntry(const ListingEntry& entry, const EntryLayout& layout, NativeString& lines) {
  const LayoutOptions& options = layout.options;
  const int indent = IndentWidth(layout, entry.level);
  switch (options.PrintStyle) {
    case kInfoOnExtraLine: {
      FormatEntryName(entry, indent, lines);
      lines += kLineEnd;
      const NativeString info = FormatEntryInfo(entry.facts, options);
      if (!info.empty()) {
        AppendSpaces(lines, indent + 5);
        lines += info;
        lines += kLineEnd;
      }
      break;
    }
    case kInfoOnSameLine:
      if (options.NoSpacesSeperate < 0)
        platform::ThrowProgramError(platform::ProgramError::kNegativeSpacing,
                                    platform::DecimalText(options.NoSpacesSeperate));
      FormatEntryName(entry, indent, lines);
      AppendSpaces(lines, options.NoSpacesSeperate);
      lines += FormatEntryInfo(entry.facts, options);
      lines += kLineEnd;
      break;
    case kInfoRightJustified: {
      const std::size_t start = lines.size();
      FormatEntryName(entry, indent, lines);
      AlignEntryInfo(lines, start, FormatEntryInfo(entry.facts, options), indent, options);
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
  FormatEntryName(entry, IndentWidth(layout, entry.level), lines);
  lines += kLineEnd;
}
