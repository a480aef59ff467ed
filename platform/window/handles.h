// Owning wrappers for the Win32 handles the windows use. Each is a move-only
// std::unique_ptr with the right release call, so that no GDI object, region, cursor or
// kernel handle outlives its owner. A region handed to SetWindowRgn belongs to the system:
// call release() on it after a successful hand-over, never reset().
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace platform::window {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
struct CursorDeleter {
  void operator()(HCURSOR cursor) const noexcept { DestroyCursor(cursor); }
};
struct KernelHandleDeleter {
  void operator()(HANDLE handle) const noexcept {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
struct FindHandleDeleter {
  void operator()(HANDLE handle) const noexcept {
    if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
  }
};

using UniqueHFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueHBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniqueHRgn = std::unique_ptr<std::remove_pointer_t<HRGN>, GdiObjectDeleter>;
using UniqueHBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectDeleter>;
using UniqueHCursor = std::unique_ptr<std::remove_pointer_t<HCURSOR>, CursorDeleter>;
using UniqueHandle = std::unique_ptr<void, KernelHandleDeleter>;
using UniqueFindHandle = std::unique_ptr<void, FindHandleDeleter>;

// A device context from GetDC, released with ReleaseDC for the same window.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

}  // namespace platform::window
