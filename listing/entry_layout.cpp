#include "entry_layout.h"

#include <cstdint>

#include "app_options.h"
#include "folder_listing.h"
#include "platform/date_time_text.h"
#include "platform/system_error.h"

namespace {

NativeString Spaces(std::int64_t count) {
  return NativeString(static_cast<std::size_t>(count > 0 ? count : 0), NativeChar(' '));
}

}  // namespace

NativeString FormatEntryInfo(const platform::FileFacts& facts) {
  NativeString info;
  if (AppOptions.PrintFileSize) {
    info += NTEXT(" ");
    info += platform::DecimalText(facts.size);
    info += NTEXT(" bytes");
  }
  if (AppOptions.PrintDateTime) {
    info += NTEXT("  ");
    info += platform::DateTimeText(facts.modified);
  }
  return info;
}

NativeString FormatEntryInfo(const NativeString& path) {
  if (!AppOptions.PrintFileSize && !AppOptions.PrintDateTime) return {};
  return FormatEntryInfo(platform::ReadFileFacts(path));
}

NativeString AlignEntryInfo(NativeStringView nameLine, NativeStringView info) {
  const std::int64_t gap =
      std::int64_t{AppOptions.MaxWidth} -
      static_cast<std::int64_t>(platform::TextLength(nameLine) + platform::TextLength(info));
  NativeString line(nameLine);
  if (gap > 0) {
    line += Spaces(gap);
  } else {
    // Too long for one line: the information goes on a continuation line three spaces deeper.
    line += NTEXT("\r\n");
    line += Spaces(IndentWidth);
    line += NTEXT("   ");
  }
  line += info;
  return line;
}

void WriteFileEntry(const NativeString& nameLine, const platform::FileFacts& facts,
                    LineWriter& writer) {
  switch (AppOptions.PrintStyle) {
    case kInfoOnExtraLine: {
      writer.WriteLine(nameLine);
      const NativeString info = FormatEntryInfo(facts);
      if (!info.empty()) writer.WriteLine(Spaces(IndentWidth + 5) + info);
      break;
    }
    case kInfoOnSameLine: {
      if (AppOptions.NoSpacesSeperate < 0)
        throw platform::SystemError(
            5, NTEXT("The number of spaces between a file name and its information is "
                     "negative: ") +
                   platform::DecimalText(AppOptions.NoSpacesSeperate));
      writer.WriteLine(nameLine + Spaces(AppOptions.NoSpacesSeperate) + FormatEntryInfo(facts));
      break;
    }
    case kInfoRightJustified:
      writer.WriteLine(AlignEntryInfo(nameLine, FormatEntryInfo(facts)));
      break;
    default:
      break;  // no layout: the file is not written
  }
}
