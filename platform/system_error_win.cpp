#include <windows.h>

#include "system_error.h"

namespace platform {

NativeString ErrorDescription(long code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return L"Error " + std::to_wstring(code);
  NativeString description(text, length);
  LocalFree(text);
  while (!description.empty() &&
         (description.back() == L'\n' || description.back() == L'\r' || description.back() == L' '))
    description.pop_back();
  return description;
}

long LastErrorCode() { return static_cast<long>(GetLastError()); }

}  // namespace platform
