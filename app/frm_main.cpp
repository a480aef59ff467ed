#include "app/frm_main.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <utility>

#include "about/frm_about.h"
#include "app/command_line.h"
#include "chrome/form_functions.h"
#include "integration/explorer_integration.h"
#include "integration/frm_integrate.h"
#include "integration/frm_options.h"
#include "integration/save_options_reported.h"
#include "listing/app_options.h"
#include "listing/browse_for_folder.h"
#include "listing/expand_short_path.h"
#include "listing/folder_listing.h"
#include "platform/folder_reader.h"
#include "platform/handles.h"
#include "platform/system_error.h"
#include "platform/taskbar_progress.h"
#include "platform/window/message_loop.h"
#include "platform/window/twips.h"

std::atomic<bool> CancelRequested{false};

namespace {

using namespace platform::window;

constexpr Colour kNavy = Rgb(0, 0, 128);
constexpr Colour kLabelText = Rgb(255, 255, 192);
constexpr Colour kOptionText = Rgb(192, 255, 192);
constexpr int kIconId = 1;        // IDI_QUILLET
constexpr int kHandCursor = 101;  // IDC_HAND_POINTER

constexpr ControlRow kRows[] = {
    {.name = L"Label1",
     .kind = ControlKind::Label,
     .caption = L"Enter Path To Directory",
     .left = 1080,
     .top = 960,
     .width = 1935,
     .height = 255,
     .flags = kTransparent,
     .foreColour = kLabelText},
    {.name = L"txtPath",
     .index = 0,
     .kind = ControlKind::TextBox,
     .caption = L"",
     .left = 1080,
     .top = 1200,
     .width = 2895,
     .height = 375},
    {.name = L"cmdBrowse",
     .index = 0,
     .kind = ControlKind::Button,
     .caption = L"Browse",
     .left = 4080,
     .top = 1200,
     .width = 975,
     .height = 375},
    {.name = L"Label2",
     .kind = ControlKind::Label,
     .caption = L"Enter File To Output To",
     .left = 1080,
     .top = 1680,
     .width = 1935,
     .height = 255,
     .flags = kTransparent,
     .foreColour = kLabelText},
    {.name = L"txtPath",
     .index = 1,
     .kind = ControlKind::TextBox,
     .caption = L"",
     .left = 1080,
     .top = 1920,
     .width = 2895,
     .height = 375},
    {.name = L"cmdBrowse",
     .index = 1,
     .kind = ControlKind::Button,
     .caption = L"Browse",
     .left = 4080,
     .top = 1920,
     .width = 975,
     .height = 375},
    {.name = L"fraOptions",
     .kind = ControlKind::Frame,
     .caption = L"Chose",
     .left = 960,
     .top = 2400,
     .width = 2535,
     .height = 1335,
     .foreColour = Rgb(255, 192, 255),
     .backColour = kNavy},
    {.name = L"cmdPrint",
     .kind = ControlKind::Button,
     .caption = L"&Write File",
     .left = 3720,
     .top = 3240,
     .width = 1095,
     .height = 375,
     .flags = kDefaultButton},
    {.name = L"cmdExit",
     .kind = ControlKind::Button,
     .caption = L"&Exit",
     .left = 2520,
     .top = 4200,
     .width = 975,
     .height = 375,
     .flags = kCancelButton},
    {.name = L"lblTitle",
     .kind = ControlKind::Label,
     .caption = L"Quillet",
     .left = 1200,
     .top = 480,
     .width = 3615,
     .height = 495,
     .flags = kCentred | kTransparent,
     .font = {.face = L"Times New Roman", .points = 15.75, .family = FontFamily::Roman},
     .foreColour = frmMain::kTitleNormal},
    {.name = L"optListType",
     .index = 0,
     .kind = ControlKind::OptionButton,
     .caption = L"List F&olders Only",
     .left = 120,
     .top = 240,
     .width = 1575,
     .height = 255,
     .container = frmMain::fraOptions,
     .foreColour = kOptionText,
     .backColour = kNavy},
    {.name = L"optListType",
     .index = 1,
     .kind = ControlKind::OptionButton,
     .caption = L"List &Files Only",
     .left = 120,
     .top = 480,
     .width = 1455,
     .height = 255,
     .container = frmMain::fraOptions,
     .foreColour = kOptionText,
     .backColour = kNavy},
    {.name = L"optListType",
     .index = 2,
     .kind = ControlKind::OptionButton,
     .caption = L"&List Files && Folders",
     .left = 120,
     .top = 720,
     .width = 1695,
     .height = 255,
     .container = frmMain::fraOptions,
     .foreColour = kOptionText,
     .backColour = kNavy},
    // Never drawn: it only carries the title's hover rectangle.
    {.name = L"picTitle",
     .kind = ControlKind::PictureBox,
     .caption = L"",
     .left = 480,
     .top = 360,
     .width = 495,
     .height = 375,
     .flags = kHidden},
    {.name = L"lblStatus",
     .kind = ControlKind::Label,
     .caption = L"Please Wait...",
     .left = 3600,
     .top = 2760,
     .width = 1695,
     .height = 375,
     .flags = kCentred,
     .font = {.face = L"MS Sans Serif", .points = 12, .bold = true},
     .backColour = Rgb(255, 0, 0)},
    {.name = L"optListType",
     .index = 3,
     .kind = ControlKind::OptionButton,
     .caption = L"List Folders Only (No Subs)",
     .left = 120,
     .top = 960,
     .width = 2295,
     .height = 255,
     .container = frmMain::fraOptions,
     .foreColour = kOptionText,
     .backColour = kNavy},
    {.name = L"cmdCancel",
     .kind = ControlKind::Button,
     .caption = L"&Cancel",
     .left = 3720,
     .top = 3720,
     .width = 1095,
     .height = 375},
    {.name = L"cmdOptions",
     .kind = ControlKind::Button,
     .caption = L"&Options",
     .left = 1200,
     .top = 3840,
     .width = 975,
     .height = 255},
};

// The enum and the table must name the same rows.
static_assert(kRows[frmMain::cmdPrint].name == L"cmdPrint");
static_assert(kRows[frmMain::lblTitle].name == L"lblTitle");
static_assert(kRows[frmMain::picTitle].name == L"picTitle");
static_assert(kRows[frmMain::lblStatus].name == L"lblStatus");
static_assert(kRows[frmMain::optListType3].name == L"optListType" &&
              kRows[frmMain::optListType3].index == 3);
static_assert(kRows[frmMain::cmdOptions].name == L"cmdOptions");
static_assert(std::size(kRows) == frmMain::cmdOptions + 1);

constexpr FormSpec kForm{
    .caption = L"Print Files & Folders",
    .width = 6030,
    .height = 4770,
    .border = BorderStyle::None,
    .backColour = kNavy,
    .iconId = kIconId,
    .centreOnScreen = true,
    .controls = kRows,
};

constexpr frmMain::Row kListTypeRows[] = {frmMain::optListType0, frmMain::optListType1,
                                          frmMain::optListType2, frmMain::optListType3};
constexpr frmMain::Row kPathRows[] = {frmMain::txtPath0, frmMain::txtPath1};

bool EndsWithTxt(const std::wstring& text) {
  const std::wstring_view view(text);
  return view.substr(view.size() >= 4 ? view.size() - 4 : 0) == L".txt";
}

// A path in the names the file system stores; a path that cannot be expanded stays as given,
// since filling a box never fails.
NativeString ExpandedOrAsGiven(const NativeString& path) {
  try {
    return ExpandShortPath(path);
  } catch (const std::exception&) {
    return path;
  }
}

std::wstring DroppedPath(HDROP drop, UINT index) {
  std::wstring path(DragQueryFileW(drop, index, nullptr, 0), L'\0');
  if (!path.empty()) {
    path.resize(DragQueryFileW(drop, index, path.data(), static_cast<UINT>(path.size() + 1)));
  }
  return path;
}

// Notepad from the Windows folder, by its full path, so that no program of the same name in
// the current or the program's folder is started instead.
void StartViewer(const std::wstring& outputPath, int showCommand) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    platform::ThrowLastError();
  }
  std::wstring application(folder, length);
  if (application.back() != L'\\') application += L'\\';
  application += L"notepad.exe";
  std::wstring commandLine = L"notepad.exe " + outputPath;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    platform::ThrowLastError();
  }
  platform::UniqueHandle processHandle(process.hProcess);
  platform::UniqueHandle threadHandle(process.hThread);
}

}  // namespace

// Posted and sent messages count as input as well: the system's close command (Alt+F4, the
// taskbar's Close) arrives posted and the session's end sent, and either must end the run
// rather than wait for it.
bool frmMain::InputWaiting() {
  constexpr UINT kWaiting = QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_SENDMESSAGE;
  return HIWORD(GetQueueStatus(kWaiting)) != 0;
}

void frmMain::ProcessInput() {
  if (!ProcessPendingMessages()) CancelRequested = true;  // the program is quitting
}

frmMain::frmMain()
    : Window(kForm),
      titleLink_(*this, kTitleTimerId, /*timerEnabled=*/true, lblTitle, picTitle, kTitleNormal,
                 kTitleHighlight) {}

frmMain::~frmMain() = default;

void frmMain::Load(std::wstring_view commandLine, int showCommand) {
  Create(nullptr);
  Form_Load(commandLine);
  Show(showCommand);
}

void frmMain::Form_Load(std::wstring_view commandLine) {
  WindowMover.SetForm(this);
  ShapeFormAsEllipse(*this);
  // Before anything runs a message loop: the title's watch timer runs from the window's
  // creation, the prompt's loop delivers its ticks, and the first tick takes its hover size
  // from picTitle.
  const ControlRow& title = kRows[lblTitle];
  MoveControl(picTitle, {static_cast<double>(title.left), static_cast<double>(title.top),
                         static_cast<double>(title.width), static_cast<double>(title.height)});
  // The prompt is offered only while Explorer's menus lack the command, whatever another
  // instance saved.
  LoadOptionsFollowingRegistry();
  if (AppOptions.UseDefaultDir) SetText(txtPath1, AppOptions.DefaultDir);
  ShowIntegrationPromptIfNeeded();

  // A stored list type that names no option button selects the default one.
  int listType = AppOptions.PrintListType;
  if (listType < 0 || listType > 3) listType = kListFilesAndFolders;
  CurrentListType = listType;
  SetValue(kListTypeRows[listType], true);
  optListType_Click(listType);

  ownedTitleCursor_.reset(
      static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kHandCursor),
                                      IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
  // Without the program's resources (a test executable) the system's hand stands in.
  titleCursor_ = ownedTitleCursor_ ? ownedTitleCursor_.get() : LoadCursorW(nullptr, IDC_HAND);

  SetVisible(lblStatus, false);
  SetEnabled(cmdCancel, false);

  DragAcceptFiles(Handle(), TRUE);

  // Start-up never fails on its command line: a path that cannot be expanded stays as given.
  const NativeString source = SourcePathFromCommandLine(commandLine);
  if (!source.empty()) SetText(txtPath0, ExpandedOrAsGiven(source));
}

std::optional<LRESULT> frmMain::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  if (message != WM_DROPFILES) return std::nullopt;
  const platform::UniqueHDrop drop(reinterpret_cast<HDROP>(wParam));
  Form_DropFiles(drop.get());
  return 0;
}

// Files dropped from Explorer: a folder fills the source box, expanded as the command line's
// is; a .txt file fills the output box; anything else changes nothing. Of several dropped
// at once, the first folder and the first .txt file count.
void frmMain::Form_DropFiles(HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  bool sourceFilled = false;
  bool outputFilled = false;
  for (UINT i = 0; i < count; ++i) {
    const std::wstring path = DroppedPath(drop, i);
    if (path.empty()) continue;
    if (platform::FolderExists(path)) {
      if (!sourceFilled) SetText(txtPath0, ExpandedOrAsGiven(path));
      sourceFilled = true;
    } else if (EndsWithTxt(path)) {
      if (!outputFilled) SetText(txtPath1, path);
      outputFilled = true;
    }
  }
}

void frmMain::ShowIntegrationPromptIfNeeded() {
  // Unowned, so that the prompt has its own taskbar button while this window is still hidden.
  ShowIntegrationPromptIfWanted(nullptr);
}

void frmMain::ShowOptionsDialog() {
  frmOptions options(Control(txtPath1));
  options.Load(Handle());
  options.ShowModal(Handle());
}

void frmMain::ShowAboutBox() {
  frmAbout about;
  about.Load(Handle());
  about.ShowModal(Handle());
}

void frmMain::Unload() {
  switch (state_) {
    case RunState::Unloaded:
    case RunState::UnloadAfterRun:
      return;
    case RunState::Running:
      CancelRequested = true;
      state_ = RunState::UnloadAfterRun;
      return;
    case RunState::Idle:
      state_ = RunState::Unloaded;
      Form_Unload();
      Destroy();
      return;
  }
}

// The process may end as soon as this returns: the options are saved now, not when a run in
// progress has unwound, and the window goes with the run.
void frmMain::OnEndSession() {
  if (state_ == RunState::Unloaded) return;
  const bool running = RunInProgress();
  if (running) CancelRequested = true;
  state_ = RunState::Unloaded;
  Form_Unload();
  if (!running) Destroy();
}

void frmMain::Form_Unload() {
  WindowMover.SetForm(nullptr);
  titleCursor_ = nullptr;
  ownedTitleCursor_.reset();
  SaveOptionsReported(Handle());
}

int frmMain::Box(const std::wstring& text, const wchar_t* title, UINT style) {
  return MessageBoxW(Handle(), text.c_str(), title, style);
}

void frmMain::OnClick(int row) {
  switch (row) {
    case cmdPrint:
      cmdPrint_Click();
      break;
    case cmdCancel:
      cmdCancel_Click();
      break;
    case cmdBrowse0:
      cmdBrowse_Click(0);
      break;
    case cmdBrowse1:
      cmdBrowse_Click(1);
      break;
    case cmdExit:
      cmdExit_Click();
      break;
    case cmdOptions:
      cmdOptions_Click();
      break;
    case lblTitle:
      lblTitle_Click();
      break;
    case optListType0:
    case optListType1:
    case optListType2:
    case optListType3:
      optListType_Click(kRows[row].index);
      break;
    default:
      break;
  }
}

void frmMain::cmdExit_Click() { Unload(); }

void frmMain::cmdOptions_Click() { ShowOptionsDialog(); }

void frmMain::optListType_Click(int index) {
  CurrentListType = index;
  AppOptions.PrintListType = static_cast<std::int16_t>(index);
}

void frmMain::OnMouseDown(int /*button*/, int /*shift*/, float x, float y) {
  WindowMover.HandleMouseDown(x, y);
}

void frmMain::OnMouseMove(int /*button*/, int /*shift*/, float x, float y) {
  WindowMover.HandleMouseMove(x, y);
}

void frmMain::OnMouseUp(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
  WindowMover.HandleMouseUp();
}

// The paths as the run takes them: a path pasted with its quotes loses them.
std::wstring frmMain::PathText(int row) const { return PathWithoutQuotes(Text(row)); }

void frmMain::cmdPrint_Click() {
  const std::wstring source = PathText(txtPath0);
  const std::wstring output = PathText(txtPath1);
  if (source.empty() || output.empty()) {
    Box(L"Must have a valid Source Path and Output Path", L"Invalid Paths",
        MB_OK | MB_ICONINFORMATION);
    FocusControl(source.empty() ? txtPath0 : txtPath1);
    return;
  }
  if (!EndsWithTxt(output)) {
    Box(L"Must have a valid output path to a '.txt' file", L"Invalid Output",
        MB_OK | MB_ICONINFORMATION);
    FocusControl(txtPath1);
    return;
  }

  state_ = RunState::Running;
  // Focus goes back there after the run, so that Enter then starts a run again rather than
  // pressing whatever the focus moved on to while Write File was disabled.
  focusBeforeRun_ = FocusedRow();
  try {
    // Before the output file is touched, so that a mistyped source costs nothing.
    platform::RequireFolder(source);
    SetVisible(lblStatus, true);
    // The walk keeps the thread busy until its first yield point: paint the notice now.
    RedrawWindow(Control(lblStatus), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ERASENOW);
    SetEnabled(cmdCancel, true);
    // Enter during the run then cancels it rather than pressing Exit.
    if (focusBeforeRun_ == cmdPrint) Focus(cmdCancel);
    SetEnabled(cmdPrint, false);
    CancelRequested = false;
    ListingSettings settings;
    settings.source = PathText(txtPath0);
    settings.output = PathText(txtPath1);
    settings.listType = CurrentListType;
    settings.layout = LayoutOf(AppOptions);
    settings.cancel = CancelToken(CancelRequested);
    settings.hooks = runHooks_;
    ListingRun run(std::move(settings));
    {
      if (!taskbar_) taskbar_ = platform::SystemTaskbar();
      // Shown on the taskbar button while the walk runs, cleared however it ends.
      const platform::TaskbarProgress progress(Handle(), *taskbar_);
      run.WriteFolderListing();
    }

    int answer = 0;
    if (state_ == RunState::Unloaded) {
      // The session's end: the process may end at any moment, and nobody would see a box.
    } else if (CancelRequested) {
      // Also when Exit stopped the run: the window goes after the box, and a listing cut short
      // is never left without a word.
      Box(L"Action Canceled. Not all data written to File.", L"Canceled",
          MB_OK | MB_ICONINFORMATION);
    } else {
      answer = Box(L"Print Successful. Do You Wish To View The File?", L"View File?",
                   MB_YESNO | MB_ICONQUESTION);
    }
    if (answer == IDYES) {
      StartViewer(PathText(txtPath1),
                  AppOptions.PrintStyle != 0 ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    }
  } catch (const platform::SystemError& e) {
    ShowErrorReport(Handle(), e.Description());
  } catch (const std::exception& e) {
    ShowErrorReport(Handle(), platform::FromUtf8(e.what()));
  }
  EndRun();
}

void frmMain::EndRun() {
  if (state_ == RunState::Running) state_ = RunState::Idle;
  if (IsLoaded()) {
    SetVisible(lblStatus, false);
    SetEnabled(cmdCancel, false);
    SetEnabled(cmdPrint, true);
    if (focusBeforeRun_ >= 0) Focus(focusBeforeRun_);
  }
  if (state_ == RunState::UnloadAfterRun) {
    state_ = RunState::Idle;
    Unload();
  } else if (state_ == RunState::Unloaded) {
    // The session's end has saved the options already.
    Destroy();
  }
}

void frmMain::cmdCancel_Click() { CancelRequested = true; }

void frmMain::cmdBrowse_Click(int index) {
  const NativeString folder = BrowseForFolder(Handle(), L"Select a folder", L"Cancel");
  if (folder == L"Cancel") return;
  SetText(kPathRows[index], folder);
  if (index == 1) SetText(txtPath1, Text(txtPath1) + kDefaultListingFileName);
}

void frmMain::OnControlMouseMove(int row, int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
  if (row == lblTitle) lblTitle_MouseMove();
}

HCURSOR frmMain::CursorFor(int row) {
  return row == lblTitle && titleLink_.PointerCustom() ? titleCursor_ : nullptr;
}

void frmMain::OnTimer(UINT_PTR id) {
  if (id == kTitleTimerId) tmrTitle_Timer();
}

void frmMain::lblTitle_MouseMove() { titleLink_.Highlight(titleCursor_); }

// Ends the highlight once the pointer has left picTitle, which covers the title exactly.
void frmMain::tmrTitle_Timer() { titleLink_.Tick(); }

void frmMain::lblTitle_Click() { ShowAboutBox(); }
