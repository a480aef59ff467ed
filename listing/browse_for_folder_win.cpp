#include "listing/browse_for_folder.h"

#include <shlobj.h>

#include <memory>
#include <string>

#include "platform/error_box.h"
#include "platform/system_error.h"

namespace {

struct ItemIdListDeleter {
  void operator()(LPITEMIDLIST list) const noexcept { CoTaskMemFree(list); }
};
using UniqueItemIdList = std::unique_ptr<ITEMIDLIST, ItemIdListDeleter>;

}  // namespace

NativeString BrowseForFolder(HWND owner, const NativeString& title,
                             const NativeString& cancelText) {
  try {
    LPITEMIDLIST rootList = nullptr;
    const HRESULT rootResult = SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, &rootList);
    UniqueItemIdList root(rootList);
    if (FAILED(rootResult)) platform::ThrowHResult(rootResult);

    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.pidlRoot = root.get();
    request.pszDisplayName = nullptr;
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    UniqueItemIdList chosen(SHBrowseForFolderW(&request));
    if (!chosen) return cancelText;

    // Room for the longest path the system has, where SHGetPathFromIDListW stops at MAX_PATH.
    NativeString path(32768, L'\0');
    if (!SHGetPathFromIDListEx(chosen.get(), path.data(), static_cast<DWORD>(path.size()),
                               GPFIDL_DEFAULT)) {
      return cancelText;
    }
    path.resize(path.find(L'\0'));
    return path;
  } catch (const std::exception&) {
    platform::ShowErrorBox(L"BrowseForFolder",
                           platform::ErrorReportText(std::current_exception(), 5));
  }
  return NativeString();
}
