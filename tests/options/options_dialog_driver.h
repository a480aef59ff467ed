// Drives the options dialog that the main window's Options button opens. The dialog is modal:
// a thread timer, dispatched by the dialog's own message loop, finds it and runs the test's
// steps on it. A dialog that the steps leave open is closed after a grace period, and that is
// recorded, so that no test hangs on a dialog it forgot.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "integration/frm_options.h"
#include "platform/window/window.h"

namespace options_test {

class OptionsDialog {
 public:
  explicit OptionsDialog(HWND hwnd) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  HWND Ctl(frmOptions::Row row) const {
    return GetDlgItem(hwnd_, platform::window::kFirstControlId + row);
  }
  bool Open() const { return IsWindow(hwnd_) != FALSE; }
  std::wstring Text(frmOptions::Row row) const;
  void SetText(frmOptions::Row row, const std::wstring& text) const;
  bool Checked(frmOptions::Row row) const;
  // BM_CLICK on the control; returns when its handler has returned.
  void Click(frmOptions::Row row) const;

 private:
  HWND hwnd_;
};

class OptionsDialogDriver {
 public:
  using Steps = std::function<void(const OptionsDialog& dialog)>;
  explicit OptionsDialogDriver(Steps steps);
  ~OptionsDialogDriver();
  OptionsDialogDriver(const OptionsDialogDriver&) = delete;
  OptionsDialogDriver& operator=(const OptionsDialogDriver&) = delete;

  bool Ran() const { return ran_; }
  bool ForcedClose() const { return forcedClose_; }
  // Whether the main window (the dialog's owner) was disabled while the dialog was open.
  bool OwnerDisabled() const { return ownerDisabled_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  static inline OptionsDialogDriver* active_ = nullptr;
  Steps steps_;
  UINT_PTR timer_ = 0;
  HWND dialog_ = nullptr;
  DWORD finishedAt_ = 0;
  bool running_ = false;
  bool ran_ = false;
  bool forcedClose_ = false;
  bool ownerDisabled_ = false;
};

// The thread's visible options dialog, or nullptr.
HWND FindOptionsDialog();

}  // namespace options_test
