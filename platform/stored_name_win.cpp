#include <windows.h>

#include "long_path_win.h"
#include "stored_name.h"

namespace platform {

std::optional<NativeString> StoredName(const NativeString& path) {
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW(LongPathForm(path).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(find);
  return NativeString(data.cFileName);
}

}  // namespace platform
