// Stands in for the shell's ShellExecuteW while a test runs: records every call and answers
// with a status the test chooses.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "about/internet_functions_declarations.h"

struct ShellCall {
  HWND owner = nullptr;
  std::wstring operation;
  std::wstring file;
  bool hasParameters = false;
  bool hasDirectory = false;
  int showCommand = -1;
};

class ShellRecorder {
 public:
  ShellRecorder() {
    calls.clear();
    status = 42;
    ReplaceShellExecuteEntry(&Record);
  }
  ~ShellRecorder() { RestoreShellExecuteEntry(); }
  ShellRecorder(const ShellRecorder&) = delete;
  ShellRecorder& operator=(const ShellRecorder&) = delete;

  // Status the next calls return (above 32: success).
  inline static INT_PTR status = 42;
  inline static std::vector<ShellCall> calls;

 private:
  static HINSTANCE WINAPI Record(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters,
                                 LPCWSTR directory, INT showCommand) {
    calls.push_back({owner, operation ? operation : L"<null>", file ? file : L"<null>",
                     parameters != nullptr, directory != nullptr, showCommand});
    return reinterpret_cast<HINSTANCE>(status);
  }
};
