// Message loops for the framework's windows. Keys pass through IsDialogMessage for the
// framework window they belong to, which gives Tab order, Enter (default button), Escape
// (cancel button) and access keys.
//
//   return platform::window::RunMessageLoop();      // in wWinMain, after the main window
//   platform::window::RunModalLoop([&] { return dialog.IsLoaded(); });   // a modal window
//   platform::window::ProcessPendingMessages();     // at a yield point of a long task
#pragma once

#include <windows.h>

#include <functional>

namespace platform::window {

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Runs while `running` holds, checked after each message. A WM_QUIT ends it too and is
// posted again for the outer loop to see.
void RunModalLoop(const std::function<bool()>& running);

// Removes and dispatches every message waiting for this thread. Returns false when it met
// WM_QUIT, which it posts again for the outer loop to see.
bool ProcessPendingMessages();

// Handles `message` as dialog keyboard input when it belongs to a framework window; true
// when it was handled and must not be dispatched.
bool TranslateDialogMessage(MSG& message);

// True when `hwnd` is a top-level window created by the framework.
bool IsFrameworkWindow(HWND hwnd);

}  // namespace platform::window
