// The DPI of screens and windows, for a program that is aware of each monitor's DPI. The
// per-monitor calls (Windows 10 1607 and later) are looked up at run time: where the system
// lacks them, every window has the system's DPI.
//
//   const int dpi = platform::window::WindowDpi(hwnd);                    // 96, 120, 144 ...
//   const int cursor = platform::window::SystemMetricAtDpi(SM_CXCURSOR, dpi);
#pragma once

#include <windows.h>

namespace platform::window {

inline constexpr int kDefaultDpi = 96;

// The screen's DPI, as the system DPI of this process (96 when the screen cannot be read).
int SystemDpi();
// The DPI of the monitor a window is on, as the system lets this process see it.
int WindowDpi(HWND hwnd);
// GetSystemMetrics for a window at `dpi`.
int SystemMetricAtDpi(int index, int dpi);
// AdjustWindowRectEx for a window at `dpi`. Throws platform::SystemError when it fails.
void AdjustWindowRectAtDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

}  // namespace platform::window
