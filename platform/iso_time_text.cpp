#include "iso_time_text.h"

#include <cstdlib>

namespace platform {

namespace {

void AppendDigits(int value, int width, std::string& out) {
  char digits[12];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && count < 11);
  for (int i = count; i < width; ++i) out += '0';
  while (count > 0) out += digits[--count];
}

}  // namespace

void AppendIsoTimeFields(int year, int month, int day, int hour, int minute, int second,
                         int offsetMinutes, std::string& out) {
  if (year < 0) {
    out += '-';
    year = -year;
  }
  AppendDigits(year, 4, out);
  out += '-';
  AppendDigits(month, 2, out);
  out += '-';
  AppendDigits(day, 2, out);
  out += 'T';
  AppendDigits(hour, 2, out);
  out += ':';
  AppendDigits(minute, 2, out);
  out += ':';
  AppendDigits(second, 2, out);
  out += offsetMinutes < 0 ? '-' : '+';
  const int offset = std::abs(offsetMinutes);
  AppendDigits(offset / 60, 2, out);
  out += ':';
  AppendDigits(offset % 60, 2, out);
}

}  // namespace platform
