// frmAbout: the About box. A teal, caption-less window cut to an ellipse, with the product
// name, the version, the developer and two links (e-mail and web page) that light up under
// the pointer. Dragged by its background and its static labels; "&O.k." (Enter or Escape)
// closes it.
//
//   frmAbout about;
//   about.Load(owner);       // created hidden, centred over `owner`, Form_Load run
//   about.ShowModal(owner);  // returns when the box has closed
#pragma once

#include <windows.h>

#include <cstdint>

#include "chrome/captionless_window_mover.h"
#include "platform/handles.h"
#include "platform/window/hover_link.h"
#include "platform/window/window.h"

class frmAbout : public platform::window::Window {
 public:
  // Rows of the layout table, in tab order.
  enum Row : int {
    lblLabel0,
    lblLabel1,
    cmdOk,
    lblLabel2,
    lblLabel3,
    lblEmail,
    lblWebAddress,
    picEmail,
    picWebSite,
  };
  // Index of a link: its label, hit rectangle and watch timer share it.
  enum Link : int { kEmailLink = 0, kWebLink = 1 };
  static constexpr UINT_PTR kLinkTimerIds[2] = {1, 2};
  // A link is resting exactly when its text has this colour.
  static constexpr platform::window::Colour kLinkResting = platform::window::Rgb(255, 192, 255);
  static constexpr platform::window::Colour kLinkHighlighted = platform::window::Rgb(0, 0, 255);
  // Mouse pointers of the link labels: the default arrow, or the label's own icon.
  static constexpr int kDefaultPointer = 0;
  static constexpr int kCustomPointer = 99;
  // The steps of Form_Load, in order; a failing step is skipped and recorded.
  enum LoadStep : int {
    kShapeStep = 1,
    kMoverStep,
    kVersionStep,
    kEmailHitRectStep,
    kEmailIconStep,
    kWebHitRectStep,
    kWebIconStep,
  };

  frmAbout();
  ~frmAbout() override;

  // Creates the window hidden, centred over `owner` (over the screen without one), with its
  // tool tips, and runs Form_Load. Throws platform::SystemError when the window cannot be made.
  void Load(HWND owner);
  // cmdOk: closes the box (Form_Unload runs as the window goes).
  void Unload();

  bool LoadStepFailed(LoadStep step) const noexcept;
  bool LinkHighlighted(Link link) const;
  int MousePointer(Link link) const noexcept {
    return tmrLink[link].PointerCustom() ? kCustomPointer : kDefaultPointer;
  }
  HCURSOR MouseIcon(Link link) const noexcept { return mouseIcon_[link].get(); }
  bool LinkTimerEnabled(Link link) const noexcept { return tmrLink[link].Watch().Enabled(); }
  UINT LinkTimerInterval(Link link) const noexcept { return tmrLink[link].Watch().Interval(); }
  HWND ToolTips() const noexcept { return toolTips_.get(); }
  const CCaptionlessWindowMover& Mover() const noexcept { return WindowMover; }

  // Test seam: how the link labels' icon (cursor resource 101) is loaded. The loader returns
  // an owned cursor, or nullptr when it cannot; nullptr as `loader` restores the real one.
  using CursorLoader = HCURSOR (*)(int resourceId);
  static void ReplaceCursorLoader(CursorLoader loader);

 protected:
  void OnClick(int row) override;
  void OnMouseDown(int button, int shift, float x, float y) override;
  void OnMouseMove(int button, int shift, float x, float y) override;
  void OnMouseUp(int button, int shift, float x, float y) override;
  void OnControlMouseDown(int row, int button, int shift, float x, float y) override;
  void OnControlMouseMove(int row, int button, int shift, float x, float y) override;
  void OnControlMouseUp(int row, int button, int shift, float x, float y) override;
  HCURSOR CursorFor(int row) override;
  void OnTimer(UINT_PTR id) override;
  void OnCloseRequest() override { Unload(); }
  void OnDestroy() override;

 private:
  void Form_Load();
  void Form_Unload();
  void cmdOk_Click();
  void Form_MouseDown(float x, float y);
  void Form_MouseMove(float x, float y);
  void Form_MouseUp();
  void lblLabel_MouseDown(std::int16_t index, float x, float y);
  void lblLabel_MouseMove(std::int16_t index, float x, float y);
  void lblLabel_MouseUp(std::int16_t index);
  void lblEmail_MouseMove();
  void lblWebAddress_MouseMove();
  void tmrLink_Timer(std::int16_t index);
  void lblEmail_Click();
  void lblWebAddress_Click();

  void HighlightLink(Link link);
  void AddToolTips();

  CCaptionlessWindowMover WindowMover;
  // The two links with their watch timers tmrLink(0) and tmrLink(1).
  platform::window::HoverLink tmrLink[2];
  platform::UniqueHCursor mouseIcon_[2];
  platform::UniqueHwnd toolTips_;
  // The static label whose mouse-down took the capture: until the button comes up, the
  // window's own mouse events belong to that label, as the drag started there.
  int capturingLabel_ = -1;
  unsigned failedSteps_ = 0;
};
