#include "listing_sink.h"

#include <algorithm>

void ListingSink::Add(NativeStringView lines) {
#ifdef _WIN32
  pending_ += utf8_ ? platform::ToUtf8(lines) : platform::ToListingBytes(lines);
#else
  pending_.append(lines);
#endif
  lines_ += static_cast<std::uint64_t>(std::count(lines.begin(), lines.end(), NativeChar('\n')));
  if (pending_.size() >= kFlushBytes) Flush();
}

void ListingSink::AddBytes(std::string_view bytes, std::uint64_t lines) {
  pending_.append(bytes);
  lines_ += lines;
  if (pending_.size() >= kFlushBytes) Flush();
}

void ListingSink::Flush() {
  if (pending_.empty()) return;
  output_.Write(pending_);
  written_ += pending_.size();
  pending_.clear();
}
