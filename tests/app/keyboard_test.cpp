// Enter, Escape and access keys through the real keyboard input path.
#include <windows.h>

#include "frm_main_fixture.h"

using gui_test::KeyPress;
using gui_test::PumpFor;

TEST_F(MainWindowTest, EscapeExitsAndSavesTheOptions) {
  Load();
  gui_test::Press(Ctl(frmMain::optListType3));
  SetFocus(Ctl(frmMain::txtPath0));
  KeyPress(VK_ESCAPE);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return !form.IsLoaded(); }, 1000));
  EXPECT_EQ(L"3", Stored(L"PrintListType"));
}

TEST_F(MainWindowTest, AccessKeysSelectTheListType) {
  Load();
  SetFocus(Ctl(frmMain::txtPath0));
  KeyPress('F', /*withAlt=*/true);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return form.ListType() == 1; }, 1000));
  EXPECT_TRUE(form.Value(frmMain::optListType1));
  // "&Options" shares the letter; from the first box the option button comes first.
  SetFocus(Ctl(frmMain::txtPath0));
  KeyPress('O', /*withAlt=*/true);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return form.ListType() == 0; }, 1000));
}

TEST_F(MainWindowTest, EnterInAPathBoxPressesWriteFile) {
  Load();
  SetFocus(Ctl(frmMain::txtPath0));
  gui_test::BoxWatcher watcher({gui_test::Answer(IDOK)});
  KeyPress(VK_RETURN);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return !watcher.Seen().empty(); }, 1000));
  ASSERT_EQ(1u, watcher.Seen().size());
  EXPECT_EQ(L"Invalid Paths", watcher.Seen()[0].title);
}
