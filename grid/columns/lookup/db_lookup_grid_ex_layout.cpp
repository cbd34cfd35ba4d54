// How the lookup grid differs from the data grid it is built on: a height
// of whole rows, the special row in the place of a filter row, the key's
// row highlighted and shown as the current row, a scroll bar that tells
// where the list window lies, and keys, mouse, wheel and scroll messages
// that move the choice (or only the list) instead of editing.
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/lookup/db_lookup_grid_column_ex.h"
#include "grid/columns/lookup/db_lookup_grid_ex.h"
#include "grid/columns/lookup/lookup_internal.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/data/dataset.h"
#include "platform/ui/keys.h"
#include "platform/ui/timers.h"

namespace grid {

using namespace ui;

namespace {

// Window timer of the selection's auto-scroll.
constexpr std::uintptr_t kTrackingTimer = 1;

}  // namespace

unsigned LookupAutoScrollInterval(int Distance) {
  return static_cast<unsigned>(std::max(10, 200 - 15 * Distance));
}

// --- options ----------------------------------------------------------------------------

void TDBLookupGridEx::SetOptions(TDBLookupGridExOptions Value) {
  if (Value == FOptions) return;
  FOptions = Value;
  TDBGridOptions grid = TCustomDBGridEx::Options() - dgColumnResize - dgColLines - dgRowLines;
  if (Value.Contains(dlgColumnResizeEx)) grid = grid + dgColumnResize;
  if (Value.Contains(dlgColLinesEx)) grid = grid + dgColLines;
  if (Value.Contains(dlgRowLinesEx)) grid = grid + dgRowLines;
  TDBGridExOptions gridEx = OptionsEx() - dghAutoSortMarking - dghMultiSortMarking;
  if (Value.Contains(dlgAutoSortMarkingEx)) gridEx = gridEx + dghAutoSortMarking;
  if (Value.Contains(dlgMultiSortMarkingEx)) gridEx = gridEx + dghMultiSortMarking;
  TCustomDBGridEx::SetOptions(grid);
  SetOptionsEx(gridEx);
  SetRowCount(FRowCount);
}

// --- height in whole rows ----------------------------------------------------------------

int TDBLookupGridEx::BorderSize() { return HandleAllocated() ? Height() - ClientHeight() : 0; }

int TDBLookupGridEx::GetSpecRowHeight() {
  return DefaultRowHeight() + (TCustomDBGridEx::Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TDBLookupGridEx::GetDataRowHeight() {
  return DefaultRowHeight() + (TCustomDBGridEx::Options().Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TDBLookupGridEx::TitlesHeight() {
  return TCustomDBGridEx::Options().Contains(dgTitles) ? FTitleRowHeight : 0;
}

void TDBLookupGridEx::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  // The data grid sizes itself while it is being built, before the lookup
  // grid's own parts exist.
  if (!FSpecRow) {
    TCustomDBGridEx::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  FSpecRowHeight = FSpecRow->Visible() ? GetSpecRowHeight() : 0;
  const int rowHeight = std::max(1, GetDataRowHeight());
  const int border = BorderSize(), titles = TitlesHeight();
  FRowCount = std::max(1, (AHeight - border - titles - FSpecRowHeight) / rowHeight);
  const int height = titles + border + rowHeight * FRowCount + FSpecRowHeight +
                     (TCustomDBGridEx::Options().Contains(dgRowLines) ? GridLineWidth() : 0);
  TCustomDBGridEx::SetBounds(ALeft, ATop, AWidth, height);
}

void TDBLookupGridEx::SetRowCount(int Value) {
  Value = std::clamp(Value, 1, 100);
  const bool rowLines = TCustomDBGridEx::Options().Contains(dgRowLines);
  const int line = rowLines ? GridLineWidth() : 0;
  const int height = TitlesHeight() + line + Value * (DefaultRowHeight() + line) + BorderSize() +
                     (FSpecRow->Visible() ? GetSpecRowHeight() : 0);
  SetBounds(Left(), Top(), Width(), height);
}

void TDBLookupGridEx::SetShowTitles(bool Value) {
  if (Value == ShowTitles()) return;
  TDBGridOptions options = TCustomDBGridEx::Options();
  TCustomDBGridEx::SetOptions(Value ? options + dgTitles : options - dgTitles);
  SetHeight(GetDataRowHeight() * FRowCount + BorderSize() + TitlesHeight() +
            (FSpecRow->Visible() ? GetSpecRowHeight() : 0));
}

void TDBLookupGridEx::SetUseMultiTitle(bool Value) {
  TCustomDBGridEx::SetUseMultiTitle(Value);
  SetRowCount(FRowCount);
}

void TDBLookupGridEx::InitWidget() {
  TCustomDBGridEx::InitWidget();
  SetRowCount(FRowCount);
}

// --- column widths ------------------------------------------------------------------------

void TDBLookupGridEx::SetAutoFitColWidths(bool Value) {
  if (Value == FLGAutoFitColWidths) return;
  FLGAutoFitColWidths = Value;
  HorzScrollBar()->SetVisible(!Value);
  SetRowCount(FRowCount);
  SyncVertScrollBar();
  UpdateColumnWidths();
}

void TDBLookupGridEx::RememberColumnWidths() {
  for (int i = 0; i < Columns()->Count(); ++i)
    Columns()->ColumnAt(i)->SetInitWidth(Columns()->ColumnAt(i)->Width());
}

void TDBLookupGridEx::UpdateColumnWidths() {
  if (FInternalWidthSetting) return;
  if (FLGAutoFitColWidths) {
    lookup_detail::FlagScope setting(FInternalWidthSetting);
    TCustomDBGridEx::SetAutoFitColWidths(true);
    RememberColumnWidths();
    TCustomDBGridEx::SetAutoFitColWidths(false);
  }
  SetRowCount(FRowCount);
}

void TDBLookupGridEx::SizeChanged(int OldWidth, int OldHeight) {
  if (FInternalWidthSetting) {
    TCustomDBGridEx::SizeChanged(OldWidth, OldHeight);
    return;
  }
  FInternalWidthSetting = true;
  FAutoFitColWidths = FLGAutoFitColWidths;
  try {
    TCustomDBGridEx::SizeChanged(OldWidth, OldHeight);
    // The rows that fit and, with fitting on, the column widths follow the size.
    if (FSpecRow) HandleLayoutChange();
  } catch (...) {
    FAutoFitColWidths = false;
    FInternalWidthSetting = false;
    throw;
  }
  FAutoFitColWidths = false;
  FInternalWidthSetting = false;
}

void TDBLookupGridEx::ColumnWidthsUpdated() {
  TCustomDBGridEx::ColumnWidthsUpdated();
  if (FInternalWidthSetting || !HandleAllocated() || GridState() != gsColSizing || !FLGAutoFitColWidths)
    return;
  int width = 0;
  const int line = TCustomDBGridEx::Options().Contains(dgColLines) ? GridLineWidth() : 0;
  for (int c = 0; c < ColCount(); ++c) width += ColWidths(c) + line;
  lookup_detail::FlagScope setting(FInternalWidthSetting);
  SetClientWidth(width);
  RememberColumnWidths();
}

int TDBLookupGridEx::GetColumnsWidthToFit() {
  int width = 0;
  const bool colLines = TCustomDBGridEx::Options().Contains(dgColLines);
  for (int i = 0; i < Columns()->Count(); ++i) {
    TColumnEx* column = Columns()->ColumnAt(i);
    if (column->Visible()) width += FLGAutoFitColWidths ? column->InitWidth() : column->Width();
    if (colLines) width += GridLineWidth();
  }
  return width;
}

TRect TDBLookupGridEx::DataRect() {
  const int first = TopDataOffset() - (FSpecRow->Visible() ? 1 : 0);
  int last = FRowCount;
  if (FooterRowCount() > 0) last = FRowCount - FooterRowCount() - 2;
  last = std::min(std::max(last, first), TCustomGridEx::RowCount() - 1);
  return CellRangeRect(IndicatorOffset(), first, ColCount() - 1, last);
}

// --- the data grid's steps ---------------------------------------------------------------

bool TDBLookupGridEx::HighlightsFocusedRow() { return FKeyRowVisible; }

bool TDBLookupGridEx::IsCell3D(int ACol, int ARow, TGridDrawState State, const TRect& ARect) {
  if (FSpecRow->Visible() && ARow == TopDataOffset() - 1) return false;
  return TCustomDBGridEx::IsCell3D(ACol, ARow, State, ARect);
}

TColumnDefValuesEx* TDBLookupGridEx::CreateColumnDefValues() {
  return new TDBLookupGridColumnDefValuesEx(this);
}

TDBGridColumnsEx* TDBLookupGridEx::CreateColumnCollection() {
  return new TDBGridColumnsEx(this, [](TCollection* C) { return new TDBLookupGridColumnEx(C); });
}

int TDBLookupGridEx::STFilterRowCount() {
  return TCustomDBGridEx::STFilterRowCount() + (FSpecRow && FSpecRow->Visible() ? 1 : 0);
}

void TDBLookupGridEx::HandleDataSetChanged() {
  TCustomDBGridEx::HandleDataSetChanged();
  ListLinkDataChanged();
}

void TDBLookupGridEx::BuildFieldMap() {
  if (Columns()->State() == csCustomized) {
    TCustomDBGridEx::BuildFieldMap();
    return;
  }
  ListLink()->SetSparseMap(false);
  for (db::TField* f : FListFields) ListLink()->AddMapping(f->FieldName());
}

void TDBLookupGridEx::CollectDataSetFields(std::vector<db::TField*>& List) { List = FListFields; }

void TDBLookupGridEx::DataLinkActiveChanged(bool Value) {
  if (IsDestroying()) return;
  try {
    UpdateListFields();
  } catch (...) {
    TCustomDBGridEx::DataLinkActiveChanged(Value);
    throw;
  }
  TCustomDBGridEx::DataLinkActiveChanged(Value);
  UpdateColumnWidths();
}

void TDBLookupGridEx::ScrollData(int Distance) {
  LockUpdate();
  try {
    TCustomDBGridEx::ScrollData(Distance);
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
  ListLinkDataChanged();
}

void TDBLookupGridEx::RecountRows() {
  if (FRecounting) return;
  {
    lookup_detail::FlagScope recounting(FRecounting);
    TCustomDBGridEx::RecountRows();
  }
  if (FSpecRow) ListLinkDataChanged();
}

int TDBLookupGridEx::KeyRowInWindow() {
  if (FKeyValue.IsNull() || !ListLink()->Active()) return -1;
  const int old = SetDrawRecord(0);
  int found = -1;
  try {
    for (int i = 0; i < ListLink()->RecordCount() && found < 0; ++i) {
      ListLink()->SetActiveRecord(i);
      if (VariantsEqual(CurrentRecordKey(), FKeyValue)) found = i;
    }
  } catch (...) {
    RestoreDrawRecord(old);
    throw;
  }
  RestoreDrawRecord(old);
  return found;
}

void TDBLookupGridEx::SyncCurrentRow() {
  FKeyRowVisible = false;
  if (!ListLink()->Active() || !HandleAllocated() || IsLoading() || !FSpecRow) return;
  int row = -1;
  if (UsesMemTableView()) {
    if (!FKeyValue.IsNull() && VariantsEqual(CurrentRecordKey(), FKeyValue))
      row = ListLink()->DataSet()->RecNo() - 1;
  } else {
    row = KeyRowInWindow();
  }
  if (row < 0) return;
  const int gridRow = row + TopDataOffset();
  if (gridRow != Row() && gridRow < TCustomGridEx::RowCount()) {
    if (!TCustomDBGridEx::Options().Contains(dgAlwaysShowEditor)) LeaveEditorMode();
    MoveToCell(Col(), gridRow, false, false, true);
    RefreshEditorPlacement();
  }
  FKeyRowVisible = true;
}

void TDBLookupGridEx::SyncVertScrollBar() {
  if (!FSpecRow) {
    TCustomDBGridEx::SyncVertScrollBar();
    return;
  }
  if (UsesMemTableView()) {
    TCustomDBGridEx::SyncVertScrollBar();
    return;
  }
  if (!HandleAllocated()) return;
  TScrollInfo cur;
  cur.fMask = SIF_ALL;
  VertScrollBar()->GetScrollInfo(cur);
  TScrollInfo next;
  next.nMin = 0;
  next.nMax = 0;
  next.nPage = 0;
  next.nPos = 0;
  db::TDataSet* list = ListLink()->DataSet();
  if (!FListActive || !list) {
    next.nMax = 2;
  } else if (list->IsSequenced()) {
    next.nPage = static_cast<unsigned>(std::max(0, FRowCount));
    next.nMax = std::max(0, list->RecordCount() - 1);
    const db::TDataSetState state = list->State();
    if (state == db::dsBrowse || state == db::dsEdit)
      next.nPos = std::max(0, list->RecNo() - ListLink()->ActiveRecord() - 1);
  } else if (FRowCount == ListLink()->RecordCount()) {
    next.nMax = 4;
    next.nPos = list->Bof() ? 0 : list->Eof() ? 4 : 2;
  }
  ApplyVertScrollInfo(next, cur);
}

bool TDBLookupGridEx::HighlightDataCellColor(int, int, TFont* AFont, TColor& AColor, TGridDrawState,
                                             const String&) {
  if (FKeyValue.IsNull() || !ListLink()->Active() || UpdateLock() != 0) return false;
  if (!VariantsEqual(CurrentRecordKey(), FKeyValue)) return false;
  AColor = clHighlight;
  AFont->SetColor(clHighlightText);
  return true;
}

// --- the special row's cells ----------------------------------------------------------

bool TDBLookupGridEx::DrawFixedCell(int ACol, int ARow, TGridDrawState State, TRect ARect, bool IsTitle,
                                    int DataCol) {
  if (!FSpecRow->Visible() || ARow != TopDataOffset() - 1)
    return TCustomDBGridEx::DrawFixedCell(ACol, ARow, State, ARect, IsTitle, DataCol);
  TCanvas* cv = Canvas();
  auto* column = DataCol >= 0 && DataCol < Columns()->Count()
                     ? dynamic_cast<TDBLookupGridColumnEx*>(Columns()->ColumnAt(DataCol))
                     : nullptr;
  const bool selected = FSpecRow->Selected();
  cv->SetFont(column ? column->SpecCell()->Font() : FSpecRow->Font());
  TColor back = column ? column->SpecCell()->Color() : FSpecRow->Color();
  if (selected) {
    back = clHighlight;
    cv->Font()->SetColor(clHighlightText);
  }
  cv->Brush()->SetColor(back);
  const String text = column ? column->SpecCell()->Text() : FSpecRow->CellTextAt(DataCol);
  const TAlignment alignment = column ? column->Alignment() : taLeftJustify;
  WriteCellText(ARect, true, 2, 2, text, alignment, tlTop, false, false, 0, 0,
                column && column->UseRightToLeftAlignment());
  if (!selected) return false;
  cv->Font()->SetColor(clWindowText);
  cv->Brush()->SetColor(clWindow);
  // One dotted frame round the whole row: each cell draws its part of it.
  const TRect row = CellRangeRect(0, ARow, ColCount() - 1, ARow);
  cv->Pen()->SetColor(clWindowText);
  const int left = std::max(ARect.Left, row.Left), right = std::min(ARect.Right, row.Right);
  if (right > left) {
    DrawDottedLine(cv, {left, row.Top}, right - left, false, true);
    DrawDottedLine(cv, {left, row.Bottom - 1}, right - left, false, true);
  }
  if (ARect.Left <= row.Left) DrawDottedLine(cv, {row.Left, row.Top}, row.Height(), false, false);
  if (ARect.Right >= row.Right) DrawDottedLine(cv, {row.Right - 1, row.Top}, row.Height(), false, false);
  return false;
}

// --- scrolling the list --------------------------------------------------------------------

void TDBLookupGridEx::HandleVScroll(int Code) {
  FSearchText.clear();
  db::TDataSet* list = ListLink()->DataSet();
  if (!FListActive || !list) return;
  TScrollInfo si;
  si.fMask = SIF_ALL;
  VertScrollBar()->GetScrollInfo(si);
  const int pos = si.nTrackPos;
  const int I = ListLink()->ActiveRecord(), N = ListLink()->RecordCount();
  switch (Code) {
    case SB_LINEUP:
      list->MoveBy(-I - 1);
      break;
    case SB_LINEDOWN:
      list->MoveBy(N - I);
      break;
    case SB_PAGEUP:
      list->MoveBy(1 - N - I);
      break;
    case SB_PAGEDOWN:
      list->MoveBy(2 * N - I - 2);
      break;
    case SB_THUMBPOSITION:
      switch (pos) {
        case 0:
          list->First();
          break;
        case 1:
          list->MoveBy(1 - N - I);
          break;
        case 3:
          list->MoveBy(2 * N - I - 2);
          break;
        case 4:
          list->Last();
          break;
        default:
          break;
      }
      break;
    case SB_THUMBTRACK:
      if (list->IsSequenced()) {
        // The list window's first record goes to the track position.
        const int current = list->RecNo() - 1, top = current - I;
        if (pos < top)
          list->MoveBy(pos - current);
        else if (pos > top)
          list->MoveBy(pos + N - 1 - current);
      }
      break;
    case SB_TOP:
      list->First();
      break;
    case SB_BOTTOM:
      list->Last();
      break;
    default:
      break;
  }
}

bool TDBLookupGridEx::WheelStep(TShiftState Shift, TPoint MousePos, bool Down) {
  db::TDataSet* list = ListLink()->DataSet();
  if (!list) return true;
  const bool plain = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  if (UsesMemTableView()) {
    if (plain)
      return Down ? TCustomDBGridEx::DoMouseWheelDown(Shift, MousePos)
                  : TCustomDBGridEx::DoMouseWheelUp(Shift, MousePos);
    return true;
  }
  if (!ListLink()->Active()) return true;
  const int I = ListLink()->ActiveRecord(), N = ListLink()->RecordCount();
  list->MoveBy(Down ? N - I : -I - 1);
  return true;
}

bool TDBLookupGridEx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  return WheelStep(Shift, MousePos, true);
}

bool TDBLookupGridEx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  return WheelStep(Shift, MousePos, false);
}

void TDBLookupGridEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_VSCROLL:
      if (UsesMemTableView()) {
        FSearchText.clear();
        TCustomDBGridEx::Dispatch(Message);
      } else {
        HandleVScroll(LoWord(Message.WParam));
      }
      return;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_TIMER:
      if (Message.WParam == kTrackingTimer) {
        HandleTrackingTimer();
        return;
      }
      break;
    default:
      break;
  }
  TCustomDBGridEx::Dispatch(Message);
}

// --- keys ------------------------------------------------------------------------------------

void TDBLookupGridEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  bool step = CanModifyKey();
  int delta = 0;
  if (step) {
    switch (Key) {
      case VK_PRIOR:
        delta = -std::max(1, VisibleDataRowCount());
        break;
      case VK_NEXT:
        delta = std::max(1, VisibleDataRowCount());
        break;
      case VK_HOME:
      case VK_END:
        break;
      case VK_UP:
        delta = -1;
        break;
      case VK_DOWN:
        delta = 1;
        break;
      case VK_LEFT:
      case VK_RIGHT:
        if (ScrollBarVisible(SB_HORZ))
          step = false;
        else
          delta = Key == VK_LEFT ? -1 : 1;
        break;
      default:
        step = false;
        break;
    }
  }
  if (!step) {
    TCustomDBGridEx::DoKeyDown(Key, Shift);
    return;
  }
  TCustomControl::DoKeyDown(Key, Shift);
  if (Key == 0) return;
  const std::uint16_t key = Key;
  Key = 0;
  FSearchText.clear();
  db::TDataSet* list = ListLink()->DataSet();
  const bool backward = delta < 0;
  if (backward && (list->Bof() || FSpecRow->Selected()) && FSpecRow->Visible()) {
    SelectSpecRow();
    list->First();
    return;
  }
  if ((delta > 0 && FSpecRow->Selected()) || key == VK_HOME) {
    list->First();
  } else if (key == VK_END) {
    list->Last();
  } else {
    if (!UsesMemTableView()) {
      const int keyRow = KeyRowInWindow();
      if (keyRow >= 0) {
        ListLink()->SetActiveRecord(keyRow);
      } else {
        KeyValueChanged();
        delta = 0;
      }
    }
    const int moved = list->MoveBy(delta);
    if (moved == 0 && backward && FSpecRow->Visible() && !FSpecRow->Selected()) {
      SelectSpecRow();
      return;
    }
  }
  SelectCurrent();
}

void TDBLookupGridEx::DoEnter() {
  FSearchText.clear();
  FHasFocus = true;
  TCustomDBGridEx::DoEnter();
  Invalidate();
}

void TDBLookupGridEx::DoExit() {
  FHasFocus = false;
  TCustomDBGridEx::DoExit();
  Invalidate();
}

// --- mouse ----------------------------------------------------------------------------------

// The tree area of a memory table's tree view is drawn and hit-tested by the
// grid's tree support; without it no point is on a tree button.
bool TDBLookupGridEx::OnTreeElement(int, int) { return false; }

bool TDBLookupGridEx::OnSelectionArea(int X, int Y) {
  if (OnTreeElement(X, Y)) return false;
  if (FSpecRow->Visible() && Y >= TitlesHeight() && Y < TitlesHeight() + FSpecRowHeight) return true;
  const TGridCoord cell = MouseCoord(X, Y);
  return cell.X >= IndicatorOffset() && cell.X < ColCount() && cell.Y >= TopDataOffset() &&
         cell.Y < TCustomGridEx::RowCount();
}

void TDBLookupGridEx::SelectItemAt(int X, int Y) {
  const int titles = TitlesHeight();
  if (FSpecRow->Visible() && Y >= titles && Y < titles + FSpecRowHeight) {
    SelectSpecRow();
    return;
  }
  if (Y < titles + FSpecRowHeight) return;
  if (Y >= ClientHeight()) Y = ClientHeight() - 1;
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < IndicatorOffset() || cell.Y < TopDataOffset() || cell.Y >= TCustomGridEx::RowCount()) return;
  db::TDataSet* list = ListLink()->DataSet();
  if (!list || !ListLink()->Active()) return;
  list->MoveBy(cell.Y - TopDataOffset() - ListLink()->ActiveRecord());
  SelectCurrent();
}

void TDBLookupGridEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!OnSelectionArea(X, Y)) {
    TCustomDBGridEx::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FSearchText.clear();
  if (!FPopup && !TakeFocus()) return;
  if (!CanModifyKey()) return;
  if (Shift.Contains(ssDouble)) {
    if ((Y - TitlesHeight()) / std::max(1, GetDataRowHeight()) == FRecordIndex) DblClick();
    return;
  }
  if (!MouseCapture()) return;
  FSelectionTracking = true;
  if (Y >= TitlesHeight()) SelectItemAt(X, Y);
}

void TDBLookupGridEx::MouseMove(TShiftState Shift, int X, int Y) {
  if (!FSelectionTracking) {
    TCustomDBGridEx::MouseMove(Shift, X, Y);
    return;
  }
  SelectItemAt(X, Y);
  FMousePos = Y;
  HandleTrackingTimer();
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TDBLookupGridEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (!FSelectionTracking) {
    TCustomDBGridEx::MouseUp(Button, Shift, X, Y);
    return;
  }
  FSelectionTracking = false;
  KillTrackingTimer();
  if (Y >= TitlesHeight()) SelectItemAt(X, Y);
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TDBLookupGridEx::HandleTrackingTimer() {
  db::TDataSet* list = ListLink()->DataSet();
  int direction = 0, distance = 0;
  if (FMousePos < 0) {
    direction = -1;
    distance = -FMousePos;
  } else if (FMousePos >= ClientHeight()) {
    direction = 1;
    distance = FMousePos - ClientHeight() + 1;
  }
  if (direction == 0 || !list || !ListLink()->Active()) {
    KillTrackingTimer();
    return;
  }
  if (direction < 0 && FSpecRow->Visible() && list->Bof()) {
    SelectSpecRow();
  } else if (list->MoveBy(direction) != 0) {
    SelectCurrent();
  }
  SetTrackingTimer(LookupAutoScrollInterval(distance));
}

void TDBLookupGridEx::SetTrackingTimer(unsigned Interval) {
  if (FTrackingInterval == Interval) return;
  FTrackingInterval = Interval;
  SetGridTimer(static_cast<int>(Interval));
}

void TDBLookupGridEx::KillTrackingTimer() {
  if (FTrackingInterval == 0) return;
  FTrackingInterval = 0;
  KillGridTimer();
}

}  // namespace grid
