#include "listing_sink.h"

#include <algorithm>

#include "platform/system_error.h"

void ListingSink::Add(NativeStringView lines) {
#ifdef _WIN32
  pending_ += utf8_ ? platform::ToUtf8(lines) : platform::ToListingBytes(lines);
#else
  pending_.append(lines);
#endif
  lines_ += static_cast<std::uint64_t>(std::count(lines.begin(), lines.end(), NativeChar('\n')));
  if (pending_.size() >= kFlushBytes) Flush();
}

void ListingSink::AddBytes(std::string_view bytes, std::uint64_t lines, std::uint64_t stateAfter) {
  pending_.append(bytes);
  lines_ += lines;
  state_ = stateAfter;
  if (pending_.size() >= kFlushBytes) Flush();
}

void ListingSink::Flush() {
  if (pending_.empty()) return;
  try {
    output_.Write(pending_);
  } catch (const platform::SystemError&) {
    // A write that failed part-way (a full disk) leaves a torn line: the file is cut back to
    // its last whole line, and the lines not written are dropped so that no later flush writes
    // after the gap. Should the cut fail too, the write's failure is the one reported.
    pending_.clear();
    state_ = writtenState_;
    try {
      output_.CutTo(written_);
    } catch (const platform::SystemError&) {
    }
    throw;
  }
  written_ += pending_.size();
  writtenState_ = state_;
  pending_.clear();
}
