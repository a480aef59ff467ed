#include "entry_layout.h"

#include "platform/date_time_text.h"
#include "platform/system_error.h"

namespace {

constexpr NativeStringView kLineEnd = NTEXT("\r\n");

void AppendSpaces(NativeString& text, std::int64_t count) {
  if (count > 0) text.append(static_cast<std::size_t>(count), NativeChar(' '));
}

// Right-justifies the information after the name line that starts at `lines[nameLineStart]`
// and runs to the end of `lines`: the gap up to MaxWidth, or, when the two do not fit, a
// continuation line three spaces deeper than the name.
void AppendAligned(NativeString& lines, std::size_t nameLineStart, NativeStringView info,
                   int indentWidth, const OptionsRecord& options) {
  const NativeStringView nameLine = NativeStringView(lines).substr(nameLineStart);
  const std::int64_t gap =
      std::int64_t{options.MaxWidth} -
      static_cast<std::int64_t>(platform::TextLength(nameLine) + platform::TextLength(info));
  if (gap > 0) {
    AppendSpaces(lines, gap);
  } else {
    lines += kLineEnd;
    AppendSpaces(lines, indentWidth + 3);
  }
  lines += info;
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
  NativeString line(nameLine);
  AppendAligned(line, 0, info, indentWidth, options);
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
    case kInfoRightJustified: {
      const std::size_t start = lines.size();
      AppendSpaces(lines, indent);
      lines += entry.name;
      AppendAligned(lines, start, FormatEntryInfo(entry.facts, options), indent, options);
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
  AppendSpaces(lines, IndentWidth(layout, entry.level));
  lines += entry.name;
  lines += kLineEnd;
}
