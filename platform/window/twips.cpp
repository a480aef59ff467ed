#include "platform/window/twips.h"

#include <windows.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "platform/handles.h"

namespace platform::window {
namespace {

double TwipsPerPixel(int capability) {
  WindowDC screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), capability) : 0;
  return 1440.0 / (dpi > 0 ? dpi : 96);
}

}  // namespace

int RoundHalfEven(double value) {
  if (!std::isfinite(value)) throw std::range_error("Overflow");
  double rounded = std::floor(value);
  const double fraction = value - rounded;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0)) rounded += 1.0;
  if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max()) {
    throw std::range_error("Overflow");
  }
  return static_cast<int>(rounded);
}

double TwipsPerPixelX() { return TwipsPerPixel(LOGPIXELSX); }
double TwipsPerPixelY() { return TwipsPerPixel(LOGPIXELSY); }

int TwipsToPixelsX(double twips) { return RoundHalfEven(twips / TwipsPerPixelX()); }
int TwipsToPixelsY(double twips) { return RoundHalfEven(twips / TwipsPerPixelY()); }
double PixelsToTwipsX(int pixels) { return pixels * TwipsPerPixelX(); }
double PixelsToTwipsY(int pixels) { return pixels * TwipsPerPixelY(); }

}  // namespace platform::window
