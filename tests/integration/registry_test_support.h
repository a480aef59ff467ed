// Reading back what the registry holds, with the API and with Wine's own reg.exe, for the
// tests of the registry helpers and of the Explorer integration.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace integration_test {

// reg.exe's path for a key the test process sees under its sandboxed HKEY_CURRENT_USER:
// reg.exe runs as a process of its own, where the override does not apply.
std::wstring SandboxedKeyForReg(const std::wstring& keyPath);

struct ProcessOutput {
  DWORD exitCode = 0xFFFFFFFF;
  std::string out;  // standard output and standard error together
};

// Runs `commandLine` (program and arguments) and waits for it, up to 10 s.
ProcessOutput RunAndCapture(const std::wstring& commandLine);

// "reg.exe query <key> <arguments>"; the key is quoted for blanks in its path.
ProcessOutput RegQuery(const std::wstring& key, const std::wstring& arguments = L"");

bool KeyExists(HKEY root, const std::wstring& keyPath);

// The command's menu entries under HKEY_CURRENT_USER (a folder, a drive, a folder's
// background), each with what Explorer replaces by the folder.
struct MenuEntry {
  std::wstring key;
  std::wstring placeholder;
};
const std::vector<MenuEntry>& PrintDirectoryMenus();

// How many of those entries' keys exist under HKEY_CURRENT_USER.
std::size_t MenuKeysPresent();

// Puts the command on every menu as another copy of the program, in another folder, left it:
// it does not start this program, so it is not this program's registration.
void RegisterAnotherCopy();

// Makes the key (creating it when missing) refuse new values to everyone; it may still be
// read, get sub-keys and be deleted. False when its security could not be set.
bool RefuseNewValues(HKEY root, const std::wstring& keyPath);

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};
std::optional<RawValue> ReadRawValue(HKEY root, const std::wstring& keyPath,
                                     const std::wstring& valueName);

// Names of the sub-keys and the number of values of a key (empty and 0 when it is missing).
std::vector<std::wstring> SubKeys(HKEY root, const std::wstring& keyPath);
DWORD ValueCount(HKEY root, const std::wstring& keyPath);

// The running test program's full path.
std::wstring ModulePath();

// Text of a REG_SZ value's data, NULs included.
std::wstring DataAsText(const RawValue& value);

}  // namespace integration_test
