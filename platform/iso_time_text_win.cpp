#include <windows.h>

#include "iso_time_text.h"

namespace platform {

namespace {

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

}  // namespace

std::int64_t UnixSeconds(std::int64_t modified) {
  // FILETIME ticks are 100 ns since 1601; 1970 is 11,644,473,600 s later.
  constexpr std::int64_t kTicksPerSecond = 10000000;
  constexpr std::int64_t kSeconds1601To1970 = 11644473600;
  std::int64_t seconds = modified / kTicksPerSecond;
  if (modified % kTicksPerSecond < 0) --seconds;
  return seconds - kSeconds1601To1970;
}

bool LocalTimeFields(std::int64_t modified, TimeFields& fields) {
  FILETIME utcTime;
  utcTime.dwLowDateTime = static_cast<DWORD>(modified);
  utcTime.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(modified) >> 32);
  SYSTEMTIME utc{};
  if (!FileTimeToSystemTime(&utcTime, &utc)) return false;
  const SYSTEMTIME* shown = &utc;
  SYSTEMTIME local{};
  FILETIME localTime;
  int offsetMinutes = 0;
  if (SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) &&
      SystemTimeToFileTime(&local, &localTime)) {
    // The offset is what the conversion applied at that moment, daylight saving included.
    offsetMinutes = static_cast<int>((Ticks(localTime) - modified) / 600000000LL);
    shown = &local;
  }
  fields = TimeFields{shown->wYear,   shown->wMonth,  shown->wDay,  shown->wHour,
                      shown->wMinute, shown->wSecond, offsetMinutes};
  return true;
}

}  // namespace platform
