// Dragging a window that has no title bar by its surface. The window owns one mover, binds
// itself through Form, and forwards its own mouse-down, mouse-move and mouse-up positions
// (client coordinates, twips) to it; while a button is held the window follows the pointer
// so that the grabbed point stays under it.
//
//   WindowMover.SetForm(this);                       // Form_Load
//   WindowMover.HandleMouseDown(x, y);               // Form_MouseDown, any button
//   WindowMover.HandleMouseMove(x, y);               // Form_MouseMove
//   WindowMover.HandleMouseUp();                     // Form_MouseUp
//   WindowMover.SetForm(nullptr);                    // Form_Unload
//
// Every member reports its own failure in an OK box ("Error: <number>. <description>",
// titled with the member's name) and returns as if nothing had happened.
#pragma once

#include "platform/window/window.h"

class CCaptionlessWindowMover {
 public:
  CCaptionlessWindowMover() = default;
  ~CCaptionlessWindowMover();  // Class_Terminate: unbinds
  CCaptionlessWindowMover(const CCaptionlessWindowMover&) = delete;
  CCaptionlessWindowMover& operator=(const CCaptionlessWindowMover&) = delete;

  platform::window::Window* Form() const;
  void SetForm(platform::window::Window* form);

  void HandleMouseDown(float x, float y);
  void HandleMouseMove(float x, float y);
  void HandleMouseUp();

  bool Dragging() const noexcept { return dragging_; }

 private:
  bool dragging_ = false;
  float grabX_ = 0;
  float grabY_ = 0;
  platform::window::Window* form_ = nullptr;
};

// The error number reported when a member needs a bound window and has none.
inline constexpr long kNoWindowBoundError = 91;
