// A source folder whose path is far past MAX_PATH, given to the real window as a user gives it.
#include <windows.h>

#include <string>
#include <vector>

#include "frm_main_fixture.h"

using gui_test::Answer;
using gui_test::BoxWatcher;
using testing_support::ReadLines;
using testing_support::TempTree;

TEST_F(MainWindowTest, SourcePathOf400CharactersIsTypedAndListed) {
  TempTree tree;
  // Nested folders with names of 40 characters, until the path is 400 characters long.
  std::string relative;
  while (tree.Path(relative).size() < 400) {
    if (!relative.empty()) relative += '/';
    relative += "a folder name of forty characters, long!";
  }
  const std::wstring source = tree.Path(relative);
  ASSERT_GE(source.size(), 400u);
  tree.File(relative + "/sub/b.txt");
  tree.File(relative + "/a.txt");
  const std::wstring output = tree.Path(relative + "/list.txt");
  Store(L"PrintStyle", L"0");  // no padding after the names

  // The command line's short form comes back whole, in the names stored on disk.
  Load(L"\"" + testing_support::ShortPathOf(source) + L"\"");
  EXPECT_EQ(source, form.Text(frmMain::txtPath0));

  SetWindowTextW(Ctl(frmMain::txtPath0), L"");
  gui_test::Type(Ctl(frmMain::txtPath0), source);
  gui_test::Type(Ctl(frmMain::txtPath1), output);
  EXPECT_EQ(source, form.Text(frmMain::txtPath0));
  BoxWatcher watcher({Answer(IDNO)});
  gui_test::Press(Ctl(frmMain::cmdPrint));
  const auto seen = watcher.Seen();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"View File?", seen[0].title) << seen[0].text;
  EXPECT_EQ((std::vector<std::string>{"   sub", "      b.txt", "   a.txt", "   list.txt"}),
            ReadLines(output));
}
