// Millisecond ticks and sleeping, through a replaceable clock so tests can
// drive time by hand.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

namespace rtl {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; never goes backwards.
  virtual std::uint64_t NowMs() = 0;
  virtual void SleepMs(std::uint32_t ms) = 0;
};

// The monotonic system clock; Sleep(0) yields the processor.
Clock& SystemClock();

// A clock that moves only when told to. Sleeping on it advances it by the
// time asked for, so code that sleeps runs at once and deterministically.
class ManualClock : public Clock {
 public:
  explicit ManualClock(std::uint64_t startMs = 0) : now_(startMs) {}
  std::uint64_t NowMs() override;
  void SleepMs(std::uint32_t ms) override { Advance(ms); }
  // Moves the time on and then calls the advance hook (outside the lock).
  void Advance(std::uint64_t ms);
  void Set(std::uint64_t ms);
  // Called after every move with the new time, e.g. to fire due timers.
  void SetAdvanceHook(std::function<void(std::uint64_t nowMs)> hook);

 private:
  std::mutex mutex_;
  std::uint64_t now_;
  std::function<void(std::uint64_t)> hook_;
};

// Replaces the clock (nullptr restores the system clock); returns the old
// one. The caller keeps the clock alive while it is installed.
Clock* SetClock(Clock* clock);
Clock& CurrentClock();

// 32-bit tick: wraps to 0 after 2^32 ms (about 49.7 days).
std::uint32_t GetTickCount();
std::uint64_t GetTickCount64();
// Elapsed ms between two 32-bit ticks, correct across one wrap.
inline std::uint32_t TicksBetween(std::uint32_t earlier, std::uint32_t later) { return later - earlier; }
void Sleep(std::uint32_t ms);

// High-resolution counter (nanoseconds of the monotonic clock) and its rate;
// not affected by the replaceable clock.
std::int64_t QueryPerformanceCounter();
std::int64_t QueryPerformanceFrequency();

}  // namespace rtl
