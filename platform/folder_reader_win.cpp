#include <windows.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <utility>

#include "folder_reader.h"
#include "long_path_win.h"
#include "system_error.h"

namespace platform {

namespace {

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

// One record of a folder's enumeration into `out`, as FindFirstFileExW would report it.
void AddRecord(const FILE_ID_BOTH_DIR_INFO& record, const ReadRequest& request,
               FolderContents& out) {
  const wchar_t* name = record.FileName;
  const std::size_t length = record.FileNameLength / sizeof(wchar_t);
  if ((length == 1 && name[0] == L'.') || (length == 2 && name[0] == L'.' && name[1] == L'.'))
    return;
  const NativeStringView text(name, length);
  FolderItem item;
  item.nameOffset = static_cast<std::uint32_t>(out.names.size());
  item.nameLength = static_cast<std::uint32_t>(length);
  item.facts.modified = record.LastWriteTime.QuadPart;
  const DWORD attributes = record.FileAttributes;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (!request.folders) return;
    // A reparse point's tag is in EaSize, as in FindFirstFileExW's dwReserved0.
    const bool reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    // Symbolic links and junctions are listed but not entered: one pointing up the tree
    // would make the walk endless. Other reparse points (cloud placeholders) are folders.
    const bool surrogate = reparse && IsReparseTagNameSurrogate(record.EaSize);
    // A Linux name holding '\' (seen through Wine) is one entry, but no path can reach
    // inside it: listed, not entered.
    const bool unreachable = text.find(L'\\') != NativeStringView::npos;
    item.descend = !surrogate && !unreachable;
    item.fileId = static_cast<std::uint64_t>(record.FileId.QuadPart);
    item.fileIdKnown = !reparse;
    out.names.append(text);
    out.folders.push_back(item);
  } else {
    if (!request.files) return;
    item.facts.size = record.EndOfFile.QuadPart;
    item.descend = false;
    out.names.append(text);
    out.files.push_back(item);
  }
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
  identity_ = IdentityOf(handle_);
}

OpenFolder::OpenFolder(const OpenFolder& parent, const FolderItem& item, NativeStringView,
                       const NativeString& fullPath)
    : path_(fullPath) {
  handle_ = OpenFolderHandle(fullPath, FILE_LIST_DIRECTORY);
  if (handle_ == INVALID_HANDLE_VALUE) ThrowSystemError(static_cast<long>(GetLastError()), path_);
  // A subfolder with no reparse point lies on its parent's volume, and the parent's listing
  // gave its file ID: asking its handle would cost more than listing it under Wine, where the
  // question goes to the mount manager (about 0.45 ms, several cross-process calls). Only a
  // reparse point can lead to another volume: Windows' mounted folders are junctions, which
  // are not entered, and Wine marks a Linux mount point or link as one (with no link tag, so
  // it is entered); those few are asked.
  if (item.fileIdKnown && parent.identity_.known) {
    identity_ = FolderIdentity{true, parent.identity_.volume, item.fileId, 0};
    identityFromListing_ = true;
  } else {
    identity_ = IdentityOf(handle_);
  }
}

OpenFolder::~OpenFolder() {
  if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

OpenFolder::OpenFolder(OpenFolder&& other) noexcept
    : path_(std::move(other.path_)),
      handle_(std::exchange(other.handle_, nullptr)),
      identity_(other.identity_),
      identityFromListing_(other.identityFromListing_) {}

OpenFolder& OpenFolder::operator=(OpenFolder&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    path_ = std::move(other.path_);
    handle_ = std::exchange(other.handle_, nullptr);
    identity_ = other.identity_;
    identityFromListing_ = other.identityFromListing_;
  }
  return *this;
}

FolderIdentity OpenFolder::AskIdentity() const {
  identity_ = IdentityOf(handle_);
  identityFromListing_ = false;
  return identity_;
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

// The enumeration runs on the handle the folder was opened with (no second open, as
// FindFirstFileExW would make) and returns the entries in the file system's own order:
// NTFS's (and Wine's) is the order the POSIX reader sorts into. The directory-information
// class gives, besides what FindFirstFileExW reports, each subfolder's file ID.
void OpenFolder::Read(const ReadRequest& request, FolderContents& out) const {
  out.Clear();
  out.identity = identity_;
  out.identityFromListing = identityFromListing_;
  constexpr DWORD kBufferBytes = static_cast<DWORD>(kFolderReadBufferBytes);
  std::unique_ptr<char[]> buffer(new char[kBufferBytes]);
  // The first call restarts the enumeration, so that a second reading starts over.
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  for (;;) {
    if (!GetFileInformationByHandleEx(handle_, kind, buffer.get(), kBufferBytes)) {
      const DWORD error = GetLastError();
      // No more entries; an empty drive root has none at all, not even "." and "..".
      if (error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND) return;
      ThrowSystemError(static_cast<long>(error), path_);
    }
    kind = FileIdBothDirectoryInfo;
    for (const char* at = buffer.get();;) {
      const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      AddRecord(*record, request, out);
      if (record->NextEntryOffset == 0) break;
      at += record->NextEntryOffset;
    }
  }
}

}  // namespace platform
