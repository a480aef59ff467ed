// Where a run's lines go: one output, written in batches of whole lines.
#pragma once

#include <cstdint>
#include <string>

#include "platform/native_text.h"
#include "platform/output_file.h"

class ListingSink {
 public:
  // Lines are written once this many bytes are pending, even within a folder.
  static constexpr std::size_t kFlushBytes = 64 * 1024;

  // `utf8`: the text lines are written as UTF-8 instead of the listing file's 8-bit form
  // (the same bytes on POSIX, where names are written as they are).
  explicit ListingSink(platform::OutputFile output, bool utf8 = false)
      : output_(std::move(output)), utf8_(utf8) {}

  // Queues whole lines (each ending in CR LF), in the listing file's 8-bit form or as UTF-8,
  // and writes the queue once kFlushBytes are pending. Throws platform::SystemError.
  void Add(NativeStringView lines);

  // Queues bytes already in their output form that end `lines` whole lines (0 for a
  // preamble such as a byte-order mark).
  void AddBytes(std::string_view bytes, std::uint64_t lines) { AddBytes(bytes, lines, state_); }
  // The same for a structured writer whose state (JSON: the levels open) is `stateAfter` once
  // these bytes are out.
  void AddBytes(std::string_view bytes, std::uint64_t lines, std::uint64_t stateAfter);
  // The writer's state at the end of what is queued. After a failed write has dropped the
  // pending bytes it is again the state at the end of what is in the output, so that a
  // document can still be closed to match.
  std::uint64_t State() const { return state_; }

  // Writes every pending line with one call. The run calls it at the end of each folder,
  // before the window may handle input (a message box among it), on Cancel and on errors.
  // When the write fails part-way, the output is cut back to WholeLinesEnd and the pending
  // lines are dropped before the failure is thrown.
  void Flush();

  // Lines queued so far, written or pending.
  std::uint64_t Lines() const { return lines_; }
  // Bytes of whole lines known to be in the output: where it should end if a later write
  // fails part-way.
  std::uint64_t WholeLinesEnd() const { return written_; }
  const platform::OutputFile& Output() const { return output_; }

 private:
  platform::OutputFile output_;
  bool utf8_ = false;
  std::string pending_;
  std::uint64_t lines_ = 0;
  std::uint64_t written_ = 0;
  std::uint64_t state_ = 0;
  std::uint64_t writtenState_ = 0;
};
