// The main window loaded in-process over a private settings store.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "app/frm_main.h"
#include "gui_test_support.h"
#include "listing/app_options.h"
#include "listing/folder_listing.h"
#include "platform/settings_store.h"
#include "support/settings_sandbox.h"
#include "support/temp_tree.h"

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    gui_test::KeepDesktopAlive();
    testing_support::ResetListingState();
    AppOptions = {};
    // Keeps the modal Explorer-integration prompt out of the main window's own tests.
    Store(L"DontBother", L"True");
  }
  ~MainWindowTest() override { testing_support::ResetListingState(); }

  static void Store(const wchar_t* key, const wchar_t* value) {
    platform::WriteSetting(OptionsApplicationName(), L"Options", key, value);
  }
  static std::wstring Stored(const wchar_t* key) {
    return platform::ReadSetting(OptionsApplicationName(), L"Options", key).value_or(L"<none>");
  }
  void Load(std::wstring_view commandLine = L"") {
    form.Load(commandLine);
    SetForegroundWindow(form.Handle());
    gui_test::PumpFor(0);
  }
  HWND Ctl(frmMain::Row row) const { return form.Control(row); }

  // Runs `action` on this thread at the first yield point of the window's next run (after
  // Load); the window's own yield point then handles whatever it queued. No thread races the
  // walk, so where in the run the action lands is the same on every machine.
  void AtFirstYield(std::function<void()> action) {
    yieldAction_ = std::move(action);
    form.SetRunHooks({[this] {
                        if (yieldAction_) std::exchange(yieldAction_, nullptr)();
                        return frmMain::InputWaiting();
                      },
                      &frmMain::ProcessInput,
                      {}});
  }

  testing_support::SettingsSandbox sandbox;
  frmMain form;

 private:
  std::function<void()> yieldAction_;
};
