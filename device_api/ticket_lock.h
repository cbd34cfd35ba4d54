// A re-entrant lock that hands over in arrival order. Callers of all slots share
// one lock; with a plain mutex a thread that releases and at once asks again
// usually wins, so one slot's callers could starve behind a silent neighbour.
// In arrival order, each wait is bounded by the holds queued before it.
//
// Handing over in order means the next holder is always another thread, so a
// handover must not cost a wake-up: the caller next in line spins for a short
// while (it is woken for that when the one before it takes the lock, so it spins
// while that one's exchange runs); the others sleep.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace jq {

class Ticket_Lock {
 public:
  void lock() {
    const std::thread::id self = std::this_thread::get_id();
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++depth_;
      return;
    }
    const uint64_t ticket = next_ticket_.fetch_add(1, std::memory_order_relaxed);
    uint64_t spun_behind = UINT64_MAX;  // the holder behind whom this caller has spun
    for (;;) {
      const uint64_t serving = serving_.load(std::memory_order_acquire);
      if (serving == ticket) break;
      if (ticket - serving == 1 && spun_behind != serving) {
        spun_behind = serving;
        if (Spin_Until_Turn(ticket)) break;
      }
      std::unique_lock<std::mutex> guard(mutex_);
      turn_[ticket % Turns].wait(guard, [&] {
        const uint64_t now = serving_.load(std::memory_order_acquire);
        return now == ticket || (ticket - now == 1 && spun_behind != now);
      });
    }
    owner_.store(self, std::memory_order_relaxed);
    depth_ = 1;
  }

  void unlock() {
    if (--depth_ > 0) return;
    owner_.store(std::thread::id(), std::memory_order_relaxed);
    uint64_t serving;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      serving = serving_.fetch_add(1, std::memory_order_release) + 1;
    }
    turn_[serving % Turns].notify_all();        // the new holder, if it sleeps
    turn_[(serving + 1) % Turns].notify_all();  // the one after it starts spinning
  }

 private:
  static constexpr size_t Turns = 64;  // tickets share a wake-up channel modulo this
  static constexpr std::chrono::microseconds Spin_Limit{200};

  bool Spin_Until_Turn(uint64_t ticket) {
    const auto until = std::chrono::steady_clock::now() + Spin_Limit;
    for (unsigned i = 0;; ++i) {
      if (serving_.load(std::memory_order_acquire) == ticket) return true;
      if ((i & 63) == 63) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::yield();
      }
    }
  }

  std::mutex mutex_;
  std::array<std::condition_variable, Turns> turn_;
  std::atomic<uint64_t> next_ticket_{0};
  std::atomic<uint64_t> serving_{0};
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;  // the holder's own
};

}  // namespace jq
