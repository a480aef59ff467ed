#include <cerrno>
#include <cstring>

#include "system_error.h"

namespace platform {

NativeString ErrorDescription(long code) {
  char buffer[256];
  // The GNU variant returns a pointer that may or may not be the buffer.
  const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  return NativeString(text);
}

long LastErrorCode() { return errno; }

}  // namespace platform
