// A re-entrant lock that hands over in arrival order. Callers of all slots share
// one lock; with a plain mutex a thread that releases and at once asks again
// usually wins, so one slot's callers could starve behind a silent neighbour.
// In arrival order, each wait is bounded by the holds queued before it.
//
// A hand-over must cost less than the exchange it follows (a loopback exchange
// takes tens of microseconds, a wake-up about as much, on some machines more):
//  - each waiter sleeps on a word of its own (by ticket; a futex), so a
//    release wakes exactly the thread it hands over to, never the whole
//    queue, and makes no system call when that thread is awake already;
//  - a release also calls the waiter that has just come within Awake_Places of
//    the front, holds ahead of its turn, so its wake-up is over by then; and
//    on the time of the releasing thread, not on the new holder's;
//  - the waiters that are awake wait for their turn yielding their core (see
//    Spin_For). A queue that stands still for Spin_Limit (a silent
//    controller) puts them to sleep, so a long hold costs no processor.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace jq {

class Ticket_Lock {
 public:
  // How many waiters behind the holder stay awake, and how long they stay so
  // while the queue does not move.
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
    const uint64_t next = serving_.load(std::memory_order_relaxed) + 1;
    serving_.store(next);
    // A ticket taken after this look finds its turn already come.
    const uint64_t taken = next_ticket_.load();
    if (taken == next) return;
    Call(next);
    const uint64_t near = next + Awake_Places;
    if (taken > near) Call(near);
  }

 private:
  // One word per place; a waiter sleeps on the place of its ticket until the
  // word changes. Tickets that share a place are Place_Count apart, and the
  // later one is never called while the earlier one waits.
  struct alignas(64) Place {
    std::atomic<uint32_t> called{0};
  };
  static constexpr size_t Place_Count = 16;

  Place& Place_Of(uint64_t ticket) { return places_[ticket % Place_Count]; }

  // The word takes the serving count of the call, so each call changes it.
  void Call(uint64_t ticket) {
    Place& place = Place_Of(ticket);
    place.called.store(static_cast<uint32_t>(serving_.load(std::memory_order_relaxed)));
    place.called.notify_all();
  }

  // True when the turn came while awake; false when the queue stood still
  // for Spin_Limit. Yielding, not spinning: with more threads than cores (or
  // a busy machine) a spinning waiter takes the core from the holder or its
  // peer, and one that is descheduled when its turn comes costs a whole time
  // slice; a yield costs nothing where the core has nothing else to run.
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
    Place& place = Place_Of(ticket);
    uint64_t spun_behind = ~uint64_t{0};
    for (;;) {
      // The word is read before the queue is looked at: a call made after
      // this read changes it, so the sleep below cannot miss it.
      const uint32_t word = place.called.load();
      const uint64_t serving = serving_.load();
      if (serving == ticket) return;
      // Near the front: stay awake, unless the queue stood still since we
      // last did.
      if (ticket - serving <= Awake_Places && spun_behind != serving) {
        spun_behind = serving;
        if (Spin_For(ticket)) return;
        continue;
      }
      place.called.wait(word);
    }
  }

  std::atomic<uint64_t> next_ticket_{0};
  std::atomic<uint64_t> serving_{0};
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;  // touched by the holder only
  std::array<Place, Place_Count> places_;
};

}  // namespace jq
