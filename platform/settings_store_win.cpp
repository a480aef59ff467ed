#include <windows.h>

#include "executable_path.h"
#include "handles.h"
#include "registry_key.h"
#include "settings_store.h"
#include "system_error.h"

namespace platform {

namespace {

NativeString StoreKey(const NativeString& application, const NativeString& section) {
  return L"Software\\Quillet\\" + application + L"\\" + section;
}

}  // namespace

std::optional<NativeString> ReadSetting(const NativeString& application,
                                        const NativeString& section, const NativeString& key) {
  return ReadRegistryString(HKEY_CURRENT_USER, StoreKey(application, section), key);
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
  NativeString path;
  try {
    path = ExecutablePath();
  } catch (const SystemError&) {
    // The store still needs a name: the program's own.
    return L"Quillet";
  }
  return SplitExecutablePath(path).name;
}

}  // namespace platform
