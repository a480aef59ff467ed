#include "taskbar_progress.h"

#include <utility>

namespace platform {

Microsoft::WRL::ComPtr<ITaskbarList3> SystemTaskbar() {
  Microsoft::WRL::ComPtr<ITaskbarList3> taskbar;
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&taskbar))) ||
      FAILED(taskbar->HrInit())) {
    return nullptr;
  }
  return taskbar;
}

// The button's state is a courtesy: a taskbar that refuses it (Wine implements only part of
// the interface) is no reason to trouble or stop the task, so its results are not checked.
TaskbarProgress::TaskbarProgress(HWND window, Microsoft::WRL::ComPtr<ITaskbarList3> taskbar)
    : window_(window), taskbar_(std::move(taskbar)) {
  if (taskbar_) taskbar_->SetProgressState(window_, TBPF_INDETERMINATE);
}

TaskbarProgress::~TaskbarProgress() {
  if (taskbar_) taskbar_->SetProgressState(window_, TBPF_NOPROGRESS);
  // A dialog of the window's own in front counts as the user being here.
  const HWND foreground = GetForegroundWindow();
  if (foreground && GetAncestor(foreground, GA_ROOTOWNER) == window_) return;
  FLASHWINFO flash{sizeof flash, window_, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
}

}  // namespace platform
