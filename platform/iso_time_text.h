// A file's last-write time in ISO 8601 form, for the structured output formats.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Appends the local time with its offset from UTC, "2026-12-07T17:14:34+01:00" (UTC itself
// as "+00:00"). `modified` is in FileFacts units. A time the system cannot convert to local
// time is written in UTC; one it cannot convert at all as the start of its epoch.
void AppendIsoTime(std::int64_t modified, std::string& out);

// `modified` (FileFacts units) as whole seconds since 1970 UTC, rounded down.
std::int64_t UnixSeconds(std::int64_t modified);

struct TimeFields {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int offsetMinutes = 0;  // local time minus UTC
};

// The platform's half: `modified` as local time fields and their offset. False when the
// system cannot convert it.
bool LocalTimeFields(std::int64_t modified, TimeFields& fields);

}  // namespace platform
