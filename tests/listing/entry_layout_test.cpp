#include <gtest/gtest.h>

#include <vector>

#include "listing/app_options.h"
#include "listing/entry_layout.h"
#include "listing/folder_listing.h"
#include "platform/date_time_text.h"
#include "platform/system_error.h"
#include "support/temp_tree.h"

using testing_support::N;

namespace {

// The worked example: a 2048-byte file two levels below the root, so its name line is six
// spaces and "report.txt" (16 characters).
class EntryLineLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetListingState();
    const NativeString s(1, kPathSeparator);
    const NativeString drive = testing_support::Drive();
    layout_.firstLevelIndent = FirstLevelIndent(drive + s + N("Data"));
    facts_.size = 2048;
    facts_.modified = 0;
    FormatEntryName(Report(), IndentWidth(layout_, 2), nameLine_);
    date_ = platform::DateTimeText(facts_.modified);
  }
  void TearDown() override { testing_support::ResetListingState(); }

  // C:\Data\Docs\report.txt: two levels below the root.
  ListingEntry Report() const { return {reportName_, 2, EntryKind::kFile, facts_, {}}; }

  // The entry's lines, each checked to end in CR LF.
  std::vector<NativeString> Entry() {
    layout_.options = LayoutOf(AppOptions);
    NativeString text;
    WriteFileEntry(Report(), layout_, text);
    std::vector<NativeString> lines;
    const NativeString lineEnd = N("\r\n");
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find(lineEnd, start);
      EXPECT_NE(end, NativeString::npos) << "an entry ends in CR LF";
      if (end == NativeString::npos) break;
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }
  NativeString Align(NativeStringView nameLine, NativeStringView info) {
    NativeString line(nameLine);
    AlignEntryInfo(line, 0, info, IndentWidth(layout_, 2), LayoutOf(AppOptions));
    return line;
  }
  static NativeString Sp(std::size_t count) { return NativeString(count, NativeChar(' ')); }

  const NativeString reportName_ = N("report.txt");
  ::EntryLayout layout_;
  NativeString nameLine_;
  platform::FileFacts facts_;
  NativeString date_;
};

}  // namespace

TEST_F(EntryLineLayout, NameLineOfTheWorkedExample) {
  EXPECT_EQ(nameLine_, Sp(6) + N("report.txt"));
  EXPECT_EQ(IndentWidth(layout_, 2), 6);
}

TEST_F(EntryLineLayout, InformationTextForEachOption) {
  EXPECT_EQ(FormatEntryInfo(facts_, LayoutOf(AppOptions)), N(""));
  AppOptions.PrintFileSize = true;
  EXPECT_EQ(FormatEntryInfo(facts_, LayoutOf(AppOptions)), N(" 2048 bytes"));
  AppOptions.PrintDateTime = true;
  EXPECT_EQ(FormatEntryInfo(facts_, LayoutOf(AppOptions)), N(" 2048 bytes  ") + date_);
  AppOptions.PrintFileSize = false;
  EXPECT_EQ(FormatEntryInfo(facts_, LayoutOf(AppOptions)), N("  ") + date_);
  facts_.size = 0;
  AppOptions.PrintFileSize = true;
  AppOptions.PrintDateTime = false;
  EXPECT_EQ(FormatEntryInfo(facts_, LayoutOf(AppOptions)), N(" 0 bytes"));
  facts_.size = 5368709120LL;  // 5 GiB: sizes are 64-bit
  EXPECT_EQ(FormatEntryInfo(facts_, LayoutOf(AppOptions)), N(" 5368709120 bytes"));
}

TEST_F(EntryLineLayout, StyleZeroPutsInformationOnAnExtraLineFiveSpacesDeeper) {
  AppOptions.PrintStyle = 0;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_}));
  AppOptions.PrintFileSize = true;
  AppOptions.PrintDateTime = true;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_, Sp(11) + N(" 2048 bytes  ") + date_}));
}

TEST_F(EntryLineLayout, StyleOneSeparatesByTheChosenSpaces) {
  AppOptions.PrintStyle = 1;
  AppOptions.NoSpacesSeperate = 10;
  AppOptions.PrintFileSize = true;
  const auto withSize = Entry();
  ASSERT_EQ(withSize.size(), 1u);
  EXPECT_EQ(withSize[0], nameLine_ + Sp(10) + N(" 2048 bytes"));
  EXPECT_EQ(withSize[0].size(), 37u);
  AppOptions.PrintFileSize = false;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_ + Sp(10)}));
  AppOptions.NoSpacesSeperate = 0;
  AppOptions.PrintFileSize = true;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_ + N(" 2048 bytes")}));
  AppOptions.NoSpacesSeperate = -1;
  EXPECT_THROW(Entry(), platform::SystemError);
}

TEST_F(EntryLineLayout, StyleTwoRightJustifiesOrContinuesOnANewLine) {
  AppOptions.PrintStyle = 2;
  AppOptions.MaxWidth = 80;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_ + Sp(64)}));
  AppOptions.MaxWidth = 10;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_, Sp(9)}));

  // A 32-character information, as in the worked example, with a date text of the same size.
  AppOptions.PrintFileSize = true;
  const NativeString info = N(" 2048 bytes  7/9/2000 5:03:21 AM");
  ASSERT_EQ(info.size(), 32u);
  AppOptions.MaxWidth = 80;
  EXPECT_EQ(Align(nameLine_, info), nameLine_ + Sp(32) + info);
  AppOptions.MaxWidth = 48;  // exactly fits: gap 0 takes the continuation form
  EXPECT_EQ(Align(nameLine_, info), nameLine_ + N("\r\n") + Sp(9) + info);
  AppOptions.MaxWidth = 49;  // one short: a single space of gap
  EXPECT_EQ(Align(nameLine_, info), nameLine_ + Sp(1) + info);
  AppOptions.MaxWidth = -3;
  EXPECT_EQ(Align(nameLine_, info), nameLine_ + N("\r\n") + Sp(9) + info);
}

TEST_F(EntryLineLayout, UnknownStyleWritesNothing) {
  AppOptions.PrintStyle = 3;
  EXPECT_TRUE(Entry().empty());
  AppOptions.PrintStyle = -1;
  EXPECT_TRUE(Entry().empty());
}

TEST_F(EntryLineLayout, InformationComesFromTheFolderRecordOnlyWhenAskedFor) {
  testing_support::TempTree tree;
  tree.File("src/f.bin", "12345");
  const NativeString out = tree.Path("out.txt");
  AppOptions.PrintStyle = 1;
  AppOptions.NoSpacesSeperate = 0;
  ASSERT_TRUE(testing_support::RunListing(tree.Path("src"), out, 1));
  EXPECT_EQ(testing_support::ReadLines(out), std::vector<std::string>{"   f.bin"});
  AppOptions.PrintFileSize = true;
  ASSERT_TRUE(testing_support::RunListing(tree.Path("src"), out, 1));
  EXPECT_EQ(testing_support::ReadLines(out), std::vector<std::string>{"   f.bin 5 bytes"});
}

TEST_F(EntryLineLayout, WidthsCountCharactersNotBytes) {
  AppOptions.MaxWidth = 20;
  // "café" is four characters, whatever its encoding takes.
  EXPECT_EQ(Align(N("  caf\xC3\xA9"), N(" 1 bytes")), N("  caf\xC3\xA9") + Sp(6) + N(" 1 bytes"));
}
