// Quillet.exe run from a folder with blanks in its name: Yes in its start-up prompt registers
// the folder command, and the command line Explorer would run opens the main window with the
// chosen folder in the source box. The copied program and reg.exe see the real per-user
// registry of this build's private Wine prefix, which the test cleans before and after.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "platform/handles.h"
#include "platform/registry_key.h"
#include "platform/settings_store.h"
#include "registry_test_support.h"
#include "support/temp_tree.h"

namespace {

using namespace integration_test;
using platform::UniqueHandle;

const std::wstring kMenuKey = L"Software\\Classes\\Directory\\shell\\Print Directory";
const std::wstring kSettingsKey = L"Software\\Quillet\\Quillet";
const std::wstring kProgramFolder = L"C:\\Program Files\\Quillet Test";
const std::wstring kProgram = kProgramFolder + L"\\Quillet.exe";

// The built Quillet.exe in Windows form (a build tree path under Wine is on drive Z:).
std::wstring BuiltProgram() {
  std::wstring path = platform::FromUtf8(QUILLET_EXE);
  if (!path.empty() && path.front() == L'/') path = L"Z:" + path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

void Clean() {
  for (const MenuEntry& entry : PrintDirectoryMenus()) {
    RegDeleteTreeW(HKEY_CURRENT_USER, entry.key.c_str());
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey.c_str());
  DeleteFileW(kProgram.c_str());
  RemoveDirectoryW(kProgramFolder.c_str());
}

struct Started {
  UniqueHandle process;
  DWORD id = 0;
};

Started Start(const std::wstring* application, std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Started started;
  if (!CreateProcessW(application ? application->c_str() : nullptr, commandLine.data(), nullptr,
                      nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    ADD_FAILURE() << "cannot start " << platform::ToUtf8(commandLine) << ": " << GetLastError();
    return started;
  }
  UniqueHandle thread(info.hThread);
  started.process.reset(info.hProcess);
  started.id = info.dwProcessId;
  return started;
}

// A visible top-level window of the process with this caption, waited for up to 10 s.
HWND WaitForWindow(DWORD processId, const std::wstring& caption) {
  struct Search {
    DWORD processId;
    const std::wstring* caption;
    HWND found;
  };
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < end) {
    Search search{processId, &caption, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(hwnd, &owner);
          wchar_t text[128] = {};
          GetWindowTextW(hwnd, text, 128);
          if (owner == s->processId && IsWindowVisible(hwnd) && *s->caption == text) {
            s->found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return text;
}

void CloseAndWait(HWND window, const Started& program) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(program.process.get(), 10000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(program.process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
}

class ExplorerCommandTest : public ::testing::Test {
 protected:
  ExplorerCommandTest() { Clean(); }
  ~ExplorerCommandTest() override { Clean(); }
};

TEST_F(ExplorerCommandTest, RegisteredFromAFolderWithBlanksAndStartedAsExplorerStartsIt) {
  ASSERT_TRUE(CreateDirectoryW(kProgramFolder.c_str(), nullptr) ||
              GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(CopyFileW(BuiltProgram().c_str(), kProgram.c_str(), FALSE))
      << platform::ToUtf8(BuiltProgram());

  // First start: the prompt comes up alone; Yes registers, then the main window shows.
  {
    const Started program = Start(&kProgram, L"\"" + kProgram + L"\"");
    ASSERT_TRUE(program.process);
    const HWND prompt = WaitForWindow(program.id, L"Quillet Integrate With Windows Explorer");
    ASSERT_NE(prompt, nullptr);
    PostMessageW(FindWindowExW(prompt, nullptr, L"Button", L"&Yes"), BM_CLICK, 0, 0);
    const HWND main = WaitForWindow(program.id, L"Print Files & Folders");
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsWindow(prompt));
    CloseAndWait(main, program);
  }
  const std::wstring expected = L"\"" + kProgram + L"\" \"%1\"";
  const auto command =
      platform::ReadRegistryString(HKEY_CURRENT_USER, kMenuKey + L"\\command", L"");
  ASSERT_EQ(command, expected);
  EXPECT_EQ(platform::ReadRegistryString(HKEY_CURRENT_USER, kMenuKey, L""), L"Print &Directory");
  EXPECT_EQ(MenuKeysPresent(), 3u) << "not on the drive and folder background menus too";
  EXPECT_EQ(platform::ReadSetting(L"Quillet", L"Options", L"Registered"), L"True");
  const ProcessOutput query = RegQuery(L"HKCU\\" + kMenuKey, L"/s");
  std::cout << "reg.exe query /s after Yes in Quillet.exe:\n" << query.out;
  EXPECT_NE(query.out.find(platform::ToUtf8(expected)), std::string::npos);

  // Explorer's way: %1 replaced by the folder (here in its short form), no prompt any more.
  const testing_support::TempTree tree;
  tree.Folder("Folder With Blanks");
  tree.Folder("Folder With Blanks/A very long folder name");
  const std::wstring folder = tree.Path("Folder With Blanks/A very long folder name");
  const std::wstring shortPath = testing_support::ShortPathOf(folder);
  std::wstring commandLine = *command;
  commandLine.replace(commandLine.find(L"%1"), 2, shortPath);
  {
    const Started program = Start(nullptr, commandLine);
    ASSERT_TRUE(program.process);
    const HWND main = WaitForWindow(program.id, L"Print Files & Folders");
    ASSERT_NE(main, nullptr);
    const HWND sourceBox = FindWindowExW(main, nullptr, L"Edit", nullptr);
    ASSERT_NE(sourceBox, nullptr);
    EXPECT_EQ(TextOf(sourceBox), folder);
    CloseAndWait(main, program);
  }
}

}  // namespace
