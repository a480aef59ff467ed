// frmOptions: the options dialog. Caption-less, cut to an ellipse, dragged by its surface;
// edits the options record: the default output file, size and date/time on file lines, the
// print style with its spaces and width, and the Explorer folder command.
//
//   frmOptions options(mainOutputBox);  // the main window's output path box
//   options.Load(mainWindow);           // created hidden, centred over it, Form_Load run
//   options.ShowModal(mainWindow);      // returns when the dialog has closed
//
// Check-box clicks change AppOptions at once; O.k. validates the two number boxes, copies
// everything into AppOptions and saves it; Cancel (or Escape) only closes the dialog.
#pragma once

#include <windows.h>

#include "chrome/captionless_window_mover.h"
#include "platform/window/window.h"

class frmOptions : public platform::window::Window {
 public:
  // Rows of the layout table, in tab order.
  enum Row : int {
    chkOption0,
    txtDefaultDestDir,
    cmdBrowse,
    chkOption1,
    chkOption2,
    chkOption3,
    optPrintStyle0,
    optPrintStyle1,
    txtNoSpace,
    optPrintStyle2,
    txtMaxWidth,
    cmdOk,
    cmdCancel,
    Label1,
    fraPrintStyle,
  };

  // The title of the boxes that refuse the two numbers.
  static constexpr wchar_t kNumberBoxTitle[] = L"Spaces Must Be Numeric";
  static constexpr wchar_t kRangeBoxTitle[] = L"Number Out Of Range";

  // `outputPathBox`: the edit control that O.k. fills with the default output file when
  // "Use Default Destination Directory" is ticked (nullptr: none).
  explicit frmOptions(HWND outputPathBox);
  ~frmOptions() override;

  // Creates the dialog hidden, centred over `owner` (over the screen without one), and runs
  // Form_Load. Throws platform::SystemError when the window cannot be made.
  void Load(HWND owner);
  // Closes the dialog; Form_Unload runs as the window goes.
  void Unload();

  const CCaptionlessWindowMover& Mover() const noexcept { return WindowMover; }

 protected:
  void OnClick(int row) override;
  void OnMouseDown(int button, int shift, float x, float y) override;
  void OnMouseMove(int button, int shift, float x, float y) override;
  void OnMouseUp(int button, int shift, float x, float y) override;
  void OnDestroy() override;

 private:
  void Form_Load();
  void Form_Unload();
  void chkOption_Click(int index);
  void cmdBrowse_Click();
  void cmdOk_Click();
  void cmdCancel_Click();
  void Form_MouseDown(int button, int shift, float x, float y);
  void Form_MouseMove(int button, int shift, float x, float y);
  void Form_MouseUp(int button, int shift, float x, float y);

  // Sets a check box by program; as a click would, a change of its value runs
  // chkOption_Click.
  void SetCheckBox(int index, bool checked);
  // Shows why O.k. refused and gives `field` the focus with its text selected.
  void Refuse(Row field, const wchar_t* text, const wchar_t* title);

  HWND outputPathBox_;
  CCaptionlessWindowMover WindowMover;
  bool integrationChanged_ = false;
};
