#include <cstdio>

#include "error_box.h"

namespace platform {

void ShowErrorBox(const NativeString& title, const NativeString& text) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

}  // namespace platform
