#include "integration/save_options_reported.h"

#include "listing/app_options.h"
#include "platform/system_error.h"

void ShowErrorReport(HWND owner, const std::wstring& description) {
  MessageBoxW(owner, description.c_str(), L"Error", MB_OK | MB_ICONINFORMATION);
}

bool SaveOptionsReported(HWND owner) {
  try {
    SaveOptions();
    return true;
  } catch (const platform::SystemError& e) {
    ShowErrorReport(owner, e.Description());
    return false;
  }
}
