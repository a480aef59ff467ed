#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "listing/listing_sink.h"
#include "platform/output_file.h"
#include "support/temp_tree.h"

using testing_support::ReadLines;
using testing_support::TempTree;

namespace {

class WindowsNames : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::ResetListingState(); }
  void TearDown() override { testing_support::ResetListingState(); }
};

}  // namespace

TEST_F(WindowsNames, NamesOutsideTheAnsiCodePageNeverStopARun) {
  TempTree tree;
  tree.Folder("src");
  // Two CJK characters: no single-byte code page has them.
  const NativeString name = L"\u65E5\u672C.txt";
  testing_support::WriteFileBytes(tree.Path("src") + L"\\" + name, "abc");
  tree.Folder("src/\xE6\x97\xA5\xE6\x9C\xAC dir");
  tree.File("src/\xE6\x97\xA5\xE6\x9C\xAC dir/inner.txt", "12345");
  AppOptions.PrintStyle = 1;
  AppOptions.NoSpacesSeperate = 0;
  AppOptions.PrintFileSize = true;
  const NativeString out = tree.Path("out.txt");

  // Strictly in the code page, each character it lacks is '?', and the names are counted.
  ListingSettings strict;
  strict.source = tree.Path("src");
  strict.output = out;
  strict.layout = LayoutOf(AppOptions);
  strict.textEncoding = TextEncoding::kAnsi;
  {
    ListingRun strictRun(std::move(strict));
    ASSERT_TRUE(strictRun.WriteFolderListing());
    EXPECT_EQ(strictRun.ChangedNames(), 2u);
  }
  const auto lines = ReadLines(out);
  ASSERT_EQ(lines.size(), 3u);
  if (GetACP() == 1252) {
    EXPECT_EQ(lines[0], "   ?? dir");
    EXPECT_EQ(lines[1], "      inner.txt 5 bytes");
    EXPECT_EQ(lines[2], "   ??.txt 3 bytes");
  } else {
    EXPECT_EQ(lines[1], "      inner.txt 5 bytes");
    EXPECT_NE(lines[2].find(".txt 3 bytes"), std::string::npos) << lines[2];
  }

  // As the window writes it: UTF-8 from the first name on.
  ASSERT_TRUE(testing_support::RunListing(tree.Path("src"), out, 2));
  EXPECT_EQ(testing_support::ReadBytes(out),
            "\xEF\xBB\xBF   \xE6\x97\xA5\xE6\x9C\xAC dir\r\n      inner.txt 5 bytes\r\n"
            "   \xE6\x97\xA5\xE6\x9C\xAC.txt 3 bytes\r\n");
}

// Far more than one piece of the rewrite and many flushes before the first name the code page
// lacks: every byte written so far moves, and each character keeps its meaning.
TEST_F(WindowsNames, TheFirstNameTheCodePageLacksTurnsTheListingUtf8) {
  if (GetACP() != 1252) GTEST_SKIP() << "the lines below are written for code page 1252";
  TempTree tree;
  const NativeString file = tree.Path("out.txt");
  ListingSink sink{platform::OutputFile(file)};
  NativeString all;
  for (int i = 0; all.size() < 3 * 1024 * 1024; ++i) {
    const NativeString line =
        L"   caf\u00E9 " + std::to_wstring(i) + NativeString(80, L'x') + L"\r\n";
    sink.Add(line);
    all += line;
  }
  sink.Flush();
  const std::string ansi = testing_support::ReadBytes(file);
  EXPECT_EQ(ansi.size(), all.size()) << "one byte a character while the names fit";
  for (const NativeString line : {L"   \u03A9mega.txt\r\n", L"   caf\u00E9 again\r\n"}) {
    sink.Add(line);
    all += line;
  }
  sink.Flush();
  const std::string expected = "\xEF\xBB\xBF" + platform::ToUtf8(all);
  EXPECT_TRUE(testing_support::ReadBytes(file) == expected);
  EXPECT_EQ(sink.WholeLinesEnd(), expected.size());
  EXPECT_EQ(sink.ChangedNames(), 0u);
}

TEST_F(WindowsNames, DriveRootEntriesStartInColumnOne) {
  TempTree tree;
  const NativeString out = tree.Path("out.txt");
  ASSERT_TRUE(testing_support::RunListing(L"C:\\", out, 3));
  const auto lines = ReadLines(out);
  ASSERT_FALSE(lines.empty());
  for (const auto& line : lines) EXPECT_NE(line.front(), ' ') << line;
  const bool hasWindows = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return _stricmp(line.c_str(), "windows") == 0;
  });
  EXPECT_TRUE(hasWindows);
}

TEST_F(WindowsNames, PathsPastTheOldLimitListLikeAnyOther) {
  TempTree tree;
  std::string relative = "src";
  tree.Folder(relative);
  const std::string segment(60, 'x');
  for (int level = 0; level < 6; ++level) {
    relative += "/" + segment;
    tree.Folder(relative);
  }
  tree.File(relative + "/leaf.txt", "1234");
  ASSERT_GT(tree.Path(relative).size(), 300u);
  AppOptions.PrintStyle = 0;
  AppOptions.PrintFileSize = true;
  const NativeString out = tree.Path("out.txt");
  ASSERT_TRUE(testing_support::RunListing(tree.Path("src"), out, 2));
  const auto lines = ReadLines(out);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[6], std::string(21, ' ') + "leaf.txt");
  EXPECT_EQ(lines[7], std::string(26, ' ') + " 4 bytes");
}
