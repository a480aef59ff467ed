// OpenWebPage and the shell launch behind it: what is handed to the shell, the status coming
// back unchanged, and error 999 when the shell cannot be called.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "about/internet_functions.h"
#include "about/internet_functions_declarations.h"
#include "platform/system_error.h"
#include "shell_recorder.h"

namespace {

TEST(OpenWebPageTest, HandsTheAddressToOpenAndReturnsEveryStatusUnchanged) {
  ShellRecorder shell;
  const std::wstring url = L"www.example.org/some page/";
  // Successes, the boundary, the shell's own failure codes, and zero (out of memory).
  for (const INT_PTR status :
       {INT_PTR{42}, INT_PTR{33}, INT_PTR{32}, INT_PTR{31}, INT_PTR{SE_ERR_FNF}, INT_PTR{0}}) {
    ShellRecorder::status = status;
    const std::int32_t style = 1;
    EXPECT_EQ(status, OpenWebPage(url, style)) << "status " << status;
  }
  ASSERT_EQ(6u, ShellRecorder::calls.size());
  for (const ShellCall& call : ShellRecorder::calls) {
    EXPECT_EQ(nullptr, call.owner);
    EXPECT_EQ(L"open", call.operation);
    EXPECT_EQ(url, call.file);  // as given: nothing added, nothing escaped
    EXPECT_FALSE(call.hasParameters);
    EXPECT_FALSE(call.hasDirectory);
    EXPECT_EQ(1, call.showCommand);
  }
  const std::int32_t hidden = 0;
  OpenWebPage(url, hidden);
  EXPECT_EQ(0, ShellRecorder::calls.back().showCommand);
}

TEST(OpenWebPageTest, RaisesError999WhenTheShellCannotBeCalled) {
  ShellRecorder shell;
  ReplaceShellExecuteEntry(nullptr);
  try {
    OpenWebPage(L"www.example.org/", 1);
    ADD_FAILURE() << "no error raised";
  } catch (const platform::SystemError& e) {
    EXPECT_EQ(999, e.Number());
    EXPECT_EQ(L"Could Not Open Webpage.", e.Description());
  }
  // The plain launch of the e-mail link reports the missing entry point as it is.
  EXPECT_THROW(ShellExecuteOpen(nullptr, L"mailto:", 1), platform::SystemError);
  EXPECT_TRUE(ShellRecorder::calls.empty());
}

TEST(OpenWebPageTest, RealShellReportsAMissingTargetAsAFailureStatus) {
  // The real shell of this Wine prefix: a file that does not exist cannot be opened, and the
  // shell's own status comes back as it is.
  const std::wstring missing = L"C:\\no such folder\\no such page.html";
  const auto direct = static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", missing.c_str(), nullptr, nullptr, SW_SHOWNORMAL)));
  const std::int32_t status = OpenWebPage(missing, SW_SHOWNORMAL);
  RecordProperty("shell_status", status);
  EXPECT_LE(status, 32);
  EXPECT_GE(status, 0);
  EXPECT_EQ(direct, status);
}

}  // namespace
