#include "platform/window/hover_link.h"

#include "platform/window/twips.h"
#include "platform/window/window.h"

namespace platform::window {

HoverLink::HoverLink(Window& owner, UINT_PTR timerId, bool timerEnabled, int labelRow, int hitRow,
                     Colour resting, Colour highlighted)
    : owner_(owner),
      timer_(owner, timerId, kWatchIntervalMs, timerEnabled),
      labelRow_(labelRow),
      hitRow_(hitRow),
      resting_(resting),
      highlighted_(highlighted) {}

bool HoverLink::Highlighted() const { return owner_.ForeColour(labelRow_) != resting_; }

void HoverLink::Light(bool lit) {
  owner_.SetForeColour(labelRow_, lit ? highlighted_ : resting_);
  owner_.SetUnderline(labelRow_, lit);
  timer_.SetEnabled(lit);
  pointerCustom_ = lit;
}

void HoverLink::Highlight(HCURSOR cursor) {
  if (Highlighted()) return;
  Light(true);
  if (cursor) owner_.ShowPointer(cursor);
}

void HoverLink::Tick() {
  if (hitWidth_ == 0) {
    const Window::TwipsRect hit = owner_.ControlRect(hitRow_);
    hitWidth_ = RoundHalfEven(hit.width);
    hitHeight_ = RoundHalfEven(hit.height);
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(owner_.Control(hitRow_), &pointer);
  const int x = RoundHalfEven(pointer.x * owner_.TwipsPerPixelX());
  const int y = RoundHalfEven(pointer.y * owner_.TwipsPerPixelY());
  if (x >= 0 && x <= hitWidth_ && y >= 0 && y <= hitHeight_) return;
  Light(false);
}

}  // namespace platform::window
