#include "entry_layout.h"

#include "platform/date_time_text.h"
#include "platform/system_error.h"

namespace {

constexpr NativeStringView kLineEnd = NTEXT("\r\n");

void AppendSpaces(NativeString& text, std::int64_t count) {
  if (count > 0) text.append(static_cast<std::size_t>(count), NativeChar(' '));
}

}  // namespace

NativeString FormatEntryName(const ListingEntry& entry, int indentWidth) {
  NativeString line;
  line.reserve(static_cast<std::size_t>(indentWidth) + entry.name.size());
  AppendSpaces(line, indentWidth);
  line += entry.name;
  return line;
}

NativeString FormatEntryInfo(const platform::FileFacts& facts, const OptionsRecord& options) {
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

NativeString AlignEntryInfo(NativeStringView nameLine, NativeStringView info, int indentWidth,
                            const OptionsRecord& options) {
  const std::int64_t gap =
      std::int64_t{options.MaxWidth} -
      static_cast<std::int64_t>(platform::TextLength(nameLine) + platform::TextLength(info));
  NativeString line(nameLine);
  if (gap > 0) {
    AppendSpaces(line, gap);
  } else {
    // Too long for one line: the information goes on a continuation line three spaces deeper.
    line += kLineEnd;
    AppendSpaces(line, indentWidth + 3);
  }
  line += info;
  return line;
}

void WriteFileEntry(const ListingEntry& entry, const EntryLayout& layout, NativeString& lines) {
  const OptionsRecord& options = layout.options;
  const int indent = IndentWidth(layout, entry.level);
  switch (options.PrintStyle) {
    case kInfoOnExtraLine: {
      AppendSpaces(lines, indent);
      lines += entry.name;
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
        throw platform::SystemError(
            5, NTEXT("The number of spaces between a file name and its information is "
                     "negative: ") +
                   platform::DecimalText(options.NoSpacesSeperate));
      AppendSpaces(lines, indent);
      lines += entry.name;
      AppendSpaces(lines, options.NoSpacesSeperate);
      lines += FormatEntryInfo(entry.facts, options);
      lines += kLineEnd;
      break;
    case kInfoRightJustified:
      lines += AlignEntryInfo(FormatEntryName(entry, indent), FormatEntryInfo(entry.facts, options),
                              indent, options);
      lines += kLineEnd;
      break;
    default:
      break;  // no layout: the file is not written
  }
}

void WriteEntryLines(const ListingEntry& entry, const EntryLayout& layout, NativeString& lines) {
  if (entry.kind == EntryKind::kFile) {
    WriteFileEntry(entry, layout, lines);
    return;
  }
  AppendSpaces(lines, IndentWidth(layout, entry.level));
  lines += entry.name;
  lines += kLineEnd;
}
