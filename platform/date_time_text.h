// A file's last-write time as text in the user's local time and regional format.
#pragma once

#include <cstdint>

#include "native_text.h"

namespace platform {

// Windows: the user's short date, a space, the long time (the date alone at exactly
// midnight). POSIX: LC_TIME's %x and %X, or YYYY-MM-DD and HH:MM:SS for the C locale.
// `modified` is in FileFacts units.
NativeString DateTimeText(std::int64_t modified);

}  // namespace platform
