// modFormFunctions: cutting a caption-less window to the ellipse inscribed in its rectangle.
//
//   ShapeFormAsEllipse(*this);   // in Form_Load, before the window is first shown
#pragma once

#include "platform/window/window.h"

// Sets the window's region to the ellipse bounded by (0, 0, Width / TwipsPerPixelX,
// Height / TwipsPerPixelY), each rounded half to even, with redraw, at the window's DPI, and
// again whenever the window lays itself out at another DPI. The region then belongs to the
// system. Throws std::range_error when a size does not convert.
void ShapeFormAsEllipse(platform::window::Window& form);
