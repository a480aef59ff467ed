#include "support/window_image.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/handles.h"

namespace testing_support {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(Bytes& out, std::string_view type, const Bytes& data) {
  PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks: no compressor needed.
Bytes ZlibStored(const Bytes& raw) {
  Bytes out{0x78, 0x01};
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min<std::size_t>(raw.size() - offset, 65535);
    const bool last = offset + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(~length));
    out.push_back(static_cast<std::uint8_t>(~length >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
               raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
    offset += length;
  } while (offset < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

}  // namespace

WindowImage CaptureWindow(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
  RECT rect{};
  if (!GetWindowRect(hwnd, &rect)) return {};
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  platform::UniqueHBitmap bitmap;
  {
    platform::WindowDC screen(nullptr);
    bitmap.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  }
  const platform::UniqueHdc memory(CreateCompatibleDC(nullptr));
  if (!memory || !bitmap) return {};
  const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
  bool copied = false;
  {
    // The window's surface holds what its controls painted as well.
    const platform::WindowDC source(hwnd);
    copied = BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY) != FALSE;
  }
  // Outside the window's region nothing is painted: white there.
  const platform::UniqueHRgn region(CreateRectRgn(0, 0, 0, 0));
  if (copied && region && GetWindowRgn(hwnd, region.get()) != ERROR) {
    const platform::UniqueHRgn outside(CreateRectRgn(0, 0, width, height));
    CombineRgn(outside.get(), outside.get(), region.get(), RGN_DIFF);
    FillRgn(memory.get(), outside.get(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  GdiFlush();
  SelectObject(memory.get(), old);
  if (!copied) return {};

  WindowImage image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  const auto* pixels = static_cast<const std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      image.pixels.push_back(RGB(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]));
    }
  }
  return image;
}

bool SavePng(const WindowImage& image, const std::wstring& path) {
  if (image.width <= 0 || image.height <= 0) return false;
  // Each row: filter type 0, then R, G, B.
  Bytes raw;
  raw.reserve(static_cast<std::size_t>(image.height) *
              (1 + 3 * static_cast<std::size_t>(image.width)));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < image.width; ++x) {
      const COLORREF pixel = image.At(x, y);
      raw.insert(raw.end(), {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)});
    }
  }
  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBigEndian(header, static_cast<std::uint32_t>(image.width));
  PutBigEndian(header, static_cast<std::uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", ZlibStored(raw));
  PutChunk(png, "IEND", {});

  const platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return WriteFile(file.get(), png.data(), static_cast<DWORD>(png.size()), &written, nullptr) &&
         written == png.size();
}

bool SaveWindowPng(HWND hwnd, const std::wstring& path) {
  return SavePng(CaptureWindow(hwnd), path);
}

}  // namespace testing_support
