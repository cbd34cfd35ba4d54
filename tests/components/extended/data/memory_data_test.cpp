// The in-memory dataset: storage order, IDs and bookmarks, auto-increment,
// filter, locate, lookup, sort, blobs and variants, and what a data link sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "platform/data/data_source.h"
#include "platform/runtime/codepage.h"
#include "components/extended/data/ext_db_utils.h"
#include "components/extended/data/ext_memory_data.h"
#include "tests/platform/data/recording_link.h"

using namespace db;
using ext::TExtMemoryData;

namespace {

std::int32_t IdOf(const TBookmark& b) {
  std::int32_t id = 0;
  if (b.size() == 4) std::memcpy(&id, b.data(), 4);
  return id;
}

struct Table : ::testing::Test {
  TExtMemoryData ds;
  void SetUp() override {
    ds.FieldDefs().Add(u"KEY", ftInteger);
    ds.FieldDefs().Add(u"NAME", ftString, 20);
    ds.FieldDefs().Add(u"AI", ftAutoInc);
    ds.FieldDefs().Add(u"MEMO", ftMemo);
    ds.FieldDefs().Add(u"V", ftVariant);
    ds.Open();
  }
  void Add(int key, const char16_t* name) {
    ds.Append();
    ds.FieldByName(u"KEY")->SetAsInteger(key);
    ds.FieldByName(u"NAME")->SetAsString(name);
    ds.Post();
  }
  int Key() { return ds.FieldByName(u"KEY")->AsInteger(); }
  std::string Keys() {
    std::string s;
    ds.First();
    while (!ds.Eof()) {
      s += (s.empty() ? "" : ",") + std::to_string(Key());
      ds.Next();
    }
    return s;
  }
};

TEST_F(Table, IdsAndAutoIncrement) {
  Add(1, u"a");
  EXPECT_EQ(IdOf(ds.GetBookmark()), -2147483647);
  EXPECT_EQ(ds.FieldByName(u"AI")->AsInteger(), 1);
  Add(2, u"b");
  EXPECT_EQ(IdOf(ds.GetBookmark()), -2147483646);
  ds.EmptyTable();
  EXPECT_EQ(ds.RecordCount(), 0);
  Add(3, u"c");
  // IDs start again, the auto-increment counter does not.
  EXPECT_EQ(IdOf(ds.GetBookmark()), -2147483647);
  EXPECT_EQ(ds.FieldByName(u"AI")->AsInteger(), 3);
  ds.Close();
  ds.Open();
  Add(4, u"d");
  EXPECT_EQ(ds.FieldByName(u"AI")->AsInteger(), 1);
}

TEST_F(Table, InsertGoesBeforeTheCurrentRecordAppendLast) {
  ds.Insert();
  ds.FieldByName(u"KEY")->SetAsInteger(1);
  ds.Post();
  EXPECT_EQ(Keys(), "1");
  Add(2, u"");
  Add(3, u"");
  Add(4, u"");
  ds.SetRecNo(3);
  ds.Insert();
  ds.FieldByName(u"KEY")->SetAsInteger(9);
  ds.Post();
  EXPECT_EQ(ds.RecNo(), 3);
  ds.Append();
  ds.FieldByName(u"KEY")->SetAsInteger(5);
  ds.Post();
  EXPECT_EQ(Keys(), "1,2,9,3,4,5");
}

TEST_F(Table, DeleteMovesToTheNewLastAndBookmarksDieWithTheirRecord) {
  for (int i = 1; i <= 3; ++i) Add(i, u"");
  ds.Last();
  TBookmark gone = ds.GetBookmark();
  ds.First();
  TBookmark first = ds.GetBookmark();
  ds.Last();
  ds.Delete();
  EXPECT_EQ(Key(), 2);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_FALSE(ds.BookmarkValid(gone));
  EXPECT_TRUE(ds.BookmarkValid(first));
  ds.SetRecNo(1);
  EXPECT_THROW(ds.GotoBookmark(gone), EDatabaseError);
  EXPECT_EQ(Key(), 1);
  EXPECT_EQ(ds.CompareBookmarks(first, gone), -1);
  EXPECT_EQ(ds.CompareBookmarks(gone, first), 1);
  EXPECT_EQ(ds.CompareBookmarks(TBookmark(), first), -1);
  ds.Delete();
  ds.Delete();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_EQ(ds.RecNo(), 0);
  Add(7, u"");
  EXPECT_EQ(IdOf(ds.GetBookmark()), -2147483647);
}

TEST(MemoryDataIds, BookmarksHoldWhileOldRecordsGoAndSlotsAreReused) {
  TExtMemoryData ds;
  ds.FieldDefs().Add(u"N", ftInteger);
  ds.Open();
  std::vector<TBookmark> marks;
  for (int i = 0; i < 3000; ++i) {
    ds.AppendRecord({Variant(i)});
    marks.push_back(ds.GetBookmark());
  }
  ds.First();
  for (int i = 0; i < 2000; ++i) ds.Delete();
  for (int i = 0; i < 500; ++i) ds.AppendRecord({Variant(3000 + i)});
  for (int i : {0, 1500, 1999}) EXPECT_FALSE(ds.BookmarkValid(marks[static_cast<std::size_t>(i)]));
  for (int i : {2000, 2500, 2999}) {
    ASSERT_TRUE(ds.BookmarkValid(marks[static_cast<std::size_t>(i)]));
    ds.GotoBookmark(marks[static_cast<std::size_t>(i)]);
    EXPECT_EQ(ds.FieldByName(u"N")->AsInteger(), i);
  }
  ds.Last();
  EXPECT_EQ(IdOf(ds.GetBookmark()), -2147483647 + 3499);
  EXPECT_EQ(ds.RecNo(), 1500);
  ds.SortOnFields(u"N", false, true);
  ds.First();
  EXPECT_EQ(ds.FieldByName(u"N")->AsInteger(), 3499);
  ds.GotoBookmark(marks[2000]);
  EXPECT_EQ(ds.RecNo(), 1500);
}

TEST_F(Table, RecNoIgnoresOutOfRangeValuesAndCountsIgnoreTheFilter) {
  for (int i = 1; i <= 5; ++i) Add(i, u"");
  ds.SetRecNo(2);
  ds.SetRecNo(0);
  ds.SetRecNo(6);
  EXPECT_EQ(ds.RecNo(), 2);
  ds.SetFilter(u"KEY > 3");
  ds.SetFiltered(true);
  EXPECT_EQ(Keys(), "4,5");
  EXPECT_EQ(ds.RecordCount(), 5);
  EXPECT_EQ(ds.FilteredRecordCount(), 2);
  ds.First();
  EXPECT_EQ(ds.RecNo(), 4);
  EXPECT_FALSE(ds.IsSequenced());
  // An edited record that leaves the filter disappears from the view.
  ds.Edit();
  ds.FieldByName(u"KEY")->SetAsInteger(0);
  ds.Post();
  EXPECT_EQ(Key(), 5);
  EXPECT_EQ(Keys(), "5");
  ds.SetFilter(u"");
  EXPECT_EQ(Keys(), "1,2,3,0,5");
}

TEST_F(Table, FilterTextAndHandlerCombine) {
  for (int i = 1; i <= 6; ++i) Add(i, i % 2 ? u"odd" : u"even");
  ds.SetFilter(u"NAME = 'o*'");  // wildcard matching is on for filters
  ds.SetFiltered(true);
  EXPECT_EQ(Keys(), "1,3,5");
  ds.SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = accept && d->FieldByName(u"KEY")->AsInteger() > 1; });
  EXPECT_EQ(Keys(), "3,5");
  // A filter that uses no field is still evaluated.
  ds.SetOnFilterRecord(nullptr);
  ds.SetFilter(u"1 = 2");
  EXPECT_EQ(Keys(), "");
  ds.SetFilter(u"2.5 > 1.5");
  EXPECT_EQ(Keys(), "1,2,3,4,5,6");
  ds.SetFiltered(false);
  ds.SetFilter(u"KEY = 2");
  EXPECT_EQ(Keys(), "1,2,3,4,5,6");
}

// A filter whose answer depends on outside state is asked again when the
// program refreshes or goes to the first record; so is a filter text over a
// calculated field whose inputs lie outside the record.
TEST(MemoryDataFilter, FiltersFollowTheirHandlerAndCalculatedInputs) {
  TExtMemoryData ds;
  ds.FieldDefs().Add(u"N", ftInteger);
  auto* n = new TIntegerField(&ds);
  n->SetFieldName(u"N");
  n->SetDataSet(&ds);
  auto* calc = new TIntegerField(&ds);
  calc->SetFieldName(u"SCALED");
  calc->SetFieldKind(fkCalculated);
  calc->SetDataSet(&ds);
  int factor = 1, limit = 2;
  ds.OnCalcFields = [&factor](TDataSet* d) {
    d->FieldByName(u"SCALED")->SetAsInteger(d->FieldByName(u"N")->AsInteger() * factor);
  };
  ds.Open();
  for (int i = 1; i <= 5; ++i) ds.AppendRecord({Variant(i)});
  auto visible = [&ds] {
    std::string s;
    ds.First();
    while (!ds.Eof()) {
      s += std::to_string(ds.FieldByName(u"N")->AsInteger());
      ds.Next();
    }
    return s + "/" + std::to_string(ds.FilteredRecordCount());
  };
  ds.SetOnFilterRecord([&limit](TDataSet* d, bool& accept) { accept = d->FieldByName(u"N")->AsInteger() > limit; });
  ds.SetFiltered(true);
  EXPECT_EQ(visible(), "345/3");
  ds.First();
  limit = 3;
  ds.Refresh();
  EXPECT_EQ(ds.FilteredRecordCount(), 2);
  EXPECT_EQ(ds.FieldByName(u"N")->AsInteger(), 4);  // the current record 3 left the set
  limit = 0;
  EXPECT_EQ(visible(), "12345/5");

  ds.SetOnFilterRecord(nullptr);
  ds.SetFilter(u"SCALED > 6");
  factor = 2;
  EXPECT_EQ(visible(), "45/2");
  factor = 3;
  ds.Refresh();
  EXPECT_EQ(ds.FilteredRecordCount(), 3);
  factor = 4;
  EXPECT_EQ(visible(), "2345/4");
}

TEST_F(Table, FilterOnAMemoTestsTheRecordUnderTest) {
  for (int i = 1; i <= 3; ++i) {
    ds.Append();
    ds.FieldByName(u"KEY")->SetAsInteger(i);
    ds.FieldByName(u"MEMO")->SetAsString(i == 2 ? u"two" : u"other");
    ds.Post();
  }
  ds.First();
  ds.SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName(u"MEMO")->AsString() == u"two"; });
  ds.SetFiltered(true);
  EXPECT_EQ(Keys(), "2");
}

TEST_F(Table, SortKeepsCreationOrderOfEqualKeys) {
  Add(2, u"b");
  Add(1, u"x");
  Add(2, u"a");
  Add(1, u"y");
  ds.SortOnFields(u"KEY", false, false);
  std::string names;
  ds.First();
  while (!ds.Eof()) {
    names += rtl::StringToUtf8(ds.FieldByName(u"NAME")->AsString());
    ds.Next();
  }
  EXPECT_EQ(names, "xyba");
  ds.SortOnFields(u"KEY", false, true);
  names.clear();
  ds.First();
  while (!ds.Eof()) {
    names += rtl::StringToUtf8(ds.FieldByName(u"NAME")->AsString());
    ds.Next();
  }
  EXPECT_EQ(names, "abyx");
  ds.SortOnFields(u"NAME", true, false);
  EXPECT_EQ(Keys(), "2,2,1,1");
  EXPECT_THROW(ds.SortOnFields(u"MEMO"), EDatabaseError);
  EXPECT_THROW(ds.SortOnFields(u"NOPE"), EDatabaseError);
  ds.SortOnFields(u"");  // no key fields either: nothing happens
  EXPECT_EQ(Keys(), "2,2,1,1");
}

TEST_F(Table, IntegerSortPutsEmptyKeysFirstAndReversesWhenDescending) {
  Add(5, u"a");
  ds.Append();
  ds.FieldByName(u"NAME")->SetAsString(u"n");
  ds.Post();
  Add(-7, u"b");
  Add(5, u"c");
  ds.Append();
  ds.FieldByName(u"NAME")->SetAsString(u"m");
  ds.Post();
  Add(INT32_MIN, u"d");
  auto names = [&] {
    std::string s;
    for (ds.First(); !ds.Eof(); ds.Next()) s += rtl::StringToUtf8(ds.FieldByName(u"NAME")->AsString());
    return s;
  };
  ds.SortOnFields(u"KEY", false, false);
  EXPECT_EQ(names(), "nmdbac");
  ds.SortOnFields(u"KEY", false, true);
  EXPECT_EQ(names(), "cabdmn");
}

// Large integers whose values span less or more than 32 bits: both sort
// the same way (no value first, ties by creation, descending reversed).
TEST(MemoryDataSort, LargeIntegersInANarrowAndAWideSpan) {
  for (std::int64_t base : {std::int64_t(1) << 20, INT64_MIN}) {
    TExtMemoryData ds;
    ds.FieldDefs().Add(u"K", ftLargeint);
    ds.FieldDefs().Add(u"T", ftString, 4);
    ds.Open();
    const std::int64_t keys[] = {base + 3, 0, base + 3, 7, 0, base};
    const char16_t* tags[] = {u"a", u"b", u"c", u"d", u"e", u"f"};
    for (int i = 0; i < 6; ++i) {
      ds.Append();
      if (i != 4) ds.FieldByName(u"K")->SetAsLargeInt(keys[i]);
      ds.FieldByName(u"T")->SetAsString(tags[i]);
      ds.Post();
    }
    auto tags_in_order = [&] {
      std::string s;
      for (ds.First(); !ds.Eof(); ds.Next()) s += rtl::StringToUtf8(ds.FieldByName(u"T")->AsString());
      return s;
    };
    ds.SortOnFields(u"K", false, false);
    EXPECT_EQ(tags_in_order(), base == INT64_MIN ? "efacbd" : "ebdfac") << base;
    ds.SortOnFields(u"K", false, true);
    EXPECT_EQ(tags_in_order(), base == INT64_MIN ? "dbcafe" : "cafdbe") << base;
  }
}

TEST_F(Table, SimpleIntegerFiltersAgreeWithTheFullExpression) {
  for (int k : {-4, 0, 3, 3, 7, 2147483647}) Add(k, u"x");
  ds.Append();
  ds.FieldByName(u"NAME")->SetAsString(u"empty key");
  ds.Post();
  ds.SetFiltered(true);
  const char16_t* forms[] = {u"KEY > 3", u"KEY < 3", u"KEY = 3", u"KEY > -1", u"KEY = 2147483647", u"key < 0"};
  for (const char16_t* form : forms) {
    ds.SetFilter(form);
    int quick = ds.FilteredRecordCount();
    std::string seen = Keys();
    // Parentheses take the general evaluation of the same expression.
    ds.SetFilter(u"(" + String(form) + u")");
    EXPECT_EQ(quick, ds.FilteredRecordCount()) << rtl::StringToUtf8(form);
    EXPECT_EQ(seen, Keys()) << rtl::StringToUtf8(form);
  }
  ds.SetFilter(u"KEY < 3");
  EXPECT_EQ(ds.FilteredRecordCount(), 3);  // -4, 0 and the empty key
}

TEST_F(Table, TextSortFollowsTheInterfaceOrder) {
  const char16_t* names[] = {u"b", u"A", u"abcdefgh2", u"a", u"B", u"abcdefgh1", u"", u"ABCDEFGH1"};
  for (int i = 0; i < 8; ++i) Add(i, names[i]);
  auto order = [&] {
    std::string s;
    ds.First();
    while (!ds.Eof()) {
      s += "|" + rtl::StringToUtf8(ds.FieldByName(u"NAME")->AsString());
      ds.Next();
    }
    return s;
  };
  // Empty text is no value and sorts first; case decides only between equals.
  ds.SortOnFields(u"NAME", false, false);
  EXPECT_EQ(order(), "||a|A|abcdefgh1|ABCDEFGH1|abcdefgh2|b|B");
  ds.SortOnFields(u"NAME", true, false);
  EXPECT_EQ(order(), "||A|a|abcdefgh1|ABCDEFGH1|abcdefgh2|b|B");
  ds.SortOnFields(u"NAME", true, true);
  EXPECT_EQ(order(), "|B|b|abcdefgh2|ABCDEFGH1|abcdefgh1|a|A|");
}

TEST_F(Table, SortStaysOnTheCurrentRecord) {
  for (int i : {5, 3, 9, 1}) Add(i, u"");
  ds.SetRecNo(3);
  ds.SortOnFields(u"KEY");
  EXPECT_EQ(Key(), 9);
  EXPECT_EQ(ds.RecNo(), 4);
}

TEST_F(Table, LocateAndLookup) {
  EXPECT_FALSE(ds.Locate(u"NAME", Variant(u"x"), 0));
  EXPECT_TRUE(ds.Lookup(u"KEY", Variant(1), u"NAME").IsNull());
  Add(1, u"ABC");
  Add(2, u"abd");
  Add(3, u"xyz");
  ds.First();
  EXPECT_TRUE(ds.Locate(u"NAME", Variant(u"ab"), loCaseInsensitive | loPartialKey));
  EXPECT_EQ(Key(), 1);
  EXPECT_TRUE(ds.Locate(u"NAME", Variant(u"abd"), 0));
  EXPECT_EQ(Key(), 2);
  EXPECT_FALSE(ds.Locate(u"NAME", Variant(u"ABD"), 0));
  EXPECT_EQ(Key(), 2);
  EXPECT_TRUE(ds.Locate(u"KEY;NAME", rtl::VarArrayOf({Variant(3), Variant(u"xyz")}), 0));
  EXPECT_EQ(Key(), 3);
  ds.First();
  // Lookup never moves the cursor; names compare exactly.
  EXPECT_EQ(ds.Lookup(u"KEY", Variant(3), u"NAME").AsString(), u"xyz");
  EXPECT_TRUE(ds.Lookup(u"NAME", Variant(u"XYZ"), u"KEY").IsNull());
  Variant both = ds.Lookup(u"NAME", Variant(u"abd"), u"KEY;NAME");
  EXPECT_EQ(both[0].AsInteger(), 2);
  EXPECT_EQ(both[1].AsString(), u"abd");
  EXPECT_EQ(Key(), 1);
}

TEST_F(Table, EmptyTextIsNullAndEmptyTableOnAClosedSetDoesNothing) {
  Add(1, u"");
  EXPECT_TRUE(ds.FieldByName(u"NAME")->IsNull());
  ds.Close();
  ds.EmptyTable();
  EXPECT_FALSE(ds.Active());
}

TEST_F(Table, VariantsAreCopiedAsValues) {
  Add(1, u"");
  ds.Edit();
  ds.FieldByName(u"V")->SetValue(Variant(String(200, u'x')));
  ds.Post();
  Add(2, u"");
  ds.Edit();
  ds.FieldByName(u"V")->SetValue(Variant(u"temp"));
  ds.Cancel();
  EXPECT_TRUE(ds.FieldByName(u"V")->IsNull());
  ds.SortOnFields(u"KEY", false, true);
  ds.Last();
  EXPECT_EQ(ds.FieldByName(u"V")->AsString(), String(200, u'x'));
  ds.Edit();
  ds.FieldByName(u"V")->Clear();
  ds.Post();
  EXPECT_TRUE(ds.FieldByName(u"V")->IsNull());
}

TEST_F(Table, BlobStreams) {
  auto* memo = static_cast<TBlobField*>(ds.FieldByName(u"MEMO"));
  // No record: reading gives nothing.
  EXPECT_EQ(ds.CreateBlobStream(memo, bmRead)->Read(nullptr, 10), 0);
  Add(1, u"");
  EXPECT_THROW(ds.CreateBlobStream(memo, bmWrite), EDatabaseError);
  ds.Edit();
  {
    auto s = ds.CreateBlobStream(memo, bmReadWrite);
    s->WriteBuffer("hello", 5);
    EXPECT_THROW(s->Seek(-1, rtl::TSeekOrigin::soBeginning), rtl::EStreamError);
    EXPECT_THROW(s->Seek(-6, rtl::TSeekOrigin::soEnd), rtl::EStreamError);
    EXPECT_EQ(s->Position(), 5);
    s->Seek(10, rtl::TSeekOrigin::soBeginning);
    char buf[4];
    EXPECT_EQ(s->Read(buf, 4), 0);
    s->Seek(-2, rtl::TSeekOrigin::soEnd);
    EXPECT_EQ(s->Read(buf, 4), 2);
    EXPECT_EQ(std::string(buf, 2), "lo");
  }
  ds.Post();
  EXPECT_EQ(memo->AsString(), u"hello");
  ds.Edit();
  memo->SetAsString(u"changed");
  ds.Cancel();
  EXPECT_EQ(memo->AsString(), u"hello");
  ds.Edit();
  memo->Clear();
  ds.Post();
  EXPECT_TRUE(memo->IsNull());
}

TEST(MemoryDataLayout, RecordsLargerThan64KiBKeepTheirFieldsApart) {
  TExtMemoryData ds;
  ds.FieldDefs().Add(u"A", ftString, 40000);
  ds.FieldDefs().Add(u"B", ftString, 40000);
  ds.FieldDefs().Add(u"C", ftInteger);
  ds.Open();
  ds.Append();
  ds.FieldByName(u"A")->SetAsString(String(40000, u'a'));
  ds.FieldByName(u"B")->SetAsString(String(40000, u'b'));
  ds.FieldByName(u"C")->SetAsInteger(7);
  ds.Post();
  EXPECT_EQ(ds.FieldByName(u"A")->AsString(), String(40000, u'a'));
  EXPECT_EQ(ds.FieldByName(u"B")->AsString(), String(40000, u'b'));
  EXPECT_EQ(ds.FieldByName(u"C")->AsInteger(), 7);
}

TEST(MemoryDataLayout, SortOnALargeCalculatedField) {
  TExtMemoryData ds;
  ds.FieldDefs().Add(u"N", ftInteger);
  auto* calc = new TStringField(&ds);
  calc->SetSize(10000);
  calc->SetFieldName(u"CALC");
  calc->SetFieldKind(fkCalculated);
  auto* n = new TIntegerField(&ds);
  n->SetFieldName(u"N");
  n->SetDataSet(&ds);
  calc->SetDataSet(&ds);
  ds.OnCalcFields = [](TDataSet* d) {
    int v = d->FieldByName(u"N")->AsInteger();
    d->FieldByName(u"CALC")->SetAsString(String(9000, u'x') + String(1, static_cast<char16_t>(u'a' + (5 - v))));
  };
  ds.Open();
  for (int i = 1; i <= 4; ++i) ds.AppendRecord({Variant(i)});
  ds.SortOnFields(u"CALC", false, false);
  std::string order;
  ds.First();
  while (!ds.Eof()) {
    order += std::to_string(ds.FieldByName(u"N")->AsInteger());
    ds.Next();
  }
  EXPECT_EQ(order, "4321");
}

// ---------------------------------------------------------------- links

using dbtest::RecordingLink;

TEST_F(Table, ALinkSeesEditsSortsAndJumpsInOrder) {
  for (int i = 1; i <= 5; ++i) Add(i, u"");
  ds.First();
  TDataSource src(nullptr);
  src.SetDataSet(&ds);
  RecordingLink link;
  link.SetBufferCount(3);
  link.SetDataSource(&src);
  EXPECT_EQ(link.Take(), "active");

  ds.Append();
  EXPECT_EQ(link.Take(), "check editing changed");
  ds.FieldByName(u"KEY")->SetAsInteger(0);
  EXPECT_EQ(link.Take(), "field:KEY");
  ds.Post();
  EXPECT_EQ(link.Take(), "update check browsing changed");
  EXPECT_EQ(link.ActiveRecord(), 2);

  ds.SortOnFields(u"KEY");
  EXPECT_EQ(link.Take(), "changed");
  EXPECT_EQ(Key(), 0);
  EXPECT_EQ(link.ActiveRecord(), 0);

  ds.SetRecNo(5);
  EXPECT_EQ(link.Take(), "check changed");
  EXPECT_EQ(Key(), 4);

  EXPECT_TRUE(ds.Locate(u"KEY", Variant(2), 0));
  EXPECT_EQ(link.Take(), "check changed changed");

  ds.Delete();
  EXPECT_EQ(link.Take(), "check changed");
  EXPECT_EQ(Key(), 3);

  ds.EmptyTable();
  EXPECT_EQ(link.Take(), "check changed");
  EXPECT_EQ(link.RecordCount(), 0);
  link.SetDataSource(nullptr);
}

}  // namespace

// ---------------------------------------------------------------- the sorted key

// Locate and lookup on the field the table is sorted by search a range of
// it; they must find the record a scan of the same order finds, for every
// option, with duplicates, no values, case variants, a filter, several key
// fields, and after an edit takes the order apart.
TEST(MemoryDataSortedKey, LocateAndLookupFindWhatAScanFinds) {
  std::mt19937 rng(5);
  const std::vector<std::u16string> pool = {u"", u"ab", u"Ab", u"AB", u"abc", u"aBd", u"b", u"B", u"bc", u"x"};
  TExtMemoryData ds;
  ds.FieldDefs().Add(u"ID", ftInteger);
  ds.FieldDefs().Add(u"KEY", ftInteger);
  ds.FieldDefs().Add(u"NAME", ftString, 8);
  ds.FieldDefs().Add(u"WIDE", ftWideString, 8);
  ds.FieldDefs().Add(u"VAL", ftFloat);
  ds.Open();
  auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (int i = 0; i < 300; ++i) {
    ds.Append();
    ds.FieldByName(u"ID")->SetAsInteger(i);
    if (pick(10)) {
      int k = pick(20);
      ds.FieldByName(u"KEY")->SetAsInteger(k);
      ds.FieldByName(u"VAL")->SetAsFloat(k * 0.5);
    }
    if (pick(10)) ds.FieldByName(u"NAME")->SetAsString(pool[static_cast<std::size_t>(pick(10))]);
    if (pick(10)) ds.FieldByName(u"WIDE")->SetAsString(pool[static_cast<std::size_t>(pick(10))]);
    ds.Post();
  }
  std::vector<Variant> numbers = {Variant(-1), Variant(0), Variant(7), Variant(19), Variant(25), Variant(3.0),
                                  Variant(2.5), Variant(u"7"), Variant()};
  std::vector<Variant> texts = {Variant(u"a"), Variant(u"A"), Variant(u"zz"), Variant(7), Variant::Null()};
  for (const auto& p : pool) texts.push_back(Variant(String(p)));
  const TLocateOptions options[] = {0, loCaseInsensitive, loPartialKey, loCaseInsensitive | loPartialKey};

  // The twin holds the same records in the same order, never sorted: its
  // locates and lookups scan.
  auto compare = [&](const String& field, const std::vector<Variant>& keys, const char* what) {
    TExtMemoryData twin;
    twin.CopyStructure(&ds);
    twin.Open();
    ds.SetFiltered(false);
    twin.LoadFromDataSet(&ds, 0, ext::lmCopy);
    for (bool filtered : {false, true}) {
      for (TExtMemoryData* d : {&ds, &twin}) {
        d->SetFilter(u"ID > 150");
        d->SetFiltered(filtered);
      }
      for (const Variant& key : keys)
        for (TLocateOptions o : options) {
          SCOPED_TRACE(std::string(what) + " " + rtl::StringToUtf8(field) + " key " + rtl::StringToUtf8(rtl::VarToStr(key)) +
                       " options " + std::to_string(o) + (filtered ? " filtered" : ""));
          ds.First();
          twin.First();
          bool found = ds.Locate(field, key, o);
          ASSERT_EQ(found, twin.Locate(field, key, o));
          ASSERT_EQ(ds.FieldByName(u"ID")->AsInteger(), twin.FieldByName(u"ID")->AsInteger());
          ASSERT_EQ(rtl::VarToStr(ds.Lookup(field, key, u"ID")), rtl::VarToStr(twin.Lookup(field, key, u"ID")));
          Variant pair = rtl::VarArrayOf({Variant(7), key});
          ASSERT_EQ(ds.Locate(u"KEY;" + field, pair, o), twin.Locate(u"KEY;" + field, pair, o));
          ASSERT_EQ(ds.FieldByName(u"ID")->AsInteger(), twin.FieldByName(u"ID")->AsInteger());
        }
    }
    ds.SetFiltered(false);
  };
  for (const char16_t* field : {u"KEY", u"VAL", u"NAME", u"WIDE"})
    for (bool descending : {false, true})
      for (bool caseInsensitive : {false, true}) {
        ds.SortOnFields(field, caseInsensitive, descending);
        const bool text = field[0] == u'N' || field[0] == u'W';
        ASSERT_NO_FATAL_FAILURE(compare(field, text ? texts : numbers, "sorted"));
        // Records posted in or out of order: the search must notice the latter.
        ds.SetRecNo(100);
        ds.Edit();
        ds.FieldByName(field)->SetValue(text ? Variant(u"zzz") : Variant(-5));
        ds.Post();
        ds.Last();
        ds.Insert();
        ds.FieldByName(u"ID")->SetAsInteger(1000);
        ds.FieldByName(field)->SetValue(text ? Variant(u"b") : Variant(7));
        ds.Post();
        ASSERT_NO_FATAL_FAILURE(compare(field, text ? texts : numbers, "edited"));
      }
}

// ---------------------------------------------------------------- text keys on stored bytes

// A locate or lookup by a text field compares stored bytes where the code
// page allows; it must find exactly what comparing the decoded texts finds
// (the generic FieldMatchesKey, which reads through the field): Chinese,
// case variants (also outside ASCII), texts cut at the field's size inside
// a character, keys the page cannot hold, empty and null keys, numbers as
// keys, every option, in the trusted system page and in others that decode
// the same stored bytes differently.
TEST(MemoryDataTextKeys, LocateAndLookupFindWhatTheDecodedTextsFind) {
  const std::vector<std::u16string> texts = {
      u"", u"ab", u"AB", u"abc", u"7", u"中文", u"中文字", u"中", u"Ωmega", u"ωMEGA", u"ω",
      u"ÀB", u"àb", u"é", u"a中b", u"中文中文中", u"\u212Ab", u"kb", u"?", u"abcdefgh"};
  std::vector<Variant> keys = {Variant::Null(), Variant(7), Variant(u"\u2603"), Variant(u"\uFFFD"),
                               Variant(u"中文中\uFFFD"), Variant(String(u"a\0b", 3)), Variant(u"K")};
  for (const auto& t : texts) keys.push_back(Variant(String(t)));
  const TLocateOptions options[] = {0, loCaseInsensitive, loPartialKey, loCaseInsensitive | loPartialKey};
  TExtMemoryData ds;
  ds.FieldDefs().Add(u"ID", ftInteger);
  // Nine bytes: "中文中文中" is ten in GBK, so its last character is cut in two.
  ds.FieldDefs().Add(u"NAME", ftString, 9);
  ds.FieldDefs().Add(u"WIDE", ftWideString, 4);
  ds.Open();
  for (int i = 0; i < 3 * static_cast<int>(texts.size()); ++i) {
    ds.Append();
    ds.FieldByName(u"ID")->SetAsInteger(i);
    if (i % 7 != 3) {
      const std::u16string& t = texts[static_cast<std::size_t>((i * 7) % texts.size())];
      ds.FieldByName(u"NAME")->SetAsString(t);
      ds.FieldByName(u"WIDE")->SetAsString(t);
    }
    ds.Post();
  }
  // The page is one setting for the whole program: put it back however the test ends.
  struct PageGuard {
    std::uint32_t page = rtl::SystemCodePage();
    ~PageGuard() { rtl::SetSystemCodePage(page); }
  } guard;
  const int n = ds.RecordCount();
  for (std::uint32_t page : {936u, 1252u, 65001u}) {
    rtl::SetSystemCodePage(page);
    for (const char16_t* name : {u"NAME", u"WIDE"}) {
      TField* f = ds.FieldByName(name);
      for (const Variant& key : keys)
        for (TLocateOptions o : options) {
          SCOPED_TRACE(rtl::StringToUtf8(name) + " key " + rtl::StringToUtf8(rtl::VarToStr(key)) + " options " +
                       std::to_string(o) + " page " + std::to_string(page));
          // What the decoded texts say, record by record (IDs are positions).
          std::vector<bool> located, looked;
          for (ds.First(); !ds.Eof(); ds.Next()) {
            located.push_back(ext::FieldMatchesKey(f, key, o));
            looked.push_back(key.IsNull() ? f->IsNull()
                             : f->DataType() == ftString ? !f->IsNull() && f->AsString() == rtl::VarToStr(key)
                                                         : f->Value() == key);
          }
          // The current record answers first, then the first match from the start.
          auto expect = [](const std::vector<bool>& m, int current) {
            if (m[static_cast<std::size_t>(current)]) return current;
            return static_cast<int>(std::find(m.begin(), m.end(), true) - m.begin());
          };
          for (int current : {0, 1, n - 1}) {
            ds.SetRecNo(current + 1);
            const int want = expect(located, current);
            ASSERT_EQ(ds.Locate(name, key, o), want < n);
            ASSERT_EQ(ds.FieldByName(u"ID")->AsInteger(), want < n ? want : current);
            ds.SetRecNo(current + 1);
            const int wantLookup = expect(looked, current);
            Variant id = ds.Lookup(name, key, u"ID");
            ASSERT_EQ(id.IsNull() ? n : id.AsInteger(), wantLookup);
          }
        }
    }
  }
}

// The pages whose stored bytes a locate compares must keep the promise that
// makes it sound: a byte below 0x80 is itself, also after another character,
// and every other sequence that decodes without U+FFFD gives one unit of
// its own, above 0x80, without taking the byte after it.
TEST(MemoryDataTextKeys, TrustedPagesDecodeOneWay) {
  for (std::uint32_t page : {437u, 936u, 1252u, 20127u, 28591u, 1200u, 1201u, 12000u, 12001u, 65000u, 65001u}) {
    if (!ext::TextBytesMatchAsDecoded(page)) continue;
    SCOPED_TRACE("page " + std::to_string(page));
    for (int b = 0; b < 0x80; ++b)
      ASSERT_EQ(rtl::DecodeText(std::string(1, static_cast<char>(b)), page), String(1, static_cast<char16_t>(b)));
    std::map<char16_t, std::string> seen;
    // True when the bytes are one character.
    auto one = [&](const std::string& bytes) {
      const String t = rtl::DecodeText(bytes, page);
      if (t.find(u'\uFFFD') != String::npos) return false;
      EXPECT_EQ(t.size(), 1u);
      EXPECT_GE(t[0], 0x80);
      EXPECT_TRUE(seen.emplace(t[0], bytes).second) << "two sequences give U+" << std::hex << int(t[0]);
      EXPECT_EQ(rtl::DecodeText(bytes + "A\x01", page), t + u"A\x01");
      return true;
    };
    for (int lead = 0x80; lead < 0x100; ++lead) {
      if (one(std::string(1, static_cast<char>(lead)))) continue;
      for (int trail = 0; trail < 0x100; ++trail) one({static_cast<char>(lead), static_cast<char>(trail)});
      ASSERT_FALSE(HasFailure());
    }
  }
}
