// Locating by scan and copying field values between datasets.
#include <gtest/gtest.h>

#include "platform/data/data_source.h"
#include "components/extended/data/ext_db_utils.h"
#include "tests/platform/data/vector_dataset.h"

using namespace db;
using dbtest::TVectorDataSet;
using ext::CopyFieldValues;
using ext::LocateByScan;

namespace {

Variant Pair(const Variant& a, const Variant& b) {
  Variant v = rtl::VarArrayCreate(0, 1);
  v[0] = a;
  v[1] = b;
  return v;
}

struct Codes : ::testing::Test {
  TVectorDataSet ds;
  void SetUp() override {
    ds.FieldDefs().Add(u"ID", ftInteger);
    ds.FieldDefs().Add(u"Code", ftString, 8);
    ds.FieldDefs().Add(u"Wide", ftWideString, 8);
    ds.Open();
  }
  void Fill() {
    ds.AppendRecord({Variant(1), Variant(u"ABC"), Variant(u"北京")});
    ds.AppendRecord({Variant(2), Variant(u"abd"), Variant(u"Paris")});
    ds.AppendRecord({Variant(3), Variant::Null(), Variant(u"x")});
    ds.AppendRecord({Variant(4), Variant(u"ABC"), Variant(u"y")});
    ds.First();
  }
  int Id() { return ds.FieldByName(u"ID")->AsInteger(); }
};

TEST_F(Codes, LocateOnAnEmptySetFindsNothing) {
  EXPECT_FALSE(LocateByScan(&ds, u"Code", Variant(u"x"), 0));
  EXPECT_TRUE(ds.IsEmpty());
}

TEST_F(Codes, LocateMatchesByTheOptions) {
  Fill();
  struct Case {
    const char16_t* fields;
    Variant key;
    unsigned options;
    int expect;  // ID found, 0 = none
  };
  const Case cases[] = {
      {u"Code", Variant(u"abd"), 0, 2},
      {u"Code", Variant(u"ABD"), 0, 0},
      {u"Code", Variant(u"ABD"), loCaseInsensitive, 2},
      {u"Code", Variant(u"ab"), loPartialKey, 2},
      {u"Code", Variant(u"abc"), loPartialKey, 0},
      {u"Code", Variant(u"ab"), loPartialKey | loCaseInsensitive, 1},
      {u"Code", Variant::Null(), 0, 3},
      {u"Wide", Variant(u"paris"), loCaseInsensitive, 2},
      {u"Wide", Variant(u"北"), loPartialKey, 1},
      {u"ID", Variant(3), 0, 3},
      {u"ID", Variant(u"4"), 0, 4},  // text meeting a number compares as a number
      {u"Code;ID", Pair(Variant(u"ABC"), Variant(4)), 0, 4},
      {u"ID; Code", Pair(Variant(4), Variant(u"abc")), 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.fields) + " " + rtl::StringToUtf8(rtl::VarToStr(c.key.IsArray() ? c.key[0] : c.key)));
    ds.Last();
    ds.Prior();  // start away from both ends; a miss must come back here
    bool found = LocateByScan(&ds, c.fields, c.key, c.options);
    EXPECT_EQ(found, c.expect != 0);
    EXPECT_EQ(Id(), c.expect ? c.expect : 3);
  }
  EXPECT_THROW(LocateByScan(&ds, u"Nope", Variant(1), 0), EDatabaseError);
}

TEST_F(Codes, LocateFinishesAPendingEditAndTellsTheControlsOnce) {
  Fill();
  struct Counter : TDataLink {
    int changes = 0, scrolls = 0;
    void DataSetChanged() override { ++changes; }
    void DataSetScrolled(int) override { ++scrolls; }
  } link;
  TDataSource src(nullptr);
  src.SetDataSet(&ds);
  link.SetDataSource(&src);
  ds.Edit();
  ds.FieldByName(u"Code")->SetAsString(u"NEW");
  link.changes = 0;
  EXPECT_TRUE(LocateByScan(&ds, u"ID", Variant(4), 0));
  EXPECT_EQ(ds.State(), dsBrowse);
  ds.First();
  EXPECT_EQ(ds.FieldByName(u"Code")->AsString(), u"NEW");
  link.changes = link.scrolls = 0;
  EXPECT_TRUE(LocateByScan(&ds, u"ID", Variant(4), 0));
  EXPECT_EQ(link.changes, 1);
  EXPECT_EQ(link.scrolls, 0);
  link.SetDataSource(nullptr);
}

TEST_F(Codes, CopyByNameOrPositionLeavesAutoIncrementAlone) {
  Fill();
  TVectorDataSet dest;
  dest.FieldDefs().Add(u"Serial", ftAutoInc);
  dest.FieldDefs().Add(u"code", ftString, 8);
  dest.FieldDefs().Add(u"ID", ftInteger);
  dest.Open();
  EXPECT_EQ([&] {
    try {
      CopyFieldValues(&ds, &dest, true);
    } catch (const EDatabaseError& e) {
      return std::string(e.what());
    }
    return std::string();
  }(), "Dataset not in edit or insert mode");

  dest.Append();
  dest.FieldByName(u"Serial")->SetAsInteger(77);
  CopyFieldValues(&ds, &dest, true);
  EXPECT_EQ(dest.FieldByName(u"Serial")->AsInteger(), 77);
  EXPECT_EQ(dest.FieldByName(u"code")->AsString(), u"ABC");
  EXPECT_EQ(dest.FieldByName(u"ID")->AsInteger(), 1);
  dest.Post();

  // By position: N -> Serial is skipped, C -> code.
  dest.Append();
  dest.FieldByName(u"code")->SetAsString(u"old");
  TVectorDataSet two;
  two.FieldDefs().Add(u"N", ftInteger);
  two.FieldDefs().Add(u"C", ftString, 8);
  two.Open();
  two.AppendRecord({Variant(5), Variant::Null()});
  CopyFieldValues(&two, &dest, false);
  EXPECT_TRUE(dest.FieldByName(u"Serial")->IsNull());
  EXPECT_TRUE(dest.FieldByName(u"code")->IsNull());  // Null passes as Null
  dest.Cancel();
}

}  // namespace
