// A window timer, as the windows' `tmr` controls: an id, an interval in milliseconds and an
// enabled state. Ticks arrive as Window::OnTimer(id). A timer may be declared (and enabled)
// before its window exists; it starts when the window is created.
//
//   Timer tmrTitle{*this, kTitleTimerId, 50, /*enabled=*/true};   // member of a Window
//   tmrTitle.SetEnabled(false);
#pragma once

#include <windows.h>

namespace platform::window {

class Window;

class Timer {
 public:
  Timer(Window& owner, UINT_PTR id, UINT intervalMs, bool enabled);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  UINT_PTR Id() const noexcept { return id_; }
  UINT Interval() const noexcept { return interval_; }
  bool Enabled() const noexcept { return enabled_; }
  // Throws platform::SystemError when the system has no timer left.
  void SetEnabled(bool enabled);

 private:
  friend class Window;
  void Start();
  void Stop() noexcept;

  Window& owner_;
  UINT_PTR id_;
  UINT interval_;
  bool enabled_;
};

}  // namespace platform::window
