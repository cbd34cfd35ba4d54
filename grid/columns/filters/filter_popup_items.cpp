#include "grid/columns/filters/filter_popup_items.h"

#include <memory>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/filters/inplace_filter_edit_ex.h"
#include "grid/columns/filters/simple_filter_dialog.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/grouping/grid_data_groups_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/grid_images.h"
#include "grid/editor_support/button_faces.h"

namespace grid {

using namespace ui;

// --- the shared base -----------------------------------------------------------------

bool TDBGridFilterPopupListboxItemEx::CanFocusItem(TPopupListboxEx*, int) { return false; }

TCustomDBGridEx* TDBGridFilterPopupListboxItemEx::FilterPopupGrid(TPopupListboxEx* Sender) {
  if (auto* grid = dynamic_cast<TCustomDBGridEx*>(Sender->Owner())) return grid;
  if (auto* editor = dynamic_cast<TInplaceFilterEditEx*>(Sender->Owner())) return editor->Grid();
  return nullptr;
}

TColumnEx* TDBGridFilterPopupListboxItemEx::FilterPopupColumn(TPopupListboxEx* Sender) {
  if (auto* grid = dynamic_cast<TCustomDBGridEx*>(Sender->Owner())) return grid->InTitleFilterListboxColumn();
  if (auto* editor = dynamic_cast<TInplaceFilterEditEx*>(Sender->Owner())) return editor->Column();
  return nullptr;
}

TRect TDBGridFilterPopupListboxItemEx::LeadingBox(TPopupListboxEx* Sender, const TRect& Rect, int Width) {
  if (Sender->UseRightToLeftAlignment()) return TRect{Rect.Right - Width, Rect.Top, Rect.Right, Rect.Bottom};
  return TRect{Rect.Left, Rect.Top, Rect.Left + Width, Rect.Bottom};
}

void TDBGridFilterPopupListboxItemEx::DrawTextAfterBox(TPopupListboxEx* Sender, int ItemIndex,
                                                       const TRect& Rect, TOwnerDrawState State,
                                                       int BoxWidth) {
  TRect rest = Rect;
  if (Sender->UseRightToLeftAlignment())
    rest.Right -= BoxWidth;
  else
    rest.Left += BoxWidth;
  Sender->DefaultDrawItem(ItemIndex, rest, State);
}

// --- separator ---------------------------------------------------------------------------

void TPopupListboxItemExLine::PaintItem(TPopupListboxEx* Sender, int, const TRect& Rect, TOwnerDrawState) {
  TCanvas* c = Sender->Canvas();
  c->Brush()->SetColor(Sender->Color());
  c->FillRect(Rect);
  c->Pen()->SetColor(RGBColor(192, 192, 192));
  const int y = Rect.Top + (Rect.Bottom - Rect.Top) / 2;
  c->MoveTo(Rect.Left, y);
  c->LineTo(Rect.Right, y);
}

bool TPopupListboxItemExLine::CloseOnExecute(TPopupListboxEx*, int) { return false; }

// --- sort commands ----------------------------------------------------------------------

void TPopupListboxItemExSort::PaintItem(TPopupListboxEx* Sender, int ItemIndex, const TRect& Rect,
                                        TOwnerDrawState State) {
  const int boxWidth = CheckBoxWidth + 2;
  const TRect box = LeadingBox(Sender, Rect, boxWidth);
  TCanvas* c = Sender->Canvas();
  c->Brush()->SetColor(Sender->Color());
  c->FillRect(box);
  if (FSortState != smNoneEx && GridSortMarkerImages) {
    const int index = FSortState == smDownEx ? 0 : 1;
    const int x = box.Left + (box.Width() - GridSortMarkerImages->Width()) / 2;
    const int y = box.Top + (box.Height() - GridSortMarkerImages->Height()) / 2;
    GridSortMarkerImages->Draw(c, x, y, index);
  }
  DrawTextAfterBox(Sender, ItemIndex, Rect, State, boxWidth);
}

void TPopupListboxItemExSort::Execute(TPopupListboxEx* Sender, int, TPoint, TShiftState) {
  TColumnEx* column = FilterPopupColumn(Sender);
  TCustomDBGridEx* grid = FilterPopupGrid(Sender);
  // A list opened from a grouping-panel item sorts the groups of that level;
  // the column's own title marker is left as it is. The command keeps the
  // meaning of its caption and glyph: the descending marker orders the
  // groups descending, as the panel item's marker then shows.
  if (grid && Sender->Owner() == grid) {
    if (TGridDataGroupLevelEx* level = grid->InTitleFilterListboxGroupLevel()) {
      if (FSortState == smDownEx)
        level->SetSortOrder(soDescEx);
      else if (FSortState == smUpEx)
        level->SetSortOrder(soAscEx);
      return;
    }
  }
  if (!column) return;
  column->Title()->SetSortMarker(FSortState);
  if (grid) grid->SortMarkingChanged();
}

// --- special commands ---------------------------------------------------------------------

void TPopupListboxItemExSpec::PaintItem(TPopupListboxEx* Sender, int ItemIndex, const TRect& Rect,
                                        TOwnerDrawState State) {
  const int boxWidth = CheckBoxWidth + 2;
  TCanvas* c = Sender->Canvas();
  c->Brush()->SetColor(Sender->Color());
  c->FillRect(LeadingBox(Sender, Rect, boxWidth));
  DrawTextAfterBox(Sender, ItemIndex, Rect, State, boxWidth);
}

void TPopupListboxItemExSpec::Execute(TPopupListboxEx* Sender, int, TPoint, TShiftState) {
  TCustomDBGridEx* grid = FilterPopupGrid(Sender);
  TColumnEx* column = FilterPopupColumn(Sender);
  if (!grid) return;
  switch (FType) {
    case ptFilterSpecItemClearFilter:
      grid->ClearFilter();
      break;
    case ptFilterSpecItemAll:
      if (column) column->STFilter()->SetExpressionStr(String());
      break;
    case ptFilterSpecItemEmpties:
      if (column) column->STFilter()->SetExpressionStr(u"=Null");
      break;
    case ptFilterSpecItemNotEmties:
      if (column) column->STFilter()->SetExpressionStr(u"<>Null");
      break;
    case ptFilterSpecItemDialog: {
      if (grid->FilterCol() >= 0 && grid->FilterEdit() && grid->FilterEdit()->Visible())
        grid->ApplyFilterEditText(grid->FilterCol());
      if (column && ShowSimpleFilterDialog(column) && grid->STFilter()->InstantApply())
        grid->ExecuteApplyFilter();
      return;
    }
    case ptFilterApply:
      grid->ExecuteApplyFilter();
      break;
  }
  TDBGridExCenter* centre = grid->Center();
  if (FType == ptFilterSpecItemClearFilter || (centre && centre->FilterEditCloseUpApplyFilter()) ||
      grid->STFilter()->InstantApply())
    grid->ExecuteApplyFilter();
}

// --- data values -----------------------------------------------------------------------------

void TPopupListboxItemExData::PaintItem(TPopupListboxEx* Sender, int ItemIndex, const TRect& Rect,
                                        TOwnerDrawState State) {
  TColumnEx* column = FilterPopupColumn(Sender);
  const TRect box = LeadingBox(Sender, Rect, CheckBoxWidth);
  bool checked = false, pressed = false;
  if (column) {
    TSTColumnFilterEx* filter = column->STFilter();
    const auto& states = filter->ListValuesCheckingState();
    checked = ItemIndex < static_cast<int>(states.size()) && states[static_cast<std::size_t>(ItemIndex)] == 1;
    pressed = filter->PopupListboxDownIndex() == ItemIndex;
  }
  const TPoint mouse = Sender->ScreenToClient(Screen->CursorPos());
  const bool hot = Sender->ItemAtPos(mouse, true) == ItemIndex && !GetCaptureControl();
  DrawEditButtonFace(Sender->Canvas(), box, Sender->Color(), bcsCheckboxEx, pressed ? 1 : 0, true, hot, true,
                     checked ? ui::cbChecked : ui::cbUnchecked);
  DrawTextAfterBox(Sender, ItemIndex, Rect, State, CheckBoxWidth + 2);
}

void TPopupListboxItemExData::HandleMouseDown(TPopupListboxEx* Sender, int ItemIndex, TMouseButton,
                                              TShiftState, TPoint) {
  TColumnEx* column = FilterPopupColumn(Sender);
  if (!column) return;
  column->STFilter()->SetPopupListboxDownIndex(ItemIndex);
  Sender->InvalidateIndex(ItemIndex);
}

void TPopupListboxItemExData::HandleMouseMove(TPopupListboxEx* Sender, int ItemIndex, TShiftState, TPoint) {
  TColumnEx* column = FilterPopupColumn(Sender);
  if (!column) return;
  TSTColumnFilterEx* filter = column->STFilter();
  const int down = filter->PopupListboxDownIndex();
  if (down >= 0 && down != ItemIndex) {
    Sender->InvalidateIndex(down);
    filter->SetPopupListboxDownIndex(-1);
  }
}

void TPopupListboxItemExData::HandleMouseUp(TPopupListboxEx* Sender, int ItemIndex, bool& IsCloseListbox,
                                            TMouseButton, TShiftState Shift, TPoint MousePos) {
  IsCloseListbox = false;
  TColumnEx* column = FilterPopupColumn(Sender);
  if (!column) return;
  TSTColumnFilterEx* filter = column->STFilter();
  const int down = filter->PopupListboxDownIndex();
  if (down >= 0 && down == ItemIndex) {
    filter->SetEnterNotClearData(true);
    Execute(Sender, ItemIndex, MousePos, Shift);
    const int under = Sender->ItemAtPos(MousePos, true);
    if (under >= 0) Sender->SetItemIndex(under);
  }
  filter->SetPopupListboxDownIndex(-1);
  Sender->InvalidateIndex(ItemIndex);
}

bool TPopupListboxItemExData::CloseOnExecute(TPopupListboxEx*, int) { return false; }

void TPopupListboxItemExData::Execute(TPopupListboxEx* Sender, int ItemIndex, TPoint, TShiftState) {
  TColumnEx* column = FilterPopupColumn(Sender);
  if (!column) return;
  TSTColumnFilterEx* filter = column->STFilter();
  TStrings* items = Sender->Items();
  auto& states = filter->ListValuesCheckingState();
  states.resize(static_cast<std::size_t>(items->Count()), 0);
  filter->SetInFilterListBox(true);
  try {
    if (!filter->EnterNotClearData()) std::fill(states.begin(), states.end(), 0);
    if (ItemIndex >= 0 && ItemIndex < static_cast<int>(states.size())) {
      std::uint8_t& s = states[static_cast<std::size_t>(ItemIndex)];
      s = s == 1 ? 0 : 1;
    }
    filter->ApplyListValuesChecking(items);
    Sender->Invalidate();
  } catch (...) {
    filter->SetInFilterListBox(false);
    throw;
  }
  filter->SetInFilterListBox(false);
}

// --- the shared objects -------------------------------------------------------------------------

TPopupListboxItemExLine* PopupListboxItemLine() {
  static TPopupListboxItemExLine item;
  return &item;
}

TPopupListboxItemExSort* PopupListboxItemSort(TSortMarkerEx SortState) {
  static TPopupListboxItemExSort none(smNoneEx), down(smDownEx), up(smUpEx);
  return SortState == smDownEx ? &down : SortState == smUpEx ? &up : &none;
}

TPopupListboxItemExSpec* PopupListboxItemSpec(TPopupListboxItemExSpecType Type) {
  static TPopupListboxItemExSpec items[] = {TPopupListboxItemExSpec(ptFilterSpecItemClearFilter),
                                            TPopupListboxItemExSpec(ptFilterSpecItemAll),
                                            TPopupListboxItemExSpec(ptFilterSpecItemEmpties),
                                            TPopupListboxItemExSpec(ptFilterSpecItemNotEmties),
                                            TPopupListboxItemExSpec(ptFilterSpecItemDialog),
                                            TPopupListboxItemExSpec(ptFilterApply)};
  return &items[Type];
}

TPopupListboxItemExData* PopupListboxItemData() {
  static TPopupListboxItemExData item;
  return &item;
}

TPopupListboxItemEx* PopupListboxItemEmpty() {
  static TPopupListboxItemEx item;
  return &item;
}

}  // namespace grid
