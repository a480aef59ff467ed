// The main window at 120 DPI (12 twips per pixel). Runs in its own Wine prefix whose
// LogPixels is 120; see CMakeLists.txt.
#include <windows.h>

#include "frm_main_fixture.h"
#include "platform/window/dpi.h"
#include "platform/window/twips.h"

TEST_F(MainWindowTest, At120DpiSizesRoundHalvesToEven) {
  {
    platform::WindowDC screen(nullptr);
    ASSERT_EQ(120, GetDeviceCaps(screen.get(), LOGPIXELSX)) << "prefix not set to 120 DPI";
  }
  EXPECT_EQ(12.0, platform::window::TwipsPerPixel(platform::window::SystemDpi()));
  Load();
  RECT client{};
  GetClientRect(form.Handle(), &client);
  // 6030 / 12 = 502.5 -> 502, 4770 / 12 = 397.5 -> 398.
  EXPECT_EQ(502, client.right);
  EXPECT_EQ(398, client.bottom);

  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(form.Handle(), region));
  HRGN expected = CreateEllipticRgn(0, 0, 502, 398);
  HRGN roundedUp = CreateEllipticRgn(0, 0, 503, 398);
  HRGN difference = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(NULLREGION, CombineRgn(difference, region, expected, RGN_XOR));
  EXPECT_NE(NULLREGION, CombineRgn(difference, region, roundedUp, RGN_XOR));
  for (HRGN r : {region, expected, roundedUp, difference}) DeleteObject(r);

  // 3720, 3240, 1095, 375 twips.
  RECT print = gui_test::ScreenRect(Ctl(frmMain::cmdPrint));
  MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&print), 2);
  EXPECT_EQ(310, print.left);
  EXPECT_EQ(270, print.top);
  EXPECT_EQ(91, print.right - print.left);
  EXPECT_EQ(31, print.bottom - print.top);

  LOGFONTW title{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Ctl(frmMain::lblTitle), WM_GETFONT, 0, 0)),
             sizeof title, &title);
  EXPECT_EQ(-26, title.lfHeight);  // 15.75 pt = 26.25 px
}
