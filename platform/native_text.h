// Text in the platform's own form: wide strings on Windows (names pass through the W entry
// points unchanged), UTF-8 bytes on POSIX.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#ifdef _WIN32
using NativeChar = wchar_t;
#define NTEXT(s) L##s
inline constexpr NativeChar kPathSeparator = L'\\';
#else
using NativeChar = char;
#define NTEXT(s) s
inline constexpr NativeChar kPathSeparator = '/';
#endif

using NativeString = std::basic_string<NativeChar>;
using NativeStringView = std::basic_string_view<NativeChar>;

namespace platform {

// Ends `path` with the platform's separator, unless it ends in one already (a root such as
// "C:\" or "/"). Serves native paths and their UTF-8 copies alike.
template <typename Text>
void EndWithSeparator(Text& path) {
  using Char = typename Text::value_type;
  if (path.empty() || path.back() != static_cast<Char>(kPathSeparator))
    path += static_cast<Char>(kPathSeparator);
}

// `path`, a separator and `name`: the path of the entry `name` inside the folder `path`.
inline void AppendPathComponent(NativeString& path, NativeStringView name) {
  EndWithSeparator(path);
  path += name;
}

// UTF-8 <-> native text (identity on POSIX).
NativeString FromUtf8(std::string_view text);
std::string ToUtf8(NativeStringView text);

// The bytes a line takes in the listing file in the system's ANSI code page on Windows, never
// by best fit: each character the code page lacks becomes '?' and `fits` false. Unchanged on
// POSIX, where `fits` is always true.
std::string ToListingBytes(NativeStringView text, bool& fits);

#ifdef _WIN32
// ANSI code page bytes, as ToListingBytes gives them, in UTF-8.
std::string ListingBytesToUtf8(std::string_view bytes);
#endif

// A whole number in plain decimal, as native text.
inline NativeString DecimalText(std::int64_t value) {
#ifdef _WIN32
  return std::to_wstring(value);
#else
  return std::to_string(value);
#endif
}

#ifndef _WIN32
// Decodes the UTF-8 sequence at `at` into `code`; returns its length in bytes, or 0 when the
// byte there does not start a valid sequence (overlong forms and surrogates are invalid).
std::size_t DecodeUtf8(std::string_view text, std::size_t at, std::uint32_t& code);
#endif

// Number of characters in a text, as the listing layout counts widths: UTF-16 units on
// Windows, code points of UTF-8 on POSIX. Inline: the layout measures every entry's name.
inline std::size_t TextLength(NativeStringView text) {
#ifdef _WIN32
  return text.size();
#else
  std::size_t count = 0;
  for (char c : text)
    count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;  // continuations don't count
  return count;
#endif
}

}  // namespace platform
