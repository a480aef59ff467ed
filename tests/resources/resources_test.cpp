// Checks the resources linked into this executable: cursor 101, the program icon, the version
// resource and the application manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwctype>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "resource_ids.h"

namespace {

HINSTANCE Self() { return GetModuleHandleW(nullptr); }

struct IconInfo {
  ICONINFO info{};
  IconInfo(const IconInfo&) = delete;
  IconInfo& operator=(const IconInfo&) = delete;
  explicit IconInfo(HICON icon) { ok = GetIconInfo(icon, &info) != FALSE; }
  ~IconInfo() {
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
  }
  bool ok = false;
};

BITMAP BitmapOf(HBITMAP bitmap) {
  BITMAP bm{};
  GetObjectW(bitmap, sizeof bm, &bm);
  return bm;
}

// A monochrome cursor's mask bitmap holds the AND mask in its top half and the XOR image in
// its bottom half; 1 bpp rows padded to 16 bits.
struct MonochromeMask {
  int width = 0;
  int height = 0;
  int stride = 0;
  std::vector<uint8_t> bits;

  explicit MonochromeMask(HBITMAP mask) {
    BITMAP bm = BitmapOf(mask);
    width = bm.bmWidth;
    height = bm.bmHeight / 2;
    stride = bm.bmWidthBytes;
    bits.resize(static_cast<size_t>(stride) * bm.bmHeight);
    GetBitmapBits(mask, static_cast<LONG>(bits.size()), bits.data());
  }
  bool Bit(int x, int y) const { return (bits[y * stride + x / 8] >> (7 - x % 8)) & 1; }
  bool And(int x, int y) const { return Bit(x, y); }
  bool Xor(int x, int y) const { return Bit(x, y + height); }
  bool Opaque(int x, int y) const { return !And(x, y); }
};

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE colorCount;
  BYTE reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytesInRes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
#pragma pack(pop)

std::string_view ResourceBytes(LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(Self(), name, type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(Self(), found);
  if (!loaded) return {};
  return {static_cast<const char*>(LockResource(loaded)), SizeofResource(Self(), found)};
}

TEST(HandCursor, IsATwoColourHandPointingUpWithTheHotSpotAtTheFingertip) {
  ASSERT_NE(LoadCursorW(Self(), MAKEINTRESOURCEW(IDC_HAND_POINTER)), nullptr)
      << "LoadCursorW error " << GetLastError();

  // No size requested and no LR_DEFAULTSIZE: the image comes back at its stored size.
  auto cursor = static_cast<HCURSOR>(
      LoadImageW(Self(), MAKEINTRESOURCEW(IDC_HAND_POINTER), IMAGE_CURSOR, 0, 0, 0));
  ASSERT_NE(cursor, nullptr) << "LoadImageW error " << GetLastError();
  {
    IconInfo info(cursor);
    ASSERT_TRUE(info.ok);
    EXPECT_FALSE(info.info.fIcon);
    EXPECT_EQ(info.info.xHotspot, 5u);
    EXPECT_EQ(info.info.yHotspot, 0u);
    // Two colours: no colour bitmap, just the double-height monochrome mask.
    ASSERT_EQ(info.info.hbmColor, nullptr);
    EXPECT_EQ(BitmapOf(info.info.hbmMask).bmBitsPixel, 1);
    MonochromeMask m(info.info.hbmMask);
    ASSERT_EQ(m.width, 32);
    ASSERT_EQ(m.height, 32);

    int black = 0, white = 0, transparent = 0, inverted = 0;
    int topmost = m.height;
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x) {
        if (m.Opaque(x, y)) {
          (m.Xor(x, y) ? white : black)++;
          if (y < topmost) topmost = y;
        } else {
          (m.Xor(x, y) ? inverted : transparent)++;
        }
      }
    }
    EXPECT_GT(black, 0);
    EXPECT_GT(white, black / 2) << "the hand should be filled, not just outlined";
    EXPECT_GT(transparent, 32 * 32 / 2);
    EXPECT_EQ(inverted, 0) << "screen-inverting pixels do not belong in this cursor";

    // The fingertip is the topmost point of the hand and the hot spot sits on its outline,
    // above the finger's white interior.
    EXPECT_EQ(topmost, 0);
    EXPECT_TRUE(m.Opaque(5, 0));
    EXPECT_FALSE(m.Xor(5, 0)) << "the fingertip is outlined in black";
    EXPECT_TRUE(m.Opaque(5, 3));
    EXPECT_TRUE(m.Xor(5, 3));
    for (auto [x, y] : {std::pair{0, 0}, std::pair{31, 0}, std::pair{0, 31}, std::pair{31, 31}}) {
      EXPECT_FALSE(m.Opaque(x, y)) << "corner " << x << "," << y;
    }
  }
  DestroyCursor(cursor);
}

TEST(ProgramIcon, HoldsSixteenColour32And16PixelImages) {
  std::string_view group = ResourceBytes(MAKEINTRESOURCEW(IDI_QUILLET), RT_GROUP_ICON);
  ASSERT_GE(group.size(), sizeof(GroupIconHeader));
  GroupIconHeader header;
  std::memcpy(&header, group.data(), sizeof header);
  EXPECT_EQ(header.type, 1);
  ASSERT_EQ(header.count, 2);
  ASSERT_GE(group.size(), sizeof header + header.count * sizeof(GroupIconEntry));

  std::set<int> sizes;
  for (int i = 0; i < header.count; ++i) {
    GroupIconEntry entry;
    std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
    sizes.insert(entry.width);
    EXPECT_EQ(entry.width, entry.height);
    EXPECT_EQ(entry.bitCount, 4);
    EXPECT_EQ(entry.colorCount, 16);
  }
  EXPECT_EQ(sizes, (std::set<int>{16, 32}));

  // What the shell and the window manager do: pick the entry for a size, then load it.
  auto* directory = reinterpret_cast<PBYTE>(const_cast<char*>(group.data()));
  std::set<int> ids;
  for (int size : {32, 16}) {
    SCOPED_TRACE(size);
    int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(id, 0);
    ids.insert(id);
    std::string_view image = ResourceBytes(MAKEINTRESOURCEW(id), RT_ICON);
    ASSERT_FALSE(image.empty());
    HICON icon = CreateIconFromResourceEx(reinterpret_cast<PBYTE>(const_cast<char*>(image.data())),
                                          static_cast<DWORD>(image.size()), TRUE, 0x00030000, 0, 0,
                                          LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr);
    {
      IconInfo info(icon);
      ASSERT_TRUE(info.ok);
      EXPECT_TRUE(info.info.fIcon);
      ASSERT_NE(info.info.hbmColor, nullptr);
      BITMAP colour = BitmapOf(info.info.hbmColor);
      EXPECT_EQ(colour.bmWidth, size);
      EXPECT_EQ(colour.bmHeight, size);
    }
    DestroyIcon(icon);
  }
  EXPECT_EQ(ids.size(), 2u) << "each size must have its own image";
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  wchar_t* text = nullptr;
  UINT length = 0;
  std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) ||
      !text) {
    return L"<missing>";
  }
  return std::wstring(text);
}

TEST(VersionResource, ReportsTheProjectVersion) {
  wchar_t path[MAX_PATH];
  ASSERT_NE(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  ASSERT_NE(size, 0u) << "no version resource, error " << GetLastError();
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  constexpr DWORD kMajor = QUILLET_EXPECTED_VERSION_MAJOR;
  constexpr DWORD kMinor = QUILLET_EXPECTED_VERSION_MINOR;
  constexpr DWORD kRevision = QUILLET_EXPECTED_VERSION_PATCH;
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), kMajor);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), kMinor);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), kRevision);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  std::wstring expected =
      std::to_wstring(kMajor) + L"." + std::to_wstring(kMinor) + L"." + std::to_wstring(kRevision);
  EXPECT_EQ(VersionString(block, L"FileVersion"), expected);
  EXPECT_EQ(VersionString(block, L"ProductVersion"), expected);
  EXPECT_EQ(VersionString(block, L"ProductName"), L"Quillet");

  // Tools look the string table up through the translation list.
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
}

TEST(Manifest, AsksForCommonControls6PerMonitorDpiAwarenessAndNoElevation) {
  std::string_view manifest = ResourceBytes(MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_FALSE(manifest.empty()) << "RT_MANIFEST 1 is missing";
  std::string text(manifest);
  EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
  EXPECT_NE(text.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                      "WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"),
            std::string::npos);
  EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(text.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);

  // The loader applied it when the process started: comctl32 is redirected to the version 6
  // side-by-side assembly. (Wine reports every process as DPI aware, so only Windows can fail
  // the DPI checks.)
  EXPECT_TRUE(IsProcessDPIAware());
  EXPECT_EQ(DPI_AWARENESS_PER_MONITOR_AWARE,
            GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()));
  ACTCTX_SECTION_KEYED_DATA redirection{};
  redirection.cbSize = sizeof redirection;
  EXPECT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                       L"comctl32.dll", &redirection))
      << "error " << GetLastError();
  HMODULE comctl = LoadLibraryW(L"comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  wchar_t loaded[MAX_PATH] = {};
  GetModuleFileNameW(comctl, loaded, MAX_PATH);
  std::wstring path = loaded;
  for (auto& c : path) c = static_cast<wchar_t>(towlower(c));
  EXPECT_NE(path.find(L"common-controls"), std::wstring::npos) << "loaded " << loaded;
  EXPECT_NE(path.find(L"_6.0."), std::wstring::npos) << "loaded " << loaded;
  FreeLibrary(comctl);
}

TEST(Manifest, DeclaresLongPathAwarenessAmongTheWindowsSettings) {
  const std::string text(ResourceBytes(MAKEINTRESOURCEW(1), RT_MANIFEST));
  const auto element = text.find(
      "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true"
      "</longPathAware>");
  ASSERT_NE(std::string::npos, element) << text;
  // Between the opening and the closing tag of the settings.
  const auto open = text.rfind("<windowsSettings>", element);
  ASSERT_NE(std::string::npos, open);
  const auto close = text.find("</windowsSettings>", open);
  EXPECT_GT(close, element);
  EXPECT_NE(std::string::npos, close);
}

}  // namespace
