// The behaviour centre's decisions that depend on the dataset behind a grid:
// the dataset-features object that serves it takes them, else the generic
// code; the default operator of a bare filter operand; the filter drop-down's
// command and data lines.
#include <gtest/gtest.h>

#include <memory>

#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/filters/dataset_features_ex.h"
#include "grid/columns/filters/db_utils_ex.h"
#include "grid/columns/filters/filter_popup_items.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/editor_support/data_link_ex.h"
#include "tests/grid/core/filter_table.h"
#include "tests/grid/core/mem_table_data_set.h"

namespace {

using namespace grid;
using filtertest::FilterTable;
using rtl::String;

// Records what the centre handed over.
struct RecordingFeatures : TDatasetFeaturesEx {
  explicit RecordingFeatures(std::string Class, std::vector<std::string>& Log)
      : TDatasetFeaturesEx(std::move(Class)), log(Log) {}
  bool LocateText(TCustomDBGridEx*, const String&, const String& Text, std::uint32_t, int, int,
                  int) override {
    log.push_back("locate " + rtl::StringToUtf8(Text));
    return true;
  }
  bool MoveRecords(TCustomDBGridEx*, TBMListEx*, int& ToRecNo, bool CheckOnly) override {
    log.push_back("move " + std::to_string(ToRecNo) + (CheckOnly ? " check" : ""));
    return true;
  }
  void ApplySorting(TCustomDBGridEx*, db::TDataSet*, bool Active) override {
    log.push_back(std::string("sort ") + (Active ? "active" : "closed"));
  }
  void ApplyFilter(TCustomDBGridEx*, db::TDataSet*, bool Active) override {
    log.push_back(std::string("filter ") + (Active ? "active" : "closed"));
  }
  void ExecuteFindDialog(TCustomDBGridEx*, const String& Text, const String& FieldName, bool) override {
    log.push_back("find " + rtl::StringToUtf8(Text) + " in " + rtl::StringToUtf8(FieldName));
  }
  void FillSTFilterListDataValues(TCustomDBGridEx*, TColumnEx*, ui::TStrings* Items) override {
    Items->Add(u"from features");
  }
  std::vector<std::string>& log;
};

// A value list that hands out fixed values and keeps the filter it was given.
struct FixedValueList : IMemTableDataFieldValueListEx {
  ui::TStringList values;
  String filter = u"<none>";
  ui::TStrings* GetValues() override { return &values; }
  void SetFilter(const String& Filter) override { filter = Filter; }
};

std::vector<String> Lines(ui::TStrings* Items) {
  std::vector<String> out;
  for (int i = 0; i < Items->Count(); ++i) out.push_back(Items->Strings(i));
  return out;
}

TEST_F(FilterTable, AFeaturesObjectServingTheDatasetTakesEveryDecision) {
  std::vector<std::string> log;
  RegisterDatasetFeatures(new RecordingFeatures(rtl::StringToUtf8(ds.ClassName()), log));
  TDBGridExCenter* centre = grid->Center();
  centre->ApplyFilter(grid);
  centre->ApplySorting(grid);
  EXPECT_TRUE(centre->MoveDataRows(grid, nullptr, 3, true));
  EXPECT_TRUE(centre->LocateText(grid, u"Name", u"zz", {}, ltdAllEx, ltmWholeEx, lttInAllNodesEx));
  centre->ExecuteFindDialog(grid, u"x", u"Name", true);
  ui::TStringList items;
  centre->DefaultFillSTFilterListDataValues(grid, Column(0), &items);
  EXPECT_EQ(log, (std::vector<std::string>{"filter active", "sort active", "move 3 check", "locate zz",
                                           "find x in Name"}));
  EXPECT_EQ(Lines(&items), std::vector<String>{u"from features"});
  UnregisterDatasetFeatures(rtl::StringToUtf8(ds.ClassName()));

  // Without one: the generic search, no records moved, no dataset change.
  log.clear();
  EXPECT_FALSE(centre->MoveDataRows(grid, nullptr, 3, false));
  centre->ApplyFilter(grid);
  EXPECT_TRUE(centre->LocateText(grid, u"Name", u"Jones", {}, ltdAllEx, ltmWholeEx, lttInAllNodesEx));
  EXPECT_EQ(ds.FieldByName(u"Name")->AsString(), u"Jones");
  EXPECT_TRUE(log.empty());
  // A grid without a data source asks no features object either.
  grid->SetDataSource(nullptr);
  centre->ApplyFilter(grid);
  centre->ApplySorting(grid);
}

TEST_F(FilterTable, TheDefaultOperatorFollowsTheExpressionType) {
  TDBGridExCenter* centre = grid->Center();
  centre->SetSTFilterDefaultStringOperator(fdoContains);
  centre->SetSTFilterDefaultNumberOperator(fdoGreaterThan);
  centre->SetSTFilterDefaultDateTimeOperator(fdoLessThan);
  centre->SetSTFilterDefaultBooleanOperator(fdoNotEqual);
  const struct {
    TSTOperandTypeEx Type;
    TSTFilterDefaultOperatorEx Expected;
  } cases[] = {{botNon, fdoContains},
               {botString, fdoContains},
               {botNumber, fdoGreaterThan},
               {botDateTime, fdoLessThan},
               {botBoolean, fdoNotEqual}};
  for (const auto& c : cases) {
    TSTFilterExpressionEx e;
    e.ExpressionType = c.Type;
    EXPECT_EQ(centre->GetSTFilterDefaultOperator(grid, Column(0), e), c.Expected) << c.Type;
  }
  centre->SetSTFilterDefaultStringOperator(fdoAuto);
  centre->SetSTFilterDefaultNumberOperator(fdoAuto);
  centre->SetSTFilterDefaultDateTimeOperator(fdoAuto);
  centre->SetSTFilterDefaultBooleanOperator(fdoAuto);
}

// A centre of the program's own choosing decides for the grids it serves.
struct ContainsCentre : TDBGridExCenter {
  TColumnEx* asked = nullptr;
  TSTFilterDefaultOperatorEx GetSTFilterDefaultOperator(TCustomDBGridEx*, TColumnEx* Column,
                                                        const TSTFilterExpressionEx&) override {
    asked = Column;
    return fdoBeginsWith;
  }
};

TEST_F(FilterTable, ColumnFiltersAskTheirGridsCentreForTheDefaultOperator) {
  ContainsCentre own;
  grid->SetCenter(&own);
  Filter(2)->SetExpressionStr(u"ab");
  EXPECT_EQ(own.asked, Column(2));
  EXPECT_EQ(Filter(2)->ExpressionRef().Operator1, foLike);
  EXPECT_EQ(Filter(2)->ExpressionRef().Operand1.AsString(), u"ab%");
  grid->SetCenter(GetDefaultGridCenter());
}

TEST_F(FilterTable, CommandLinesFollowSortMarkingAndInstantApply) {
  const String sortLines[] = {u"(Order by descending)", u"(Order by ascending)", u"-"};
  const String common[] = {u"(Custom...)", u"(All)", u"(Not empty)", u"(Empty)"};
  const struct {
    bool SortMarking, TitleButton, InstantApply;
    bool ExpectSort, ExpectApply;
  } cases[] = {
      {false, false, false, false, true}, {true, true, false, true, true}, {true, false, false, false, true},
      {false, true, true, false, false},  {true, true, true, true, false},
  };
  for (const auto& c : cases) {
    grid->SetOptionsEx(c.SortMarking ? grid->OptionsEx() + dghAutoSortMarking
                                     : grid->OptionsEx() - dghAutoSortMarking);
    Column(0)->Title()->SetTitleButton(c.TitleButton);
    grid->STFilter()->SetInstantApply(c.InstantApply);
    std::vector<String> expected;
    if (c.ExpectSort) expected.insert(expected.end(), std::begin(sortLines), std::end(sortLines));
    expected.push_back(u"(Clear filter)");
    if (c.ExpectApply) expected.push_back(u"(Apply filter)");
    expected.insert(expected.end(), std::begin(common), std::end(common));
    ui::TStringList items;
    grid->Center()->DefaultFillSTFilterListCommandValues(grid, Column(0), &items);
    EXPECT_EQ(Lines(&items), expected) << c.SortMarking << c.TitleButton << c.InstantApply;
    for (int i = 0; i < items.Count(); ++i) EXPECT_NE(items.Objects(i), nullptr) << i;
  }
}

TEST_F(FilterTable, DataLinesComeUnderTheOtherColumnsFiltersAndShowPickTexts) {
  auto list = std::make_shared<FixedValueList>();
  list->values.Add(u"k1");
  list->values.Add(u"k2");
  list->values.Add(u"other");
  Column(0)->SetFieldValueList(list);
  Column(0)->PickList()->Add(u"First");
  Column(0)->PickList()->Add(u"Second");
  Column(0)->KeyList()->Add(u"k1");
  Column(0)->KeyList()->Add(u"k2");
  Filter(0)->SetExpressionStr(u"=Smith");
  Filter(1)->SetExpressionStr(u"=2");

  ui::TStringList items;
  int width = 0;
  grid->FillSTFilterListValues(Filter(0), &items, width, nullptr);
  // The commands, then the values with the keys shown as their pick texts.
  const std::vector<String> lines = Lines(&items);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(std::vector<String>(lines.end() - 3, lines.end()),
            (std::vector<String>{u"First", u"Second", u"other"}));
  EXPECT_EQ(
      dynamic_cast<TPopupListboxItemExData*>(static_cast<ui::TObject*>(items.Objects(items.Count() - 1))),
      PopupListboxItemData());
  // The list heard only the other column's condition; the column's own
  // filter is as it was.
  EXPECT_EQ(list->filter, u" [Number] = 2 ");
  EXPECT_EQ(Filter(0)->ExpressionRef().Operator1, foEqual);
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"=Smith");
}

// A memory table that collects the values of a field itself.
struct ValueListTable : gridtest::TMemTableDataSet {
  std::shared_ptr<FixedValueList> list = std::make_shared<FixedValueList>();
  String askedFor;
  std::shared_ptr<IMemTableDataFieldValueListEx> GetFieldValueList(const String& FieldName) override {
    askedFor = FieldName;
    return list;
  }
};

TEST_F(FilterTable, AMemoryTableGivesTheValueListOfItsField) {
  ValueListTable table;
  table.FieldDefs().Add(u"City", db::ftString, 20);
  table.Open();
  table.list->values.Add(u"Oslo");
  db::TDataSource tableSource{nullptr};
  tableSource.SetDataSet(&table);
  grid->SetDataSource(&tableSource);
  ASSERT_NE(grid->MemTable(), nullptr);
  ui::TStringList items;
  grid->Center()->StandardFillSTFilterListDataValues(grid, Column(0), &items);
  EXPECT_EQ(table.askedFor, u"City");
  EXPECT_EQ(Lines(&items), std::vector<String>{u"Oslo"});
  EXPECT_EQ(Column(0)->FieldValueList(), table.list) << "the column keeps the list";
  grid->SetDataSource(nullptr);
}

}  // namespace
