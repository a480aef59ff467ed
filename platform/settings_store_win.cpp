#include <windows.h>

#include <memory>

#include "settings_store.h"
#include "system_error.h"

namespace platform {

namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueHKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

NativeString StoreKey(const NativeString& application, const NativeString& section) {
  return L"Software\\Quillet\\" + application + L"\\" + section;
}

}  // namespace

std::optional<NativeString> ReadSetting(const NativeString& application,
                                        const NativeString& section, const NativeString& key) {
  const NativeString subKey = StoreKey(application, section);
  DWORD size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), key.c_str(), RRF_RT_REG_SZ, nullptr, nullptr,
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  for (;;) {
    NativeString value(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), key.c_str(),
                                        RRF_RT_REG_SZ, nullptr, value.data(), &bytes);
    if (status == ERROR_MORE_DATA) {
      size = bytes;
      continue;
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.resize(wcsnlen(value.c_str(), bytes / sizeof(wchar_t)));
    return value;
  }
}

void WriteSetting(const NativeString& application, const NativeString& section,
                  const NativeString& key, const NativeString& value) {
  const NativeString subKey = StoreKey(application, section);
  HKEY raw = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &raw, nullptr);
  if (status != ERROR_SUCCESS) ThrowSystemError(status, L"HKEY_CURRENT_USER\\" + subKey);
  UniqueHKey store(raw);
  // REG_SZ data counts its terminating NUL.
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  status = RegSetValueExW(store.get(), key.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  if (status != ERROR_SUCCESS)
    ThrowSystemError(status, L"HKEY_CURRENT_USER\\" + subKey + L"\\" + key);
}

NativeString ExecutableName() {
  NativeString path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"Quillet";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  NativeString name = slash == NativeString::npos ? path : path.substr(slash + 1);
  const auto dot = name.find_last_of(L'.');
  if (dot != NativeString::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace platform
