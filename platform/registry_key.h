// The registry calls the registry helpers and the Explorer integration make: an owning key
// handle and a read of one string value. Windows only; header-only so that callers need no
// extra library beyond advapi32.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

namespace platform {

// A key opened or created by this program, closed with RegCloseKey. Never holds a predefined
// root key (HKEY_CURRENT_USER, ...).
struct HKeyDeleter {
  void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
using UniqueHKey = std::unique_ptr<std::remove_pointer_t<HKEY>, HKeyDeleter>;

// The text of a REG_SZ value (empty name: the key's default value), without its terminating
// NUL; nothing when the key or the value is missing or the value is not REG_SZ.
inline std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& path,
                                                      const std::wstring& name) {
  DWORD bytes = 0;
  const DWORD flags = RRF_RT_REG_SZ | RRF_NOEXPAND;
  if (RegGetValueW(root, path.c_str(), name.c_str(), flags, nullptr, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  // The value may change between the two calls; try again while it grows.
  for (;;) {
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const LSTATUS status =
        RegGetValueW(root, path.c_str(), name.c_str(), flags, nullptr, text.data(), &size);
    if (status == ERROR_MORE_DATA) {
      bytes = size;
      continue;
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    // RegGetValueW counts the NUL it guarantees.
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }
}

}  // namespace platform
