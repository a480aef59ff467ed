#include "options_dialog_driver.h"

namespace options_test {

namespace {
// Time the steps' own input (a queued Escape, say) has to close the dialog.
constexpr DWORD kGraceMs = 1000;
}  // namespace

std::wstring OptionsDialog::Text(frmOptions::Row row) const {
  wchar_t text[512] = {};
  GetWindowTextW(Ctl(row), text, 512);
  return text;
}

void OptionsDialog::SetText(frmOptions::Row row, const std::wstring& text) const {
  SetWindowTextW(Ctl(row), text.c_str());
}

bool OptionsDialog::Checked(frmOptions::Row row) const {
  return SendMessageW(Ctl(row), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void OptionsDialog::Click(frmOptions::Row row) const { SendMessageW(Ctl(row), BM_CLICK, 0, 0); }

HWND FindOptionsDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        wchar_t caption[16] = {};
        GetWindowTextW(hwnd, caption, 16);
        if (IsWindowVisible(hwnd) && std::wstring(caption) == L"Form1") {
          *reinterpret_cast<HWND*>(param) = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

OptionsDialogDriver::OptionsDialogDriver(Steps steps) : steps_(std::move(steps)) {
  active_ = this;
  timer_ = SetTimer(nullptr, 0, 10, &OptionsDialogDriver::Tick);
}

OptionsDialogDriver::~OptionsDialogDriver() {
  KillTimer(nullptr, timer_);
  active_ = nullptr;
}

void CALLBACK OptionsDialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
  OptionsDialogDriver* self = active_;
  // The steps may pump messages themselves: no second run from inside them.
  if (!self || self->running_) return;
  if (!self->ran_) {
    const HWND dialog = FindOptionsDialog();
    if (!dialog) return;
    self->dialog_ = dialog;
    self->ownerDisabled_ = !IsWindowEnabled(GetWindow(dialog, GW_OWNER));
    self->running_ = true;
    self->steps_(OptionsDialog(dialog));
    self->running_ = false;
    self->ran_ = true;
    self->finishedAt_ = GetTickCount();
    return;
  }
  if (IsWindow(self->dialog_) && GetTickCount() - self->finishedAt_ > kGraceMs) {
    self->forcedClose_ = true;
    SendMessageW(self->dialog_, WM_CLOSE, 0, 0);
  }
}

}  // namespace options_test
