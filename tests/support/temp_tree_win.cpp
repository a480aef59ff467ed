#include <windows.h>

#include <stdexcept>

#include "temp_tree.h"

namespace testing_support {

namespace {

NativeString Extended(const NativeString& path) {
  return path.rfind(L"\\\\?\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

[[noreturn]] void Fail(const char* what, const NativeString& path) {
  throw std::runtime_error(std::string(what) + " " + platform::ToUtf8(path) + ": error " +
                           std::to_string(GetLastError()));
}

}  // namespace

unsigned long ProcessId() { return GetCurrentProcessId(); }

NativeString TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  NativeString folder(buffer, length);
  // The long form: GetTempPath may give a short (8.3) path.
  wchar_t longForm[MAX_PATH + 1];
  const DWORD longLength = GetLongPathNameW(folder.c_str(), longForm, MAX_PATH + 1);
  if (longLength > 0 && longLength <= MAX_PATH) folder.assign(longForm, longLength);
  return folder;
}

void MakeFolder(const NativeString& path) {
  if (!CreateDirectoryW(Extended(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    Fail("CreateDirectory", path);
}

void WriteFileBytes(const NativeString& path, std::string_view bytes) {
  const HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFile", path);
  DWORD written = 0;
  const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                             &written, nullptr);
  CloseHandle(file);
  if (!ok) Fail("WriteFile", path);
}

void TempTree::SizedFile(std::string_view relative, long long size) const {
  const NativeString path = Path(relative);
  const HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFile", path);
  LARGE_INTEGER end;
  end.QuadPart = size;
  const BOOL ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  if (!ok) Fail("SetEndOfFile", path);
}

void TempTree::SetModified(std::string_view relative, long long secondsSince1970) const {
  const NativeString path = Path(relative);
  const HANDLE file = CreateFileW(Extended(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFile", path);
  const ULONGLONG ticks = (static_cast<ULONGLONG>(secondsSince1970) + 11644473600ULL) * 10000000ULL;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(ticks);
  time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  const BOOL ok = SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
  if (!ok) Fail("SetFileTime", path);
}

void RemoveTree(const NativeString& path) {
  const NativeString extended = Extended(path);
  WIN32_FIND_DATAW data;
  const HANDLE find = FindFirstFileW((extended + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const NativeString name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const NativeString child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(Extended(child).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Extended(child).c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(extended.c_str());
}

std::string ReadBytes(const NativeString& path) {
  const HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFile", path);
  std::string bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
    bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

NativeString ShortPathOf(const NativeString& path) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || NativeString(buffer, length) == path)
    throw std::runtime_error("no short form of a test path");
  return NativeString(buffer, length);
}

}  // namespace testing_support
