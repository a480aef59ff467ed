#include <windows.h>

#include "date_time_text.h"

namespace platform {

namespace {

// Each gives an empty text when the system cannot format the time.
NativeString DateText(const SYSTEMTIME& time) {
  wchar_t buffer[128];
  const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr,
                                     buffer, static_cast<int>(std::size(buffer)), nullptr);
  if (length == 0) return NativeString();
  return NativeString(buffer, static_cast<std::size_t>(length - 1));
}

NativeString TimeText(const SYSTEMTIME& time) {
  wchar_t buffer[128];
  const int length = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, buffer,
                                     static_cast<int>(std::size(buffer)));
  if (length == 0) return NativeString();
  return NativeString(buffer, static_cast<std::size_t>(length - 1));
}

}  // namespace

NativeString DateTimeText(std::int64_t modified) {
  FILETIME utcFile;
  utcFile.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(modified) & 0xFFFFFFFFu);
  utcFile.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(modified) >> 32);
  SYSTEMTIME utc;
  SYSTEMTIME local;
  // The time zone rules of the file's own date (daylight saving then, not now). A date out of
  // the system's range (a Linux file seen through Wine, a network share) gets the placeholder
  // so that the run goes on.
  if (!FileTimeToSystemTime(&utcFile, &utc) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return NativeString(kUnknownDateText);
  local.wMilliseconds = 0;
  NativeString text = DateText(local);
  if (local.wHour != 0 || local.wMinute != 0 || local.wSecond != 0) {
    const NativeString time = TimeText(local);
    if (time.empty()) return NativeString(kUnknownDateText);
    text += L' ';
    text += time;
  }
  return text.empty() ? NativeString(kUnknownDateText) : text;
}

}  // namespace platform
