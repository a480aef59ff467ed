// The main window loaded over a private settings store, with its Options button opening the
// real options dialog.
#pragma once

#include <gtest/gtest.h>

#include "options_dialog_driver.h"
#include "tests/app/frm_main_fixture.h"

namespace options_test {

class OptionsDialogTest : public MainWindowTest {
 protected:
  // Presses Options on the main window and runs `steps` on the dialog; returns when the dialog
  // has closed. The steps are expected to close it themselves.
  void WithOptions(OptionsDialogDriver::Steps steps) {
    OptionsDialogDriver driver(std::move(steps));
    gui_test::Press(Ctl(frmMain::cmdOptions));
    EXPECT_TRUE(driver.Ran()) << "the options dialog did not show";
    EXPECT_TRUE(driver.OwnerDisabled()) << "the dialog was not modal";
    EXPECT_FALSE(driver.ForcedClose()) << "the dialog stayed open";
    EXPECT_EQ(nullptr, FindOptionsDialog());
  }
};

}  // namespace options_test
