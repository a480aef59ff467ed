// Keeps Wine's desktop process alive between the GUI test processes of one test run.
// Without a window on the desktop, Wine's explorer exits shortly after each process, and the
// next process that creates a window waits about 10 s for a new one to come up (its COM
// start-up times out on these machines). This hidden window lives while test processes keep
// pinging it, and quits after 60 s without a ping.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"QuilletTestDesktopKeeper");
  if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 0;
  HANDLE ping = CreateEventW(nullptr, FALSE, FALSE, L"QuilletTestDesktopKeeperPing");
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"QuilletTestDesktopKeeper";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1,
                                1, nullptr, nullptr, instance, nullptr);
  for (;;) {
    const DWORD result = MsgWaitForMultipleObjects(1, &ping, FALSE, 60000, QS_ALLINPUT);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  DestroyWindow(window);
  CloseHandle(ping);
  CloseHandle(mutex);
  return 0;
}
