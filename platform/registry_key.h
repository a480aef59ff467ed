// The read of one string value that the settings store, the registry helpers and the Explorer
// integration share. Windows only; header-only so that callers need no extra library beyond
// advapi32.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/handles.h"

namespace platform {

// The text of a REG_SZ value (empty name: the key's default value) up to its first NUL; nothing
// when the key or the value is missing or the value is not REG_SZ.
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
    // RegGetValueW counts the NUL it guarantees; the text ends at the first NUL.
    text.resize(wcsnlen(text.c_str(), size / sizeof(wchar_t)));
    return text;
  }
}

}  // namespace platform
