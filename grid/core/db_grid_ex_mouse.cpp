// The data grid's mouse: presses on titles (title clicks, sorting, column
// moving after a short drag), on the indicator and data cells (the current
// record, selections of records, rectangles and columns), on sizing lines
// (frozen title columns, live sizing); the click events; hot tracking; and
// the column moves and width changes the base grid reports.
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/edit_buttons.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/data/dataset.h"
#include "platform/runtime/ticks.h"

namespace grid {

using namespace ui;

namespace {

// A press moved further than this on either axis is a drag, not a click.
constexpr int kDragThreshold = 3;
constexpr TColor kSizingPenColor = 0xC0C0C0;
constexpr int kColumnSelectZone = 7;

bool MovedBeyondThreshold(TPoint From, TPoint To) {
  return std::abs(To.X - From.X) > kDragThreshold || std::abs(To.Y - From.Y) > kDragThreshold;
}

}  // namespace

// The layer reports a double click before the press; the press decides
// whether it counts (not on a sizing edge that fits the column).
void TCustomDBGridEx::DblClick() {}

bool TCustomDBGridEx::InColumnSelectZone(int X, int Y) {
  if (!FOptions.Contains(dgTitles) || FOptions.Contains(dgRowSelect) || !CanSelectType(gstColumns))
    return false;
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < FIndicatorOffset || cell.Y != 0 || cell.X >= ColCount()) return false;
  const int dataCol = GridColToDataCol(cell.X);
  if (dataCol < 0 || dataCol >= FColumns->Count()) return false;
  const TRect r = CellBounds(cell.X, cell.Y);
  return Y >= r.Bottom - kColumnSelectZone;
}

// --- press -------------------------------------------------------------------------------

void TCustomDBGridEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    SetMouseCapture(true);
    if (Designing()) FDSMouseCapture = true;
  }
  FGroupDataMovingIndex = -1;
  FStartShiftState = Shift;
  FPressedCell = {-1, -1};
  FPressedDataCol = -1;
  FDownMousePos = {X, Y};
  FMoveMousePos = {X, Y};
  FDownMouseMessageTime = static_cast<std::uint32_t>(rtl::GetTickCount());
  if (!TakeFocus()) {
    SetMouseCapture(false);
    return;
  }
  const TGridCoord cell = MouseCoord(X, Y);
  const int top = TopDataOffset();
  const int dataCol = GridColToDataCol(cell.X);
  TColumnEx* column = dataCol >= 0 && dataCol < FColumns->Count() && cell.X < ColCount()
                          ? FColumns->ColumnAt(dataCol)
                          : nullptr;
  const bool dataRow = cell.Y >= top && cell.Y < RowCount();

  if (RowPanelActive() && cell.Y >= 0 && cell.Y < TitleRowCount() && cell.X >= FIndicatorOffset &&
      !Shift.Contains(ssDouble) && RowPanelTitleMouseDown(Button, Shift, X, Y))
    return;
  if (dataRow && cell.X >= 0 && DataGroupingWorks() && GroupRowMouseDown(X, Y)) return;
  if (Y >= 0 && Y < OutBoundaryData()->TopIndent()) {
    GroupPanelMouseDown(Button, Shift, X, Y);
    TControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (dataRow && cell.X >= 0 && FilterEditorActive()) SetFilterEditMode(false);

  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  TGridState sizing = gsNormal;
  int index = -1, pos = 0, ofs = 0;
  const bool frozenSizing = DetectFrozenColSizing(X, Y, index, pos, ofs);
  if (!frozenSizing) DetectSizingState(X, Y, info, sizing, index, pos, ofs);

  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    if (RowPanelActive() && sizing == gsColSizing && cell.Y >= 0 && cell.Y < TitleRowCount()) {
      WidenRowPanelColumnToNeighbour(index);
      TControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    if ((frozenSizing || sizing == gsColSizing) && FOptionsEx.Contains(dghDblClickOptimizeColWidth)) {
      const int sized = GridColToDataCol(index);
      if (sized >= 0 && sized < FColumns->Count()) OptimizeColumnWidths(FColumns->ColumnAt(sized));
    } else {
      if (dataRow && FDataLink->Active() && core_detail::IsCheckOrImageColumn(column) &&
          column->DblClickNextVal() && column->CanModify(true))
        column->StepCellValue(Shift.Contains(ssShift) ? -1 : 1);
      TControl::DblClick();
    }
    TControl::MouseDown(Button, Shift, X, Y);
    return;
  }

  if (frozenSizing || sizing != gsNormal) {
    FDataLink->UpdateRecord();
    if (frozenSizing && Button == mbLeft) {
      FDBGridExState = dgsColSizing;
      FSizingIndex = index;
      FSizingPos = pos;
      FSizingOfs = ofs;
      if (!FOptionsEx.Contains(dghTraceColSizing)) DrawFrozenSizingLine(ClientWidth(), ClientHeight());
      TControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    if (sizing == gsColSizing && FOptionsEx.Contains(dghTraceColSizing) && Button == mbLeft && !RowPanelActive()) {
      FGridState = gsColSizing;
      FSizingIndex = index;
      FSizingPos = pos;
      FSizingOfs = ofs;
      TControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    TCustomGridEx::MouseDown(Button, Shift, X, Y);
    return;
  }

  // On a multi-title, a press on the shared header above the leaf is no title press.
  bool leafPart = true;
  if (cell.Y == 0 && IsUseMultiTitle() && dataCol >= 0 && dataCol < static_cast<int>(FLeafFieldArr.size()) &&
      FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf)
    leafPart = Y >= CellBounds(cell.X, cell.Y).Bottom -
                        FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf->Height;

  if (cell.Y >= 0 && cell.Y < top) {
    if (InColumnSelectZone(X, Y) && column) {
      RepaintColumn(cell.X);
      FDBGridExState = dgsColSelecting;
      SetGridTimer(60);
      if (Shift.Contains(ssShift)) {
        FSelection->Columns()->SelectShift(column);
      } else if (Shift.Contains(ssCtrl)) {
        FSelection->Columns()->InvertSelect(column);
        RepaintColumn(cell.X);
      } else {
        Invalidate();
        FSelection->Columns()->Select(column, false);
      }
      return;
    }
    if (cell.Y == 0 && column && leafPart && !Designing()) {
      if (TitleFilterButtonMouseDown(cell, column, X, Y)) return;
      TMouseButton button = Button;
      if (FOptionsEx.Contains(dghColumnMove) && Button == mbRight) {
        FSwapButtons = true;
        button = mbLeft;
      }
      if (button == mbLeft && column->Title()->TitleButton() && CheckTitleButton(dataCol, column) &&
          MouseCapture()) {
        FTracking = true;
        FPressedCol = cell.X;
        FPressedDataCol = dataCol;
        TrackTitlePress(X, Y);
        return;
      }
    }
    if (cell.X == 0 && cell.Y == 0 && FIndicatorOffset > 0) {
      const TRect r = CellBounds(0, 0);
      IndicatorTitlePressed(cell, Button, Shift, X - r.Left, Y - r.Top);
      RefreshEditorPlacement();
    }
    FDataLink->UpdateRecord();
    Canvas()->Pen()->SetColor(kSizingPenColor);
    TCustomGridEx::MouseDown(FSwapButtons ? mbLeft : Button, Shift, X, Y);
    return;
  }

  if (!dataRow || cell.X < 0) {
    TControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  // Records are dragged with the left button; the right one keeps its menus.
  if (!FDataLink->Active() || (Button == mbLeft && CheckStartRowMoving(X, Y, false)) ||
      TreeElementMouseDown(X, Y, false)) {
    TControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (RowPanelActive()) {
    RowPanelDataMouseDown(cell, X, Y);
    TControl::MouseDown(Button, Shift, X, Y);
    return;
  }

  db::TDataSet* ds = FDataLink->DataSet();
  const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  const bool inIndicator = cell.X < FIndicatorOffset;
  const bool rowTarget = FOptions.Contains(dgRowSelect) || inIndicator;
  LockUpdate();
  try {
    FDataLink->UpdateRecord();
    LeaveEditorMode();
    const int oldCol = Col(), oldRow = Row();
    const int oldDataCol = SelectedIndex();
    const TBytes oldBookmark = ds->GetBookmark();
    // A press on the detail sign opens the panel under a row that stays where it is.
    const bool onDetailSign = FRowDetailPanel->Active() && RowDetailSignMouseDown(X, Y);
    // Moving closes an open panel; the sign of another record opens its own.
    const bool openDetail = cell.Y != Row() || !FRowDetailPanel->Visible();
    const bool lockedShow = FLockAutoShowCurCell;
    if (onDetailSign) FLockAutoShowCurCell = true;
    try {
      if (!(shift && FOptions.Contains(dgMultiSelect) && rowTarget)) MoveBy(cell.Y - Row());
    } catch (...) {
      FLockAutoShowCurCell = lockedShow;
      throw;
    }
    FLockAutoShowCurCell = lockedShow;
    if (onDetailSign) {
      FRowDetailPanel->SetVisible(openDetail);
      UnlockUpdate();
      TControl::MouseDown(Button, Shift, X, Y);
      return;
    }
    if (!inIndicator && column) SelectDataColumn(dataCol, 0, false);
    if (MouseCapture()) {
      const bool cellSelected = FSelection->SelectionType() != gstNon && column &&
                                FSelection->DataCellSelected(dataCol, ds->GetBookmark());
      if (DragMode() == dmAutomatic && Button == mbLeft && !shift && cellSelected) {
        FSelectedCellPressed = true;
      } else {
        if (!inIndicator && (!FOptions.Contains(dgMultiSelect) || !FOptions.Contains(dgRowSelect))) {
          FTracking = true;
          FDataTracking = true;
          if (!ctrl && !shift && FOptionsEx.Contains(dghClearSelection) &&
              (Button != mbRight || !cellSelected))
            ClearSelection();
          if (CanSelectType(gstRectangle) && Button == mbLeft && !ds->IsEmpty()) {
            if (shift) {
              if (FSelection->SelectionType() != gstRectangle)
                FSelection->Rect()->Select(oldDataCol, oldBookmark, false);
              FSelection->Rect()->Select(dataCol, ds->GetBookmark(), true);
            } else {
              FSelection->Rect()->Select(dataCol, ds->GetBookmark(), false);
            }
            FDBGridExState = dgsRectSelecting;
          }
        }
        if (CanSelectType(gstRecordBookmarks) && (rowTarget || !CanSelectType(gstRectangle))) {
          FAntiSelection = ctrl || !FOptionsEx.Contains(dghClearSelection);
          if (shift && cell.Y != oldRow) {
            MoveRecordSelecting(true, cell.Y - Row(), true, false);
          } else if ((ctrl || !FOptionsEx.Contains(dghClearSelection)) && Button == mbLeft) {
            FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
          } else if (Button == mbLeft) {
            ClearSelectionIfAsked();
            FBookmarks->SetCurrentRowSelected(true);
          }
          if (rowTarget || !CanSelectType(gstRectangle)) {
            FIndicatorPressed = true;
            FTracking = true;
            FSelecting = true;
            FSelectionAnchor = ds->GetBookmark();
            FSelectionAnchorSelected = !FBookmarks->CurrentRowSelected();
            FDBGridExState = dgsRowSelecting;
          }
        }
        if (Button == mbLeft) {
          const TRect cellRect = CellBounds(cell.X, cell.Y);
          const int buttonsWidth = column ? CellEditButtonsWidth(column) : 0;
          const bool onButtons =
              column && buttonsWidth > 0 &&
              (RightToLeft() ? X < cellRect.Left + buttonsWidth : X >= cellRect.Right - buttonsWidth);
          if (AlwaysShowsEditor() || FOptions.Contains(dgAlwaysShowEditor) || onButtons ||
              (cell.X == oldCol && cell.Y == oldRow)) {
            if (!inIndicator) EnterEditorMode();
          }
          TInplaceEdit* editor = InplaceEditor();
          if (onButtons && editor && editor->Visible()) {
            EndMouseTracking();
            const TPoint at{X - editor->Left(), Y - editor->Top()};
            editor->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(at.X, at.Y));
          }
          if (core_detail::IsCheckOrImageColumn(column)) FPressedCell = cell;
        } else {
          RefreshEditorPlacement();
        }
      }
    }
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
  TControl::MouseDown(Button, Shift, X, Y);
}

// --- presses the cell press hands on -------------------------------------------------------

bool TCustomDBGridEx::TitleFilterButtonMouseDown(TGridCoord Cell, TColumnEx* Column, int X, int Y) {
  TRect button;
  if (TitleFilterButtonHitTest(Cell, {X, Y}, button, CellBounds(Cell.X, Cell.Y)) == 0) return false;
  // While the list is open a press on this button must not close it as a
  // press elsewhere would; the press itself decides.
  FTrackingStateRect = button;
  if (FInTitleFilterListboxVisible)
    CloseTitleFilterListbox(false);
  else
    ShowTitleFilterListbox(Column);
  InvalidateTitle();
  return true;
}

int TCustomDBGridEx::RowPanelColumnAt(int X, int Y, bool Title) {
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < FIndicatorOffset || cell.Y < 0 || cell.X >= ColCount() || cell.Y >= RowCount()) return -1;
  const TRect r = RowPanelMasterCellRect(cell.Y);
  TColumnEx* column = GetColumnInRowPanelAtPos(TPoint{X - r.Left, Y - r.Top}, Title);
  return column && column->Visible() ? column->Index() : -1;
}

bool TCustomDBGridEx::RowPanelTitleMouseDown(TMouseButton Button, TShiftState, int X, int Y) {
  // Sizing edges are the common sizing detection's.
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  TGridState sizing = gsNormal;
  int index = -1, pos = 0, ofs = 0;
  DetectSizingState(X, Y, info, sizing, index, pos, ofs);
  if (sizing != gsNormal) return false;
  if (FOptionsEx.Contains(dghColumnMove) && Button == mbRight) {
    FSwapButtons = true;
    return true;
  }
  if (Button != mbLeft) return true;
  const int dataCol = RowPanelColumnAt(X, Y, true);
  if (dataCol < 0) return true;
  TColumnEx* column = FColumns->ColumnAt(dataCol);
  const TGridCoord cell = MouseCoord(X, Y);
  FPressedDataCol = dataCol;
  if (TitleFilterButtonMouseDown(cell, column, X, Y)) return true;
  if (!Designing() && column->Title()->TitleButton() && CheckTitleButton(dataCol, column) && MouseCapture()) {
    FTracking = true;
    FPressedCol = cell.X;
    TrackTitlePress(X, Y);
  }
  return true;
}

void TCustomDBGridEx::RowPanelDataMouseDown(TGridCoord Cell, int X, int Y) {
  LockUpdate();
  try {
    FDataLink->UpdateRecord();
    LeaveEditorMode();
    // The detail sign opens the pressed record's panel or closes the open one.
    if (FRowDetailPanel->Active() && RowDetailSignMouseDown(X, Y)) {
      const bool open = Cell.Y != Row() || !FRowDetailPanel->Visible();
      MoveBy(Cell.Y - Row());
      FRowDetailPanel->SetVisible(open);
      UnlockUpdate();
      return;
    }
    MoveBy(Cell.Y - Row());
    const int dataCol = RowPanelColumnAt(X, Y, false);
    if (dataCol >= 0) {
      SelectDataColumn(dataCol, 0, false);
      // The release on the same panel cell toggles a check box.
      if (core_detail::IsCheckOrImageColumn(FColumns->ColumnAt(dataCol))) {
        FPressedCell = Cell;
        FPressedDataCol = dataCol;
      }
    }
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
}

void TCustomDBGridEx::WidenRowPanelColumnToNeighbour(int DataCol) {
  if (DataCol < 0 || DataCol >= FColumns->Count()) return;
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  const auto& p = column->RowPlacement();
  const int right = p.Left + p.Width + (FOptions.Contains(dgColLines) ? GridLineWidth() : 0);
  const int first = column->InRowLinePos(), last = first + column->InRowLineHeight();
  int target = -1;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnEx* other = FColumns->ColumnAt(i);
    if (other == column || !other->Visible()) continue;
    const int oFirst = other->InRowLinePos(), oLast = oFirst + other->InRowLineHeight();
    const int left = other->RowPlacement().Left;
    if (left >= right && oFirst < last && first < oLast && (target < 0 || left < target)) target = left;
  }
  if (target < 0) target = FGridMasterCellWidth + 1;
  if (target > right) {
    column->SetWidth(column->Width() + target - right);
    NotifyDesignerModified();
  }
}

// --- move ---------------------------------------------------------------------------------

void TCustomDBGridEx::MouseMove(TShiftState Shift, int X, int Y) {
  const TPoint previous = FMoveMousePos;
  FMoveMousePos = {X, Y};
  if (FSelectedCellPressed) {
    FSelectedCellPressed = false;
    BeginDrag(true);
    return;
  }
  if (RowPanelActive()) {
    if (FRowPanelMoveCol >= 0 && GridState() == gsColMoving) {
      TrackRowPanelColumnMove(Shift, X, Y);
      TControl::MouseMove(Shift, X, Y);
      return;
    }
    const bool titlePress = MouseCoord(FDownMousePos.X, FDownMousePos.Y).Y < TitleRowCount();
    if (FPressedDataCol >= 0 && titlePress && MouseCapture() && GridState() == gsNormal &&
        FDBGridExState != dgsTitleDown && FDBGridExState != dgsTitleFilterButtonDown &&
        FOptionsEx.Contains(dghColumnMove) && MovedBeyondThreshold(FDownMousePos, {X, Y})) {
      StartRowPanelColumnDrag(FPressedDataCol, X, Y);
      TControl::MouseMove(Shift, X, Y);
      return;
    }
  }
  if (FTracking && FPressedCol >= 0) {
    TrackTitlePress(X, Y);
    if (FDBGridExState != dgsTitleDown && FDBGridExState != dgsTitleFilterButtonDown &&
        MovedBeyondThreshold(FDownMousePos, {X, Y}) && FOptionsEx.Contains(dghColumnMove)) {
      TrackTitlePress(-1, -1);
      FTracking = false;
      FPressedCol = -1;
      FPressedDataCol = -1;
      SetMouseCapture(true);
      Canvas()->Pen()->SetColor(kSizingPenColor);
      TCustomGridEx::MouseDown(mbLeft, FStartShiftState, FDownMousePos.X, FDownMousePos.Y);
    }
  }
  if (FDBGridExState == dgsGroupPanelTitleDown) {
    TrackTitlePress(X, Y);
    if (MovedBeyondThreshold(FDownMousePos, {X, Y})) {
      const int level = FPressedDataGroupLevelIdx;
      FTracking = false;
      FPressed = false;
      FPressedDataGroupLevelIdx = -1;
      FDBGridExState = dgsNormal;
      OutBoundaryData()->InvalidateOutBoundary(cbtTopEx);
      StartGroupPanelMoving(level, X);
    }
  } else if (FDBGridExState == dgsGroupPanelTitleMoving) {
    TrackGroupPanelMoving(X, Y);
  } else if (GridState() == gsColMoving && !RowPanelActive() && FDataGrouping &&
             FDataGrouping->GroupPanelVisible() && Y >= 0 && Y < OutBoundaryData()->TopIndent()) {
    // A column dragged up over the grouping panel becomes a drag onto it.
    const int dataCol = GridColToDataCol(MoveIndex());
    TCustomGridEx::AbortGridState();
    SetToMoveColumnIndex(dataCol);
    StartGroupPanelMoving(FGroupDataMovingIndex, X);
  }
  if (FDBGridExState == dgsRowMoving) {
    TGridDrawMetricsEx rows;
    FillDrawInfo(rows);
    CalcRowMoveTarget(Y, AxisCellAt(rows.RowAxis, Y, false), {X, Y});
  }

  const TRect D = DataRect();
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const int lx = LogicalX(X, info.ColAxis);
  if (FIndicatorPressed || FDataTracking || FDBGridExState == dgsRectSelecting) {
    db::TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    const TPoint P{X, Y};
    if (ds && !(P == previous) && Y >= D.Top && Y < D.Bottom) {
      const TGridCoord cell = MouseCoord(std::clamp(X, 0, std::max(0, ClientWidth() - 1)), Y);
      if (cell.Y >= TopDataOffset() && cell.Y < RowCount() && cell.Y != Row()) {
        if (FDBGridExState == dgsRectSelecting) {
          MoveBy(cell.Y - Row());
          FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), true);
        } else {
          MoveRecordSelecting(Shift.Contains(ssLeft), cell.Y - Row(), true, false);
        }
      }
    }
    if (ds && FDataTracking && lx >= D.Left && lx < D.Right) {
      const TGridCoord cell = MouseCoord(X, std::clamp(Y, D.Top, std::max(D.Top, D.Bottom - 1)));
      const int target = GridColToDataCol(cell.X);
      if (cell.X >= FIndicatorOffset && cell.X != Col() && target >= 0 && target < FColumns->Count()) {
        SelectDataColumn(target, cell.X > Col() ? 1 : -1, false);
        if (FDBGridExState == dgsRectSelecting)
          FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), true);
      }
    }
    FDownMousePos = P;
    FMouseShift = Shift;
    HandleTrackingTimer();
  } else if (FDBGridExState == dgsColSelecting) {
    if (lx >= D.Left && lx < D.Right) {
      const TGridCoord cell = MouseCoord(X, 0);
      const int target = GridColToDataCol(cell.X);
      if (target >= 0 && target < FColumns->Count() &&
          FColumns->ColumnAt(target) != FSelection->Columns()->ShiftCol())
        FSelection->Columns()->SelectShift(FColumns->ColumnAt(target));
    } else {
      HandleTrackingTimer();
    }
  }

  const bool liveSizing =
      FOptionsEx.Contains(dghTraceColSizing) && GridState() == gsColSizing && !RowPanelActive();
  if (FDBGridExState == dgsColSizing || liveSizing) {
    if (liveSizing || FOptionsEx.Contains(dghTraceColSizing)) {
      FSizingPos = lx + FSizingOfs;
      const int start = FSizingIndex < FixedCols() || FDBGridExState == dgsColSizing
                            ? [&] {
                                int s = info.ColAxis.StartIndent;
                                for (int i = 0; i < FSizingIndex; ++i) s += ColWidths(i) + info.ColAxis.AxisLineWidth;
                                return s;
                              }()
                            : LineStartPixel(info.ColAxis, FSizingIndex);
      const int rightCols = std::max(0, ColCount() - 1 - FSizingIndex);
      if (!FAutoFitColWidths || Designing() || FSizingPos < ClientWidth() - rightCols)
        SetColWidths(FSizingIndex, std::max(1, FSizingPos - start));
      NotifyDesignerModified();
    } else {
      DrawFrozenSizingLine(ClientWidth(), ClientHeight());
      FSizingPos = lx + FSizingOfs;
      DrawFrozenSizingLine(ClientWidth(), ClientHeight());
    }
  }
  if (liveSizing) {
    TControl::MouseMove(Shift, X, Y);
    return;
  }
  TCustomGridEx::MouseMove(Shift, X, Y);
}

// --- release ---------------------------------------------------------------------------

void TCustomDBGridEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FDSMouseCapture = false;
  const TGridCoord cell = MouseCoord(X, Y);
  if (EndRowPanelSizing()) {
    TControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  if (FRowPanelMoveCol >= 0) {
    TrackRowPanelColumnMove(Shift, X, Y);
    EndRowPanelColumnMove(true);
    FPressedDataCol = -1;
    SetMouseCapture(false);
    TControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  const bool wasSizing =
      FDBGridExState == dgsColSizing || GridState() == gsColSizing || GridState() == gsRowSizing;
  if (FDBGridExState == dgsColSizing && !FOptionsEx.Contains(dghTraceColSizing)) {
    DrawFrozenSizingLine(ClientWidth(), ClientHeight());
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    int left = info.ColAxis.StartIndent;
    for (int i = 0; i < FSizingIndex; ++i) left += ColWidths(i) + info.ColAxis.AxisLineWidth;
    const int width = FSizingPos - left;
    if (width > 1) SetColWidths(FSizingIndex, width);
  }
  if (FDBGridExState == dgsRowMoving)
    EndRowMoving(X, Y, true);
  else if (FDBGridExState == dgsGroupPanelTitleMoving)
    EndGroupPanelMoving(true);
  else if (FDBGridExState == dgsGroupPanelTitleDown)
    GroupPanelTitleMouseUp(X, Y);
  if (FSelectedCellPressed) {
    FSelectedCellPressed = false;
    if (Shift.Contains(ssCtrl) && FOptions.Contains(dgRowSelect) && FDataLink->Active())
      FBookmarks->SetCurrentRowSelected(!FBookmarks->CurrentRowSelected());
    else
      ClearSelectionIfAsked();
  }
  if (FOptionsEx.Contains(dghTraceColSizing) && GridState() == gsColSizing && FDBGridExState == dgsNormal) {
    FGridState = gsNormal;
    TControl::MouseUp(Button, Shift, X, Y);
    return;
  }
  const TDBGridExState wasState = FDBGridExState;
  FDBGridExState = dgsNormal;
  FSelecting = false;

  if (FTracking && FPressedCol >= 0) {
    bool onTitle =
        X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight() && cell.Y == 0 && cell.X == FPressedCol;
    const int dataCol = RowPanelActive() ? FPressedDataCol : GridColToDataCol(FPressedCol);
    if (onTitle && RowPanelActive()) onTitle = RowPanelColumnAt(X, Y, true) == FPressedDataCol;
    if (onTitle && IsUseMultiTitle() && dataCol < static_cast<int>(FLeafFieldArr.size()) &&
        FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf)
      onTitle = Y >= CellBounds(cell.X, cell.Y).Bottom -
                         FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf->Height;
    if (onTitle && dataCol >= 0 && dataCol < FColumns->Count()) {
      EndMouseTracking();
      TColumnEx* column = FColumns->ColumnAt(dataCol);
      TitleBtnClick(dataCol, column);
      const bool ctrl = Shift.Contains(ssCtrl);
      FSortMarking = ctrl;
      if (FOptionsEx.Contains(dghAutoSortMarking)) {
        column->Title()->SetNextSortMarkerValue(ctrl);
        if (!ctrl) SortMarkingChanged();
      }
    }
  } else if (FSwapButtons) {
    FSwapButtons = false;
    SetMouseCapture(false);
  }
  FSwapButtons = false;

  EndMouseTracking();
  if (wasState != dgsNormal) KillGridTimer();
  // A row sized in the indicator gives every row its height.
  if (GridState() == gsRowSizing) FDefaultRowChanged = true;
  TCustomGridEx::MouseUp(Button, Shift, X, Y);

  const TInplaceEdit* editor = InplaceEditor();
  const bool onEditor = editor && editor->Visible() && PointWithinRect({X, Y}, editor->BoundsRect());
  const bool panel = RowPanelActive();
  const int dataCol =
      panel ? RowPanelColumnAt(X, Y, cell.Y < TopDataOffset()) : GridColToDataCol(cell.X);
  TColumnEx* column =
      cell.X >= FIndicatorOffset && dataCol >= 0 && dataCol < FColumns->Count() && cell.X < ColCount()
          ? FColumns->ColumnAt(dataCol)
          : nullptr;
  if (!wasSizing && !onEditor && Button == mbLeft && column && cell.Y >= 0) {
    if (cell.Y < TitleRowCount())
      TitleClick(column);
    else if (cell.Y >= TopDataOffset() && cell.Y < RowCount() && !TreeElementMouseDown(X, Y, true))
      CellClick(column);
  }
  FDefaultRowChanged = false;

  // A release on the detail sign belongs to the detail panel, not to the value.
  const bool onDetailSign = FRowDetailPanel->Active() && RowDetailSignMouseDown(X, Y);
  if (column && cell == FPressedCell && (!panel || dataCol == FPressedDataCol) && !onDetailSign &&
      core_detail::IsCheckOrImageColumn(column) && FDataLink->Active() && !column->DblClickNextVal() &&
      !Shift.Contains(ssDouble) && column->CanModify(true))
    column->StepCellValue(Shift.Contains(ssShift) ? -1 : 1);
  FPressedCell = {-1, -1};
}

// --- what the base grid reports --------------------------------------------------------

void TCustomDBGridEx::ColumnShifted(int FromIndex, int ToIndex) {
  const int from = GridColToDataCol(FromIndex), to = GridColToDataCol(ToIndex);
  if (from < 0 || to < 0 || from >= FColumns->Count() || to >= FColumns->Count()) return;
  // The filter editor is placed once, after the move.
  FSTFilter->BeginUpdate();
  try {
    FColumns->ColumnAt(from)->SetIndex(to);
    if (OnColumnMoved) OnColumnMoved(this, from, to);
    FFilterCol = SelectedIndex();
  } catch (...) {
    FSTFilter->EndUpdate();
    throw;
  }
  FSTFilter->EndUpdate();
  // Moved only: reloading would drop what the user is typing there.
  if (FFilterEditMode) PlaceFilterEditor(false);
}

void TCustomDBGridEx::ColumnWidthsUpdated() {
  if ((FDataLink->Active() || FColumns->State() == csCustomized) && TryLockLayout()) {
    try {
      TCustomGridEx::ColumnWidthsUpdated();
      // In a row panel the grid's columns are the master cell and folded-away
      // ones; their widths say nothing about the panel columns' widths, and
      // the layout folds them again.
      const bool panel = RowPanelActive();
      for (int i = 0; !panel && i < FColumns->Count() && DataColToGridCol(i) < ColCount(); ++i) {
        TColumnEx* column = FColumns->ColumnAt(i);
        const int gridCol = DataColToGridCol(i);
        int width = StripExtraFirstColumnWidth(column, ColWidths(gridCol));
        if (column->MinWidth() > 0 && width < column->MinWidth()) width = column->MinWidth();
        if (column->MaxWidth() > 0 && width > column->MaxWidth()) width = column->MaxWidth();
        const int limited = AddExtraFirstColumnWidth(column, width);
        if (limited != ColWidths(gridCol)) SetColWidths(gridCol, limited);
      }
      const std::vector<TColumnEx*> visible = panel ? std::vector<TColumnEx*>{} : FVisibleColumns;
      for (std::size_t v = 0; v < visible.size(); ++v) {
        TColumnEx* column = visible[v];
        const int gridCol = DataColToGridCol(column->Index());
        if (gridCol >= ColCount()) continue;
        const int newWidth = StripExtraFirstColumnWidth(column, ColWidths(gridCol));
        const int oldWidth = column->Width();
        if (!FAutoFitColWidths || Designing()) {
          column->SetWidth(newWidth);
          continue;
        }
        if (newWidth == oldWidth) continue;
        // A column that was 0 wide, or right-hand columns that are, give no
        // proportion to scale by: only the width itself is taken.
        if (FOptionsEx.Contains(dghResizeWholeRightPart)) {
          if (column->AutoFitColWidth() && oldWidth != 0)
            column->SetInitWidth(column->InitWidth() * newWidth / oldWidth);
          else
            column->SetWidth(newWidth);
          long long sum = 0;
          for (std::size_t r = v + 1; r < visible.size(); ++r)
            if (visible[r]->AutoFitColWidth()) sum += visible[r]->Width();
          if (sum != 0)
            for (std::size_t r = v + 1; r < visible.size(); ++r)
              if (visible[r]->AutoFitColWidth())
                visible[r]->SetInitWidth(
                    std::max<long long>(1, visible[r]->InitWidth() * (sum + oldWidth - newWidth) / sum));
        } else if (column->AutoFitColWidth() && oldWidth != 0) {
          const int oldInit = column->InitWidth();
          column->SetInitWidth(oldInit * newWidth / oldWidth);
          if (v + 1 < visible.size())
            visible[v + 1]->SetInitWidth(
                std::max(0, visible[v + 1]->InitWidth() - (column->InitWidth() - oldInit)));
        } else {
          column->SetWidth(newWidth);
        }
      }
    } catch (...) {
      CancelLayout();
      throw;
    }
    UnlockLayout();
  } else {
    TCustomGridEx::ColumnWidthsUpdated();
  }
  RefreshEditorPlacement();
  if (UsesMemTableView() && TryLockLayout()) {
    try {
      UpdateAllDataRowHeights();
    } catch (...) {
      CancelLayout();
      throw;
    }
    CancelLayout();
  } else {
    FColWidthsChanged = true;
  }
  if (OnColWidthsChanged) OnColWidthsChanged(this);
  if (FHorzScrollBar) FHorzScrollBar->UpdateExtScrollBar();
}

// --- hot tracking --------------------------------------------------------------------------

bool TCustomDBGridEx::IsHotTrackCell(int ACol, int ARow) {
  if (FOptionsEx.Contains(dghHotTrack)) return ACol >= 0 && ARow >= 0;
  // Filter buttons in the titles light up under the mouse.
  if (FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEx)
    return ACol >= 0 && ARow == TitleRowCount() - 1;
  return TCustomGridEx::IsHotTrackCell(ACol, ARow);
}

void TCustomDBGridEx::UpdateHotTrack(int X, int Y) {
  const TGridCoord old = FHotTrackCell;
  TCustomGridEx::UpdateHotTrack(X, Y);
  TrackRowPanelHotColumn(X, Y);
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell == old && cell.X >= FIndicatorOffset && cell.Y >= 0 && cell.X < ColCount() &&
      cell.Y < RowCount()) {
    const int dataCol = GridColToDataCol(cell.X);
    TColumnEx* column = dataCol < FColumns->Count() ? FColumns->ColumnAt(dataCol) : nullptr;
    TRect r = CellBounds(cell.X, cell.Y);
    // In a panel's data rows the buttons belong to the panel cell under the
    // mouse, where painting puts it.
    if (RowPanelActive() && cell.Y >= TopDataOffset()) column = RowPanelHintCell(cell, TPoint{X, Y}, r);
    if (cell.Y == 0 && IsUseMultiTitle() && dataCol < static_cast<int>(FLeafFieldArr.size()) &&
        FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf) {
      const bool over = Y < r.Bottom - FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf->Height;
      if (over != FHotTrackMultiTitleOver) {
        FHotTrackMultiTitleOver = over;
        RepaintCell(cell.X, cell.Y);
      }
    }
    // Mirrored, the buttons are painted at the cell's left end.
    const int inCellX =
        RowPanelActive() && column && column->UseRightToLeftAlignment() ? r.Right - 1 - X : X - r.Left;
    const int button = column ? EditButtonAtPos(cell.X, cell.Y, Y - r.Top, inCellX, column) : -1;
    if (button != FHotTrackEditButton) {
      FHotTrackEditButton = button;
      RepaintCell(cell.X, cell.Y);
    }
  } else {
    FHotTrackEditButton = -1;
  }
  if (FOptionsEx.Contains(dghHotTrack) && old.Y != FHotTrackCell.Y) {
    if (old.Y >= 0 && old.Y < RowCount()) RepaintRow(old.Y);
    if (FHotTrackCell.Y >= 0 && FHotTrackCell.Y < RowCount()) RepaintRow(FHotTrackCell.Y);
  }
  int hotLevel = -1;
  if (FDataGrouping && FDataGrouping->GroupPanelVisible() && Y >= 0 && Y < OutBoundaryData()->TopIndent())
    for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount() && hotLevel < 0; ++i)
      if (FDataGrouping->ActiveGroupLevelAt(i)->GroupPanelRect().Contains(TPoint{X, Y})) hotLevel = i;
  if (hotLevel != FHotGroupPanelLevel) {
    const int count = FDataGrouping ? FDataGrouping->ActiveGroupLevelsCount() : 0;
    for (int level : {FHotGroupPanelLevel, hotLevel})
      if (level >= 0 && level < count) InvalidateRect(FDataGrouping->ActiveGroupLevelAt(level)->GroupPanelRect());
    FHotGroupPanelLevel = hotLevel;
  }
}

int TCustomDBGridEx::EditButtonAtPos(int ACol, int ARow, int InCellY, int InCellX, TColumnEx* Column) {
  if (!Column) return -1;
  if (ARow < TitleRowCount()) {
    const TRect cell = CellBounds(ACol, ARow);
    TRect button;
    return TitleFilterButtonHitTest({ACol, ARow}, {cell.Left + InCellX, cell.Top + InCellY}, button, cell) != 0
               ? 0
               : -1;
  }
  if (ARow < TopDataOffset()) return -1;
  // A panel cell's buttons sit at the right end of its value part.
  const bool panel = RowPanelActive();
  const int cellHeight = panel ? Column->RowPlacement().Height : RowHeights(ARow);
  const int height = FInplaceEditorButtonHeight > 0 ? FInplaceEditorButtonHeight : cellHeight;
  if (InCellY >= height) return -1;
  const int flat = Flat() ? 1 : 0;
  const int editorWidth = FInplaceEditorButtonWidth > 0 ? FInplaceEditorButtonWidth : 16;
  // The buttons sit side by side at the cell's right edge, the column's own first.
  std::vector<std::pair<int, int>> buttons;
  if (CellDefaultButtonStyle(Column) != kNoCellButton) buttons.push_back({0, editorWidth + flat});
  for (int i = 0; i < Column->EditButtons()->Count(); ++i) {
    TEditButtonEx* b = Column->EditButtons()->Items(i);
    if (b->Visible()) buttons.push_back({i + 1, (b->Width() > 0 ? b->Width() : editorWidth) + flat});
  }
  int right = panel ? Column->RowPlacement().DataCellWidth : ColWidths(ACol);
  for (const auto& b : buttons) right -= b.second;
  if (InCellX < right) return -1;
  for (const auto& b : buttons) {
    right += b.second;
    if (InCellX < right) return b.first;
  }
  return -1;
}

}  // namespace grid
