// A label that behaves like a link: it lights up (its highlight colour, underlined, the hand
// pointer) when the pointer moves over it, and a timer polls the pointer until it has left the
// hit rectangle, since a label hears nothing when the pointer leaves it. The hit rectangle is
// a control of its own (an invisible picture box laid over the label).
//
//   HoverLink link{*this, kTimerId, /*timerEnabled=*/false, lblLink, picLink, kResting, kLit};
//   link.Highlight(handCursor);      // from the label's mouse move
//   link.Tick();                     // from the timer's tick
#pragma once

#include <windows.h>

#include "platform/window/layout.h"
#include "platform/window/timer.h"

namespace platform::window {

class Window;

class HoverLink {
 public:
  // The watch's interval: the highlight ends within this long after the pointer has left.
  static constexpr UINT kWatchIntervalMs = 50;

  HoverLink(Window& owner, UINT_PTR timerId, bool timerEnabled, int labelRow, int hitRow,
            Colour resting, Colour highlighted);

  // The link rests exactly when its label has the resting colour.
  bool Highlighted() const;
  // Lights the link up and starts the watch; nothing when it is already lit. `cursor`, when
  // given, is shown at once (the pointer is over the label).
  void Highlight(HCURSOR cursor);
  // One tick of the watch: ends the highlight when the pointer is outside the hit rectangle
  // (its right and bottom edges count as inside). The hit size is read on the first tick.
  void Tick();
  // True while the label shows its own pointer rather than the default one.
  bool PointerCustom() const noexcept { return pointerCustom_; }
  Timer& Watch() noexcept { return timer_; }
  const Timer& Watch() const noexcept { return timer_; }

 private:
  // The highlighted look (with its watch running) or the resting one.
  void Light(bool lit);

  Window& owner_;
  Timer timer_;
  int labelRow_;
  int hitRow_;
  Colour resting_;
  Colour highlighted_;
  int hitWidth_ = 0;  // twips
  int hitHeight_ = 0;
  bool pointerCustom_ = false;
};

}  // namespace platform::window
