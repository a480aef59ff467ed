// The "Print &Directory" command on Windows Explorer's menus: on a folder, on a drive, and on
// the background of an open folder. It is registered for the current user only, under
// HKEY_CURRENT_USER\Software\Classes, which Windows merges into HKEY_CLASSES_ROOT for that
// user; no administrator rights are needed.
#pragma once

#include <string>
#include <string_view>

// One menu that carries the command: the menu entry's key, relative to HKEY_CURRENT_USER (its
// command line sits in the "command" key below it), and what Explorer replaces by the folder.
struct ExplorerMenu {
  const wchar_t* key;
  const wchar_t* placeholder;
};

// The folder's own menu and the drive's pass the clicked item as %1; the background of an
// open folder has no clicked item, and %V stands for the folder shown.
inline constexpr ExplorerMenu kExplorerMenus[] = {
    {L"Software\\Classes\\Directory\\shell\\Print Directory", L"%1"},
    {L"Software\\Classes\\Drive\\shell\\Print Directory", L"%1"},
    {L"Software\\Classes\\Directory\\Background\\shell\\Print Directory", L"%V"},
};
// The menu text, with D as its access key.
inline constexpr wchar_t kPrintDirectoryMenuText[] = L"Print &Directory";

// The command line Explorer runs: the running program's full path and the placeholder, each
// in double quotes ("C:\Tools\Quillet.exe" "%1").
std::wstring ExplorerCommandLine(std::wstring_view placeholder);

// Writes every menu entry and its command line, then reads them all back: true when the
// command is in place on every menu and starts this program. When any is missing or wrong,
// all of them are removed again, so that Explorer never shows the command on some menus only,
// nor a half entry that does not start this program.
bool AddExplorerIntegration();

// True when every menu carries the command and it starts this program: what Explorer offers,
// whatever the options record says.
bool ExplorerIntegrationInstalled();

// LoadOptions, with Registered then taken from the registry: another instance may have changed
// the command, and saved its own Registered, since this one last looked.
void LoadOptionsFollowingRegistry();

// Deletes each menu's command key and then its entry's key; nothing else under the menus is
// touched. Nothing is reported when they are missing.
void RemoveExplorerIntegration();
