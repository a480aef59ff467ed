// The main window as laid out and as it starts up.
#include <windows.h>

#include <uxtheme.h>

#include <utility>

#include "frm_main_fixture.h"
#include "support/layout_checks.h"
#include "support/window_image.h"

using gui_test::Caption;
using gui_test::ClientRectOf;
using gui_test::PumpFor;

namespace {}  // namespace

TEST_F(MainWindowTest, ControlsStandWhereTheTwipsTablePutsThemAt96Dpi) {
  Load();
  ASSERT_EQ(96, GetDeviceCaps(GetDC(nullptr), LOGPIXELSX)) << "this suite runs at 96 DPI";
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(402, client.right);
  EXPECT_EQ(318, client.bottom);
  struct Expected {
    frmMain::Row row;
    RECT rect;  // pixels: twips / 15
    const wchar_t* caption;
  };
  const Expected expected[] = {
      {frmMain::Label1, {72, 64, 72 + 129, 64 + 17}, L"Enter Path To Directory"},
      {frmMain::txtPath0, {72, 80, 72 + 193, 80 + 25}, L""},
      {frmMain::cmdBrowse0, {272, 80, 272 + 65, 80 + 25}, L"Browse"},
      {frmMain::Label2, {72, 112, 72 + 129, 112 + 17}, L"Enter File To Output To"},
      {frmMain::txtPath1, {72, 128, 72 + 193, 128 + 25}, L""},
      {frmMain::cmdBrowse1, {272, 128, 272 + 65, 128 + 25}, L"Browse"},
      {frmMain::fraOptions, {64, 160, 64 + 169, 160 + 89}, L"Chose"},
      {frmMain::cmdPrint, {248, 216, 248 + 73, 216 + 25}, L"&Write File"},
      {frmMain::cmdExit, {168, 280, 168 + 65, 280 + 25}, L"&Exit"},
      {frmMain::lblTitle, {80, 32, 80 + 241, 32 + 33}, L"Quillet"},
      // Option buttons sit inside the frame: frame origin (960, 2400) plus their own.
      {frmMain::optListType0, {72, 176, 72 + 105, 176 + 17}, L"List F&olders Only"},
      {frmMain::optListType1, {72, 192, 72 + 97, 192 + 17}, L"List &Files Only"},
      {frmMain::optListType2, {72, 208, 72 + 113, 208 + 17}, L"&List Files && Folders"},
      // Moved onto the title at load.
      {frmMain::picTitle, {80, 32, 80 + 241, 32 + 33}, L""},
      {frmMain::lblStatus, {240, 184, 240 + 113, 184 + 25}, L"Please Wait..."},
      {frmMain::optListType3, {72, 224, 72 + 153, 224 + 17}, L"List Folders Only (No Subs)"},
      {frmMain::cmdCancel, {248, 248, 248 + 73, 248 + 25}, L"&Cancel"},
      {frmMain::cmdOptions, {80, 256, 80 + 65, 256 + 17}, L"&Options"},
  };
  for (const Expected& e : expected) {
    const RECT rect = ClientRectOf(form.Handle(), Ctl(e.row));
    EXPECT_EQ(e.rect.left, rect.left) << "row " << e.row;
    EXPECT_EQ(e.rect.top, rect.top) << "row " << e.row;
    EXPECT_EQ(e.rect.right, rect.right) << "row " << e.row;
    EXPECT_EQ(e.rect.bottom, rect.bottom) << "row " << e.row;
    EXPECT_EQ(std::wstring(e.caption), Caption(Ctl(e.row))) << "row " << e.row;
  }
}

// The labels above the path boxes reach one pixel into them and stand above them in the
// z-order (the tab order); painting only their text, they leave each box's top border whole.
// The picture is left in the build folder for people to look at.
TEST_F(MainWindowTest, LeavesAScreenshotWhereEveryPathBoxShowsItsWholeBorder) {
  Load(L"\"C:\\windows\"");
  const testing_support::WindowImage image = testing_support::CaptureWindow(form.Handle());
  ASSERT_EQ(402, image.width);
  EXPECT_TRUE(testing_support::SavePng(image, L"..\\..\\frmMain.png"));
  const COLORREF navy = RGB(0, 0, 128);
  for (const auto& [label, box] : {std::pair{frmMain::Label1, frmMain::txtPath0},
                                   std::pair{frmMain::Label2, frmMain::txtPath1}}) {
    const RECT labelRect = ClientRectOf(form.Handle(), Ctl(label));
    const RECT boxRect = ClientRectOf(form.Handle(), Ctl(box));
    ASSERT_GT(labelRect.bottom, boxRect.top) << "the label overlaps the box";
    int covered = 0;
    for (int x = boxRect.left; x < labelRect.right; ++x) {
      if (image.At(x, boxRect.top) == navy) ++covered;
    }
    EXPECT_EQ(0, covered) << "pixels of row " << box << "'s top border painted over";
    // The labels' text is still there: some pixels of their own colour.
    int text = 0;
    for (int y = labelRect.top; y < boxRect.top; ++y) {
      for (int x = labelRect.left; x < labelRect.right; ++x) {
        if (image.At(x, y) == RGB(255, 255, 192)) ++text;
      }
    }
    EXPECT_GT(text, 20) << "label " << label;
  }
}

// Moved to a monitor of another DPI, the window goes where the system suggests and lays
// itself out from its twips again: size, controls, fonts, ellipse, whole captions, whole
// borders. Pictures at 144 and 192 DPI are left in the build folder.
TEST_F(MainWindowTest, LaysItselfOutAgainAtEachDpiItIsMovedTo) {
  Load(L"\"C:\\windows\"");
  for (const int dpi : {120, 144, 192, 96}) {
    const RECT suggested = testing_support::SendDpiChanged(form, dpi);
    const RECT placed = gui_test::ScreenRect(form.Handle());
    EXPECT_EQ(suggested.left, placed.left) << dpi;
    EXPECT_EQ(suggested.top, placed.top) << dpi;
    testing_support::ExpectWindowWholeAt(form, dpi);
    if (dpi == 144 || dpi == 192) {
      EXPECT_TRUE(testing_support::SaveDpiPicture(form.Handle(), L"frmMain-moved", dpi));
    }
  }
}

TEST_F(MainWindowTest, WindowIsBorderlessCentredAndCaptioned) {
  Load();
  const HWND hwnd = form.Handle();
  EXPECT_EQ(L"Print Files & Folders", Caption(hwnd));
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  const RECT rect = gui_test::ScreenRect(hwnd);
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 402) / 2, rect.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 318) / 2, rect.top);
}

TEST_F(MainWindowTest, StartUpStateAndFonts) {
  Load();
  EXPECT_FALSE(IsWindowVisible(Ctl(frmMain::lblStatus)));
  EXPECT_FALSE(IsWindowVisible(Ctl(frmMain::picTitle)));
  EXPECT_FALSE(IsWindowEnabled(Ctl(frmMain::cmdCancel)));
  EXPECT_TRUE(IsWindowEnabled(Ctl(frmMain::cmdPrint)));
  EXPECT_TRUE(GetWindowLongPtrW(Ctl(frmMain::cmdPrint), GWL_STYLE) & BS_DEFPUSHBUTTON);
  EXPECT_EQ(frmMain::kTitleNormal, form.ForeColour(frmMain::lblTitle));
  EXPECT_FALSE(form.Underlined(frmMain::lblTitle));

  LOGFONTW title{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Ctl(frmMain::lblTitle), WM_GETFONT, 0, 0)),
             sizeof title, &title);
  EXPECT_EQ(std::wstring(L"Times New Roman"), title.lfFaceName);
  EXPECT_EQ(-21, title.lfHeight);  // 15.75 pt at 96 DPI
  LOGFONTW status{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Ctl(frmMain::lblStatus), WM_GETFONT, 0, 0)),
             sizeof status, &status);
  EXPECT_EQ(-16, status.lfHeight);
  EXPECT_EQ(FW_BOLD, status.lfWeight);
  LOGFONTW plain{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Ctl(frmMain::txtPath0), WM_GETFONT, 0, 0)),
             sizeof plain, &plain);
  EXPECT_EQ(std::wstring(L"MS Sans Serif"), plain.lfFaceName);
  EXPECT_EQ(-11, plain.lfHeight);
}

TEST_F(MainWindowTest, LabelsAndOptionsAnswerWithTheirColours) {
  Load();
  struct Expected {
    frmMain::Row row;
    COLORREF text;
  };
  for (const Expected& e : {Expected{frmMain::Label1, RGB(255, 255, 192)},
                            Expected{frmMain::fraOptions, RGB(255, 192, 255)},
                            Expected{frmMain::optListType2, RGB(192, 255, 192)},
                            Expected{frmMain::lblTitle, RGB(0, 255, 255)}}) {
    HDC dc = GetDC(Ctl(e.row));
    const LRESULT brush =
        SendMessageW(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(Ctl(e.row)));
    EXPECT_EQ(e.text, GetTextColor(dc)) << "row " << e.row;
    LOGBRUSH info{};
    GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof info, &info);
    EXPECT_EQ(RGB(0, 0, 128), info.lbColor) << "row " << e.row;
    ReleaseDC(Ctl(e.row), dc);
  }
  // Visual styles would draw these captions in the theme's own colour (black on navy).
  for (frmMain::Row row : {frmMain::fraOptions, frmMain::optListType0, frmMain::optListType1,
                           frmMain::optListType2, frmMain::optListType3}) {
    EXPECT_EQ(nullptr, GetWindowTheme(Ctl(row))) << "row " << row;
  }
  HDC dc = GetDC(Ctl(frmMain::lblStatus));
  const LRESULT brush = SendMessageW(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(Ctl(frmMain::lblStatus)));
  LOGBRUSH info{};
  GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof info, &info);
  EXPECT_EQ(RGB(255, 0, 0), info.lbColor);
  ReleaseDC(Ctl(frmMain::lblStatus), dc);
}

TEST_F(MainWindowTest, TabWalksTheFocusableControlsInTableOrder) {
  Load();
  const frmMain::Row order[] = {frmMain::txtPath0,     frmMain::cmdBrowse0, frmMain::txtPath1,
                                frmMain::cmdBrowse1,   frmMain::cmdPrint,   frmMain::cmdExit,
                                frmMain::optListType2, frmMain::cmdOptions, frmMain::txtPath0};
  HWND item = GetNextDlgTabItem(form.Handle(), nullptr, FALSE);
  for (frmMain::Row row : order) {
    EXPECT_EQ(Ctl(row), item) << "expected row " << row << ", got row " << form.RowOf(item);
    item = GetNextDlgTabItem(form.Handle(), item, FALSE);
  }
}

TEST_F(MainWindowTest, FirstStartSelectsFilesAndFoldersWithEmptyBoxes) {
  Load();
  EXPECT_TRUE(form.Value(frmMain::optListType2));
  EXPECT_FALSE(form.Value(frmMain::optListType0));
  EXPECT_EQ(2, form.ListType());
  EXPECT_EQ(L"", form.Text(frmMain::txtPath0));
  EXPECT_EQ(L"", form.Text(frmMain::txtPath1));
}

TEST_F(MainWindowTest, StoredOptionsFillTheWindow) {
  Store(L"UseDefaultDir", L"True");
  Store(L"DefaultDir", L"D:\\Lists\\");
  Store(L"PrintListType", L"1");
  Load();
  EXPECT_EQ(L"D:\\Lists\\", form.Text(frmMain::txtPath1));
  EXPECT_TRUE(form.Value(frmMain::optListType1));
  EXPECT_EQ(1, form.ListType());
}

TEST_F(MainWindowTest, DefaultDirIgnoredWithoutUseDefaultDir) {
  Store(L"DefaultDir", L"D:\\Lists\\a.txt");
  Load();
  EXPECT_EQ(L"", form.Text(frmMain::txtPath1));
}

TEST_F(MainWindowTest, StoredListTypeOutOfRangeSelectsFilesAndFolders) {
  for (const wchar_t* stored : {L"7", L"-1"}) {
    Store(L"PrintListType", stored);
    frmMain window;
    window.Load(L"");
    EXPECT_TRUE(window.Value(frmMain::optListType2)) << stored;
    EXPECT_EQ(2, window.ListType()) << stored;
  }
}

TEST_F(MainWindowTest, ChosenListTypeIsSavedAtExitAndRestored) {
  Load();
  gui_test::Press(Ctl(frmMain::optListType1));
  EXPECT_TRUE(form.Value(frmMain::optListType1));
  EXPECT_FALSE(form.Value(frmMain::optListType2));
  EXPECT_EQ(1, form.ListType());
  gui_test::Press(Ctl(frmMain::cmdExit));
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_EQ(L"1", Stored(L"PrintListType"));

  frmMain again;
  again.Load(L"");
  EXPECT_TRUE(again.Value(frmMain::optListType1));
}

TEST_F(MainWindowTest, CommandLineFolderFillsTheSourceBoxExpanded) {
  testing_support::TempTree tree;
  tree.Folder("A very long folder name");
  const std::wstring longPath = tree.Path("A very long folder name");
  const std::wstring shortPath = testing_support::ShortPathOf(longPath);
  Load(L"\"" + shortPath + L"\"");
  // ExpandShortPath rebuilds every component; compare with the long form the system gives.
  wchar_t expected[MAX_PATH] = {};
  GetLongPathNameW(shortPath.c_str(), expected, MAX_PATH);
  EXPECT_EQ(std::wstring(expected), form.Text(frmMain::txtPath0));
  EXPECT_EQ(L"", form.Text(frmMain::txtPath1));
}
