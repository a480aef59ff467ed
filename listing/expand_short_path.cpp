#include "expand_short_path.h"

#include "platform/stored_name.h"

namespace {

bool StartsWithDrive(const NativeString& path) {
  return path.size() >= 3 && path[1] == ':' && path[2] == kPathSeparator &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace

NativeString ExpandShortPath(const NativeString& path) {
  // Only drive-letter paths are rebuilt; wildcards would make the lookups match other items.
  if (!StartsWithDrive(path) || path.find_first_of(NTEXT("*?")) != NativeString::npos) return path;
  NativeString result = path.substr(0, 2);
  std::size_t start = 3;  // first character after "C:\"
  for (;;) {
    const std::size_t end = path.find(kPathSeparator, start);
    const std::size_t stop = end == NativeString::npos ? path.size() : end;
    result += kPathSeparator;
    if (stop > start) {
      // A component that is not found keeps the text as given.
      const NativeString component = path.substr(start, stop - start);
      result += platform::StoredName(path.substr(0, stop)).value_or(component);
    }
    if (end == NativeString::npos) break;
    start = end + 1;
    if (start == path.size()) {  // a trailing separator stays
      result += kPathSeparator;
      break;
    }
  }
  return result;
}
