// Leaves a picture of the main window for people to look at: loads it over a private
// settings store, copies what it painted into a bitmap and writes that as a BMP file (argument 1).
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "app/frm_main.h"
#include "gui_test_support.h"
#include "listing/app_options.h"
#include "platform/settings_store.h"
#include "support/settings_sandbox.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: screenshot OUTPUT.bmp\n");
    return 2;
  }
  gui_test::KeepDesktopAlive();
  testing_support::SettingsSandbox sandbox;
  // No integration prompt in the picture.
  platform::WriteSetting(OptionsApplicationName(), L"Options", L"DontBother", L"True");
  frmMain form;
  form.Load(L"\"C:\\windows\"");
  gui_test::PumpFor(200);

  RECT rect{};
  GetWindowRect(form.Handle(), &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // White outside the ellipse, so that the shape shows.
  RECT all{0, 0, width, height};
  FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HRGN region = CreateEllipticRgn(0, 0, width, height);
  SelectClipRgn(memory, region);
  // What the window and its controls painted, read back from the window's own surface
  // (this works under Wine's null driver too).
  RedrawWindow(form.Handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
  gui_test::PumpFor(50);
  HDC window = GetDC(form.Handle());
  const BOOL printed = BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY);
  ReleaseDC(form.Handle(), window);
  GdiFlush();
  // Plain GDI leaves the alpha byte 0 while themed controls set it; viewers that find any
  // alpha in a 32-bit BMP would show everything else as transparent.
  auto* pixel = static_cast<unsigned char*>(bits);
  for (long i = 0; i < static_cast<long>(width) * height; ++i) pixel[i * 4 + 3] = 0xFF;

  BITMAPFILEHEADER file{};
  const DWORD imageSize = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + imageSize;
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), imageSize);
  const bool ok = printed && out.good();

  SelectObject(memory, old);
  DeleteObject(region);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::printf("%s %s (%dx%d)\n", ok ? "wrote" : "failed to write", argv[1], width, height);
  return ok ? 0 : 1;
}
