#include <windows.h>

#include "native_text.h"

namespace platform {

namespace {

// `text` in `codePage` with `flags`; `defaultChar` and `usedDefault` as WideCharToMultiByte
// takes them (null for UTF-8). Empty when the conversion fails.
std::string Narrow(UINT codePage, DWORD flags, NativeStringView text,
                   const char* defaultChar = nullptr, BOOL* usedDefault = nullptr) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0,
                                       defaultChar, usedDefault);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), size, defaultChar,
                      usedDefault);
  return out;
}

NativeString Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  NativeString out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), size);
  return out;
}

}  // namespace

NativeString FromUtf8(std::string_view text) { return Widen(CP_UTF8, text); }

std::string ToUtf8(NativeStringView text) { return Narrow(CP_UTF8, 0, text); }

// The listing file is 8-bit text in the system's ANSI code page, as its readers expect. No
// best fit: "Ωmega" must not become "Omega", another name that may well exist.
std::string ToListingBytes(NativeStringView text, bool& fits) {
  fits = true;
  if (GetACP() == CP_UTF8) {
    // Every character has a form there; only a lone surrogate has none.
    std::string exact = Narrow(CP_UTF8, WC_ERR_INVALID_CHARS, text);
    if (!exact.empty() || text.empty()) return exact;
    fits = false;
    return Narrow(CP_UTF8, 0, text);
  }
  BOOL usedDefault = FALSE;
  std::string bytes = Narrow(CP_ACP, WC_NO_BEST_FIT_CHARS, text, "?", &usedDefault);
  fits = usedDefault == FALSE;
  return bytes;
}

std::string ListingBytesToUtf8(std::string_view bytes) { return ToUtf8(Widen(CP_ACP, bytes)); }

}  // namespace platform
