// The record order and slot pool against plain vectors: enough records for
// many blocks, runs of inserts and deletes in one place (which split,
// merge and remove blocks), and pass flags kept through all of it. Each
// record also holds a value, ascending along the order; searches over the
// blocks through keys kept by block id must find what a search of the
// values finds, however the blocks' first records changed.
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
  // Each record's value by number, and the keys a caller keeps by block id.
  std::vector<std::int64_t> values;
  std::vector<std::int64_t> keys;
  static constexpr std::int64_t kGap = std::int64_t(1) << 32;

  int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  std::int64_t ValueAt(int pos) const { return values[nos[static_cast<std::size_t>(pos)]]; }
  // A value that keeps the order ascending at pos, between records [pos - 1]
  // and [pos + Above] (Above 0 for a new record, 1 for one being edited):
  // just under the upper one (runs of inserts in one place use little of
  // the room), or anywhere between. False when they leave no room.
  bool ValueFor(int pos, int Above, bool Anywhere, std::int64_t& Value) {
    const int n = static_cast<int>(nos.size());
    const std::int64_t hi = pos + Above < n ? ValueAt(pos + Above) : (pos > 0 ? ValueAt(pos - 1) : 0) + kGap;
    const std::int64_t lo = pos > 0 ? ValueAt(pos - 1) : hi - kGap;
    if (hi - lo < 2) return false;
    const std::int64_t most = Anywhere ? hi - lo - 1 : std::min<std::int64_t>(hi - lo - 1, 1000);
    Value = hi - std::uniform_int_distribution<std::int64_t>(1, most)(rng);
    return true;
  }
  // Spreads the values out again; the order is told every key changed.
  void Respace() {
    for (std::size_t i = 0; i < nos.size(); ++i) values[nos[i]] = std::int64_t(i) * kGap;
    order.ForgetFirsts();
  }
  void Insert(int pos) {
    values.resize(std::size_t(next) + 1);
    if (!ValueFor(pos, 0, false, values[next])) {
      Respace();
      ValueFor(pos, 0, false, values[next]);
    }
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
  // Rewrites a run of records with other values in their places, as edits
  // that keep a sorted table sorted; the order hears of each.
  void Edit(int pos, int count) {
    for (int end = std::min(pos + count, static_cast<int>(nos.size())); pos < end; ++pos) {
      const std::uint32_t no = nos[static_cast<std::size_t>(pos)];
      ValueFor(pos, 1, true, values[no]);
      order.ForgetFirst(no);
    }
  }
  // After the order is replaced its values are ascending again.
  void Assign() {
    std::shuffle(nos.begin(), nos.end(), rng);
    order.Assign(nos);
    for (std::size_t i = 0; i < nos.size(); ++i) values[nos[i]] = std::int64_t(i) * kGap;
    flags.clear();
  }
  // Where a value would go, found through the block keys.
  int Search(std::int64_t value) {
    keys.resize(order.BlockIds());
    return order.PartitionPoint(
        [&](std::uint32_t id, std::uint32_t stale) {
          if (stale != TExtRecordOrder::kKeyKnown) keys[id] = values[stale];
          return keys[id] < value;
        },
        [&](std::uint32_t no) { return values[no] < value; });
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
    // Every record's own value finds it; one more finds the next.
    for (int pos = 0; pos < n; ++pos) {
      ASSERT_EQ(Search(ValueAt(pos)), pos);
      ASSERT_EQ(Search(ValueAt(pos) + 1), pos + 1);
    }
    if (n > 0) {
      ASSERT_EQ(Search(ValueAt(0) - 1), 0);
    }
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
    switch (h.Rand(0, 8)) {
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
          h.Assign();
        }
        break;
      case 8:  // edits, among them of blocks' first records
        h.Edit(h.Rand(0, n), h.Rand(1, 2500));
        break;
    }
    ASSERT_NO_FATAL_FAILURE(h.Check()) << "round " << round;
  }
  while (!h.nos.empty()) h.Erase(static_cast<int>(h.nos.size()) - 1);
  ASSERT_NO_FATAL_FAILURE(h.Check());
  h.Insert(0);
  ASSERT_NO_FATAL_FAILURE(h.Check());
}

// A block merged into the one before it leaves its id free; the block that
// later takes the id starts without a key.
TEST(RecordOrder, ABlockIdTakenAgainHasItsKeyReadAgain) {
  OrderHarness h;
  for (int i = 0; i < 2148; ++i) h.Insert(static_cast<int>(h.nos.size()));
  h.Assign();  // blocks of 1,024, 1,024 and 100
  ASSERT_NO_FATAL_FAILURE(h.Check());
  while (h.nos.size() > 1024 + 255 + 100) h.Erase(1024 + 255);
  ASSERT_NO_FATAL_FAILURE(h.Check());
  for (int k = 0; k < 1100; ++k) h.Insert(512);
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
