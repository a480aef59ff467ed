// The options dialog as laid out at 96 DPI, its keyboard, its elliptical shape and its drag,
// and a screenshot for people to look at.
#include <windows.h>

#include <string>

#include "options_fixture.h"
#include "platform/handles.h"
#include "support/layout_checks.h"
#include "support/window_image.h"

using gui_test::Caption;
using gui_test::ClientRectOf;
using options_test::OptionsDialog;
using options_test::OptionsDialogTest;

namespace {

POINT ScreenPoint(HWND hwnd, int x, int y) {
  POINT point{x, y};
  ClientToScreen(hwnd, &point);
  return point;
}

// A point of the dialog's own surface: inside the ellipse, on no control.
constexpr POINT kSurface{40, 150};

}  // namespace

TEST_F(OptionsDialogTest, ControlsStandWhereTheTwipsTablePutsThemAt96Dpi) {
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    const HWND hwnd = dialog.Handle();
    struct Expected {
      frmOptions::Row row;
      RECT rect;  // pixels: twips / 15; rows in the frame add its origin (960, 2760)
      const wchar_t* caption;
    };
    const Expected expected[] = {
        {frmOptions::chkOption0,
         {112, 48, 112 + 185, 48 + 25},
         L"Use Default Destination Directory"},
        {frmOptions::txtDefaultDestDir, {120, 72, 120 + 209, 72 + 19}, L""},
        {frmOptions::cmdBrowse, {336, 72, 336 + 49, 72 + 17}, L"&Browse"},
        {frmOptions::chkOption1, {112, 96, 112 + 97, 96 + 25}, L"Print File Size"},
        {frmOptions::chkOption2, {112, 120, 112 + 145, 120 + 25}, L"Print Date/Time Stamp"},
        {frmOptions::chkOption3,
         {112, 144, 112 + 185, 144 + 33},
         L"Integrate With Windows Explorer (enable Right-Click on Folders)"},
        {frmOptions::optPrintStyle0,
         {72, 208, 72 + 177, 208 + 17},
         L"Print Extra File Info On Extra Line "},
        {frmOptions::optPrintStyle1,
         {72, 232, 72 + 209, 232 + 33},
         L"Print On Same LIne (Specify Spaxes Between File Name and Extra Info"},
        {frmOptions::txtNoSpace, {328, 232, 328 + 41, 232 + 19}, L"10"},
        {frmOptions::optPrintStyle2,
         {72, 264, 72 + 257, 264 + 41},
         L"Right Justify Extra File Info. (Specify Max. Width). If not long enough will print on "
         L"new line."},
        {frmOptions::txtMaxWidth, {328, 280, 328 + 41, 280 + 19}, L"80"},
        {frmOptions::cmdOk, {152, 320, 152 + 65, 320 + 25}, L"&O.k."},
        {frmOptions::cmdCancel, {224, 320, 224 + 65, 320 + 25}, L"&Cancel"},
        {frmOptions::Label1, {184, 24, 184 + 73, 24 + 17}, L"Options"},
        {frmOptions::fraPrintStyle, {64, 184, 64 + 321, 184 + 129}, L"Print Style"},
    };
    for (const Expected& e : expected) {
      const RECT rect = ClientRectOf(hwnd, dialog.Ctl(e.row));
      EXPECT_EQ(e.rect.left, rect.left) << "row " << e.row;
      EXPECT_EQ(e.rect.top, rect.top) << "row " << e.row;
      EXPECT_EQ(e.rect.right, rect.right) << "row " << e.row;
      EXPECT_EQ(e.rect.bottom, rect.bottom) << "row " << e.row;
      EXPECT_EQ(std::wstring(e.caption), Caption(dialog.Ctl(e.row))) << "row " << e.row;
    }
    // Captions longer than one line wrap.
    for (frmOptions::Row row :
         {frmOptions::chkOption3, frmOptions::optPrintStyle1, frmOptions::optPrintStyle2}) {
      EXPECT_TRUE(GetWindowLongPtrW(dialog.Ctl(row), GWL_STYLE) & BS_MULTILINE) << "row " << row;
    }

    LOGFONTW title{};
    GetObjectW(
        reinterpret_cast<HFONT>(SendMessageW(dialog.Ctl(frmOptions::Label1), WM_GETFONT, 0, 0)),
        sizeof title, &title);
    EXPECT_EQ(std::wstring(L"Fixedsys"), title.lfFaceName);
    EXPECT_EQ(-12, title.lfHeight);  // 9 pt at 96 DPI
    EXPECT_EQ(FW_BOLD, title.lfWeight);
    // The label lets the dialog's face colour show through.
    const platform::WindowDC dc(dialog.Ctl(frmOptions::Label1));
    const LRESULT brush = SendMessageW(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.get()),
                                       reinterpret_cast<LPARAM>(dialog.Ctl(frmOptions::Label1)));
    EXPECT_EQ(TRANSPARENT, GetBkMode(dc.get()));
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)), brush);

    EXPECT_FALSE(GetWindowLongPtrW(dialog.Ctl(frmOptions::cmdOk), GWL_STYLE) & BS_DEFPUSHBUTTON);
    dialog.Click(frmOptions::cmdCancel);
  });
}

// At its first DPI and at each one it is moved to: the twips table, whole captions (at 120 DPI
// the first print style needs more than its twips) and whole borders (the first check box
// reaches into the box below it, the third print style into the width box).
TEST_F(OptionsDialogTest, LaysItselfOutAgainAtEachDpiItIsMovedTo) {
  Store(L"UseDefaultDir", L"True");
  Store(L"DefaultDir", L"C:\\Lists\\Quillet List.txt");
  Load();
  frmOptions options(nullptr);
  options.Load(form.Handle());
  options.Show();
  testing_support::ExpectWindowWholeAt(options, 96);
  for (const int dpi : {120, 144, 192, 96}) {
    testing_support::SendDpiChanged(options, dpi);
    testing_support::ExpectWindowWholeAt(options, dpi);
  }
}

TEST_F(OptionsDialogTest, DialogIsBorderlessAndCentredOverTheMainWindow) {
  Load();
  // Away from the screen's centre, so that centring over the owner is told apart.
  SetWindowPos(form.Handle(), nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const RECT main = gui_test::ScreenRect(form.Handle());
  WithOptions([&](const OptionsDialog& dialog) {
    const HWND hwnd = dialog.Handle();
    EXPECT_EQ(L"Form1", Caption(hwnd));
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(form.Handle(), GetWindow(hwnd, GW_OWNER));
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(461, client.right);
    EXPECT_EQ(381, client.bottom);
    const RECT rect = gui_test::ScreenRect(hwnd);
    EXPECT_NEAR((main.left + main.right) / 2.0, (rect.left + rect.right) / 2.0, 1.0);
    EXPECT_NEAR((main.top + main.bottom) / 2.0, (rect.top + rect.bottom) / 2.0, 1.0);
    dialog.Click(frmOptions::cmdCancel);
  });
  EXPECT_TRUE(IsWindowEnabled(form.Handle())) << "the main window takes input again";
}

TEST_F(OptionsDialogTest, TabWalksTheTableOrderAndEnterDoesNotConfirm) {
  Store(L"UseDefaultDir", L"True");
  Store(L"PrintStyle", L"1");
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    // Only the chosen option button of the array is a stop; labels and frames are none.
    const frmOptions::Row order[] = {
        frmOptions::chkOption0,     frmOptions::txtDefaultDestDir, frmOptions::cmdBrowse,
        frmOptions::chkOption1,     frmOptions::chkOption2,        frmOptions::chkOption3,
        frmOptions::optPrintStyle1, frmOptions::txtNoSpace,        frmOptions::txtMaxWidth,
        frmOptions::cmdOk,          frmOptions::cmdCancel,         frmOptions::chkOption0};
    HWND item = GetNextDlgTabItem(dialog.Handle(), nullptr, FALSE);
    for (frmOptions::Row row : order) {
      EXPECT_EQ(dialog.Ctl(row), item) << "expected row " << row;
      item = GetNextDlgTabItem(dialog.Handle(), item, FALSE);
    }
    // O.k. is not the default button: Enter in a number box leaves the dialog open.
    dialog.SetText(frmOptions::txtNoSpace, L"4");
    SetFocus(dialog.Ctl(frmOptions::txtNoSpace));
    gui_test::KeyPress(VK_RETURN);
    gui_test::PumpFor(50);
    EXPECT_TRUE(dialog.Open());
    EXPECT_EQ(L"<none>", Stored(L"NoSpacesSeperate"));
    // Alt+C presses Cancel.
    gui_test::KeyPress('C', /*withAlt=*/true);
    EXPECT_TRUE(gui_test::PumpUntil([&] { return !dialog.Open(); }, 1000));
  });
  EXPECT_EQ(L"<none>", Stored(L"NoSpacesSeperate"));
}

// The text box between the second and the third button does not split the print styles: the
// arrow keys reach and select the third from either of the others, both ways round.
TEST_F(OptionsDialogTest, ArrowKeysReachAndSelectEveryPrintStyle) {
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    const frmOptions::Row target = frmOptions::optPrintStyle2;
    for (const frmOptions::Row start : {frmOptions::optPrintStyle0, frmOptions::optPrintStyle1}) {
      for (const WORD key : {VK_DOWN, VK_UP}) {
        dialog.Click(start);
        SetFocus(dialog.Ctl(start));
        for (int i = 0; i < 2 && GetFocus() != dialog.Ctl(target); ++i) {
          const HWND before = GetFocus();
          gui_test::KeyPress(key);
          gui_test::PumpUntil([&] { return GetFocus() != before; }, 1000);
        }
        EXPECT_EQ(dialog.Ctl(target), GetFocus()) << "from " << start << " key " << key;
        EXPECT_TRUE(dialog.Checked(target)) << "from " << start << " key " << key;
        EXPECT_FALSE(dialog.Checked(start)) << "from " << start << " key " << key;
      }
    }
    dialog.Click(frmOptions::cmdCancel);
  });
}

TEST_F(OptionsDialogTest, DialogIsCutToItsEllipse) {
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    const HWND hwnd = dialog.Handle();
    const platform::UniqueHRgn owned(CreateRectRgn(0, 0, 0, 0));
    const HRGN region = owned.get();
    ASSERT_NE(ERROR, GetWindowRgn(hwnd, region));
    RECT box{};
    GetRgnBox(region, &box);
    // The ellipse in (0, 0, 461, 381); its bounding box may be a pixel short.
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_NEAR(461, box.right, 1);
    EXPECT_NEAR(381, box.bottom, 1);
    EXPECT_TRUE(PtInRegion(region, 230, 190));
    EXPECT_TRUE(PtInRegion(region, 3, 190));
    EXPECT_TRUE(PtInRegion(region, 230, 3));
    for (POINT corner : {POINT{2, 2}, POINT{458, 2}, POINT{2, 378}, POINT{458, 378}}) {
      EXPECT_FALSE(PtInRegion(region, corner.x, corner.y)) << corner.x << "," << corner.y;
    }
    // The corners let the pointer through to what lies beneath.
    const POINT corner = ScreenPoint(hwnd, 4, 4);
    EXPECT_NE(hwnd, GetAncestor(WindowFromPoint(corner), GA_ROOT));
    const POINT surface = ScreenPoint(hwnd, kSurface.x, kSurface.y);
    EXPECT_EQ(hwnd, WindowFromPoint(surface));
    dialog.Click(frmOptions::cmdCancel);
  });
}

TEST_F(OptionsDialogTest, DraggingTheSurfaceMovesTheDialogButNotFromItsControls) {
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    const HWND hwnd = dialog.Handle();
    const RECT start = gui_test::ScreenRect(hwnd);
    // The real pointer and left button.
    const POINT grab = ScreenPoint(hwnd, kSurface.x, kSurface.y);
    gui_test::MoveCursor(grab.x, grab.y);
    gui_test::MouseButton(1, true);
    gui_test::PumpFor(20);
    EXPECT_EQ(hwnd, GetCapture());
    gui_test::MoveCursor(grab.x + 30, grab.y + 20);
    gui_test::PumpFor(20);
    gui_test::MoveCursor(grab.x + 45, grab.y + 25);
    gui_test::PumpFor(20);
    gui_test::MouseButton(1, false);
    gui_test::PumpFor(20);
    RECT moved = gui_test::ScreenRect(hwnd);
    EXPECT_EQ(start.left + 45, moved.left);
    EXPECT_EQ(start.top + 25, moved.top);
    EXPECT_EQ(nullptr, GetCapture());

    // The right button drags as well.
    SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(kSurface.x, kSurface.y));
    SendMessageW(hwnd, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(kSurface.x - 10, kSurface.y + 4));
    SendMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(kSurface.x - 10, kSurface.y + 4));
    const RECT afterRight = gui_test::ScreenRect(hwnd);
    EXPECT_EQ(moved.left - 10, afterRight.left);
    EXPECT_EQ(moved.top + 4, afterRight.top);

    // A press on the title label or inside the frame is not a press on the surface.
    for (frmOptions::Row row : {frmOptions::Label1, frmOptions::fraPrintStyle}) {
      const RECT control = gui_test::ScreenRect(dialog.Ctl(row));
      const POINT at{control.left + 3, control.top + 8};
      const RECT before = gui_test::ScreenRect(hwnd);
      gui_test::MoveCursor(at.x, at.y);
      gui_test::MouseButton(1, true);
      gui_test::PumpFor(20);
      gui_test::MoveCursor(at.x + 20, at.y + 20);
      gui_test::PumpFor(20);
      gui_test::MouseButton(1, false);
      gui_test::PumpFor(20);
      const RECT after = gui_test::ScreenRect(hwnd);
      EXPECT_EQ(before.left, after.left) << "row " << row;
      EXPECT_EQ(before.top, after.top) << "row " << row;
    }
    EXPECT_NE(hwnd, GetCapture());
    dialog.Click(frmOptions::cmdCancel);
  });
}

TEST_F(OptionsDialogTest, LeavesAScreenshot) {
  Store(L"UseDefaultDir", L"True");
  Store(L"DefaultDir", L"C:\\Lists\\Quillet List.txt");
  Store(L"PrintFileSize", L"True");
  Load();
  WithOptions([&](const OptionsDialog& dialog) {
    const HWND hwnd = dialog.Handle();
    // In the build folder, beside the main window's picture.
    EXPECT_TRUE(testing_support::SaveWindowPng(hwnd, L"..\\..\\frmOptions.png"));
    // The system's dialog face where the surface shows.
    const platform::WindowDC dc(hwnd);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(dc.get(), kSurface.x, kSurface.y));
    dialog.Click(frmOptions::cmdCancel);
  });
}
