// What a run polls to learn that it should stop. Someone else sets the flag: the window's
// Cancel button (CancelRequested), the console tool's signal handler, a test. A default token
// is never set.
#pragma once

#include <atomic>

class CancelToken {
 public:
  CancelToken() = default;
  explicit CancelToken(const std::atomic<bool>& flag) : flag_(&flag) {}

  bool Requested() const noexcept {
    return flag_ != nullptr && flag_->load(std::memory_order_relaxed);
  }

 private:
  const std::atomic<bool>* flag_ = nullptr;
};
