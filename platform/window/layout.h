// Layout tables: a window and its controls described as constexpr data, in twips, one row per
// control, rows in tab order. The Window base class (window.h) creates everything from them.
//
//   constexpr ControlRow kRows[] = {
//     {.name = L"cmdOK", .kind = ControlKind::Button, .caption = L"&OK",
//      .left = 120, .top = 120, .width = 975, .height = 375, .flags = kDefaultButton},
//   };
//   constexpr FormSpec kForm{.caption = L"Title", .width = 3000, .height = 2000,
//                            .controls = kRows};
//
// A row's position is relative to the window's client area, or to a frame's when `container`
// names that frame's row. Colours are 0x00BBGGRR (see Rgb). Rows of a control array share a
// name and differ in `index`; option buttons of one array form one keyboard group wherever
// their rows stand in the table: the arrow keys move through the array by index and select
// as they go, and Tab enters it at its selected button.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace platform::window {

using Colour = std::uint32_t;
inline constexpr Colour kDefaultColour = 0xFFFFFFFFu;
constexpr Colour Rgb(int red, int green, int blue) {
  return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) |
         (static_cast<Colour>(blue) << 16);
}

enum class ControlKind { Label, TextBox, Button, OptionButton, CheckBox, Frame, PictureBox };

enum ControlFlag : unsigned {
  kHidden = 1u << 0,
  kDisabled = 1u << 1,
  kDefaultButton = 1u << 2,  // pressed by Enter
  kCancelButton = 1u << 3,   // pressed by Escape
  kCentred = 1u << 4,        // text centred (labels)
  kTransparent = 1u << 5,    // labels: only the text is painted, what lies under shows
  kChecked = 1u << 6,        // option buttons and check boxes
  kMultiLine = 1u << 7,      // buttons, check boxes, option buttons: the caption wraps
};

// The family a face belongs to: where the face is missing, the system picks another of the
// same family (a serif for a serif).
enum class FontFamily { Any, Roman };

struct FontSpec {
  std::wstring_view face{};  // empty: the window's font
  double points = 0;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  FontFamily family = FontFamily::Any;
};

inline constexpr int kNoContainer = -1;
inline constexpr int kNoIndex = -1;

struct ControlRow {
  std::wstring_view name{};
  int index = kNoIndex;  // element index within a control array
  ControlKind kind = ControlKind::Label;
  std::wstring_view caption{};
  int left = 0;  // twips
  int top = 0;
  int width = 0;
  int height = 0;
  int container = kNoContainer;  // row of the frame that holds this control
  unsigned flags = 0;
  FontSpec font{};
  Colour foreColour = kDefaultColour;
  Colour backColour = kDefaultColour;
};

enum class BorderStyle {
  None,        // no border, no title bar (shape and move it yourself)
  FixedSingle  // title bar with a close box, not resizable
};

struct FormSpec {
  std::wstring_view caption{};
  int width = 0;  // client area, twips
  int height = 0;
  BorderStyle border = BorderStyle::None;
  Colour backColour = kDefaultColour;
  FontSpec font{.face = L"MS Sans Serif", .points = 8.25};
  int iconId = 0;  // resource id of the window's icon; 0 for none
  bool centreOnScreen = true;
  std::span<const ControlRow> controls{};
};

}  // namespace platform::window
