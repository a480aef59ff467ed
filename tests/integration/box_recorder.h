// Records every message box (dialog of class #32770) that this thread opens and answers it
// with OK (or Cancel), from a CBT hook on the thread itself: no helper thread, no polling.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace integration_test {

struct RecordedBox {
  std::wstring title;
  std::wstring text;
  bool hasIcon = false;
  std::vector<int> buttons;  // IDOK, IDCANCEL, IDYES, IDNO that the box shows
};

class BoxRecorder {
 public:
  BoxRecorder();
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  const std::vector<RecordedBox>& Seen() const { return seen_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_ = nullptr;
  std::vector<RecordedBox> seen_;
};

}  // namespace integration_test
