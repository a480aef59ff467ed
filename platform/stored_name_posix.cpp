#include <sys/stat.h>

#include "stored_name.h"

namespace platform {

// POSIX names are case-sensitive and have no short forms: an existing item's stored name is
// the name as given.
std::optional<NativeString> StoredName(const NativeString& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return std::nullopt;
  const auto slash = path.find_last_of('/');
  return slash == NativeString::npos ? path : path.substr(slash + 1);
}

}  // namespace platform
