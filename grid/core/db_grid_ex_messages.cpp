// The window and control messages the data grid adds to the base grid's
// handling: size changes, cursors, focus, dialog codes, inherited fonts and
// colours, commands of child windows, cancel mode, and the top-left and
// editor hooks of the base grid.
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/inplace_filter_edit_ex.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/inplace_edit.h"
#include "grid/editor_support/button_faces.h"
#include "platform/data/dataset.h"
#include "platform/ui/keys.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

bool TCustomDBGridEx::DispatchBehaviourMessage(TMessage& M) {
  switch (M.Msg) {
    case WM_SIZE:
      HandleWmSize(M);
      return true;
    case WM_SETCURSOR:
      HandleWmSetCursor(M);
      return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      HandleFocusMessage(M);
      return true;
    case WM_GETDLGCODE:
      TCustomGridEx::Dispatch(M);
      if (FOptionsEx.Contains(dghPreferIncSearch)) M.Result |= DLGC_WANTCHARS;
      return true;
    case CM_WANTSPECIALKEY: {
      TCustomGridEx::Dispatch(M);
      // Escape then cancels the edit instead of reaching the form's Cancel button.
      db::TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
      if (static_cast<std::uint16_t>(M.WParam) == VK_ESCAPE && ds && ds->Modified()) M.Result = 1;
      return true;
    }
    case WM_ERASEBKGND:
      M.Result = 1;
      return true;
    case WM_IME_STARTCOMPOSITION:
      // Composed text goes into the cell editor, as typed characters do.
      TCustomGridEx::Dispatch(M);
      SetEditorMode(true);
      return true;
    case WM_NCCALCSIZE:
      // A flat grid with a border draws that border itself, round its client
      // area. The window layer's controls have the 3D look always.
      TCustomGridEx::Dispatch(M);
      FBorderWidth = Flat() && BorderStyle() == bsSingle ? 1 : 0;
      reinterpret_cast<TRect*>(M.LParam)->Inflate(-FBorderWidth, -FBorderWidth);
      return true;
    case WM_NCPAINT: {
      TCustomGridEx::Dispatch(M);
      TWindowCanvas window(this);
      PaintFlatBorder(&window);
      return true;
    }
    case WM_COMMAND: {
      TCustomGridEx::Dispatch(M);
      auto* from = reinterpret_cast<TWinControl*>(M.LParam);
      if (HiWord(M.WParam) == EN_CHANGE && from && from != static_cast<TWinControl*>(InplaceEditor()) &&
          from != this)
        M.Result = from->Perform(CN_COMMAND, M.WParam, M.LParam);
      if (HiWord(M.WParam) == EN_CHANGE && FFilterEdit && from == static_cast<TWinControl*>(FFilterEdit))
        FilterEditTextChanged();
      return true;
    }
    case CM_PARENTFONTCHANGED:
      TCustomGridEx::Dispatch(M);
      if (ParentFont()) {
        // Flagged, so that the fonts' change handlers keep ParentFont on.
        auto follow = [this](TFont* Target, bool& Flag) {
          Flag = true;
          try {
            Target->Assign(Font());
          } catch (...) {
            Flag = false;
            throw;
          }
          Flag = false;
        };
        follow(FTitleFont.get(), FSelfChangingTitleFont);
        follow(FFooterFont.get(), FSelfChangingFooterFont);
        LayoutChanged();
      }
      return true;
    case CM_PARENTCOLORCHANGED:
      TCustomGridEx::Dispatch(M);
      if (ParentColor()) {
        SetFooterColor(Color());
        Invalidate();
      }
      return true;
    case CM_FONTCHANGED:
      TCustomGridEx::Dispatch(M);
      LockLayout();
      try {
        for (int i = 0; i < FColumns->Count(); ++i) FColumns->ColumnAt(i)->Title()->RefreshDefaultFont();
        if (FDataGrouping) FDataGrouping->RefreshParentFont();
      } catch (...) {
        UnlockLayout();
        throw;
      }
      UnlockLayout();
      return true;
    case CM_SYSCOLORCHANGE:
      TCustomGridEx::Dispatch(M);
      // The cached button faces were drawn in the old colours.
      FlushButtonBitmapCache();
      return true;
    case CM_MOUSELEAVE: {
      const TGridCoord hot = HotTrackCell();
      TCustomGridEx::Dispatch(M);
      if (FOptionsEx.Contains(dghHotTrack) && hot.Y >= TopDataOffset() && hot.Y < RowCount()) {
        FHotTrackCell = {-1, -1};
        InvalidateCellRange({0, hot.Y, FullColCount() - 1, hot.Y});
      }
      return true;
    }
    case WM_CANCELMODE:
      TCustomGridEx::Dispatch(M);
      // Closing the list cancels the capture holder's mode itself: not again from here.
      if (FInTitleFilterListboxVisible && GetCaptureControl() != this) CloseTitleFilterListbox(false);
      return true;
    case CM_DESIGNHITTEST:
      if (!Designing()) return false;
      HandleDesignHitTest(M);
      return true;
    case CM_HINTSHOW:
      HandleCmHintShow(M);
      return true;
    case CM_HINTSHOWPAUSE:
      HandleCmHintShowPause(M);
      return true;
    default:
      return false;
  }
}

// The column's filter follows the filter editor as the user types, so that
// its list marks what the text says. Text still being typed may not parse
// yet: it stays in the editor, and the commit on Enter or on leaving the
// cell reports it. The editor is not re-placed meanwhile, which would
// reload its text and select it all under the user's hands.
void TCustomDBGridEx::FilterEditTextChanged() {
  if (FFilterCol < 0 || FFilterCol >= FColumns->Count() || !FFilterEditMode) return;
  if (FFilterEdit->Text() == ColumnFilterText(FFilterCol)) return;
  FSTFilter->BeginUpdate();
  try {
    CommitFilterEditText();
  } catch (const rtl::Exception&) {
  }
  FSTFilter->EndUpdate();
}

void TCustomDBGridEx::WndProc(TMessage& M) {
  // Automatic dragging would start on every press; the grid's own mouse
  // handling decides when a press becomes a drag.
  if (DragMode() == dmAutomatic && !Designing() && (M.Msg == WM_LBUTTONDOWN || M.Msg == WM_LBUTTONDBLCLK)) {
    SetDragMode(dmManual);
    FAutoDrag = true;
    try {
      TCustomGridEx::WndProc(M);
    } catch (...) {
      FAutoDrag = false;
      SetDragMode(dmAutomatic);
      throw;
    }
    FAutoDrag = false;
    SetDragMode(dmAutomatic);
    return;
  }
  TCustomGridEx::WndProc(M);
}

void TCustomDBGridEx::UnlockUpdate() {
  if (FUpdateLock > 0) --FUpdateLock;
  if (FUpdateLock == 0 && FSizeChanged && !IsLoading() && !IsDestroying()) {
    FSizeChanged = false;
    RelayoutGrid();
  }
}

void TCustomDBGridEx::HandleWmSize(TMessage& M) {
  TCustomGridEx::Dispatch(M);
  if (FUpdateLock > 0) {
    // The layout at the end of the lock takes the new size.
    FSizeChanged = true;
  } else if (!FAutoFitColWidths || Designing()) {
    RecountRows();
    SyncVertScrollBar();
    if (FSTFilter) PlaceFilterEditor(false);
  } else {
    RelayoutGrid();
    RefreshEditorPlacement();
  }
  SyncHorzScrollBar();
  if (FRowDetailPanel && FRowDetailPanel->Visible()) PlaceRowDetailControl();
}

bool TCustomDBGridEx::SelectCursorAt(TPoint P, TCursor& Cursor) {
  if (Designing() || !FDataLink->Active() || !FOptions.Contains(dgMultiSelect)) return false;
  if (P.X < 0 || P.Y < 0 || P.X >= ClientWidth() || P.Y >= ClientHeight()) return false;
  if (FGridState != gsNormal || IsOverSizingLine(P.X, P.Y)) return false;
  const TGridCoord cell = MouseCoord(P.X, P.Y);
  if (cell.X < 0 || cell.Y < 0) return false;
  const int top = TopDataOffset();
  db::TDataSet* ds = FDataLink->DataSet();
  if (cell.X < FIndicatorOffset && cell.Y >= top && cell.Y < RowCount() && ds && !ds->IsEmpty() &&
      FAllowedSelections.Contains(gstRecordBookmarks)) {
    Cursor = UseRightToLeftAlignment() ? crLeftCurEh : crRightCurEh;
    return true;
  }
  if (CheckStartRowMoving(P.X, P.Y, true)) return false;
  // The cursor promises what a press there does: select the column.
  if (InColumnSelectZone(P.X, P.Y)) {
    const TRect r = CellBounds(cell.X, cell.Y);
    TRect button;
    if (TitleFilterButtonHitTest(cell, P, button, r) == 0) {
      Cursor = crDownCurEh;
      return true;
    }
  }
  return false;
}

void TCustomDBGridEx::HandleWmSetCursor(TMessage& M) {
  const bool client = static_cast<LRESULT>(LoWord(M.LParam)) == HTCLIENT;
  if (client && FDBGridExState == dgsColSizing) {
    ShowControlCursor(this, crHSplit);
    M.Result = 1;
    return;
  }
  TCursor cursor = crDefault;
  if (client && SelectCursorAt(FHitTest, cursor)) {
    ShowControlCursor(this, cursor);
    M.Result = 1;
    return;
  }
  TCustomGridEx::Dispatch(M);
}

void TCustomDBGridEx::HandleFocusMessage(TMessage& M) {
  const bool setting = M.Msg == WM_SETFOCUS;
  auto* other = reinterpret_cast<TWinControl*>(M.WParam);
  const bool editor = other && other == static_cast<TWinControl*>(InplaceEditor());
  if (setting && !editor) TakeColumnIme();
  if (!setting && FSortMarking) {
    FSortMarking = false;
    if (!editor) SortMarkingChanged();
  }
  if (FOptions.Contains(dgRowSelect) && HandleAllocated()) {
    TGridCellRangeEx r = SelectedRect();
    r.Left = std::max(0, r.Left - FixedCols());
    InvalidateCellRange(r);
  }
  TCustomGridEx::Dispatch(M);
  // Filtering keeps the focus in the filter editor; the editor handing it
  // back to the grid is how filtering ends.
  if (setting && FFilterEditMode && FFilterEdit && other != static_cast<TWinControl*>(FFilterEdit) &&
      FFilterEdit->Visible() && FFilterEdit->CanFocus())
    FFilterEdit->SetFocus();
  if (GridOrEditorFocused() != FSelectionActive) {
    InvalidateSelection();
    if (FEditButtonsShowOptions.Contains(sebShowOnlyWhenGridActiveEx) &&
        !FEditButtonsShowOptions.Contains(sebShowOnlyForCurCellEx) &&
        !FEditButtonsShowOptions.Contains(sebShowOnlyForCurRowEx))
      Invalidate();
  }
  if (!setting && FInTitleFilterListboxVisible) CloseTitleFilterListbox(false);
}

void TCustomDBGridEx::TakeColumnIme() {
  if (FColumns->Count() == 0) return;
  SetImeName(FOriginalImeName);
  SetImeMode(FOriginalImeMode);
  const int selected = SelectedIndex();
  if (selected >= 0 && selected < FColumns->Count()) {
    TColumnEx* column = FColumns->ColumnAt(selected);
    if (column->IsImeNameStored()) SetImeName(column->ImeName());
    if (column->IsImeModeStored()) SetImeMode(column->ImeMode());
  }
  if (InplaceEditor()) {
    InplaceEditor()->SetImeName(ImeName());
    InplaceEditor()->SetImeMode(ImeMode());
  }
}

// The layer applies the mode to the window as it is set.
void TCustomDBGridEx::ApplyColumnIme() { TakeColumnIme(); }

void TCustomDBGridEx::RepositionEditor() {
  const bool leftAtFixed = LeftCol() == FixedCols();
  if (leftAtFixed != FTopLeftVisible) {
    FTopLeftVisible = leftAtFixed;
    const int titles = TopDataOffset();
    if (titles > 0) InvalidateCellRange({0, 0, FullColCount() - 1, titles - 1});
  }
  TCustomGridEx::RepositionEditor();
  SyncHorzScrollBar();
  if (UsesMemTableView()) FetchRowsToFillWindow();
  PlaceFilterEditor(false);
  // A tree row's lines reach down to the rows below it: the row that was
  // cut off at the bottom before the scroll is drawn again whole.
  if (FIntMemTable && FIntMemTable->RecordViewsAreTree() && TopRow() > FOldTopLeft.Y && FOldTopLeft.Y > 0) {
    const int area = ClientHeight() - CellBounds(LeftCol(), TopRow()).Top;
    int height = 0;
    for (int r = FOldTopLeft.Y; r < RowCount(); ++r) {
      height += RowHeights(r) + GridLineWidth();
      if (height > area) {
        RepaintRow(r);
        break;
      }
    }
  }
  if (OnTopLeftChanged) OnTopLeftChanged(this);
  if (FRowDetailPanel->Visible()) PlaceRowDetailControl();
  FOldTopLeft = TopLeft();
}

void TCustomDBGridEx::AbortGridState() {
  // Ending the tracking puts the state back to normal; what was running
  // decides what else is undone.
  const TDBGridExState state = FDBGridExState;
  if (FRowPanelMoveCol >= 0) EndRowPanelColumnMove(false);
  TCustomGridEx::AbortGridState();
  FDSMouseCapture = false;
  EndMouseTracking();
  switch (state) {
    case dgsNormal:
      break;
    case dgsColSizing: {
      TGridDrawMetricsEx info;
      FillDrawInfo(info);
      DrawSizingLine(info);
      break;
    }
    case dgsGroupPanelTitleMoving:
      EndGroupPanelMoving(false);
      break;
    case dgsRowMoving:
      // The drop marker would otherwise stay on the screen.
      EndRowMoving(-1, -1, false);
      KillGridTimer();
      break;
    default:
      KillGridTimer();
      break;
  }
  FDBGridExState = dgsNormal;
}

void TCustomDBGridEx::EnterEditorMode() {
  if (FFilterEditMode) ResetSTFilterEditing();
  if (RowPanelActive()) ScrollRowPanelColumnIntoView(FInRowPanelCol);
  TCustomGridEx::EnterEditorMode();
}

void TCustomDBGridEx::LeaveEditorMode() {
  TCustomGridEx::LeaveEditorMode();
  if (RowPanelActive() && Row() < RowCount() && Col() < ColCount()) RepaintCell(Col(), Row());
  FInplaceColInRowPanel = -1;
  FInplaceRow = -1;
}

void TCustomDBGridEx::RestoreEditorMode() {
  if (FOptions.Contains(dgAlwaysShowEditor) && !FFilterEditMode)
    EnterEditorMode();
  else
    LeaveEditorMode();
}

void TCustomDBGridEx::FlatUpdated() {
  FInterlinear = Flat() ? 2 : 4;
  FBorderWidth = Flat() && BorderStyle() == bsSingle ? 1 : 0;
  // The border comes or goes with a new window.
  if (HandleAllocated()) RecreateWnd();
  LayoutChanged();
}

}  // namespace grid
