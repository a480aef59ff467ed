#include <signal.h>

#include <csignal>

#include "platform/system_error.h"
#include "signals.h"

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only lock-free atomics may be touched in a signal handler.
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);
std::atomic<bool> stopRequested{false};
std::atomic<int> firstSignal{0};

// Returns false when the system refuses (it can only for a signal it does not know).
bool SetAction(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  for (int stop : kStopSignals) sigaddset(&action.sa_mask, stop);
  // No SA_RESTART: a FIFO waiting for its reader gives up on the signal. Writes already under
  // way are retried on EINTR.
  action.sa_flags = 0;
  bool set = true;
  for (int stop : kStopSignals) set = sigaction(stop, &action, nullptr) == 0 && set;
  return set;
}

extern "C" void OnStopSignal(int signal) {
  firstSignal.store(signal);
  stopRequested.store(true);
  // Any further stop signal takes the default action and ends the process at once.
  SetAction(SIG_DFL);
}

}  // namespace

void InstallStopHandlers() {
  if (!SetAction(OnStopSignal)) platform::ThrowLastError();
}

const std::atomic<bool>& StopRequested() { return stopRequested; }

void RunOutputClosed() {}

int EndAfterStop() {
  const int signal = firstSignal.load();
  std::raise(signal);
  // Not reached: the default action of every stop signal ends the process.
  return 128 + signal;
}
