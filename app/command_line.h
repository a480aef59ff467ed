// Paths as the program receives them: the folder on its command line, as the Explorer command
// passes it, and the paths people paste into the path boxes.
#pragma once

#include <string_view>

#include "platform/native_text.h"

// `text` without one pair of double quotes around it and the blanks outside them, as
// Explorer's "Copy as path" puts them around a path; any other text exactly as it stands.
NativeString PathWithoutQuotes(std::wstring_view text);

// The command line's text without surrounding blanks, without its enclosing double quotes
// when it has both, and empty when fewer than two characters remain.
NativeString SourcePathFromCommandLine(std::wstring_view commandLine);
