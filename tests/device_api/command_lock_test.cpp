// Many callers on the command lock: an export's command sequence reaches the
// controller unbroken, and the lock hands over in arrival order, so a healthy
// slot is not starved by silent neighbours.
#include <gtest/gtest.h>

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "include/JQ_API.h"
#include "device_api/ticket_lock.h"
#include "tests/sim/sim.h"

namespace {

using Clock = std::chrono::steady_clock;

class CommandLock : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(JQ_Init(), 0); }
  void TearDown() override {
    JQ_DeInit();
    jqsim::DetachAllHid();
  }
};

// Pins the calling thread to the first processor it may use.
void Pin_To_One_Processor() {
  cpu_set_t set;
  ASSERT_EQ(::sched_getaffinity(0, sizeof set, &set), 0);
  int first = 0;
  while (!CPU_ISSET(first, &set)) ++first;
  CPU_ZERO(&set);
  CPU_SET(first, &set);
  ASSERT_EQ(::sched_setaffinity(0, sizeof set, &set), 0);
}

// The lock itself: one holder at a time and re-entrant, with the waiters at
// the front of the line awake, the threads on all processors or all on one
// (where the waiters awake must give way to the holder).
// Holders say they await a reply, mid-hold, as the links do; so do threads
// that do not hold the lock, which must change nothing.
TEST(TicketLock, ExcludesAndReentersUnderContention) {
  for (const bool one_processor : {false, true}) {
    SCOPED_TRACE(one_processor ? "one processor" : "all processors");
    jq::Ticket_Lock lock;
    constexpr int Threads = 8, Rounds = 3000;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    long counter = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t)
      workers.emplace_back([&] {
        if (one_processor) Pin_To_One_Processor();
        for (int i = 0; i < Rounds; ++i) {
          std::lock_guard<jq::Ticket_Lock> outer(lock);
          if (inside.fetch_add(1) != 0) overlapped = true;
          lock.Reply_Awaited();
          {
            std::lock_guard<jq::Ticket_Lock> inner(lock);
            ++counter;
          }
          ++counter;
          inside.fetch_sub(1);
        }
        lock.Reply_Awaited();
      });
    for (auto& w : workers) w.join();
    EXPECT_FALSE(overlapped.load());
    EXPECT_EQ(counter, 2L * Threads * Rounds);
    EXPECT_EQ(lock.Queue_Length(), 0u);
  }
}

// Lines up `waiters` threads behind a held lock, one after another, holds it
// past the spin limit (so they all sleep) and returns the order they got it in.
std::vector<int> Order_Of_Sleepers(int waiters) {
  jq::Ticket_Lock lock;
  std::vector<int> order;
  std::vector<std::thread> threads;
  lock.lock();
  for (int i = 0; i < waiters; ++i) {
    threads.emplace_back([&, i] {
      std::lock_guard<jq::Ticket_Lock> guard(lock);
      order.push_back(i);
    });
    const auto give_up = Clock::now() + std::chrono::seconds(10);
    while (lock.Queue_Length() < static_cast<uint64_t>(i + 1) && Clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(lock.Queue_Length(), static_cast<uint64_t>(i + 1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  lock.unlock();
  for (auto& t : threads) t.join();
  return order;
}

// More sleepers than the lock has words to sleep on: those that share a word
// are woken together, and each must still wait for its own turn.
TEST(TicketLock, ServesManySleepersInArrivalOrder) {
  constexpr int Waiters = 40;
  std::vector<int> expected(Waiters);
  for (int i = 0; i < Waiters; ++i) expected[i] = i;
  EXPECT_EQ(Order_Of_Sleepers(Waiters), expected);
}

TEST(TicketLock, ServesInArrivalOrder) {
  const std::vector<int> expected{0, 1, 2, 3, 4, 5};
  EXPECT_EQ(Order_Of_Sleepers(6), expected);
}

// Two threads run three-axis line moves (count, three axes, three targets, start:
// eight commands) on one slot; the controller must see each move whole.
TEST_F(CommandLock, MultiCommandExportsAreNotInterleaved) {
  jqsim::Controller sim;
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_M_Open_Net(0, 127, 0, 0, 1, listener.port()), 0);
  sim.ClearLog();
  constexpr int Runs = 60;
  std::atomic<int> failures{0};
  auto mover = [&](uint16_t line) {
    const int32_t axes[3] = {0, 1, 2};
    const int32_t targets[3] = {100 * (line + 1), 200 * (line + 1), 300 * (line + 1)};
    for (int i = 0; i < Runs; ++i)
      if (JQ_M_Set_Axis_Line_X_Run_Rel(0, line, 3, axes, targets) != 0) ++failures;
  };
  std::thread a(mover, 0), b(mover, 1);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
  const auto log = sim.Log();
  ASSERT_EQ(log.size(), 2u * Runs * 8);
  const uint16_t sequence[8] = {194, 190, 190, 190, 192, 192, 192, 134};
  for (size_t run = 0; run < log.size() / 8; ++run) {
    const uint16_t line = log[run * 8].index & 0xFF;
    for (size_t k = 0; k < 8; ++k) {
      const auto& r = log[run * 8 + k];
      ASSERT_EQ(r.code, sequence[k]) << "run " << run << " command " << k << " came from another move";
      ASSERT_EQ(r.index & 0xFF, line) << "run " << run << " command " << k << " belongs to the other thread";
    }
  }
}

// One healthy slot beside silent ones: each of its calls waits at most for the
// exchanges queued before it, one per silent caller.
TEST_F(CommandLock, HealthySlotIsServedWithinTheFairBound) {
  constexpr int Silent = 5;
  constexpr int USB_Timeout_ms = 500;
  std::vector<std::unique_ptr<jqsim::Controller>> sims;
  for (int slot = 0; slot <= Silent; ++slot) {
    sims.push_back(std::make_unique<jqsim::Controller>());
    jqsim::HidDeviceInfo info;
    info.path = "dev-" + std::to_string(slot);
    jqsim::AttachHid(info, *sims.back());
  }
  for (int slot = 0; slot <= Silent; ++slot) ASSERT_EQ(JQ_M_Open_USB(slot), 0);
  for (int slot = 1; slot <= Silent; ++slot) sims[slot]->SetFault({jqsim::FaultKind::Silence});

  std::atomic<bool> stop{false};
  std::vector<std::thread> silent;
  for (int slot = 1; slot <= Silent; ++slot)
    silent.emplace_back([&stop, slot] {
      while (!stop) JQ_M_Check(slot);
    });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the silent callers queue up

  int64_t worst_ms = 0;
  int failures = 0;
  for (int call = 0; call < 3; ++call) {
    const auto start = Clock::now();
    failures += JQ_M_Check(0) != 0;
    worst_ms = std::max<int64_t>(
        worst_ms, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
  }
  stop = true;
  for (auto& t : silent) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_LE(worst_ms, Silent * USB_Timeout_ms + 400) << "the healthy slot waited behind more than one "
                                                        "exchange per silent caller";
}

}  // namespace
