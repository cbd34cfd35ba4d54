// A re-entrant lock that hands over in arrival order. Callers of all slots share
// one lock; with a plain mutex a thread that releases and at once asks again
// usually wins, so one slot's callers could starve behind a silent neighbour.
// In arrival order, each wait is bounded by the holds queued before it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace jq {

class Ticket_Lock {
 public:
  void lock() {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(mutex_);
    if (depth_ > 0 && owner_ == self) {
      ++depth_;
      return;
    }
    const uint64_t ticket = next_ticket_++;
    turn_.wait(guard, [&] { return serving_ == ticket; });
    owner_ = self;
    depth_ = 1;
  }

  void unlock() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (--depth_ > 0) return;
    owner_ = std::thread::id();
    ++serving_;
    turn_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable turn_;
  uint64_t next_ticket_ = 0;
  uint64_t serving_ = 0;
  std::thread::id owner_;
  int depth_ = 0;
};

}  // namespace jq
