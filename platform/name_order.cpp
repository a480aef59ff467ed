#include "name_order.h"

#include <cstdint>
#include <type_traits>

namespace platform {

char16_t UpperUnit(char16_t unit) {
  if (unit < 0x80) return unit >= u'a' && unit <= u'z' ? unit - 0x20 : unit;
  if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) return unit - 0x20;     // Latin-1
  if (unit == 0xFF) return 0x178;                                           // y with diaeresis
  if (unit == 0xB5) return 0x39C;                                           // micro sign
  if (unit >= 0x3B1 && unit <= 0x3CB && unit != 0x3C2) return unit - 0x20;  // Greek
  if (unit == 0x3C2) return 0x3A3;                                          // final sigma
  if (unit >= 0x430 && unit <= 0x44F) return unit - 0x20;                   // Cyrillic
  if (unit >= 0x450 && unit <= 0x45F) return unit - 0x50;
  return unit;
}

namespace {

// Walks a name as UTF-16 code units: the units themselves on Windows, decoded from UTF-8 on
// POSIX. A byte that is not part of valid UTF-8 stands for the unit 0xDC00 + byte, as a lone
// surrogate that sorts after every valid character of the Basic Multilingual Plane but the
// private and compatibility ranges.
class Units {
 public:
  explicit Units(NativeStringView text) : text_(text) {}

  bool Next(char16_t& unit) {
    if (pending_ != 0) {
      unit = pending_;
      pending_ = 0;
      return true;
    }
    if (at_ >= text_.size()) return false;
#ifdef _WIN32
    unit = static_cast<char16_t>(text_[at_++]);
#else
    const auto lead = static_cast<unsigned char>(text_[at_]);
    if (lead < 0x80) {
      ++at_;
      unit = lead;
      return true;
    }
    std::uint32_t code = 0;
    const std::size_t length = DecodeUtf8(text_, at_, code);
    if (length == 0) {
      unit = static_cast<char16_t>(0xDC00 + lead);
      ++at_;
      return true;
    }
    at_ += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      unit = static_cast<char16_t>(0xD800 + (code >> 10));
      pending_ = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      unit = static_cast<char16_t>(code);
    }
#endif
    return true;
  }

 private:
  NativeStringView text_;
  std::size_t at_ = 0;
  char16_t pending_ = 0;
};

// <0, 0 or >0 as `left` orders before, with or after `right`, upper-cased or as they are.
int CompareUnits(NativeStringView left, NativeStringView right, bool upper) {
  Units a(left), b(right);
  for (;;) {
    char16_t x = 0, y = 0;
    const bool haveX = a.Next(x), haveY = b.Next(y);
    if (!haveX || !haveY) return haveX ? 1 : haveY ? -1 : 0;
    if (upper) {
      x = UpperUnit(x);
      y = UpperUnit(y);
    }
    if (x != y) return x < y ? -1 : 1;
  }
}

}  // namespace

bool NameOrderLess(NativeStringView left, NativeStringView right) {
  // Most names are ASCII: compare them here, without decoding, up to the first other unit.
  const std::size_t common = left.size() < right.size() ? left.size() : right.size();
  std::size_t i = 0;
  for (; i < common; ++i) {
    const auto x = static_cast<char16_t>(static_cast<std::make_unsigned_t<NativeChar>>(left[i]));
    const auto y = static_cast<char16_t>(static_cast<std::make_unsigned_t<NativeChar>>(right[i]));
    if (x >= 0x80 || y >= 0x80) break;
    if (x == y) continue;
    const char16_t upperX = UpperUnit(x), upperY = UpperUnit(y);
    if (upperX != upperY) return upperX < upperY;
    break;  // equal but for case: the whole names decide
  }
  if (i == common) return left.size() < right.size();
  const int upper = CompareUnits(left, right, true);
  return upper != 0 ? upper < 0 : CompareUnits(left, right, false) < 0;
}

}  // namespace platform
