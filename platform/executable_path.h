// The running program's own file, as the system reports it (Windows).
#pragma once

#include "native_text.h"

namespace platform {

// The whole path of the running executable, however long it is. Throws SystemError when the
// system cannot tell it.
NativeString ExecutablePath();

}  // namespace platform
