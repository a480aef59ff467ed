#include "platform/window/message_loop.h"

namespace platform::window {
namespace {

void Dispatch(MSG& message) {
  if (!TranslateDialogMessage(message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The one blocking loop, while `running` holds (always without it). True when WM_QUIT ended
// it, with its exit code; false otherwise (-1 when GetMessage failed).
bool Loop(const std::function<bool()>& running, int& exitCode) {
  MSG message{};
  exitCode = 0;
  while (!running || running()) {
    const BOOL result = GetMessageW(&message, nullptr, 0, 0);
    if (result == -1) {
      exitCode = -1;
      return false;
    }
    if (result == 0) {
      exitCode = static_cast<int>(message.wParam);
      return true;
    }
    Dispatch(message);
  }
  return false;
}

}  // namespace

bool TranslateDialogMessage(MSG& message) {
  if (!message.hwnd) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  if (!IsFrameworkWindow(root)) return false;
  return IsDialogMessageW(root, &message) != FALSE;
}

int RunMessageLoop() {
  int exitCode = 0;
  Loop(nullptr, exitCode);
  return exitCode;
}

void RunModalLoop(const std::function<bool()>& running) {
  int exitCode = 0;
  // Leave WM_QUIT for the outer loop.
  if (Loop(running, exitCode)) PostQuitMessage(exitCode);
}

bool ProcessPendingMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    Dispatch(message);
  }
  return true;
}

}  // namespace platform::window
