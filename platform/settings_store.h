// The per-user settings store: text values addressed by application, section and key.
// Windows: HKEY_CURRENT_USER\Software\Quillet\<application>\<section>, one REG_SZ per key.
// POSIX: $XDG_CONFIG_HOME/quillet/<application>.ini (default ~/.config), one [section].
#pragma once

#include <optional>

#include "native_text.h"

namespace platform {

// Absent key (or store) gives nothing.
std::optional<NativeString> ReadSetting(const NativeString& application,
                                        const NativeString& section, const NativeString& key);

// Throws SystemError when the store cannot be written.
void WriteSetting(const NativeString& application, const NativeString& section,
                  const NativeString& key, const NativeString& value);

// The running program's file name without its folder and extension.
NativeString ExecutableName();

}  // namespace platform
