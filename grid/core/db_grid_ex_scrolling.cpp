// The data window: the data link buffers the records that fit, the grid has
// one row per buffered record, and scrolling moves the dataset's current
// record. A memory table instead gets one row per record view and scrolls
// the top row. The vertical bar shows the dataset position.
#include <algorithm>
#include <cstdlib>

#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/core/custom_db_grid_ex.h"

#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/data/dataset.h"
#include "platform/runtime/convert.h"

namespace grid {

using namespace ui;

namespace {

// Largest first scrollable cell of one axis for which the cells up to
// LastCell still fit.
int CalcMaxTopCell(const TGridAxisMetricsEx& Axis, int LastCell) {
  if (LastCell < Axis.FixedCount) return LastCell;
  int room = Axis.ClientLength + Axis.AxisLineWidth;
  int answer = LastCell;
  bool taken = false;
  for (int cell = LastCell; cell >= Axis.FixedCount; --cell) {
    const int extent = Axis.ExtentOf(cell);
    if (extent <= 0) continue;
    room -= extent + Axis.AxisLineWidth;
    if (room < Axis.FixedEnd) {
      if (!taken && Axis.ExtentOf(LastCell) <= 0) answer = cell;
      break;
    }
    answer = cell;
    taken = true;
  }
  return answer;
}

TGridCoord CalcMaxCellCoord(const TGridDrawMetricsEx& Info, TGridCoord Last) {
  return {CalcMaxTopCell(Info.ColAxis, Last.X), CalcMaxTopCell(Info.RowAxis, Last.Y)};
}

}  // namespace

// --- the data window ------------------------------------------------------------------

void TCustomDBGridEx::ChangeRowCount(int Value) {
  if (Row() >= Value) MoveToCell(Col(), Value - 1, false, false, true);
  SetRowCount(Value);
}

void TCustomDBGridEx::RecountRows() {
  if (!FDataLink) return;
  if (UsesMemTableView()) {
    RecountMemTableRows();
    return;
  }
  const int oldRowCount = RowCount();
  const int top = TopDataOffset();
  const int line = FOptions.Contains(dgRowLines) ? GridLineWidth() : 0;
  const int pitch = FStdDefaultRowHeight + line;
  if (top >= RowCount()) ChangeRowCount(top + 1);
  SetFixedRows(top);
  FOldTopLeft = TopLeft();
  int h = 0;
  if (FOptions.Contains(dgTitles)) {
    SetRowHeights(0, FTitleRowHeight);
    h += RowHeights(0) + line;
  }
  for (int r = TitleRowCount(); r < top; ++r) h += pitch;
  h += pitch * FFooterRowCount;
  if (FFooterRowCount > 0) h += line;
  const int titleHeight = RowHeights(0);
  SetDefaultRowHeight(FStdDefaultRowHeight);
  if (FOptions.Contains(dgTitles)) SetRowHeights(0, titleHeight);
  SetTopRow(FixedRows());
  if (FDataLink->Active() && FDataLink->RecordCount() != 0 && HandleAllocated()) {
    FDataLink->SetBufferCount(std::max(1, (ClientHeight() - h) / std::max(1, pitch)));
    ChangeRowCount(FDataLink->RecordCount() + top);
    SetContraRowCount(FFooterRowCount);
    SyncCurrentRow();
  } else {
    ChangeRowCount(top + 1);
    SetContraRowCount(FFooterRowCount);
  }
  if (RowCount() != oldRowCount) Invalidate();
}

void TCustomDBGridEx::RecountMemTableRows() {
  const int top = TopDataOffset();
  if (RowCount() <= top) SetRowCount(top + 1);
  while (FixedRows() > top) RemoveRow(top);
  while (FixedRows() < top) {
    SetRowCount(RowCount() + 1);
    ShiftRow(RowCount() - 1, FixedRows());
    SetFixedRows(FixedRows() + 1);
  }
  FOldTopLeft = TopLeft();
  if (FOptions.Contains(dgTitles)) SetRowHeights(0, FTitleRowHeight);
  for (int r = TitleRowCount(); r < top; ++r) SetRowHeights(r, FStdDefaultRowHeight);
  SetContraRowCount(FFooterRowCount);
  for (int r = RowCount(); r < FullRowCount(); ++r) SetRowHeights(r, FStdDefaultRowHeight);
  if (FDataLink->Active()) {
    const int titleHeight = RowHeights(0);
    SetDefaultRowHeight(FStdDefaultRowHeight);
    if (FOptions.Contains(dgTitles)) SetRowHeights(0, titleHeight);
    if (DataGroupingWorks())
      ChangeRowCount(std::max(1, DataGrouping()->GroupDataTree()->FlatVisibleCount()) + top);
    else
      ChangeRowCount(std::max(1, FIntMemTable->RecordViewCount()) + top);
  }
  if (HandleAllocated()) {
    ClampTopRow();
    if (FColWidthsChanged && DataRowCount() == FIntMemTable->RecordViewCount()) {
      UpdateAllDataRowHeights();
      FColWidthsChanged = false;
    }
    const int view = FIntMemTable->CurrentRecordView();
    int row = view < 0 ? FixedRows() : view + top;
    if (DataGroupingWorks()) {
      if (!FInternalUpdatingDatasetPos && view >= 0) FollowDataSetInGroupTree(view);
      row = Row();
    }
    if (row >= RowCount()) row = FixedRows();
    if (row != Row()) {
      const int oldRow = Row();
      int col = Col();
      if (col < FixedCols()) col = FixedCols() < ColCount() ? FixedCols() : col;
      MoveToCell(col, row, true, false, true);
      if (oldRow < RowCount()) RepaintRow(oldRow);
      RepaintRow(row);
    }
  }
  FetchRowsToFillWindow();
  Invalidate();
}

void TCustomDBGridEx::FetchRowsToFillWindow() {
  if (!HandleAllocated() || !FIntMemTable || FFetchingRecords) return;
  FFetchingRecords = true;
  try {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    if (info.RowAxis.CellsEnd < info.RowAxis.ClientLength)
      FIntMemTable->FetchRecords((info.RowAxis.ClientLength - info.RowAxis.CellsEnd) /
                                     std::max(1, FStdDefaultRowHeight) +
                                 1);
    else if (info.RowAxis.LastWholeCell == RowCount() - 1)
      FIntMemTable->FetchRecords(1);
  } catch (...) {
    FFetchingRecords = false;
    throw;
  }
  FFetchingRecords = false;
}

void TCustomDBGridEx::SyncCurrentRow() {
  if (!FInplaceSearchingInProcess) StopInplaceSearch();
  if (UsesMemTableView()) {
    SyncMemTableCurrentRow(0);
    return;
  }
  if (FDataLink->Active() && HandleAllocated() && !IsLoading()) {
    const int row = FDataLink->ActiveRecord() + TopDataOffset();
    if (row != Row() && row < RowCount()) {
      if (!FOptions.Contains(dgAlwaysShowEditor)) LeaveEditorMode();
      MoveToCell(Col(), row, false, false, true);
      RefreshEditorPlacement();
    }
  }
  if (EditorMode() && InplaceEditor()) {
    db::TField* field = SelectedField();
    if (field && field->Text() == InplaceEditor()->Text()) RefreshEditorPlacement();
  }
}

void TCustomDBGridEx::SyncMemTableCurrentRow(int) {
  if (!FInplaceSearchingInProcess) StopInplaceSearch();
  if (FIntMemTable && FDataLink->Active() && DataGroupingWorks()) {
    const int view = FIntMemTable->CurrentRecordView();
    if (!FInternalUpdatingDatasetPos && view >= 0 && HandleAllocated() && !IsLoading())
      FollowDataSetInGroupTree(view);
  } else if (FIntMemTable && FDataLink->Active()) {
    RepaintRow(Row());
    if (HandleAllocated() && !IsLoading()) {
      int row = FIntMemTable->CurrentRecordView() + TopDataOffset();
      if (row >= RowCount() || row < FixedRows()) row = FixedRows();
      if (row != Row() && row < RowCount()) {
        if (!FOptions.Contains(dgAlwaysShowEditor)) LeaveEditorMode();
        const int oldTop = TopRow();
        int col = Col() < FixedCols() && FixedCols() < ColCount() ? FixedCols() : Col();
        MoveToCell(col, row, true, false, true);
        RefreshEditorPlacement();
        RepaintRow(row);
        if (oldTop != TopRow()) Invalidate();
      }
    }
  }
  InvalidateFooter();
  SyncVertScrollBar();
}

void TCustomDBGridEx::ScrollData(int Distance) {
  if (UsesMemTableView()) {
    SyncMemTableCurrentRow(Distance);
    return;
  }
  if (!HandleAllocated()) return;
  const int top = TopDataOffset();
  const int clientWidth = ClientWidth();
  auto rowRect = [&](int R) {
    TRect r = CellRangeRect(0, R, ColCount() - 1, R);
    r.Right = clientWidth;
    return r;
  };
  const TRect r1 = rowRect(Row());
  if (FDataLink->ActiveRecord() >= RowCount() - top) RecountRows();
  const bool barWas = FVertScrollBar->IsScrollBarVisible();
  SyncVertScrollBar();
  if (barWas != FVertScrollBar->IsScrollBarVisible() && FAutoFitColWidths && !Designing()) DeferLayout();
  const int oldRow = FSelRow;
  SyncCurrentRow();
  const TRect r2 = rowRect(Row());
  InvalidateRect(r1);
  InvalidateRect(r2);
  FSelRow = Row();
  if (Distance != 0) {
    LeaveEditorMode();
    if (std::abs(Distance) > VisibleDataRowCount()) {
      Invalidate();
      if (FOptions.Contains(dgAlwaysShowEditor)) EnterEditorMode();
      InvalidateFooter();
      if (FUpdateLock == 0) Update();
      return;
    }
    try {
      if (HasIndicatorColumn() && oldRow >= top && oldRow < RowCount()) RepaintCell(0, oldRow);
      const int line = FOptions.Contains(dgRowLines) ? GridLineWidth() : 0;
      TRect area = CellRangeRect(0, top, ColCount() - 1, RowCount() - 1);
      area.Right = clientWidth;
      ScrollWindowEx(0, -(FStdDefaultRowHeight + line) * Distance, &area, &area, SW_INVALIDATE);
      if (HasIndicatorColumn()) RepaintCell(0, Row());
      if (FOptionsEx.Contains(dghHotTrack)) FHotTrackCell.Y -= Distance;
    } catch (...) {
      if (FOptions.Contains(dgAlwaysShowEditor)) EnterEditorMode();
      throw;
    }
    if (FOptions.Contains(dgAlwaysShowEditor)) EnterEditorMode();
  }
  InvalidateFooter();
  if (FUpdateLock == 0) Update();
}

// --- scroll bars ----------------------------------------------------------------------

void TCustomDBGridEx::SyncVertScrollBar() {
  if (!FDataLink || !HandleAllocated()) return;
  if (UsesExtendedMemTableScrolling()) {
    SyncRowScrollBar();
    return;
  }
  TScrollInfo cur;
  cur.fMask = SIF_ALL;
  FVertScrollBar->GetScrollInfo(cur);
  int nMin = 0, nMax = 1, nPos = 0;
  unsigned nPage = 2;
  if (FDataLink->Active()) {
    db::TDataSet* ds = FDataLink->DataSet();
    if (FSumList->IsSequenced()) {
      nMin = 1;
      nPage = static_cast<unsigned>(std::max(0, VisibleDataRowCount()));
      nMax = FSumList->RecordCount() + static_cast<int>(nPage) - 1;
      nPos = ds->State() >= db::dsInsert ? cur.nPos : FSumList->RecNo();
    } else {
      nMin = 0;
      nPage = 0;
      nMax = 4;
      nPos = ds->Bof() ? 0 : ds->Eof() ? 4 : 2;
    }
  }
  TScrollInfo next;
  next.nMin = nMin;
  next.nMax = nMax;
  next.nPage = nPage;
  next.nPos = nPos;
  ApplyVertScrollInfo(next, cur);
}

void TCustomDBGridEx::ApplyVertScrollInfo(TScrollInfo Next, const TScrollInfo& Current) {
  int aMax = 1;
  TScrollBar* ext = FVertScrollBar->ExtScrollBar();
  if (!FVertScrollBar->Visible() || ext) {
    aMax = Next.nMax;
    Next.nMax = Next.nMin;
  }
  const TScrollBarVisibleModeEx mode = FVertScrollBar->VisibleMode();
  const bool nothingToScroll = Next.nMin >= Next.nMax || static_cast<std::int64_t>(Next.nPage) >=
                                                             static_cast<std::int64_t>(Next.nMax) - Next.nMin;
  if (Next.nMin != Current.nMin || Next.nMax != Current.nMax || Next.nPage != Current.nPage ||
      Next.nPos != Current.nPos || mode != FVertScrollBarVisibleMode) {
    if (mode == sbAlwaysShowEx && !ext) {
      if (nothingToScroll) EnableScrollBar(SB_VERT, ESB_DISABLE_BOTH);
      ShowScrollBar(SB_VERT, true);
    } else if (mode != FVertScrollBarVisibleMode) {
      FVertScrollBarVisibleMode = mode;
      if (nothingToScroll) {
        EnableScrollBar(SB_VERT, ESB_ENABLE_BOTH);
        ShowScrollBar(SB_VERT, false);
      }
    }
    Next.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS | (mode == sbAlwaysShowEx ? SIF_DISABLENOSCROLL : 0);
    SetScrollInfo(SB_VERT, Next, true);
    FVertScrollBarVisibleMode = mode;
  }
  if (ext) {
    ext->SetPageSize(0);
    if (aMax < Next.nMin) Next.nMin = aMax;
    ext->SetParams(Next.nPos, Next.nMin, aMax);
    ext->SetPageSize(static_cast<int>(Next.nPage));
  }
}

void TCustomDBGridEx::SyncRowScrollBar() {
  if (FVertScrollBar->SmoothStep() || !HandleAllocated()) return;
  TScrollInfo cur;
  cur.fMask = SIF_ALL;
  FVertScrollBar->GetScrollInfo(cur);
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  TScrollInfo next;
  next.nMin = 1;
  if (FOptionsEx.Contains(dghAutoFitRowHeight)) {
    next.nPage = 0;
    next.nMax = CalcMaxCellCoord(info, {ColCount() - 1, RowCount() - 1}).Y - FixedRows() + 1;
  } else {
    next.nPage = static_cast<unsigned>(std::max(0, info.RowAxis.LastWholeCell - TopRow() + 1));
    next.nMax = RowCount() - FixedRows();
  }
  next.nPos = TopRow() - FixedRows() + 1;
  ApplyVertScrollInfo(next, cur);
}

void TCustomDBGridEx::SyncHorzScrollBar() {
  TScrollBar* ext = FHorzScrollBar->ExtScrollBar();
  if (!ext) return;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const int page = VisibleColCount();
  int nMin = 0;
  const int nMax = page + FixedCols() == ColCount() ? 0 : 127;
  const int span = CalcMaxCellCoord(info, {ColCount() - 1, RowCount() - 1}).X - FixedCols();
  // All columns in view leave nothing to divide by: the thumb stays at 0.
  const int nPos = span > 0 ? rtl::MulDiv(LeftCol() - FixedCols(), 127, span) : 0;
  if (nMax < nMin) nMin = nMax;
  if (ext->Min() != nMin || ext->Max() != nMax || ext->Position() != nPos || ext->PageSize() != page) {
    ext->SetPageSize(0);
    ext->SetParams(nPos, nMin, nMax);
  }
}

// --- the top row ----------------------------------------------------------------------

void TCustomDBGridEx::ClampTopRow() {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const int maxTop = CalcMaxCellCoord(info, {ColCount() - 1, RowCount() - 1}).Y;
  if (TopRow() > maxTop) SetTopRow(std::max(FixedRows(), maxTop));
}

int TCustomDBGridEx::SafeMoveTop(int ATop, bool CheckOnly) {
  ATop = std::clamp(ATop, FixedRows(), std::max(FixedRows(), RowCount() - 1));
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  ATop = std::max(FixedRows(), std::min(ATop, CalcMaxCellCoord(info, {ColCount() - 1, RowCount() - 1}).Y));
  if (CheckOnly) return ATop;
  if (ATop != TopRow()) {
    SetTopRow(ATop);
    SyncRowScrollBar();
  }
  return ATop;
}

int TCustomDBGridEx::MoveBy(int Distance) {
  if (RowDetailPanel()->Visible() && FDataLink->Active()) {
    RowDetailPanel()->SetVisible(false);
    if (RowDetailPanel()->Visible()) return 0;
  }
  if (DataGroupingWorks()) return MoveByInGroupTree(Distance);
  return FDataLink->MoveDataSetBy(Distance);
}

// --- scroll messages, wheel and timed steps ---------------------------------------------

void TCustomDBGridEx::HandleWmVScroll(TMessage& Message) {
  if (!TakeFocus()) return;
  const int code = LoWord(Message.WParam);
  TScrollInfo si;
  si.fMask = SIF_ALL;
  FVertScrollBar->GetScrollInfo(si);
  // The track position is the bar's 32-bit one; the message carries only 16 bits.
  const int trackPos = si.nTrackPos;
  if (UsesExtendedMemTableScrolling()) {
    if (!FVertScrollBar->SmoothStep()) {
      HandleRowVScroll(code, trackPos);
    } else if (FVertScrollBar->Tracking() && code == SB_THUMBTRACK) {
      TMessage again = Message;
      again.WParam = static_cast<WPARAM>(SB_THUMBPOSITION | (static_cast<unsigned>(std::max(0, trackPos) & 0xFFFF) << 16));
      TCustomGridEx::Dispatch(again);
    } else {
      TCustomGridEx::Dispatch(Message);
    }
    return;
  }
  if (!FDataLink->Active()) return;
  db::TDataSet* ds = FDataLink->DataSet();
  switch (code) {
    case SB_LINEUP:
      MoveBy(-(FDataLink->ActiveRecord() + 1));
      break;
    case SB_LINEDOWN:
      MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
      break;
    case SB_PAGEUP:
      MoveBy(-VisibleDataRowCount());
      break;
    case SB_PAGEDOWN:
      MoveBy(VisibleDataRowCount());
      break;
    case SB_THUMBPOSITION:
      if (FThumbTracked) {
        FThumbTracked = false;
        break;
      }
      if (!FSumList->IsSequenced()) {
        switch (trackPos) {
          case 0: ds->First(); break;
          case 1: MoveBy(-VisibleDataRowCount()); break;
          case 3: MoveBy(VisibleDataRowCount()); break;
          case 4: ds->Last(); break;
          default: break;
        }
      } else if (trackPos <= 1) {
        ds->First();
      } else if (trackPos >= FSumList->RecordCount()) {
        ds->Last();
      } else {
        FSumList->SetRecNo(trackPos);
      }
      break;
    case SB_THUMBTRACK:
      if (FVertScrollBar->Tracking()) {
        MoveBy(trackPos - FSumList->RecNo());
        FThumbTracked = true;
      }
      break;
    case SB_TOP:
      ds->First();
      break;
    case SB_BOTTOM:
      ds->Last();
      break;
    default:
      break;
  }
}

void TCustomDBGridEx::HandleRowVScroll(int Code, int Pos) {
  if (FDataLink->Active()) {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    int target = TopRow();
    bool move = true;
    switch (Code) {
      case SB_LINEUP: target = TopRow() - 1; break;
      case SB_LINEDOWN: target = TopRow() + 1; break;
      case SB_PAGEUP: {
        const int maxTop = CalcMaxCellCoord(info, TopLeft()).Y;
        target = TopRow() - std::max(1, TopRow() - maxTop);
        break;
      }
      case SB_PAGEDOWN: target = TopRow() + std::max(1, info.RowAxis.LastWholeCell - TopRow()); break;
      case SB_TOP: target = FixedRows(); break;
      case SB_BOTTOM: target = RowCount(); break;
      case SB_THUMBPOSITION: target = FixedRows() + Pos - 1; break;
      case SB_THUMBTRACK:
        if (FVertScrollBar->Tracking())
          target = FixedRows() + Pos - 1;
        else
          move = false;
        break;
      default: move = false; break;
    }
    if (move) SafeMoveTop(target);
  }
  SyncRowScrollBar();
}

void TCustomDBGridEx::HandleWmHScroll(TMessage& Message) {
  if (FHorzScrollBar->Tracking() && LoWord(Message.WParam) == SB_THUMBTRACK) {
    TMessage again = Message;
    again.WParam = static_cast<WPARAM>(SB_THUMBPOSITION | (static_cast<unsigned>(HiWord(Message.WParam)) << 16));
    TCustomGridEx::Dispatch(again);
  } else {
    TCustomGridEx::Dispatch(Message);
  }
  SyncHorzScrollBar();
}

bool TCustomDBGridEx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  return MouseWheelStep(Shift, MousePos, true);
}

bool TCustomDBGridEx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  return MouseWheelStep(Shift, MousePos, false);
}

bool TCustomDBGridEx::MouseWheelStep(TShiftState Shift, TPoint MousePos, bool Down) {
  const int sign = Down ? 1 : -1;
  if (!UsesMemTableView()) {
    if (FDataLink->Active()) MoveBy(sign);
    return true;
  }
  if (!FDataLink->Active() || !UsesExtendedMemTableScrolling()) return true;
  bool handled = false;
  const TMouseWheelUpDownEvent& event = Down ? OnMouseWheelDown : OnMouseWheelUp;
  if (event) {
    event(this, Shift, MousePos, handled);
    if (handled) return handled;
  }
  const bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
  const int visible = VisibleRowCount();
  db::TDataSet* ds = FDataLink->DataSet();
  if (shift && ctrl) {
    MoveBy(sign * visible);
  } else if (shift) {
    if (Down)
      ds->Next();
    else
      ds->Prior();
  } else if (ctrl) {
    if (Down && RowCount() - TopRow() - visible < visible)
      FIntMemTable->FetchRecords(2 * visible + TopRow() - RowCount());
    SafeMoveTop(TopRow() + sign * visible);
  } else if (VertScrollIsSmooth()) {
    return Down ? TCustomGridEx::DoMouseWheelDown(Shift, MousePos) || true
                : TCustomGridEx::DoMouseWheelUp(Shift, MousePos) || true;
  } else {
    SafeMoveTop(TopRow() + sign);
  }
  return true;
}

void TCustomDBGridEx::TimedAnchorStep(unsigned Flags) {
  if (FDataLink->Active()) {
    if (Flags & 4u) FDataLink->MoveDataSetBy(-(FDataLink->ActiveRecord() + 1));
    if (Flags & 8u) FDataLink->MoveDataSetBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
  }
  Flags &= ~(4u | 8u);
  if (Flags != 0) TCustomGridEx::TimedAnchorStep(Flags);
}

void TCustomDBGridEx::ScrollDataArea(int DX, int DY) { TCustomGridEx::ScrollDataArea(DX, DY); }

}  // namespace grid
