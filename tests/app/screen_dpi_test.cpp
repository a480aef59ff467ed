// Every window started on a screen of more than 96 DPI (the prefix's LogPixels: 120, then 192;
// see CMakeLists.txt) lays itself out from its twips at that DPI, with whole captions and
// whole borders. Pictures of the main window and the options dialog are left in the build
// folder.
#include <windows.h>

#include "about/frm_about.h"
#include "frm_main_fixture.h"
#include "integration/frm_integrate.h"
#include "integration/frm_options.h"
#include "platform/window/dpi.h"
#include "platform/window/twips.h"
#include "support/layout_checks.h"

namespace {

int Width(HWND control) {
  const RECT rect = gui_test::ScreenRect(control);
  return rect.right - rect.left;
}

}  // namespace

TEST_F(MainWindowTest, EveryWindowIsLaidOutAtTheScreensDpi) {
  using platform::window::TwipsToPixels;
  const int dpi = platform::window::SystemDpi();
  ASSERT_GT(dpi, 96) << "the prefix's LogPixels is not set";
  Store(L"UseDefaultDir", L"True");
  Store(L"DefaultDir", L"C:\\Lists\\Quillet List.txt");
  Store(L"PrintFileSize", L"True");
  Load(L"\"C:\\windows\"");
  testing_support::ExpectWindowWholeAt(form, dpi);
  EXPECT_TRUE(testing_support::SaveDpiPicture(form.Handle(), L"frmMain", dpi));

  frmOptions options(Ctl(frmMain::txtPath1));
  options.Load(form.Handle());
  options.Show();
  testing_support::ExpectWindowWholeAt(options, dpi);
  EXPECT_TRUE(testing_support::SaveDpiPicture(options.Handle(), L"frmOptions", dpi));
  if (dpi == 120) {
    // The two captions that their twips cut at 120 DPI: "(No Subs)" lost its ")", "Extra
    // Line" its last "e".
    EXPECT_GT(Width(Ctl(frmMain::optListType3)), TwipsToPixels(2295, dpi));
    EXPECT_GT(Width(options.Control(frmOptions::optPrintStyle0)), TwipsToPixels(2655, dpi));
  }
  options.Unload();

  frmAbout about;
  about.Load(form.Handle());
  about.Show();
  testing_support::ExpectWindowWholeAt(about, dpi);
  about.Unload();

  frmIntegrate prompt;
  prompt.Create(form.Handle());
  prompt.Show();
  testing_support::ExpectWindowWholeAt(prompt, dpi);
  prompt.Destroy();
}
