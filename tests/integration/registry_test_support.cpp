#include "registry_test_support.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include "platform/handles.h"
#include "platform/native_text.h"
#include "platform/registry_key.h"

namespace integration_test {

using platform::UniqueHandle;

bool RefuseNewValues(HKEY root, const std::wstring& keyPath) {
  HKEY created = nullptr;
  if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, WRITE_DAC, nullptr, &created,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const platform::UniqueHKey key(created);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  // Read (0x20019), create sub-keys (0x4) and delete (0x10000), for everyone.
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"D:P(A;;0x3001D;;;WD)", SDDL_REVISION_1, &descriptor, nullptr)) {
    return false;
  }
  const LSTATUS status = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  return status == ERROR_SUCCESS;
}

std::wstring SandboxedKeyForReg(const std::wstring& keyPath) {
  return L"HKCU\\Software\\QuilletTests\\Sandbox" + std::to_wstring(GetCurrentProcessId()) + L"\\" +
         keyPath;
}

ProcessOutput RunAndCapture(const std::wstring& commandLine) {
  ProcessOutput result;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
  UniqueHandle reader(readEnd);
  UniqueHandle writer(writeEnd);
  SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writer.get();
  startup.hStdError = writer.get();
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    return result;
  }
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  writer.reset();
  // Read while the program runs, then what is left: waiting for the pipe's end alone can
  // stall, because a helper process of Wine's may hold an inherited copy of the write end.
  auto drain = [&] {
    DWORD available = 0;
    while (PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[4096];
      DWORD read = 0;
      if (!ReadFile(reader.get(), buffer, sizeof buffer, &read, nullptr) || read == 0) return;
      result.out.append(buffer, read);
    }
  };
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (WaitForSingleObject(processHandle.get(), 5) == WAIT_TIMEOUT &&
         GetTickCount64() < deadline) {
    drain();
  }
  drain();
  GetExitCodeProcess(processHandle.get(), &result.exitCode);
  return result;
}

ProcessOutput RegQuery(const std::wstring& key, const std::wstring& arguments) {
  std::wstring line = L"reg.exe query \"" + key + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  return RunAndCapture(line);
}

bool KeyExists(HKEY root, const std::wstring& keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  platform::UniqueHKey owned(key);
  return true;
}

const std::vector<MenuEntry>& PrintDirectoryMenus() {
  static const std::vector<MenuEntry> menus{
      {L"Software\\Classes\\Directory\\shell\\Print Directory", L"%1"},
      {L"Software\\Classes\\Drive\\shell\\Print Directory", L"%1"},
      {L"Software\\Classes\\Directory\\Background\\shell\\Print Directory", L"%V"},
  };
  return menus;
}

std::size_t MenuKeysPresent() {
  std::size_t present = 0;
  for (const MenuEntry& menu : PrintDirectoryMenus()) {
    if (KeyExists(HKEY_CURRENT_USER, menu.key)) ++present;
  }
  return present;
}

void RegisterAnotherCopy() {
  auto set = [](const std::wstring& key, const std::wstring& text) {
    const LSTATUS status =
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(ERROR_SUCCESS, status) << "could not write " << platform::ToUtf8(key);
  };
  for (const MenuEntry& menu : PrintDirectoryMenus()) {
    set(menu.key, L"Print &Directory");
    set(menu.key + L"\\command", L"\"C:\\Old Tools\\Quillet.exe\" \"" + menu.placeholder + L"\"");
  }
}

std::optional<RawValue> ReadRawValue(HKEY root, const std::wstring& keyPath,
                                     const std::wstring& valueName) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  platform::UniqueHKey key(opened);
  RawValue value;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &value.type, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(bytes);
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &value.type, value.data.data(),
                       &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.data.resize(bytes);
  return value;
}

std::vector<std::wstring> SubKeys(HKEY root, const std::wstring& keyPath) {
  std::vector<std::wstring> names;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return names;
  platform::UniqueHKey key(opened);
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

DWORD ValueCount(HKEY root, const std::wstring& keyPath) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return 0;
  platform::UniqueHKey key(opened);
  DWORD values = 0;
  RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                   nullptr, nullptr, nullptr, nullptr);
  return values;
}

std::wstring ModulePath() {
  wchar_t path[32768];
  const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
  return std::wstring(path, length);
}

std::wstring DataAsText(const RawValue& value) {
  return std::wstring(reinterpret_cast<const wchar_t*>(value.data.data()),
                      value.data.size() / sizeof(wchar_t));
}

}  // namespace integration_test
