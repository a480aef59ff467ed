// Adding and removing the command on the folder, drive and folder-background menus in the
// sandboxed per-user registry.
#include <gtest/gtest.h>

#include <iostream>

#include "box_recorder.h"
#include "integration/explorer_integration.h"
#include "platform/native_text.h"
#include "platform/registry_key.h"
#include "registry_test_support.h"
#include "support/settings_sandbox.h"

namespace {

using namespace integration_test;

const std::wstring kShell = L"Software\\Classes\\Directory\\shell";

class ExplorerIntegrationTest : public ::testing::Test {
 protected:
  testing_support::SettingsSandbox sandbox;
  BoxRecorder boxes;
};

TEST_F(ExplorerIntegrationTest, AddWritesTheMenuTextAndTheQuotedCommandLineOnEveryMenu) {
  EXPECT_TRUE(AddExplorerIntegration());

  for (const MenuEntry& entry : PrintDirectoryMenus()) {
    SCOPED_TRACE(platform::ToUtf8(entry.key));
    const auto menu = ReadRawValue(HKEY_CURRENT_USER, entry.key, L"");
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(DataAsText(*menu), std::wstring(L"Print &Directory", 17));

    const std::wstring expected = L"\"" + ModulePath() + L"\" \"" + entry.placeholder + L"\"";
    const auto command = ReadRawValue(HKEY_CURRENT_USER, entry.key + L"\\command", L"");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(DataAsText(*command), expected + L'\0');

    const ProcessOutput query = RegQuery(SandboxedKeyForReg(entry.key), L"/s");
    std::cout << "reg.exe query /s after AddExplorerIntegration:\n" << query.out;
    EXPECT_EQ(query.exitCode, 0u);
    EXPECT_NE(query.out.find("(Default)    REG_SZ    Print &Directory"), std::string::npos);
    EXPECT_NE(query.out.find("(Default)    REG_SZ    " + platform::ToUtf8(expected)),
              std::string::npos);
  }
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ExplorerIntegrationTest, AddingTwiceLeavesTheSameTwoEntries) {
  ASSERT_TRUE(AddExplorerIntegration());
  ASSERT_TRUE(AddExplorerIntegration());
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, kShell), std::vector<std::wstring>{L"Print Directory"});
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, kShell + L"\\Print Directory"),
            std::vector<std::wstring>{L"command"});
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kShell + L"\\Print Directory"), 1u);
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kShell + L"\\Print Directory\\command"), 1u);
  EXPECT_EQ(
      platform::ReadRegistryString(HKEY_CURRENT_USER, kShell + L"\\Print Directory\\command", L""),
      L"\"" + ModulePath() + L"\" \"%1\"");
}

TEST_F(ExplorerIntegrationTest, AddReplacesTheCommandOfAnotherCopy) {
  const std::wstring other = L"\"C:\\Old Place\\Quillet.exe\" \"%1\"";
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kShell + L"\\Print Directory\\command").c_str(), 0,
                            nullptr, 0, KEY_WRITE, nullptr, &created, nullptr),
            ERROR_SUCCESS);
  platform::UniqueHKey key(created);
  RegSetValueExW(key.get(), L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                 static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
  key.reset();

  EXPECT_TRUE(AddExplorerIntegration());
  EXPECT_EQ(
      platform::ReadRegistryString(HKEY_CURRENT_USER, kShell + L"\\Print Directory\\command", L""),
      L"\"" + ModulePath() + L"\" \"%1\"");
}

TEST_F(ExplorerIntegrationTest, RemoveDeletesEveryMenusKeysAndNothingElse) {
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (kShell + L"\\Other Command\\command").c_str(), 0,
                            nullptr, 0, KEY_WRITE, nullptr, &created, nullptr),
            ERROR_SUCCESS);
  platform::UniqueHKey key(created);
  key.reset();
  ASSERT_TRUE(AddExplorerIntegration());

  RemoveExplorerIntegration();
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kShell + L"\\Print Directory"));
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, kShell), std::vector<std::wstring>{L"Other Command"});
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kShell + L"\\Other Command\\command"));
  EXPECT_EQ(MenuKeysPresent(), 0u);

  for (const MenuEntry& entry : PrintDirectoryMenus()) {
    const ProcessOutput query = RegQuery(SandboxedKeyForReg(entry.key));
    std::cout << "reg.exe query after RemoveExplorerIntegration (exit " << query.exitCode << "):\n"
              << query.out;
    EXPECT_EQ(query.exitCode, 1u) << platform::ToUtf8(entry.key);
  }
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ExplorerIntegrationTest, RemoveWithNothingRegisteredShowsAndChangesNothing) {
  RemoveExplorerIntegration();
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kShell));
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ExplorerIntegrationTest, AddSaysNoWhenTheKeysCannotBeWritten) {
  // Below a volatile key the system creates no lasting key: the command cannot be added.
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_WRITE,
                            nullptr, &created, nullptr),
            ERROR_SUCCESS);
  platform::UniqueHKey classes(created);
  HKEY directory = nullptr;
  ASSERT_EQ(RegCreateKeyExW(classes.get(), L"Directory", 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                            nullptr, &directory, nullptr),
            ERROR_SUCCESS);
  platform::UniqueHKey volatileKey(directory);

  EXPECT_FALSE(AddExplorerIntegration());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kShell + L"\\Print Directory"));
  EXPECT_EQ(MenuKeysPresent(), 0u);
  // Registry statuses are not reported by the helpers.
  EXPECT_TRUE(boxes.Seen().empty());
}

// One menu entry's key exists and takes no values, while a command key may still be made
// under it: whatever was written, on that menu and on the ones before it, is taken back.
TEST_F(ExplorerIntegrationTest, AddRefusedPartWayTakesBackWhatItWrote) {
  for (const MenuEntry& refused : PrintDirectoryMenus()) {
    SCOPED_TRACE(platform::ToUtf8(refused.key));
    ASSERT_TRUE(RefuseNewValues(HKEY_CURRENT_USER, refused.key));
    EXPECT_FALSE(AddExplorerIntegration());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kShell + L"\\Print Directory\\command"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kShell + L"\\Print Directory"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, refused.key + L"\\command"));
    EXPECT_EQ(MenuKeysPresent(), 0u);
  }
  EXPECT_TRUE(boxes.Seen().empty());
}

}  // namespace
