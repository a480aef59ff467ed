#include "long_path_win.h"

#include <windows.h>

#include "system_error.h"

namespace platform {

NativeString FullPathName(const NativeString& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) ThrowSystemError(static_cast<long>(GetLastError()), path);
  NativeString full(size, L'\0');
  size = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (size == 0) ThrowSystemError(static_cast<long>(GetLastError()), path);
  full.resize(size);
  return full;
}

NativeString ExtendedPath(const NativeString& full) {
  if (full.rfind(L"\\\\?\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

NativeString LongPathForm(const NativeString& path) {
  // Folder calls stop 12 characters short of MAX_PATH (room for an 8.3 name).
  constexpr std::size_t kShortEnough = MAX_PATH - 12;
  if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) return path;
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  // A path the system cannot resolve goes as given: the call it is for reports the failure.
  if (size == 0 || (size <= kShortEnough && path.size() <= kShortEnough)) return path;
  return ExtendedPath(FullPathName(path));
}

}  // namespace platform
