// The name the file system stores for the last component of a path.
#pragma once

#include <optional>

#include "native_text.h"

namespace platform {

// The stored name (long form, stored letter case) of the item `path` names, or nothing when
// no such item exists.
std::optional<NativeString> StoredName(const NativeString& path);

}  // namespace platform
