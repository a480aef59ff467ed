// Files dropped on the main window, delivered as Explorer delivers them: a WM_DROPFILES
// message carrying a real HDROP block.
#include <windows.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "frm_main_fixture.h"

namespace {

// The block Explorer hands over: a DROPFILES header, then the wide paths, each ending in a
// NUL, and one NUL more. The window frees it with DragFinish.
HDROP MakeDrop(const std::vector<std::wstring>& paths) {
  std::size_t characters = 1;
  for (const std::wstring& path : paths) characters += path.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
  if (!block) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  auto* text = reinterpret_cast<wchar_t*>(header + 1);
  for (const std::wstring& path : paths) {
    path.copy(text, path.size());
    text += path.size() + 1;
  }
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

class DropFilesTest : public MainWindowTest {
 protected:
  void Drop(const std::vector<std::wstring>& paths) {
    HDROP drop = MakeDrop(paths);
    ASSERT_NE(nullptr, drop);
    ASSERT_TRUE(PostMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
    gui_test::PumpFor(50);
  }
  testing_support::TempTree tree;
};

}  // namespace

TEST_F(DropFilesTest, FolderFillsTheSourceExpandedAndTxtFileTheOutput) {
  tree.Folder("A very long folder name");
  tree.File("notes.doc");
  tree.File("listing.txt");
  const std::wstring longPath = tree.Path("A very long folder name");
  const std::wstring shortPath = testing_support::ShortPathOf(longPath);
  wchar_t expected[MAX_PATH] = {};
  ASSERT_GT(GetLongPathNameW(shortPath.c_str(), expected, MAX_PATH), 0u);
  Load();
  // Explorer drops only on windows that carry this style.
  EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

  Drop({tree.Path("notes.doc"), shortPath, tree.Path("listing.txt")});
  EXPECT_EQ(std::wstring(expected), form.Text(frmMain::txtPath0));
  EXPECT_EQ(tree.Path("listing.txt"), form.Text(frmMain::txtPath1));
}

TEST_F(DropFilesTest, OtherFilesChangeNothing) {
  tree.File("notes.doc");
  tree.File("listing.txt.bak");
  Load();
  form.SetText(frmMain::txtPath0, L"C:\\Source");
  form.SetText(frmMain::txtPath1, L"C:\\Output.txt");
  Drop({tree.Path("notes.doc"), tree.Path("listing.txt.bak")});
  EXPECT_EQ(L"C:\\Source", form.Text(frmMain::txtPath0));
  EXPECT_EQ(L"C:\\Output.txt", form.Text(frmMain::txtPath1));
}
