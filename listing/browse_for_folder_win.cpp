#include "listing/browse_for_folder.h"

#include <shlobj.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "platform/error_box.h"
#include "platform/system_error.h"

namespace {

struct ItemIdListDeleter {
  void operator()(LPITEMIDLIST list) const noexcept { CoTaskMemFree(list); }
};
using UniqueItemIdList = std::unique_ptr<ITEMIDLIST, ItemIdListDeleter>;

[[noreturn]] void ThrowResult(HRESULT result) {
  throw platform::SystemError(static_cast<long>(result),
                              platform::ErrorDescription(static_cast<long>(result)));
}

}  // namespace

NativeString BrowseForFolder(HWND owner, const NativeString& title,
                             const NativeString& cancelText) {
  try {
    LPITEMIDLIST rootList = nullptr;
    const HRESULT rootResult = SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, &rootList);
    UniqueItemIdList root(rootList);
    if (FAILED(rootResult)) ThrowResult(rootResult);

    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.pidlRoot = root.get();
    request.pszDisplayName = nullptr;
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    UniqueItemIdList chosen(SHBrowseForFolderW(&request));
    if (!chosen) return cancelText;

    wchar_t path[MAX_PATH];
    std::fill(std::begin(path), std::end(path), L' ');
    if (!SHGetPathFromIDListW(chosen.get(), path)) return cancelText;
    return NativeString(path);
  } catch (const platform::SystemError& e) {
    platform::ShowErrorBox(L"BrowseForFolder",
                           L"Error: " + std::to_wstring(e.Number()) + L". " + e.Description());
  } catch (const std::exception& e) {
    platform::ShowErrorBox(L"BrowseForFolder", L"Error: 5. " + platform::FromUtf8(e.what()));
  }
  return NativeString();
}
