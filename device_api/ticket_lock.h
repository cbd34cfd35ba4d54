// A re-entrant lock that hands over in arrival order. Callers of all slots share
// one lock; with a plain mutex a thread that releases and at once asks again
// usually wins, so one slot's callers could starve behind a silent neighbour.
// In arrival order, each wait is bounded by the holds queued before it.
//
// A hand-over must cost far less than the exchange it follows (a loopback
// exchange takes some tens of microseconds; waking a sleeping thread costs
// several, on a virtual machine more), so the thread next in line is awake
// when the holder lets go:
//  - a release wakes the new holder only when it sleeps, and then calls the
//    waiter behind it, which becomes next in line: that wake-up falls on the
//    releasing thread's time and overlaps the new holder's exchange;
//  - the waiter next in line waits for its turn awake, spinning on the
//    serving count with the processor's pause and yielding its core between
//    short runs (see Spin_For), where the thread may use more than one
//    processor; a hold longer than Spin_Limit (a slow or silent controller)
//    puts it to sleep, so a long hold costs no processor;
//  - every other waiter sleeps on a word of its own (by ticket; a futex)
//    until it is called.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/runtime/thread.h"

namespace jq {

class Ticket_Lock {
 public:
  // How long the waiter next in line stays awake for one hold.
  static constexpr std::chrono::microseconds Spin_Limit{150};
  // About a microsecond of pauses between two looks at the other threads.
  static constexpr int Pauses_Per_Yield = 32;

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

  void unlock() {
    if (--depth_ > 0) return;
    owner_.store(std::thread::id(), std::memory_order_relaxed);
    const uint64_t next = serving_.load(std::memory_order_relaxed) + 1;
    serving_.store(next);
    // A ticket taken after this look finds its turn already come.
    const uint64_t taken = next_ticket_.load();
    if (taken == next) return;
    Call(next, false);
    if (taken > next + 1) Call(next + 1, true);
  }

  // Threads waiting for their turn (for tests that line callers up).
  uint64_t Queue_Length() const {
    const uint64_t taken = next_ticket_.load(), serving = serving_.load();
    return taken > serving + 1 ? taken - serving - 1 : 0;
  }

 private:
  using Clock = std::chrono::steady_clock;

  // One word per place; a waiter sleeps on the place of its ticket until the
  // word changes. Tickets that share a place are Place_Count apart: a call
  // may wake a waiter whose turn has not come, and it sleeps again.
  struct alignas(64) Place {
    std::atomic<uint32_t> word{0};
    std::atomic<uint32_t> sleepers{0};
    std::atomic<uint32_t> would_spin{0};  // those of the sleepers that spin when next in line
  };
  static constexpr size_t Place_Count = 16;

  Place& Place_Of(uint64_t ticket) { return places_[ticket % Place_Count]; }

  // Wakes the sleepers of the ticket's place: for its turn, or, ahead of
  // it, the ones that would wait awake. No system call when none sleeps.
  void Call(uint64_t ticket, bool ahead) {
    Place& place = Place_Of(ticket);
    if ((ahead ? place.would_spin : place.sleepers).load() == 0) return;
    place.word.fetch_add(1);
    place.word.notify_all();
  }

  // True when the turn came; false when the hold outlasted Spin_Limit. Short
  // runs of pauses, each followed by a yield: where the core is free the
  // yield returns at once, and where another thread waits for it (the
  // holder's peer, or anything else on a busy machine) it runs first, so
  // waiting awake never holds up the exchange it waits for.
  bool Spin_For(uint64_t ticket) {
    const Clock::time_point until = Clock::now() + Spin_Limit;
    for (;;) {
      for (int turn = 0; turn < Pauses_Per_Yield; ++turn) {
        if (serving_.load(std::memory_order_acquire) == ticket) return true;
        rtl::SpinPause();
      }
      if (Clock::now() >= until) return false;
      std::this_thread::yield();
    }
  }

  void Wait_Turn(uint64_t ticket) {
    // On one processor a spinning waiter would only hold up the holder.
    const bool may_spin = rtl::UsableProcessorCount() > 1;
    Place& place = Place_Of(ticket);
    uint64_t spun_behind = ~uint64_t{0};  // the holder this waiter spun behind
    const auto should_spin = [&](uint64_t serving) {
      return may_spin && ticket - serving == 1 && spun_behind != serving;
    };
    for (;;) {
      uint64_t serving = serving_.load();
      if (serving == ticket) return;
      if (should_spin(serving)) {
        spun_behind = serving;
        if (Spin_For(ticket)) return;
        continue;
      }
      // Counted as asleep before the last look at the queue: a release that
      // moves the queue after that look sees the count and calls.
      place.sleepers.fetch_add(1);
      if (may_spin) place.would_spin.fetch_add(1);
      const uint32_t word = place.word.load();
      serving = serving_.load();
      if (serving != ticket && !should_spin(serving)) place.word.wait(word);
      if (may_spin) place.would_spin.fetch_sub(1);
      place.sleepers.fetch_sub(1);
    }
  }

  std::atomic<uint64_t> next_ticket_{0};
  std::atomic<uint64_t> serving_{0};
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;  // touched by the holder only
  std::array<Place, Place_Count> places_;
};

}  // namespace jq
