// A file's last-write time as text in the user's local time and regional format.
#pragma once

#include <cstdint>

#include "native_text.h"

namespace platform {

// Windows: the user's short date, a space, the long time (the date alone at exactly
// midnight). POSIX: LC_TIME's %x and %X, or YYYY-MM-DD and HH:MM:SS for the C locale.
// `modified` is in FileFacts units. A time the system cannot convert (before 1601 or after
// 30827 on Windows) gives kUnknownDateText; it never fails.
NativeString DateTimeText(std::int64_t modified);

// The date text of a time that cannot be converted: no date looks like it.
inline constexpr NativeStringView kUnknownDateText = NTEXT("(unknown date)");

}  // namespace platform
