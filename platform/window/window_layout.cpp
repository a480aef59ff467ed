// The part of Window that lays a window out at its DPI: the window's size, its controls from
// their places in twips (grown where a caption needs it, clipped where they overlap a
// bordered control), fonts, icons and pointers at that DPI.
#include "platform/window/window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

#include "platform/system_error.h"
#include "platform/window/dpi.h"
#include "platform/window/twips.h"

namespace platform::window {
namespace {

// How far from its start one line of text in the font selected into `dc` reaches with
// painted pixels, in a box of `extent` (its measured size): drawn into a bitmap and read back.
int InkReach(HDC dc, const std::wstring& text, SIZE extent) {
  if (extent.cx <= 0 || extent.cy <= 0) return 0;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = extent.cx;
  info.bmiHeader.biHeight = -extent.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueHBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const UniqueHdc memory(CreateCompatibleDC(dc));
  if (!bitmap || !memory || !bits) platform::ThrowLastError();
  const HGDIOBJ oldBitmap = SelectObject(memory.get(), bitmap.get());
  const HGDIOBJ oldFont = SelectObject(memory.get(), GetCurrentObject(dc, OBJ_FONT));
  RECT box{0, 0, extent.cx, extent.cy};
  FillRect(memory.get(), &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(memory.get(), RGB(0, 0, 0));
  SetBkMode(memory.get(), TRANSPARENT);
  DrawTextW(memory.get(), text.c_str(), static_cast<int>(text.size()), &box, DT_SINGLELINE);
  GdiFlush();
  SelectObject(memory.get(), oldFont);
  SelectObject(memory.get(), oldBitmap);
  const auto* pixels = static_cast<const std::uint32_t*>(bits);
  int reach = 0;
  for (int y = 0; y < extent.cy; ++y) {
    for (int x = extent.cx - 1; x >= reach; --x) {
      if ((pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(extent.cx) +
                  static_cast<std::size_t>(x)] &
           0xFFFFFFu) != 0xFFFFFFu) {
        reach = x + 1;
        break;
      }
    }
  }
  return reach;
}

}  // namespace

void Window::SetIcons() {
  if (form_.iconId == 0) return;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  // Shared icons stay with the module; nothing to release. A missing icon leaves the
  // system's.
  for (const auto& [which, width, height] : {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON},
                                             std::tuple{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
    if (HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(form_.iconId), IMAGE_ICON,
                                 SystemMetricAtDpi(width, dpi_), SystemMetricAtDpi(height, dpi_),
                                 LR_SHARED)) {
      SendMessageW(hwnd_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
  }
}

SIZE Window::OuterSize(int dpi) const {
  RECT rect{0, 0, TwipsToPixels(form_.width, dpi), TwipsToPixels(form_.height, dpi)};
  AdjustWindowRectAtDpi(rect, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                        static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)), dpi);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void Window::SizeToForm(const POINT* topLeft) {
  const int width = TwipsToPixels(form_.width, dpi_);
  const int height = TwipsToPixels(form_.height, dpi_);
  SIZE outer = OuterSize(dpi_);
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (topLeft ? 0 : SWP_NOMOVE);
  const POINT at = topLeft ? *topLeft : POINT{};
  if (!SetWindowPos(hwnd_, nullptr, at.x, at.y, outer.cx, outer.cy, flags)) {
    platform::ThrowLastError();
  }
  // A system that draws the frame at another DPI than the window's (Wine keeps the
  // monitor's) leaves the client area a few pixels off: the twips decide, so correct it.
  RECT client{};
  if (!GetClientRect(hwnd_, &client)) platform::ThrowLastError();
  if (client.right == width && client.bottom == height) return;
  outer.cx += width - client.right;
  outer.cy += height - client.bottom;
  if (!SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    platform::ThrowLastError();
  }
}

double Window::TwipsPerPixelX() const { return TwipsPerPixel(dpi_); }
double Window::TwipsPerPixelY() const { return TwipsPerPixel(dpi_); }

float Window::ToTwipsX(LPARAM position) const {
  return static_cast<float>(PixelsToTwips(GET_X_LPARAM(position), dpi_));
}

float Window::ToTwipsY(LPARAM position) const {
  return static_cast<float>(PixelsToTwips(GET_Y_LPARAM(position), dpi_));
}

void Window::ApplyDpi(int dpi, const POINT* topLeft) {
  if (dpi <= 0) return;
  dpi_ = dpi;
  SetIcons();
  RefreshFonts();
  SizeToForm(topLeft);
  LayOutControls();
  if (shaper_) shaper_(*this);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void Window::RefreshFonts() {
  // The old fonts go once no control holds them any more.
  const std::vector<CachedFont> previous = std::exchange(fonts_, {});
  for (ControlState& state : controls_) {
    SendMessageW(state.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(state.font)), FALSE);
  }
}

RECT Window::DesignPixels(int row) const {
  const TwipsRect& place = controls_[static_cast<std::size_t>(row)].place;
  // Rows inside a frame are placed relative to it.
  double left = place.left;
  double top = place.top;
  for (int container = Row(row).container; container != kNoContainer;
       container = Row(container).container) {
    left += controls_[static_cast<std::size_t>(container)].place.left;
    top += controls_[static_cast<std::size_t>(container)].place.top;
  }
  const int x = TwipsToPixels(left, dpi_);
  const int y = TwipsToPixels(top, dpi_);
  return RECT{x, y, x + TwipsToPixels(place.width, dpi_), y + TwipsToPixels(place.height, dpi_)};
}

RECT Window::ActualPixels(int row) const {
  RECT rect{};
  if (!GetWindowRect(controls_[static_cast<std::size_t>(row)].hwnd, &rect)) {
    platform::ThrowLastError();
  }
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Window::LayOutControls() {
  // Frames first: the controls they hold may grow up to their inner edge.
  for (const bool frames : {true, false}) {
    for (int i = 0; i < ControlCount(); ++i) {
      if ((Row(i).kind == ControlKind::Frame) == frames) PlaceControl(i);
    }
  }
  ClipOverlaps();
}

void Window::PlaceControl(int row) {
  ControlState& state = controls_[static_cast<std::size_t>(row)];
  RECT rect = DesignPixels(row);
  state.grownWidth = 0;
  const int width = rect.right - rect.left;
  const int needed = CaptionWidth(row, rect);
  if (needed > width) {
    const int grown = std::min<int>(needed, GrowthLimit(row, rect) - rect.left);
    if (grown > width) {
      rect.right = rect.left + grown;
      state.grownWidth = grown;
    }
  }
  if (!SetWindowPos(state.hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE)) {
    platform::ThrowLastError();
  }
}

int Window::CaptionWidth(int row, const RECT& design) const {
  const ControlRow& layout = Row(row);
  if (layout.kind == ControlKind::TextBox || layout.kind == ControlKind::PictureBox) return 0;
  // Blanks at the end show nothing: they may run past the edge.
  std::wstring text = Text(row);
  text.erase(text.find_last_not_of(L" \t") + 1);
  if (text.empty()) return 0;
  const HWND control = controls_[static_cast<std::size_t>(row)].hwnd;
  const WindowDC dc(control);
  if (!dc.get()) platform::ThrowLastError();
  const HGDIOBJ oldFont =
      SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  // What the control draws besides its text, as the system lays these controls out: a push
  // button's edges either side; a check box's or option button's box (13 pixels at 96 DPI, at
  // the control's own DPI) and the gap of half a digit after it, where the text starts a
  // pixel in; a frame's indent either side. `wrapLoss` is what the text cannot wrap into.
  int digit = 0;
  GetCharWidth32W(dc.get(), L'0', L'0', &digit);
  const int controlDpi = WindowDpi(control);
  int lead = 0;
  int trail = 0;
  int wrapLoss = 0;
  bool wraps = (layout.flags & kMultiLine) != 0;
  switch (layout.kind) {
    case ControlKind::Label:
      wraps = true;  // a static control wraps at words
      break;
    case ControlKind::Button:
      lead = trail = SystemMetricAtDpi(SM_CXEDGE, controlDpi) + 1;
      wrapLoss = lead + trail;
      break;
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
      wrapLoss = 12 * controlDpi / kDefaultDpi + 1 + digit / 2;
      lead = wrapLoss + 1;
      break;
    case ControlKind::Frame:
      lead = trail = digit;
      break;
    default:
      break;
  }
  const auto measure = [&](int textWidth, bool wrap) {
    RECT rect{0, 0, textWidth, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_EXPANDTABS | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    return SIZE{rect.right, rect.bottom};
  };
  const int width = design.right - design.left;
  const int height = design.bottom - design.top;
  const SIZE oneLine = measure(0, false);
  int needed = 0;
  if (!wraps) {
    // Cut at the edge, not wrapped: what counts is how far the letters reach, which may be
    // short of the text's advance.
    const int reach = lead + InkReach(dc.get(), text, oneLine) + trail;
    needed = reach > width ? reach : 0;
  } else {
    // Wrapped: whole when every line fits across and all lines fit down.
    const auto fits = [&](int w) {
      const SIZE size = measure(w - wrapLoss, true);
      return size.cx <= w - wrapLoss && size.cy <= height;
    };
    const int widest = oneLine.cx + wrapLoss;
    if (!fits(width) && fits(widest)) {
      int low = width;  // does not fit
      int high = widest;
      while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        (fits(middle) ? high : low) = middle;
      }
      needed = high;
    }
  }
  SelectObject(dc.get(), oldFont);
  return needed;
}

int Window::GrowthLimit(int row, const RECT& design) const {
  const int container = Row(row).container;
  int limit = 0;
  if (container != kNoContainer) {
    limit = ActualPixels(container).right - SystemMetricAtDpi(SM_CXEDGE, dpi_);
  } else {
    // The window's margin: as far from its right edge as its leftmost control is from the left.
    int margin = form_.width;
    for (const ControlRow& other : form_.controls) {
      if (other.container == kNoContainer) margin = std::min(margin, other.left);
    }
    limit = TwipsToPixels(form_.width - margin, dpi_);
  }
  // Neither into a neighbour to its right. The layouts let neighbours touch by 15 twips (a
  // pixel at 96 DPI): a touch is no obstacle, ClipOverlaps keeps the neighbour's border whole.
  const int touch = std::max(1, TwipsToPixels(15, dpi_));
  for (int i = 0; i < ControlCount(); ++i) {
    if (i == row || Row(i).container != container || Row(i).kind == ControlKind::PictureBox) {
      continue;
    }
    const RECT other = DesignPixels(i);
    const int overlap = std::min(other.bottom, design.bottom) - std::max(other.top, design.top);
    if (other.left > design.left && overlap > touch) limit = std::min<int>(limit, other.left);
  }
  return limit;
}

void Window::ClipOverlaps() {
  const bool redraw = IsWindowVisible(hwnd_) != FALSE;
  for (int a = 0; a < ControlCount(); ++a) {
    const ControlKind kind = Row(a).kind;
    if (kind != ControlKind::Label && kind != ControlKind::CheckBox &&
        kind != ControlKind::OptionButton) {
      continue;
    }
    const RECT own = ActualPixels(a);
    platform::UniqueHRgn region(CreateRectRgn(0, 0, own.right - own.left, own.bottom - own.top));
    if (!region) platform::ThrowLastError();
    bool clipped = false;
    for (int b = 0; b < ControlCount(); ++b) {
      const ControlKind other = Row(b).kind;
      if (b == a || (other != ControlKind::TextBox && other != ControlKind::Button &&
                     other != ControlKind::Frame)) {
        continue;
      }
      RECT covered{};
      const RECT outer = ActualPixels(b);
      if (!IntersectRect(&covered, &own, &outer)) continue;
      platform::UniqueHRgn border(CreateRectRgnIndirect(&outer));
      if (!border) platform::ThrowLastError();
      if (other == ControlKind::Frame) {
        // A frame's border is its edge and, along the top, its caption; what it holds lies
        // inside.
        const int edge = SystemMetricAtDpi(SM_CXEDGE, dpi_);
        TEXTMETRICW metrics{};
        {
          const WindowDC dc(controls_[static_cast<std::size_t>(b)].hwnd);
          const HGDIOBJ oldFont = SelectObject(
              dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(
                            controls_[static_cast<std::size_t>(b)].hwnd, WM_GETFONT, 0, 0)));
          GetTextMetricsW(dc.get(), &metrics);
          SelectObject(dc.get(), oldFont);
        }
        const platform::UniqueHRgn inside(
            CreateRectRgn(outer.left + edge, outer.top + std::max<int>(edge, metrics.tmHeight),
                          outer.right - edge, outer.bottom - edge));
        if (!inside) platform::ThrowLastError();
        CombineRgn(border.get(), border.get(), inside.get(), RGN_DIFF);
      }
      OffsetRgn(border.get(), -own.left, -own.top);
      if (CombineRgn(region.get(), region.get(), border.get(), RGN_DIFF) == ERROR) {
        platform::ThrowLastError();
      }
      clipped = true;
    }
    const HWND control = controls_[static_cast<std::size_t>(a)].hwnd;
    // A region handed over belongs to the system; none clears an earlier one.
    if (!SetWindowRgn(control, clipped ? region.get() : nullptr, redraw)) {
      platform::ThrowLastError();
    }
    if (clipped) region.release();
  }
}

void Window::ShowPointer(HCURSOR cursor) { SetCursor(ScaledForDpi(cursor)); }

HCURSOR Window::ScaledForDpi(HCURSOR cursor) {
  if (!cursor) return nullptr;
  const int size = SystemMetricAtDpi(SM_CXCURSOR, dpi_);
  // Looked up first: the pointer is set on every move. A cursor of the right size is kept
  // with no copy.
  for (const ScaledCursor& scaled : scaledCursors_) {
    if (scaled.source == cursor && scaled.size == size) {
      return scaled.copy ? scaled.copy.get() : cursor;
    }
  }
  ICONINFO info{};
  if (!GetIconInfo(cursor, &info)) platform::ThrowLastError();
  const platform::UniqueHBitmap mask(info.hbmMask);
  const platform::UniqueHBitmap colour(info.hbmColor);
  BITMAP maskBits{};
  if (!GetObjectW(mask.get(), sizeof maskBits, &maskBits)) platform::ThrowLastError();
  const int width = maskBits.bmWidth;
  if (width == size || width <= 0) {
    scaledCursors_.push_back({cursor, size, nullptr});
    return cursor;
  }
  // Stretched with the hot spot, so that the pointer still points where it did.
  const int maskHeight = MulDiv(maskBits.bmHeight, size, width);
  const platform::UniqueHdc source(CreateCompatibleDC(nullptr));
  const platform::UniqueHdc target(CreateCompatibleDC(nullptr));
  if (!source || !target) platform::ThrowLastError();
  const auto stretch = [&](HBITMAP from, int fromHeight, HBITMAP to, int toHeight) {
    const HGDIOBJ oldSource = SelectObject(source.get(), from);
    const HGDIOBJ oldTarget = SelectObject(target.get(), to);
    SetStretchBltMode(target.get(), COLORONCOLOR);
    const BOOL done = StretchBlt(target.get(), 0, 0, size, toHeight, source.get(), 0, 0, width,
                                 fromHeight, SRCCOPY);
    SelectObject(source.get(), oldSource);
    SelectObject(target.get(), oldTarget);
    if (!done) platform::ThrowLastError();
  };
  platform::UniqueHBitmap scaledMask(CreateBitmap(size, maskHeight, 1, 1, nullptr));
  if (!scaledMask) platform::ThrowLastError();
  stretch(mask.get(), maskBits.bmHeight, scaledMask.get(), maskHeight);
  platform::UniqueHBitmap scaledColour;
  if (colour) {
    const WindowDC screen(nullptr);
    scaledColour.reset(CreateCompatibleBitmap(screen.get(), size, size));
    if (!scaledColour) platform::ThrowLastError();
    stretch(colour.get(), width, scaledColour.get(), size);
  }
  ICONINFO scaledInfo{FALSE,
                      static_cast<DWORD>(MulDiv(static_cast<int>(info.xHotspot), size, width)),
                      static_cast<DWORD>(MulDiv(static_cast<int>(info.yHotspot), size, width)),
                      scaledMask.get(), scaledColour.get()};
  platform::UniqueHCursor copy(CreateIconIndirect(&scaledInfo));
  if (!copy) platform::ThrowLastError();
  scaledCursors_.push_back({cursor, size, std::move(copy)});
  return scaledCursors_.back().copy.get();
}

}  // namespace platform::window
