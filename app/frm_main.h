// frmMain: the program's start-up window. Two path boxes, the list type, Write File / Cancel
// and the title label that behaves like a link. Borderless, cut to an ellipse, dragged by its
// surface with any mouse button.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "chrome/captionless_window_mover.h"
#include "listing/folder_listing.h"
#include "platform/handles.h"
#include "platform/taskbar_progress.h"
#include "platform/window/hover_link.h"
#include "platform/window/window.h"

// Set by the window's Cancel button (and by Exit or the session's end during a run), cleared
// when Write File starts a run; the window hands it to each run as the run's cancel token.
extern std::atomic<bool> CancelRequested;

class frmMain : public platform::window::Window {
 public:
  // Rows of the layout table, in tab order.
  enum Row : int {
    Label1,
    txtPath0,
    cmdBrowse0,
    Label2,
    txtPath1,
    cmdBrowse1,
    fraOptions,
    cmdPrint,
    cmdExit,
    lblTitle,
    optListType0,
    optListType1,
    optListType2,
    picTitle,
    lblStatus,
    optListType3,
    cmdCancel,
    cmdOptions,
  };
  static constexpr UINT_PTR kTitleTimerId = 1;
  static constexpr platform::window::Colour kTitleNormal = platform::window::Rgb(0, 255, 255);
  static constexpr platform::window::Colour kTitleHighlight = platform::window::Rgb(0, 255, 0);
  // Where the window is in its life: a run keeps it loaded until the walk has unwound.
  enum class RunState {
    Idle,            // loaded, no run
    Running,         // a Write File run is in progress
    UnloadAfterRun,  // Exit came during a run: unload when it ends
    Unloaded,        // the options are saved; the window is gone or going
  };

  frmMain();
  ~frmMain() override;

  // Creates the window, runs the start-up with the program's command-line arguments and
  // shows it.
  void Load(std::wstring_view commandLine, int showCommand = SW_SHOWNORMAL);
  // Exit: saves the options and destroys the window. During a run the run is cancelled
  // first, and the window unloads once the walk has unwound and the "Canceled" box is
  // answered.
  void Unload();

  // The two halves of the yield point of the window's runs: whether input is waiting, and
  // letting the windows handle everything queued (a click on Cancel among it).
  static bool InputWaiting();
  static void ProcessInput();
  // The hooks the next runs use; tests and the benchmark driver wrap the two above.
  void SetRunHooks(const ListingHooks& hooks) { runHooks_ = hooks; }
  // The taskbar list the next runs show their progress on (null: none). Unless one is given,
  // the system's is taken at the first run.
  void SetTaskbar(Microsoft::WRL::ComPtr<ITaskbarList3> taskbar) { taskbar_ = std::move(taskbar); }

  std::int32_t ListType() const noexcept { return CurrentListType; }
  RunState State() const noexcept { return state_; }
  bool RunInProgress() const noexcept {
    return state_ == RunState::Running || state_ == RunState::UnloadAfterRun;
  }
  bool TitleHighlighted() const { return titleLink_.Highlighted(); }
  HCURSOR TitleCursor() const noexcept { return titleCursor_; }
  bool TitleTimerEnabled() const noexcept { return titleLink_.Watch().Enabled(); }
  UINT TitleTimerInterval() const noexcept { return titleLink_.Watch().Interval(); }

 protected:
  void OnClick(int row) override;
  void OnMouseDown(int button, int shift, float x, float y) override;
  void OnMouseMove(int button, int shift, float x, float y) override;
  void OnMouseUp(int button, int shift, float x, float y) override;
  void OnControlMouseMove(int row, int button, int shift, float x, float y) override;
  HCURSOR CursorFor(int row) override;
  void OnTimer(UINT_PTR id) override;
  void OnCloseRequest() override { Unload(); }
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnEndSession() override;

 private:
  void Form_Load(std::wstring_view commandLine);
  void Form_Unload();
  void Form_DropFiles(HDROP drop);
  void cmdExit_Click();
  void cmdOptions_Click();
  void optListType_Click(int index);
  void cmdPrint_Click();
  void cmdCancel_Click();
  void cmdBrowse_Click(int index);
  void lblTitle_MouseMove();
  void lblTitle_Click();
  void tmrTitle_Timer();

  // Call points for windows that other parts of the program add: the Explorer-integration
  // prompt at start-up, the options dialog, the About box.
  void ShowIntegrationPromptIfNeeded();
  void ShowOptionsDialog();
  void ShowAboutBox();

  int Box(const std::wstring& text, const wchar_t* title, UINT style);
  std::wstring PathText(int row) const;
  void EndRun();

  CCaptionlessWindowMover WindowMover;
  std::int32_t CurrentListType = 2;
  // The title's hover effect; its watch timer is tmrTitle, running from start-up.
  platform::window::HoverLink titleLink_;
  platform::UniqueHCursor ownedTitleCursor_;
  HCURSOR titleCursor_ = nullptr;
  RunState state_ = RunState::Idle;
  int focusBeforeRun_ = -1;  // the row that had the focus when the run started
  ListingHooks runHooks_{&InputWaiting, &ProcessInput, {}};
  std::optional<Microsoft::WRL::ComPtr<ITaskbarList3>> taskbar_;
};
