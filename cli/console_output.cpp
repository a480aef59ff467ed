#include "console_output.h"

#include <chrono>
#include <cstdio>
#include <string>

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

void ShowProgress(std::uint64_t lines, const NativeString& folder) {
  const auto now = std::chrono::steady_clock::now();
  if (drawn && now - lastDrawn < kRedrawInterval) return;
  lastDrawn = now;
  drawn = true;
  const std::string count = std::to_string(lines) + " lines written  ";
  NativeString line(count.begin(), count.end());
  // Keep the end of a long folder path, the part that changes.
  const std::size_t room = kLineWidth - line.size();
  if (folder.size() > room) {
    line += NTEXT("...");
    line += folder.substr(folder.size() - (room - 3));
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
