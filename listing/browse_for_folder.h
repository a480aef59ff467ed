// The shell's folder picker: the whole namespace from the desktop down, file-system folders
// only.
#pragma once

#include <windows.h>

#include "platform/native_text.h"

// What a Browse button that picks a folder for the listing file puts after the folder.
inline constexpr wchar_t kDefaultListingFileName[] = L"\\Quillet List.txt";

// Shows the picker modally over `owner` with `title` above the tree. Returns the chosen
// folder's path exactly as the shell gives it (C:\Data, or C:\ for a drive), `cancelText` when
// the user cancels or picks something that has no file-system path, and the empty text after
// reporting a failure in an error box titled "BrowseForFolder".
NativeString BrowseForFolder(HWND owner, const NativeString& title, const NativeString& cancelText);
