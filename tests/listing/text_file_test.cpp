#include <gtest/gtest.h>

#include "listing/text_file.h"
#include "platform/system_error.h"
#include "support/temp_tree.h"

using testing_support::N;
using testing_support::ReadBytes;
using testing_support::TempTree;

TEST(TextFile, AppendCreatesTheFileAndAddsLinesWithCrLf) {
  TempTree tree;
  const NativeString file = tree.Path("log.txt");
  EXPECT_TRUE(AppendToTextFile(file, N("first")));
  EXPECT_TRUE(AppendToTextFile(file, N("")));
  EXPECT_TRUE(AppendToTextFile(file, N("  third")));
  EXPECT_EQ(ReadBytes(file), "first\r\n\r\n  third\r\n");
}

TEST(TextFile, EmptyingTruncatesOrCreates) {
  TempTree tree;
  const NativeString file = tree.Path("old.txt");
  tree.File("old.txt", "old contents");
  EmptyTextFile(file);
  EXPECT_EQ(ReadBytes(file), "");
  EmptyTextFile(tree.Path("new.txt"));
  EXPECT_EQ(ReadBytes(tree.Path("new.txt")), "");
  EXPECT_THROW(EmptyTextFile(tree.Path("missing/folder/x.txt")), platform::SystemError);
}

#ifndef _WIN32
// On Windows the failure shows a message box; the window tests answer such boxes.
TEST(TextFile, AppendFailureReportsFalse) {
  TempTree tree;
  tree.Folder("a-folder");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(AppendToTextFile(tree.Path("a-folder"), N("line")));
  const std::string shown = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(shown.rfind("AppendToTextFile: Error: ", 0), 0u) << shown;
}
#endif
