// Base class of the program's windows. A derived window passes its FormSpec (layout.h) and
// overrides the handlers it needs; one static window procedure binds `this` at WM_NCCREATE
// and dispatches every message to those handlers with unpacked arguments.
//
//   class frmExample : public platform::window::Window {
//    public:
//     frmExample() : Window(kForm) {}
//    protected:
//     void OnClick(int row) override { if (row == kCmdOK) Unload(); }
//   };
//   frmExample form;
//   form.Create(nullptr);  // window and controls, hidden
//   form.Show();           // or form.ShowModal(owner)
//
// Controls are addressed by their row in the layout table. Enter presses the row flagged
// kDefaultButton (or the push button that has the focus), Escape the row flagged
// kCancelButton, Alt+letter the control with that access key, Tab walks the rows in table
// order, the arrow keys walk an option-button array: the message loops in message_loop.h pass keys
// through IsDialogMessage for these windows. Exceptions thrown by a handler are caught at the
// window procedure and shown by ReportError; they never reach Windows.
//
// Each window lays itself out from its twips at its own monitor's DPI, and again when it is
// told of a new one (WM_DPICHANGED): its size, its controls, their fonts, its icons, its shape
// (SetShaper) and the pointers it shows. Where a caption needs more width than its twips give
// at that DPI, the control grows up to the inner edge of its frame, the window's margin or its
// right-hand neighbour; and no control paints over the border of a box, a button or a frame
// that it overlaps.
#pragma once

#include <windows.h>

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"
#include "platform/window/layout.h"

namespace platform::window {

class Timer;

// Mouse buttons and shift keys as the mouse handlers receive them.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };
enum ShiftKey : int { kShiftKey = 1, kCtrlKey = 2, kAltKey = 4 };

// First control id; row r has id kFirstControlId + r (clear of IDOK, IDCANCEL, ...).
inline constexpr int kFirstControlId = 1000;

class Window {
 public:
  explicit Window(const FormSpec& form);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window and its controls, hidden, centred when the form asks for it.
  // Throws platform::SystemError when the system refuses.
  void Create(HWND owner);
  void Show(int showCommand = SW_SHOWNORMAL);
  // Shows the window over `owner` and runs a message loop until the window is destroyed:
  // the owner is disabled meanwhile and re-enabled and activated afterwards.
  void ShowModal(HWND owner);
  // Destroys the window and its controls (nothing happens when it does not exist).
  void Destroy();
  // Post WM_QUIT when this window is destroyed (the program's main window).
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

  HWND Handle() const noexcept { return hwnd_; }
  bool IsLoaded() const noexcept { return hwnd_ != nullptr; }
  const FormSpec& Form() const noexcept { return form_; }

  // The DPI the window is laid out at: its monitor's, or the last one WM_DPICHANGED gave.
  int Dpi() const noexcept { return dpi_; }
  // Twips per pixel at that DPI, horizontally and vertically.
  double TwipsPerPixelX() const;
  double TwipsPerPixelY() const;
  // Sets the window's shape from its size in pixels (its region); the window runs it again
  // whenever it lays itself out at a new DPI.
  using Shaper = void (*)(Window& window);
  void SetShaper(Shaper shaper) noexcept { shaper_ = shaper; }

  // Position of the window on the screen and its size, in twips.
  double Left() const;
  double Top() const;
  double Width() const noexcept { return form_.width; }
  double Height() const noexcept { return form_.height; }
  void Move(double left, double top);  // size unchanged
  // Centres the window over `owner`; without an owner the form's own placement stays.
  void CentreOver(HWND owner);

  // Controls, by row of the layout table.
  int ControlCount() const noexcept { return static_cast<int>(controls_.size()); }
  HWND Control(int row) const;
  int RowOf(HWND control) const noexcept;  // -1 when not one of this window's controls
  std::wstring Text(int row) const;
  void SetText(int row, std::wstring_view text);
  bool Enabled(int row) const;
  void SetEnabled(int row, bool enabled);
  bool Visible(int row) const;
  void SetVisible(int row, bool visible);
  // The control that has the keyboard focus, or -1; while the window is inactive, the one
  // that gets it when the window is activated again.
  int FocusedRow() const;
  // Gives the control the focus; while the window is inactive, it gets it at the next
  // activation, so that a window in the background is not brought forward.
  void Focus(int row);
  Colour ForeColour(int row) const;
  void SetForeColour(int row, Colour colour);
  bool Underlined(int row) const;
  void SetUnderline(int row, bool underline);
  // Gives a control the keyboard focus; a text box's whole text is selected, as Tab does.
  void FocusControl(int row);
  // Option buttons and check boxes. Setting an option button clears the others of its array.
  bool Value(int row) const;
  void SetValue(int row, bool value);
  // A control's position and size in twips, relative to its container (as in the table, or
  // as MoveControl put it; the width is the grown one where a caption needed more).
  struct TwipsRect {
    double left, top, width, height;
  };
  TwipsRect ControlRect(int row) const;
  void MoveControl(int row, const TwipsRect& rect);

  // Shows `cursor` as the pointer now, at the size the system gives pointers at the
  // window's DPI (a scaled copy where its own size differs).
  void ShowPointer(HCURSOR cursor);

 protected:
  // Handlers; the defaults do nothing. Positions are in twips, client coordinates.
  virtual void OnClick(int /*row*/) {}
  virtual void OnChange(int /*row*/) {}
  virtual void OnMouseDown(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
  virtual void OnMouseMove(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
  virtual void OnMouseUp(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {}
  // Mouse events of labels, frames and picture boxes, in twips relative to the control. A
  // label's click (OnClick) comes when the left button is released over it after a press on
  // it, so that a press dragged off clicks nothing.
  virtual void OnControlMouseDown(int /*row*/, int /*button*/, int /*shift*/, float /*x*/,
                                  float /*y*/) {}
  virtual void OnControlMouseMove(int /*row*/, int /*button*/, int /*shift*/, float /*x*/,
                                  float /*y*/) {}
  virtual void OnControlMouseUp(int /*row*/, int /*button*/, int /*shift*/, float /*x*/,
                                float /*y*/) {}
  // The pointer to show over a control, or nullptr for the default one. It is shown scaled
  // as ShowPointer scales it.
  virtual HCURSOR CursorFor(int /*row*/) { return nullptr; }
  virtual void OnTimer(UINT_PTR /*id*/) {}
  // The system asks the window to close (WM_CLOSE); by default it is destroyed.
  virtual void OnCloseRequest() { Destroy(); }
  // The window is being destroyed (WM_DESTROY); the controls still exist.
  virtual void OnDestroy() {}
  // The user's session ends (log-off, shutdown): the process may end once this returns.
  // The session is never refused.
  virtual void OnEndSession() {}
  // Any other message; return a result to stop the default handling.
  virtual std::optional<LRESULT> OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return std::nullopt;
  }
  // An exception left a handler. The default shows "Error: <number>. <description>" in an OK
  // box titled with the window's caption.
  virtual void ReportError(std::exception_ptr error);

 private:
  friend class Timer;
  struct ControlState {
    HWND hwnd = nullptr;
    Colour foreColour = kDefaultColour;
    Colour backColour = kDefaultColour;
    UniqueHBrush backBrush;
    FontSpec font;
    TwipsRect place{};   // relative to the container, twips
    int grownWidth = 0;  // pixels, when the caption needed more than `place` gives; else 0
  };
  // A pointer a handler gave, at the size the DPI asks for: `copy` is null where the source
  // has that size. Keyed on the source's handle, which lives as long as the window.
  struct ScaledCursor {
    HCURSOR source;
    int size;
    UniqueHCursor copy;
  };
  struct CachedFont {
    std::wstring face;
    int height;
    bool bold, italic, underline;
    FontFamily family;
    UniqueHFont font;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR row, DWORD_PTR self);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleControlMessage(int row, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> ColourControl(HDC dc, HWND control);
  void Command(int id, int code, HWND control);
  void CreateControls();
  HFONT FontFor(const FontSpec& wanted);
  // Lays the window out at `dpi`; `topLeft`, when given, is where its frame goes.
  void ApplyDpi(int dpi, const POINT* topLeft);
  SIZE OuterSize(int dpi) const;
  void SizeToForm(const POINT* topLeft);
  void SetIcons();
  void RefreshFonts();
  void LayOutControls();
  void PlaceControl(int row);
  // A row's rectangle in client pixels: from its place in twips, and as it stands.
  RECT DesignPixels(int row) const;
  RECT ActualPixels(int row) const;
  // The width in pixels that the control's caption needs, or 0 when its own width holds it.
  int CaptionWidth(int row, const RECT& design) const;
  // How far right (client pixels) the control may grow.
  int GrowthLimit(int row, const RECT& design) const;
  void ClipOverlaps();
  HCURSOR ScaledForDpi(HCURSOR cursor);
  float ToTwipsX(LPARAM position) const;
  float ToTwipsY(LPARAM position) const;
  const ControlRow& Row(int row) const;
  int FindRow(unsigned flag) const noexcept;
  void FocusNextIfFocused(HWND control);
  void MoveInOptionArray(int row, int step);
  void UpdateTabStops(std::wstring_view arrayName);
  void PaintTransparentLabel(int row, HWND control);
  // Repaints what lies under a control too: a transparent label paints no background.
  void InvalidateControl(int row);
  void StartTimers();
  void Register(Timer* timer);
  void Unregister(Timer* timer) noexcept;

  const FormSpec& form_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  Shaper shaper_ = nullptr;
  HWND modalOwner_ = nullptr;
  HWND lastFocus_ = nullptr;
  int pressedLabel_ = -1;  // the label a left-button press started on, until it is released
  bool quitOnDestroy_ = false;
  UniqueHBrush backBrush_;
  std::vector<ControlState> controls_;
  std::vector<CachedFont> fonts_;
  std::vector<ScaledCursor> scaledCursors_;
  std::vector<Timer*> timers_;
};

}  // namespace platform::window
