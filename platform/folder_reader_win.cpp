#include <windows.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <utility>

#include "folder_reader.h"
#include "handles.h"
#include "long_path_win.h"
#include "system_error.h"

namespace platform {

namespace {

bool IsDotOrDotDot(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool IsRoot(const NativeString& full) {
  if (full.size() == 3 && full[1] == L':') return true;  // a drive root
  // \\server\share\ : a trailing separator right after the share name.
  if (full.rfind(L"\\\\", 0) == 0) {
    const auto server = full.find(L'\\', 2);
    if (server == NativeString::npos) return true;
    const auto share = full.find(L'\\', server + 1);
    return share == NativeString::npos || share == full.size() - 1;
  }
  return false;
}

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

std::int64_t Size(DWORD high, DWORD low) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
}

// A folder's handle; `access` FILE_LIST_DIRECTORY checks that it can be listed. Backup
// semantics are what let CreateFile open a folder.
HANDLE OpenFolderHandle(const NativeString& fullPath, DWORD access) {
  return CreateFileW(ExtendedPath(fullPath).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Volume serial number and file ID: the 128-bit form where the file system gives it, else the
// 64-bit one; unknown (equal to nothing) where neither is given.
FolderIdentity IdentityOf(HANDLE handle) {
  FolderIdentity identity;
  FILE_ID_INFO id;
  if (GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) {
    identity.known = true;
    identity.volume = id.VolumeSerialNumber;
    std::memcpy(&identity.fileLow, id.FileId.Identifier, 8);
    std::memcpy(&identity.fileHigh, id.FileId.Identifier + 8, 8);
    return identity;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info)) {
    identity.known = true;
    identity.volume = info.dwVolumeSerialNumber;
    identity.fileLow = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  }
  return identity;
}

// ERROR_SUCCESS when `path` names an existing folder, else the system's reason why not.
DWORD FolderStatus(const NativeString& path) {
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  NativeString full;
  try {
    full = FullPathName(path);
  } catch (const SystemError& e) {
    return static_cast<DWORD>(e.Number());
  }
  const DWORD attributes = GetFileAttributesW(ExtendedPath(full).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_SUCCESS : ERROR_DIRECTORY;
}

}  // namespace

bool FolderExists(const NativeString& path) { return FolderStatus(path) == ERROR_SUCCESS; }

void RequireFolder(const NativeString& path) {
  const DWORD status = FolderStatus(path);
  if (status != ERROR_SUCCESS) ThrowSystemError(static_cast<long>(status), path);
}

bool IsAbsolutePath(const NativeString& path) {
  if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
  return path.rfind(L"\\\\", 0) == 0;
}

NativeString FullPathKeepingTrailingSeparator(const NativeString& path) {
  return FullPathName(path);
}

NativeString FullFolderPath(const NativeString& path) {
  NativeString full = FullPathName(path);
  while (full.size() > 1 && full.back() == L'\\' && !IsRoot(full)) full.pop_back();
  return full;
}

OpenFolder::OpenFolder(const NativeString& fullPath) : path_(fullPath) {
  handle_ = OpenFolderHandle(fullPath, FILE_LIST_DIRECTORY);
  if (handle_ == INVALID_HANDLE_VALUE) ThrowSystemError(static_cast<long>(GetLastError()), path_);
}

OpenFolder::OpenFolder(const OpenFolder&, NativeStringView, const NativeString& fullPath)
    : OpenFolder(fullPath) {}

OpenFolder::~OpenFolder() {
  if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

OpenFolder::OpenFolder(OpenFolder&& other) noexcept
    : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, nullptr)) {}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    path_ = std::move(other.path_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

std::vector<FolderIdentity> OpenFolder::EnclosingIdentities() const {
  std::vector<FolderIdentity> identities;
  NativeString path = path_;
  while (!IsRoot(path)) {
    const auto separator = path.find_last_of(L'\\');
    if (separator == NativeString::npos) break;
    path.resize(separator);
    if (path.size() == 2 && path[1] == L':') path += L'\\';  // "C:" is the current folder
    const HANDLE handle = OpenFolderHandle(path, FILE_READ_ATTRIBUTES);
    if (handle == INVALID_HANDLE_VALUE) continue;
    identities.push_back(IdentityOf(handle));
    CloseHandle(handle);
  }
  return identities;
}

// FindFirstFileExW returns the entries in the file system's own order: NTFS's (and Wine's) is
// the order the POSIX reader sorts into.
void OpenFolder::Read(const ReadRequest& request, FolderContents& out) const {
  const NativeString& path = path_;
  out.Clear();
  // The volume is asked for every folder, not inherited from the parent: under Wine a Linux
  // mount (or a link to one) is crossed with no reparse point to show it. Under Wine that
  // question goes to its mount manager and costs more than the listing itself.
  out.identity = IdentityOf(handle_);
  NativeString pattern = ExtendedPath(path);
  if (pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
  if (find.get() == INVALID_HANDLE_VALUE) {
    find.release();
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return;  // an empty drive root has no "." entries
    ThrowSystemError(static_cast<long>(error), path);
  }
  do {
    if (IsDotOrDotDot(data.cFileName)) continue;
    const std::size_t length = wcslen(data.cFileName);
    FolderItem item;
    item.nameOffset = static_cast<std::uint32_t>(out.names.size());
    item.nameLength = static_cast<std::uint32_t>(length);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!request.folders) continue;
      // Symbolic links and junctions are listed but not entered: one pointing up the tree
      // would make the walk endless. Other reparse points (cloud placeholders) are folders.
      const bool surrogate = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                             IsReparseTagNameSurrogate(data.dwReserved0);
      // A Linux name holding '\\' (seen through Wine) is one entry, but no path can reach
      // inside it: listed, not entered.
      const bool unreachable = std::wcschr(data.cFileName, L'\\') != nullptr;
      item.descend = !surrogate && !unreachable;
      item.facts.modified = Ticks(data.ftLastWriteTime);
      out.names.append(data.cFileName, length);
      out.folders.push_back(item);
    } else {
      if (!request.files) continue;
      item.facts.size = Size(data.nFileSizeHigh, data.nFileSizeLow);
      item.facts.modified = Ticks(data.ftLastWriteTime);
      item.descend = false;
      out.names.append(data.cFileName, length);
      out.files.push_back(item);
    }
  } while (FindNextFileW(find.get(), &data));
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) ThrowSystemError(static_cast<long>(error), path);
}

}  // namespace platform
