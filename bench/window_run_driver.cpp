// Drives one Write File run of the main window for bench/window-run.sh: loads the real frmMain
// in this process with SOURCE on its command line (as the Explorer command starts it), types
// OUTPUT, presses Write File and answers No to "View File?". Prints the time from the press to
// the question in milliseconds, then a line on the run's yield points: how many there were and
// the longest gap between two of them (the window's responsiveness during the walk).
//   window_run_driver SOURCE OUTPUT
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/frm_main.h"
#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "platform/settings_store.h"

namespace {

LARGE_INTEGER frequency;
long long Now() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}
double Milliseconds(long long ticks) {
  return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

long long pressed = 0;
long long asked = 0;
long long lastYield = 0;
long long longestGap = 0;
long long yieldPoints = 0;

// The window's own yield point, timed.
bool TimedInputWaiting() {
  const long long now = Now();
  if (lastYield != 0 && now - lastYield > longestGap) longestGap = now - lastYield;
  lastYield = now;
  ++yieldPoints;
  return frmMain::InputWaiting();
}

// Answers the closing question as it comes up.
LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t name[16] = {}, title[64] = {};
    GetClassNameW(box, name, 16);
    GetWindowTextW(box, title, 64);
    if (std::wstring(name) == L"#32770") {
      if (std::wstring(title) == L"View File?") asked = Now();
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_run_driver SOURCE OUTPUT\n");
    return 2;
  }
  QueryPerformanceFrequency(&frequency);
  // This driver's own settings: no integration prompt, the default list type.
  platform::WriteSetting(OptionsApplicationName(), L"Options", L"DontBother", L"True");
  platform::WriteSetting(OptionsApplicationName(), L"Options", L"PrintListType", L"2");
  frmMain form;
  form.Load(L"\"" + std::wstring(argv[1]) + L"\"");
  form.SetRunHooks({&TimedInputWaiting, &frmMain::ProcessInput, nullptr});
  SetWindowTextW(form.Control(frmMain::txtPath1), argv[2]);
  const HHOOK hook = SetWindowsHookExW(WH_CBT, &WatchBoxes, nullptr, GetCurrentThreadId());
  pressed = Now();
  SendMessageW(form.Control(frmMain::cmdPrint), BM_CLICK, 0, 0);
  UnhookWindowsHookEx(hook);
  form.Unload();
  if (asked == 0) {
    std::fprintf(stderr, "no \"View File?\" question\n");
    return 1;
  }
  std::printf("%.1f\n", Milliseconds(asked - pressed));
  std::printf("yield_points=%lld longest_gap_ms=%.3f\n", yieldPoints, Milliseconds(longestGap));
  return 0;
}
