// Checks of a framework window as it is laid out at a DPI, shared by the windows' suites:
// geometry against its own layout table, whole captions and whole borders, both read from the
// window's painted pixels (see window_image.h).
//
//   testing_support::SendDpiChanged(form, 192);     // as the system does on a monitor change
//   testing_support::ExpectWindowWholeAt(form, 192);
#pragma once

#include <windows.h>

#include <string>

#include "platform/window/window.h"

namespace testing_support {

// Sends WM_DPICHANGED for `dpi` with a suggested rectangle at the window's place, of the size
// its twips give at that DPI; returns the rectangle sent.
RECT SendDpiChanged(platform::window::Window& window, int dpi);

// The window as laid out at `dpi`:
// - its client area and every control (picture boxes aside, which move at load) stand where
//   its layout table puts them at `dpi`, a control wider only where its caption needs it;
//   the fonts have their point sizes at `dpi`; a caption-less window is cut to the ellipse of
//   its client size;
// - every caption shows all of its letters (read from the pixels with the control alone, and
//   again with all the window's room to itself);
// - no control paints over the border of a text box, a button or a frame: each looks the
//   same where it stands as when it is brought to the top.
void ExpectWindowWholeAt(platform::window::Window& window, int dpi);

// Leaves a picture of the window in the build folder as `<name>-<dpi>dpi.png`. False when it
// cannot be written.
bool SaveDpiPicture(HWND hwnd, const std::wstring& name, int dpi);

}  // namespace testing_support
