// modInternetFunctions: opening a web page with the desktop's default browser.
//
//   OpenWebPage(kDeveloperWebPage, SW_SHOWNORMAL);   // status ignored by the About box
#pragma once

#include <cstdint>
#include <string>

// The error OpenWebPage raises when the shell cannot be called at all.
inline constexpr long kOpenWebPageError = 999;
inline constexpr wchar_t kOpenWebPageErrorText[] = L"Could Not Open Webpage.";

// Hands `url` to the shell's "open" with no owner window and the window style `windowStyle`,
// and returns the shell's status unchanged (32 or less when the shell could not open it).
// Throws platform::SystemError(999, "Could Not Open Webpage.") when the call cannot be made.
std::int32_t OpenWebPage(const std::wstring& url, const std::int32_t& windowStyle);
