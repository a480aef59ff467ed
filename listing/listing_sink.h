// Where a run's lines go: one output, written in batches of whole lines.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/native_text.h"
#include "platform/output_file.h"

// How the text format's lines are written on Windows; POSIX writes names as they are stored,
// whatever this says.
enum class TextEncoding : std::uint8_t {
  // The ANSI code page while every name fits it. At the first name it cannot hold the output
  // becomes UTF-8 with a byte-order mark from its first byte: what was written is rewritten in
  // place, and the rest follows in UTF-8. An output that cannot be rewritten (a stream, the
  // standard output) keeps the code page, as kAnsi does.
  kAnsiOrUtf8,
  // The ANSI code page; each character it lacks is written as '?' (see ChangedNames).
  kAnsi,
  // UTF-8 (the run writes the byte-order mark).
  kUtf8,
};

class ListingSink {
 public:
  using Clock = std::chrono::steady_clock;
  // Lines are written once this many bytes are pending, even within a folder.
  static constexpr std::size_t kFlushBytes = 64 * 1024;
  // ... or once this long has passed since the last write, so that a slow run (a share)
  // shows its progress in the file. The clock is read at folder ends (FlushIfDue) and every
  // kAddsPerClockCheck additions, never for every entry.
  static constexpr std::chrono::milliseconds kFlushInterval{100};
  static constexpr unsigned kAddsPerClockCheck = 256;

  explicit ListingSink(platform::OutputFile output,
                       TextEncoding encoding = TextEncoding::kAnsiOrUtf8)
      : output_(std::move(output)), encoding_(encoding), lastWrite_(Clock::now()) {}

  // Queues whole lines (each ending in CR LF) in the text encoding, and writes the queue once
  // kFlushBytes are pending. Throws platform::SystemError.
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

  // Writes every pending line with one call. The run calls it before the window may handle
  // input (a message box among it), at the end, on Cancel and on errors. When the write fails
  // part-way, the output is cut back to WholeLinesEnd and the pending lines are dropped before
  // the failure is thrown.
  void Flush();
  // Flushes when kFlushInterval has passed since the last write (at `now`). The run calls it
  // at the end of each folder.
  void FlushIfDue(Clock::time_point now = Clock::now());
  // When the output was last written to (or opened).
  Clock::time_point LastWrite() const { return lastWrite_; }

  // Lines queued so far, written or pending.
  std::uint64_t Lines() const { return lines_; }
  // Entries (calls of Add: the walk adds one entry's lines at a time) written with '?' for
  // characters the ANSI code page lacks.
  std::uint64_t ChangedNames() const { return changedNames_; }
  // Bytes of whole lines known to be in the output: where it should end if a later write
  // fails part-way.
  std::uint64_t WholeLinesEnd() const { return written_; }
  const platform::OutputFile& Output() const { return output_; }

 private:
#ifdef _WIN32
  void AddEncoded(NativeStringView lines);
  // Writes what is pending and rewrites the output in UTF-8, which the later lines follow.
  void SwitchToUtf8();
#endif

  platform::OutputFile output_;
  TextEncoding encoding_;
  std::string pending_;
  std::uint64_t lines_ = 0;
  std::uint64_t changedNames_ = 0;
  std::uint64_t written_ = 0;
  std::uint64_t state_ = 0;
  std::uint64_t writtenState_ = 0;
  Clock::time_point lastWrite_;
  unsigned addsSinceClock_ = 0;

  // After an addition: writes the pending lines when they are enough or overdue.
  void Added();
};
