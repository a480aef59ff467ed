#include "about/frm_about.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "about/developer_info.h"
#include "about/internet_functions.h"
#include "about/internet_functions_declarations.h"
#include "chrome/form_functions.h"
#include "platform/system_error.h"
#include "platform/window/twips.h"

namespace {

using namespace platform::window;

constexpr Colour kTeal = Rgb(0, 128, 128);
constexpr int kHandPointerId = 101;  // IDC_HAND_POINTER in the program's resources
// The web page opens in a normal window: a browser started hidden shows the user nothing.
constexpr std::int32_t kWebPageWindowStyle = SW_SHOWNORMAL;
constexpr wchar_t kMailSubject[] = L"RE: Skerry";

// Joins two string literals at compile time, for captions built from build settings.
template <std::size_t N, std::size_t M>
constexpr std::array<wchar_t, N + M - 1> Join(const wchar_t (&first)[N],
                                              const wchar_t (&second)[M]) {
  std::array<wchar_t, N + M - 1> joined{};
  for (std::size_t i = 0; i + 1 < N; ++i) joined[i] = first[i];
  for (std::size_t i = 0; i < M; ++i) joined[N - 1 + i] = second[i];
  return joined;
}
constexpr auto kDeveloperLine = Join(L"Delveloper:  ", kDeveloperName);

constexpr wchar_t kNote[] =
    L"Please report any bugs or additional features that you think should be included with "
    L"this program and I shall do my best.  Thank you for using my program.";

constexpr ControlRow kRows[] = {
    {.name = L"lblLabel",
     .index = 0,
     .kind = ControlKind::Label,
     .caption = L"Quillet",
     .left = 1440,
     .top = 360,
     .width = 3255,
     .height = 495,
     .flags = kCentred | kTransparent,
     .font = {.face = L"Snap ITC", .points = 14.25},
     .foreColour = Rgb(0, 255, 255)},
    {.name = L"lblLabel",
     .index = 1,
     .kind = ControlKind::Label,
     .caption = L"Version ",
     .left = 1320,
     .top = 840,
     .width = 3375,
     .height = 375,
     .flags = kCentred | kTransparent,
     .font = {.face = L"Times New Roman", .points = 12, .bold = true, .family = FontFamily::Roman},
     .foreColour = Rgb(255, 0, 0)},
    {.name = L"cmdOk",
     .kind = ControlKind::Button,
     .caption = L"&O.k.",
     .left = 2400,
     .top = 3480,
     .width = 975,
     .height = 375,
     .flags = kDefaultButton | kCancelButton},
    {.name = L"lblLabel",
     .index = 2,
     .kind = ControlKind::Label,
     .caption = std::wstring_view(kDeveloperLine.data(), kDeveloperLine.size() - 1),
     .left = 1320,
     .top = 1200,
     .width = 2895,
     .height = 375,
     .flags = kCentred | kTransparent,
     .font = {.face = L"Times New Roman", .points = 12, .bold = true, .family = FontFamily::Roman},
     .foreColour = Rgb(0, 255, 0)},
    {.name = L"lblLabel",
     .index = 3,
     .kind = ControlKind::Label,
     .caption = kNote,
     .left = 1080,
     .top = 2520,
     .width = 4215,
     .height = 855,
     .flags = kTransparent,
     .font = {.face = L"MS Sans Serif", .points = 8.25, .bold = true},
     .foreColour = Rgb(255, 255, 255)},
    {.name = L"lblEmail",
     .kind = ControlKind::Label,
     .caption = kDeveloperEmail,
     .left = 1320,
     .top = 1560,
     .width = 3015,
     .height = 375,
     .flags = kCentred | kTransparent,
     .font = {.face = L"Arial", .points = 12, .bold = true},
     .foreColour = frmAbout::kLinkResting},
    {.name = L"lblWebAddress",
     .kind = ControlKind::Label,
     .caption = kDeveloperWebPage,
     .left = 960,
     .top = 1920,
     .width = 4095,
     .height = 375,
     .flags = kCentred | kTransparent,
     .font = {.face = L"Arial", .points = 12, .bold = true},
     .foreColour = frmAbout::kLinkResting},
    // Never shown: the two hit rectangles of the links, moved onto them at load.
    {.name = L"picEmail",
     .kind = ControlKind::PictureBox,
     .caption = L"",
     .left = 480,
     .top = 720,
     .width = 495,
     .height = 255,
     .flags = kHidden},
    {.name = L"picWebSite",
     .kind = ControlKind::PictureBox,
     .caption = L"",
     .left = 480,
     .top = 360,
     .width = 495,
     .height = 255,
     .flags = kHidden},
};

// The enum and the table must name the same rows.
static_assert(kRows[frmAbout::cmdOk].name == L"cmdOk");
static_assert(kRows[frmAbout::lblLabel3].name == L"lblLabel" &&
              kRows[frmAbout::lblLabel3].index == 3);
static_assert(kRows[frmAbout::lblEmail].name == L"lblEmail");
static_assert(kRows[frmAbout::lblWebAddress].name == L"lblWebAddress");
static_assert(kRows[frmAbout::picWebSite].name == L"picWebSite");
static_assert(std::size(kRows) == frmAbout::picWebSite + 1);

constexpr FormSpec kForm{
    .caption = L"About",
    .width = 6045,
    .height = 4080,
    .border = BorderStyle::None,
    .backColour = kTeal,
    .iconId = 0,
    .centreOnScreen = true,
    .controls = kRows,
};

struct LinkRows {
  frmAbout::Row label;
  frmAbout::Row hitRect;
};
constexpr LinkRows kLinks[2] = {{frmAbout::lblEmail, frmAbout::picEmail},
                                {frmAbout::lblWebAddress, frmAbout::picWebSite}};

HCURSOR LoadProgramCursor(int resourceId) {
  return static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                         IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
}

frmAbout::CursorLoader cursorLoader = &LoadProgramCursor;

platform::UniqueHCursor LoadHandPointer() {
  platform::UniqueHCursor cursor(cursorLoader(kHandPointerId));
  if (!cursor) platform::ThrowLastError();
  return cursor;
}

// Major.Minor.Revision from the program's own version resource, in plain decimal. The
// resource is read in place rather than through VERSION.dll: a DLL of that name planted
// beside the program would otherwise be loaded into it.
std::wstring ProgramVersionNumbers() {
  const auto missing = [] {
    return platform::SystemError(ERROR_RESOURCE_TYPE_NOT_FOUND,
                                 platform::ErrorDescription(ERROR_RESOURCE_TYPE_NOT_FOUND));
  };
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  if (!found) platform::ThrowLastError();
  HGLOBAL loaded = LoadResource(nullptr, found);
  const auto* bytes = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  if (!bytes) platform::ThrowLastError();
  const DWORD size = SizeofResource(nullptr, found);

  // VS_VERSIONINFO: wLength, wValueLength, wType, the key L"VS_VERSION_INFO", padding to a
  // 32-bit boundary, then the VS_FIXEDFILEINFO value.
  constexpr wchar_t kKey[] = L"VS_VERSION_INFO";
  constexpr std::size_t kKeyOffset = 3 * sizeof(WORD);
  constexpr std::size_t kValueOffset = (kKeyOffset + sizeof kKey + 3) & ~std::size_t{3};
  if (size < kValueOffset + sizeof(VS_FIXEDFILEINFO)) throw missing();
  WORD valueLength = 0;
  std::memcpy(&valueLength, bytes + sizeof(WORD), sizeof valueLength);
  if (valueLength < sizeof(VS_FIXEDFILEINFO) ||
      std::memcmp(bytes + kKeyOffset, kKey, sizeof kKey) != 0) {
    throw missing();
  }
  VS_FIXEDFILEINFO info{};
  std::memcpy(&info, bytes + kValueOffset, sizeof info);
  if (info.dwSignature != VS_FFI_SIGNATURE) throw missing();
  // The resource's file version is Major, Minor, Revision, 0.
  return std::to_wstring(HIWORD(info.dwFileVersionMS)) + L"." +
         std::to_wstring(LOWORD(info.dwFileVersionMS)) + L"." +
         std::to_wstring(HIWORD(info.dwFileVersionLS));
}

std::int16_t LabelIndex(int row) { return static_cast<std::int16_t>(kRows[row].index); }

bool IsStaticLabel(int row) {
  return row >= 0 && row < static_cast<int>(std::size(kRows)) && kRows[row].name == L"lblLabel";
}

}  // namespace

frmAbout::frmAbout()
    : Window(kForm),
      tmrLink{{*this, kLinkTimerIds[kEmailLink], false, lblEmail, picEmail, kLinkResting,
               kLinkHighlighted},
              {*this, kLinkTimerIds[kWebLink], false, lblWebAddress, picWebSite, kLinkResting,
               kLinkHighlighted}} {}

frmAbout::~frmAbout() {
  // While this class still exists, so that Form_Unload runs as the window goes.
  Destroy();
}

void frmAbout::ReplaceCursorLoader(CursorLoader loader) {
  cursorLoader = loader ? loader : &LoadProgramCursor;
}

void frmAbout::Load(HWND owner) {
  Create(owner);
  try {
    CentreOver(owner);
    AddToolTips();
  } catch (...) {
    Destroy();
    throw;
  }
  Form_Load();
}

void frmAbout::AddToolTips() {
  static const bool registered = [] {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  if (!registered) platform::ThrowLastError();
  toolTips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
  if (!toolTips_) platform::ThrowLastError();
  const struct {
    Row row;
    const wchar_t* text;
  } tips[] = {{lblEmail, L"Click Here To E-Mail"}, {lblWebAddress, L"Click Here To Go To Webpage"}};
  for (const auto& tip : tips) {
    TOOLINFOW tool{};
    // The version 2 layout: accepted by every version of the common controls.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Control(tip.row));
    tool.lpszText = const_cast<wchar_t*>(tip.text);
    if (!SendMessageW(toolTips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
      throw platform::SystemError(ERROR_CANNOT_MAKE, L"The tool tip could not be added.");
    }
  }
}

void frmAbout::Form_Load() {
  failedSteps_ = 0;
  auto step = [this](LoadStep number, auto&& body) {
    try {
      body();
    } catch (const std::exception&) {
      // A failing step is skipped and loading goes on; the box works without it (a
      // rectangular window, or links without the hand pointer).
      failedSteps_ |= 1u << number;
    }
  };
  step(kShapeStep, [this] { ShapeFormAsEllipse(*this); });
  step(kMoverStep, [this] { WindowMover.SetForm(this); });
  step(kVersionStep, [this] { SetText(lblLabel1, L"Version " + ProgramVersionNumbers()); });
  step(kEmailHitRectStep, [this] { MoveControl(picEmail, ControlRect(lblEmail)); });
  step(kEmailIconStep, [this] { mouseIcon_[kEmailLink] = LoadHandPointer(); });
  step(kWebHitRectStep, [this] { MoveControl(picWebSite, ControlRect(lblWebAddress)); });
  step(kWebIconStep, [this] { mouseIcon_[kWebLink] = LoadHandPointer(); });
}

bool frmAbout::LoadStepFailed(LoadStep step) const noexcept {
  return (failedSteps_ & (1u << step)) != 0;
}

void frmAbout::Unload() { Destroy(); }

void frmAbout::OnDestroy() { Form_Unload(); }

void frmAbout::Form_Unload() {
  // A cursor still on the screen must not be destroyed under the pointer.
  const HCURSOR shown = GetCursor();
  if (shown && (shown == mouseIcon_[kWebLink].get() || shown == mouseIcon_[kEmailLink].get())) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  }
  mouseIcon_[kWebLink].reset();
  mouseIcon_[kEmailLink].reset();
  WindowMover.SetForm(nullptr);
  toolTips_.reset();
  capturingLabel_ = -1;
}

void frmAbout::OnClick(int row) {
  switch (row) {
    case cmdOk:
      cmdOk_Click();
      break;
    case lblEmail:
      lblEmail_Click();
      break;
    case lblWebAddress:
      lblWebAddress_Click();
      break;
    default:
      break;
  }
}

void frmAbout::cmdOk_Click() { Unload(); }

void frmAbout::OnMouseDown(int /*button*/, int /*shift*/, float x, float y) {
  Form_MouseDown(x, y);
}

void frmAbout::OnMouseMove(int /*button*/, int /*shift*/, float x, float y) {
  if (capturingLabel_ >= 0 && GetCapture() == Handle()) {
    const TwipsRect label = ControlRect(capturingLabel_);
    lblLabel_MouseMove(LabelIndex(capturingLabel_), x - static_cast<float>(label.left),
                       y - static_cast<float>(label.top));
    return;
  }
  Form_MouseMove(x, y);
}

void frmAbout::OnMouseUp(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
  if (capturingLabel_ >= 0) {
    const int row = capturingLabel_;
    capturingLabel_ = -1;
    lblLabel_MouseUp(LabelIndex(row));
    return;
  }
  Form_MouseUp();
}

// Presses and releases on the four static labels start and end a drag, as on the background.
void frmAbout::OnControlMouseDown(int row, int /*button*/, int /*shift*/, float x, float y) {
  if (!IsStaticLabel(row)) return;
  capturingLabel_ = row;
  lblLabel_MouseDown(LabelIndex(row), x, y);
}

void frmAbout::OnControlMouseMove(int row, int /*button*/, int /*shift*/, float x, float y) {
  if (IsStaticLabel(row)) {
    lblLabel_MouseMove(LabelIndex(row), x, y);
  } else if (row == lblEmail) {
    lblEmail_MouseMove();
  } else if (row == lblWebAddress) {
    lblWebAddress_MouseMove();
  }
}

void frmAbout::OnControlMouseUp(int row, int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
  if (!IsStaticLabel(row)) return;
  capturingLabel_ = -1;
  lblLabel_MouseUp(LabelIndex(row));
}

void frmAbout::Form_MouseDown(float x, float y) { WindowMover.HandleMouseDown(x, y); }
void frmAbout::Form_MouseMove(float x, float y) { WindowMover.HandleMouseMove(x, y); }
void frmAbout::Form_MouseUp() { WindowMover.HandleMouseUp(); }

void frmAbout::lblLabel_MouseDown(std::int16_t /*index*/, float x, float y) {
  WindowMover.HandleMouseDown(x, y);
}
void frmAbout::lblLabel_MouseMove(std::int16_t /*index*/, float x, float y) {
  WindowMover.HandleMouseMove(x, y);
}
void frmAbout::lblLabel_MouseUp(std::int16_t /*index*/) { WindowMover.HandleMouseUp(); }

void frmAbout::lblEmail_MouseMove() { HighlightLink(kEmailLink); }
void frmAbout::lblWebAddress_MouseMove() { HighlightLink(kWebLink); }

bool frmAbout::LinkHighlighted(Link link) const { return tmrLink[link].Highlighted(); }

// The pointer is over the label: the hand shows at once, not at the next move.
void frmAbout::HighlightLink(Link link) { tmrLink[link].Highlight(mouseIcon_[link].get()); }

HCURSOR frmAbout::CursorFor(int row) {
  for (const Link link : {kEmailLink, kWebLink}) {
    if (row == kLinks[link].label && tmrLink[link].PointerCustom()) {
      return mouseIcon_[link].get();  // none loaded: the default arrow
    }
  }
  return nullptr;
}

void frmAbout::OnTimer(UINT_PTR id) {
  for (const Link link : {kEmailLink, kWebLink}) {
    if (id == kLinkTimerIds[link]) tmrLink_Timer(static_cast<std::int16_t>(link));
  }
}

// Ends a link's highlight once the pointer has left its hit rectangle.
void frmAbout::tmrLink_Timer(std::int16_t index) {
  if (index != kEmailLink && index != kWebLink) return;
  tmrLink[index].Tick();
}

void frmAbout::lblEmail_Click() {
  // A new message to the address shown, with a fixed subject. Nothing is escaped: the mail
  // client gets the text as built.
  const std::wstring command = L"mailto:" + Text(lblEmail) + L"?Subject=" + kMailSubject;
  // The status is not examined: a missing mail client is the desktop's business.
  static_cast<void>(ShellExecuteOpen(Handle(), command, SW_SHOWNORMAL));
}

void frmAbout::lblWebAddress_Click() {
  // The stored address, not the caption; the status is not examined.
  static_cast<void>(OpenWebPage(kDeveloperWebPage, kWebPageWindowStyle));
}
