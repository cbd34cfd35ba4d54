#include "platform/runtime/ticks.h"

#include "platform/system/monotonic_clock.h"

#include <time.h>

#include <atomic>
#include <thread>

namespace rtl {

namespace {

class SteadyClock final : public Clock {
 public:
  std::uint64_t NowMs() override { return MonotonicMs(); }
  void SleepMs(std::uint32_t ms) override {
    if (ms == 0) {
      std::this_thread::yield();
      return;
    }
    struct timespec req{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&req, &req) != 0) {
    }
  }
};

std::atomic<Clock*> g_clock{nullptr};

}  // namespace

Clock& SystemClock() {
  static SteadyClock clock;
  return clock;
}

std::uint64_t ManualClock::NowMs() {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

void ManualClock::Advance(std::uint64_t ms) {
  std::function<void(std::uint64_t)> hook;
  std::uint64_t now;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += ms;
    now = now_;
    hook = hook_;
  }
  if (hook) hook(now);
}

void ManualClock::Set(std::uint64_t ms) {
  std::function<void(std::uint64_t)> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ = ms;
    hook = hook_;
  }
  if (hook) hook(ms);
}

void ManualClock::SetAdvanceHook(std::function<void(std::uint64_t)> hook) {
  std::lock_guard<std::mutex> lock(mutex_);
  hook_ = std::move(hook);
}

Clock* SetClock(Clock* clock) {
  Clock* old = g_clock.exchange(clock);
  return old ? old : &SystemClock();
}

Clock& CurrentClock() {
  Clock* c = g_clock.load();
  return c ? *c : SystemClock();
}

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(CurrentClock().NowMs()); }
std::uint64_t GetTickCount64() { return CurrentClock().NowMs(); }
void Sleep(std::uint32_t ms) { CurrentClock().SleepMs(ms); }

std::int64_t QueryPerformanceCounter() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::int64_t QueryPerformanceFrequency() { return 1000000000; }

}  // namespace rtl
