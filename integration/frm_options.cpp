#include "integration/frm_options.h"

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

#include "chrome/form_functions.h"
#include "integration/explorer_integration.h"
#include "integration/frm_integrate.h"
#include "integration/save_options_reported.h"
#include "listing/app_options.h"
#include "listing/browse_for_folder.h"
#include "listing/number_text.h"
#include "platform/system_error.h"

namespace {

using namespace platform::window;

constexpr ControlRow kRows[] = {
    {.name = L"chkOption",
     .index = 0,
     .kind = ControlKind::CheckBox,
     .caption = L"Use Default Destination Directory",
     .left = 1680,
     .top = 720,
     .width = 2775,
     .height = 375},
    {.name = L"txtDefaultDestDir",
     .kind = ControlKind::TextBox,
     .caption = L"Text1",
     .left = 1800,
     .top = 1080,
     .width = 3135,
     .height = 285},
    {.name = L"cmdBrowse",
     .kind = ControlKind::Button,
     .caption = L"&Browse",
     .left = 5040,
     .top = 1080,
     .width = 735,
     .height = 255},
    {.name = L"chkOption",
     .index = 1,
     .kind = ControlKind::CheckBox,
     .caption = L"Print File Size",
     .left = 1680,
     .top = 1440,
     .width = 1455,
     .height = 375},
    {.name = L"chkOption",
     .index = 2,
     .kind = ControlKind::CheckBox,
     .caption = L"Print Date/Time Stamp",
     .left = 1680,
     .top = 1800,
     .width = 2175,
     .height = 375},
    {.name = L"chkOption",
     .index = 3,
     .kind = ControlKind::CheckBox,
     .caption = L"Integrate With Windows Explorer (enable Right-Click on Folders)",
     .left = 1680,
     .top = 2160,
     .width = 2775,
     .height = 495,
     .flags = kMultiLine},
    {.name = L"optPrintStyle",
     .index = 0,
     .kind = ControlKind::OptionButton,
     .caption = L"Print Extra File Info On Extra Line ",
     .left = 120,
     .top = 360,
     .width = 2655,
     .height = 255,
     .container = frmOptions::fraPrintStyle},
    {.name = L"optPrintStyle",
     .index = 1,
     .kind = ControlKind::OptionButton,
     .caption = L"Print On Same LIne (Specify Spaxes Between File Name and Extra Info",
     .left = 120,
     .top = 720,
     .width = 3135,
     .height = 495,
     .container = frmOptions::fraPrintStyle,
     .flags = kMultiLine},
    {.name = L"txtNoSpace",
     .kind = ControlKind::TextBox,
     .caption = L"",
     .left = 3960,
     .top = 720,
     .width = 615,
     .height = 285,
     .container = frmOptions::fraPrintStyle},
    {.name = L"optPrintStyle",
     .index = 2,
     .kind = ControlKind::OptionButton,
     .caption = L"Right Justify Extra File Info. (Specify Max. Width). If not long enough will "
                L"print on new line.",
     .left = 120,
     .top = 1200,
     .width = 3855,
     .height = 615,
     .container = frmOptions::fraPrintStyle,
     .flags = kMultiLine},
    {.name = L"txtMaxWidth",
     .kind = ControlKind::TextBox,
     .caption = L"",
     .left = 3960,
     .top = 1440,
     .width = 615,
     .height = 285,
     .container = frmOptions::fraPrintStyle},
    // Not the default button: Enter in a box does not confirm the dialog.
    {.name = L"cmdOk",
     .kind = ControlKind::Button,
     .caption = L"&O.k.",
     .left = 2280,
     .top = 4800,
     .width = 975,
     .height = 375},
    {.name = L"cmdCancel",
     .kind = ControlKind::Button,
     .caption = L"&Cancel",
     .left = 3360,
     .top = 4800,
     .width = 975,
     .height = 375,
     .flags = kCancelButton},
    {.name = L"Label1",
     .kind = ControlKind::Label,
     .caption = L"Options",
     .left = 2760,
     .top = 360,
     .width = 1095,
     .height = 255,
     .flags = kTransparent,
     .font = {.face = L"Fixedsys", .points = 9, .bold = true}},
    {.name = L"fraPrintStyle",
     .kind = ControlKind::Frame,
     .caption = L"Print Style",
     .left = 960,
     .top = 2760,
     .width = 4815,
     .height = 1935},
};

// The enum and the table must name the same rows.
static_assert(kRows[frmOptions::chkOption3].name == L"chkOption" &&
              kRows[frmOptions::chkOption3].index == 3);
static_assert(kRows[frmOptions::optPrintStyle2].name == L"optPrintStyle" &&
              kRows[frmOptions::optPrintStyle2].index == 2);
static_assert(kRows[frmOptions::txtMaxWidth].name == L"txtMaxWidth");
static_assert(kRows[frmOptions::cmdCancel].name == L"cmdCancel");
static_assert(kRows[frmOptions::Label1].name == L"Label1");
static_assert(std::size(kRows) == frmOptions::fraPrintStyle + 1);

// The caption is never shown: the window has no title bar. No back colour: the system's
// dialog colours.
constexpr FormSpec kForm{
    .caption = L"Form1",
    .width = 6915,
    .height = 5715,
    .border = BorderStyle::None,
    .centreOnScreen = true,
    .controls = kRows,
};

constexpr frmOptions::Row kCheckBoxRows[] = {frmOptions::chkOption0, frmOptions::chkOption1,
                                             frmOptions::chkOption2, frmOptions::chkOption3};
constexpr frmOptions::Row kPrintStyleRows[] = {
    frmOptions::optPrintStyle0, frmOptions::optPrintStyle1, frmOptions::optPrintStyle2};

constexpr wchar_t kSpacesNotNumeric[] =
    L"Number Of Spaces Between File Name And Extra File Info Has To Be Numberic";
constexpr wchar_t kWidthNotNumeric[] = L"Maximum Width Has To Be Numberic";
// The two fields hold 16-bit numbers.
constexpr wchar_t kSpacesOutOfRange[] =
    L"Number Of Spaces Between File Name And Extra File Info Has To Be Between -32768 And 32767";
constexpr wchar_t kWidthOutOfRange[] = L"Maximum Width Has To Be Between -32768 And 32767";

}  // namespace

frmOptions::frmOptions(HWND outputPathBox) : Window(kForm), outputPathBox_(outputPathBox) {}

frmOptions::~frmOptions() {
  // While this class still exists, so that Form_Unload runs as the window goes.
  Destroy();
}

void frmOptions::Load(HWND owner) {
  Create(owner);
  try {
    CentreOver(owner);
  } catch (...) {
    Destroy();
    throw;
  }
  Form_Load();
}

void frmOptions::Form_Load() {
  ShapeFormAsEllipse(*this);
  WindowMover.SetForm(this);
  // Whatever was changed in memory since the last save gives way to the stored values; the
  // Explorer box shows what Explorer's menus hold.
  LoadOptionsFollowingRegistry();
  SetText(txtDefaultDestDir, AppOptions.DefaultDir);
  SetCheckBox(0, AppOptions.UseDefaultDir);
  SetEnabled(txtDefaultDestDir, AppOptions.UseDefaultDir);
  SetEnabled(cmdBrowse, AppOptions.UseDefaultDir);
  SetCheckBox(1, AppOptions.PrintFileSize);
  SetCheckBox(2, AppOptions.PrintDateTime);
  SetText(txtNoSpace, std::to_wstring(AppOptions.NoSpacesSeperate));
  SetText(txtMaxWidth, std::to_wstring(AppOptions.MaxWidth));
  // A stored style that names no option button selects none; O.k. then keeps it.
  const int style = AppOptions.PrintStyle;
  if (style >= 0 && style < static_cast<int>(std::size(kPrintStyleRows))) {
    SetValue(kPrintStyleRows[style], true);
  }
  SetCheckBox(3, AppOptions.Registered);
  // Last: setting the Explorer box above counts as a click on it.
  integrationChanged_ = false;
}

void frmOptions::SetCheckBox(int index, bool checked) {
  const Row row = kCheckBoxRows[index];
  if (Value(row) == checked) return;
  SetValue(row, checked);
  chkOption_Click(index);
}

void frmOptions::Unload() { Destroy(); }

void frmOptions::OnDestroy() { Form_Unload(); }

void frmOptions::Form_Unload() { WindowMover.SetForm(nullptr); }

void frmOptions::OnClick(int row) {
  switch (row) {
    case chkOption0:
    case chkOption1:
    case chkOption2:
    case chkOption3:
      chkOption_Click(kRows[row].index);
      break;
    case cmdBrowse:
      cmdBrowse_Click();
      break;
    case cmdOk:
      cmdOk_Click();
      break;
    case cmdCancel:
      cmdCancel_Click();
      break;
    default:
      break;
  }
}

void frmOptions::chkOption_Click(int index) {
  const bool checked = Value(kCheckBoxRows[index]);
  switch (index) {
    case 0:
      AppOptions.UseDefaultDir = checked;
      SetEnabled(txtDefaultDestDir, checked);
      SetEnabled(cmdBrowse, checked);
      break;
    case 1:
      AppOptions.PrintFileSize = checked;
      break;
    case 2:
      AppOptions.PrintDateTime = checked;
      break;
    case 3:
      // Any click, on or off, makes O.k. bring the registry in line with the box.
      integrationChanged_ = true;
      AppOptions.Registered = checked;
      break;
    default:
      break;
  }
}

void frmOptions::cmdBrowse_Click() {
  const NativeString folder = BrowseForFolder(Handle(), L"Select a folder", L"Cancel");
  if (folder == L"Cancel") return;
  SetText(txtDefaultDestDir, folder + kDefaultListingFileName);
}

void frmOptions::Refuse(Row field, const wchar_t* text, const wchar_t* title) {
  MessageBoxW(Handle(), text, title, MB_OK | MB_ICONEXCLAMATION);
  // Back to the number that was refused, ready to be typed over.
  FocusControl(field);
}

void frmOptions::cmdOk_Click() {
  const std::wstring spacesText = Text(txtNoSpace);
  const std::wstring widthText = Text(txtMaxWidth);
  if (!IsNumericText(spacesText)) return Refuse(txtNoSpace, kSpacesNotNumeric, kNumberBoxTitle);
  if (!IsNumericText(widthText)) return Refuse(txtMaxWidth, kWidthNotNumeric, kNumberBoxTitle);
  const std::optional<std::int16_t> spaces = NumericTextToInt16(spacesText);
  if (!spaces) return Refuse(txtNoSpace, kSpacesOutOfRange, kRangeBoxTitle);
  const std::optional<std::int16_t> width = NumericTextToInt16(widthText);
  if (!width) return Refuse(txtMaxWidth, kWidthOutOfRange, kRangeBoxTitle);

  AppOptions.DefaultDir = Text(txtDefaultDestDir);
  AppOptions.NoSpacesSeperate = *spaces;
  AppOptions.MaxWidth = *width;
  for (std::size_t index = 0; index < std::size(kPrintStyleRows); ++index) {
    if (Value(kPrintStyleRows[index])) AppOptions.PrintStyle = static_cast<std::int16_t>(index);
  }
  // A refusal is reported; the dialog still closes and the record in memory keeps the values.
  SaveOptionsReported(Handle());
  if (AppOptions.UseDefaultDir && outputPathBox_) {
    if (!SetWindowTextW(outputPathBox_, AppOptions.DefaultDir.c_str())) platform::ThrowLastError();
  }
  if (integrationChanged_) {
    if (!AppOptions.Registered) {
      RemoveExplorerIntegration();
    } else if (!AddExplorerIntegration()) {
      // The store must not claim a command that is not there.
      AppOptions.Registered = false;
      SaveOptionsReported(Handle());
      ShowIntegrationFailedBox(Handle());
    }
  }
  Unload();
}

void frmOptions::cmdCancel_Click() {
  // Check-box changes are already in AppOptions and stay there, unsaved.
  Unload();
}

void frmOptions::OnMouseDown(int button, int shift, float x, float y) {
  Form_MouseDown(button, shift, x, y);
}

void frmOptions::OnMouseMove(int button, int shift, float x, float y) {
  Form_MouseMove(button, shift, x, y);
}

void frmOptions::OnMouseUp(int button, int shift, float x, float y) {
  Form_MouseUp(button, shift, x, y);
}

// Any mouse button drags.
void frmOptions::Form_MouseDown(int /*button*/, int /*shift*/, float x, float y) {
  WindowMover.HandleMouseDown(x, y);
}

void frmOptions::Form_MouseMove(int /*button*/, int /*shift*/, float x, float y) {
  WindowMover.HandleMouseMove(x, y);
}

void frmOptions::Form_MouseUp(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
  WindowMover.HandleMouseUp();
}
