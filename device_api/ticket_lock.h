// A re-entrant lock that hands over in arrival order. Callers of all slots share
// one lock; with a plain mutex a thread that releases and at once asks again
// usually wins, so one slot's callers could starve behind a silent neighbour.
// In arrival order, each wait is bounded by the holds queued before it.
//
// A hand-over must cost less than the exchange it follows (a loopback exchange
// takes tens of microseconds, a sleep and a wake-up about as much, on some
// machines more), so:
//  - a release wakes only the holder of the next ticket, never the whole queue;
//  - it also wakes the waiter that has just come within Awake_Places of the
//    front, several holds ahead of its turn; the first Awake_Places waiters
//    stay awake (yielding their core to anyone who needs it) while the queue
//    moves, and take over the moment the lock is theirs. A queue that stands
//    still for Spin_Limit (a silent controller) puts them to sleep, so a long
//    hold costs no processor.
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
  // How many places from the front a waiter stays awake, and how long it stays
  // so while the queue does not move.
  static constexpr uint64_t Awake_Places = 3;
  static constexpr std::chrono::microseconds Spin_Limit{200};

  void lock() {
    const std::thread::id self = std::this_thread::get_id();
    // Only this thread ever stores its own id, so a stale read cannot match.
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++depth_;
      return;
    }
    const uint64_t ticket = next_ticket_.fetch_add(1);
    if (serving_.load() != ticket) Wait_Turn(ticket);
    owner_.store(self, std::memory_order_relaxed);
    depth_ = 1;
  }

  // Threads waiting for their turn (for tests that line callers up).
  uint64_t Queue_Length() const {
    const uint64_t taken = next_ticket_.load(), serving = serving_.load();
    return taken > serving + 1 ? taken - serving - 1 : 0;
  }

  void unlock() {
    if (--depth_ > 0) return;
    owner_.store(std::thread::id(), std::memory_order_relaxed);
    const uint64_t next = serving_.load() + 1;
    serving_.store(next);
    // A ticket taken after this look finds its turn already come.
    if (next_ticket_.load() == next) return;
    Wake(next);
    // The waiter that has just come near the front is woken now, holds ahead
    // of its turn, so that its wake-up (slower than an exchange on some
    // machines) is over by then; and on the time of the thread that is done,
    // not on the new holder's.
    if (next_ticket_.load() > next + Awake_Places - 1) Wake(next + Awake_Places - 1);
  }

 private:
  // Sleepers are spread over a few places by ticket, so a wake-up reaches the
  // one thread it is meant for (and rarely one more, which looks and sleeps on).
  struct Place {
    std::mutex mutex;
    std::condition_variable turn;
  };
  static constexpr size_t Place_Count = 16;

  Place& Place_Of(uint64_t ticket) { return places_[ticket % Place_Count]; }

  void Wake(uint64_t ticket) {
    Place& place = Place_Of(ticket);
    // Taking the place's mutex orders the wake-up after a sleeper's last look.
    { std::lock_guard<std::mutex> guard(place.mutex); }
    place.turn.notify_all();
  }

  // True when the turn came while spinning; false when the queue stood still
  // for Spin_Limit.
  bool Spin_For(uint64_t ticket) {
    uint64_t seen = serving_.load();
    auto until = std::chrono::steady_clock::now() + Spin_Limit;
    for (;;) {
      const uint64_t serving = serving_.load();
      if (serving == ticket) return true;
      const auto now = std::chrono::steady_clock::now();
      if (serving != seen) {
        seen = serving;
        until = now + Spin_Limit;
      } else if (now >= until) {
        return false;
      }
      std::this_thread::yield();
    }
  }

  void Wait_Turn(uint64_t ticket) {
    uint64_t spun_behind = ~uint64_t{0};
    for (;;) {
      const uint64_t serving = serving_.load();
      if (serving == ticket) return;
      // Near the front: spin, unless the queue stood still since we last did.
      if (ticket - serving <= Awake_Places && spun_behind != serving) {
        spun_behind = serving;
        if (Spin_For(ticket)) return;
        continue;
      }
      Place& place = Place_Of(ticket);
      std::unique_lock<std::mutex> guard(place.mutex);
      place.turn.wait(guard, [&] { return serving_.load() != serving; });
    }
  }

  std::atomic<uint64_t> next_ticket_{0};
  std::atomic<uint64_t> serving_{0};
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;  // touched by the holder only
  std::array<Place, Place_Count> places_;
};

}  // namespace jq
