#include "integration/explorer_integration.h"

#include <windows.h>

#include "integration/registry_functions.h"
#include "listing/app_options.h"
#include "platform/executable_path.h"
#include "platform/registry_key.h"

namespace {

std::wstring CommandKey(const ExplorerMenu& menu) { return std::wstring(menu.key) + L"\\command"; }

}  // namespace

std::wstring ExplorerCommandLine(std::wstring_view placeholder) {
  const auto [folder, name] = platform::SplitExecutablePath(platform::ExecutablePath());
  // Quoted, so that Explorer starts this program even from a folder with blanks in its name,
  // and passes a folder with blanks as one argument.
  return L"\"" + folder + L"\\" + name + L".exe\" \"" + std::wstring(placeholder) + L"\"";
}

bool ExplorerIntegrationInstalled() {
  for (const ExplorerMenu& menu : kExplorerMenus) {
    if (platform::ReadRegistryString(HKEY_CURRENT_USER, menu.key, L"") != kPrintDirectoryMenuText ||
        platform::ReadRegistryString(HKEY_CURRENT_USER, CommandKey(menu), L"") !=
            ExplorerCommandLine(menu.placeholder)) {
      return false;
    }
  }
  return true;
}

void LoadOptionsFollowingRegistry() {
  LoadOptions();
  AppOptions.Registered = ExplorerIntegrationInstalled();
}

bool AddExplorerIntegration() {
  for (const ExplorerMenu& menu : kExplorerMenus) {
    RegistryCreateNewKey(HKEY_CURRENT_USER, menu.key);
    RegistrySetKeyValue(HKEY_CURRENT_USER, menu.key, L"", std::wstring(kPrintDirectoryMenuText),
                        REG_SZ);
    RegistrySetKeyValue(HKEY_CURRENT_USER, CommandKey(menu), L"",
                        ExplorerCommandLine(menu.placeholder), REG_SZ);
  }
  // The helpers report no status: what is in the registry now is the answer. A half entry
  // would show Explorer a command that does not start this program, and some menus without
  // the others would not be what the user agreed to: take back every part.
  const bool complete = ExplorerIntegrationInstalled();
  if (!complete) RemoveExplorerIntegration();
  return complete;
}

void RemoveExplorerIntegration() {
  for (const ExplorerMenu& menu : kExplorerMenus) {
    // A key with sub-keys cannot be deleted: the command key goes first.
    RegistryDeleteKey(HKEY_CURRENT_USER, CommandKey(menu));
    RegistryDeleteKey(HKEY_CURRENT_USER, menu.key);
  }
}
