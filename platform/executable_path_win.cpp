#include <windows.h>

#include "executable_path.h"
#include "system_error.h"

namespace platform {

NativeString ExecutablePath() {
  NativeString path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) ThrowLastError();
    // A path that fills the buffer may have been cut: try again with more room.
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

ExecutableParts SplitExecutablePath(const NativeString& path) {
  ExecutableParts parts;
  const auto slash = path.find_last_of(L"\\/");
  if (slash != NativeString::npos) parts.folder = path.substr(0, slash);
  parts.name = slash == NativeString::npos ? path : path.substr(slash + 1);
  const auto dot = parts.name.find_last_of(L'.');
  if (dot != NativeString::npos && dot > 0) parts.name.resize(dot);
  return parts;
}

}  // namespace platform
