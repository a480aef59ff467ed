#include "app/command_line.h"

namespace {

std::wstring_view Trimmed(std::wstring_view text) {
  constexpr std::wstring_view kBlanks = L" \t";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::wstring_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

NativeString PathWithoutQuotes(std::wstring_view text) {
  const std::wstring_view trimmed = Trimmed(text);
  if (trimmed.size() >= 2 && trimmed.front() == L'"' && trimmed.back() == L'"') {
    return NativeString(trimmed.substr(1, trimmed.size() - 2));
  }
  return NativeString(text);
}

NativeString SourcePathFromCommandLine(std::wstring_view commandLine) {
  const std::wstring_view text = Trimmed(commandLine);
  // A single character cannot be a quoted path; the design needs two.
  if (text.size() < 2) return {};
  return PathWithoutQuotes(text);
}
