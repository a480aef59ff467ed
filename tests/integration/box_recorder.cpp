#include "box_recorder.h"

namespace integration_test {

namespace {

std::vector<RecordedBox>* activeSeen = nullptr;

std::wstring TextOf(HWND hwnd) {
  wchar_t text[2048] = {};
  if (hwnd) GetWindowTextW(hwnd, text, 2048);
  return text;
}

}  // namespace

BoxRecorder::BoxRecorder() {
  activeSeen = &seen_;
  hook_ = SetWindowsHookExW(WH_CBT, &BoxRecorder::Hook, nullptr, GetCurrentThreadId());
}

BoxRecorder::~BoxRecorder() {
  if (hook_) UnhookWindowsHookEx(hook_);
  activeSeen = nullptr;
}

LRESULT CALLBACK BoxRecorder::Hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && activeSeen) {
    const HWND dialog = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(dialog, className, 16);
    if (std::wstring(className) == L"#32770") {
      RecordedBox box;
      box.title = TextOf(dialog);
      box.text = TextOf(GetDlgItem(dialog, 0xFFFF));
      // The icon control: Wine's id, then Windows' id.
      for (int id : {0x0440, 0x14}) {
        const HWND icon = GetDlgItem(dialog, id);
        if (icon && (GetWindowLongPtrW(icon, GWL_STYLE) & WS_VISIBLE) &&
            SendMessageW(icon, STM_GETICON, 0, 0) != 0) {
          box.hasIcon = true;
        }
      }
      for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        const HWND button = GetDlgItem(dialog, id);
        if (button && (GetWindowLongPtrW(button, GWL_STYLE) & WS_VISIBLE)) {
          box.buttons.push_back(id);
        }
      }
      const bool hasOk = GetDlgItem(dialog, IDOK) != nullptr;
      activeSeen->push_back(box);
      // Answered once the box runs its own loop.
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(hasOk ? IDOK : IDCANCEL, BN_CLICKED), 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace integration_test
