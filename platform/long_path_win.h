// Paths past MAX_PATH in the system's file calls. The extended-length form (\\?\) reaches
// them whatever the system's long-path setting; it is taken literally, so it is only ever
// made from a full path.
#pragma once

#include "native_text.h"

namespace platform {

// The full form of `path`, as the system resolves it against the current folder. Throws
// SystemError naming `path`.
NativeString FullPathName(const NativeString& path);

// The extended-length form of a full path (drive or UNC).
NativeString ExtendedPath(const NativeString& full);

// `path` for a file call that takes a path as the user gave it: unchanged while it is short
// enough for every system (so that device names and every other form keep their meaning),
// past that the extended-length form of its full path.
NativeString LongPathForm(const NativeString& path);

}  // namespace platform
