// Helpers for driving real windows in-process under Wine: pumping messages, typing, the real
// cursor, and answering the real message boxes from a watcher thread.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace gui_test {

// Dispatches this thread's messages for `ms` milliseconds.
void PumpFor(int ms);
// Dispatches messages until `done` is true or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 2000);

// Sends WM_CHAR for each character, as typing into the focused control does.
void Type(HWND control, const std::wstring& text);
// Presses a button (BM_CLICK); returns when its handler has returned.
void Press(HWND button);

// The real cursor and buttons, through SendInput (screen pixels).
void MoveCursor(int x, int y);
void MouseButton(int button, bool down);  // button: 1 left, 2 right, 4 middle
void KeyPress(WORD virtualKey, bool withAlt = false);

// Selects `path` in the shell's folder picker and waits until its tree shows `leaf` selected
// (up to a second): a selection made while the picker still fills its tree can be lost. An
// empty `leaf` accepts any item below the tree's root. Fails the test when nothing is selected.
void SelectInPicker(HWND picker, const std::wstring& path, const std::wstring& leaf);

// What a watched message box showed.
struct SeenBox {
  std::wstring title;
  std::wstring text;
  HICON icon = nullptr;  // nullptr when the box shows no icon
  std::vector<int> buttons;
};

// One step of a watcher: what to do with the next dialog (#32770) of the watched thread.
using BoxAction = std::function<void(HWND dialog)>;
// Presses the button with this id (IDOK, IDYES, ...).
BoxAction Answer(int buttonId);

// Watches `threadId` (default: the calling thread) for dialogs, records each and applies the
// actions in order; once they are used up it answers IDOK/IDCANCEL so that no test hangs.
class BoxWatcher {
 public:
  explicit BoxWatcher(std::vector<BoxAction> actions, DWORD threadId = GetCurrentThreadId());
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;

  std::vector<SeenBox> Seen() const;

 private:
  void Run();
  DWORD threadId_;
  std::vector<BoxAction> actions_;
  mutable std::mutex mutex_;
  std::vector<SeenBox> seen_;
  bool stop_ = false;
  std::thread thread_;
};

// Acts on each visible top-level window of this thread with the caption `caption`, from a
// thread timer (a modal window's own message loop dispatches its ticks): the actions in order,
// one per window shown. A window that its action leaves open (its keys may still be on their
// way) and windows beyond the actions are closed with the system's close command, the first
// after a grace period, so that no test waits forever. An action may pump messages itself.
class WindowDriver {
 public:
  using Action = std::function<void(HWND window)>;
  WindowDriver(std::wstring caption, std::vector<Action> actions);
  ~WindowDriver();
  WindowDriver(const WindowDriver&) = delete;
  WindowDriver& operator=(const WindowDriver&) = delete;

  int WindowsSeen() const { return seen_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  HWND Find() const;
  static inline WindowDriver* active_ = nullptr;
  std::wstring caption_;
  std::vector<Action> actions_;
  UINT_PTR timer_ = 0;
  int seen_ = 0;
  bool running_ = false;
  HWND handled_ = nullptr;  // the window the last action was given
  DWORD handledAt_ = 0;     // when that action returned
};

// Counts the ticks of one window timer that this thread's message loops take from the queue,
// whichever loop runs (a modal window's included): real ticks, for tests that wait on them.
class TimerTickCounter {
 public:
  TimerTickCounter(HWND window, UINT_PTR timerId);
  ~TimerTickCounter();
  TimerTickCounter(const TimerTickCounter&) = delete;
  TimerTickCounter& operator=(const TimerTickCounter&) = delete;

  int Ticks() const { return ticks_; }
  // Pumps messages until `count` more ticks have come and gone; false after `timeoutMs`.
  bool WaitForTicks(int count, int timeoutMs = 5000);

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  static inline TimerTickCounter* active_ = nullptr;
  HWND window_;
  UINT_PTR timerId_;
  HHOOK hook_ = nullptr;
  int ticks_ = 0;
};

// The standard information / question icons as a message box shows them.
HICON InformationIcon();
HICON QuestionIcon();

// Screen rectangle of a window.
RECT ScreenRect(HWND hwnd);
// A control's rectangle in its window's client pixels.
RECT ClientRectOf(HWND parent, HWND control);
// A window's text (its caption).
std::wstring Caption(HWND hwnd);

// A folder under the build tree or %TEMP%, in Windows form.
std::wstring TempPath();

}  // namespace gui_test

namespace gui_test {

// Pings the desktop keeper of this Wine prefix, if one runs (see desktop_keeper.cpp), so
// that it stays for the rest of the test run.
void KeepDesktopAlive();

}  // namespace gui_test
