// The folder path on the program's command line, as the Explorer command passes it.
#pragma once

#include <string_view>

#include "platform/native_text.h"

// The command line's text without surrounding blanks, without its enclosing double quotes
// when it has both, and empty when fewer than two characters remain.
NativeString SourcePathFromCommandLine(std::wstring_view commandLine);
