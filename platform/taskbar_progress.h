// A window's taskbar button during a long task: the busy (indeterminate) progress state for
// as long as a TaskbarProgress lives, and, when the task ends while the user is in another
// program, a flash of the button until they come back.
#pragma once

#include <windows.h>

#include <shobjidl.h>
#include <wrl/client.h>

namespace platform {

// The shell's taskbar list, ready for use; null where the system offers none (or COM is not
// initialised on this thread).
Microsoft::WRL::ComPtr<ITaskbarList3> SystemTaskbar();

class TaskbarProgress {
 public:
  // A null `taskbar` shows no progress; the flash at the end needs none.
  TaskbarProgress(HWND window, Microsoft::WRL::ComPtr<ITaskbarList3> taskbar);
  ~TaskbarProgress();
  TaskbarProgress(const TaskbarProgress&) = delete;
  TaskbarProgress& operator=(const TaskbarProgress&) = delete;

 private:
  HWND window_;
  Microsoft::WRL::ComPtr<ITaskbarList3> taskbar_;
};

}  // namespace platform
