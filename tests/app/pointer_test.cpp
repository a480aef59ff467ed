// The real pointer over the main window: the title's hover effect, dragging, the ellipse.
#include <windows.h>

#include "frm_main_fixture.h"
#include "platform/handles.h"
#include "support/layout_checks.h"

using gui_test::MouseButton;
using gui_test::MoveCursor;
using gui_test::PumpFor;
using gui_test::PumpUntil;

namespace {

POINT ClientToScreenPoint(HWND hwnd, int x, int y) {
  POINT point{x, y};
  ClientToScreen(hwnd, &point);
  return point;
}

// One tick of the title's watch timer, delivered as its message: nothing waits for real ticks.
void TitleTick(const frmMain& form) {
  SendMessageW(form.Handle(), WM_TIMER, frmMain::kTitleTimerId, 0);
}

}  // namespace

TEST_F(MainWindowTest, TitleLightsUpUnderThePointerAndRestoresWhenItLeaves) {
  Load();
  const HWND title = Ctl(frmMain::lblTitle);
  // Start-up: the first tick finds the pointer elsewhere and stops the timer.
  const POINT away = ClientToScreenPoint(form.Handle(), 201, 300);
  MoveCursor(away.x, away.y);
  EXPECT_TRUE(form.TitleTimerEnabled()) << "runs from start-up";
  TitleTick(form);
  EXPECT_FALSE(form.TitleTimerEnabled());

  const POINT onTitle = ClientToScreenPoint(title, 120, 16);
  MoveCursor(onTitle.x, onTitle.y);
  ASSERT_TRUE(PumpUntil([&] { return form.TitleHighlighted(); }, 500));
  EXPECT_EQ(frmMain::kTitleHighlight, form.ForeColour(frmMain::lblTitle));
  EXPECT_TRUE(form.Underlined(frmMain::lblTitle));
  EXPECT_TRUE(form.TitleTimerEnabled());
  ASSERT_NE(nullptr, form.TitleCursor());
  EXPECT_TRUE(PumpUntil([&] { return GetCursor() == form.TitleCursor(); }, 500));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(title, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_TRUE(font.lfUnderline);

  // The right and bottom edges of the hover area (3615 x 495 twips = 241 x 33 pixels) count
  // as inside, though they lie just outside the label window itself.
  const POINT edge = ClientToScreenPoint(title, 241, 33);
  MoveCursor(edge.x, edge.y);
  TitleTick(form);
  EXPECT_TRUE(form.TitleHighlighted());

  const POINT beyond = ClientToScreenPoint(title, 242, 20);
  MoveCursor(beyond.x, beyond.y);
  // The first tick after the pointer left ends the highlight: within one 50 ms interval.
  EXPECT_EQ(50u, form.TitleTimerInterval());
  TitleTick(form);
  ASSERT_FALSE(form.TitleHighlighted());
  EXPECT_EQ(frmMain::kTitleNormal, form.ForeColour(frmMain::lblTitle));
  EXPECT_FALSE(form.Underlined(frmMain::lblTitle));
  EXPECT_FALSE(form.TitleTimerEnabled());
  EXPECT_TRUE(PumpUntil([&] { return GetCursor() != form.TitleCursor(); }, 500));
  EXPECT_NE(form.TitleCursor(), GetCursor());
}

// A cursor's size and hot spot in pixels.
struct CursorShape {
  int size;
  POINT hotSpot;
};

CursorShape ShapeOf(HCURSOR cursor) {
  ICONINFO info{};
  if (!GetIconInfo(cursor, &info)) return {};
  const platform::UniqueHBitmap mask(info.hbmMask);
  const platform::UniqueHBitmap colour(info.hbmColor);
  BITMAP bits{};
  GetObjectW(mask.get(), sizeof bits, &bits);
  return {bits.bmWidth, {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)}};
}

// On a monitor of twice the DPI the title's hand is twice as large and points with the same
// fingertip.
TEST_F(MainWindowTest, TitlePointerIsScaledToTheWindowsDpi) {
  Load();
  const CursorShape design = ShapeOf(form.TitleCursor());
  ASSERT_GT(design.size, 0);
  testing_support::SendDpiChanged(form, 2 * form.Dpi());
  const POINT onTitle = ClientToScreenPoint(Ctl(frmMain::lblTitle), 200, 30);
  MoveCursor(onTitle.x, onTitle.y);
  ASSERT_TRUE(PumpUntil([&] { return form.TitleHighlighted(); }, 500));
  ASSERT_TRUE(PumpUntil([&] { return ShapeOf(GetCursor()).size == 2 * design.size; }, 500))
      << "shown at " << ShapeOf(GetCursor()).size << " pixels";
  const CursorShape shown = ShapeOf(GetCursor());
  EXPECT_EQ(2 * design.hotSpot.x, shown.hotSpot.x);
  EXPECT_EQ(2 * design.hotSpot.y, shown.hotSpot.y);
}

TEST_F(MainWindowTest, DraggingTheSurfaceWithAnyButtonMovesTheWindow) {
  Load();
  for (int button : {1, 2}) {
    const RECT before = gui_test::ScreenRect(form.Handle());
    // Navy surface left of the controls, inside the ellipse.
    const POINT grab = ClientToScreenPoint(form.Handle(), 30, 159);
    MoveCursor(grab.x, grab.y);
    PumpFor(10);
    MouseButton(button, true);
    PumpFor(10);
    EXPECT_EQ(form.Handle(), GetCapture()) << "button " << button;
    MoveCursor(grab.x + 6, grab.y + 3);
    PumpFor(10);
    MoveCursor(grab.x + 20, grab.y + 10);
    PumpFor(10);
    MouseButton(button, false);
    PumpFor(10);
    const RECT after = gui_test::ScreenRect(form.Handle());
    EXPECT_EQ(before.left + 20, after.left) << "button " << button;
    EXPECT_EQ(before.top + 10, after.top) << "button " << button;
    EXPECT_EQ(nullptr, GetCapture());
  }
}

TEST_F(MainWindowTest, PressingOnAControlOrLabelDoesNotDrag) {
  Load();
  const RECT before = gui_test::ScreenRect(form.Handle());
  for (frmMain::Row row : {frmMain::Label1, frmMain::fraOptions}) {
    const POINT grab = ClientToScreenPoint(Ctl(row), 40, 6);
    MoveCursor(grab.x, grab.y);
    PumpFor(10);
    MouseButton(1, true);
    PumpFor(10);
    MoveCursor(grab.x + 15, grab.y + 8);
    PumpFor(10);
    MouseButton(1, false);
    PumpFor(10);
  }
  const RECT after = gui_test::ScreenRect(form.Handle());
  EXPECT_EQ(before.left, after.left);
  EXPECT_EQ(before.top, after.top);
}

TEST_F(MainWindowTest, WindowIsCutToItsInscribedEllipse) {
  Load();
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(form.Handle(), region));
  HRGN expected = CreateEllipticRgn(0, 0, 402, 318);
  // Same shape: nothing is left of their symmetric difference.
  HRGN difference = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(NULLREGION, CombineRgn(difference, region, expected, RGN_XOR));
  DeleteObject(difference);
  EXPECT_FALSE(PtInRegion(region, 2, 2));
  EXPECT_FALSE(PtInRegion(region, 399, 315));
  EXPECT_TRUE(PtInRegion(region, 201, 159));
  EXPECT_TRUE(PtInRegion(region, 3, 159));
  DeleteObject(expected);
  DeleteObject(region);

  // The pointer in a corner of the window's rectangle does not reach the window.
  const RECT rect = gui_test::ScreenRect(form.Handle());
  const HWND corner = WindowFromPoint(POINT{rect.left + 2, rect.top + 2});
  EXPECT_NE(form.Handle(), corner);
  EXPECT_NE(form.Handle(), GetAncestor(corner, GA_ROOT));
  EXPECT_EQ(form.Handle(),
            GetAncestor(WindowFromPoint(POINT{rect.left + 30, rect.top + 159}), GA_ROOT));
}
