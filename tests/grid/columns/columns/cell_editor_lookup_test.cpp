// The cell editor of a lookup column: its drop-down data grid opening on
// the edited key, following typed text, choosing by keys and mouse, handing
// the choice to the grid, keeping a resized size, and a picture of it open.
#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/columns/lookup/popup_data_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/ui/keys.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using rtl::Variant;

const char16_t* const kFruits[] = {u"Apple", u"Banana", u"Cherry", u"Damson", u"Elder"};

// A list of five fruits (ID 1..5) and an order table whose ITEM takes a
// fruit's ID, shown through the lookup field FRUIT.
struct LookupCellEditor : gridtest::ShownGrid {
  ext::TExtMemoryData fruits{nullptr};
  ext::TExtMemoryData orders{nullptr};
  db::TDataSource src{nullptr};

  void Prepare() override {
    fruits.FieldDefs().Add(u"ID", db::ftInteger);
    fruits.FieldDefs().Add(u"NAME", db::ftString, 20);
    fruits.Open();
    for (int i = 0; i < 5; ++i) {
      fruits.Append();
      fruits.Fields(0)->SetAsInteger(i + 1);
      fruits.Fields(1)->SetAsString(kFruits[i]);
      fruits.Post();
    }
    fruits.First();
    orders.FieldDefs().Add(u"ITEM", db::ftInteger);
    for (db::TFieldDef* d : orders.FieldDefList()) d->CreateField(&orders);
    auto* fruit = new db::TStringField(&orders, db::ftString, 20);
    fruit->SetFieldName(u"FRUIT");
    fruit->SetFieldKind(db::fkLookup);
    fruit->SetLookupDataSet(&fruits);
    fruit->SetKeyFields(u"ITEM");
    fruit->SetLookupKeyFields(u"ID");
    fruit->SetLookupResultField(u"NAME");
    fruit->SetDataSet(&orders);
    orders.Open();
    orders.Append();
    orders.FieldByName(u"ITEM")->SetAsInteger(2);
    orders.Post();
    src.SetDataSet(&orders);
    for (const char16_t* name : {u"ITEM", u"FRUIT"}) {
      TColumnEx* c = grid->Columns()->Add();
      c->SetFieldName(name);
      c->SetWidth(name == std::u16string(u"ITEM") ? 40 : 90);
    }
    grid->SetDataSource(&src);
  }
  void TearDown() override {
    if (grid->InplaceEditor()) grid->SetEditorMode(false);
    orders.Cancel();
    ShownGrid::TearDown();
  }
  TColumnEx* FruitColumn() { return grid->Columns()->ColumnAt(1); }
  TDBGridInplaceEdit* Edit() {
    grid->SetFocus();
    h.ProcessEvents();
    grid->SetCol(grid->DataColToGridCol(1));
    grid->SetEditorMode(true);
    h.ProcessEvents();
    auto* editor = dynamic_cast<TDBGridInplaceEdit*>(grid->InplaceEditor());
    EXPECT_NE(editor, nullptr);
    return editor;
  }
  TDBGridInplaceEdit* EditWithListOpen() {
    TDBGridInplaceEdit* e = Edit();
    h.Key(e, ui::VK_DOWN, {ui::ssAlt});
    h.ProcessEvents();
    EXPECT_TRUE(e->ListVisible());
    return e;
  }
  static int KeyOf(const TDBLookupGridEx* List) {
    return List->KeyValue().IsNull() ? -1 : List->KeyValue().AsInteger();
  }
  static int KeyOf(const Variant& V) { return V.IsNull() ? -1 : V.AsInteger(); }
  // The middle of the list's row that shows the list window's record Index.
  static ui::TPoint ListRow(TPopupDataGridEx* List, int Index) {
    const int row = List->TopDataOffset() + Index;
    const TRect r = List->CellRangeRect(0, row, 0, row);
    return {r.Left + 5, (r.Top + r.Bottom) / 2};
  }
};

TEST_F(LookupCellEditor, AltDownOpensTheColumnsListOnTheEditedKey) {
  TDBGridInplaceEdit* e = Edit();
  ASSERT_EQ(e->EditStyle(), esDataList);
  EXPECT_EQ(e->Text(), u"Banana");
  TPopupDataGridEx* list = e->DataList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(static_cast<TCustomDBGridEx*>(list), FruitColumn()->DataList());
  EXPECT_EQ(e->ActiveList(), list);
  EXPECT_FALSE(list->Visible());

  h.Key(e, ui::VK_DOWN, {ui::ssAlt});
  h.ProcessEvents();
  ASSERT_TRUE(e->ListVisible());
  EXPECT_TRUE(list->Visible());
  EXPECT_TRUE(list->HandleAllocated() && list->Widget()->isVisible());
  EXPECT_TRUE(e->EditButtonControls()[0].EditButtonControl->AlwaysDown());
  EXPECT_TRUE(list->ListActive());
  EXPECT_EQ(list->ListField(), u"NAME");
  EXPECT_EQ(KeyOf(list), 2);
  EXPECT_EQ(list->SelectedItem(), u"Banana");
  // Five records under seven drop-down rows: the list is as high as the records.
  EXPECT_EQ(list->RowCount(), 5);
  EXPECT_GE(list->Width(), e->Width());
  // The editor keeps the focus; the list never takes it.
  EXPECT_TRUE(e->Focused());

  // Keys move the choice in the list and show it in the text.
  h.Key(e, ui::VK_DOWN);
  h.Key(e, ui::VK_DOWN);
  EXPECT_EQ(KeyOf(list), 4);
  EXPECT_EQ(e->Text(), u"Damson");
  // Esc closes without taking it: the text and the grid's key stay as they were.
  h.Key(e, ui::VK_ESCAPE);
  EXPECT_FALSE(e->ListVisible());
  EXPECT_FALSE(list->Visible());
  EXPECT_EQ(e->Text(), u"Banana");
  EXPECT_EQ(list->ListSource(), nullptr);
  EXPECT_FALSE(grid->DataLink()->IsModified());
  EXPECT_TRUE(grid->EditorMode());
}

TEST_F(LookupCellEditor, AcceptedChoiceGoesToTheGridAsKeyAndText) {
  TDBGridInplaceEdit* e = EditWithListOpen();
  h.Key(e, ui::VK_DOWN);
  h.Key(e, ui::VK_UP, {ui::ssAlt});
  EXPECT_FALSE(e->ListVisible());
  EXPECT_EQ(e->Text(), u"Cherry");
  EXPECT_EQ(e->SelLength(), 6);
  EXPECT_EQ(KeyOf(grid->EditKeyValue()), 3);
  EXPECT_EQ(grid->EditText(), u"Cherry");
  EXPECT_EQ(orders.State(), db::dsEdit);
  EXPECT_TRUE(grid->DataLink()->IsModified());

  // A click on a row chooses it and closes the list accepting.
  h.Key(e, ui::VK_DOWN, {ui::ssAlt});
  h.ProcessEvents();
  TPopupDataGridEx* list = e->DataList();
  ASSERT_TRUE(list->Visible());
  EXPECT_EQ(KeyOf(list), 3);
  h.MouseMove(list, ListRow(list, 4));  // the choice follows the mouse
  EXPECT_EQ(KeyOf(list), 5);
  h.Click(list, ListRow(list, 0));
  EXPECT_FALSE(e->ListVisible());
  EXPECT_FALSE(list->Visible());
  EXPECT_EQ(e->Text(), u"Apple");
  EXPECT_EQ(KeyOf(grid->EditKeyValue()), 1);
  EXPECT_EQ(grid->EditText(), u"Apple");

  // Posting the record writes the chosen key into the key field.
  orders.Post();
  EXPECT_EQ(orders.FieldByName(u"ITEM")->AsInteger(), 1);
  EXPECT_EQ(orders.FieldByName(u"FRUIT")->AsString(), u"Apple");
}

TEST_F(LookupCellEditor, TypedLetterCompletesAndTheOpenListFollows) {
  TDBGridInplaceEdit* e = EditWithListOpen();
  e->SelectAll();
  h.Type(e, u"e");
  EXPECT_EQ(e->Text(), u"Elder");
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_EQ(e->SelLength(), 4);
  EXPECT_EQ(KeyOf(grid->EditKeyValue()), 5);
  EXPECT_EQ(KeyOf(e->DataList()), 5);
  // Delete with everything selected empties the key; the list follows.
  e->SelectAll();
  h.Key(e, ui::VK_DELETE);
  EXPECT_EQ(e->Text(), u"");
  EXPECT_TRUE(grid->EditKeyValue().IsNull());
  EXPECT_TRUE(e->DataList()->KeyValue().IsNull());
}

TEST_F(LookupCellEditor, ListResizedByItsGripOpensAgainAtThatSize) {
  FruitColumn()->SetDropDownSizing(true);
  FruitColumn()->SetDropDownRows(3);
  TDBGridInplaceEdit* e = EditWithListOpen();
  TPopupDataGridEx* list = e->DataList();
  EXPECT_EQ(list->RowCount(), 3);
  EXPECT_TRUE(list->SizeGrip()->Visible());
  EXPECT_FALSE(list->SizeGripResized());
  // What dragging the grip does to the list.
  list->SetBounds(list->Left(), list->Top(), e->Width() + 40, list->Height() + 2 * list->GetDataRowHeight());
  ASSERT_TRUE(list->SizeGripResized());
  const int rows = list->RowCount();
  const int width = list->Width();
  EXPECT_EQ(rows, 5);
  h.Key(e, ui::VK_ESCAPE);
  EXPECT_EQ(FruitColumn()->DropDownRows(), static_cast<unsigned>(rows));
  EXPECT_EQ(FruitColumn()->DropDownWidth(), width);

  h.Key(e, ui::VK_DOWN, {ui::ssAlt});
  EXPECT_EQ(list->RowCount(), rows);
  EXPECT_EQ(list->Width(), width);
  h.Key(e, ui::VK_ESCAPE);
}

TEST_F(LookupCellEditor, PictureOfTheOpenList) {
  TDBGridInplaceEdit* e = EditWithListOpen();
  TPopupDataGridEx* list = e->DataList();
  h.Key(e, ui::VK_DOWN);
  list->Invalidate();
  h.ProcessEvents();
  const std::string path =
      h.SaveScreenshot(std::vector<ui::TWinControl*>{form, list}, "cell_editor_lookup_list");
  EXPECT_FALSE(path.empty());

  // The list hangs under the cell, left edges together.
  const QPoint editorAt = e->Widget()->mapToGlobal(QPoint(0, 0));
  const QPoint listAt = list->Widget()->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(listAt.x(), editorAt.x());
  EXPECT_EQ(listAt.y(), editorAt.y() + e->Height());

  // The chosen row (Cherry) is highlighted, the others are not.
  const QImage img = list->Widget()->grab().toImage();
  const std::uint32_t bgr = ui::ColorToRGB(ui::clHighlight);
  const QRgb highlight = qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  auto rowColour = [&](int Index) {
    const ui::TPoint p = ListRow(list, Index);
    const int row = list->TopDataOffset() + Index;
    const TRect r = list->CellRangeRect(0, row, 0, row);
    return img.pixel(r.Right - 3, p.Y);
  };
  ASSERT_TRUE(list->KeyRowVisible());
  const int chosen = list->Row() - list->TopDataOffset();
  EXPECT_EQ(rowColour(chosen), highlight);
  for (int i = 0; i < list->RowCount(); ++i)
    if (i != chosen) EXPECT_NE(rowColour(i), highlight) << i;
  EXPECT_EQ(e->Text(), u"Cherry");
}

TEST_F(LookupCellEditor, SearchShortCutInTheEditorStartsTheGridsSearch) {
  TDBGridInplaceEdit* e = Edit();
  h.Key(e, 'F', {ui::ssCtrl});
  EXPECT_FALSE(grid->InplaceSearching());
  grid->SetOptionsEx(grid->OptionsEx() + dghIncSearch);
  e = Edit();
  h.Key(e, 'F', {ui::ssCtrl});
  EXPECT_TRUE(grid->InplaceSearching());
  EXPECT_EQ(grid->InplaceSearchTimeOut(), -1);
  EXPECT_FALSE(grid->EditorMode());
  grid->StopInplaceSearch();
}

}  // namespace
