#include <windows.h>

#include <stdexcept>

#include "settings_sandbox.h"

namespace testing_support {

namespace {
const wchar_t kSandboxParent[] = L"Software\\QuilletTests";
}

SettingsSandbox::SettingsSandbox() {
  place_ = std::wstring(kSandboxParent) + L"\\Sandbox" + std::to_wstring(GetCurrentProcessId());
  RegDeleteTreeW(HKEY_CURRENT_USER, place_.c_str());
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, place_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot create the settings sandbox key");
  RegOverridePredefKey(HKEY_CURRENT_USER, key);
  RegCloseKey(key);
}

SettingsSandbox::~SettingsSandbox() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegDeleteTreeW(HKEY_CURRENT_USER, place_.c_str());
}

}  // namespace testing_support
