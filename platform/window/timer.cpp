#include "platform/window/timer.h"

#include "platform/system_error.h"
#include "platform/window/window.h"

namespace platform::window {

Timer::Timer(Window& owner, UINT_PTR id, UINT intervalMs, bool enabled)
    : owner_(owner), id_(id), interval_(intervalMs), enabled_(enabled) {
  owner_.Register(this);
  if (enabled_ && owner_.Handle()) Start();
}

Timer::~Timer() {
  Stop();
  owner_.Unregister(this);
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (!owner_.Handle()) return;
  if (enabled) {
    Start();
  } else {
    Stop();
  }
}

void Timer::Start() {
  if (SetTimer(owner_.Handle(), id_, interval_, nullptr) == 0) {
    enabled_ = false;
    platform::ThrowLastError();
  }
}

void Timer::Stop() noexcept {
  if (owner_.Handle()) KillTimer(owner_.Handle(), id_);
}

}  // namespace platform::window
