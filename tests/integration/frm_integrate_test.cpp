// The start-up prompt: its layout, and its buttons driven by clicks on the real window while
// the main window loads, checked in the settings store and in the registry.
#include <gtest/gtest.h>

#include <functional>

#include "app/frm_main.h"
#include "box_recorder.h"
#include "gui_test_support.h"
#include "integration/explorer_integration.h"
#include "integration/frm_integrate.h"
#include "listing/app_options.h"
#include "platform/native_text.h"
#include "platform/registry_key.h"
#include "platform/settings_store.h"
#include "platform/window/dpi.h"
#include "registry_test_support.h"
#include "support/layout_checks.h"
#include "support/settings_sandbox.h"
#include "support/temp_tree.h"

namespace {

using namespace integration_test;

const std::wstring kMenuKey = L"Software\\Classes\\Directory\\shell\\Print Directory";

// Acts on each prompt that this thread shows, in order (see gui_test::WindowDriver).
class PromptDriver : public gui_test::WindowDriver {
 public:
  explicit PromptDriver(std::vector<Action> actions)
      : WindowDriver(frmIntegrate::kCaption, std::move(actions)) {}
  int PromptsSeen() const { return WindowsSeen(); }
};

HWND Button(HWND prompt, const wchar_t* caption) {
  return FindWindowExW(prompt, nullptr, L"Button", caption);
}

class IntegratePromptTest : public ::testing::Test {
 protected:
  IntegratePromptTest() {
    testing_support::ResetListingState();
    AppOptions = {};
  }
  ~IntegratePromptTest() override { testing_support::ResetListingState(); }

  static std::wstring Stored(const wchar_t* key) {
    return platform::ReadSetting(OptionsApplicationName(), L"Options", key).value_or(L"<none>");
  }
  // Any menu entry left counts: the command is on Explorer's menus.
  static bool Registered() { return MenuKeysPresent() > 0; }

  testing_support::SettingsSandbox sandbox;
  BoxRecorder boxes;
};

// A main window of this thread, shown or not.
bool MainWindowVisible() {
  const HWND main = FindWindowW(L"QuilletFormWindow", L"Print Files & Folders");
  return main && IsWindowVisible(main);
}

TEST_F(IntegratePromptTest, LayoutAt96Dpi) {
  gui_test::PumpFor(0);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  if (dpi != 96) GTEST_SKIP() << "pixel positions are checked at 96 DPI, the screen has " << dpi;

  frmIntegrate prompt;
  prompt.Create(nullptr);
  const HWND hwnd = prompt.Handle();

  wchar_t caption[64] = {};
  GetWindowTextW(hwnd, caption, 64);
  EXPECT_STREQ(caption, L"Quillet Integrate With Windows Explorer");
  const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX));
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);

  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 323);   // 4845 twips
  EXPECT_EQ(client.bottom, 223);  // 3345 twips
  const RECT outer = gui_test::ScreenRect(hwnd);
  EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

  struct Expected {
    const wchar_t* className;
    const wchar_t* text;
    RECT pixels;  // left, top, right, bottom in the client area
  };
  const Expected expected[] = {
      {L"Static",
       L"This program Is not yet integrated with Windows Explorer.  This will allow you to "
       L"start an extraction on any directory simply by right-clicking on the directory in "
       L"Windows Explorer.",
       {24, 48, 24 + 281, 48 + 57}},
      {L"Static", L"Integrate Quillet  With Windows Explorer?", {16, 0, 16 + 289, 41}},
      {L"Button", L"Don't Ask Me Again.", {8, 192, 8 + 177, 192 + 25}},
      {L"Static", L"Do You Wish To Integrate Now?", {24, 128, 24 + 233, 128 + 25}},
      {L"Button", L"&Yes", {96, 152, 96 + 57, 152 + 25}},
      {L"Button", L"&No", {160, 152, 160 + 57, 152 + 25}},
  };
  // Children in creation order are the controls in tab order.
  HWND child = GetWindow(hwnd, GW_CHILD);
  for (const Expected& want : expected) {
    ASSERT_NE(child, nullptr);
    wchar_t className[32] = {};
    wchar_t text[256] = {};
    GetClassNameW(child, className, 32);
    GetWindowTextW(child, text, 256);
    EXPECT_EQ(_wcsicmp(className, want.className), 0) << want.text;
    EXPECT_STREQ(text, want.text);
    RECT rect = gui_test::ScreenRect(child);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, want.pixels.left) << want.text;
    EXPECT_EQ(rect.top, want.pixels.top) << want.text;
    EXPECT_EQ(rect.right, want.pixels.right) << want.text;
    EXPECT_EQ(rect.bottom, want.pixels.bottom) << want.text;
    child = GetWindow(child, GW_HWNDNEXT);
  }

  auto fontOf = [](HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font;
  };
  const LOGFONTW title = fontOf(prompt.Control(frmIntegrate::lblIntegrate));
  EXPECT_STREQ(title.lfFaceName, L"MS Sans Serif");
  EXPECT_EQ(title.lfHeight, -16);  // 12 pt
  EXPECT_EQ(title.lfWeight, FW_BOLD);
  const LOGFONTW question = fontOf(prompt.Control(frmIntegrate::lblDoYouWish));
  EXPECT_EQ(question.lfHeight, -13);  // 9.75 pt
  EXPECT_EQ(question.lfWeight, FW_BOLD);
  const LOGFONTW message = fontOf(prompt.Control(frmIntegrate::lblRegisterMessage));
  EXPECT_STREQ(message.lfFaceName, L"MS Sans Serif");
  EXPECT_EQ(message.lfHeight, -11);  // 8.25 pt
  EXPECT_EQ(message.lfWeight, FW_NORMAL);
  EXPECT_EQ(GetWindowLongPtrW(prompt.Control(frmIntegrate::lblIntegrate), GWL_STYLE) & SS_TYPEMASK,
            SS_CENTER);

  // The title is drawn in red.
  HDC dc = GetDC(hwnd);
  SendMessageW(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(prompt.Control(frmIntegrate::lblIntegrate)));
  EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
  ReleaseDC(hwnd, dc);

  // Tab walks the check box and the two buttons; neither button answers Enter or Escape.
  const HWND check = prompt.Control(frmIntegrate::chkDontBother);
  const HWND yes = prompt.Control(frmIntegrate::cmdYes);
  const HWND no = prompt.Control(frmIntegrate::cmdNo);
  EXPECT_EQ(GetNextDlgTabItem(hwnd, nullptr, FALSE), check);
  EXPECT_EQ(GetNextDlgTabItem(hwnd, check, FALSE), yes);
  EXPECT_EQ(GetNextDlgTabItem(hwnd, yes, FALSE), no);
  EXPECT_EQ(GetNextDlgTabItem(hwnd, no, FALSE), check);
  EXPECT_NE(GetWindowLongPtrW(yes, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_NE(GetWindowLongPtrW(no, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
  SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_EQ(Stored(L"Registered"), L"<none>");
}

// Its title bar is the system's; its client area follows the twips at each DPI it is moved to,
// with whole captions and with the question label clear of the two buttons' borders.
TEST_F(IntegratePromptTest, LaysItselfOutAgainAtEachDpiItIsMovedTo) {
  frmIntegrate prompt;
  prompt.Create(nullptr);
  prompt.Show();
  testing_support::ExpectWindowWholeAt(prompt, platform::window::SystemDpi());
  for (const int dpi : {120, 144, 192, 96}) {
    testing_support::SendDpiChanged(prompt, dpi);
    testing_support::ExpectWindowWholeAt(prompt, dpi);
  }
}

TEST_F(IntegratePromptTest, YesAtStartUpRegistersBeforeTheMainWindowShows) {
  bool mainVisible = true;
  PromptDriver driver({[&](HWND prompt) {
    mainVisible = MainWindowVisible();
    gui_test::Press(Button(prompt, L"&Yes"));
  }});
  {
    frmMain form;
    form.Load(L"");
    EXPECT_EQ(driver.PromptsSeen(), 1);
    EXPECT_FALSE(mainVisible);
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    // Saved by the prompt, before the main window's own save at exit.
    EXPECT_EQ(Stored(L"Registered"), L"True");
    EXPECT_EQ(Stored(L"DontBother"), L"False");
  }
  // The folder's, the drive's and the folder background's menus, all at once.
  for (const MenuEntry& entry : PrintDirectoryMenus()) {
    EXPECT_EQ(platform::ReadRegistryString(HKEY_CURRENT_USER, entry.key, L""), L"Print &Directory");
    const std::wstring command = L"\"" + ModulePath() + L"\" \"" + entry.placeholder + L"\"";
    EXPECT_EQ(platform::ReadRegistryString(HKEY_CURRENT_USER, entry.key + L"\\command", L""),
              command);
    const ProcessOutput query = RegQuery(SandboxedKeyForReg(entry.key), L"/s");
    std::cout << "reg.exe query /s after Yes:\n" << query.out;
    EXPECT_EQ(query.exitCode, 0u);
    EXPECT_NE(query.out.find("REG_SZ    " + platform::ToUtf8(command)), std::string::npos);
  }

  // Registered: the next start goes straight to the main window.
  frmMain again;
  again.Load(L"");
  EXPECT_EQ(driver.PromptsSeen(), 1);
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(IntegratePromptTest, NoRemovesAnEarlierRegistrationAndAsksAgainNextTime) {
  RegisterAnotherCopy();
  ASSERT_TRUE(Registered());
  PromptDriver driver({[](HWND prompt) { gui_test::Press(Button(prompt, L"&No")); }});
  {
    frmMain form;
    form.Load(L"");
    EXPECT_EQ(driver.PromptsSeen(), 1);
    EXPECT_EQ(Stored(L"Registered"), L"False");
    EXPECT_EQ(Stored(L"DontBother"), L"False");
  }
  EXPECT_FALSE(Registered());
  for (const MenuEntry& entry : PrintDirectoryMenus()) {
    EXPECT_EQ(RegQuery(SandboxedKeyForReg(entry.key)).exitCode, 1u);
  }

  frmMain again;
  again.Load(L"");
  EXPECT_EQ(driver.PromptsSeen(), 2);
}

TEST_F(IntegratePromptTest, NoWithDontAskMeAgainStopsThePromptForGood) {
  PromptDriver driver({[](HWND prompt) {
    gui_test::Press(Button(prompt, L"Don't Ask Me Again."));
    gui_test::Press(Button(prompt, L"&No"));
  }});
  {
    frmMain form;
    form.Load(L"");
    EXPECT_EQ(Stored(L"DontBother"), L"True");
    EXPECT_EQ(Stored(L"Registered"), L"False");
  }
  EXPECT_FALSE(Registered());
  frmMain again;
  again.Load(L"");
  EXPECT_EQ(driver.PromptsSeen(), 1);
}

TEST_F(IntegratePromptTest, ClosingThePromptChangesAndSavesNothing) {
  RegisterAnotherCopy();
  const auto before = platform::ReadRegistryString(HKEY_CURRENT_USER, kMenuKey + L"\\command", L"");
  PromptDriver driver({[](HWND prompt) {
    // The box is ticked but the prompt is closed, not answered.
    gui_test::Press(Button(prompt, L"Don't Ask Me Again."));
    SendMessageW(prompt, WM_SYSCOMMAND, SC_CLOSE, 0);
  }});
  {
    frmMain form;
    form.Load(L"");
    EXPECT_EQ(driver.PromptsSeen(), 1);
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(Stored(L"Registered"), L"<none>");
    EXPECT_EQ(Stored(L"DontBother"), L"<none>");
    EXPECT_FALSE(AppOptions.Registered);
    EXPECT_FALSE(AppOptions.DontBother);
  }
  EXPECT_EQ(platform::ReadRegistryString(HKEY_CURRENT_USER, kMenuKey + L"\\command", L""), before);

  frmMain again;
  again.Load(L"");
  EXPECT_EQ(driver.PromptsSeen(), 2);
}

TEST_F(IntegratePromptTest, YesThatCannotRegisterSaysSoAndLeavesRegisteredFalse) {
  // Below a volatile key no lasting key can be made: the command cannot be added. (Keys made
  // on the way to a volatile key are volatile too, so its parents are made first.)
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_WRITE,
                            nullptr, &created, nullptr),
            ERROR_SUCCESS);
  platform::UniqueHKey classes(created);
  ASSERT_EQ(RegCreateKeyExW(classes.get(), L"Directory", 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                            nullptr, &created, nullptr),
            ERROR_SUCCESS);
  platform::UniqueHKey directory(created);
  PromptDriver driver({[](HWND prompt) { gui_test::Press(Button(prompt, L"&Yes")); }});
  {
    frmMain form;
    form.Load(L"");
    EXPECT_EQ(Stored(L"Registered"), L"False");
  }
  ASSERT_EQ(boxes.Seen().size(), 1u);
  const RecordedBox& box = boxes.Seen()[0];
  EXPECT_EQ(box.title, L"Quillet Integrate With Windows Explorer");
  EXPECT_NE(box.text.find(L"could not be added"), std::wstring::npos) << box.text;
  EXPECT_TRUE(box.hasIcon);
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  EXPECT_FALSE(Registered());
}

// Registered follows Explorer's menus at start-up, whatever the store says: an instance that
// was open while another answered Yes saves its own False over it when it exits.
TEST_F(IntegratePromptTest, RegisteredAtStartUpIsWhetherTheMenusStartThisProgram) {
  ASSERT_TRUE(AddExplorerIntegration());
  platform::WriteSetting(OptionsApplicationName(), L"Options", L"Registered", L"False");
  PromptDriver driver({});
  {
    frmMain form;
    form.Load(L"");
    EXPECT_EQ(driver.PromptsSeen(), 0) << "prompted although the command is in place";
    EXPECT_TRUE(AppOptions.Registered);
    form.Unload();
  }
  EXPECT_EQ(Stored(L"Registered"), L"True") << "Exit saved the stale value back";

  // The other way round: the store says True, the menus hold another copy's command.
  RemoveExplorerIntegration();
  RegisterAnotherCopy();
  {
    frmMain form;
    form.Load(L"");
    EXPECT_EQ(driver.PromptsSeen(), 1);
    EXPECT_FALSE(AppOptions.Registered);
  }
}

// The prompt on its own message loop in real time: the real keyboard answers it while the main
// window's title timer, running from start-up, ticks behind it.
TEST_F(IntegratePromptTest, RealKeysAnswerThePromptWhileTheTitleTimerTicksBehindIt) {
  gui_test::MoveCursor(0, 0);
  frmMain form;
  bool tickedBehind = false;
  bool checkBoxFocused = false;
  PromptDriver driver({[&](HWND prompt) {
    gui_test::TimerTickCounter ticks(form.Handle(), frmMain::kTitleTimerId);
    tickedBehind = ticks.WaitForTicks(1);
    SetForegroundWindow(prompt);
    checkBoxFocused = GetFocus() == Button(prompt, L"Don't Ask Me Again.");
    // Space ticks "Don't Ask Me Again.", which has the focus; Alt+N answers No.
    gui_test::KeyPress(VK_SPACE);
    gui_test::KeyPress('N', /*withAlt=*/true);
  }});
  form.Load(L"");
  EXPECT_EQ(driver.PromptsSeen(), 1);
  EXPECT_TRUE(tickedBehind) << "no tick of the title's timer came while the prompt was open";
  EXPECT_TRUE(checkBoxFocused) << "the prompt opened with the focus elsewhere";
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(Stored(L"DontBother"), L"True");
  EXPECT_EQ(Stored(L"Registered"), L"False");
}

}  // namespace
