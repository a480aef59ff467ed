#include "listing_sink.h"

#include "platform/system_error.h"

void ListingSink::Add(NativeStringView lines) {
#ifdef _WIN32
  AddEncoded(lines);
#else
  pending_.append(lines);
#endif
  // Most additions are one line: find its end rather than look at every character.
  for (std::size_t at = lines.find(NativeChar('\n')); at != NativeStringView::npos;
       at = lines.find(NativeChar('\n'), at + 1))
    ++lines_;
  Added();
}

#ifdef _WIN32
void ListingSink::AddEncoded(NativeStringView lines) {
  if (encoding_ == TextEncoding::kUtf8) {
    pending_ += platform::ToUtf8(lines);
    return;
  }
  bool fits = true;
  std::string bytes = platform::ToListingBytes(lines, fits);
  if (!fits && encoding_ == TextEncoding::kAnsiOrUtf8 && output_.Rewritable()) {
    SwitchToUtf8();
    pending_ += platform::ToUtf8(lines);
    return;
  }
  changedNames_ += fits ? 0 : 1;
  pending_ += bytes;
}

void ListingSink::SwitchToUtf8() {
  // What was written holds only characters the code page has, so the rewrite changes no
  // character, only their form.
  Flush();
  written_ = output_.RewriteAsUtf8(written_);
  encoding_ = TextEncoding::kUtf8;
}
#endif

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
