// modRegistryFunctions: three small helpers over the registry that report nothing to their
// caller. The status codes of the registry calls are ignored (a key that cannot be created or
// deleted is passed over); only a failure of the helper itself, such as a value that does not
// fit its type, is shown in an OK box titled with the helper's name.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// A value for RegistrySetKeyValue: text, bytes or a number. Text and numbers convert to each
// other where the type asks for it; bytes are only ever REG_BINARY data.
using RegistryValue = std::variant<std::wstring, std::vector<std::uint8_t>, std::int64_t>;

// Creates the key, with every missing key above it, or opens it when it exists; the key and
// its values stay as they are.
void RegistryCreateNewKey(HKEY root, const std::wstring& keyPath);

// Deletes one key that has no sub-keys; a missing key is passed over.
void RegistryDeleteKey(HKEY root, const std::wstring& keyPath);

// Creates the key when missing and writes one value (empty name: the key's default value):
//   REG_SZ      the value as text, stored with its terminating NUL;
//   REG_BINARY  the bytes;
//   REG_DWORD   the value as a 32-bit signed integer;
//   any other type writes nothing.
void RegistrySetKeyValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                         const RegistryValue& value, DWORD valueType);
