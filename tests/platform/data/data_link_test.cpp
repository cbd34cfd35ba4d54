// What a data link sees: the order of its reactions, its window of buffers
// while the dataset scrolls, and the single change after EnableControls.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/data/data_source.h"
#include "tests/platform/data/recording_link.h"
#include "tests/platform/data/vector_dataset.h"

using namespace db;
using dbtest::TVectorDataSet;

namespace {

using dbtest::RecordingLink;

struct Linked : ::testing::Test {
  TVectorDataSet ds;
  TDataSource src{nullptr};
  RecordingLink link;
  void SetUp() override {
    ds.FieldDefs().Add(u"N", ftInteger);
    ds.Open();
    for (int i = 1; i <= 10; ++i) ds.AppendRecord({Variant(i)});
    ds.First();
    src.SetDataSet(&ds);
  }
  // The value shown in row r of the link's window.
  int Row(int r) {
    int keep = link.ActiveRecord();
    link.SetActiveRecord(r);
    int v = ds.FieldByName(u"N")->AsInteger();
    link.SetActiveRecord(keep);
    return v;
  }
};

TEST_F(Linked, EventsArriveInOrder) {
  link.SetBufferCount(3);
  link.SetDataSource(&src);
  EXPECT_EQ(link.Take(), "active");
  EXPECT_EQ(link.RecordCount(), 3);
  EXPECT_EQ(link.ActiveRecord(), 0);

  // Each move first lets the link finish its edit, then reports the scroll.
  ds.Next();
  EXPECT_EQ(link.Take(), "check scrolled0");
  ds.Next();
  ds.Next();  // leaves the window: it moves by one
  EXPECT_EQ(link.Take(), "check scrolled0 check scrolled1");
  EXPECT_EQ(link.ActiveRecord(), 2);
  EXPECT_EQ(Row(0), 2);
  EXPECT_EQ(Row(2), 4);
  EXPECT_EQ(ds.MoveBy(-3), -3);
  EXPECT_EQ(link.Take(), "check scrolled-1");
  EXPECT_EQ(link.ActiveRecord(), 0);
  EXPECT_EQ(Row(0), 1);

  ds.Edit();
  EXPECT_EQ(link.Take(), "check editing record");
  ds.FieldByName(u"N")->SetAsInteger(100);
  EXPECT_EQ(link.Take(), "field:N");
  ds.Post();
  EXPECT_EQ(link.Take(), "update check browsing changed");

  ds.Append();
  EXPECT_EQ(link.Take(), "check editing changed");
  EXPECT_EQ(link.ActiveRecord(), link.RecordCount() - 1);  // the new record is the window's last
  ds.Cancel();
  EXPECT_EQ(link.Take(), "check browsing changed");

  ds.DisableControls();
  ds.DisableControls();
  ds.Next();
  ds.Last();
  ds.EnableControls();
  EXPECT_EQ(link.Take(), "");
  ds.EnableControls();
  EXPECT_EQ(link.Take(), "changed");
  EXPECT_EQ(Row(link.ActiveRecord()), 10);

  ds.Close();
  EXPECT_EQ(link.Take(), "inactive");
  EXPECT_EQ(link.RecordCount(), 0);
  link.SetDataSource(nullptr);
}

TEST_F(Linked, ClosingWhileDisabledArrivesAsOneLayoutChange) {
  link.SetDataSource(&src);
  link.Take();
  ds.DisableControls();
  ds.Close();
  ds.Open();
  ds.EnableControls();
  EXPECT_EQ(link.Take(), "layout");
}

TEST_F(Linked, TwoLinksOfDifferentSizesKeepTheirOwnWindows) {
  RecordingLink small;
  link.SetBufferCount(6);
  small.SetBufferCount(2);
  link.SetDataSource(&src);
  small.SetDataSource(&src);
  EXPECT_EQ(ds.BufferCount(), 6);
  ds.MoveBy(4);
  EXPECT_EQ(link.ActiveRecord(), 4);
  EXPECT_EQ(small.ActiveRecord(), 1);
  EXPECT_EQ(small.RecordCount(), 2);
  link.SetDataSource(nullptr);
  EXPECT_EQ(ds.BufferCount(), 2);
  EXPECT_EQ(small.ActiveRecord(), 1);
  EXPECT_EQ(ds.FieldByName(u"N")->AsInteger(), 5);
  small.SetDataSource(nullptr);
}

// Random walks against a plain model: the link's window always shows
// consecutive records with the current one at ActiveRecord.
TEST_F(Linked, WindowStaysConsistentUnderRandomWork) {
  link.SetBufferCount(4);
  link.SetDataSource(&src);
  std::vector<int> model;
  for (int i = 1; i <= 10; ++i) model.push_back(i);
  int cur = 0;
  int next = 11;
  std::mt19937 rng(7);
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE(step);
    int op = static_cast<int>(rng() % 8);
    if (model.empty()) op = 5;
    switch (op) {
      case 0: case 1: {
        int d = static_cast<int>(rng() % 9) - 4;
        int target = std::clamp(cur + d, 0, static_cast<int>(model.size()) - 1);
        EXPECT_EQ(ds.MoveBy(d), target - cur);
        cur = target;
        break;
      }
      case 2: ds.First(); cur = 0; break;
      case 3: ds.Last(); cur = static_cast<int>(model.size()) - 1; break;
      case 4: ds.Insert(); ds.FieldByName(u"N")->SetAsInteger(next); ds.Post();
        model.insert(model.begin() + cur, next++); break;
      case 5: ds.Append(); ds.FieldByName(u"N")->SetAsInteger(next); ds.Post();
        model.push_back(next++); cur = static_cast<int>(model.size()) - 1; break;
      case 6: ds.Delete(); model.erase(model.begin() + cur);
        if (cur >= static_cast<int>(model.size())) cur = static_cast<int>(model.size()) - 1;
        if (cur < 0) cur = 0;
        break;
      case 7: link.SetBufferCount(1 + static_cast<int>(rng() % 6)); break;
    }
    if (model.empty()) {
      EXPECT_EQ(link.RecordCount(), 0);
      continue;
    }
    ASSERT_EQ(ds.FieldByName(u"N")->AsInteger(), model[static_cast<std::size_t>(cur)]);
    int a = link.ActiveRecord();
    int n = link.RecordCount();
    ASSERT_GE(a, 0);
    ASSERT_LT(a, n);
    ASSERT_LE(n, link.BufferCount());
    for (int r = 0; r < n; ++r) {
      int idx = cur - a + r;
      ASSERT_GE(idx, 0);
      ASSERT_LT(idx, static_cast<int>(model.size()));
      ASSERT_EQ(Row(r), model[static_cast<std::size_t>(idx)]) << "row " << r;
    }
    ASSERT_EQ(ds.RecNo(), cur + 1);
  }
  link.SetDataSource(nullptr);
}

}  // namespace
