// The About box as a real window under Wine: its layout and load, the hover links driven by
// the real cursor, the launches, closing by keyboard and dragging.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <utility>

#include "about/developer_info.h"
#include "about/frm_about.h"
#include "app/frm_main.h"
#include "gui_test_support.h"
#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "platform/settings_store.h"
#include "platform/window/dpi.h"
#include "platform/window/twips.h"
#include "quillet_version.h"
#include "shell_recorder.h"
#include "support/layout_checks.h"
#include "support/settings_sandbox.h"
#include "support/temp_tree.h"
#include "support/window_image.h"

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
  *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

using gui_test::Caption;
using gui_test::ClientRectOf;
using gui_test::MouseButton;
using gui_test::MoveCursor;
using gui_test::PumpFor;
using gui_test::PumpUntil;

namespace {

POINT ScreenPoint(HWND window, int x, int y) {
  POINT point{x, y};
  ClientToScreen(window, &point);
  return point;
}

void MoveTo(POINT point) { MoveCursor(point.x, point.y); }

// Away from every window of the test: the screen's corner lies outside the ellipse.
void ParkCursor() { MoveCursor(0, 0); }

class AboutBoxTest : public ::testing::Test {
 protected:
  AboutBoxTest() { ParkCursor(); }
  ~AboutBoxTest() override {
    about.Destroy();
    frmAbout::ReplaceCursorLoader(nullptr);
    ParkCursor();
    PumpFor(0);
  }

  void Load(HWND owner = nullptr) {
    about.Load(owner);
    about.Show();
    SetForegroundWindow(about.Handle());
    PumpFor(0);
  }
  HWND Ctl(frmAbout::Row row) const { return about.Control(row); }
  // Centre of a control, on the screen.
  POINT CentreOf(frmAbout::Row row) const {
    const RECT rect = gui_test::ScreenRect(Ctl(row));
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  void Click(frmAbout::Row row) {
    MoveTo(CentreOf(row));
    MouseButton(1, true);
    MouseButton(1, false);
    PumpFor(30);
  }
  // A point of the teal background, clear of every control (client pixels at 96 DPI).
  POINT Background() const { return ScreenPoint(about.Handle(), 40, 136); }

  // One tick of a link's watch timer, delivered as its message: nothing waits for real ticks.
  void Tick(frmAbout::Link link) {
    SendMessageW(about.Handle(), WM_TIMER, frmAbout::kLinkTimerIds[link], 0);
  }
  bool HighlightedSoon(frmAbout::Link link, bool highlighted, int timeoutMs = 400) {
    return PumpUntil([&] { return about.LinkHighlighted(link) == highlighted; }, timeoutMs);
  }

  void ExpectResting(frmAbout::Link link, frmAbout::Row label) {
    EXPECT_EQ(frmAbout::kLinkResting, about.ForeColour(label));
    EXPECT_FALSE(about.Underlined(label));
    EXPECT_FALSE(about.LinkTimerEnabled(link));
    EXPECT_EQ(frmAbout::kDefaultPointer, about.MousePointer(link));
  }
  void ExpectHighlighted(frmAbout::Link link, frmAbout::Row label) {
    EXPECT_EQ(frmAbout::kLinkHighlighted, about.ForeColour(label));
    EXPECT_TRUE(about.Underlined(label));
    EXPECT_TRUE(about.LinkTimerEnabled(link));
    EXPECT_EQ(frmAbout::kCustomPointer, about.MousePointer(link));
  }

  ShellRecorder shell;
  frmAbout about;
};

struct LinkCase {
  frmAbout::Link link;
  frmAbout::Row label;
  frmAbout::Row hitRect;
};
constexpr LinkCase kLinkCases[] = {
    {frmAbout::kEmailLink, frmAbout::lblEmail, frmAbout::picEmail},
    {frmAbout::kWebLink, frmAbout::lblWebAddress, frmAbout::picWebSite},
};

TEST_F(AboutBoxTest, LoadsShapedCaptionedAndWithItsHitRectanglesOnTheLinks) {
  Load();
  ASSERT_EQ(15.0, platform::window::TwipsPerPixel(platform::window::SystemDpi()))
      << "this suite runs at 96 DPI";
  const HWND hwnd = about.Handle();
  EXPECT_EQ(L"About", Caption(hwnd));
  EXPECT_FALSE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION);
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(403, client.right);
  EXPECT_EQ(272, client.bottom);

  // Cut to the inscribed ellipse: the centre is in, the corners are out.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(hwnd, region));
  EXPECT_TRUE(PtInRegion(region, 201, 136));
  EXPECT_TRUE(PtInRegion(region, 2, 136));
  EXPECT_FALSE(PtInRegion(region, 3, 3));
  EXPECT_FALSE(PtInRegion(region, 399, 268));
  DeleteObject(region);

  const std::wstring version = L"Version " + std::to_wstring(QUILLET_VERSION_MAJOR) + L"." +
                               std::to_wstring(QUILLET_VERSION_MINOR) + L"." +
                               std::to_wstring(QUILLET_VERSION_REVISION);
  EXPECT_EQ(version, Caption(Ctl(frmAbout::lblLabel1)));
  EXPECT_EQ(std::wstring(L"Delveloper:  ") + kDeveloperName, Caption(Ctl(frmAbout::lblLabel2)));
  for (const LinkCase& c : kLinkCases) {
    EXPECT_EQ(ClientRectOf(hwnd, Ctl(c.label)), ClientRectOf(hwnd, Ctl(c.hitRect)));
    EXPECT_FALSE(IsWindowVisible(Ctl(c.hitRect)));
    ExpectResting(c.link, c.label);
    EXPECT_NE(nullptr, about.MouseIcon(c.link));
  }
  for (int step = frmAbout::kShapeStep; step <= frmAbout::kWebIconStep; ++step) {
    EXPECT_FALSE(about.LoadStepFailed(static_cast<frmAbout::LoadStep>(step))) << step;
  }
  EXPECT_EQ(Ctl(frmAbout::cmdOk), GetFocus()) << "the labels take no focus";

  const HWND tips = about.ToolTips();
  EXPECT_EQ(2, SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0));
  for (const auto& [row, tip] :
       {std::pair{frmAbout::lblEmail, L"Click Here To E-Mail"},
        std::pair{frmAbout::lblWebAddress, L"Click Here To Go To Webpage"}}) {
    wchar_t text[80] = {};
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(Ctl(row));
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(tip, text);
  }
}

TEST_F(AboutBoxTest, OpensCentredOverItsOwner) {
  const HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 50, 40, 500,
                                     360, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  Load(owner);
  const RECT rect = gui_test::ScreenRect(about.Handle());
  EXPECT_EQ(50 + (500 - 403) / 2, rect.left);
  EXPECT_EQ(40 + (360 - 272) / 2, rect.top);
  EXPECT_EQ(owner, GetWindow(about.Handle(), GW_OWNER));
  about.Destroy();
  DestroyWindow(owner);
}

TEST_F(AboutBoxTest, PointerOnALinkHighlightsItAndLeavingEndsItWithinATick) {
  Load();
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.link);
    MoveTo(CentreOf(c.label));
    ASSERT_TRUE(HighlightedSoon(c.link, true));
    ExpectHighlighted(c.link, c.label);
    EXPECT_EQ(about.MouseIcon(c.link), GetCursor()) << "the hand pointer shows";
    // The timer's ticks leave it alone while the pointer stays on the link.
    Tick(c.link);
    ExpectHighlighted(c.link, c.label);

    MoveTo(Background());
    // The first tick after the pointer left ends it: within one 50 ms interval.
    EXPECT_EQ(50u, about.LinkTimerInterval(c.link));
    Tick(c.link);
    ASSERT_FALSE(about.LinkHighlighted(c.link));
    ExpectResting(c.link, c.label);
    EXPECT_TRUE(PumpUntil([&] { return GetCursor() != about.MouseIcon(c.link); }, 500));
    EXPECT_NE(about.MouseIcon(c.link), GetCursor());
  }
}

// The links' watch timers in real time, on a real message loop: lit while the pointer stays,
// through several real ticks; resting once it has left.
TEST_F(AboutBoxTest, LinksStayLitThroughRealTicksAndRestAfterThePointerLeaves) {
  Load();
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.link);
    gui_test::TimerTickCounter ticks(about.Handle(), frmAbout::kLinkTimerIds[c.link]);
    MoveTo(CentreOf(c.label));
    ASSERT_TRUE(HighlightedSoon(c.link, true, 5000));
    ASSERT_TRUE(ticks.WaitForTicks(3)) << "the watch stopped with the pointer on the link";
    ExpectHighlighted(c.link, c.label);
    EXPECT_EQ(about.MouseIcon(c.link), GetCursor());
    MoveTo(Background());
    ASSERT_TRUE(HighlightedSoon(c.link, false, 5000));
    ExpectResting(c.link, c.label);
  }
}

TEST_F(AboutBoxTest, RightAndBottomEdgesOfAHitRectangleStillCountAsOnTheLink) {
  Load();
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.link);
    const HWND hit = Ctl(c.hitRect);
    RECT size{};
    GetClientRect(hit, &size);  // W x H in pixels: x = W, y = H in twips at 15 per pixel
    MoveTo(CentreOf(c.label));
    ASSERT_TRUE(HighlightedSoon(c.link, true));

    MoveTo(ScreenPoint(hit, size.right, size.bottom));
    Tick(c.link);
    EXPECT_TRUE(about.LinkHighlighted(c.link)) << "x = W, y = H";

    MoveTo(ScreenPoint(hit, size.right + 1, size.bottom));
    Tick(c.link);
    EXPECT_FALSE(about.LinkHighlighted(c.link)) << "one pixel right of the edge";

    MoveTo(CentreOf(c.label));
    ASSERT_TRUE(HighlightedSoon(c.link, true));
    MoveTo(ScreenPoint(hit, size.right / 2, size.bottom + 1));
    Tick(c.link);
    EXPECT_FALSE(about.LinkHighlighted(c.link)) << "one pixel below the edge";
    MoveTo(Background());
    Tick(frmAbout::kWebLink);
  }
}

TEST_F(AboutBoxTest, MovingStraightFromOneLinkToTheOtherHandsTheHighlightOver) {
  Load();
  MoveTo(CentreOf(frmAbout::lblEmail));
  ASSERT_TRUE(HighlightedSoon(frmAbout::kEmailLink, true));
  MoveTo(CentreOf(frmAbout::lblWebAddress));
  ASSERT_TRUE(HighlightedSoon(frmAbout::kWebLink, true, 100)) << "at once";
  ExpectHighlighted(frmAbout::kWebLink, frmAbout::lblWebAddress);
  // The e-mail link ends at its own next tick, tested against its own rectangle.
  Tick(frmAbout::kEmailLink);
  ASSERT_FALSE(about.LinkHighlighted(frmAbout::kEmailLink));
  ExpectResting(frmAbout::kEmailLink, frmAbout::lblEmail);
  // The web link's rectangle runs past the e-mail link's width: 4000 of its 4095 twips.
  MoveTo(ScreenPoint(Ctl(frmAbout::picWebSite), 4000 / 15, 12));
  Tick(frmAbout::kWebLink);
  ExpectHighlighted(frmAbout::kWebLink, frmAbout::lblWebAddress);
  EXPECT_FALSE(about.LinkHighlighted(frmAbout::kEmailLink));
}

TEST_F(AboutBoxTest, EnterAndEscapeCloseTheBoxAndUnloadReleasesItsParts) {
  for (const WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
    SCOPED_TRACE(key);
    Load();
    ASSERT_EQ(about.Handle(), GetForegroundWindow());
    ASSERT_NE(nullptr, about.Mover().Form());
    gui_test::KeyPress(key);
    EXPECT_TRUE(PumpUntil([&] { return !about.IsLoaded(); }, 500));
    EXPECT_EQ(nullptr, about.Mover().Form());
    EXPECT_EQ(nullptr, about.MouseIcon(frmAbout::kEmailLink));
    EXPECT_EQ(nullptr, about.MouseIcon(frmAbout::kWebLink));
  }
}

TEST_F(AboutBoxTest, DragsFromTheBackgroundAndStaticLabelsButNotFromLinksOrTheButton) {
  Load();
  const auto dragMoves = [&](POINT from) {
    const RECT before = gui_test::ScreenRect(about.Handle());
    MoveTo(from);
    PumpFor(20);
    MouseButton(1, true);
    PumpFor(20);
    // Far enough down to leave the button, so that releasing there is no click.
    MoveCursor(from.x + 12, from.y + 20);
    PumpFor(20);
    MouseButton(1, false);
    PumpFor(20);
    const RECT after = gui_test::ScreenRect(about.Handle());
    return after.left - before.left == 12 && after.top - before.top == 20;
  };
  EXPECT_TRUE(dragMoves(Background()));
  EXPECT_TRUE(dragMoves(CentreOf(frmAbout::lblLabel0)));
  EXPECT_TRUE(dragMoves(CentreOf(frmAbout::lblLabel3)));
  EXPECT_FALSE(about.Mover().Dragging());
  EXPECT_EQ(nullptr, GetCapture());

  EXPECT_FALSE(dragMoves(CentreOf(frmAbout::lblEmail)));
  EXPECT_FALSE(dragMoves(CentreOf(frmAbout::lblWebAddress)));
  EXPECT_FALSE(dragMoves(CentreOf(frmAbout::cmdOk)));
  EXPECT_TRUE(about.IsLoaded()) << "a press that leaves the button does not click it";
}

TEST_F(AboutBoxTest, EmailLinkStartsAMessageWithTheFixedSubjectUnescaped) {
  Load();
  Click(frmAbout::lblEmail);
  SetWindowTextW(Ctl(frmAbout::lblEmail), L"");
  // Past the double-click time, or the second press would be a double click.
  PumpFor(static_cast<int>(GetDoubleClickTime()) + 50);
  Click(frmAbout::lblEmail);
  ASSERT_EQ(2u, ShellRecorder::calls.size());
  EXPECT_EQ(std::wstring(L"mailto:") + kDeveloperEmail + L"?Subject=RE: Skerry",
            ShellRecorder::calls[0].file);
  EXPECT_EQ(L"mailto:?Subject=RE: Skerry", ShellRecorder::calls[1].file);
  for (const ShellCall& call : ShellRecorder::calls) {
    EXPECT_EQ(about.Handle(), call.owner);
    EXPECT_EQ(L"open", call.operation);
    EXPECT_FALSE(call.hasParameters);
    EXPECT_FALSE(call.hasDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, call.showCommand);
  }
}

// A link opens when the button comes up over it; a press dragged off it opens nothing.
TEST_F(AboutBoxTest, LinksOpenOnReleaseAndNotWhenThePressIsDraggedOff) {
  Load();
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.link);
    ShellRecorder::calls.clear();
    MoveTo(CentreOf(c.label));
    MouseButton(1, true);
    ASSERT_TRUE(PumpUntil([&] { return GetCapture() == Ctl(c.label); }, 1000));
    EXPECT_TRUE(ShellRecorder::calls.empty()) << "nothing opens on the press";
    MoveTo(Background());
    MouseButton(1, false);
    ASSERT_TRUE(PumpUntil([] { return GetCapture() == nullptr; }, 1000));
    EXPECT_TRUE(ShellRecorder::calls.empty()) << "released off the link";

    MoveTo(CentreOf(c.label));
    MouseButton(1, true);
    MouseButton(1, false);
    EXPECT_TRUE(PumpUntil([] { return ShellRecorder::calls.size() == 1; }, 1000));
  }
}

TEST_F(AboutBoxTest, WebLinkOpensTheStoredAddressAndOnlyAnUncallableShellIsReported) {
  Load();
  SetWindowTextW(Ctl(frmAbout::lblWebAddress), L"www.example.org/elsewhere/");
  gui_test::BoxWatcher boxes({gui_test::Answer(IDOK)});
  // A launch the shell cannot carry out (no handler registered) shows nothing.
  ShellRecorder::status = SE_ERR_NOASSOC;
  Click(frmAbout::lblWebAddress);
  ASSERT_EQ(1u, ShellRecorder::calls.size());
  const ShellCall& call = ShellRecorder::calls[0];
  EXPECT_EQ(kDeveloperWebPage, call.file) << "the stored address, not the caption";
  EXPECT_EQ(nullptr, call.owner);
  EXPECT_EQ(SW_SHOWNORMAL, call.showCommand);
  EXPECT_TRUE(boxes.Seen().empty());

  // Error 999 reaches the window's boundary and is shown there; the box stays usable.
  ReplaceShellExecuteEntry(nullptr);
  PumpFor(static_cast<int>(GetDoubleClickTime()) + 50);
  Click(frmAbout::lblWebAddress);
  ASSERT_TRUE(PumpUntil([&] { return !boxes.Seen().empty(); }, 1000));
  EXPECT_EQ(L"Error: 999. Could Not Open Webpage.", boxes.Seen().front().text);
  EXPECT_EQ(L"About", boxes.Seen().front().title);
  EXPECT_TRUE(about.IsLoaded());
}

// Fails the first load of the hand pointer, as a missing cursor resource would.
HCURSOR FailFirstCursorLoad(int resourceId) {
  static int calls = 0;
  if (calls++ == 0) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                         IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
}

TEST_F(AboutBoxTest, AFailingLoadStepSkipsOnlyItself) {
  frmAbout::ReplaceCursorLoader(&FailFirstCursorLoad);
  Load();
  EXPECT_TRUE(about.LoadStepFailed(frmAbout::kEmailIconStep));
  for (const frmAbout::LoadStep step :
       {frmAbout::kShapeStep, frmAbout::kMoverStep, frmAbout::kVersionStep,
        frmAbout::kEmailHitRectStep, frmAbout::kWebHitRectStep, frmAbout::kWebIconStep}) {
    EXPECT_FALSE(about.LoadStepFailed(step)) << step;
  }
  EXPECT_EQ(nullptr, about.MouseIcon(frmAbout::kEmailLink));
  EXPECT_NE(nullptr, about.MouseIcon(frmAbout::kWebLink));
  EXPECT_NE(L"Version ", Caption(Ctl(frmAbout::lblLabel1)));
  EXPECT_EQ(ClientRectOf(about.Handle(), Ctl(frmAbout::lblWebAddress)),
            ClientRectOf(about.Handle(), Ctl(frmAbout::picWebSite)));
  // The e-mail link still lights up, with the default pointer.
  MoveTo(CentreOf(frmAbout::lblEmail));
  ASSERT_TRUE(HighlightedSoon(frmAbout::kEmailLink, true));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), GetCursor());
}

// At each DPI it is moved to: the twips table, whole captions, and each link's hit rectangle
// still lies on its label.
TEST_F(AboutBoxTest, LaysItselfOutAgainAtEachDpiItIsMovedTo) {
  Load();
  for (const int dpi : {120, 144, 192, 96}) {
    testing_support::SendDpiChanged(about, dpi);
    testing_support::ExpectWindowWholeAt(about, dpi);
    EXPECT_EQ(ClientRectOf(about.Handle(), Ctl(frmAbout::lblEmail)),
              ClientRectOf(about.Handle(), Ctl(frmAbout::picEmail)));
    EXPECT_EQ(ClientRectOf(about.Handle(), Ctl(frmAbout::lblWebAddress)),
              ClientRectOf(about.Handle(), Ctl(frmAbout::picWebSite)));
  }
}

TEST_F(AboutBoxTest, LeavesAScreenshot) {
  Load();
  MoveTo(CentreOf(frmAbout::lblWebAddress));
  ASSERT_TRUE(HighlightedSoon(frmAbout::kWebLink, true));
  // In the build folder, beside the other windows' pictures.
  ASSERT_TRUE(testing_support::SaveWindowPng(about.Handle(), L"..\\..\\about_box.png"));
  // Teal where the background shows, in the middle of the ellipse's left part.
  HDC dc = GetDC(about.Handle());
  EXPECT_EQ(RGB(0, 128, 128), GetPixel(dc, 40, 136));
  ReleaseDC(about.Handle(), dc);
}

// The main window's title opens the box modally; the main window takes no input meanwhile.
// The main window runs over a private settings store that keeps its start-up prompt away.
// (Not the main window's own fixture: the desktop keeper it starts holds CTest's output open
// for a minute after the last test.)
class TitleClickTest : public ::testing::Test {
 protected:
  TitleClickTest() {
    testing_support::ResetListingState();
    AppOptions = {};
    platform::WriteSetting(OptionsApplicationName(), L"Options", L"DontBother", L"True");
  }
  ~TitleClickTest() override { testing_support::ResetListingState(); }

  static void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND box = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM found) -> BOOL {
          if (IsWindowVisible(hwnd) && Caption(hwnd) == L"About") {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&box));
    seenBox = box;
    if (box) {
      ownerEnabledWhileOpen = IsWindowEnabled(GetWindow(box, GW_OWNER)) != FALSE;
      gui_test::KeyPress(VK_ESCAPE);
    }
  }
  inline static HWND seenBox = nullptr;
  inline static bool ownerEnabledWhileOpen = true;
  testing_support::SettingsSandbox sandbox;
  frmMain form;
};

TEST_F(TitleClickTest, ClickOnTheTitleShowsTheAboutBoxModally) {
  form.Load(L"");
  SetForegroundWindow(form.Handle());
  ShellRecorder shell;
  seenBox = nullptr;
  SetTimer(nullptr, 0, 200, &CloseAboutBox);
  const RECT title = gui_test::ScreenRect(form.Control(frmMain::lblTitle));
  MoveCursor((title.left + title.right) / 2, (title.top + title.bottom) / 2);
  MouseButton(1, true);
  MouseButton(1, false);
  ASSERT_TRUE(PumpUntil([] { return seenBox != nullptr; }, 2000));
  EXPECT_FALSE(ownerEnabledWhileOpen);
  EXPECT_TRUE(PumpUntil([] { return !IsWindow(seenBox); }, 1000));
  EXPECT_TRUE(IsWindowEnabled(form.Handle()));
  ParkCursor();
}

}  // namespace
