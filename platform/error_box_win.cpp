#include <windows.h>

#include "error_box.h"

namespace platform {

void ShowErrorBox(const NativeString& title, const NativeString& text) {
  // OK button, no icon; owned by the active window of this thread so it stays in front.
  MessageBoxW(GetActiveWindow(), text.c_str(), title.c_str(), MB_OK);
}

}  // namespace platform
