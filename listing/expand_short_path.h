// Rebuilding a path from the names the file system stores for each of its components.
#pragma once

#include "platform/native_text.h"

// "C:\PROGRA~1\SUB~1" -> "C:\Program Files\Sub Folder", in the stored letter case. A
// component that cannot be found is kept as given; a trailing separator is kept.
NativeString ExpandShortPath(const NativeString& path);
