#include "about/internet_functions_declarations.h"

#include <memory>
#include <optional>
#include <type_traits>

#include "platform/system_error.h"

namespace {

struct ModuleDeleter {
  void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;

std::optional<ShellExecuteEntry> replacement;

ShellExecuteEntry ShellsOwnEntry() {
  // Loaded once for the life of the process, from the system folder only.
  static const UniqueModule shell32(
      LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (!shell32) return nullptr;
  const FARPROC address = GetProcAddress(shell32.get(), "ShellExecuteW");
  // Through the generic function pointer type, which converts to any other without a warning.
  return reinterpret_cast<ShellExecuteEntry>(reinterpret_cast<void (*)()>(address));
}

}  // namespace

std::int32_t ShellExecuteOpen(HWND owner, const std::wstring& file, std::int32_t showCommand) {
  const ShellExecuteEntry entry = replacement ? *replacement : ShellsOwnEntry();
  if (!entry) {
    throw platform::SystemError(ERROR_PROC_NOT_FOUND,
                                platform::ErrorDescription(ERROR_PROC_NOT_FOUND));
  }
  const HINSTANCE status = entry(owner, L"open", file.c_str(), nullptr, nullptr, showCommand);
  // The status is a small number dressed as a handle; its low 32 bits are the whole of it.
  return static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(status));
}

void ReplaceShellExecuteEntry(ShellExecuteEntry entry) { replacement = entry; }

void RestoreShellExecuteEntry() { replacement.reset(); }
