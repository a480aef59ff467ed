// Enter, Escape and access keys through the real keyboard input path.
#include <windows.h>

#include "frm_main_fixture.h"

using gui_test::KeyPress;
using gui_test::PumpFor;

namespace {

// Presses a key that moves the focus and waits until it has moved.
void PressArrow(WORD key) {
  const HWND before = GetFocus();
  KeyPress(key);
  gui_test::PumpUntil([&] { return GetFocus() != before; }, 1000);
}

}  // namespace

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

// The list type buttons are one keyboard group although "No Subs" stands apart from the other
// three in the tab order: the arrow keys reach and select it from each of them, and go round.
TEST_F(MainWindowTest, ArrowKeysReachAndSelectEveryListTypeButton) {
  Load();
  const frmMain::Row buttons[] = {frmMain::optListType0, frmMain::optListType1,
                                  frmMain::optListType2, frmMain::optListType3};
  for (int start = 0; start < 3; ++start) {
    for (const WORD key : {VK_DOWN, VK_UP}) {
      gui_test::Press(Ctl(buttons[start]));
      SetFocus(Ctl(buttons[start]));
      for (int i = 0; i < 3 && GetFocus() != Ctl(frmMain::optListType3); ++i) PressArrow(key);
      EXPECT_EQ(Ctl(frmMain::optListType3), GetFocus()) << "from " << start << " key " << key;
      EXPECT_TRUE(form.Value(frmMain::optListType3)) << "from " << start << " key " << key;
      EXPECT_FALSE(form.Value(buttons[start])) << "from " << start << " key " << key;
      EXPECT_EQ(3, form.ListType()) << "from " << start << " key " << key;
    }
  }
  PressArrow(VK_RIGHT);
  EXPECT_EQ(0, form.ListType()) << "after the last button comes the first";
  EXPECT_EQ(Ctl(frmMain::optListType0), GetFocus());

  // Tab enters the group at its selected button, whichever row of the table that is.
  PressArrow(VK_LEFT);
  ASSERT_EQ(3, form.ListType());
  SetFocus(Ctl(frmMain::cmdExit));
  PressArrow(VK_TAB);
  EXPECT_EQ(Ctl(frmMain::optListType3), GetFocus());
}

// Log-off or shutdown with the window idle: the options are saved as at Exit, once.
TEST_F(MainWindowTest, SessionEndSavesTheOptionsOnceAndClosesTheWindow) {
  Load();
  gui_test::Press(Ctl(frmMain::optListType1));
  EXPECT_EQ(TRUE, SendMessageW(form.Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_TRUE(form.IsLoaded()) << "asking does not end anything";
  SendMessageW(form.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_EQ(L"1", Stored(L"PrintListType"));
  Store(L"PrintListType", L"0");
  form.Unload();
  EXPECT_EQ(L"0", Stored(L"PrintListType")) << "saved a second time";
}

// A session end that another program refused changes nothing.
TEST_F(MainWindowTest, CancelledSessionEndKeepsTheWindow) {
  Load();
  SendMessageW(form.Handle(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(form.IsLoaded());
  EXPECT_EQ(L"<none>", Stored(L"PrintListType"));
}
