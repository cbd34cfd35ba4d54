// Column and grid filter-row settings: defaults, typed text against its
// display form, operands written back as one operand, the check marks of
// the drop-down, and InstantApply following Local.
#include <gtest/gtest.h>

#include "grid/columns/filters/filter_popup_items.h"
#include "grid/core/db_grid_ex_center.h"
#include "tests/grid/core/filter_table.h"

namespace {

using namespace grid;
using filtertest::FilterTable;
using rtl::Variant;

TEST_F(FilterTable, NewColumnFilterIsEmptyAndVisible) {
  TSTColumnFilterEx* f = Filter(0);
  EXPECT_TRUE(f->Visible());
  EXPECT_EQ(f->DropDownListRows(), 15);
  EXPECT_EQ(f->ExpressionStr(), u"");
  EXPECT_EQ(f->ExpressionRef().Operator1, foNon);
  EXPECT_EQ(f->GetFilterFieldName(), u"Name");
  EXPECT_FALSE(grid->STFilter()->Visible());
  EXPECT_EQ(grid->STFilterRowCount(), 0);
}

TEST_F(FilterTable, TypedTextStaysWhileTheDisplayTextIsDerived) {
  Filter(0)->SetExpressionStr(u"abc");
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"abc");
  EXPECT_EQ(Filter(0)->ExpressionToText(), u"~ 'abc'");
  Filter(1)->SetExpressionStr(u">=2 and <>Null");
  EXPECT_EQ(Filter(1)->ExpressionToText(), u">= 2 AND <>Null");
  Filter(0)->SetExpressionStr(u"in (a,'it''s')");
  EXPECT_EQ(Filter(0)->ExpressionToText(), u"In ('a','it''s')");
}

TEST_F(FilterTable, TheCentresDefaultOperatorAppliesToBareOperands) {
  grid->Center()->SetSTFilterDefaultStringOperator(fdoContains);
  Filter(0)->SetExpressionStr(u"mit");
  EXPECT_EQ(Filter(0)->ExpressionRef().Operator1, foLike);
  EXPECT_EQ(Filter(0)->ExpressionRef().Operand1.AsString(), u"%mit%");
  grid->Center()->SetSTFilterDefaultStringOperator(fdoAuto);
}

TEST_F(FilterTable, TextThatDoesNotParseKeepsTheFilter) {
  Filter(0)->SetExpressionStr(u"=Smith");
  EXPECT_THROW(Filter(0)->SetExpressionStr(u"= 'Smith"), rtl::Exception);
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"=Smith");
  EXPECT_EQ(Filter(0)->ExpressionRef().Operator1, foEqual);
  EXPECT_EQ(Filter(0)->ExpressionRef().Operand1.AsString(), u"Smith");
}

TEST_F(FilterTable, OperandsAreQuotedOnlyWhereTheyWouldNotReadBack) {
  struct Case {
    TSTFilterOperatorEx op;
    const char16_t* value;
    const char16_t* text;
  };
  const Case cases[] = {
      {foEqual, u"Smith", u"Smith"},   {foEqual, u"Smith OR", u"'Smith OR'"},
      {foEqual, u"x and", u"'x and'"}, {foEqual, u"AND", u"'AND'"},
      {foEqual, u" lead", u"' lead'"}, {foEqual, u"trail ", u"'trail '"},
      {foEqual, u"'q", u"'''q'"},      {foEqual, u"a,b", u"a,b"},
      {foIn, u"a,b", u"'a,b'"},        {foEqual, u"ORANGE", u"ORANGE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.value));
    EXPECT_EQ(Filter(0)->GetOperandAsString(c.op, Variant(String(c.value))), c.text);
  }
  EXPECT_EQ(Filter(0)->GetOperandAsString(foIn, rtl::VarArrayOf({Variant(u"x"), Variant(u"y,z")})),
            u"x,'y,z'");
}

TEST_F(FilterTable, CheckedItemsBecomeAnInListAndMarkBack) {
  ui::TStringList items;
  items.AddObject(u"(All)", static_cast<ui::TObject*>(PopupListboxItemSpec(ptFilterSpecItemAll)));
  for (const char16_t* v : {u"Smith", u"O'Brien", u"Jones"})
    items.AddObject(v, static_cast<ui::TObject*>(PopupListboxItemData()));
  auto& states = Filter(0)->ListValuesCheckingState();
  states = {1, 1, 1, 0};  // the command line's mark is not a value
  Filter(0)->ApplyListValuesChecking(&items);
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"in ('Smith','O''Brien')");
  const TSTFilterExpressionEx e = Filter(0)->Expression();
  ASSERT_EQ(e.Operator1, foIn);
  ASSERT_TRUE(e.Operand1.IsArray());
  EXPECT_EQ(e.Operand1[0].AsString(), u"Smith");
  EXPECT_EQ(e.Operand1[1].AsString(), u"O'Brien");

  states.assign(4, 0);
  Filter(0)->MarkCheckedListValues(&items);
  EXPECT_EQ(states, (std::vector<std::uint8_t>{0, 1, 1, 0}));

  states = {0, 0, 0, 1};
  Filter(0)->ApplyListValuesChecking(&items);
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"='Jones'");
  states.assign(4, 0);
  Filter(0)->ApplyListValuesChecking(&items);
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"");
  EXPECT_EQ(Filter(0)->ExpressionRef().Operator1, foNon);
}

TEST_F(FilterTable, AnEqualOrEqualExpressionMarksBothValues) {
  ui::TStringList items;
  for (const char16_t* v : {u"Smith", u"Jones", u"Brown"})
    items.AddObject(v, static_cast<ui::TObject*>(PopupListboxItemData()));
  Filter(0)->SetExpressionStr(u"=Smith or =Brown");
  Filter(0)->ListValuesCheckingState().assign(3, 0);
  Filter(0)->MarkCheckedListValues(&items);
  EXPECT_EQ(Filter(0)->ListValuesCheckingState(), (std::vector<std::uint8_t>{1, 0, 1}));
}

TEST_F(FilterTable, PickListTextsStandForTheirKeys) {
  ui::TStringList keys, pick;
  for (const char16_t* k : {u"1", u"2"}) keys.Add(k);
  for (const char16_t* p : {u"One", u"Two"}) pick.Add(p);
  Column(2)->SetKeyList(&keys);
  Column(2)->SetPickList(&pick);
  Filter(2)->SetExpressionStr(u"in (Two,Three)");
  const TSTFilterExpressionEx e = Filter(2)->Expression();
  EXPECT_EQ(e.ExpressionType, botString);
  ASSERT_TRUE(e.Operand1.IsArray());
  EXPECT_EQ(e.Operand1[0].AsString(), u"2");
  EXPECT_EQ(e.Operand1[1].AsString(), u"Three");
}

TEST_F(FilterTable, InstantApplyFollowsLocalUntilWritten) {
  TSTDBGridExFilter* f = grid->STFilter();
  EXPECT_FALSE(f->InstantApply());
  f->SetLocal(true);
  EXPECT_TRUE(f->InstantApply());
  EXPECT_FALSE(f->IsInstantApplyStored());
  f->SetInstantApply(false);
  EXPECT_TRUE(f->IsInstantApplyStored());
  f->SetLocal(true);
  EXPECT_FALSE(f->InstantApply());
}

TEST_F(FilterTable, ChecksApplyAtOnceWithInstantApply) {
  grid->STFilter()->SetInstantApply(true);
  ui::TStringList items;
  items.AddObject(u"Smith", static_cast<ui::TObject*>(PopupListboxItemData()));
  Filter(0)->ListValuesCheckingState() = {1};
  Filter(0)->ApplyListValuesChecking(&items);
  EXPECT_EQ(applied, 1);
  EXPECT_EQ(appliedTexts.back(), u"='Smith'");
}

TEST_F(FilterTable, ShowingTheRowUnderTheTitlesAddsAFixedRow) {
  grid->STFilter()->SetVisible(true);
  EXPECT_EQ(grid->STFilterRowCount(), 1);
  EXPECT_EQ(grid->TopDataOffset(), 2);
  EXPECT_EQ(grid->FixedRows(), 2);
  grid->STFilter()->SetLocation(stflInTitleFilterEx);
  EXPECT_EQ(grid->STFilterRowCount(), 0);
  EXPECT_FALSE(grid->ColumnHasFilterCell(0));
}

TEST_F(FilterTable, AssignCopiesTheSettingsButNotTheFilter) {
  TSTColumnFilterEx* a = Filter(0);
  a->SetDataField(u"Number");
  a->SetVisible(false);
  a->SetExpressionStr(u"=1");
  Filter(1)->Assign(a);
  EXPECT_EQ(Filter(1)->DataField(), u"Number");
  EXPECT_FALSE(Filter(1)->Visible());
  EXPECT_EQ(Filter(1)->ExpressionStr(), u"");
}

}  // namespace
