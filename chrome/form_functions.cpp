#include "chrome/form_functions.h"

#include <windows.h>

#include "platform/handles.h"
#include "platform/window/twips.h"

namespace {

void CutToEllipse(platform::window::Window& form) {
  using platform::window::RoundHalfEven;
  const HWND hwnd = form.Handle();
  const double width = form.Width();
  const double twipsPerPixelX = form.TwipsPerPixelX();
  const double twipsPerPixelY = form.TwipsPerPixelY();
  const double height = form.Height();
  const int pixelHeight = RoundHalfEven(height / twipsPerPixelY);
  const int pixelWidth = RoundHalfEven(width / twipsPerPixelX);
  platform::UniqueHRgn region(CreateEllipticRgn(0, 0, pixelWidth, pixelHeight));
  // The design does not examine the two calls' results; a region the system did not take
  // is still ours to delete.
  if (region && SetWindowRgn(hwnd, region.get(), TRUE)) region.release();
}

}  // namespace

void ShapeFormAsEllipse(platform::window::Window& form) {
  CutToEllipse(form);
  // The ellipse follows the window's size in pixels, which changes with its monitor's DPI.
  form.SetShaper(&CutToEllipse);
}
