#include <cstdlib>
#include <filesystem>
#include <string>

#include "settings_sandbox.h"
#include "temp_tree.h"

namespace testing_support {

SettingsSandbox::SettingsSandbox() {
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
    previous_ = old;
    hadPrevious_ = true;
  }
  // Unique per process: tests of several processes run side by side.
  static int count = 0;
  place_ = (std::filesystem::temp_directory_path() /
            ("quillet-settings-" + std::to_string(ProcessId()) + "-" + std::to_string(count++)))
               .string();
  RemoveTree(place_);
  setenv("XDG_CONFIG_HOME", place_.c_str(), 1);
}

SettingsSandbox::~SettingsSandbox() {
  RemoveTree(place_);
  if (hadPrevious_)
    setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace testing_support
