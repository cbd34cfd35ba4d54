// The data grid's cell editor: edit styles and buttons, typing with
// completion, the drop-down keys, paste, multi-line cells and a picture of
// an open list.
#include <gtest/gtest.h>

#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/button_faces.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/keys.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using ui::String;

// Columns: N (float), S (string with a pick list), D (date), M (long text).
struct CellEditorTest : gridtest::ShownGrid {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};

  void Prepare() override {
    ds.FieldDefs().Add(u"N", db::ftFloat);
    ds.FieldDefs().Add(u"S", db::ftString, 20);
    ds.FieldDefs().Add(u"D", db::ftDate);
    ds.FieldDefs().Add(u"M", db::ftString, 200);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"N")->SetAsFloat(1.5);
    ds.FieldByName(u"S")->SetAsString(u"Banana");
    ds.FieldByName(u"M")->SetAsString(u"one two three four five six seven eight nine ten");
    ds.Post();
    src.SetDataSet(&ds);
    for (const char16_t* name : {u"N", u"S", u"D", u"M"}) {
      TColumnEx* c = grid->Columns()->Add();
      c->SetFieldName(name);
      c->SetWidth(60);
    }
    grid->SetDataSource(&src);
    Column(1)->PickList()->SetText(u"Apple\nBanana\nCherry");
  }
  void TearDown() override {
    if (grid->InplaceEditor()) grid->SetEditorMode(false);
    ds.Cancel();
    ShownGrid::TearDown();
  }
  TColumnEx* Column(int I) { return grid->Columns()->ColumnAt(I); }
  TDBGridInplaceEdit* Edit(int DataCol) {
    grid->SetFocus();
    h.ProcessEvents();
    grid->SetCol(grid->DataColToGridCol(DataCol));
    grid->SetEditorMode(true);
    h.ProcessEvents();
    auto* editor = dynamic_cast<TDBGridInplaceEdit*>(grid->InplaceEditor());
    EXPECT_NE(editor, nullptr);
    return editor;
  }
};

TEST_F(CellEditorTest, GridMakesTheCellEditorWithTheColumnsStyle) {
  TDBGridInplaceEdit* e = Edit(1);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->EditStyle(), esPickList);
  EXPECT_EQ(e->Text(), u"Banana");
  EXPECT_EQ(e->ActiveList(), e->PickList());
  EXPECT_TRUE(e->EditButtonControls()[0].EditButtonControl->Visible());
  e = Edit(0);
  EXPECT_EQ(e->EditStyle(), esSimple);
  EXPECT_FALSE(e->EditButtonControls()[0].EditButtonControl->Visible());
}

TEST_F(CellEditorTest, DateColumnWithTheAlternativeButtonOpensTheCalendar) {
  Column(2)->SetButtonStyle(cbsAltDropDown);
  TDBGridInplaceEdit* e = Edit(2);
  EXPECT_EQ(e->EditStyle(), esAltCalendar);
  EXPECT_EQ(e->EditButtonControls()[0].EditButtonControl->Style(), ebsAltDropDownEx);
  h.Key(e, ui::VK_DOWN, {ui::ssAlt});
  EXPECT_TRUE(e->ListVisible());
  EXPECT_EQ(e->ActiveList(), e->PopupMonthCalendar());
  EXPECT_TRUE(e->PopupMonthCalendar()->Visible());
  EXPECT_TRUE(e->PopupMonthCalendar()->HandleAllocated() && e->PopupMonthCalendar()->Widget()->isVisible());
  h.Key(e, ui::VK_ESCAPE);
  EXPECT_FALSE(e->ListVisible());
}

TEST_F(CellEditorTest, TypingCompletesFromThePickListAndSelectsTheRest) {
  TDBGridInplaceEdit* e = Edit(1);
  e->SelectAll();
  h.Type(e, u"c");
  EXPECT_EQ(e->Text(), u"Cherry");
  EXPECT_EQ(e->SelStart(), 1);
  EXPECT_EQ(e->SelLength(), 5);
  EXPECT_EQ(grid->EditText(), u"Cherry");
  EXPECT_EQ(grid->DataLink()->DataSet()->State(), db::dsEdit);
  // A letter no entry continues is typed as it stands.
  h.Type(e, u"x");
  EXPECT_EQ(e->Text(), u"Cx");
}

TEST_F(CellEditorTest, AltDownOpensAltUpAcceptsAndEscRestores) {
  TDBGridInplaceEdit* e = Edit(1);
  h.Key(e, ui::VK_DOWN, {ui::ssAlt});
  ASSERT_TRUE(e->ListVisible());
  EXPECT_TRUE(e->DroppedDown());
  EXPECT_TRUE(e->PickList()->Visible());
  // Shown on the screen, not only marked visible.
  EXPECT_TRUE(e->PickList()->HandleAllocated() && e->PickList()->Widget()->isVisible());
  EXPECT_EQ(e->PickList()->ItemIndex(), 1);
  EXPECT_TRUE(e->EditButtonControls()[0].EditButtonControl->AlwaysDown());
  h.Key(e, ui::VK_DOWN);
  EXPECT_EQ(e->Text(), u"Cherry");
  h.Key(e, ui::VK_UP, {ui::ssAlt});
  EXPECT_FALSE(e->ListVisible());
  EXPECT_FALSE(e->PickList()->Visible());
  EXPECT_EQ(e->Text(), u"Cherry");
  EXPECT_EQ(grid->EditText(), u"Cherry");
  EXPECT_TRUE(e->Focused());

  h.Key(e, ui::VK_DOWN, {ui::ssAlt});
  h.Key(e, ui::VK_UP);
  EXPECT_EQ(e->Text(), u"Banana");
  h.Key(e, ui::VK_ESCAPE);
  EXPECT_FALSE(e->ListVisible());
  EXPECT_EQ(e->Text(), u"Cherry");
  // Esc closed only the list: the cell is still being edited.
  EXPECT_TRUE(grid->EditorMode());
}

TEST_F(CellEditorTest, TypingOpensTheRecentValuesThatBeginWithTheText) {
  TMRUListEx* recent = Column(3)->MRUList();
  recent->Items()->SetText(u"Blue\nBlack\nRed");
  recent->SetActive(true);
  TDBGridInplaceEdit* e = Edit(3);
  e->SelectAll();
  h.Type(e, u"B");
  ASSERT_TRUE(recent->DroppedDown());
  TMRUListboxEx* list = e->MRUListControl();
  EXPECT_EQ(list->Items()->Count(), 2);
  EXPECT_TRUE(list->HandleAllocated() && list->Widget()->isVisible());
  e->CloseMRUList(false);
}

TEST_F(CellEditorTest, PasteIntoANumericCellKeepsOnlyWhatTheFieldAccepts) {
  TDBGridInplaceEdit* e = Edit(0);
  e->SelectAll();
  ui::Clipboard()->SetAsText(u"12ab.5x");  // 'x' is no exponent letter
  e->Perform(ui::WM_PASTE);
  EXPECT_EQ(e->Text(), u"12.5");
  EXPECT_EQ(e->SelStart(), 4);
  EXPECT_EQ(grid->EditText(), u"12.5");
  // Into the middle: before and after the selection stay.
  e->SetSelStart(2);
  e->SetSelLength(1);
  ui::Clipboard()->SetAsText(u"-9");
  e->Perform(ui::WM_PASTE);
  EXPECT_EQ(e->Text(), u"12-95");
}

TEST_F(CellEditorTest, UpAndDownMoveByLineInAWrappingCellAndLeaveItAtItsEdges) {
  Column(3)->SetWordWrap(true);
  Column(3)->SetWidth(70);
  grid->SetRowHeight(60);
  grid->SetOptions(grid->Options() + dgAlwaysShowEditor);
  TDBGridInplaceEdit* e = Edit(3);
  ASSERT_TRUE(e->WordWrap());
  ASSERT_GT(e->Perform(ui::EM_GETLINECOUNT), 2);
  e->SetSelStart(0);
  e->SetSelLength(0);
  h.Key(e, ui::VK_DOWN);
  EXPECT_EQ(e->Perform(ui::EM_LINEFROMCHAR, static_cast<ui::WPARAM>(-1)), 1);
  h.Key(e, ui::VK_DOWN);
  EXPECT_EQ(e->Perform(ui::EM_LINEFROMCHAR, static_cast<ui::WPARAM>(-1)), 2);
  h.Key(e, ui::VK_UP);
  EXPECT_EQ(e->Perform(ui::EM_LINEFROMCHAR, static_cast<ui::WPARAM>(-1)), 1);
  EXPECT_EQ(grid->Row(), grid->TopDataOffset());
}

struct ButtonCase {
  ui::TBiDiMode Mode;
  bool ButtonsOnTheLeft;
};

class CellEditorButtonsTest : public CellEditorTest, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(CellEditorButtonsTest, ExtraButtonsOfWidthZeroAreScrollBarWideBesideTheText) {
  const ButtonCase c = GetParam();
  TColumnEx* col = Column(0);
  col->SetWidth(120);
  col->SetBiDiMode(c.Mode);
  col->SetButtonStyle(cbsEllipsis);
  for (int i = 0; i < 2; ++i) {
    TEditButtonEx* b = col->EditButtons()->Add();
    b->SetVisible(true);
    b->SetWidth(0);
  }
  TDBGridInplaceEdit* e = Edit(0);
  const int bar = EditorSystemMetrics().VScrollWidth;
  const auto& controls = e->EditButtonControls();
  ASSERT_EQ(controls.size(), 3u);
  for (const auto& rec : controls) EXPECT_EQ(rec.EditButtonControl->Width(), bar);
  EXPECT_EQ(e->ButtonsWidth(), 3 * bar);
  ui::TRect text;
  e->CalcEditRect(text);
  if (c.ButtonsOnTheLeft) {
    // Mirrored: the style button nearest the text, the last extra one at the edge.
    EXPECT_EQ(controls[2].EditButtonControl->Left(), 0);
    EXPECT_EQ(controls[0].EditButtonControl->Left(), 2 * bar);
    EXPECT_GE(text.Left, controls[0].EditButtonControl->Left() + bar);
  } else {
    EXPECT_EQ(controls[2].EditButtonControl->Left() + bar, e->Width());
    EXPECT_EQ(controls[0].EditButtonControl->Left(), e->Width() - 3 * bar);
    EXPECT_LE(text.Right, controls[0].EditButtonControl->Left());
  }
}

INSTANTIATE_TEST_SUITE_P(Sides, CellEditorButtonsTest,
                         ::testing::Values(ButtonCase{ui::bdLeftToRight, false},
                                           ButtonCase{ui::bdRightToLeft, true}));

TEST_F(CellEditorTest, EmptyRequiredFieldOfAnInsertedRecordIsUnderlinedInRed) {
  ds.FieldByName(u"S")->SetRequired(true);
  Column(1)->SetHighlightRequired(true);
  Column(1)->SetWidth(100);
  ds.Append();
  TDBGridInplaceEdit* e = Edit(1);
  e->Repaint();
  h.ProcessEvents();
  ui::TRect r;
  e->CalcEditRect(r);
  const int y = e->ClientHeight() - 1;
  int red = 0;
  for (int x = r.Left + 2; x < r.Right - 3; ++x)
    if (h.PixelAt(e, x, y) == ui::TColor(0x0000FF)) ++red;
  EXPECT_GT(red, 3);
  ds.FieldByName(u"S")->SetAsString(u"Apple");
  e->Repaint();
  h.ProcessEvents();
  red = 0;
  for (int x = r.Left + 2; x < r.Right - 3; ++x)
    if (h.PixelAt(e, x, y) == ui::TColor(0x0000FF)) ++red;
  EXPECT_EQ(red, 0);
}

TEST_F(CellEditorTest, ScreenshotOfAnOpenPickList) {
  Column(1)->SetWidth(100);
  TDBGridInplaceEdit* e = Edit(1);
  h.Key(e, ui::VK_DOWN, {ui::ssAlt});
  ASSERT_TRUE(e->ListVisible());
  h.ProcessEvents();
  const std::string path =
      h.SaveScreenshot(std::vector<ui::TWinControl*>{form, e->PickList()}, "cell_editor_pick_list");
  EXPECT_FALSE(path.empty());
}

}  // namespace
