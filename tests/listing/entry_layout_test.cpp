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

class CollectLines final : public LineWriter {
 public:
  void WriteLine(NativeStringView text) override { lines.emplace_back(text); }
  std::vector<NativeString> lines;
};

// The worked example: a 2048-byte file two levels below the root, so its name line is six
// spaces and "report.txt" (16 characters).
class EntryLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ResetListingState();
    const NativeString s(1, kPathSeparator);
    const NativeString drive = testing_support::Drive();
    BeginListingRun(drive + s + N("Data"));
    nameLine_ = FormatEntryName(drive + s + N("Data") + s + N("Docs") + s + N("report.txt"));
    facts_.size = 2048;
    facts_.modified = 0;
    date_ = platform::DateTimeText(facts_.modified);
  }
  void TearDown() override { testing_support::ResetListingState(); }

  std::vector<NativeString> Entry() {
    CollectLines collect;
    WriteFileEntry(nameLine_, facts_, collect);
    return collect.lines;
  }
  static NativeString Sp(std::size_t count) { return NativeString(count, NativeChar(' ')); }

  NativeString nameLine_;
  platform::FileFacts facts_;
  NativeString date_;
};

}  // namespace

TEST_F(EntryLayout, NameLineOfTheWorkedExample) {
  EXPECT_EQ(nameLine_, Sp(6) + N("report.txt"));
  EXPECT_EQ(IndentWidth, 6);
}

TEST_F(EntryLayout, InformationTextForEachOption) {
  EXPECT_EQ(FormatEntryInfo(facts_), N(""));
  AppOptions.PrintFileSize = true;
  EXPECT_EQ(FormatEntryInfo(facts_), N(" 2048 bytes"));
  AppOptions.PrintDateTime = true;
  EXPECT_EQ(FormatEntryInfo(facts_), N(" 2048 bytes  ") + date_);
  AppOptions.PrintFileSize = false;
  EXPECT_EQ(FormatEntryInfo(facts_), N("  ") + date_);
  facts_.size = 0;
  AppOptions.PrintFileSize = true;
  AppOptions.PrintDateTime = false;
  EXPECT_EQ(FormatEntryInfo(facts_), N(" 0 bytes"));
  facts_.size = 5368709120LL;  // 5 GiB: sizes are 64-bit
  EXPECT_EQ(FormatEntryInfo(facts_), N(" 5368709120 bytes"));
}

TEST_F(EntryLayout, StyleZeroPutsInformationOnAnExtraLineFiveSpacesDeeper) {
  AppOptions.PrintStyle = 0;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_}));
  AppOptions.PrintFileSize = true;
  AppOptions.PrintDateTime = true;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_, Sp(11) + N(" 2048 bytes  ") + date_}));
}

TEST_F(EntryLayout, StyleOneSeparatesByTheChosenSpaces) {
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

TEST_F(EntryLayout, StyleTwoRightJustifiesOrContinuesOnANewLine) {
  AppOptions.PrintStyle = 2;
  AppOptions.MaxWidth = 80;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_ + Sp(64)}));
  AppOptions.MaxWidth = 10;
  EXPECT_EQ(Entry(), (std::vector<NativeString>{nameLine_ + N("\r\n") + Sp(9)}));

  // A 32-character information, as in the worked example, with a date text of the same size.
  AppOptions.PrintFileSize = true;
  const NativeString info = N(" 2048 bytes  7/9/2000 5:03:21 AM");
  ASSERT_EQ(info.size(), 32u);
  AppOptions.MaxWidth = 80;
  EXPECT_EQ(AlignEntryInfo(nameLine_, info), nameLine_ + Sp(32) + info);
  AppOptions.MaxWidth = 48;  // exactly fits: gap 0 takes the continuation form
  EXPECT_EQ(AlignEntryInfo(nameLine_, info), nameLine_ + N("\r\n") + Sp(9) + info);
  AppOptions.MaxWidth = 49;  // one short: a single space of gap
  EXPECT_EQ(AlignEntryInfo(nameLine_, info), nameLine_ + Sp(1) + info);
  AppOptions.MaxWidth = -3;
  EXPECT_EQ(AlignEntryInfo(nameLine_, info), nameLine_ + N("\r\n") + Sp(9) + info);
}

TEST_F(EntryLayout, UnknownStyleWritesNothing) {
  AppOptions.PrintStyle = 3;
  EXPECT_TRUE(Entry().empty());
  AppOptions.PrintStyle = -1;
  EXPECT_TRUE(Entry().empty());
}

TEST_F(EntryLayout, InformationReadFromTheFileItself) {
  testing_support::TempTree tree;
  tree.File("f.bin", "12345");
  EXPECT_EQ(FormatEntryInfo(tree.Path("f.bin")), N(""));
  AppOptions.PrintFileSize = true;
  EXPECT_EQ(FormatEntryInfo(tree.Path("f.bin")), N(" 5 bytes"));
  EXPECT_THROW(FormatEntryInfo(tree.Path("vanished")), platform::SystemError);
}

TEST_F(EntryLayout, WidthsCountCharactersNotBytes) {
  AppOptions.MaxWidth = 20;
  // "café" is four characters, whatever its encoding takes.
  EXPECT_EQ(AlignEntryInfo(N("  caf\xC3\xA9"), N(" 1 bytes")),
            N("  caf\xC3\xA9") + Sp(6) + N(" 1 bytes"));
}
