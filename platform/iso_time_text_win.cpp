#include <windows.h>

#include "iso_time_text.h"

namespace platform {

void AppendIsoTime(std::int64_t modified, std::string& out) {
  // Files of one tree share few distinct times; the last conversion is kept.
  static thread_local std::int64_t lastTime = -1;
  static thread_local std::string lastText;
  if (modified == lastTime && !lastText.empty()) {
    out += lastText;
    return;
  }
  FILETIME utcTime;
  utcTime.dwLowDateTime = static_cast<DWORD>(modified);
  utcTime.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(modified) >> 32);
  SYSTEMTIME utc{}, local{};
  int offsetMinutes = 0;
  const SYSTEMTIME* shown = &utc;
  FILETIME localTime;
  if (FileTimeToSystemTime(&utcTime, &utc) &&
      SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) &&
      SystemTimeToFileTime(&local, &localTime)) {
    // The offset is whatever the conversion applied at that moment, daylight saving included.
    const auto ticks = [](const FILETIME& t) {
      return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                       t.dwLowDateTime);
    };
    offsetMinutes = static_cast<int>((ticks(localTime) - modified) / 600000000LL);
    shown = &local;
  }
  lastText.clear();
  AppendIsoTimeFields(shown->wYear, shown->wMonth, shown->wDay, shown->wHour, shown->wMinute,
                      shown->wSecond, offsetMinutes, lastText);
  lastTime = modified;
  out += lastText;
}

}  // namespace platform
