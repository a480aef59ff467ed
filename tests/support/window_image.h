// Pictures of windows for the GUI tests: what a window and its controls painted, read back
// from the window's own surface (this works under Wine's null driver too), and saved as a PNG
// for people to look at after a test run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

struct WindowImage {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // row by row from the top; white outside the window's region
  COLORREF At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// Repaints the window and its controls and reads the result back; an empty image when the
// window cannot be read.
WindowImage CaptureWindow(HWND hwnd);

// Writes the picture as an 8-bit RGB PNG. False when the file could not be written.
bool SavePng(const WindowImage& image, const std::wstring& path);

// CaptureWindow and SavePng in one; false when either fails.
bool SaveWindowPng(HWND hwnd, const std::wstring& path);

}  // namespace testing_support
