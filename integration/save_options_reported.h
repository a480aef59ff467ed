// Saving the options record from a window. Every window reports a store that refuses the same
// way: the bare description in an OK box titled "Error" with the information icon.
#pragma once

#include <windows.h>

#include <string>

// Shows `description` in the program's error box, owned by `owner`.
void ShowErrorReport(HWND owner, const std::wstring& description);

// SaveOptions; a refusal is shown with ShowErrorReport. True when the options were saved.
bool SaveOptionsReported(HWND owner);
