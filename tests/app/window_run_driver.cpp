// Drives one Write File run of Quillet.exe for bench/window-run.sh: starts the program on
// SOURCE, types OUTPUT, presses Write File, waits for "View File?", answers No, closes the
// program. Prints the time from the press to the question in milliseconds. The program itself
// appends its yield-point timing to the file named by QUILLET_YIELD_LOG (set by the caller).
//   window_run_driver QUILLET.EXE SOURCE OUTPUT
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/frm_main.h"

namespace {

struct Search {
  DWORD processId;
  const wchar_t* className;
  const wchar_t* caption;
  HWND found;
};

HWND WaitForWindow(DWORD processId, const wchar_t* className, const wchar_t* caption,
                   int timeoutMs) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    Search search{processId, className, caption, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto& s = *reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          GetWindowThreadProcessId(hwnd, &owner);
          wchar_t name[64] = {}, text[256] = {};
          GetClassNameW(hwnd, name, 64);
          GetWindowTextW(hwnd, text, 256);
          if (owner == s.processId && IsWindowVisible(hwnd) && std::wstring(name) == s.className &&
              std::wstring(text) == s.caption) {
            s.found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found || GetTickCount64() > end) return search.found;
    Sleep(1);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: window_run_driver QUILLET.EXE SOURCE OUTPUT\n");
    return 2;
  }
  const std::wstring program = argv[1];
  std::wstring commandLine = L"\"" + program + L"\" \"" + argv[2] + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    std::fprintf(stderr, "cannot start the program: error %lu\n", GetLastError());
    return 1;
  }
  CloseHandle(process.hThread);
  int status = 1;
  const HWND main =
      WaitForWindow(process.dwProcessId, L"QuilletFormWindow", L"Print Files & Folders", 20000);
  if (main) {
    const HWND output = GetDlgItem(main, platform::window::kFirstControlId + frmMain::txtPath1);
    SendMessageW(output, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3]));
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PostMessageW(GetDlgItem(main, platform::window::kFirstControlId + frmMain::cmdPrint), BM_CLICK,
                 0, 0);
    const HWND question = WaitForWindow(process.dwProcessId, L"#32770", L"View File?", 600000);
    QueryPerformanceCounter(&end);
    if (question) {
      std::printf("%.1f\n", 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                static_cast<double>(frequency.QuadPart));
      PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(question, IDNO)));
      status = 0;
    } else {
      std::fprintf(stderr, "no \"View File?\" question\n");
    }
    Sleep(200);
    PostMessageW(main, WM_CLOSE, 0, 0);
  } else {
    std::fprintf(stderr, "the main window did not appear\n");
  }
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    status = 1;
  }
  CloseHandle(process.hProcess);
  return status;
}
