// The window mover and the ellipse on a small caption-less window of the framework.
#include <gtest/gtest.h>
#include <windows.h>

#include "chrome/captionless_window_mover.h"
#include "chrome/form_functions.h"
#include "gui_test_support.h"
#include "platform/window/window.h"

using namespace platform::window;

namespace {

constexpr ControlRow kRows[] = {
    {.name = L"cmdOK",
     .kind = ControlKind::Button,
     .caption = L"&OK",
     .left = 600,
     .top = 600,
     .width = 975,
     .height = 375,
     .flags = kDefaultButton},
};
constexpr FormSpec kSmall{.caption = L"Small",
                          .width = 3000,
                          .height = 1500,
                          .backColour = Rgb(0, 0, 128),
                          .controls = kRows};

class SmallWindow : public Window {
 public:
  SmallWindow() : Window(kSmall) {
    Create(nullptr);
    Show();
  }
};

class MoverTest : public ::testing::Test {
 protected:
  MoverTest() { gui_test::KeepDesktopAlive(); }
  SmallWindow window;
  CCaptionlessWindowMover mover;
};

}  // namespace

TEST_F(MoverTest, DragMovesTheWindowByThePointerMovement) {
  mover.SetForm(&window);
  const double left = window.Left();
  const double top = window.Top();
  mover.HandleMouseMove(450, 225);  // no press yet
  EXPECT_EQ(left, window.Left());

  mover.HandleMouseDown(300, 150);
  EXPECT_EQ(window.Handle(), GetCapture());
  EXPECT_TRUE(mover.Dragging());
  mover.HandleMouseMove(450, 225);
  EXPECT_EQ(left + 150, window.Left());
  EXPECT_EQ(top + 75, window.Top());
  mover.HandleMouseUp();
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_FALSE(mover.Dragging());
  mover.HandleMouseMove(600, 600);
  EXPECT_EQ(left + 150, window.Left());
}

TEST_F(MoverTest, MaximisedWindowStaysUntilRestored) {
  mover.SetForm(&window);
  ShowWindow(window.Handle(), SW_MAXIMIZE);
  const RECT maximised = gui_test::ScreenRect(window.Handle());
  mover.HandleMouseDown(300, 150);
  mover.HandleMouseMove(600, 300);
  const RECT after = gui_test::ScreenRect(window.Handle());
  EXPECT_EQ(maximised.left, after.left);
  EXPECT_EQ(maximised.top, after.top);
  mover.HandleMouseUp();

  ShowWindow(window.Handle(), SW_RESTORE);
  const double left = window.Left();
  mover.HandleMouseDown(300, 150);
  mover.HandleMouseMove(315, 150);
  mover.HandleMouseUp();
  EXPECT_EQ(left + 15, window.Left());
}

TEST_F(MoverTest, MouseUpWithoutPressReleasesTheCapture) {
  mover.SetForm(&window);
  SetCapture(window.Handle());
  mover.HandleMouseUp();
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_FALSE(mover.Dragging());
}

TEST_F(MoverTest, WithoutABoundWindowAPressIsReportedAndStartsNoDrag) {
  mover.SetForm(&window);
  mover.SetForm(nullptr);
  EXPECT_EQ(nullptr, mover.Form());
  std::vector<gui_test::SeenBox> seen;
  {
    gui_test::BoxWatcher watcher({gui_test::Answer(IDOK)});
    mover.HandleMouseDown(300, 150);
    seen = watcher.Seen();
  }
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"HandleMouseDown", seen[0].title);
  EXPECT_EQ(L"Error: 91. No window is bound to the mover", seen[0].text);
  EXPECT_EQ(nullptr, seen[0].icon);
  EXPECT_EQ(std::vector<int>{IDOK}, seen[0].buttons);
  EXPECT_FALSE(mover.Dragging());
  EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(MoverTest, EllipseIsInscribedInThePixelRectangle) {
  // 3000 x 1500 twips at 15 twips per pixel: 200 x 100 pixels.
  ShapeFormAsEllipse(window);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(window.Handle(), region));
  HRGN expected = CreateEllipticRgn(0, 0, 200, 100);
  HRGN difference = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(NULLREGION, CombineRgn(difference, region, expected, RGN_XOR));
  EXPECT_FALSE(PtInRegion(region, 1, 1));
  EXPECT_FALSE(PtInRegion(region, 198, 98));
  EXPECT_TRUE(PtInRegion(region, 100, 50));
  for (HRGN r : {region, expected, difference}) DeleteObject(r);
}
