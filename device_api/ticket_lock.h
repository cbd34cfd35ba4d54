// A re-entrant lock that hands over in arrival order. Callers of all slots share
// one lock; with a plain mutex a thread that releases and at once asks again
// usually wins, so one slot's callers could starve behind a silent neighbour.
// In arrival order, each wait is bounded by the holds queued before it.
//
// A hand-over must cost far less than the exchange it follows. A loopback
// exchange whose two threads share a processor takes under ten microseconds;
// waking a thread whose processor sleeps costs some tens (on a virtual machine
// the sleeping processor has to be woken first). So the waiters at the front
// of the line should be awake when their turn comes, without holding a
// processor through a long hold, nor the processor the holder's peer needs:
//  - the holder says when it starts waiting for its reply (Reply_Awaited); the
//    waiters at the front are woken then, and their wake-up overlaps the wait;
//  - waiters wait awake (none on one processor; see Awake_Places), spinning
//    on the serving count with the processor's pause and yielding their core
//    between short runs (see Spin_For), as long as each hold before theirs
//    ends within Spin_Limit; a longer hold (a slow or silent controller)
//    sends them to sleep until the next call, so it costs no processor. A
//    hand-over is then one look at a shared word instead of a wake-up;
//  - every waiter sleeps on a word of its own (by ticket; a futex) until it is
//    called; a release calls the new holder only when it sleeps, which is the
//    case for a holder that never said it waits.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/runtime/thread.h"

namespace jq {

class Ticket_Lock {
 public:
  // How long a waiter stays awake without a hand-over: about
  // the wait for a reply from a peer on the same machine.
  static constexpr std::chrono::microseconds Spin_Limit{60};
  // Under half a microsecond of pauses between two looks at the other
  // threads: where more callers than processors wait, the one the holder's
  // peer needs gives way soon.
  static constexpr int Pauses_Per_Yield = 8;

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
  }

  // Said by the holder when it starts waiting for what ends its hold (a
  // reply): the waiters at the front that sleep wake now and are awake when
  // the hold ends. Nothing for another thread, nor without such a waiter.
  void Reply_Awaited() {
    if (owner_.load(std::memory_order_relaxed) != std::this_thread::get_id()) return;
    const uint64_t serving = serving_.load(std::memory_order_relaxed);
    const uint64_t taken = next_ticket_.load();
    if (taken == serving + 1) return;  // no waiter: the usual case of one caller
    const uint64_t last = std::min(taken, serving + 1 + Awake_Places());
    for (uint64_t ticket = serving + 1; ticket < last; ++ticket) Call(ticket, true);
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
    std::atomic<uint32_t> would_spin{0};  // those of the sleepers that spin at the front
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

  // True when the turn came; false when a hold outlasted Spin_Limit: the
  // limit counts from the last hand-over, so a waiter further back stays
  // awake as long as the holds before it are short. Short runs of pauses,
  // each followed by a yield: where the core is free the yield returns at
  // once, and where another thread waits for it (the holder's peer, or
  // anything else on a busy machine) it runs first, so waiting awake never
  // holds up the exchange it waits for.
  bool Spin_For(uint64_t ticket) {
    uint64_t seen = serving_.load(std::memory_order_relaxed);
    Clock::time_point until = Clock::now() + Spin_Limit;
    for (;;) {
      for (int turn = 0; turn < Pauses_Per_Yield; ++turn) {
        if (serving_.load(std::memory_order_acquire) == ticket) return true;
        rtl::SpinPause();
      }
      const uint64_t serving = serving_.load(std::memory_order_relaxed);
      const Clock::time_point now = Clock::now();
      if (serving != seen) {
        seen = serving;
        until = now + Spin_Limit;
      } else if (now >= until) {
        return false;
      }
      std::this_thread::yield();
    }
  }

  // How far back in the queue a waiter waits awake: as far as the places
  // tell tickets apart, but not at all on one processor (there a spinning
  // waiter would only hold up the holder). A waiter awake costs the others
  // little, as it yields its core between short runs, also where more callers
  // than processors wait and the holder's peer needs the core; one asleep
  // costs a wake-up of some tens of microseconds when its turn comes, several
  // times a loopback exchange, and on a virtual machine the more so. The
  // process's set counts, not the thread's: callers pinned one to a processor
  // each still find the others free. It is asked once per thread: a system
  // call per wait would cost more than a hand-over.
  static uint64_t Awake_Places() {
    thread_local const uint64_t places = [] {
      const auto processors = static_cast<uint64_t>(rtl::ProcessProcessorCount());
      return processors > 1 ? Place_Count - 1 : 0;
    }();
    return places;
  }

  void Wait_Turn(uint64_t ticket) {
    const uint64_t awake_places = Awake_Places();
    Place& place = Place_Of(ticket);
    // Waiting awake once per call: on arrival, then each time it is called.
    bool called = true;
    for (;;) {
      uint64_t serving = serving_.load();
      if (serving == ticket) return;
      if (called && ticket - serving <= awake_places) {
        called = false;
        if (Spin_For(ticket)) return;
        continue;
      }
      // Counted as asleep before the last look at the queue: a release or a
      // call that moves the word after that look sees the count and wakes it.
      const bool would_spin = awake_places > 0;
      place.sleepers.fetch_add(1);
      if (would_spin) place.would_spin.fetch_add(1);
      const uint32_t word = place.word.load();
      if (serving_.load() != ticket) place.word.wait(word);
      if (would_spin) place.would_spin.fetch_sub(1);
      place.sleepers.fetch_sub(1);
      called = place.word.load() != word;
    }
  }

 private:
  std::atomic<uint64_t> next_ticket_{0};
  std::atomic<uint64_t> serving_{0};
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;  // touched by the holder only
  std::array<Place, Place_Count> places_;
};

}  // namespace jq
