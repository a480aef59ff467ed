// The console's stop requests end a run as the window's Cancel does: SIGINT, SIGTERM and
// SIGHUP on POSIX; Ctrl+C, Ctrl+Break, the console window closing, log-off and shut-down on
// Windows. The first sets the run's cancel flag, so the walk stops at its next entry, writes
// its pending lines and closes a JSON document; a second ends the process at once.
#pragma once

#include <atomic>

// Installs the handlers. Call once, before the output is opened.
void InstallStopHandlers();

// Set by the first stop request.
const std::atomic<bool>& StopRequested();

// Tells a handler waiting for the closing writes (the console window closing gives the
// process only a few seconds) that the run has written and closed its output.
void RunOutputClosed();

// Ends the process as the stop request would have, once the run has stopped. POSIX: by the
// same signal, which the default action now takes, so the shell sees 128 + its number (130,
// 143, 129) and a script running the tool stops too. Windows: returns the status to exit with,
// STATUS_CONTROL_C_EXIT, what a console program ended by Ctrl+C gives.
int EndAfterStop();

#ifdef _WIN32
// The console control handler itself, for tests: TRUE when the event is handled here.
int __stdcall HandleConsoleEvent(unsigned long event);
#endif
