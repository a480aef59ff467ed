// A file's last-write time in ISO 8601 form, for the structured output formats.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Appends the local time with its offset from UTC, "2026-12-07T17:14:34+01:00" (UTC itself
// as "+00:00"). `modified` is in FileFacts units. A time the system cannot convert is written
// in UTC.
void AppendIsoTime(std::int64_t modified, std::string& out);

// The same for a broken-down time: the digits are written here, on every build.
void AppendIsoTimeFields(int year, int month, int day, int hour, int minute, int second,
                         int offsetMinutes, std::string& out);

}  // namespace platform
