#include "native_text.h"

namespace platform {

NativeString FromUtf8(std::string_view text) { return NativeString(text); }

std::string ToUtf8(NativeStringView text) { return std::string(text); }

std::string ToListingBytes(NativeStringView text) { return std::string(text); }

std::size_t TextLength(NativeStringView text) {
  std::size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;  // continuation bytes don't count
  return count;
}

}  // namespace platform
