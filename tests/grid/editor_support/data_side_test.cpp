// Recent-values list, special row, event data link, field value list,
// ordered bookmark list and the value helpers of the tool routines.
#include <gtest/gtest.h>

#include "grid/editor_support/bm_list.h"
#include "grid/editor_support/data_link_ex.h"
#include "grid/editor_support/mru_list.h"
#include "grid/editor_support/spec_row.h"
#include "grid/editor_support/tool_routines.h"
#include "tests/platform/data/vector_dataset.h"

namespace {

using namespace grid;
using rtl::String;
using rtl::Variant;
using dbtest::TVectorDataSet;

std::string Joined(const ui::TStrings* S) {
  std::string out;
  for (int i = 0; i < S->Count(); ++i) out += (i ? "," : "") + rtl::StringToUtf8(S->Get(i));
  return out;
}

// --- recent values -------------------------------------------------------------------

TEST(MRUListTest, LimitThreeKeepsTheNewestAndMovesRepeatsToTheEnd) {
  TMRUListEx mru(nullptr);
  mru.SetLimit(3);
  struct Step {
    const char16_t* add;
    const char* expect;
  } steps[] = {
      {u"a", "a"}, {u"b", "a,b"}, {u"c", "a,b,c"}, {u"d", "b,c,d"}, {u"b", "c,d,b"},
      {u"   ", "c,d,b"},  // blanks only: nothing
      {u"D", "c,b,d"},    // other case: the remembered text moves, keeping its case
  };
  for (const Step& s : steps) {
    mru.Add(s.add);
    EXPECT_EQ(Joined(mru.Items()), s.expect) << rtl::StringToUtf8(s.add);
  }
  mru.SetLimit(1);  // lowering drops the oldest at once
  EXPECT_EQ(Joined(mru.Items()), "d");
}

TEST(MRUListTest, CaseSensitiveListKeepsBothSpellings) {
  TMRUListEx mru(nullptr);
  mru.SetCaseSensitive(true);
  mru.Add(u"abc");
  mru.Add(u"ABC");
  EXPECT_EQ(Joined(mru.Items()), "abc,ABC");
}

TEST(MRUListTest, NegativeLimitActsAsZero) {
  TMRUListEx mru(nullptr);
  mru.Add(u"x");
  EXPECT_NO_THROW(mru.SetLimit(-1));
  EXPECT_EQ(mru.Items()->Count(), 0);
  EXPECT_NO_THROW(mru.Add(u"y"));
  EXPECT_EQ(mru.Items()->Count(), 0);
  EXPECT_EQ(mru.Limit(), -1);
}

TEST(MRUListTest, FilterKeepsOrderAsksTheHandlerAndGivesWayToKeys) {
  TMRUListEx mru(nullptr);
  for (const char16_t* s : {u"apple", u"Apricot", u"banana", u"apex"}) mru.Add(s);
  ui::TStringList out;
  EXPECT_TRUE(mru.FilterItemsTo(&out, u"ap"));
  EXPECT_EQ(Joined(&out), "apple,Apricot,apex");
  EXPECT_TRUE(mru.FilterItemsTo(&out, u""));
  EXPECT_EQ(out.Count(), 4);

  mru.SetCaseSensitive(true);
  mru.FilterItemsTo(&out, u"ap");
  EXPECT_EQ(Joined(&out), "apple,apex");

  int asked = 0;
  mru.OnFilterItem = [&](ui::TObject*, bool& accept) {
    ++asked;
    accept = !accept;
  };
  mru.FilterItemsTo(&out, u"ap");
  EXPECT_EQ(asked, 4);
  EXPECT_EQ(Joined(&out), "Apricot,banana");
  mru.OnFilterItem = nullptr;

  SetKeyInQueueProbe([] { return true; });
  EXPECT_FALSE(mru.FilterItemsTo(&out, u""));
  EXPECT_EQ(out.Count(), 0);
  mru.SetCancelIfKeyInQueue(false);
  EXPECT_TRUE(mru.FilterItemsTo(&out, u""));
  SetKeyInQueueProbe(nullptr);
}

TEST(MRUListTest, AssignCopiesAllButAutoAdd) {
  TMRUListEx a(nullptr), b(nullptr);
  a.Add(u"one");
  a.SetActive(true);
  a.SetLimit(5);
  a.SetRows(3);
  a.SetCaseSensitive(true);
  a.SetAutoAdd(false);
  int activeChanges = 0;
  b.OnActiveChanged = [&](ui::TObject*) { ++activeChanges; };
  b.Assign(&a);
  EXPECT_EQ(Joined(b.Items()), "one");
  EXPECT_TRUE(b.Active());
  EXPECT_EQ(b.Limit(), 5);
  EXPECT_EQ(b.Rows(), 3);
  EXPECT_TRUE(b.CaseSensitive());
  EXPECT_TRUE(b.AutoAdd());
  EXPECT_EQ(activeChanges, 1);
}

// --- special row -------------------------------------------------------------------

TEST(SpecRowTest, CellsTextSplitsOnSemicolonsOutsideQuotes) {
  struct Case {
    String text;
    std::vector<String> cells;
  } cases[] = {
      {u"word;\"a;b\"", {u"word", u"a;b"}},
      {u"  lead; kept", {u"lead", u" kept"}},
      {u"\"say \"\"hi\"\"\"", {u"say \"hi\""}},
      {u"a;\tb", {u"a", u"b"}},
      {u"a", {u"a"}},
      {String(u"x;y\0z", 5), {u"x", u"y"}},
  };
  for (const Case& c : cases) {
    TSpecRowEx row(nullptr);
    row.SetCellsText(c.text);
    std::vector<String> got;
    for (int i = 0; i < row.CellsStrings()->Count(); ++i) got.push_back(row.CellTextAt(i));
    EXPECT_EQ(got, c.cells) << rtl::StringToUtf8(c.text);
    EXPECT_EQ(row.CellTextAt(99), u"");
  }
}

TEST(SpecRowTest, EmbeddedNulEndsTheCellsInsteadOfLoopingForever) {
  TSpecRowEx row(nullptr);
  row.SetCellsText(String(u"a;\0;b", 5));
  EXPECT_EQ(row.CellsStrings()->Count(), 1);
}

TEST(SpecRowTest, OnlyAVisibleRowMatchesItsKey) {
  TSpecRowEx row(nullptr);
  row.SetValue(Variant(0));
  EXPECT_FALSE(row.LocateKey(Variant(0)));
  row.SetVisible(true);
  EXPECT_TRUE(row.LocateKey(Variant(0)));
  EXPECT_FALSE(row.LocateKey(Variant(1)));
  row.SetValue(Variant::Null());
  EXPECT_TRUE(row.LocateKey(Variant::Null()));
  EXPECT_FALSE(row.LocateKey(Variant()));
}

TEST(SpecRowTest, UpdateBracketNotifiesOnceAndDefaultsHold) {
  TSpecRowEx row(nullptr);
  EXPECT_EQ(row.ShortCut(), 32814);
  EXPECT_TRUE(row.ShowIfNotInKeyList());
  EXPECT_TRUE(row.Value().IsNull());
  int changes = 0;
  row.OnChanged = [&](ui::TObject*) { ++changes; };
  row.BeginUpdate();
  row.SetCellsText(u"x");
  row.SetVisible(true);
  row.SetColor(ui::clRed);
  EXPECT_EQ(changes, 0);
  row.EndUpdate();
  EXPECT_EQ(changes, 1);
  row.SetShortCut(1);  // stored silently
  row.SetSelected(true);
  EXPECT_EQ(changes, 1);
  row.SetValue(Variant(3));
  row.SetValue(Variant(3));
  EXPECT_EQ(changes, 2);

  TSpecRowEx copy(nullptr);
  copy.Assign(&row);
  EXPECT_EQ(copy.CellsText(), u"x");
  EXPECT_EQ(copy.Color(), ui::clRed);
  EXPECT_TRUE(copy.Visible());
  EXPECT_EQ(copy.Value(), Variant(3));
  EXPECT_FALSE(copy.FontAssigned());
}

TEST(SpecRowTest, UnassignedFontAndColourFollowTheOwner) {
  ui::TCustomControl owner(nullptr);
  owner.SetColor(ui::clYellow);
  TSpecRowEx row(&owner);
  EXPECT_EQ(row.Color(), ui::clYellow);
  owner.Font()->SetSize(20);
  EXPECT_EQ(row.Font()->Size(), 20);
  ui::TFont own;
  own.SetSize(9);
  row.SetFont(&own);
  EXPECT_TRUE(row.FontAssigned());
  owner.Font()->SetSize(30);
  EXPECT_EQ(row.Font()->Size(), 9);
  row.SetColor(ui::clLime);
  owner.SetColor(ui::clAqua);
  EXPECT_EQ(row.Color(), ui::clLime);
}

// --- datasets ------------------------------------------------------------------------

struct TextData : ::testing::Test {
  TVectorDataSet ds;
  db::TDataSource src{nullptr};
  void Fill(std::initializer_list<const char16_t*> texts) {
    ds.FieldDefs().Add(u"S", db::ftString, 10);
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.Open();
    int n = 0;
    for (const char16_t* t : texts) ds.AppendRecord({Variant(String(t)), Variant(++n)});
    ds.First();
    src.SetDataSet(&ds);
  }
};

TEST_F(TextData, EventLinkReportsEachDataEvent) {
  Fill({u"a", u"b"});
  TDataLinkEx link;
  std::vector<db::TDataEvent> seen;
  link.OnDataEvent = [&](db::TDataEvent e, std::intptr_t) { seen.push_back(e); };
  link.SetDataSource(&src);
  ds.Next();
  EXPECT_TRUE(link.Active());
  EXPECT_NE(std::find(seen.begin(), seen.end(), db::deDataSetScroll), seen.end());
  link.SetDataSource(nullptr);
}

TEST_F(TextData, FieldValuesAreSortedDistinctAndWalkedOnce) {
  Fill({u"B", u"A", u"b", u"C"});
  auto list = std::make_shared<TDatasetFieldValueListEx>();
  list->SetDataSet(&ds);
  list->SetFieldName(u"S");
  IMemTableDataFieldValueListEx* intf = list.get();
  EXPECT_EQ(Joined(intf->GetValues()), "A,B,C");
  EXPECT_FALSE(list->DataObsoleted());

  int scrolls = 0;
  TDataLinkEx watch;
  watch.OnDataEvent = [&](db::TDataEvent e, std::intptr_t) { scrolls += e == db::deDataSetChange; };
  watch.SetDataSource(&src);
  list->Values();  // no change since: no walk
  EXPECT_EQ(scrolls, 0);

  ds.AppendRecord({Variant(String(u"D")), Variant(9)});
  EXPECT_TRUE(list->DataObsoleted());
  EXPECT_EQ(Joined(list->Values()), "A,B,C,D");
  watch.SetDataSource(nullptr);
}

TEST_F(TextData, MissingFieldOrClosedDatasetGivesAnEmptyList) {
  Fill({u"x"});
  TDatasetFieldValueListEx list;
  list.SetDataSet(&ds);
  list.SetFieldName(u"Nope");
  EXPECT_EQ(list.Values()->Count(), 0);
  EXPECT_TRUE(list.DataObsoleted());
  list.SetFieldName(u"S");
  ds.Close();
  EXPECT_EQ(list.Values()->Count(), 0);
  list.SetFilter(u"anything");
}

TEST_F(TextData, FieldListsResolveNamesAndReportUnknownOnes) {
  Fill({u"x"});
  auto fields = FieldsArrayFromNames(&ds, nullptr, u"N; S");
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0]->FieldName(), u"N");
  ui::TComponent owner(nullptr);
  owner.SetName(u"Grid1");
  try {
    GetFieldListByNames(nullptr, &ds, &owner, u"S;Missing");
    FAIL();
  } catch (const rtl::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Grid1: Field 'Missing' not found");
  }
  ds.Edit();
  SetDataSetFieldValues(&ds, u"S;N", rtl::VarArrayOf({Variant(String(u"q")), Variant(7)}));
  EXPECT_EQ(ds.FieldByName(u"S")->AsString(), u"q");
  EXPECT_EQ(ds.FieldByName(u"N")->AsInteger(), 7);
  SetDataSetFieldValues(&ds, u"S;N", Variant::Null());
  EXPECT_TRUE(ds.FieldByName(u"N")->IsNull());
  SetDataSetFieldValues(&ds, u"N", Variant(4));
  EXPECT_EQ(ds.FieldByName(u"N")->AsInteger(), 4);
  ds.Cancel();
}

// A bookmark list over the test dataset, as the grid's selection uses it.
class TestBMList : public TBMListEx {
 public:
  explicit TestBMList(db::TDataSet* D) : ds_(D) {}
  db::TDataSet* DataSet() const override { return ds_; }
  int changes = 0;
  int invalidations = 0;

 protected:
  void NotifyChanged() override { ++changes; }
  void InvalidateOwner() override { ++invalidations; }

 private:
  db::TDataSet* ds_;
};

struct Bookmarks : TextData {
  void SetUp() override { Fill({u"r1", u"r2", u"r3", u"r4", u"r5", u"r6", u"r7", u"r8", u"r9", u"r10"}); }
  void Go(int recNo) {
    ds.First();
    ds.MoveBy(recNo - 1);
  }
  std::vector<int> Rows(TBMListEx& l) {
    std::vector<int> out;
    for (int i = 0; i < l.Count(); ++i) {
      ds.GotoBookmark(l.ItemAt(i));
      out.push_back(ds.FieldByName(u"N")->AsInteger());
    }
    return out;
  }
};

TEST_F(Bookmarks, SelectionStaysInDatasetOrderAndUnique) {
  TestBMList l(&ds);
  EXPECT_THROW(l.CurrentRowSelected(), rtl::Exception);
  l.ChangeLinkActive(true);
  for (int r : {5, 2, 9, 2}) {
    Go(r);
    l.SetCurrentRowSelected(true);
  }
  EXPECT_EQ(Rows(l), (std::vector<int>{2, 5, 9}));
  Go(5);
  EXPECT_TRUE(l.CurrentRowSelected());
  l.SetCurrentRowSelected(false);
  EXPECT_EQ(Rows(l), (std::vector<int>{2, 9}));

  Go(4);  // between two stored ones: not found, index of the later one
  int index = -1;
  EXPECT_FALSE(l.Find(ds.GetBookmark(), index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(l.IndexOf(ds.GetBookmark()), -1);
}

TEST_F(Bookmarks, OrderSurvivesDeletesAndRefreshDropsGoneRecords) {
  TestBMList l(&ds);
  l.ChangeLinkActive(true);
  for (int r : {8, 3, 6, 1}) {
    Go(r);
    l.SetCurrentRowSelected(true);
  }
  // Another user deletes a selected record and two that are not.
  Go(3);
  ds.Delete();
  Go(4);  // record 5 now
  ds.Delete();
  Go(5);  // record 8 now (1,2,4,6,7,8,...)
  ds.Delete();
  const int invalidBefore = l.invalidations;
  EXPECT_TRUE(l.Refresh());
  EXPECT_GT(l.invalidations, invalidBefore);
  EXPECT_EQ(Rows(l), (std::vector<int>{1, 6, 8}));
  EXPECT_FALSE(l.Refresh());
  Go(2);
  l.SetCurrentRowSelected(true);
  EXPECT_EQ(Rows(l), (std::vector<int>{1, 2, 6, 8}));
}

TEST_F(Bookmarks, DeleteRemovesTheRecordsAndEmptiesTheList) {
  TestBMList l(&ds);
  l.ChangeLinkActive(true);
  for (int r : {2, 4, 6}) {
    Go(r);
    l.SetCurrentRowSelected(true);
  }
  l.Delete();
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(ds.RecordCount(), 7);
  EXPECT_FALSE(ds.ControlsDisabled());
}

TEST_F(Bookmarks, SelectAllAndClearKeepTheFindCacheHonest) {
  TestBMList l(&ds);
  l.ChangeLinkActive(true);
  Go(4);
  l.SelectAll();
  EXPECT_EQ(l.Count(), 10);
  EXPECT_EQ(ds.FieldByName(u"N")->AsInteger(), 4);
  EXPECT_TRUE(l.CurrentRowSelected());  // the cache now holds row 4 as found
  l.Clear();
  EXPECT_FALSE(l.CurrentRowSelected());
  EXPECT_EQ(l.invalidations, 1);
}

TEST_F(Bookmarks, IndexErrorsNameTheIndex) {
  TestBMList l(&ds);
  try {
    l.InsertItem(1, ds.GetBookmark());
    FAIL();
  } catch (const rtl::EListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (1)");
  }
  EXPECT_THROW(l.DeleteItem(0), rtl::EListError);
}

TEST_F(Bookmarks, CustomSortReordersAndForgetsTheCachedIndex) {
  TestBMList l(&ds);
  l.ChangeLinkActive(true);
  for (int r : {1, 2, 3, 4, 5}) {
    Go(r);
    l.SetCurrentRowSelected(true);
  }
  Go(2);
  int index = -1;
  ASSERT_TRUE(l.Find(ds.GetBookmark(), index));
  EXPECT_EQ(index, 1);
  l.CustomSort(&ds, [](TBMListEx& list, db::TDataSet* d, int a, int b) { return -d->CompareBookmarks(list.ItemAt(a), list.ItemAt(b)); });
  EXPECT_EQ(Rows(l), (std::vector<int>{5, 4, 3, 2, 1}));
  Go(2);
  l.Find(ds.GetBookmark(), index);
  EXPECT_NE(index, 1);  // not the stale answer from before the sort
}

// --- value helpers -------------------------------------------------------------------

TEST(VariantHelpersTest, EqualityAndNullFirstOrder) {
  using R = TVariantRelationshipEx;
  EXPECT_TRUE(VariantsEqual(Variant::Null(), Variant::Null()));
  EXPECT_FALSE(VariantsEqual(Variant(), Variant::Null()));
  EXPECT_TRUE(VariantsEqual(Variant(), Variant()));
  EXPECT_FALSE(VariantsEqual(rtl::VarArrayOf({Variant(1), Variant(2)}), rtl::VarArrayOf({Variant(1), Variant(3)})));
  EXPECT_TRUE(VariantsEqual(rtl::VarArrayOf({Variant(1), Variant(2)}), rtl::VarArrayOf({Variant(1), Variant(2)})));
  EXPECT_FALSE(VariantsEqual(rtl::VarArrayOf({Variant(1)}), Variant(1)));
  EXPECT_FALSE(VariantsEqual(Variant(String(u"abc")), Variant(5)));
  EXPECT_TRUE(VariantsEqual(Variant(String(u"5")), Variant(5)));

  EXPECT_EQ(CompareVariantValues(Variant::Null(), Variant(5)), R::LessThan);
  EXPECT_EQ(CompareVariantValues(Variant(5), Variant::Null()), R::GreaterThan);
  EXPECT_EQ(CompareVariantValues(Variant::Null(), Variant::Null()), R::Equal);
  EXPECT_EQ(CompareVariantValues(Variant(String(u"abc")), Variant(5)), R::NotEqual);
  EXPECT_EQ(CompareVariantValues(rtl::VarArrayOf({Variant(1), Variant::Null()}), rtl::VarArrayOf({Variant(1), Variant(0)})),
            R::LessThan);
  EXPECT_EQ(CompareVariantValues(rtl::VarArrayOf({Variant(1)}), Variant(1)), R::NotEqual);
}

TEST(ToolRoutinesTest, NumericTypesAndDoubleClicks) {
  for (db::TFieldType t : {db::ftSmallint, db::ftInteger, db::ftWord, db::ftFloat, db::ftCurrency, db::ftBCD, db::ftFMTBcd})
    EXPECT_TRUE(IsNumericFieldType(t)) << t;
  for (db::TFieldType t : {db::ftLargeint, db::ftAutoInc, db::ftLongWord, db::ftExtended, db::ftString})
    EXPECT_FALSE(IsNumericFieldType(t)) << t;
  EXPECT_TRUE(IsDoubleClickPair({10, 10}, {14, 6}, 500));
  EXPECT_FALSE(IsDoubleClickPair({10, 10}, {15, 10}, 100));
  EXPECT_FALSE(IsDoubleClickPair({10, 10}, {10, 10}, 501));
}

}  // namespace
