// The record order and slot pool against plain vectors: enough records for
// many blocks, runs of inserts and deletes in one place (which split,
// merge and remove blocks), and pass flags kept through all of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "components/extended/data/ext_record_store.h"

using ext::TExtRecordOrder;
using ext::TExtSlotPool;

namespace {

struct OrderHarness {
  TExtRecordOrder order;
  std::vector<std::uint32_t> nos;
  std::vector<std::uint8_t> flags;
  std::uint32_t next = 0;
  std::uint32_t erased = UINT32_MAX;  // the last number erased, no longer in the order
  std::mt19937 rng{4711};

  int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  void Insert(int pos) {
    order.Insert(pos, next);
    nos.insert(nos.begin() + pos, next);
    if (order.FlagsValid()) {
      const bool f = next % 3 == 0;
      order.SetFlag(pos, f);
      flags.insert(flags.begin() + pos, f);
    }
    ++next;
  }
  void Erase(int pos) {
    EXPECT_EQ(order.Erase(pos), nos[static_cast<std::size_t>(pos)]);
    erased = nos[static_cast<std::size_t>(pos)];
    nos.erase(nos.begin() + pos);
    if (order.FlagsValid()) flags.erase(flags.begin() + pos);
  }
  void Evaluate() {
    order.EvaluateFlags([](std::uint32_t no) { return no % 2 == 0; });
    flags.clear();
    for (std::uint32_t no : nos) flags.push_back(no % 2 == 0);
  }
  void Check() {
    const int n = static_cast<int>(nos.size());
    ASSERT_EQ(order.Size(), n);
    std::vector<std::uint32_t> walked;
    order.Walk(0, [&](int pos, std::uint32_t no) {
      EXPECT_EQ(pos, static_cast<int>(walked.size()));
      walked.push_back(no);
      return true;
    });
    ASSERT_EQ(walked, nos);
    for (int k = 0; k < 50 && n > 0; ++k) {
      const int pos = Rand(0, n - 1);
      ASSERT_EQ(order.At(pos), nos[static_cast<std::size_t>(pos)]);
      ASSERT_EQ(order.PositionOf(nos[static_cast<std::size_t>(pos)]), pos);
      // A hint near it, as a window around the cursor gives, also across a
      // block's edge, or out of reach.
      const int hint = std::clamp(pos + (k % 5 ? Rand(-60, 60) : Rand(-n, n)), -1, n);
      ASSERT_EQ(order.PositionOf(nos[static_cast<std::size_t>(pos)], hint), pos) << "hint " << hint;
      if (erased != UINT32_MAX) {
        ASSERT_EQ(order.PositionOf(erased, hint), -1);
      }
    }
    // Backwards, as a window is filled before its cursor: the steps cross
    // into the block before.
    for (int pos = Rand(0, n) - 1, k = 0; pos >= 0 && k < 2500; --pos, ++k)
      ASSERT_EQ(order.At(pos), nos[static_cast<std::size_t>(pos)]) << pos;
    if (!order.FlagsValid()) return;
    ASSERT_EQ(order.FlagCount(), static_cast<int>(std::count(flags.begin(), flags.end(), 1)));
    for (int k = 0; k < 50; ++k) {
      const int pos = Rand(-1, n);
      int next = -1, prior = -1;
      for (int i = std::max(pos + 1, 0); i < n && next < 0; ++i)
        if (flags[static_cast<std::size_t>(i)]) next = i;
      for (int i = std::min(pos, n) - 1; i >= 0 && prior < 0; --i)
        if (flags[static_cast<std::size_t>(i)]) prior = i;
      ASSERT_EQ(order.NextFlagged(pos), next) << pos;
      ASSERT_EQ(order.PriorFlagged(pos), prior) << pos;
      if (pos >= 0 && pos < n) {
        ASSERT_EQ(order.Flag(pos), flags[static_cast<std::size_t>(pos)] != 0);
      }
    }
  }
};

TEST(RecordOrder, FollowsAVectorThroughInsertsDeletesAndFlags) {
  OrderHarness h;
  for (int i = 0; i < 5000; ++i) h.Insert(static_cast<int>(h.nos.size()));
  ASSERT_NO_FATAL_FAILURE(h.Check());
  for (int round = 0; round < 400; ++round) {
    const int n = static_cast<int>(h.nos.size());
    switch (h.Rand(0, 7)) {
      case 0:  // a run at the front, as a grid's selection is deleted or filled
        for (int k = h.Rand(1, 1500); k > 0; --k) h.Insert(0);
        break;
      case 1:
        for (int k = h.Rand(1, 1500); k > 0 && !h.nos.empty(); --k) h.Erase(0);
        break;
      case 2: {  // a run in one place: the block there splits, then empties
        const int at = h.Rand(0, n);
        for (int k = h.Rand(1, 3000); k > 0; --k) h.Insert(at);
        break;
      }
      case 3:
        for (int k = h.Rand(1, 3000); k > 0 && !h.nos.empty(); --k)
          h.Erase(std::min(h.Rand(0, n), static_cast<int>(h.nos.size()) - 1));
        break;
      case 4:
        for (int k = h.Rand(1, 200); k > 0; --k) h.Insert(h.Rand(0, static_cast<int>(h.nos.size())));
        break;
      case 5: h.Evaluate(); break;
      case 6:
        if (h.order.FlagsValid() && n > 0) {
          for (int k = 0; k < 100; ++k) {
            const int pos = h.Rand(0, n - 1);
            const bool f = h.Rand(0, 1) == 1;
            h.order.SetFlag(pos, f);
            h.flags[static_cast<std::size_t>(pos)] = f;
          }
        }
        break;
      case 7:
        if (h.Rand(0, 3) == 0) {
          h.order.DropFlags();
          h.flags.clear();
        } else {
          std::shuffle(h.nos.begin(), h.nos.end(), h.rng);
          h.order.Assign(h.nos);
          h.flags.clear();
        }
        break;
    }
    ASSERT_NO_FATAL_FAILURE(h.Check()) << "round " << round;
  }
  while (!h.nos.empty()) h.Erase(static_cast<int>(h.nos.size()) - 1);
  ASSERT_NO_FATAL_FAILURE(h.Check());
  h.Insert(0);
  ASSERT_NO_FATAL_FAILURE(h.Check());
}

TEST(SlotPool, NumbersKeepTheirSlotsAndAreReused) {
  TExtSlotPool pool;
  pool.Reset(5);
  std::vector<std::uint32_t> taken;
  for (int i = 0; i < 200000; ++i) {
    taken.push_back(pool.Take());
    std::memcpy(pool.Slot(taken.back()), &i, 4);
  }
  EXPECT_EQ(pool.Limit(), 200000u);
  std::set<std::uint8_t*> distinct;
  for (std::size_t i = 0; i < taken.size(); ++i) {
    int v;
    std::memcpy(&v, pool.Slot(taken[i]), 4);
    ASSERT_EQ(v, static_cast<int>(i));
    distinct.insert(pool.Slot(taken[i]));
  }
  EXPECT_EQ(distinct.size(), taken.size());
  pool.Give(77);
  pool.Give(150000);
  EXPECT_EQ(pool.Take(), 150000u);
  EXPECT_EQ(pool.Take(), 77u);
  EXPECT_EQ(pool.Take(), 200000u);
}

}  // namespace
