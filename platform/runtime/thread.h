// Threads with a terminate flag. A TThread never frees itself: its owner
// calls Terminate and WaitFor (or just destroys it, which does both).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>

namespace rtl {

using TThreadID = std::uint64_t;

// Records the calling thread as the window (main) thread.
void SetMainThread();
TThreadID MainThreadID();
TThreadID CurrentThreadID();
bool IsMainThread();

// Processors the calling thread may run on (its affinity set), at least 1.
int UsableProcessorCount();
// Processors the process may run on: the affinity set of its first thread,
// which is what the process was started with (e.g. under `taskset`) unless
// that thread narrowed it; at least 1. Threads pinned to one processor each
// still share the process's processors among them.
int ProcessProcessorCount();

// Said once per turn of a loop that waits for another thread to change a
// word: the processor then lets its sibling run and leaves the loop without
// a pipeline flush when the word changes.
inline void SpinPause() noexcept {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield" ::: "memory");
#endif
}

// Scheduling priority in seven steps. Linux threads of an ordinary process
// all run under SCHED_OTHER and differ only by their nice value: the steps
// map to the process's nice value +19, +10, +5, 0, -5, -10, -20 (kept within
// -20..19). Raising a thread above the process needs CAP_SYS_NICE or a
// RLIMIT_NICE allowance; without them such a step is refused and the thread
// keeps running at the process's priority. Real-time classes are not used.
enum TThreadPriority : std::uint8_t { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread {
 public:
  // `stackSize` 0 takes the system default; the device library asks 4 MiB.
  explicit TThread(std::size_t stackSize = 0);
  // Terminates and waits when still running. A derived class whose Execute
  // uses its own members must call TerminateAndWait in its destructor, as
  // they are gone by the time this one runs.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts Execute on the new thread. Raises EThread when the system refuses
  // or the thread was started before.
  void Start();
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }
  // Joins the thread and returns ReturnValue; at once when never started.
  int WaitFor();
  void TerminateAndWait() {
    Terminate();
    WaitFor();
  }
  // Applied at once to a running thread, else when it starts. Answers
  // whether the system took it (always true before the start).
  bool SetPriority(TThreadPriority Value);
  TThreadPriority Priority() const { return priority_.load(); }
  bool Started() const { return started_; }
  bool Finished() const { return finished_.load(); }
  TThreadID ThreadID() const { return id_.load(); }
  // An exception that left Execute, kept for the owner.
  std::exception_ptr FatalException() const { return fatal_; }
  int ReturnValue() const { return returnValue_.load(); }

  // Runs on the thread after Execute ends (normally or by an exception).
  std::function<void(TThread&)> OnTerminate;

 protected:
  virtual void Execute() = 0;
  void SetReturnValue(int v) { returnValue_.store(v); }

 private:
  static void* Entry(void* self);

  std::size_t stackSize_;
  unsigned long handle_ = 0;  // pthread_t
  bool started_ = false;
  bool joined_ = false;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<TThreadID> id_{0};
  std::atomic<int> returnValue_{0};
  std::atomic<TThreadPriority> priority_{tpNormal};
  std::exception_ptr fatal_;
};

// A thread running a function; the function gets the thread to poll
// Terminated().
class TFunctionThread : public TThread {
 public:
  explicit TFunctionThread(std::function<void(TThread&)> body, std::size_t stackSize = 0)
      : TThread(stackSize), body_(std::move(body)) {}
  ~TFunctionThread() override { TerminateAndWait(); }

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(TThread&)> body_;
};

}  // namespace rtl
