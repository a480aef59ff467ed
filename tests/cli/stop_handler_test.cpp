// The Windows tool's console control handler. Wine sends real Ctrl+C events through a console
// of the test's own (it refuses Ctrl+Break to a whole console, and nothing here can close a
// console window); the other events are given to the handler directly.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "cli/signals.h"
#include "run_process.h"
#include "support/temp_tree.h"

using testing_support::ReadBytes;
using testing_support::TempTree;

namespace {

// Events the handlers before it passed on: where the system's own handler would end the
// process, this one keeps the test alive and counts them.
std::atomic<int> passedOn{0};
BOOL WINAPI CountPassedOn(DWORD) {
  ++passedOn;
  return TRUE;
}

bool WaitFor(const std::function<bool()>& condition) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// A console of this process's own, which Ctrl+C events can be sent to.
void OwnConsole() {
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  ASSERT_TRUE(SetConsoleCtrlHandler(CountPassedOn, TRUE));
}

}  // namespace

TEST(ConsoleStop, FirstCtrlCStopsTheRunASecondGoesOnAndClosingWaitsForTheWrites) {
  OwnConsole();
  InstallStopHandlers();
  ASSERT_FALSE(StopRequested());
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  ASSERT_TRUE(WaitFor([] { return StopRequested().load(); }));
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  ASSERT_TRUE(WaitFor([] { return passedOn > 0; }));
  EXPECT_FALSE(HandleConsoleEvent(CTRL_BREAK_EVENT)) << "a second Ctrl+Break ends the process";

  // Closing the console window: the handler returns once the output is closed, and the
  // process ends then.
  std::atomic<bool> returned{false};
  std::thread closing([&] {
    EXPECT_TRUE(HandleConsoleEvent(CTRL_CLOSE_EVENT));
    returned = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(returned) << "returned before the closing writes";
  RunOutputClosed();
  closing.join();
  EXPECT_EQ(passedOn, 1) << "the first Ctrl+C went on to the system";
  EXPECT_EQ(static_cast<DWORD>(EndAfterStop()), STATUS_CONTROL_C_EXIT);
}

// The real tool on the test's console, stopped by Ctrl+C mid-run.
TEST(ConsoleStop, CtrlCEndsTheToolsRunWithWholeLines) {
  TempTree tree;
  // Lines leave in writes of 64 KiB: the listing takes several, so that the run is still
  // going when its first lines reach the file.
  for (int folder = 0; folder < 80; ++folder)
    for (int file = 0; file < 60; ++file)
      tree.File("src/folder " + std::to_string(folder) + "/a file with a longer name " +
                std::to_string(file));
  OwnConsole();
  const NativeString out = tree.Path("out.txt");
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE err = CreateFileW(tree.Path("err.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                 &inherit, CREATE_ALWAYS, 0, nullptr);
  void* tool = StartQuilletListOnConsole({tree.Path("src"), out}, err);
  ASSERT_TRUE(WaitFor([&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(out.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0;
  }));
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  EXPECT_EQ(static_cast<DWORD>(WaitForExit(tool)), STATUS_CONTROL_C_EXIT);
  CloseHandle(err);
  EXPECT_EQ(ReadBytes(tree.Path("err.txt")), "");
  const std::string listing = ReadBytes(out);
  // "folder 9" comes last in the order NTFS gives.
  EXPECT_EQ(listing.find("   folder 9\r\n"), std::string::npos) << "the run went on to its end";
  EXPECT_EQ(listing.substr(listing.size() - 2), "\r\n");
}
