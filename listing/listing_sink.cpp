#include "listing_sink.h"

#include "platform/system_error.h"

void ListingSink::Add(NativeStringView lines) {
#ifdef _WIN32
  pending_ += utf8_ ? platform::ToUtf8(lines) : platform::ToListingBytes(lines);
#else
  pending_.append(lines);
#endif
  // Most additions are one line: find its end rather than look at every character.
  for (std::size_t at = lines.find(NativeChar('\n')); at != NativeStringView::npos;
       at = lines.find(NativeChar('\n'), at + 1))
    ++lines_;
  Added();
}

void ListingSink::AddBytes(std::string_view bytes, std::uint64_t lines, std::uint64_t stateAfter) {
  pending_.append(bytes);
  lines_ += lines;
  state_ = stateAfter;
  Added();
}

void ListingSink::Added() {
  if (pending_.size() >= kFlushBytes) {
    Flush();
  } else if (++addsSinceClock_ == kAddsPerClockCheck) {
    FlushIfDue();
  }
}

void ListingSink::FlushIfDue(Clock::time_point now) {
  addsSinceClock_ = 0;
  if (now - lastWrite_ >= kFlushInterval) Flush();
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
  lastWrite_ = Clock::now();
}
