// The plain error report of library procedures: an OK box without icon on Windows, a line on
// standard error elsewhere.
#pragma once

#include "native_text.h"

namespace platform {

void ShowErrorBox(const NativeString& title, const NativeString& text);

}  // namespace platform
