#include "platform/window/twips.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace platform::window {

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

double TwipsPerPixel(int dpi) { return 1440.0 / dpi; }

int TwipsToPixels(double twips, int dpi) { return RoundHalfEven(twips / TwipsPerPixel(dpi)); }

double PixelsToTwips(int pixels, int dpi) { return pixels * TwipsPerPixel(dpi); }

}  // namespace platform::window
