// Points the settings store at a private place for one test, so that a developer's own
// settings are never read or touched: a temporary XDG_CONFIG_HOME on POSIX, HKEY_CURRENT_USER
// redirected to a scratch key on Windows.
#pragma once

#include "platform/native_text.h"

namespace testing_support {

class SettingsSandbox {
 public:
  SettingsSandbox();
  ~SettingsSandbox();
  SettingsSandbox(const SettingsSandbox&) = delete;
  SettingsSandbox& operator=(const SettingsSandbox&) = delete;

 private:
  NativeString place_;
  NativeString previous_;
  bool hadPrevious_ = false;
};

}  // namespace testing_support
