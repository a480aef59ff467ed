#include <ctime>

#include "iso_time_text.h"

namespace platform {

void AppendIsoTime(std::int64_t modified, std::string& out) {
  // Files of one tree share few distinct times; the last conversion is kept, as localtime_r
  // is the costly part.
  static thread_local std::int64_t lastTime = -1;
  static thread_local std::string lastText;
  if (modified == lastTime && !lastText.empty()) {
    out += lastText;
    return;
  }
  const std::time_t seconds = static_cast<std::time_t>(modified);
  std::tm fields{};
  long offsetSeconds = 0;
  if (localtime_r(&seconds, &fields) != nullptr) {
    offsetSeconds = fields.tm_gmtoff;
  } else if (gmtime_r(&seconds, &fields) == nullptr) {
    fields = std::tm{};
  }
  lastText.clear();
  AppendIsoTimeFields(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, fields.tm_hour,
                      fields.tm_min, fields.tm_sec, static_cast<int>(offsetSeconds / 60), lastText);
  lastTime = modified;
  out += lastText;
}

}  // namespace platform
