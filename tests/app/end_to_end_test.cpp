// Quillet.exe as its own process: a quoted folder on its command line, the output typed into
// its box, Enter pressed on the keyboard, the finished listing found on disk.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "gui_test_support.h"
#include "platform/handles.h"
#include "support/temp_tree.h"

using platform::UniqueHandle;
using testing_support::TempTree;

namespace {

std::wstring ProgramPath() {
  wchar_t self[MAX_PATH] = {};
  std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
  path.erase(path.find_last_of(L'\\') + 1);
  return path + L"..\\..\\app\\Quillet.exe";
}

struct Found {
  DWORD processId;
  const wchar_t* className;
  const wchar_t* caption;
  HWND hwnd;
};

// A visible top-level window of the process, by class and (optionally) caption.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* caption) {
  Found found{processId, className, caption, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto& f = *reinterpret_cast<Found*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[64] = {}, text[256] = {};
        GetClassNameW(hwnd, name, 64);
        GetWindowTextW(hwnd, text, 256);
        if (owner == f.processId && IsWindowVisible(hwnd) && std::wstring(name) == f.className &&
            (!f.caption || std::wstring(text) == f.caption)) {
          f.hwnd = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.hwnd;
}

HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption) {
  for (int i = 0; i < 1000; ++i) {
    if (HWND hwnd = FindProcessWindow(processId, className, caption)) return hwnd;
    Sleep(5);
  }
  return nullptr;
}

// WM_GETTEXT: GetWindowText does not read controls of another process.
std::wstring TextOf(HWND hwnd) {
  wchar_t text[1024] = {};
  SendMessageW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

void SetSetting(const std::wstring& application, const wchar_t* key, const wchar_t* value) {
  const std::wstring subkey = L"Software\\Quillet\\" + application + L"\\Options";
  RegSetKeyValueW(HKEY_CURRENT_USER, subkey.c_str(), key, REG_SZ, value,
                  static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

}  // namespace

TEST(EndToEnd, QuilletListsTheFolderFromItsCommandLine) {
  gui_test::KeepDesktopAlive();
  TempTree tree;
  tree.File("My Tree/Docs/a.txt", "a");
  tree.File("My Tree/b.txt", "b");
  // A copy under its own name has settings of its own (the store is keyed by the program's
  // name), so the run touches no other settings of this prefix.
  const std::wstring application = L"QuilletE2E" + std::to_wstring(GetCurrentProcessId());
  const std::wstring program = tree.Path(platform::ToUtf8(application) + ".exe");
  ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), program.c_str(), TRUE)) << GetLastError();
  SetSetting(application, L"PrintStyle", L"0");
  SetSetting(application, L"DontBother", L"True");

  const std::wstring source = tree.Path("My Tree");
  const std::wstring output = tree.Path("listing.txt");
  std::wstring commandLine = L"\"" + program + L"\" \"" + source + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &info));
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);

  const HWND main = WaitForWindow(info.dwProcessId, L"QuilletFormWindow", L"Print Files & Folders");
  ASSERT_NE(nullptr, main);
  const HWND sourceBox = GetDlgItem(main, platform::window::kFirstControlId + frmMain::txtPath0);
  const HWND outputBox = GetDlgItem(main, platform::window::kFirstControlId + frmMain::txtPath1);
  EXPECT_EQ(source, TextOf(sourceBox));

  gui_test::Type(outputBox, output);
  EXPECT_EQ(output, TextOf(outputBox));
  // The keyboard, as a user would: the window in front, Enter presses the default button.
  SetForegroundWindow(main);
  for (int i = 0; i < 200 && GetForegroundWindow() != main; ++i) Sleep(5);
  gui_test::KeyPress(VK_RETURN);

  const HWND question = WaitForWindow(info.dwProcessId, L"#32770", L"View File?");
  ASSERT_NE(nullptr, question);
  EXPECT_EQ(L"Print Successful. Do You Wish To View The File?",
            TextOf(GetDlgItem(question, 0xFFFF)));
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(question, IDNO)));

  EXPECT_EQ((std::vector<std::string>{"   Docs", "      a.txt", "   b.txt"}),
            testing_support::ReadLines(output));

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 5000));
  DWORD exitCode = 1;
  GetExitCodeProcess(process.get(), &exitCode);
  EXPECT_EQ(0u, exitCode);
  RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Quillet\\" + application).c_str());
}
