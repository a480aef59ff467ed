#include <windows.h>

#include <gtest/gtest.h>

#include "listing/expand_short_path.h"
#include "support/temp_tree.h"

using testing_support::TempTree;

namespace {

// Lower case past the drive letter, which is kept as typed.
NativeString Lower(NativeString text) {
  for (std::size_t i = 2; i < text.size(); ++i) text[i] = static_cast<wchar_t>(towlower(text[i]));
  return text;
}

}  // namespace

TEST(ExpandShortPath, RebuildsLongNamesInTheirStoredCase) {
  TempTree tree;
  tree.Folder("A very long Folder name");
  tree.Folder("A very long Folder name/Sub Folder With Blanks");
  const NativeString longPath = tree.Path("A very long Folder name/Sub Folder With Blanks");
  const NativeString shortPath = testing_support::ShortPathOf(longPath);
  ASSERT_NE(shortPath, longPath) << "no 8.3 names here";
  EXPECT_EQ(ExpandShortPath(shortPath), longPath);
  EXPECT_EQ(ExpandShortPath(Lower(longPath)), longPath);
  EXPECT_EQ(ExpandShortPath(shortPath + L"\\"), longPath + L"\\");
}

TEST(ExpandShortPath, KeepsWhatCannotBeFoundOrRebuilt) {
  TempTree tree;
  tree.Folder("Existing Folder");
  const NativeString missing = tree.Path("Existing Folder/No Such Thing/deeper");
  EXPECT_EQ(ExpandShortPath(missing), missing);
  EXPECT_EQ(ExpandShortPath(L"C:\\"), L"C:\\");
  EXPECT_EQ(ExpandShortPath(L"\\\\server\\share\\folder"), L"\\\\server\\share\\folder");
  EXPECT_EQ(ExpandShortPath(L"relative\\folder"), L"relative\\folder");
  EXPECT_EQ(ExpandShortPath(L"C"), L"C");
  EXPECT_EQ(ExpandShortPath(L""), L"");
  EXPECT_EQ(ExpandShortPath(L"C:\\win*"), L"C:\\win*");
}
