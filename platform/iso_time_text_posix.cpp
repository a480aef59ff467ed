#include <ctime>

#include "iso_time_text.h"

namespace platform {

std::int64_t UnixSeconds(std::int64_t modified) { return modified; }

bool LocalTimeFields(std::int64_t modified, TimeFields& fields) {
  const std::time_t seconds = static_cast<std::time_t>(modified);
  std::tm t{};
  long offsetSeconds = 0;
  if (localtime_r(&seconds, &t) != nullptr) {
    offsetSeconds = t.tm_gmtoff;
  } else if (gmtime_r(&seconds, &t) == nullptr) {
    return false;
  }
  fields = TimeFields{t.tm_year + 1900,
                      t.tm_mon + 1,
                      t.tm_mday,
                      t.tm_hour,
                      t.tm_min,
                      t.tm_sec,
                      static_cast<int>(offsetSeconds / 60)};
  return true;
}

}  // namespace platform
