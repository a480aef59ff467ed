// The main window's taskbar button during a run: told through a taskbar list that records what
// it is given, and with no taskbar list at all.
#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <ostream>
#include <string>
#include <vector>

#include "frm_main_fixture.h"
#include "platform/handles.h"
#include "platform/taskbar_progress.h"

using gui_test::Answer;
using gui_test::BoxWatcher;
using gui_test::SeenBox;
using Microsoft::WRL::ComPtr;
using testing_support::ReadLines;
using testing_support::TempTree;

namespace {

// Records the progress states it is given and whether the window still existed then; it
// refuses everything else, as a taskbar that implements only part of the interface does.
class RecordingTaskbar final : public ITaskbarList3 {
 public:
  struct Call {
    HWND window;
    TBPFLAG state;
    bool windowAlive;
    bool operator==(const Call&) const = default;
    friend void PrintTo(const Call& call, std::ostream* out) {
      *out << "{window " << call.window << ", state " << call.state
           << (call.windowAlive ? "}" : ", window gone}");
    }
  };
  static ComPtr<RecordingTaskbar> Make() {
    ComPtr<RecordingTaskbar> taskbar;
    taskbar.Attach(new RecordingTaskbar);
    return taskbar;
  }
  std::vector<Call> calls;

  HRESULT STDMETHODCALLTYPE SetProgressState(HWND hwnd, TBPFLAG state) override {
    calls.push_back({hwnd, state, IsWindow(hwnd) != FALSE});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (id != __uuidof(IUnknown) && id != __uuidof(ITaskbarList) && id != __uuidof(ITaskbarList2) &&
        id != __uuidof(ITaskbarList3)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<ITaskbarList3*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE HrInit() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetProgressValue(HWND, ULONGLONG, ULONGLONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return E_NOTIMPL; }

 private:
  RecordingTaskbar() = default;
  ~RecordingTaskbar() = default;
  ULONG references_ = 1;
};

// While it lives, this executable's calls to FlashWindowEx land here (its import slot is
// pointed at Record) and are recorded instead of made: the flash itself is the taskbar's.
class FlashRecorder {
 public:
  FlashRecorder() {
    const auto real = reinterpret_cast<ULONG_PTR>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "FlashWindowEx"));
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports);
         dll->Name != 0 && !slot_; ++dll) {
      for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
           thunk->u1.Function != 0; ++thunk) {
        if (thunk->u1.Function == real) slot_ = &thunk->u1.Function;
      }
    }
    EXPECT_NE(nullptr, slot_) << "no import of FlashWindowEx";
    if (slot_) original_ = Swap(reinterpret_cast<ULONG_PTR>(&Record));
    calls.clear();
  }
  ~FlashRecorder() {
    if (slot_) Swap(original_);
  }
  FlashRecorder(const FlashRecorder&) = delete;
  FlashRecorder& operator=(const FlashRecorder&) = delete;

  inline static std::vector<FLASHWINFO> calls;

 private:
  static BOOL WINAPI Record(PFLASHWINFO info) {
    calls.push_back(*info);
    return FALSE;
  }
  ULONG_PTR Swap(ULONG_PTR value) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
    const ULONG_PTR previous = *slot_;
    *slot_ = value;
    VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    return previous;
  }
  ULONG_PTR* slot_ = nullptr;
  ULONG_PTR original_ = 0;
};

class TaskbarTest : public MainWindowTest {
 protected:
  TaskbarTest() {
    tree.File("Docs/a.txt");
    tree.File("b.txt");
    Store(L"PrintStyle", L"0");  // no padding after the names
  }
  // Fills the boxes, presses Write File and answers the boxes it shows.
  std::vector<SeenBox> WriteFile(const std::wstring& output, int answer = IDNO) {
    SetWindowTextW(Ctl(frmMain::txtPath0), tree.Root().c_str());
    SetWindowTextW(Ctl(frmMain::txtPath1), output.c_str());
    BoxWatcher watcher({Answer(answer)});
    gui_test::Press(Ctl(frmMain::cmdPrint));
    return watcher.Seen();
  }
  void ExpectListed(const std::wstring& output) {
    EXPECT_EQ((std::vector<std::string>{"   Docs", "      a.txt", "   b.txt"}), ReadLines(output));
  }
  TempTree tree;
  TempTree out;
};

}  // namespace

TEST_F(TaskbarTest, ButtonShowsTheRunUntilItEndsAndFlashesWhenItEndsUnseen) {
  using Call = RecordingTaskbar::Call;
  Load();
  const HWND window = form.Handle();
  const ComPtr<RecordingTaskbar> taskbar = RecordingTaskbar::Make();
  form.SetTaskbar(taskbar);
  FlashRecorder flashes;
  const std::vector<Call> busy{{window, TBPF_INDETERMINATE, true}};
  const std::vector<Call> busyThenCleared{{window, TBPF_INDETERMINATE, true},
                                          {window, TBPF_NOPROGRESS, true}};

  // The user stays: busy during the walk, cleared before the question, no flash.
  std::vector<Call> duringTheWalk;
  AtFirstYield([&] { duringTheWalk = taskbar->calls; });
  auto seen = WriteFile(out.Path("list.txt"));
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"View File?", seen[0].title);
  ExpectListed(out.Path("list.txt"));
  EXPECT_EQ(busy, duringTheWalk);
  EXPECT_EQ(busyThenCleared, taskbar->calls);
  EXPECT_TRUE(flashes.calls.empty());

  // The user goes to another program during the walk: the button flashes until they return.
  platform::UniqueHwnd elsewhere(CreateWindowExW(0, L"STATIC", L"elsewhere",
                                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                                 nullptr, nullptr, nullptr, nullptr));
  ASSERT_NE(nullptr, elsewhere.get());
  SetForegroundWindow(window);
  AtFirstYield([&] { SetForegroundWindow(elsewhere.get()); });
  WriteFile(out.Path("list.txt"));
  ASSERT_EQ(1u, flashes.calls.size());
  EXPECT_EQ(window, flashes.calls[0].hwnd);
  EXPECT_EQ(static_cast<DWORD>(FLASHW_TRAY | FLASHW_TIMERNOFG), flashes.calls[0].dwFlags);
  elsewhere.reset();

  // A run that fails is cleared as well.
  taskbar->calls.clear();
  SetForegroundWindow(window);
  seen = WriteFile(out.Path("no such folder/list.txt"), IDOK);
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"Error", seen[0].title);
  EXPECT_EQ(busyThenCleared, taskbar->calls);

  // Exit during the walk: cleared while the window is still there, then it goes.
  taskbar->calls.clear();
  AtFirstYield([&] { form.Unload(); });
  WriteFile(out.Path("list.txt"));
  EXPECT_FALSE(form.IsLoaded());
  EXPECT_EQ(busyThenCleared, taskbar->calls);
}

// Where the system has no taskbar list (or only part of one), a run goes on as ever.
TEST_F(TaskbarTest, RunWithoutATaskbarListListsAsEver) {
  Load();
  form.SetTaskbar(nullptr);
  auto seen = WriteFile(out.Path("none.txt"));
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"View File?", seen[0].title);
  ExpectListed(out.Path("none.txt"));

  // The system's own, as the program gets it on a thread with COM.
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  form.SetTaskbar(platform::SystemTaskbar());
  seen = WriteFile(out.Path("system.txt"));
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(L"View File?", seen[0].title);
  ExpectListed(out.Path("system.txt"));
  form.SetTaskbar(nullptr);
  CoUninitialize();
}
