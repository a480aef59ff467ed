// The window framework's own contracts: rounding, modal display, timers, Enter and Escape.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <stdexcept>

#include "gui_test_support.h"
#include "platform/window/dpi.h"
#include "platform/window/timer.h"
#include "platform/window/twips.h"
#include "platform/window/window.h"

using namespace platform::window;

TEST(Twips, RoundHalfEvenAndConversionsAt96Dpi) {
  EXPECT_EQ(502, RoundHalfEven(502.5));
  EXPECT_EQ(398, RoundHalfEven(397.5));
  EXPECT_EQ(2, RoundHalfEven(2.5));
  EXPECT_EQ(3, RoundHalfEven(2.6));
  EXPECT_EQ(0, RoundHalfEven(-0.5));
  EXPECT_EQ(-2, RoundHalfEven(-1.5));
  EXPECT_THROW(RoundHalfEven(1e12), std::range_error);
  EXPECT_THROW(RoundHalfEven(std::nan("")), std::range_error);
  EXPECT_EQ(96, SystemDpi());
  EXPECT_EQ(15.0, TwipsPerPixel(SystemDpi()));
  EXPECT_EQ(402, TwipsToPixels(6030, 96));
  EXPECT_EQ(17, TwipsToPixels(255, 96));  // 17.0
  EXPECT_EQ(65, TwipsToPixels(975, 96));
  EXPECT_EQ(375.0, PixelsToTwips(25, 96));
  EXPECT_EQ(502, TwipsToPixels(6030, 120));  // 502.5
  EXPECT_EQ(804, TwipsToPixels(6030, 192));
}

namespace {

constexpr ControlRow kRows[] = {
    {.name = L"txtName",
     .kind = ControlKind::TextBox,
     .caption = L"",
     .left = 120,
     .top = 120,
     .width = 2000,
     .height = 375},
    {.name = L"cmdOK",
     .kind = ControlKind::Button,
     .caption = L"&OK",
     .left = 120,
     .top = 600,
     .width = 975,
     .height = 375,
     .flags = kDefaultButton},
    {.name = L"cmdCancel",
     .kind = ControlKind::Button,
     .caption = L"Cancel",
     .left = 1200,
     .top = 600,
     .width = 975,
     .height = 375,
     .flags = kCancelButton},
};
constexpr FormSpec kDialog{.caption = L"Dialog",
                           .width = 3000,
                           .height = 1500,
                           .border = BorderStyle::FixedSingle,
                           .controls = kRows};

class Dialog : public Window {
 public:
  Dialog() : Window(kDialog) {}
  int okClicks = 0;
  int cancelClicks = 0;
  int ticks = 0;
  Timer tmrTick{*this, 7, 20, false};

 protected:
  void OnClick(int row) override {
    if (row == 1) ++okClicks;
    if (row == 2) {
      ++cancelClicks;
      Destroy();
    }
  }
  void OnTimer(UINT_PTR id) override {
    if (id == tmrTick.Id()) ++ticks;
  }
};

constexpr FormSpec kOwner{.caption = L"Owner", .width = 3000, .height = 3000, .controls = {}};

}  // namespace

TEST(WindowFramework, ModalWindowDisablesItsOwnerUntilItCloses) {
  gui_test::KeepDesktopAlive();
  Window owner(kOwner);
  owner.Create(nullptr);
  owner.Show();
  Dialog dialog;
  // Escape, from a thread timer that the dialog's own loop dispatches, presses its cancel
  // button (which closes it).
  static Dialog* running = nullptr;
  static HWND ownerWindow = nullptr;
  static bool ownerDisabledMeanwhile = false;
  running = &dialog;
  ownerWindow = owner.Handle();
  ownerDisabledMeanwhile = false;
  SetTimer(nullptr, 0, 0, [](HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ownerDisabledMeanwhile = !IsWindowEnabled(ownerWindow);
    SetForegroundWindow(running->Handle());
    gui_test::KeyPress(VK_ESCAPE);
  });
  dialog.ShowModal(owner.Handle());
  EXPECT_TRUE(ownerDisabledMeanwhile);
  EXPECT_EQ(1, dialog.cancelClicks);
  EXPECT_FALSE(dialog.IsLoaded());
  EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(WindowFramework, EnterPressesTheDefaultButtonAndTimersTick) {
  gui_test::KeepDesktopAlive();
  Dialog dialog;
  dialog.Create(nullptr);
  dialog.Show();
  SetForegroundWindow(dialog.Handle());
  SetFocus(dialog.Control(0));
  gui_test::KeyPress(VK_RETURN);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return dialog.okClicks == 1; }, 1000));

  dialog.tmrTick.SetEnabled(true);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return dialog.ticks >= 3; }, 1000));
  dialog.tmrTick.SetEnabled(false);
  const int ticks = dialog.ticks;
  gui_test::PumpFor(80);
  EXPECT_EQ(ticks, dialog.ticks);
}
