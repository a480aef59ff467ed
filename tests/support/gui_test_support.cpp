#include "gui_test_support.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include <gtest/gtest.h>

namespace gui_test {

void PumpFor(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  PumpUntil([&] { return std::chrono::steady_clock::now() >= end; }, ms + 1000);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      if (!IsDialogMessageW(GetAncestor(message.hwnd, GA_ROOT), &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

void Type(HWND control, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(control, WM_CHAR, c, 1);
}

void Press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

void MoveCursor(int x, int y) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = static_cast<LONG>((x * 65536LL + width / 2) / width);
  input.mi.dy = static_cast<LONG>((y * 65536LL + height / 2) / height);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
  // Absolute coordinates may land a pixel off after scaling; the last step is exact.
  SetCursorPos(x, y);
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  input.mi.dx = input.mi.dy = 0;
  SendInput(1, &input, sizeof input);
}

void MouseButton(int button, bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  switch (button) {
    case 2:
      input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
      break;
    case 4:
      input.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
      break;
    default:
      input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
      break;
  }
  SendInput(1, &input, sizeof input);
}

void KeyPress(WORD virtualKey, bool withAlt) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  if (withAlt) key(VK_MENU, false);
  key(virtualKey, false);
  key(virtualKey, true);
  if (withAlt) key(VK_MENU, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

BoxAction Answer(int buttonId) {
  return [buttonId](HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
  };
}

BoxWatcher::BoxWatcher(std::vector<BoxAction> actions, DWORD threadId)
    : threadId_(threadId), actions_(std::move(actions)), thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

std::vector<SeenBox> BoxWatcher::Seen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

namespace {

HWND FindDialog(DWORD threadId) {
  HWND found = nullptr;
  EnumThreadWindows(
      threadId,
      [](HWND hwnd, LPARAM param) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(hwnd, name, 16);
        if (std::wstring(name) == L"#32770" && IsWindowVisible(hwnd)) {
          *reinterpret_cast<HWND*>(param) = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

void BoxWatcher::Run() {
  std::size_t next = 0;
  HWND answered = nullptr;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
    }
    HWND dialog = FindDialog(threadId_);
    if (dialog && dialog == answered && IsWindow(dialog)) dialog = nullptr;
    if (!dialog) {
      if (answered && !IsWindow(answered)) answered = nullptr;
      Sleep(2);
      continue;
    }
    SeenBox box;
    box.title = Caption(dialog);
    box.text = Caption(GetDlgItem(dialog, 0xFFFF));
    // The message box's icon control (Wine's id; Windows uses 0x14).
    for (int id : {0x0440, 0x14}) {
      HWND icon = GetDlgItem(dialog, id);
      if (icon && IsWindowVisible(icon)) {
        box.icon = reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0));
      }
    }
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
      HWND button = GetDlgItem(dialog, id);
      if (button && IsWindowVisible(button)) box.buttons.push_back(id);
    }
    BoxAction action;
    if (next < actions_.size()) {
      action = actions_[next++];
    } else {
      const bool hasOk =
          std::find(box.buttons.begin(), box.buttons.end(), IDOK) != box.buttons.end();
      action = Answer(hasOk ? IDOK : IDCANCEL);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(box);
    }
    action(dialog);
    answered = dialog;
  }
}

WindowDriver::WindowDriver(std::wstring caption, std::vector<Action> actions)
    : caption_(std::move(caption)), actions_(std::move(actions)) {
  active_ = this;
  timer_ = SetTimer(nullptr, 0, 10, &WindowDriver::Tick);
}

WindowDriver::~WindowDriver() {
  KillTimer(nullptr, timer_);
  active_ = nullptr;
}

HWND WindowDriver::Find() const {
  struct Search {
    const std::wstring* caption;
    HWND found;
  } search{&caption_, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        if (!IsWindowVisible(hwnd) || Caption(hwnd) != *s.caption) return TRUE;
        s.found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void CALLBACK WindowDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  // Time an action's own input (keys sent to its window) has to close the window.
  constexpr DWORD kGraceMs = 2000;
  WindowDriver* self = active_;
  // An action may pump messages: no second action from inside it.
  if (!self || self->running_) return;
  const HWND window = self->Find();
  if (!window) return;
  if (window == self->handled_) {
    if (GetTickCount() - self->handledAt_ > kGraceMs) {
      SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return;
  }
  self->handled_ = window;
  const std::size_t index = static_cast<std::size_t>(self->seen_++);
  self->running_ = true;
  if (index < self->actions_.size()) {
    self->actions_[index](window);
  } else {
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  self->running_ = false;
  self->handledAt_ = GetTickCount();
}

TimerTickCounter::TimerTickCounter(HWND window, UINT_PTR timerId)
    : window_(window), timerId_(timerId) {
  active_ = this;
  hook_ = SetWindowsHookExW(WH_GETMESSAGE, &TimerTickCounter::Hook, nullptr, GetCurrentThreadId());
  EXPECT_NE(nullptr, hook_) << "no message hook: " << GetLastError();
}

TimerTickCounter::~TimerTickCounter() {
  if (hook_) UnhookWindowsHookEx(hook_);
  active_ = nullptr;
}

LRESULT CALLBACK TimerTickCounter::Hook(int code, WPARAM wParam, LPARAM lParam) {
  TimerTickCounter* self = active_;
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  if (self && code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_TIMER &&
      message->hwnd == self->window_ && message->wParam == self->timerId_) {
    ++self->ticks_;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool TimerTickCounter::WaitForTicks(int count, int timeoutMs) {
  // The hook counts a tick as it is taken from the queue; the pump has dispatched it by the
  // time it looks at the count again.
  const int until = ticks_ + count;
  return PumpUntil([&] { return ticks_ >= until; }, timeoutMs);
}

HICON InformationIcon() { return LoadIconW(nullptr, IDI_INFORMATION); }
HICON QuestionIcon() { return LoadIconW(nullptr, IDI_QUESTION); }

RECT ScreenRect(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return rect;
}

std::wstring TempPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, path);
  return std::wstring(path, length);
}

}  // namespace gui_test

namespace gui_test {

void KeepDesktopAlive() {
  // The keeper is started by CTest (tests/chrome/CMakeLists.txt) with no handle of the test
  // run: started from here it would hold CTest's output pipes open for its lifetime.
  if (HANDLE ping = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"QuilletTestDesktopKeeperPing")) {
    SetEvent(ping);
    CloseHandle(ping);
  }
}

void SelectInPicker(HWND picker, const std::wstring& path, const std::wstring& leaf) {
  HWND tree = nullptr;
  HTREEITEM selected = nullptr;
  wchar_t shown[MAX_PATH] = {};
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!tree) tree = FindWindowExW(picker, nullptr, WC_TREEVIEWW, nullptr);
    SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
    selected = tree ? TreeView_GetSelection(tree) : nullptr;
    shown[0] = L'\0';
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    item.pszText = shown;
    item.cchTextMax = MAX_PATH;
    if (selected) TreeView_GetItem(tree, &item);
    // A drive's caption differs between systems: any selection below the root will do.
    const bool below = selected && selected != TreeView_GetRoot(tree);
    if (below && (leaf.empty() || leaf == shown)) return;
    Sleep(10);
  }
  ADD_FAILURE() << "the folder picker did not select " << path << ": its tree has "
                << (tree ? TreeView_GetCount(tree) : 0u) << " items and shows \"" << shown
                << "\" selected";
}

std::wstring Caption(HWND hwnd) {
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd, text, 1024);
  return text;
}

RECT ClientRectOf(HWND parent, HWND control) {
  RECT rect = ScreenRect(control);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace gui_test
