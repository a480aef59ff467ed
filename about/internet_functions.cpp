#include "about/internet_functions.h"

#include "about/internet_functions_declarations.h"
#include "platform/system_error.h"

std::int32_t OpenWebPage(const std::wstring& url, const std::int32_t& windowStyle) {
  try {
    return ShellExecuteOpen(nullptr, url, windowStyle);
  } catch (const platform::SystemError&) {
    // Why the shell could not be reached is not the caller's concern: one error says it all.
    throw platform::SystemError(kOpenWebPageError, kOpenWebPageErrorText);
  }
}
