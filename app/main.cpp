// Quillet.exe: creates the main window from the command line and runs the message loop.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "app/frm_main.h"
#include "platform/native_text.h"
#include "platform/system_error.h"
#include "platform/window/message_loop.h"

namespace {

// The shell's folder picker needs COM on this thread.
class ComApartment {
 public:
  ComApartment()
      : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int showCommand) {
  // DLLs loaded from now on come from the system folder only, never from the program's own
  // folder, where anything downloaded beside it may lie. (It fails only for an unknown flag.)
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  try {
    ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    frmMain form;
    form.SetQuitOnDestroy(true);
    form.Load(commandLine ? commandLine : L"", showCommand);
    return platform::window::RunMessageLoop();
  } catch (const std::exception&) {
    const std::wstring text =
        platform::ErrorReportText(std::current_exception(), ERROR_INTERNAL_ERROR);
    MessageBoxW(nullptr, text.c_str(), L"Print Files & Folders", MB_OK | MB_ICONERROR);
  }
  return 1;
}
