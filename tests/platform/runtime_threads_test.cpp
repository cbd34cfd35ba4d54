// Threads, locks, events and the replaceable clock.
#include <gtest/gtest.h>

#include <atomic>

#include "exceptions.h"
#include "sync.h"
#include "thread.h"
#include "ticks.h"

using namespace rtl;

TEST(Ticks, ManualClockDrivesTicksAndSleep) {
  ManualClock clock(0xFFFFFFF0ull);
  Clock* old = SetClock(&clock);
  std::uint64_t seen = 0;
  clock.SetAdvanceHook([&](std::uint64_t now) { seen = now; });
  const std::uint32_t t0 = GetTickCount();
  Sleep(0x20);  // sleeping on the manual clock moves it
  const std::uint32_t t1 = GetTickCount();
  EXPECT_LT(t1, t0);                       // the 32-bit tick wrapped
  EXPECT_EQ(TicksBetween(t0, t1), 0x20u);  // elapsed time is still right
  EXPECT_EQ(GetTickCount64(), 0x100000010ull);
  EXPECT_EQ(seen, 0x100000010ull);
  SetClock(old);
  const std::uint64_t a = GetTickCount64();
  Sleep(2);
  EXPECT_GE(GetTickCount64(), a);
}

TEST(Threads, TerminateFlagJoinAndStackSize) {
  std::atomic<int> loops{0};
  TFunctionThread t(
      [&](TThread& self) {
        char big[1 << 20];  // needs more than a small default stack
        big[0] = 1;
        while (!self.Terminated()) {
          loops += big[0];
          Sleep(1);
        }
      },
      4 << 20);
  t.Start();
  EXPECT_THROW(t.Start(), EThread);
  while (loops.load() < 3) Sleep(1);
  t.Terminate();
  t.WaitFor();
  EXPECT_TRUE(t.Finished());
  EXPECT_FALSE(t.FatalException());
  EXPECT_NE(t.ThreadID(), CurrentThreadID());
}

TEST(Threads, ExceptionInExecuteIsKept) {
  TFunctionThread t([](TThread&) { throw EConvertError(u"bad"); });
  bool ended = false;
  t.OnTerminate = [&](TThread&) { ended = true; };
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(ended);
  ASSERT_TRUE(t.FatalException());
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), EConvertError);
}

TEST(Sync, ReentrantLockAndManualResetEvent) {
  TCriticalSection cs;
  cs.Enter();
  cs.Enter();  // the owner may enter again
  std::atomic<bool> otherGotIn{false};
  TEvent ready;
  TFunctionThread other([&](TThread&) {
    ready.SetEvent();
    cs.Enter();
    otherGotIn = true;
    cs.Leave();
  });
  other.Start();
  EXPECT_EQ(ready.WaitFor(5000), TWaitResult::wrSignaled);
  cs.Leave();
  EXPECT_FALSE(otherGotIn.load());
  cs.Leave();
  other.WaitFor();
  EXPECT_TRUE(otherGotIn.load());

  TEvent ev;
  EXPECT_EQ(ev.WaitFor(10), TWaitResult::wrTimeout);
  ev.SetEvent();
  EXPECT_EQ(ev.WaitFor(0), TWaitResult::wrSignaled);
  EXPECT_EQ(ev.WaitFor(0), TWaitResult::wrSignaled);  // stays set until reset
  ev.ResetEvent();
  EXPECT_EQ(ev.WaitFor(0), TWaitResult::wrTimeout);

  TEvent autoEv(false);
  autoEv.SetEvent();
  EXPECT_EQ(autoEv.WaitFor(0), TWaitResult::wrSignaled);
  EXPECT_EQ(autoEv.WaitFor(0), TWaitResult::wrTimeout);
}

TEST(FloatFaults, ReadFromStatusFlags) {
  ClearFloatFaults();
  volatile double zero = 0.0;
  volatile double r = 1.0 / zero;
  (void)r;
  EXPECT_THROW(RaiseFloatFaults(), EZeroDivide);
  EXPECT_NO_THROW(RaiseFloatFaults());
}
