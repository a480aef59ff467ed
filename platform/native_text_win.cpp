#include <windows.h>

#include "native_text.h"

namespace platform {

namespace {

std::string Narrow(UINT codePage, NativeStringView text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

NativeString FromUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  NativeString out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), size);
  return out;
}

std::string ToUtf8(NativeStringView text) { return Narrow(CP_UTF8, text); }

// The listing file is 8-bit text in the system's ANSI code page, as its readers expect;
// characters the code page lacks become its default character.
std::string ToListingBytes(NativeStringView text) { return Narrow(CP_ACP, text); }

}  // namespace platform
