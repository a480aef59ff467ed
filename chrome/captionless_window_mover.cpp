#include "chrome/captionless_window_mover.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "platform/error_box.h"
#include "platform/native_text.h"
#include "platform/system_error.h"

namespace {

// Runs one member's body; a failure becomes the member's own error box.
template <typename Body>
void Trapped(const wchar_t* member, Body&& body) {
  try {
    body();
  } catch (const std::exception&) {
    // Other failures: overflow in a conversion of a position, for example.
    platform::ShowErrorBox(member, platform::ErrorReportText(std::current_exception(), 6));
  }
}

platform::window::Window& Bound(platform::window::Window* form) {
  if (!form || !form->Handle()) {
    throw platform::SystemError(kNoWindowBoundError, L"No window is bound to the mover");
  }
  return *form;
}

}  // namespace

CCaptionlessWindowMover::~CCaptionlessWindowMover() {
  Trapped(L"Class_Terminate", [this] { form_ = nullptr; });
}

platform::window::Window* CCaptionlessWindowMover::Form() const { return form_; }

void CCaptionlessWindowMover::SetForm(platform::window::Window* form) {
  Trapped(L"Form", [this, form] { form_ = form; });
}

void CCaptionlessWindowMover::HandleMouseDown(float x, float y) {
  Trapped(L"HandleMouseDown", [&] {
    SetCapture(Bound(form_).Handle());
    dragging_ = true;
    grabX_ = x;
    grabY_ = y;
  });
}

void CCaptionlessWindowMover::HandleMouseMove(float x, float y) {
  Trapped(L"HandleMouseMove", [&] {
    if (!dragging_) return;
    platform::window::Window& form = Bound(form_);
    if (IsIconic(form.Handle()) || IsZoomed(form.Handle())) return;
    const float top = static_cast<float>(form.Top());
    const float left = static_cast<float>(form.Left());
    const float newTop = (top - grabY_) + y;
    const float newLeft = (left - grabX_) + x;
    form.Move(newLeft, newTop);
  });
}

void CCaptionlessWindowMover::HandleMouseUp() {
  Trapped(L"HandleMouseUp", [this] {
    ReleaseCapture();
    dragging_ = false;
  });
}
