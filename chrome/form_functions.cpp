#include "chrome/form_functions.h"

#include <windows.h>

#include "platform/handles.h"
#include "platform/window/twips.h"

void ShapeFormAsEllipse(platform::window::Window& form) {
  using namespace platform::window;
  const HWND hwnd = form.Handle();
  const double width = form.Width();
  const double twipsPerPixelX = TwipsPerPixelX();
  const double twipsPerPixelY = TwipsPerPixelY();
  const double height = form.Height();
  const int pixelHeight = RoundHalfEven(height / twipsPerPixelY);
  const int pixelWidth = RoundHalfEven(width / twipsPerPixelX);
  platform::UniqueHRgn region(CreateEllipticRgn(0, 0, pixelWidth, pixelHeight));
  // The design does not examine the two calls' results; a region the system did not take
  // is still ours to delete.
  if (region && SetWindowRgn(hwnd, region.get(), TRUE)) region.release();
}
