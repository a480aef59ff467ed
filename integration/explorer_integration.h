// The "Print &Directory" command on the folder menu of Windows Explorer. It is registered for
// the current user only, under HKEY_CURRENT_USER\Software\Classes, which Windows merges into
// HKEY_CLASSES_ROOT for that user; no administrator rights are needed.
#pragma once

#include <string>

// Key paths relative to HKEY_CURRENT_USER.
inline constexpr wchar_t kPrintDirectoryKey[] =
    L"Software\\Classes\\Directory\\shell\\Print Directory";
inline constexpr wchar_t kPrintDirectoryCommandKey[] =
    L"Software\\Classes\\Directory\\shell\\Print Directory\\command";
// The menu text, with D as its access key.
inline constexpr wchar_t kPrintDirectoryMenuText[] = L"Print &Directory";

// The command line Explorer runs: the running program's full path and the chosen folder, each
// in double quotes ("C:\Tools\Quillet.exe" "%1").
std::wstring ExplorerCommandLine();

// Writes the menu entry and its command line, then reads both back: true when the command is
// in place and starts this program. When either is missing or wrong, both keys are removed
// again, so that no partial entry stays on the folder menu.
bool AddExplorerIntegration();

// Deletes the command key and then the menu entry's key; nothing else under the folder menu is
// touched. Nothing is reported when they are missing.
void RemoveExplorerIntegration();
