#include "entry_filter.h"

#include <algorithm>

#include "platform/name_order.h"

namespace {

// Length of the character that starts at `at`, in code units: a surrogate pair on Windows,
// a UTF-8 sequence on POSIX (a stray byte counts as one character).
std::size_t CharacterLength(NativeStringView text, std::size_t at) {
#ifdef _WIN32
  const bool pair = text[at] >= 0xD800 && text[at] <= 0xDBFF && at + 1 < text.size() &&
                    text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
  return pair ? 2 : 1;
#else
  std::size_t length = 1;
  if (static_cast<unsigned char>(text[at]) >= 0xC0) {
    while (at + length < text.size() && length < 4 &&
           (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
      ++length;
  }
  return length;
#endif
}

bool SameUnit(NativeChar a, NativeChar b) {
#ifdef _WIN32
  return a == b || platform::UpperUnit(static_cast<char16_t>(a)) ==
                       platform::UpperUnit(static_cast<char16_t>(b));
#else
  return a == b;
#endif
}

bool MatchesAny(const std::vector<NativeString>& patterns, NativeStringView name) {
  return std::any_of(patterns.begin(), patterns.end(), [name](const NativeString& pattern) {
    return MatchesWildcard(pattern, name);
  });
}

}  // namespace

bool MatchesWildcard(NativeStringView pattern, NativeStringView name) {
  // Greedy matching that backtracks only to the last `*`: linear in practice, never
  // exponential.
  std::size_t p = 0, n = 0;
  std::size_t starP = NativeStringView::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == NativeChar('*')) {
      starP = ++p;
      starN = n;
    } else if (p < pattern.size() && pattern[p] == NativeChar('?')) {
      ++p;
      n += CharacterLength(name, n);
    } else if (p < pattern.size() && SameUnit(pattern[p], name[n])) {
      ++p;
      ++n;
    } else if (starP != NativeStringView::npos) {
      p = starP;
      starN += CharacterLength(name, starN);
      n = starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == NativeChar('*')) ++p;
  return p == pattern.size();
}

void EntryFilter::Apply(int level, platform::FolderContents& contents) const {
  if (!exclude.empty()) {
    auto excluded = [&](const platform::FolderItem& item) {
      return MatchesAny(exclude, contents.Name(item));
    };
    contents.folders.erase(
        std::remove_if(contents.folders.begin(), contents.folders.end(), excluded),
        contents.folders.end());
    contents.files.erase(std::remove_if(contents.files.begin(), contents.files.end(), excluded),
                         contents.files.end());
  }
  if (!include.empty()) {
    contents.files.erase(std::remove_if(contents.files.begin(), contents.files.end(),
                                        [&](const platform::FolderItem& item) {
                                          return !MatchesAny(include, contents.Name(item));
                                        }),
                         contents.files.end());
  }
  if (maxDepth > 0 && level >= maxDepth) {
    for (auto& folder : contents.folders) folder.descend = false;
  }
}
