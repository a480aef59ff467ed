#include <clocale>
#include <cstring>
#include <ctime>

#include "date_time_text.h"

namespace platform {

namespace {

// The C locale (also in its UTF-8 form) carries no regional format: ISO dates instead.
bool IsPlainLocale() {
  const char* name = std::setlocale(LC_TIME, nullptr);
  return name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
         std::strncmp(name, "C.", 2) == 0;
}

}  // namespace

NativeString DateTimeText(std::int64_t modified) {
  const std::time_t seconds = static_cast<std::time_t>(modified);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return NativeString(kUnknownDateText);
  const bool midnight = local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0;
  char buffer[256];
  std::size_t length = 0;
  if (IsPlainLocale()) {
    length = midnight ? std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &local)
                      : std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
  } else {
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wformat-y2k"  // the locale's own date form is wanted here
#endif
    length = midnight ? std::strftime(buffer, sizeof buffer, "%x", &local)
                      : std::strftime(buffer, sizeof buffer, "%x %X", &local);
  }
  return NativeString(buffer, length);
}

}  // namespace platform
