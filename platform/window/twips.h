// Window geometry is designed in twips (1/1440 inch). This is the one place where twips
// become pixels and back: at a DPI of d there are 1440 / d twips per pixel, and results are
// rounded to the nearest integer, halves to the even neighbour. Each window converts with its
// own DPI (Window::Dpi), which is its monitor's.
//
//   int px = platform::window::TwipsToPixels(1200, 96);    // 80; 100 at 120 DPI
//   double tw = platform::window::PixelsToTwips(25, 96);   // 375
#pragma once

namespace platform::window {

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -0.5 -> 0). Throws std::range_error
// for a value that is not a number or lies outside the 32-bit signed range.
int RoundHalfEven(double value);

// Twips per pixel at `dpi` dots per inch (15 at 96 DPI, 12 at 120 DPI, 7.5 at 192 DPI).
double TwipsPerPixel(int dpi);

int TwipsToPixels(double twips, int dpi);
double PixelsToTwips(int pixels, int dpi);

}  // namespace platform::window
