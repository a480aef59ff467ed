// The registry helpers against the real registry (HKEY_CURRENT_USER redirected to a sandbox
// key), read back with the API and with reg.exe.
#include <gtest/gtest.h>

#include <cstring>

#include "box_recorder.h"
#include "integration/registry_functions.h"
#include "platform/system_error.h"
#include "registry_test_support.h"
#include "support/settings_sandbox.h"

namespace {

using namespace integration_test;

const std::wstring kBase = L"Software\\Classes\\Helper Test";

class RegistryFunctionsTest : public ::testing::Test {
 protected:
  testing_support::SettingsSandbox sandbox;
};

TEST_F(RegistryFunctionsTest, CreateNewKeyBuildsTheWholePathAndKeepsAnExistingKey) {
  BoxRecorder boxes;
  const std::wstring deep = kBase + L"\\One\\Two\\Three";
  ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kBase));

  RegistryCreateNewKey(HKEY_CURRENT_USER, deep);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, deep));
  EXPECT_EQ(RegQuery(SandboxedKeyForReg(deep)).exitCode, 0u);

  // Created again: the value written in between survives.
  RegistrySetKeyValue(HKEY_CURRENT_USER, deep, L"Kept", std::wstring(L"yes"), REG_SZ);
  RegistryCreateNewKey(HKEY_CURRENT_USER, deep);
  const auto kept = ReadRawValue(HKEY_CURRENT_USER, deep, L"Kept");
  ASSERT_TRUE(kept);
  EXPECT_EQ(DataAsText(*kept), std::wstring(L"yes", 4));
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(RegistryFunctionsTest, StringValuesAreStoredWithTheirTerminatingNul) {
  BoxRecorder boxes;
  // The key does not exist yet: setting a value creates it.
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"", std::wstring(L"Print &Directory"), REG_SZ);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"Empty", std::wstring(), REG_SZ);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"Number", std::int64_t{-42}, REG_SZ);

  const auto menu = ReadRawValue(HKEY_CURRENT_USER, kBase, L"");
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->type, static_cast<DWORD>(REG_SZ));
  // 16 characters and the NUL: 17 characters of two bytes each.
  ASSERT_EQ(menu->data.size(), 17 * sizeof(wchar_t));
  EXPECT_EQ(DataAsText(*menu), std::wstring(L"Print &Directory", 17));

  const auto empty = ReadRawValue(HKEY_CURRENT_USER, kBase, L"Empty");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(empty->data.size(), sizeof(wchar_t));

  const auto number = ReadRawValue(HKEY_CURRENT_USER, kBase, L"Number");
  ASSERT_TRUE(number);
  EXPECT_EQ(DataAsText(*number), std::wstring(L"-42", 4));

  const ProcessOutput byDefault = RegQuery(SandboxedKeyForReg(kBase), L"/ve");
  std::cout << byDefault.out;
  EXPECT_EQ(byDefault.exitCode, 0u);
  EXPECT_NE(byDefault.out.find("REG_SZ    Print &Directory"), std::string::npos);
  const ProcessOutput named = RegQuery(SandboxedKeyForReg(kBase), L"/v Number");
  EXPECT_NE(named.out.find("Number    REG_SZ    -42"), std::string::npos) << named.out;
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(RegistryFunctionsTest, BinaryAndDwordValues) {
  BoxRecorder boxes;
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"Bytes",
                      std::vector<std::uint8_t>{0x01, 0x00, 0xFF}, REG_BINARY);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"Minus", std::int64_t{-1}, REG_DWORD);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"FromText", std::wstring(L" 42 "), REG_DWORD);

  const auto bytes = ReadRawValue(HKEY_CURRENT_USER, kBase, L"Bytes");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(bytes->data, (std::vector<BYTE>{0x01, 0x00, 0xFF}));

  const auto minus = ReadRawValue(HKEY_CURRENT_USER, kBase, L"Minus");
  ASSERT_TRUE(minus);
  EXPECT_EQ(minus->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(minus->data, (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));

  const ProcessOutput fromText = RegQuery(SandboxedKeyForReg(kBase), L"/v FromText");
  EXPECT_NE(fromText.out.find("FromText    REG_DWORD    0x2a"), std::string::npos) << fromText.out;
  const ProcessOutput binary = RegQuery(SandboxedKeyForReg(kBase), L"/v Bytes");
  EXPECT_NE(binary.out.find("REG_BINARY    0100FF"), std::string::npos) << binary.out;
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(RegistryFunctionsTest, UnsuitableValuesEndInTheHelpersErrorBox) {
  BoxRecorder boxes;
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"NotBytes", std::wstring(L"abc"), REG_BINARY);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"TooBig", std::int64_t{1} << 31, REG_DWORD);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"NotANumber", std::wstring(L"12abc"), REG_DWORD);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"BytesAsText", std::vector<std::uint8_t>{65},
                      REG_SZ);

  const auto seen = boxes.Seen();
  ASSERT_EQ(seen.size(), 4u);
  const std::wstring mismatch = L"Error: " + std::to_wstring(ERROR_INVALID_DATATYPE) + L". " +
                                platform::ErrorDescription(ERROR_INVALID_DATATYPE);
  const std::wstring overflow = L"Error: " + std::to_wstring(ERROR_ARITHMETIC_OVERFLOW) + L". " +
                                platform::ErrorDescription(ERROR_ARITHMETIC_OVERFLOW);
  const std::wstring expected[] = {mismatch, overflow, mismatch, mismatch};
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].title, L"RegistrySetKeyValue");
    EXPECT_EQ(seen[i].text, expected[i]);
    EXPECT_EQ(seen[i].hasIcon, false);
    EXPECT_EQ(seen[i].buttons, std::vector<int>{IDOK});
  }
  // The key was created before the value failed; no value was written.
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kBase));
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kBase), 0u);
}

TEST_F(RegistryFunctionsTest, AnUnknownTypeCreatesTheKeyButWritesNoValue) {
  BoxRecorder boxes;
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"Multi", std::wstring(L"a"), REG_MULTI_SZ);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kBase, L"", std::wstring(L"a"), 0);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kBase));
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kBase), 0u);
  const ProcessOutput query = RegQuery(SandboxedKeyForReg(kBase), L"/v Multi");
  EXPECT_NE(query.exitCode, 0u) << query.out;
  EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(RegistryFunctionsTest, DeleteKeyRemovesALeafAndPassesOverWhatItCannotDelete) {
  BoxRecorder boxes;
  RegistryCreateNewKey(HKEY_CURRENT_USER, kBase + L"\\Parent\\Leaf");
  RegistryCreateNewKey(HKEY_CURRENT_USER, kBase + L"\\Sibling");

  RegistryDeleteKey(HKEY_CURRENT_USER, kBase + L"\\Missing\\Key");
  // A key with a sub-key is refused by the system; that is not reported either.
  RegistryDeleteKey(HKEY_CURRENT_USER, kBase + L"\\Parent");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kBase + L"\\Parent\\Leaf"));

  RegistryDeleteKey(HKEY_CURRENT_USER, kBase + L"\\Parent\\Leaf");
  RegistryDeleteKey(HKEY_CURRENT_USER, kBase + L"\\Parent");
  EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, kBase), std::vector<std::wstring>{L"Sibling"});
  EXPECT_NE(RegQuery(SandboxedKeyForReg(kBase + L"\\Parent")).exitCode, 0u);
  EXPECT_TRUE(boxes.Seen().empty());
}

}  // namespace
