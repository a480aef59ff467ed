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

void AppendFields(TimeFields f, std::string& out) {
  if (f.year < 0) {
    out += '-';
    f.year = -f.year;
  }
  AppendDigits(f.year, 4, out);
  out += '-';
  AppendDigits(f.month, 2, out);
  out += '-';
  AppendDigits(f.day, 2, out);
  out += 'T';
  AppendDigits(f.hour, 2, out);
  out += ':';
  AppendDigits(f.minute, 2, out);
  out += ':';
  AppendDigits(f.second, 2, out);
  out += f.offsetMinutes < 0 ? '-' : '+';
  const int offset = std::abs(f.offsetMinutes);
  AppendDigits(offset / 60, 2, out);
  out += ':';
  AppendDigits(offset % 60, 2, out);
}

}  // namespace

void AppendIsoTime(std::int64_t modified, std::string& out) {
  // The files of a tree share few distinct times, and the conversion to local time is the
  // costly part: the last one is kept.
  static thread_local std::int64_t lastTime = 0;
  static thread_local std::string lastText;
  if (lastText.empty() || modified != lastTime) {
    TimeFields fields;
    if (!LocalTimeFields(modified, fields)) fields = TimeFields{};
    lastText.clear();
    AppendFields(fields, lastText);
    lastTime = modified;
  }
  out += lastText;
}

}  // namespace platform
