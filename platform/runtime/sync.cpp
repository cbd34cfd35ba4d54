#include "platform/runtime/sync.h"

#include <chrono>

namespace rtl {

void TEvent::SetEvent() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    set_ = true;
  }
  if (manual_) cv_.notify_all();
  else cv_.notify_one();
}

void TEvent::ResetEvent() {
  std::lock_guard<std::mutex> lock(mutex_);
  set_ = false;
}

bool TEvent::IsSet() {
  std::lock_guard<std::mutex> lock(mutex_);
  return set_;
}

TWaitResult TEvent::WaitFor(std::uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (timeoutMs == INFINITE) {
    cv_.wait(lock, [this] { return set_; });
  } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return set_; })) {
    return TWaitResult::wrTimeout;
  }
  if (!manual_) set_ = false;
  return TWaitResult::wrSignaled;
}

}  // namespace rtl
