// The order in which a folder's entries are listed on every build: NTFS's, which Windows and
// Wine return and the POSIX reader sorts into.
#pragma once

#include "native_text.h"

namespace platform {

// Compares two names as NTFS orders them: by the UTF-16 code units of their upper-cased
// forms, unit by unit, a name before any longer name it begins. Upper-casing covers ASCII,
// Latin-1, Greek and Cyrillic letters; other characters compare as they are. Names equal
// when upper-cased (possible only outside Windows) fall back to their own units, so that the
// order is total.
bool NameOrderLess(NativeStringView left, NativeStringView right);

// The upper-case form of one UTF-16 code unit, for the letters NameOrderLess covers; Windows
// compares names case-insensitively through it.
char16_t UpperUnit(char16_t unit);

}  // namespace platform
