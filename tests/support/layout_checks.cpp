#include "support/layout_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "gui_test_support.h"
#include "platform/handles.h"
#include "platform/window/twips.h"
#include "support/window_image.h"

namespace testing_support {
namespace {

using platform::window::ControlKind;
using platform::window::ControlRow;
using platform::window::TwipsToPixels;
using platform::window::Window;

const ControlRow& TableRow(const Window& window, int row) {
  return window.Form().controls[static_cast<std::size_t>(row)];
}

// A row's rectangle in client pixels as its table puts it at `dpi`.
RECT TableRect(const Window& window, int row, int dpi) {
  const ControlRow& control = TableRow(window, row);
  int left = control.left;
  int top = control.top;
  for (int container = control.container; container != platform::window::kNoContainer;
       container = TableRow(window, container).container) {
    left += TableRow(window, container).left;
    top += TableRow(window, container).top;
  }
  const int x = TwipsToPixels(left, dpi);
  const int y = TwipsToPixels(top, dpi);
  return RECT{x, y, x + TwipsToPixels(control.width, dpi), y + TwipsToPixels(control.height, dpi)};
}

bool HasCaption(const Window& window, int row) {
  const ControlKind kind = TableRow(window, row).kind;
  return kind != ControlKind::TextBox && kind != ControlKind::PictureBox &&
         !window.Text(row).empty();
}

COLORREF TextColour(const Window& window, int row) {
  const platform::window::Colour colour = window.ForeColour(row);
  if (colour != platform::window::kDefaultColour) return colour;
  return GetSysColor(TableRow(window, row).kind == ControlKind::Label ? COLOR_WINDOWTEXT
                                                                      : COLOR_BTNTEXT);
}

// Pixels of `colour` in `rect` less `inset` on each side, counting only those inside the
// window's shape, if it has one: what lies outside is not seen.
int CountColour(HWND hwnd, const WindowImage& image, RECT rect, COLORREF colour, int inset) {
  const platform::UniqueHRgn shape(CreateRectRgn(0, 0, 0, 0));
  const bool shaped = GetWindowRgn(hwnd, shape.get()) != ERROR;
  InflateRect(&rect, -inset, -inset);
  int count = 0;
  for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, image.height); ++y) {
    for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, image.width); ++x) {
      if (image.At(x, y) == colour && (!shaped || PtInRegion(shape.get(), x, y))) ++count;
    }
  }
  return count;
}

// Hides every control of a window, for as long as it lives, and shows them as they were
// afterwards. The window does not repaint meanwhile.
class Stage {
 public:
  explicit Stage(const Window& window) : hwnd_(window.Handle()) {
    // Before WM_SETREDRAW, which hides the window and so all it holds.
    for (int i = 0; i < window.ControlCount(); ++i) {
      const HWND control = window.Control(i);
      visible_.emplace_back(control, IsWindowVisible(control) != FALSE);
    }
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    for (const auto& [control, shown] : visible_) ShowWindow(control, SW_HIDE);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
  }
  ~Stage() {
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    for (const auto& [control, shown] : visible_) ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;

 private:
  HWND hwnd_;
  std::vector<std::pair<HWND, bool>> visible_;
};

// The pixels of a caption's letters: as the control shows them, and with the whole client
// area to itself, unshaped. It is shown alone on the stage, so that no other text adds to the
// count, enabled (a disabled caption is drawn in another colour) and without the focus
// rectangle.
struct Ink {
  int shown = 0;
  int full = 0;
};

Ink CaptionInk(Window& window, int row) {
  const HWND hwnd = window.Handle();
  const HWND control = window.Control(row);
  ShowWindow(control, SW_SHOWNA);
  const bool enabled = IsWindowEnabled(control) != FALSE;
  EnableWindow(control, TRUE);
  SetFocus(hwnd);
  const COLORREF colour = TextColour(window, row);
  // A push button's edges (three pixels with the default button's frame) may have the text's
  // colour; its text stays clear of them.
  const int inset = TableRow(window, row).kind == ControlKind::Button ? 3 : 0;

  Ink ink;
  const RECT own = gui_test::ClientRectOf(hwnd, control);
  ink.shown = CountColour(hwnd, CaptureWindow(hwnd), own, colour, inset);

  const platform::UniqueHRgn ownShape(CreateRectRgn(0, 0, 0, 0));
  const platform::UniqueHRgn windowShape(CreateRectRgn(0, 0, 0, 0));
  const bool ownShaped = GetWindowRgn(control, ownShape.get()) != ERROR;
  const bool windowShaped = GetWindowRgn(hwnd, windowShape.get()) != ERROR;
  SetWindowRgn(control, nullptr, FALSE);
  SetWindowRgn(hwnd, nullptr, FALSE);
  // A caption on one line gets the whole width at its own height, so that its letters stand
  // on the same rows; one that wraps gets the whole client area.
  RECT room{};
  GetClientRect(hwnd, &room);
  const ControlRow& layout = TableRow(window, row);
  if (layout.kind != ControlKind::Label && !(layout.flags & platform::window::kMultiLine)) {
    room.top = own.top;
    room.bottom = own.bottom;
  }
  SetWindowPos(control, nullptr, room.left, room.top, room.right - room.left,
               room.bottom - room.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ink.full = CountColour(hwnd, CaptureWindow(hwnd), room, colour, inset);

  SetWindowPos(control, nullptr, own.left, own.top, own.right - own.left, own.bottom - own.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // Copies go back; the system owns them then.
  const auto restore = [](HWND target, bool shaped, HRGN shape) {
    if (!shaped) return;
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(copy, shape, nullptr, RGN_COPY);
    if (!SetWindowRgn(target, copy, TRUE)) DeleteObject(copy);
  };
  restore(control, ownShaped, ownShape.get());
  restore(hwnd, windowShaped, windowShape.get());
  EnableWindow(control, enabled ? TRUE : FALSE);
  ShowWindow(control, SW_HIDE);
  return ink;
}

// The band of a bordered control that nothing else may paint: its outer two pixels and, for
// a frame, its caption's height along the top, where the frame draws its line.
std::vector<POINT> BorderPixels(const Window& window, int row) {
  const HWND control = window.Control(row);
  const RECT rect = gui_test::ClientRectOf(window.Handle(), control);
  int top = 2;
  if (TableRow(window, row).kind == ControlKind::Frame) {
    const platform::WindowDC dc(control);
    const HGDIOBJ old =
        SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    SelectObject(dc.get(), old);
    top = std::max<int>(top, metrics.tmHeight);
  }
  std::vector<POINT> pixels;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (y < rect.top + top || y >= rect.bottom - 2 || x < rect.left + 2 || x >= rect.right - 2) {
        pixels.push_back({x, y});
      }
    }
  }
  return pixels;
}

}  // namespace

RECT SendDpiChanged(Window& window, int dpi) {
  const HWND hwnd = window.Handle();
  const RECT outer = gui_test::ScreenRect(hwnd);
  const int oldDpi = window.Dpi();
  const int width = MulDiv(outer.right - outer.left, dpi, oldDpi);
  const int height = MulDiv(outer.bottom - outer.top, dpi, oldDpi);
  // Centred on the screen, where all of it can be painted.
  const int left = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  const int top = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  RECT suggested{left, top, left + width, top + height};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  return suggested;
}

namespace {

void ExpectLaidOutAt(const Window& window, int dpi) {
  const HWND hwnd = window.Handle();
  const platform::window::FormSpec& form = window.Form();
  EXPECT_EQ(dpi, window.Dpi());
  RECT client{};
  GetClientRect(hwnd, &client);
  const int width = TwipsToPixels(form.width, dpi);
  const int height = TwipsToPixels(form.height, dpi);
  EXPECT_EQ(width, client.right);
  EXPECT_EQ(height, client.bottom);
  for (int row = 0; row < window.ControlCount(); ++row) {
    const ControlRow& control = TableRow(window, row);
    if (control.kind == ControlKind::PictureBox) continue;
    const RECT expected = TableRect(window, row, dpi);
    const RECT actual = gui_test::ClientRectOf(hwnd, window.Control(row));
    EXPECT_EQ(expected.left, actual.left) << "row " << row;
    EXPECT_EQ(expected.top, actual.top) << "row " << row;
    EXPECT_EQ(expected.bottom - expected.top, actual.bottom - actual.top) << "row " << row;
    EXPECT_GE(actual.right - actual.left, expected.right - expected.left) << "row " << row;

    const bool ownFont = !control.font.face.empty();
    const double points = ownFont ? control.font.points : form.font.points;
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.Control(row), WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_EQ(-platform::window::RoundHalfEven(points * dpi / 72.0), font.lfHeight)
        << "row " << row;
    EXPECT_EQ(std::wstring(ownFont ? control.font.face : form.font.face), font.lfFaceName)
        << "row " << row;
  }
  if (form.border == platform::window::BorderStyle::None) {
    const platform::UniqueHRgn region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, GetWindowRgn(hwnd, region.get())) << "the window is not shaped";
    const platform::UniqueHRgn ellipse(CreateEllipticRgn(0, 0, width, height));
    const platform::UniqueHRgn difference(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(NULLREGION, CombineRgn(difference.get(), region.get(), ellipse.get(), RGN_XOR))
        << "not the ellipse in 0, 0, " << width << ", " << height;
  }
}

void ExpectCaptionsWhole(Window& window) {
  const Stage stage(window);
  for (int row = 0; row < window.ControlCount(); ++row) {
    if (!HasCaption(window, row)) continue;
    const Ink ink = CaptionInk(window, row);
    EXPECT_GT(ink.full, 0) << "no letters of row " << row << " found";
    EXPECT_EQ(ink.full, ink.shown) << "the caption of row " << row << " is cut";

    // Grown only where its own width would cut the caption.
    const HWND control = window.Control(row);
    const RECT actual = gui_test::ClientRectOf(window.Handle(), control);
    const RECT design = TableRect(window, row, window.Dpi());
    if (actual.right - actual.left <= design.right - design.left) continue;
    SetWindowPos(control, nullptr, 0, 0, design.right - design.left, actual.bottom - actual.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const Ink narrow = CaptionInk(window, row);
    SetWindowPos(control, nullptr, 0, 0, actual.right - actual.left, actual.bottom - actual.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_LT(narrow.shown, narrow.full)
        << "row " << row << " grew though its twips hold its caption";
  }
}

void ExpectBordersWhole(Window& window) {
  const HWND hwnd = window.Handle();
  SetFocus(hwnd);
  const WindowImage image = CaptureWindow(hwnd);
  ASSERT_GT(image.width, 0);
  for (int row = 0; row < window.ControlCount(); ++row) {
    const ControlKind kind = TableRow(window, row).kind;
    const HWND control = window.Control(row);
    if ((kind != ControlKind::TextBox && kind != ControlKind::Button &&
         kind != ControlKind::Frame) ||
        !IsWindowVisible(control)) {
      continue;
    }
    const HWND above = GetWindow(control, GW_HWNDPREV);
    SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const WindowImage alone = CaptureWindow(hwnd);
    if (above) {
      SetWindowPos(control, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    int covered = 0;
    for (const POINT& at : BorderPixels(window, row)) {
      if (at.x < 0 || at.y < 0 || at.x >= image.width || at.y >= image.height) continue;
      if (image.At(at.x, at.y) != alone.At(at.x, at.y)) ++covered;
    }
    EXPECT_EQ(0, covered) << "pixels of row " << row << "'s border painted over";
  }
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

void ExpectWindowWholeAt(Window& window, int dpi) {
  SCOPED_TRACE(testing::Message() << std::wstring(window.Form().caption) << " at " << dpi
                                  << " DPI");
  ExpectLaidOutAt(window, dpi);
  ExpectCaptionsWhole(window);
  ExpectBordersWhole(window);
}

bool SaveDpiPicture(HWND hwnd, const std::wstring& name, int dpi) {
  // The suites run two folders below the build folder.
  return SaveWindowPng(hwnd, L"..\\..\\" + name + L"-" + std::to_wstring(dpi) + L"dpi.png");
}

}  // namespace testing_support
