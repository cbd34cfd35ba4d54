// Run under ThreadSanitizer by scripts/test.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "components/extended/core/core_synch.h"

using namespace ext;

TEST(CoreSynchRace, ThreadsRacingToCreateShareOneLock) {
  for (int round = 0; round < 20; ++round) {
    TCoreCriticalSection* shared = nullptr;
    constexpr int kThreads = 8;
    std::atomic<int> ready{0};
    std::vector<TCoreCriticalSection*> entered(kThreads, nullptr);
    long counter = 0;  // guarded only by the lock
    int inside = 0;
    int overlap = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&, t] {
        ready.fetch_add(1);
        while (ready.load() < kThreads) std::this_thread::yield();
        TCoreCriticalSection* s = TCoreCriticalSection::CreateAndEnter(shared);
        entered[t] = s;
        if (++inside != 1) ++overlap;
        for (int i = 0; i < 1000; ++i) ++counter;
        s->Enter();  // re-entrant
        --inside;
        s->Leave();
        s->Leave();
      });
    }
    for (auto& th : threads) th.join();
    ASSERT_NE(shared, nullptr);
    for (auto* s : entered) EXPECT_EQ(s, shared);
    EXPECT_EQ(counter, kThreads * 1000L);
    EXPECT_EQ(overlap, 0);
    delete shared;
  }
}
