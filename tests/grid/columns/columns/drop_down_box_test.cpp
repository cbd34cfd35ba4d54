// Column drop-down boxes, the layout interceptors of columns and the text of
// filter operand values.
#include <gtest/gtest.h>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_drop_down_box_ex.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_property_interceptors.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/columns/filter_operand_values.h"
#include "grid/columns/lookup/popup_data_grid_ex.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;

TEST(FilterOperandValues, ArraysAreQuotedAndJoinedSingleValuesStandAsText) {
  EXPECT_EQ(FormatFilterOperandValues(rtl::VarArrayOf({rtl::Variant(1), rtl::Variant(2)})), u"'1','2'");
  EXPECT_EQ(FormatFilterOperandValues(rtl::Variant(5)), u"5");
  EXPECT_EQ(FormatFilterOperandValues(rtl::VarArrayOf({rtl::Variant(u"a b")})), u"'a b'");
}

TEST(ColumnDropDownBox, WithoutAColumnOwnerReadsNothingAndWritesNothing) {
  TColumnDropDownBoxEx box(nullptr);
  EXPECT_EQ(box.Columns(), nullptr);
  EXPECT_EQ(box.ColumnDefValues(), nullptr);
  EXPECT_EQ(box.Options(), 0u);
  EXPECT_FALSE(box.SortLocal());
  box.SetOptions(3);
  box.SetSortLocal(true);
  EXPECT_EQ(box.Options(), 0u);
  EXPECT_TRUE(box.AutoFitColWidths());
}

struct InterceptorTest : gridtest::GridOnForm {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  void SetUp() override {
    GridOnForm::SetUp();
    for (const char16_t* name : {u"A", u"B", u"C"}) {
      TColumnEx* c = grid->Columns()->Add();
      c->SetFieldName(name);
      c->SetWidth(40);
    }
  }
  std::u16string Order() {
    std::u16string s;
    for (int i = 0; i < grid->Columns()->Count(); ++i) s += grid->Columns()->ColumnAt(i)->FieldName();
    return s;
  }
};

TEST_F(InterceptorTest, ColumnsIndexReadsQuotedNamesAndReordersByThem) {
  TColumnsExPropertyInterceptor order(grid->Columns());
  EXPECT_EQ(order.ColumnsIndex(), u"\"A\",\"B\",\"C\"");
  order.SetColumnsIndex(u"\"C\",\"A\",\"B\"");
  EXPECT_EQ(Order(), u"CAB");
  // A name without a column is passed over; the others keep their places.
  order.SetColumnsIndex(u"\"X\",\"A\"");
  EXPECT_EQ(Order(), u"CAB");
  order.SetColumnsIndex(u"\"B\"");
  EXPECT_EQ(Order(), u"BCA");
}

TEST_F(InterceptorTest, RestoredWidthGoesBeforeFittingWhenTheGridFitsItsColumns) {
  TColumnEx* column = grid->Columns()->ColumnAt(0);
  TColumnExPropertyInterceptor width(column);
  width.SetWidth(70);
  EXPECT_EQ(column->Width(), 70);
  grid->SetAutoFitColWidths(true);
  const int fitted = column->Width();
  width.SetWidth(120);
  EXPECT_EQ(column->InitWidth(), 120);
  EXPECT_EQ(column->Width(), fitted);
}

TEST_F(InterceptorTest, ModuleStartUpRegistersBothInterceptors) {
  int found = 0;
  for (const TInterceptorEntry& e : RegisteredInterceptors())
    if (e.Target == &TColumnEx::StaticClassInfo() || e.Target == &TDBGridColumnsEx::StaticClassInfo())
      ++found;
  EXPECT_EQ(found, 2);
}

TEST_F(InterceptorTest, ColumnCopiesItsDropDownBoxAndAListSourceLeadsTheLookupList) {
  ds.FieldDefs().Add(u"K", db::ftInteger);
  ds.Open();
  src.SetDataSet(&ds);
  TColumnEx* a = grid->Columns()->ColumnAt(0);
  TColumnEx* b = grid->Columns()->ColumnAt(1);
  a->DropDownBox()->SetListSource(&src);
  a->DropDownBox()->SetUseMultiTitle(true);
  b->Assign(a);
  EXPECT_EQ(b->DropDownBox()->ListSource(), &src);
  EXPECT_TRUE(b->DropDownBox()->UseMultiTitle());
  EXPECT_EQ(b->LookupListDataSet(), &ds);
}

TEST_F(InterceptorTest, AColumnsBoxAndEventsReachItsOwnDropDownGrid) {
  TColumnEx* a = grid->Columns()->ColumnAt(0);
  auto* list = dynamic_cast<TPopupDataGridEx*>(a->DataList());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(a->DataList(), list);  // made once, on the first read
  EXPECT_EQ(list->Name(), u"DataList");
  EXPECT_NE(grid->Columns()->ColumnAt(1)->DataList(), list);

  TColumnDropDownBoxEx* box = a->DropDownBox();
  EXPECT_EQ(box->Options(), TDBLookupGridExOptions{dlgColLinesEx}.Bits());
  box->SetOptions(TDBLookupGridExOptions{dlgRowLinesEx, dlgColumnResizeEx}.Bits());
  EXPECT_EQ(list->Options(), (TDBLookupGridExOptions{dlgRowLinesEx, dlgColumnResizeEx}));
  EXPECT_EQ(box->Columns(), list->Columns());
  box->SetSortLocal(true);
  EXPECT_TRUE(list->SortLocal());

  // Copying a column copies its box's options into the other column's grid.
  TColumnEx* b = grid->Columns()->ColumnAt(1);
  b->Assign(a);
  EXPECT_EQ(dynamic_cast<TPopupDataGridEx*>(b->DataList())->Options(), list->Options());

  a->SetLookupDisplayFields(u"NAME;ID");
  EXPECT_EQ(list->ListField(), u"NAME;ID");
  a->DropDownSpecRow()->SetCellsText(u"(none)");
  EXPECT_EQ(list->SpecRow()->CellsText(), u"(none)");

  int clicks = 0;
  a->SetOnDropDownBoxTitleBtnClick([&](ui::TObject*, int, TColumnEx*) { ++clicks; });
  ASSERT_TRUE(list->OnTitleBtnClick);
  list->OnTitleBtnClick(list, 0, nullptr);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(a->OnDropDownBoxTitleBtnClick());
  EXPECT_FALSE(a->OnDropDownBoxCheckButton());
}

}  // namespace
