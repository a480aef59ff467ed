// The running program's own file, as the system reports it (Windows).
#pragma once

#include "native_text.h"

namespace platform {

// The whole path of the running executable, however long it is. Throws SystemError when the
// system cannot tell it.
NativeString ExecutablePath();

// A program's path in its two parts: the folder holding it (empty when the path names none)
// and its file name without the extension ("C:\Tools\Quillet.exe": "C:\Tools", "Quillet").
struct ExecutableParts {
  NativeString folder;
  NativeString name;
};
ExecutableParts SplitExecutablePath(const NativeString& path);

}  // namespace platform
