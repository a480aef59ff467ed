#include "integration/registry_functions.h"

#include <charconv>
#include <limits>
#include <new>
#include <string_view>

#include "platform/error_box.h"
#include "platform/registry_key.h"
#include "platform/system_error.h"

namespace {

[[noreturn]] void Fail(long code) {
  throw platform::SystemError(code, platform::ErrorDescription(code));
}

// A value whose form does not suit the requested type.
[[noreturn]] void FailTypeMismatch() { Fail(ERROR_INVALID_DATATYPE); }

std::wstring AsText(const RegistryValue& value) {
  if (const auto* text = std::get_if<std::wstring>(&value)) return *text;
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_wstring(*number);
  FailTypeMismatch();
}

std::int32_t AsInt32(const RegistryValue& value) {
  std::int64_t number = 0;
  if (const auto* stored = std::get_if<std::int64_t>(&value)) {
    number = *stored;
  } else if (const auto* text = std::get_if<std::wstring>(&value)) {
    // Decimal digits with an optional sign and surrounding blanks, nothing else.
    std::string digits;
    for (wchar_t c : *text) {
      if (c > 0x7F) FailTypeMismatch();
      digits += static_cast<char>(c);
    }
    const auto first = digits.find_first_not_of(' ');
    const auto last = digits.find_last_not_of(' ');
    if (first == std::string::npos) FailTypeMismatch();
    std::string_view trimmed(digits.data() + first, last - first + 1);
    if (!trimmed.empty() && trimmed.front() == '+') trimmed.remove_prefix(1);
    const auto [end, error] =
        std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), number);
    if (error == std::errc::result_out_of_range) Fail(ERROR_ARITHMETIC_OVERFLOW);
    if (error != std::errc{} || end != trimmed.data() + trimmed.size()) FailTypeMismatch();
  } else {
    FailTypeMismatch();
  }
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    Fail(ERROR_ARITHMETIC_OVERFLOW);
  }
  return static_cast<std::int32_t>(number);
}

// The helpers' own failures end here: an OK box without icon, titled with the helper's name.
void ReportFailure(const wchar_t* procedure) {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    platform::ShowErrorBox(
        procedure, platform::ErrorReportText(ERROR_NOT_ENOUGH_MEMORY,
                                             platform::ErrorDescription(ERROR_NOT_ENOUGH_MEMORY)));
  } catch (const std::exception&) {
    platform::ShowErrorBox(
        procedure, platform::ErrorReportText(std::current_exception(), ERROR_INTERNAL_ERROR));
  }
}

}  // namespace

void RegistryCreateNewKey(HKEY root, const std::wstring& keyPath) {
  try {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
      // Only created or opened here: closed again at once.
      const platform::UniqueHKey created(key);
    }
  } catch (...) {
    ReportFailure(L"RegistryCreateNewKey");
  }
}

void RegistryDeleteKey(HKEY root, const std::wstring& keyPath) {
  try {
    // A missing key, or one the system refuses to delete, is not reported.
    RegDeleteKeyW(root, keyPath.c_str());
  } catch (...) {
    ReportFailure(L"RegistryDeleteKey");
  }
}

void RegistrySetKeyValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                         const RegistryValue& value, DWORD valueType) {
  try {
    HKEY opened = nullptr;
    // When the key can be neither opened nor created nothing is written.
    if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
      opened = nullptr;
    }
    const platform::UniqueHKey key(opened);
    switch (valueType) {
      case REG_SZ: {
        const std::wstring text = AsText(value);
        // The data length counts the terminating NUL.
        const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        if (key) {
          RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(text.c_str()), bytes);
        }
        break;
      }
      case REG_BINARY: {
        const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value);
        if (!bytes) FailTypeMismatch();
        if (key) {
          RegSetValueExW(key.get(), valueName.c_str(), 0, REG_BINARY, bytes->data(),
                         static_cast<DWORD>(bytes->size()));
        }
        break;
      }
      case REG_DWORD: {
        const std::int32_t number = AsInt32(value);
        const DWORD data = static_cast<DWORD>(number);
        if (key) {
          RegSetValueExW(key.get(), valueName.c_str(), 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&data), sizeof data);
        }
        break;
      }
      default:
        // Other types write nothing.
        break;
    }
  } catch (...) {
    ReportFailure(L"RegistrySetKeyValue");
  }
}
