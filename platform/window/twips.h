// Window geometry is designed in twips (1/1440 inch). This is the one place where twips
// become pixels and back: the screen's twips per pixel is 1440 / system DPI, and results are
// rounded to the nearest integer, halves to the even neighbour.
//
//   int px = platform::window::TwipsToPixelsX(1200);   // 80 at 96 DPI, 100 at 120 DPI
//   double tw = platform::window::PixelsToTwipsY(25);  // 375 at 96 DPI
#pragma once

namespace platform::window {

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -0.5 -> 0). Throws std::range_error
// for a value that is not a number or lies outside the 32-bit signed range.
int RoundHalfEven(double value);

// The screen's twips per pixel, horizontally and vertically (15 at 96 DPI, 12 at 120 DPI).
double TwipsPerPixelX();
double TwipsPerPixelY();

int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);
double PixelsToTwipsX(int pixels);
double PixelsToTwipsY(int pixels);

}  // namespace platform::window
