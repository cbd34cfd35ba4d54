// Locks and events.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace rtl {

// Re-entrant lock: the owning thread may enter again.
class TCriticalSection {
 public:
  void Enter() { mutex_.lock(); }
  bool TryEnter() { return mutex_.try_lock(); }
  void Leave() { mutex_.unlock(); }
  // BasicLockable, for std::lock_guard / std::scoped_lock.
  void lock() { Enter(); }
  void unlock() { Leave(); }
  bool try_lock() { return TryEnter(); }

 private:
  std::recursive_mutex mutex_;
};

enum class TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

inline constexpr std::uint32_t INFINITE = 0xFFFFFFFF;

// An event that stays set until reset (manual reset), or, when created as
// auto-reset, releases one waiter and clears itself.
class TEvent {
 public:
  explicit TEvent(bool manualReset = true, bool initialState = false)
      : manual_(manualReset), set_(initialState) {}
  void SetEvent();
  void ResetEvent();
  // Waits at most `timeoutMs` (INFINITE waits without limit) on real time.
  TWaitResult WaitFor(std::uint32_t timeoutMs);
  bool IsSet();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool manual_;
  bool set_;
};

}  // namespace rtl
