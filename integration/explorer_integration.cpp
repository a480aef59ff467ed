#include "integration/explorer_integration.h"

#include <windows.h>

#include "integration/registry_functions.h"
#include "platform/executable_path.h"
#include "platform/registry_key.h"

std::wstring ExplorerCommandLine() {
  const std::wstring path = platform::ExecutablePath();
  const std::size_t slash = path.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  // Quoted, so that Explorer starts this program even from a folder with blanks in its name.
  return L"\"" + folder + L"\\" + name + L".exe\" \"%1\"";
}

bool AddExplorerIntegration() {
  RegistryCreateNewKey(HKEY_CURRENT_USER, kPrintDirectoryKey);
  RegistrySetKeyValue(HKEY_CURRENT_USER, kPrintDirectoryKey, L"",
                      std::wstring(kPrintDirectoryMenuText), REG_SZ);
  const std::wstring commandLine = ExplorerCommandLine();
  RegistrySetKeyValue(HKEY_CURRENT_USER, kPrintDirectoryCommandKey, L"", commandLine, REG_SZ);

  // The helpers report no status: what is in the registry now is the answer.
  const bool complete = platform::ReadRegistryString(HKEY_CURRENT_USER, kPrintDirectoryKey, L"") ==
                            kPrintDirectoryMenuText &&
                        platform::ReadRegistryString(HKEY_CURRENT_USER, kPrintDirectoryCommandKey,
                                                     L"") == commandLine;
  // Half an entry would show Explorer a command that does not start this program: take back
  // whatever part was written.
  if (!complete) RemoveExplorerIntegration();
  return complete;
}

void RemoveExplorerIntegration() {
  // A key with sub-keys cannot be deleted: the command key goes first.
  RegistryDeleteKey(HKEY_CURRENT_USER, kPrintDirectoryCommandKey);
  RegistryDeleteKey(HKEY_CURRENT_USER, kPrintDirectoryKey);
}
