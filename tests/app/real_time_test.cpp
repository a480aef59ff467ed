// The main window on real message loops with its timer running in real time: no tick here is
// sent by hand, and every wait is for a condition.
#include <windows.h>

#include "frm_main_fixture.h"
#include "integration/frm_integrate.h"

using gui_test::MoveCursor;
using gui_test::PumpUntil;

namespace {

POINT CentreOf(HWND hwnd) {
  const RECT rect = gui_test::ScreenRect(hwnd);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace

// A first start: the integration prompt comes up alone and its own loop delivers the title's
// watch ticks, the first of which finds the pointer away and takes the hover size. Answered
// from the keyboard, then the real pointer goes over the title's centre.
TEST_F(MainWindowTest, FirstStartWithThePromptThenThePointerOverTheTitle) {
  Store(L"DontBother", L"False");
  MoveCursor(0, 0);  // the screen's corner: outside every window
  bool tickedDuringPrompt = false;
  gui_test::WindowDriver prompt(frmIntegrate::kCaption, {[&](HWND window) {
                                  tickedDuringPrompt =
                                      PumpUntil([&] { return !form.TitleTimerEnabled(); }, 5000);
                                  SetForegroundWindow(window);
                                  gui_test::KeyPress('N', /*withAlt=*/true);
                                }});
  Load();
  ASSERT_EQ(1, prompt.WindowsSeen());
  EXPECT_TRUE(tickedDuringPrompt) << "the title's timer did not tick while the prompt was open";
  EXPECT_EQ(L"False", Stored(L"Registered")) << "the prompt was not answered No";
  ASSERT_TRUE(IsWindowVisible(form.Handle()));

  gui_test::TimerTickCounter ticks(form.Handle(), frmMain::kTitleTimerId);
  const POINT centre = CentreOf(Ctl(frmMain::lblTitle));
  MoveCursor(centre.x, centre.y);
  ASSERT_TRUE(PumpUntil([&] { return form.TitleHighlighted(); }, 5000));
  EXPECT_TRUE(PumpUntil([&] { return GetCursor() == form.TitleCursor(); }, 5000));
  // Ticks with the pointer still on the title leave the highlight alone.
  ASSERT_TRUE(ticks.WaitForTicks(3))
      << "the watch stopped with the pointer on the title: the hover area is not the title's";
  EXPECT_TRUE(form.TitleHighlighted());
  EXPECT_TRUE(form.TitleTimerEnabled());
  EXPECT_EQ(form.TitleCursor(), GetCursor());

  // Onto the navy surface below the title: the next tick ends the highlight.
  MoveCursor(centre.x, centre.y + 60);
  EXPECT_TRUE(PumpUntil([&] { return !form.TitleHighlighted(); }, 5000));
  EXPECT_EQ(frmMain::kTitleNormal, form.ForeColour(frmMain::lblTitle));
  EXPECT_FALSE(form.Underlined(frmMain::lblTitle));
  EXPECT_FALSE(form.TitleTimerEnabled());
  EXPECT_TRUE(PumpUntil([&] { return GetCursor() != form.TitleCursor(); }, 5000));
  MoveCursor(0, 0);
}
