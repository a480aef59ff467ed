// A window's painted pixels saved as a PNG file, for people to look at after a test run.
#pragma once

#include <windows.h>

#include <string>

namespace options_test {

// PrintWindow into a 32-bit bitmap, written as an 8-bit RGB PNG. False when the window could
// not be printed or the file not written.
bool SaveWindowPng(HWND hwnd, const std::wstring& path);

}  // namespace options_test
