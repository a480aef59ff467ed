#include <windows.h>

#include "platform/system_error.h"
#include "signals.h"

namespace {

// The console window closing (and log-off and shut-down) ends the process once the handler
// returns, or after about 5 seconds: the handler waits for the closing writes, a little less.
constexpr DWORD kClosingWritesWait = 4000;

std::atomic<bool> stopRequested{false};
// Manual reset: set once the run has closed its output. It lives as long as the process, never
// closed, since a handler may still be waiting on it while the process ends.
HANDLE outputClosed = nullptr;

}  // namespace

int __stdcall HandleConsoleEvent(unsigned long event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      // A second Ctrl+C goes on to the system's handler, which ends the process at once.
      return stopRequested.exchange(true) ? FALSE : TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      stopRequested.store(true);
      WaitForSingleObject(outputClosed, kClosingWritesWait);
      return TRUE;
    default:
      return FALSE;
  }
}

void InstallStopHandlers() {
  outputClosed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (outputClosed == nullptr || !SetConsoleCtrlHandler(HandleConsoleEvent, TRUE))
    platform::ThrowLastError();
}

const std::atomic<bool>& StopRequested() { return stopRequested; }

void RunOutputClosed() {
  if (outputClosed != nullptr) SetEvent(outputClosed);
}

// The status Windows itself gives a console program that Ctrl+C ends: cmd and PowerShell
// scripts see from this tool what they see from any other, and POSIX-style shells on Windows
// (MSYS2, Cygwin) show it as 130.
int EndAfterStop() { return static_cast<int>(STATUS_CONTROL_C_EXIT); }
