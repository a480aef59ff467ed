#include "platform/window/window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "platform/native_text.h"
#include "platform/system_error.h"
#include "platform/window/dpi.h"
#include "platform/window/message_loop.h"
#include "platform/window/timer.h"
#include "platform/window/twips.h"

namespace platform::window {
namespace {

constexpr wchar_t kClassName[] = L"QuilletFormWindow";

// SetWindowTheme from uxtheme.dll in the system folder, loaded at run time: uxtheme.dll is not
// one of Windows' known DLLs, so a static import would be looked for beside the program first.
// The library stays loaded for the life of the process. Without it there are no visual
// styles, so there is nothing to turn off: the result is then nullptr.
using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
SetWindowThemeFunction SystemSetWindowTheme() {
  static const SetWindowThemeFunction function = []() -> SetWindowThemeFunction {
    HMODULE library = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library) return nullptr;
    return reinterpret_cast<SetWindowThemeFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "SetWindowTheme")));
  }();
  return function;
}

ATOM RegisterFormClass(WNDPROC procedure) {
  static const ATOM atom = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass);
  }();
  if (atom == 0) platform::ThrowLastError();
  return atom;
}

int MouseButtons(WPARAM keys) {
  int buttons = 0;
  if (keys & MK_LBUTTON) buttons |= kLeftButton;
  if (keys & MK_RBUTTON) buttons |= kRightButton;
  if (keys & MK_MBUTTON) buttons |= kMiddleButton;
  return buttons;
}

int ShiftState(WPARAM keys) {
  int shift = 0;
  if (keys & MK_SHIFT) shift |= kShiftKey;
  if (keys & MK_CONTROL) shift |= kCtrlKey;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltKey;
  return shift;
}

int MouseButtonOf(UINT message) {
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return kRightButton;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return kMiddleButton;
    default:
      return kLeftButton;
  }
}

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

}  // namespace

bool IsFrameworkWindow(HWND hwnd) {
  wchar_t name[64] = {};
  return hwnd && GetClassNameW(hwnd, name, 64) > 0 && std::wstring_view(name) == kClassName &&
         GetAncestor(hwnd, GA_ROOT) == hwnd;
}

Window::Window(const FormSpec& form) : form_(form) {}

Window::~Window() {
  // The derived parts are gone by now: the messages of the destruction reach this class's
  // own (empty) handlers.
  Destroy();
}

const ControlRow& Window::Row(int row) const {
  if (row < 0 || row >= static_cast<int>(form_.controls.size())) {
    throw std::out_of_range("no such control row");
  }
  return form_.controls[static_cast<std::size_t>(row)];
}

HWND Window::Control(int row) const {
  Row(row);
  if (!hwnd_) throw std::logic_error("window not created");
  return controls_[static_cast<std::size_t>(row)].hwnd;
}

int Window::RowOf(HWND control) const noexcept {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (control && controls_[i].hwnd == control) return static_cast<int>(i);
  }
  return -1;
}

int Window::FindRow(unsigned flag) const noexcept {
  for (std::size_t i = 0; i < form_.controls.size(); ++i) {
    if (form_.controls[i].flags & flag) return static_cast<int>(i);
  }
  return -1;
}

void Window::Create(HWND owner) {
  if (hwnd_) return;
  const ATOM atom = RegisterFormClass(&Window::WindowProc);
  // No WS_CLIPCHILDREN: the window's back colour is painted under every control first, since
  // frames, transparent labels and option buttons do not paint all of their own area.
  DWORD style = 0;
  DWORD exStyle = 0;
  if (form_.border == BorderStyle::None) {
    // The system menu and minimise box give the taskbar button its Close and Minimise.
    style |= WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
  } else {
    style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
    exStyle |= WS_EX_DLGMODALFRAME;
  }
  // Made at the owner's DPI, or the system's; laid out again below at its own monitor's.
  dpi_ = owner ? WindowDpi(owner) : SystemDpi();
  RECT rect{0, 0, TwipsToPixels(form_.width, dpi_), TwipsToPixels(form_.height, dpi_)};
  AdjustWindowRectAtDpi(rect, style, exStyle, dpi_);
  if (form_.backColour != kDefaultColour) {
    backBrush_.reset(CreateSolidBrush(form_.backColour));
    if (!backBrush_) platform::ThrowLastError();
  }
  const std::wstring caption(form_.caption);
  // WM_NCCREATE binds hwnd_; a failure below leaves the window to be destroyed.
  if (!CreateWindowExW(exStyle, MAKEINTATOM(atom), caption.c_str(), style, CW_USEDEFAULT,
                       CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top, owner,
                       nullptr, GetModuleHandleW(nullptr), this)) {
    hwnd_ = nullptr;
    platform::ThrowLastError();
  }
  try {
    dpi_ = WindowDpi(hwnd_);
    SizeToForm(nullptr);
    if (form_.centreOnScreen) {
      RECT outer{};
      if (!GetWindowRect(hwnd_, &outer)) platform::ThrowLastError();
      const POINT centred{(GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2,
                          (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2};
      if (!SetWindowPos(hwnd_, nullptr, centred.x, centred.y, 0, 0,
                        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        platform::ThrowLastError();
      }
    }
    SetIcons();
    CreateControls();
    StartTimers();
  } catch (...) {
    Destroy();
    throw;
  }
}

HFONT Window::FontFor(const FontSpec& wanted) {
  const std::wstring face(wanted.face.empty() ? form_.font.face : wanted.face);
  const double points = wanted.face.empty() ? form_.font.points : wanted.points;
  const int height = -RoundHalfEven(points * dpi_ / 72.0);
  for (const CachedFont& cached : fonts_) {
    if (cached.face == face && cached.height == height && cached.bold == wanted.bold &&
        cached.italic == wanted.italic && cached.underline == wanted.underline &&
        cached.family == wanted.family) {
      return cached.font.get();
    }
  }
  const BYTE family = wanted.family == FontFamily::Roman ? FF_ROMAN : FF_DONTCARE;
  UniqueHFont font(CreateFontW(height, 0, 0, 0, wanted.bold ? FW_BOLD : FW_NORMAL, wanted.italic,
                               wanted.underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | family,
                               face.c_str()));
  if (!font) platform::ThrowLastError();
  const HFONT result = font.get();
  fonts_.push_back(
      {face, height, wanted.bold, wanted.italic, wanted.underline, wanted.family, std::move(font)});
  return result;
}

void Window::CreateControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  controls_.clear();
  controls_.resize(form_.controls.size());
  for (std::size_t i = 0; i < form_.controls.size(); ++i) {
    const ControlRow& row = form_.controls[i];
    controls_[i].place = {static_cast<double>(row.left), static_cast<double>(row.top),
                          static_cast<double>(row.width), static_cast<double>(row.height)};
  }
  for (std::size_t i = 0; i < form_.controls.size(); ++i) {
    const ControlRow& row = form_.controls[i];
    const bool continuesArray = i > 0 && row.kind == ControlKind::OptionButton &&
                                form_.controls[i - 1].kind == ControlKind::OptionButton &&
                                form_.controls[i - 1].name == row.name;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (continuesArray ? 0 : WS_GROUP);
    DWORD exStyle = 0;
    const wchar_t* className = L"STATIC";
    switch (row.kind) {
      case ControlKind::Label:
        style |= SS_NOTIFY | ((row.flags & kCentred) ? SS_CENTER : SS_LEFT);
        // Painted after, and never clipping, the controls it overlaps: a transparent label
        // paints its text only, so the border of a box under its edge stays whole.
        if (row.flags & kTransparent) exStyle |= WS_EX_TRANSPARENT;
        break;
      case ControlKind::PictureBox:
        style |= SS_NOTIFY;
        break;
      case ControlKind::TextBox:
        className = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Button:
        className = L"BUTTON";
        style |= WS_TABSTOP | ((row.flags & kDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
      case ControlKind::OptionButton:
        // The framework keeps an array one group wherever its rows sit (SetValue, the arrow
        // keys); only the selected button is a tab stop.
        className = L"BUTTON";
        style |= BS_AUTORADIOBUTTON | ((row.flags & kChecked) ? WS_TABSTOP : 0);
        break;
      case ControlKind::CheckBox:
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
      case ControlKind::Frame:
        className = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
    }
    if ((row.flags & kMultiLine) && std::wstring_view(className) == L"BUTTON") {
      style |= BS_MULTILINE;
    }
    if (!(row.flags & kHidden)) style |= WS_VISIBLE;
    if (row.flags & kDisabled) style |= WS_DISABLED;

    const std::wstring caption(row.caption);
    const RECT rect = DesignPixels(static_cast<int>(i));
    HWND control = CreateWindowExW(
        exStyle, className, caption.c_str(), style, rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))),
        instance, nullptr);
    if (!control) platform::ThrowLastError();
    ControlState& state = controls_[i];
    state.hwnd = control;
    state.foreColour = row.foreColour;
    state.backColour = row.backColour;
    state.font = row.font;
    if (row.backColour != kDefaultColour) {
      state.backBrush.reset(CreateSolidBrush(row.backColour));
      if (!state.backBrush) platform::ThrowLastError();
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row.font)), FALSE);
    // A text box takes as much text as the system allows.
    if (row.kind == ControlKind::TextBox) SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
    if ((row.kind == ControlKind::OptionButton || row.kind == ControlKind::CheckBox) &&
        (row.flags & kChecked)) {
      SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    }
    // Visual styles draw these captions in the theme's colour; the layout's colour must win.
    // A blank (not empty) name matches no theme: that is how styles are turned off for one
    // control, and an empty name is refused on some systems.
    if (row.foreColour != kDefaultColour &&
        (row.kind == ControlKind::OptionButton || row.kind == ControlKind::CheckBox ||
         row.kind == ControlKind::Frame)) {
      const SetWindowThemeFunction setWindowTheme = SystemSetWindowTheme();
      const HRESULT themed = setWindowTheme ? setWindowTheme(control, L" ", L" ") : S_OK;
      if (FAILED(themed)) platform::ThrowHResult(themed);
    }
    if (!SetWindowSubclass(control, &Window::ControlProc, i, reinterpret_cast<DWORD_PTR>(this))) {
      platform::ThrowLastError();
    }
  }
  for (const ControlRow& row : form_.controls) {
    if (row.kind == ControlKind::OptionButton && row.index <= 0) UpdateTabStops(row.name);
  }
  // Frames lie under the controls they hold; tab order (the table's order) is unaffected
  // because a frame takes no focus.
  for (std::size_t i = 0; i < form_.controls.size(); ++i) {
    if (form_.controls[i].kind == ControlKind::Frame) {
      SetWindowPos(controls_[i].hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  LayOutControls();
}

void Window::Show(int showCommand) {
  if (!hwnd_) throw std::logic_error("window not created");
  ShowWindow(hwnd_, showCommand);
  if (!lastFocus_) lastFocus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (GetActiveWindow() == hwnd_ && lastFocus_) SetFocus(lastFocus_);
  UpdateWindow(hwnd_);
}

void Window::ShowModal(HWND owner) {
  if (!hwnd_) Create(owner);
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) {
    EnableWindow(owner, FALSE);
    modalOwner_ = owner;
  }
  Show(SW_SHOWNORMAL);
  RunModalLoop([this] { return hwnd_ != nullptr; });
  Destroy();
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
}

void Window::Destroy() {
  if (!hwnd_) return;
  // Re-enable the owner first, so that the system activates it rather than another program.
  if (modalOwner_) {
    EnableWindow(modalOwner_, TRUE);
    modalOwner_ = nullptr;
  }
  DestroyWindow(hwnd_);
}

double Window::Left() const {
  RECT rect{};
  if (!GetWindowRect(hwnd_, &rect)) platform::ThrowLastError();
  return PixelsToTwips(rect.left, dpi_);
}

double Window::Top() const {
  RECT rect{};
  if (!GetWindowRect(hwnd_, &rect)) platform::ThrowLastError();
  return PixelsToTwips(rect.top, dpi_);
}

void Window::CentreOver(HWND owner) {
  if (!owner) return;
  RECT ownerRect{};
  RECT rect{};
  if (!GetWindowRect(owner, &ownerRect) || !GetWindowRect(Handle(), &rect)) {
    platform::ThrowLastError();
  }
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int x = ownerRect.left + ((ownerRect.right - ownerRect.left) - width) / 2;
  const int y = ownerRect.top + ((ownerRect.bottom - ownerRect.top) - height) / 2;
  if (!SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    platform::ThrowLastError();
  }
}

void Window::Move(double left, double top) {
  if (!SetWindowPos(hwnd_, nullptr, TwipsToPixels(left, dpi_), TwipsToPixels(top, dpi_), 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    platform::ThrowLastError();
  }
}

std::wstring Window::Text(int row) const {
  const HWND control = Control(row);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Window::SetText(int row, std::wstring_view text) {
  const std::wstring value(text);
  if (!SetWindowTextW(Control(row), value.c_str())) platform::ThrowLastError();
  // A new caption may need another width.
  if (Row(row).kind != ControlKind::TextBox) {
    PlaceControl(row);
    ClipOverlaps();
  }
}

void Window::FocusControl(int row) {
  const HWND control = Control(row);
  SetFocus(control);
  if (Row(row).kind == ControlKind::TextBox) SendMessageW(control, EM_SETSEL, 0, -1);
}

bool Window::Enabled(int row) const { return IsWindowEnabled(Control(row)) != FALSE; }

void Window::FocusNextIfFocused(HWND control) {
  if (GetFocus() != control) return;
  HWND next = GetNextDlgTabItem(hwnd_, control, FALSE);
  SetFocus(next && next != control ? next : hwnd_);
}

void Window::SetEnabled(int row, bool enabled) {
  const HWND control = Control(row);
  // Move the focus first: a disabled control keeps no focus, and keys would then go nowhere.
  if (!enabled) FocusNextIfFocused(control);
  EnableWindow(control, enabled ? TRUE : FALSE);
}

bool Window::Visible(int row) const {
  return (GetWindowLongPtrW(Control(row), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Window::SetVisible(int row, bool visible) {
  const HWND control = Control(row);
  if (!visible) FocusNextIfFocused(control);
  ShowWindow(control, visible ? SW_SHOWNA : SW_HIDE);
}

int Window::FocusedRow() const {
  return RowOf(GetActiveWindow() == hwnd_ ? GetFocus() : lastFocus_);
}

void Window::Focus(int row) {
  const HWND control = Control(row);
  lastFocus_ = control;
  if (GetActiveWindow() == hwnd_) SetFocus(control);
}

Colour Window::ForeColour(int row) const {
  Control(row);
  return controls_[static_cast<std::size_t>(row)].foreColour;
}

void Window::SetForeColour(int row, Colour colour) {
  Control(row);
  controls_[static_cast<std::size_t>(row)].foreColour = colour;
  InvalidateControl(row);
}

void Window::InvalidateControl(int row) {
  const HWND control = Control(row);
  if (!(Row(row).flags & kTransparent)) {
    InvalidateRect(control, nullptr, TRUE);
    return;
  }
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
  RedrawWindow(hwnd_, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool Window::Underlined(int row) const {
  Control(row);
  return controls_[static_cast<std::size_t>(row)].font.underline;
}

void Window::SetUnderline(int row, bool underline) {
  const HWND control = Control(row);
  FontSpec& font = controls_[static_cast<std::size_t>(row)].font;
  font.underline = underline;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(font)), FALSE);
  InvalidateControl(row);
}

bool Window::Value(int row) const {
  return SendMessageW(Control(row), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Window::SetValue(int row, bool value) {
  const ControlRow& target = Row(row);
  const HWND control = Control(row);
  if (target.kind == ControlKind::OptionButton && value) {
    for (std::size_t i = 0; i < form_.controls.size(); ++i) {
      const ControlRow& other = form_.controls[i];
      if (static_cast<int>(i) == row || other.kind != ControlKind::OptionButton ||
          other.name != target.name) {
        continue;
      }
      SendMessageW(controls_[i].hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  SendMessageW(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  if (target.kind == ControlKind::OptionButton) UpdateTabStops(target.name);
}

void Window::UpdateTabStops(std::wstring_view arrayName) {
  // Tab enters an option-button array at its selected button, or at its first one when none
  // is selected.
  int stop = -1;
  for (int i = 0; i < ControlCount(); ++i) {
    const ControlRow& row = Row(i);
    if (row.kind != ControlKind::OptionButton || row.name != arrayName) continue;
    if (Value(i) || stop < 0 || (!Value(stop) && row.index < Row(stop).index)) stop = i;
  }
  for (int i = 0; i < ControlCount(); ++i) {
    const ControlRow& row = Row(i);
    if (row.kind != ControlKind::OptionButton || row.name != arrayName) continue;
    const HWND control = controls_[static_cast<std::size_t>(i)].hwnd;
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    SetWindowLongPtrW(control, GWL_STYLE, i == stop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
  }
}

Window::TwipsRect Window::ControlRect(int row) const {
  Control(row);
  const ControlState& state = controls_[static_cast<std::size_t>(row)];
  TwipsRect rect = state.place;
  if (state.grownWidth > 0) rect.width = PixelsToTwips(state.grownWidth, dpi_);
  return rect;
}

void Window::MoveControl(int row, const TwipsRect& rect) {
  Control(row);
  controls_[static_cast<std::size_t>(row)].place = rect;
  PlaceControl(row);
  ClipOverlaps();
}

void Window::Register(Timer* timer) { timers_.push_back(timer); }

void Window::Unregister(Timer* timer) noexcept {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
}

void Window::StartTimers() {
  for (Timer* timer : timers_) {
    if (timer->Enabled()) timer->Start();
  }
}

void Window::ReportError(std::exception_ptr error) {
  const std::wstring text = platform::ErrorReportText(error, ERROR_INTERNAL_ERROR);
  const std::wstring caption(form_.caption);
  MessageBoxW(hwnd_, text.c_str(), caption.c_str(), MB_OK);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->lastFocus_ = nullptr;
    self->controls_.clear();
    // A scaled pointer still on the screen must not be destroyed under it.
    const HCURSOR shown = GetCursor();
    for (const ScaledCursor& scaled : self->scaledCursors_) {
      if (scaled.copy.get() == shown) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    self->scaledCursors_.clear();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    try {
      self->ReportError(std::current_exception());
    } catch (...) {
      // Nothing more can be reported; never let it reach the system.
    }
    return 0;
  }
}

LRESULT CALLBACK Window::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR row, DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &Window::ControlProc, row);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  Window* window = reinterpret_cast<Window*>(self);
  try {
    return window->HandleControlMessage(static_cast<int>(row), hwnd, message, wParam, lParam);
  } catch (...) {
    try {
      window->ReportError(std::current_exception());
    } catch (...) {
    }
    return 0;
  }
}

LRESULT Window::HandleControlMessage(int row, HWND hwnd, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
  const ControlRow& layout = Row(row);
  const ControlKind kind = layout.kind;
  const bool transparentLabel = kind == ControlKind::Label && (layout.flags & kTransparent);
  // Labels and frames take their own mouse events, so a press on them is not a press on the
  // window's surface (which would start a drag of a caption-less window).
  const bool ownsMouse = kind == ControlKind::Label || kind == ControlKind::Frame;
  if (message == WM_NCHITTEST && ownsMouse) return HTCLIENT;
  const float x = ToTwipsX(lParam);
  const float y = ToTwipsY(lParam);
  switch (message) {
    case WM_MOUSEMOVE:
      OnControlMouseMove(row, MouseButtons(wParam), ShiftState(wParam), x, y);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // the second press of a quick pair is a press as well
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (!ownsMouse) break;
      if (kind == ControlKind::Label && message != WM_RBUTTONDOWN && message != WM_MBUTTONDOWN) {
        // The click comes at the release. A handler may take the capture away (to drag the
        // window), which ends the press without a click.
        pressedLabel_ = row;
        SetCapture(hwnd);
      }
      OnControlMouseDown(row, MouseButtonOf(message), ShiftState(wParam), x, y);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      if (!ownsMouse) break;
      const bool pressed = pressedLabel_ == row && message == WM_LBUTTONUP;
      if (pressed) {
        pressedLabel_ = -1;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      OnControlMouseUp(row, MouseButtonOf(message), ShiftState(wParam), x, y);
      RECT client{};
      GetClientRect(hwnd, &client);
      if (pressed && PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
        OnClick(row);
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (pressedLabel_ == row) pressedLabel_ = -1;
      break;
    case WM_GETDLGCODE:
      // The arrow keys come to an option button, which moves through its own array.
      if (kind == ControlKind::OptionButton) {
        return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTARROWS;
      }
      break;
    case WM_KEYDOWN:
      if (kind == ControlKind::OptionButton) {
        if (wParam == VK_DOWN || wParam == VK_RIGHT) {
          MoveInOptionArray(row, 1);
          return 0;
        }
        if (wParam == VK_UP || wParam == VK_LEFT) {
          MoveInOptionArray(row, -1);
          return 0;
        }
      }
      break;
    case WM_ERASEBKGND:
      if (transparentLabel) return 1;
      break;
    case WM_PAINT:
      if (transparentLabel) {
        PaintTransparentLabel(row, hwnd);
        return 0;
      }
      break;
    case WM_SETTEXT:
      if (transparentLabel) {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        InvalidateControl(row);
        return result;
      }
      break;
    default:
      break;
  }
  // A group box would otherwise treat a press as a button press.
  if (kind == ControlKind::Frame && IsMouseMessage(message) && message != WM_MOUSEMOVE) return 0;
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void Window::PaintTransparentLabel(int row, HWND control) {
  PAINTSTRUCT paint{};
  const HDC dc = BeginPaint(control, &paint);
  if (!dc) return;
  const ControlState& state = controls_[static_cast<std::size_t>(row)];
  RECT rect{};
  GetClientRect(control, &rect);
  const std::wstring text = Text(row);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(
      dc, state.foreColour != kDefaultColour ? state.foreColour : GetSysColor(COLOR_WINDOWTEXT));
  const HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  // Laid out as a static control lays out its text: wrapped at words, & marks an access key.
  const UINT format =
      DT_WORDBREAK | DT_EXPANDTABS | ((Row(row).flags & kCentred) ? DT_CENTER : DT_LEFT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
  SelectObject(dc, oldFont);
  EndPaint(control, &paint);
}

void Window::MoveInOptionArray(int row, int step) {
  const ControlRow& from = Row(row);
  // The array's rows in index order, whatever their order in the table.
  std::vector<int> members;
  for (int i = 0; i < ControlCount(); ++i) {
    const ControlRow& other = Row(i);
    if (other.kind == ControlKind::OptionButton && other.name == from.name) members.push_back(i);
  }
  std::sort(members.begin(), members.end(),
            [this](int a, int b) { return Row(a).index < Row(b).index; });
  const auto count = static_cast<int>(members.size());
  const auto at =
      static_cast<int>(std::find(members.begin(), members.end(), row) - members.begin());
  for (int moved = 1; moved < count; ++moved) {
    const int next =
        members[static_cast<std::size_t>(((at + step * moved) % count + count) % count)];
    const HWND control = Control(next);
    if (!IsWindowEnabled(control) || !Visible(next)) continue;
    SetFocus(control);
    // Selected as it gets the focus, as the system's automatic option buttons are.
    if (!Value(next)) SendMessageW(control, BM_CLICK, 0, 0);
    return;
  }
}

std::optional<LRESULT> Window::ColourControl(HDC dc, HWND control) {
  const int row = RowOf(control);
  if (row < 0) return std::nullopt;
  const ControlRow& layout = Row(row);
  const ControlState& state = controls_[static_cast<std::size_t>(row)];
  if (layout.kind == ControlKind::TextBox) return std::nullopt;
  HBRUSH brush = nullptr;
  if (layout.flags & kTransparent) {
    SetBkMode(dc, TRANSPARENT);
    brush = backBrush_ ? backBrush_.get() : GetSysColorBrush(COLOR_BTNFACE);
  } else if (state.backBrush) {
    SetBkColor(dc, state.backColour);
    brush = state.backBrush.get();
  }
  if (state.foreColour != kDefaultColour) SetTextColor(dc, state.foreColour);
  if (!brush) {
    if (state.foreColour == kDefaultColour) return std::nullopt;
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    brush = GetSysColorBrush(COLOR_BTNFACE);
  }
  return reinterpret_cast<LRESULT>(brush);
}

void Window::Command(int id, int code, HWND control) {
  if (!control && (id == IDCANCEL || id == IDOK)) {
    // Escape (IDCANCEL) or Enter with no default (IDOK) from IsDialogMessage.
    const int row = FindRow(id == IDCANCEL ? kCancelButton : kDefaultButton);
    if (row >= 0 && IsWindowEnabled(Control(row)) && Visible(row)) OnClick(row);
    return;
  }
  const int row = id - kFirstControlId;
  if (row < 0 || row >= ControlCount() ||
      controls_[static_cast<std::size_t>(row)].hwnd != control) {
    return;
  }
  const ControlKind kind = Row(row).kind;
  if (kind == ControlKind::TextBox) {
    if (code == EN_CHANGE) OnChange(row);
    return;
  }
  // A label's click comes from its own button release (HandleControlMessage).
  if (kind == ControlKind::Label || kind == ControlKind::PictureBox || code != BN_CLICKED) return;
  if (kind == ControlKind::OptionButton) SetValue(row, true);
  OnClick(row);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto handled = OnMessage(message, wParam, lParam)) return *handled;
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case DM_GETDEFID: {
      // A focused push button answers Enter; otherwise the default button does.
      const int focused = RowOf(GetFocus());
      int row = focused >= 0 && Row(focused).kind == ControlKind::Button ? focused
                                                                         : FindRow(kDefaultButton);
      if (row < 0) return 0;
      return MAKELRESULT(kFirstControlId + row, DC_HASDEFID);
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (auto brush =
              ColourControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return *brush;
      }
      break;
    case WM_ERASEBKGND: {
      // The form's back colour, or the system's dialog face for a form without one.
      RECT rect{};
      GetClientRect(hwnd_, &rect);
      FillRect(reinterpret_cast<HDC>(wParam), &rect,
               backBrush_ ? backBrush_.get() : GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      OnMouseDown(MouseButtonOf(message), ShiftState(wParam), ToTwipsX(lParam), ToTwipsY(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(MouseButtons(wParam), ShiftState(wParam), ToTwipsX(lParam), ToTwipsY(lParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      OnMouseUp(MouseButtonOf(message), ShiftState(wParam), ToTwipsX(lParam), ToTwipsY(lParam));
      return 0;
    case WM_SETCURSOR: {
      const int row = RowOf(reinterpret_cast<HWND>(wParam));
      if (row >= 0 && LOWORD(lParam) == HTCLIENT) {
        if (HCURSOR cursor = CursorFor(row)) {
          ShowPointer(cursor);
          return TRUE;
        }
      }
      break;
    }
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_GETDPISCALEDSIZE: {
      // The size the twips give at the new DPI, so that the rectangle WM_DPICHANGED
      // suggests is exactly the window's.
      *reinterpret_cast<SIZE*>(lParam) = OuterSize(static_cast<int>(LOWORD(wParam)));
      return TRUE;
    }
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      const POINT topLeft = suggested ? POINT{suggested->left, suggested->top} : POINT{};
      ApplyDpi(static_cast<int>(HIWORD(wParam)), suggested ? &topLeft : nullptr);
      return 0;
    }
    case WM_ACTIVATE:
      // Keep the focused control across deactivation, as a dialog does.
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else {
        if (!lastFocus_ || !IsWindow(lastFocus_))
          lastFocus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (lastFocus_) SetFocus(lastFocus_);
      }
      return 0;
    case WM_CLOSE:
      OnCloseRequest();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) OnEndSession();
      return 0;
    case WM_DESTROY:
      for (Timer* timer : timers_) timer->Stop();
      OnDestroy();
      if (quitOnDestroy_) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace platform::window
