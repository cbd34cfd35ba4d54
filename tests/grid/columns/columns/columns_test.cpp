// Grid columns: assigned values and stored tests, cell values, titles and
// sort marking, and default columns following the dataset's fields.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "tests/grid/core/grid_on_form.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;
using ext::TExtMemoryData;

struct ColumnsFixture : gridtest::GridOnForm {
  TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};

  // Fields A (integer), B (string), C (integer, hidden), one record.
  void OpenData() {
    ds.FieldDefs().Add(u"A", db::ftInteger);
    ds.FieldDefs().Add(u"B", db::ftString, 10);
    ds.FieldDefs().Add(u"C", db::ftInteger);
    ds.Open();
    ds.FieldByName(u"C")->SetVisible(false);
    ds.Append();
    ds.FieldByName(u"A")->SetAsInteger(5);
    ds.FieldByName(u"B")->SetAsString(u"x");
    ds.Post();
    src.SetDataSet(&ds);
    grid->SetDataSource(&src);
  }
  TDBGridColumnsEx* Cols() { return grid->Columns(); }
  std::vector<String> FieldNames() {
    std::vector<String> names;
    for (int i = 0; i < Cols()->Count(); ++i) names.push_back(Cols()->ColumnAt(i)->FieldName());
    return names;
  }
  bool Stored(TColumnEx* C, const char* Prop) {
    return ui::IsStoredProp(C, *ui::GetPropInfo(C, Prop));
  }
};

// --- assigned values and stored tests ------------------------------------------------

using PropertiesTest = ColumnsFixture;

TEST_F(PropertiesTest, FreshColumnFollowsItsGridAndStoresNothing) {
  TColumnEx* c = Cols()->Add();
  EXPECT_TRUE(c->AssignedValues().Empty());
  EXPECT_EQ(c->Color(), grid->Color());
  EXPECT_EQ(c->Layout(), ui::tlTop);
  grid->ColumnDefValues()->SetLayout(ui::tlCenter);
  grid->ColumnDefValues()->SetEndEllipsis(true);
  EXPECT_EQ(c->Layout(), ui::tlCenter);
  EXPECT_TRUE(c->EndEllipsis());
  for (const char* prop : {"Alignment", "Color", "ImeMode", "ImeName", "ReadOnly", "Width", "EndEllipsis",
                           "Layout", "ToolTips", "WordWrap", "TextEditing", "Font", "Checkboxes", "BiDiMode"})
    EXPECT_FALSE(Stored(c, prop)) << prop;
}

TEST_F(PropertiesTest, SettersMarkAndStoreOnlyWhatDiffersFromTheGrid) {
  struct Case {
    const char* name;
    std::function<void(TColumnEx*)> set;
    TColumnExValue bit;
    bool marked, stored;
  };
  const Case cases[] = {
      {"Color equal to the grid's", [&](TColumnEx* c) { c->SetColor(grid->Color()); }, cvColor, true, false},
      {"Color of its own", [](TColumnEx* c) { c->SetColor(ui::clRed); }, cvColor, true, true},
      {"ImeMode equal to the grid's", [&](TColumnEx* c) { c->SetImeMode(grid->ImeMode()); }, cvImeMode, false,
       false},
      {"ImeMode of its own", [](TColumnEx* c) { c->SetImeMode(ui::imClose); }, cvImeMode, true, true},
      {"ToolTips like the defaults", [](TColumnEx* c) { c->SetToolTips(false); }, cvToolTips, true, false},
      {"Layout of its own", [](TColumnEx* c) { c->SetLayout(ui::tlBottom); }, cvLayout, true, true},
      {"Width -1", [](TColumnEx* c) { c->SetWidth(-1); }, cvWidth, false, false},
      {"Width 77", [](TColumnEx* c) { c->SetWidth(77); }, cvWidth, true, true},
      {"Checkboxes written false", [](TColumnEx* c) { c->SetCheckboxes(false); }, cvCheckboxes, true, true},
  };
  const std::map<TColumnExValue, const char*> props{{cvColor, "Color"},     {cvImeMode, "ImeMode"},
                                                    {cvToolTips, "ToolTips"}, {cvLayout, "Layout"},
                                                    {cvWidth, "Width"},     {cvCheckboxes, "Checkboxes"}};
  for (const Case& k : cases) {
    TColumnEx* c = Cols()->Add();
    k.set(c);
    EXPECT_EQ(c->AssignedValues().Contains(k.bit), k.marked) << k.name;
    EXPECT_EQ(Stored(c, props.at(k.bit)), k.stored) << k.name;
  }
}

TEST_F(PropertiesTest, WidthLimitsAndName) {
  OpenData();
  TColumnEx* c = Cols()->Add();
  c->SetMaxWidth(50);
  c->SetWidth(80);
  EXPECT_EQ(c->Width(), 50);
  c->SetMinWidth(60);
  EXPECT_EQ(c->Width(), 60);
  Cols()->Add();
  TColumnEx* third = Cols()->Add();
  third->SetFieldName(u"B");
  EXPECT_EQ(third->Name(), u"Column_2_B");
  EXPECT_EQ(Cols()->FindColumnByName(u"Column_2_B"), third);
  EXPECT_EQ(Cols()->FindColumnByName(u"column_2_b"), nullptr);
}

TEST_F(PropertiesTest, AssignCopiesGridDefaultsAsAssignedValues) {
  grid->ColumnDefValues()->SetEndEllipsis(true);
  TColumnEx* source = Cols()->Add();
  source->SetColor(ui::clRed);
  source->Title()->SetCaption(u"Cap");
  TColumnEx* copy = Cols()->Add();
  copy->Assign(source);
  EXPECT_TRUE(copy->AssignedValues().Contains(cvEndEllipsis));
  EXPECT_TRUE(copy->EndEllipsis());
  EXPECT_EQ(copy->Color(), ui::clRed);
  EXPECT_EQ(copy->Title()->Caption(), u"Cap");
  EXPECT_FALSE(copy->AssignedValues().Contains(cvWidth));
}

TEST_F(PropertiesTest, FontFollowsTheGridUntilWrittenAndRestoreDefaultsForgets) {
  TColumnEx* c = Cols()->Add();
  grid->Font()->SetSize(14);
  EXPECT_EQ(c->Font()->Size(), 14);
  EXPECT_FALSE(c->AssignedValues().Contains(cvFont));
  c->Font()->SetSize(9);
  EXPECT_TRUE(c->AssignedValues().Contains(cvFont));
  EXPECT_TRUE(Stored(c, "Font"));
  c->RestoreDefaults();
  EXPECT_TRUE(c->AssignedValues().Empty());
  EXPECT_EQ(c->Font()->Size(), 14);
}

TEST_F(PropertiesTest, DefaultColumnWritesThroughToItsFieldWhileTheLinkIsActive) {
  OpenData();
  TColumnEx* a = Cols()->ColumnAt(0);
  ASSERT_FALSE(a->Stored());
  a->Title()->SetCaption(u"Amount");
  EXPECT_EQ(ds.FieldByName(u"A")->DisplayLabel(), u"Amount");
  EXPECT_FALSE(a->AssignedValues().Contains(cvTitleCaption));
  a->SetReadOnly(true);
  EXPECT_TRUE(ds.FieldByName(u"A")->ReadOnly());
  EXPECT_FALSE(a->AssignedValues().Contains(cvReadOnly));
}

// --- cell values ---------------------------------------------------------------------------

struct CellFixture : ColumnsFixture {
  TColumnEx* col = nullptr;
  void Bind(db::TFieldType Type, const rtl::Variant& Value) {
    ds.FieldDefs().Add(u"F", Type, Type == db::ftString ? 20 : 0);
    ds.Open();
    ds.Append();
    ds.Fields(0)->SetValue(Value);
    ds.Post();
    src.SetDataSet(&ds);
    grid->SetDataSource(&src);
    col = Cols()->Add();
    col->SetFieldName(u"F");
  }
  void SetList(ui::TStrings* L, std::initializer_list<const char16_t*> Items) {
    L->Clear();
    for (auto* s : Items) L->Add(s);
  }
};

using CellValuesTest = CellFixture;

TEST_F(CellValuesTest, KeyListWithAlternativesGivesCheckedUncheckedAndGrayed) {
  Bind(db::ftString, rtl::Variant(String(u"yes")));
  SetList(col->KeyList(), {u"Y;yes", u"N"});
  col->SetCheckboxes(true);
  struct { const char16_t* text; TCheckBoxState state; } table[] = {
      {u"Y", cbChecked}, {u"YES", cbChecked}, {u"n", cbUnchecked}, {u"maybe", cbGrayed}};
  for (auto& row : table) {
    ds.Edit();
    ds.Fields(0)->SetAsString(row.text);
    EXPECT_EQ(col->CheckboxState(), row.state) << String(row.text).size();
    ds.Cancel();
  }
  ds.Edit();
  col->SetCheckboxState(cbUnchecked);
  EXPECT_EQ(ds.Fields(0)->AsString(), u"N");
  col->SetCheckboxState(cbChecked);
  EXPECT_EQ(ds.Fields(0)->AsString(), u"Y");
  col->SetCheckboxState(cbGrayed);
  EXPECT_TRUE(ds.Fields(0)->IsNull());
  ds.Cancel();
}

TEST_F(CellValuesTest, KeyAndPickListsChooseTheCaption) {
  Bind(db::ftString, rtl::Variant(String(u"b")));
  SetList(col->KeyList(), {u"a", u"b"});
  SetList(col->PickList(), {u"Alpha", u"Beta"});
  EXPECT_EQ(col->GetColumnType(), ctKeyPickList);
  EXPECT_EQ(col->DisplayText(), u"Beta");
  ds.Edit();
  ds.Fields(0)->SetAsString(u"z");
  EXPECT_EQ(col->DisplayText(), u"");
  col->SetNotInKeyListIndex(0);
  EXPECT_EQ(col->DisplayText(), u"Alpha");
  ds.Cancel();
}

TEST_F(CellValuesTest, StepsANullIntegerToZeroAndAddsNegativeSteps) {
  Bind(db::ftInteger, rtl::Variant::Null());
  col->StepCellValue(1);
  EXPECT_EQ(ds.Fields(0)->AsInteger(), 0);
  ds.Fields(0)->SetAsInteger(5);
  col->StepCellValue(-2);
  EXPECT_EQ(ds.Fields(0)->AsInteger(), 3);
  // A read-only column does not step.
  col->SetReadOnly(true);
  col->StepCellValue(1);
  EXPECT_EQ(ds.Fields(0)->AsInteger(), 3);
}

TEST_F(CellValuesTest, PickListWrapsForwardWithoutOnUpdateData) {
  Bind(db::ftString, rtl::Variant(String(u"c")));
  SetList(col->PickList(), {u"a", u"b", u"c"});
  int updates = 0;
  col->OnUpdateData = [&](ui::TObject*, String&, rtl::Variant&, bool&, bool&) { ++updates; };
  col->StepCellValue(1);
  EXPECT_EQ(ds.Fields(0)->AsString(), u"a");
  EXPECT_EQ(updates, 0);
  col->StepCellValue(1);
  EXPECT_EQ(ds.Fields(0)->AsString(), u"b");
  EXPECT_EQ(updates, 1);
}

TEST_F(CellValuesTest, DisplayFormatOnAStringFieldShowsNothing) {
  Bind(db::ftString, rtl::Variant(String(u"text")));
  EXPECT_EQ(col->DisplayText(), u"text");
  col->SetDisplayFormat(u"0.00");
  EXPECT_EQ(col->DisplayText(), u"");
}

TEST_F(CellValuesTest, GridReadOnlyAndAllowedOperationsForbidEditing) {
  Bind(db::ftInteger, rtl::Variant(std::int32_t{1}));
  EXPECT_TRUE(col->CanModify(false));
  grid->SetAllowedOperations(grid->AllowedOperations() - alopUpdateEx);
  EXPECT_FALSE(col->CanModify(false));
  grid->SetAllowedOperations(grid->AllowedOperations() + alopUpdateEx);
  col->OnGetCellParams = [](ui::TObject*, bool, TColCellParamsEx& P) { P.SetReadOnly(true); };
  EXPECT_FALSE(col->CanModify(false));
}

// --- titles ----------------------------------------------------------------------------------

using TitleTest = ColumnsFixture;

TEST_F(TitleTest, SortMarkingSingleAndMulti) {
  TColumnEx* a = Cols()->Add();
  TColumnEx* b = Cols()->Add();
  TColumnEx* c = Cols()->Add();
  a->Title()->SetSortMarker(smDownEx);
  b->Title()->SetSortMarker(smUpEx);
  EXPECT_EQ(a->Title()->SortMarker(), smNoneEx);
  EXPECT_EQ(grid->SortMarkedColumns(), std::vector<TColumnEx*>{b});
  EXPECT_EQ(b->Title()->SortIndex(), 1);
  b->Title()->SetSortMarker(smNoneEx);

  grid->SetOptionsEx(grid->OptionsEx() + dghMultiSortMarking);
  for (TColumnEx* x : {a, b, c}) x->Title()->SetSortMarker(smDownEx);
  EXPECT_EQ(c->Title()->SortIndex(), 3);
  a->Title()->SetSortMarker(smNoneEx);
  EXPECT_EQ(b->Title()->SortIndex(), 1);
  EXPECT_EQ(c->Title()->SortIndex(), 2);
  c->Title()->SetSortIndex(1);
  EXPECT_EQ(b->Title()->SortIndex(), 2);
  EXPECT_EQ(c->Title()->SortIndex(), 1);
  EXPECT_EQ(grid->SortMarkedColumns(), (std::vector<TColumnEx*>{c, b}));
  c->Title()->SetSortIndex(5);
  EXPECT_EQ(c->Title()->SortIndex(), 1);
}

TEST_F(TitleTest, SortMarkingWidthShrinksInANarrowColumn) {
  grid->SetOptionsEx(grid->OptionsEx() + dghMultiSortMarking);
  TColumnEx* a = Cols()->Add();
  TColumnEx* b = Cols()->Add();
  a->SetWidth(20);
  a->Title()->SetSortMarker(smDownEx);
  b->Title()->SetSortMarker(smDownEx);
  ui::TCanvas* canvas = grid->Canvas();
  canvas->SetFont(SortMarkerFont);
  int n = canvas->TextWidth(u"1");
  int w = 16 + n;
  if (w > 16) w -= 14;
  if (w > 16) w = w - n - 2;
  EXPECT_EQ(a->Title()->GetSortMarkingWidth(), w);
  a->SetWidth(200);
  EXPECT_EQ(a->Title()->GetSortMarkingWidth(), 16 + n);
}

TEST_F(TitleTest, CaptionComesFromTheFieldAndReturnsAfterRestore) {
  OpenData();
  Cols()->SetState(csCustomized);
  TColumnEx* a = Cols()->ColumnAt(0);
  ds.FieldByName(u"A")->SetDisplayLabel(u"Label");
  EXPECT_EQ(a->Title()->Caption(), u"Label");
  a->Title()->SetCaption(u"Own");
  EXPECT_EQ(a->Title()->Caption(), u"Own");
  EXPECT_TRUE(a->Title()->IsCaptionStored());
  a->RestoreDefaults();
  EXPECT_EQ(a->Title()->Caption(), u"Label");
}

TEST_F(TitleTest, TitleDefaultsFollowTheGrid) {
  TColumnEx* a = Cols()->Add();
  EXPECT_EQ(a->Title()->Color(), grid->FixedColor());
  EXPECT_EQ(a->Title()->Alignment(), ui::taLeftJustify);
  grid->SetUseMultiTitle(true);
  EXPECT_EQ(a->Title()->Alignment(), ui::taCenter);
  grid->ColumnDefValues()->Title()->SetColor(ui::clRed);
  EXPECT_EQ(a->Title()->Color(), ui::clRed);
  EXPECT_FALSE(a->Title()->IsColorStored());
}

// --- the collection and default columns ----------------------------------------------------

using CollectionTest = ColumnsFixture;

TEST_F(CollectionTest, DefaultColumnsFollowVisibleFieldsAndTheirOrder) {
  OpenData();
  EXPECT_EQ(FieldNames(), (std::vector<String>{u"A", u"B"}));
  EXPECT_EQ(Cols()->State(), csDefault);
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_FALSE(ui::IsStoredProp(grid, *ui::GetPropInfo(grid, "Columns")));
  TColumnEx* a = Cols()->ColumnAt(0);
  a->SetWidth(123);
  ds.FieldByName(u"B")->SetVisible(false);
  EXPECT_EQ(FieldNames(), (std::vector<String>{u"A"}));
  EXPECT_EQ(Cols()->ColumnAt(0), a);
  EXPECT_EQ(a->Width(), 123);
  ds.FieldByName(u"B")->SetVisible(true);
  ds.FieldByName(u"B")->SetIndex(0);
  grid->RelayoutGrid();
  EXPECT_EQ(FieldNames(), (std::vector<String>{u"B", u"A"}));
  EXPECT_EQ(Cols()->ColumnAt(1), a);
}

TEST_F(CollectionTest, ClosedDatasetLeavesOneEmptyColumn) {
  OpenData();
  ds.Close();
  ASSERT_EQ(Cols()->Count(), 1);
  EXPECT_EQ(Cols()->ColumnAt(0)->FieldName(), u"");
  EXPECT_EQ(grid->ColCount(), 2);
}

TEST_F(CollectionTest, CustomizedStateListsEveryFieldAndDefaultClears) {
  OpenData();
  Cols()->SetState(csCustomized);
  EXPECT_EQ(FieldNames(), (std::vector<String>{u"A", u"B", u"C"}));
  EXPECT_TRUE(ui::IsStoredProp(grid, *ui::GetPropInfo(grid, "Columns")));
  EXPECT_EQ(grid->DataLink()->FieldCount(), 3);
  Cols()->SetState(csDefault);
  EXPECT_EQ(FieldNames(), (std::vector<String>{u"A", u"B"}));
}

TEST_F(CollectionTest, TabStopsAndNavigation) {
  OpenData();
  Cols()->SetState(csCustomized);
  Cols()->ColumnAt(1)->SetReadOnly(true);
  TColumnEx* a = Cols()->ColumnAt(0);
  TColumnEx* c = Cols()->ColumnAt(2);
  EXPECT_EQ(Cols()->GetNextTabColumn(a, true), c);
  EXPECT_EQ(Cols()->GetNextTabColumn(c, true), c);
  EXPECT_EQ(Cols()->GetFirstTabColumn(), a);
  EXPECT_EQ(Cols()->GetLastTabColumn(), c);
}

TEST_F(CollectionTest, AutoFitRescaleWithZeroWidthsLeavesInitWidth) {
  OpenData();
  Cols()->SetState(csCustomized);
  grid->SetAutoFitColWidths(true);
  TColumnEx* a = Cols()->ColumnAt(0);
  a->SetInitWidth(0);
  a->SetWidth(40);
  EXPECT_EQ(a->InitWidth(), 0);
  // Held, so that the grid's own width update does not lay the zero width out again.
  grid->LockLayout();
  grid->SetColWidths(grid->DataColToGridCol(0), 0);
  a->SetInitWidth(30);
  a->SetWidth(50);
  EXPECT_EQ(a->InitWidth(), 30);
  grid->UnlockLayout();
}

}  // namespace
