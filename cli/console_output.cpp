#include "console_output.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <type_traits>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr std::size_t kLineWidth = 79;  // stays on one row of a classic 80-column terminal

std::chrono::steady_clock::time_point lastDrawn;
bool drawn = false;

// A code unit that cannot start a character: a UTF-8 continuation byte, or the low half of a
// UTF-16 surrogate pair.
bool IsContinuation(NativeChar c) {
#ifdef _WIN32
  return c >= 0xDC00 && c <= 0xDFFF;
#else
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
#endif
}

}  // namespace

bool StandardErrorIsTerminal() {
#ifdef _WIN32
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

void WriteError(NativeStringView text) {
#ifdef _WIN32
  if (StandardErrorIsTerminal()) {
    DWORD written = 0;
    WriteConsoleW(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
                  &written, nullptr);
    return;
  }
#endif
  WriteErrorUtf8(platform::ToUtf8(text));
}

void WriteErrorUtf8(std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

NativeString EscapeControls(NativeStringView text) {
  NativeString escaped;
  escaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto code = static_cast<std::make_unsigned_t<NativeChar>>(text[i]);
    if (code < 0x20 || code == 0x7F) {
      escaped += NativeChar('^');
      escaped += code == 0x7F ? NativeChar('?') : static_cast<NativeChar>(code + 0x40);
      continue;
    }
#ifdef _WIN32
    const bool c1 = code >= 0x80 && code <= 0x9F;
#else
    // U+0080..U+009F in UTF-8: C2 80..C2 9F.
    const bool c1 = code == 0xC2 && i + 1 < text.size() &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c1) ++i;
#endif
    escaped += c1 ? NativeChar('?') : text[i];
  }
  return escaped;
}

void ShowProgress(std::uint64_t lines, const NativeString& folderPath) {
  const auto now = std::chrono::steady_clock::now();
  if (drawn && now - lastDrawn < kRedrawInterval) return;
  lastDrawn = now;
  drawn = true;
  const std::string count = std::to_string(lines) + " lines written  ";
  NativeString line(count.begin(), count.end());
  // Keep the end of a long folder path, the part that changes.
  const std::size_t room = kLineWidth - line.size();
  const NativeString folder = EscapeControls(folderPath);
  if (folder.size() > room) {
    line += NTEXT("...");
    std::size_t start = folder.size() - (room - 3);
    while (start < folder.size() && IsContinuation(folder[start])) ++start;
    line += NativeStringView(folder).substr(start);
  } else {
    line += folder;
  }
  line.resize(kLineWidth, NativeChar(' '));
  WriteError(NativeString(1, NativeChar('\r')) + line);
}

void ClearProgress() {
  if (!drawn) return;
  WriteError(NativeString(1, NativeChar('\r')) + NativeString(kLineWidth, NativeChar(' ')) +
             NativeString(1, NativeChar('\r')));
  drawn = false;
}
