#include "app/command_line.h"

NativeString SourcePathFromCommandLine(std::wstring_view commandLine) {
  const auto first = commandLine.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return {};
  std::wstring_view text =
      commandLine.substr(first, commandLine.find_last_not_of(L" \t") - first + 1);
  // A single character cannot be a quoted path; the design needs two.
  if (text.size() < 2) return {};
  if (text.front() == L'"' && text.back() == L'"') text = text.substr(1, text.size() - 2);
  return NativeString(text);
}
