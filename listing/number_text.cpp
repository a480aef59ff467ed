#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool IsBlank(NativeChar c) { return c == ' ' || c == '\t'; }
bool IsDigit(NativeChar c) { return c >= '0' && c <= '9'; }

NativeStringView Trim(NativeStringView text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Consumes one or more digits; false when there are none.
bool Digits(NativeStringView text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at > start;
}

bool IsSign(NativeChar c) { return c == '+' || c == '-'; }

bool EqualsIgnoringCase(NativeStringView text, const char* word) {
  std::size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    NativeChar c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<NativeChar>(c - 'A' + 'a');
    if (c != static_cast<NativeChar>(word[i])) return false;
  }
  return i == text.size();
}

}  // namespace

bool IsNumericText(NativeStringView text) {
  text = Trim(text);
  std::size_t at = 0;
  if (at < text.size() && IsSign(text[at])) ++at;
  if (!Digits(text, at)) return false;
  if (at < text.size() && text[at] == '.') {
    ++at;
    if (!Digits(text, at)) return false;
  }
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < text.size() && IsSign(text[at])) ++at;
    if (!Digits(text, at)) return false;
  }
  return at == text.size();
}

std::optional<double> NumericValue(NativeStringView text) {
  if (!IsNumericText(text)) return std::nullopt;
  text = Trim(text);
  // Only ASCII digits, signs, '.' and 'e' are left: narrowing is exact.
  std::string ascii(text.begin(), text.end());
  const char* first = ascii.c_str();
  if (*first == '+') ++first;  // from_chars takes no plus sign
  double value = 0;
  const auto result = std::from_chars(first, ascii.c_str() + ascii.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small to hold rounds to zero; too large stays refused. strtod tells the two apart
    // (it is not swayed by the locale here: the program never sets LC_NUMERIC).
    const double magnitude = std::fabs(std::strtod(first, nullptr));
    if (magnitude < 1.0) return 0.0;
    return std::nullopt;
  }
  if (result.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int16_t> NumericTextToInt16(NativeStringView text) {
  const auto value = NumericValue(text);
  if (!value) return std::nullopt;
  const double rounded = std::nearbyint(*value);  // the default rounding mode: halves to even
  if (rounded < -32768.0 || rounded > 32767.0) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

std::optional<bool> BooleanFromText(NativeStringView text) {
  const NativeStringView word = Trim(text);
  if (EqualsIgnoringCase(word, "true")) return true;
  if (EqualsIgnoringCase(word, "false")) return false;
  const auto value = NumericValue(word);
  if (!value) return std::nullopt;
  return *value != 0.0;
}
