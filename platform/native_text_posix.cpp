#include "native_text.h"

namespace platform {

NativeString FromUtf8(std::string_view text) { return NativeString(text); }

std::string ToUtf8(NativeStringView text) { return std::string(text); }

std::string ToListingBytes(NativeStringView text, bool& fits) {
  fits = true;
  return std::string(text);
}

std::size_t DecodeUtf8(std::string_view text, std::size_t at, std::uint32_t& code) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  const std::size_t length = lead >= 0xF0 && lead < 0xF5 ? 4
                             : lead >= 0xE0              ? 3
                             : lead >= 0xC2              ? 2
                                                         : 0;
  code = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : lead & 0x1Fu;
  bool valid = length != 0 && at + length <= text.size();
  for (std::size_t i = 1; valid && i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    valid = (next & 0xC0) == 0x80;
    code = (code << 6) | (next & 0x3Fu);
  }
  valid = valid && !(length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) &&
          !(length == 4 && (code < 0x10000 || code > 0x10FFFF));
  return valid ? length : 0;
}

}  // namespace platform
