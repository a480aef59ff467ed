// Owning wrappers for every Win32 handle the program holds. Each is a move-only
// std::unique_ptr with the right release call, so that no GDI object, region, cursor, window,
// registry key or kernel handle outlives its owner. A region handed to SetWindowRgn belongs to the
// system: call release() on it after a successful hand-over, never reset().
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <type_traits>

namespace platform {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
// A memory device context from CreateCompatibleDC.
struct MemoryDcDeleter {
  void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};
struct CursorDeleter {
  void operator()(HCURSOR cursor) const noexcept { DestroyCursor(cursor); }
};
struct KernelHandleDeleter {
  void operator()(HANDLE handle) const noexcept {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
struct WindowDeleter {
  void operator()(HWND hwnd) const noexcept { DestroyWindow(hwnd); }
};
// A key opened or created by this program. Never holds a predefined root key
// (HKEY_CURRENT_USER, ...).
struct HKeyDeleter {
  void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
// The block of a WM_DROPFILES message, freed with DragFinish.
struct DropDeleter {
  void operator()(HDROP drop) const noexcept { DragFinish(drop); }
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
using UniqueHdc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;
using UniqueHCursor = std::unique_ptr<std::remove_pointer_t<HCURSOR>, CursorDeleter>;
using UniqueHandle = std::unique_ptr<void, KernelHandleDeleter>;
using UniqueFindHandle = std::unique_ptr<void, FindHandleDeleter>;
using UniqueHwnd = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;
using UniqueHDrop = std::unique_ptr<std::remove_pointer_t<HDROP>, DropDeleter>;
using UniqueHKey = std::unique_ptr<std::remove_pointer_t<HKEY>, HKeyDeleter>;

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

}  // namespace platform
