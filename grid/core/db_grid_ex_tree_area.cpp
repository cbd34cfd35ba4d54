// The tree area of a memory table whose records form a tree, and moving
// records by dragging their indicator cells.
#include <algorithm>
#include <memory>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_style.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/bm_list.h"
#include "grid/editor_support/tool_routines.h"
#include "grid/foundation/grid_drag_windows.h"
#include "platform/data/dataset.h"
#include "platform/ui/canvas.h"

namespace grid {

using ui::TCanvas;

namespace {

constexpr int kBand = 18;

bool TreeTable(IMemTableEx* Table) { return Table && Table->RecordViewsAreTree(); }

// Reads the record of another view row for as long as it lives.
class TViewRowRead {
 public:
  TViewRowRead(IMemTableEx* Table, int View) : table_(Table) {
    if (table_) table_->InstantReadEnter(View);
  }
  ~TViewRowRead() {
    if (table_) table_->InstantReadLeave();
  }
  TViewRowRead(const TViewRowRead&) = delete;
  TViewRowRead& operator=(const TViewRowRead&) = delete;

 private:
  IMemTableEx* table_;
};

}  // namespace

int TCustomDBGridEx::GetCellTreeElmentsAreaWidth() {
  if (!TreeTable(FIntMemTable)) return 0;
  return std::max(0, kBand * FIntMemTable->TreeNodeLevel());
}

void TCustomDBGridEx::DrawCellTreeArea(int DataCol, int DataRow, TRect Rect, TGridDrawState State) {
  if (!TreeTable(FIntMemTable)) return;
  TCanvas* cv = Canvas();
  TColor background = Color();
  if (FStyle) {
    ui::TFont font;
    font.Assign(cv->Font());
    if (State.Contains(gdSelected) || DataRow + TopDataOffset() == Row())
      HighlightDataCellColor(DataCol, DataRow, &font, background, State, String());
  }
  const TColor old = cv->Brush()->Color();
  cv->Brush()->SetColor(background);
  DrawCellTreeElements(cv, Rect, false, true);
  cv->Brush()->SetColor(old);
}

void TCustomDBGridEx::DrawCellTreeElements(TCanvas* ACanvas, TRect Rect, bool ContinuationOnly,
                                           bool EraseRowLines) {
  const int level = FIntMemTable->TreeNodeLevel();
  const bool rowLines = EraseRowLines && FOptions.Contains(dgRowLines);
  const bool rtl = UseRightToLeftAlignment();
  const bool phase = (FStdDefaultRowHeight % 2 == 1) && (TopRow() % 2 == 1);
  const TColor brush = ACanvas->Brush()->Color();
  TRect band{Rect.Left, Rect.Top, Rect.Left + kBand, Rect.Bottom};
  if (rowLines) band.Bottom += GridLineWidth();
  const int nextLevel = FIntMemTable->NextVisibleNodeLevel();
  auto draw = [&](int Kind) {
    ACanvas->Brush()->SetColor(brush);
    ACanvas->FillRect(band);
    if (Kind >= 0) DrawTreeElement(ACanvas, band, Kind, rtl, 1, 1, phase);
  };
  for (int i = 1; i < level; ++i) {
    draw(FIntMemTable->ParentHasNextSibling(i) ? 11 : -1);
    band.Left += kBand;
    band.Right += kBand;
    band.Bottom = Rect.Bottom + ((rowLines && (nextLevel < 0 || nextLevel > i)) ? GridLineWidth() : 0);
  }
  if (level <= 0) return;
  const bool next = FIntMemTable->ParentHasNextSibling(level);
  int kind;
  if (FIntMemTable->TreeNodeHasChildren())
    kind = FIntMemTable->TreeNodeExpanded() ? (next ? 0 : 1) : (next ? 4 : 5);
  else
    kind = next ? 8 : 9;
  if (ContinuationOnly) kind = (kind == 0 || kind == 4 || kind == 8) ? 11 : -1;
  draw(kind);
  if (rowLines) {
    ACanvas->Brush()->SetColor(TColor(0xC0C0C0));
    ACanvas->FillRect(TRect{band.Right - 1, band.Top - 2, band.Right, band.Bottom});
    ACanvas->Brush()->SetColor(brush);
  }
}

bool TCustomDBGridEx::TreeElementMouseDown(int X, int Y, bool TestOnly) {
  if (!TreeTable(FIntMemTable) || FVisibleColumns.empty()) return false;
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.Y < TopDataOffset() || cell.X < FIndicatorOffset) return false;
  if (cell.X != DataColToGridCol(FVisibleColumns.front()->Index())) return false;
  const int offset = cell.Y - Row();
  const int view = FIntMemTable->CurrentRecordView();
  const int oldTop = TopRow();
  int width = 0;
  {
    std::unique_ptr<TViewRowRead> read;
    if (offset != 0) read = std::make_unique<TViewRowRead>(FIntMemTable, view + offset);
    width = GetCellTreeElmentsAreaWidth();
  }
  const TRect r = CellBounds(cell.X, cell.Y);
  int x = X;
  if (UseRightToLeftAlignment()) x = r.Left + r.Right - 1 - X;
  if (x < r.Left || x >= r.Left + width) return false;
  if (TestOnly) return true;
  db::TDataSet* ds = FDataLink->DataSet();
  ds->DisableControls();
  try {
    if (x >= r.Left + width - kBand) {
      bool expanded = false;
      {
        TViewRowRead read(FIntMemTable, view + offset);
        expanded = FIntMemTable->TreeNodeExpanded();
      }
      const int n = FIntMemTable->SetTreeNodeExpanded(view + offset, !expanded);
      LockPaint();
      try {
        ReturnAfterTreeToggle(view, n);
      } catch (...) {
        UnlockPaint();
        throw;
      }
      UnlockPaint();
    }
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  SafeMoveTop(oldTop);
  Invalidate();
  SyncVertScrollBar();
  return true;
}

void TCustomDBGridEx::ReturnAfterTreeToggle(int View, int NewRecNo) {
  db::TDataSet* ds = FDataLink->DataSet();
  FLockAutoShowCurCell = true;
  try {
    if (NewRecNo <= 0 || NewRecNo == ds->RecNo())
      FIntMemTable->SetCurrentRecordView(View);
    else
      ds->SetRecNo(NewRecNo);
  } catch (...) {
    FLockAutoShowCurCell = false;
    throw;
  }
  FLockAutoShowCurCell = false;
}

// --- record moving -------------------------------------------------------------------------

bool TCustomDBGridEx::CheckStartRowMoving(int X, int Y, bool TestOnly) {
  if (!FDataLink->Active() || !FOptionsEx.Contains(dghRecordMoving)) return false;
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < 0 || cell.X >= FIndicatorOffset || cell.Y < TopDataOffset() || cell.Y >= RowCount())
    return false;
  db::TDataSet* ds = FDataLink->DataSet();
  if (!ds || (ds->Bof() && ds->Eof())) return false;
  const int dataRow = cell.Y - TopDataOffset();
  db::TBookmark bookmark;
  {
    const int old = SetDrawRecord(dataRow);
    try {
      bookmark = ds->GetBookmark();
      FMoveRowSourLevel = FIntMemTable ? FIntMemTable->TreeNodeLevel() : -1;
    } catch (...) {
      RestoreDrawRecord(old);
      throw;
    }
    RestoreDrawRecord(old);
  }
  // The keys held at the press, not at some later call.
  const ui::TShiftState shift = FStartShiftState;
  if (CanSelectType(gstRecordBookmarks)) {
    // Where records are selected by the indicator, a drag moves the
    // selected ones; any other press there goes on selecting.
    if (shift.Contains(ui::ssShift) || shift.Contains(ui::ssAlt) || shift.Contains(ui::ssCtrl)) return false;
    int at = 0;
    if (!FBookmarks->Find(bookmark, at)) return false;
  }
  if (TestOnly) return true;
  FMoveRowSour = FMoveRowDest = cell.Y;
  FMoveBookmarkSour = bookmark;
  if (!CanMoveDataRows()) return true;
  FDBGridExState = dgsRowMoving;
  Update();
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  FMoveRowLeftBounds = CalcRowMoveTreeLevel(cell.Y, TPoint{X, Y}, FMoveRowDestLevel);
  if (FMoveRowLeftBounds == 0) FMoveRowLeftBounds = info.ColAxis.FixedEnd;
  ShowRowMoveMarker(FMoveRowLeftBounds, info.ColAxis.LastWholeCellEnd);
  SetGridTimer(60);
  FTracking = true;
  return true;
}

int TCustomDBGridEx::CalcRowMoveTreeLevel(int Row, TPoint Point, int& Level) {
  Level = -1;
  if (!TreeTable(FIntMemTable) || FVisibleColumns.empty()) return 0;
  const int left = CellBounds(DataColToGridCol(FVisibleColumns.front()->Index()), TopRow()).Left;
  const int count = DataRowCount();
  const int r = std::clamp(Row - TopDataOffset(), 0, std::max(0, count - 1));
  int prev = 0, next = 0;
  {
    TViewRowRead read(FIntMemTable, r);
    Level = FIntMemTable->TreeNodeLevel();
    prev = FIntMemTable->PrevVisibleNodeLevel();
    next = FIntMemTable->NextVisibleNodeLevel();
  }
  if (next <= 0) next = 1;
  int base = left + kBand * Level;
  int threshold = base;
  if (r > FMoveRowSour - TopDataOffset()) {
    prev = Level;
    Level = next;
    base = left + kBand * next;
    threshold = base;
  } else {
    threshold = left + kBand * next;
  }
  if (Point.X > threshold) {
    Level = std::min((Point.X - left) / kBand, prev + 1);
    return left + kBand * Level;
  }
  return base;
}

void TCustomDBGridEx::CalcRowMoveTarget(int Y, int Row, TPoint Point) {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const auto& v = info.RowAxis;
  int level = -1;
  const int x = CalcRowMoveTreeLevel(Row, Point, level);
  const int top = TopDataOffset();
  if (FIntMemTable) {
    if (x == FMoveRowLeftBounds) {
      if (Row == FMoveRowDest) return;
      if (FMoveRowDest == FixedRows() && Y < v.FixedEnd) return;
      if (FMoveRowDest == RowCount() - 1 && Y > v.CellsEnd) return;
    }
    if (Y < v.FixedEnd) {
      if (FMoveRowDest != FixedRows() && SafeMoveTop(TopRow() - 1, true) != TopRow()) {
        SafeMoveTop(TopRow() - 1);
        Update();
      }
      Row = TopRow();
    } else if (Y >= v.LastWholeCellEnd) {
      if (SafeMoveTop(TopRow() + 1, true) != TopRow()) {
        SafeMoveTop(TopRow() + 1);
        Update();
        FillDrawInfo(info);
      }
      Row = info.RowAxis.LastWholeCell;
    } else if (Row < 0) {
      Row = FMoveRowDest;
    }
    if (!MoveBookmarkedRows(Row - top, level, true)) return;
  } else {
    if (Row == FMoveRowDest && Y >= v.FixedEnd && Y <= v.CellsEnd) return;
    db::TDataSet* ds = FDataLink->DataSet();
    if (Row >= top + DataRowCount() || Y > v.CellsEnd) {
      ds->MoveBy(FDataLink->RecordCount() - FDataLink->ActiveRecord());
      ds->MoveBy(1);
      Row = top + DataRowCount() - 1;
      Update();
    } else if (Row < top) {
      ds->MoveBy(-FDataLink->ActiveRecord());
      ds->MoveBy(-1);
      Row = top;
      Update();
    }
    if (!MoveBookmarkedRows(Row - top, level, true)) return;
  }
  FMoveRowDest = Row;
  FMoveRowDestLevel = level;
  FillDrawInfo(info);
  const int left = x != 0 ? x : info.ColAxis.FixedEnd;
  ShowRowMoveMarker(left, info.ColAxis.LastWholeCellEnd);
  FMoveRowLeftBounds = x;
}

void TCustomDBGridEx::ShowRowMoveMarker(int Left, int Right) {
  if (FDBGridExState != dgsRowMoving) return;
  const bool down =
      FMoveRowSour < FMoveRowDest || (FMoveRowSour == FMoveRowDest && FMoveRowDestLevel < FMoveRowSourLevel);
  const TRect r = CellBounds(0, FMoveRowDest);
  const int y = down ? r.Bottom : r.Top;
  FDataRowMoveLeftBoundary = Left;
  FDataRowMoveRightBoundary = Right;
  FRowMoveMarkerShown = true;
  if (!HandleAllocated()) return;
  TGridMoveLineEx* line = SharedGridMoveLine();
  if (line->Visible())
    line->MoveToFor(this, ClientToScreen(TPoint{Left, y}));
  else
    line->StartShow(this, ClientToScreen(TPoint{Left, y}), std::max(1, Right - Left), false);
}

void TCustomDBGridEx::HideRowMoveMarker() {
  FRowMoveMarkerShown = false;
  if (TGridMoveLineEx* line = ExistingGridMoveLine()) line->HideWindow();
}

void TCustomDBGridEx::EndRowMoving(int X, int Y, bool Apply) {
  KillGridTimer();
  HideRowMoveMarker();
  FDBGridExState = dgsNormal;
  if (!Apply) return;
  int from = FMoveRowSour, to = FMoveRowDest;
  if (!ValidateRowMove(from, to, TPoint{X, Y})) return;
  if (FMoveRowDest != FMoveRowSour || FMoveRowDestLevel != FMoveRowSourLevel)
    MoveBookmarkedRows(FMoveRowDest - TopDataOffset(), FMoveRowDestLevel, false);
}

bool TCustomDBGridEx::MoveBookmarkedRows(int DataRow, int TreeLevel, bool CheckOnly) {
  if (FBookmarks->Count() > 0) return MoveDataRows(FBookmarks.get(), DataRowToRecNo(DataRow), TreeLevel, CheckOnly);
  TBMListEx list;
  list.AppendItem(FMoveBookmarkSour);
  return MoveDataRows(&list, DataRowToRecNo(DataRow), TreeLevel, CheckOnly);
}

int TCustomDBGridEx::DataRowToRecNo(int DataRow) {
  if (!FDataLink->Active()) return 0;
  if (FIntMemTable) return DataRow + 1;
  const int old = FDataLink->ActiveRecord();
  FDataLink->SetActiveRecord(DataRow);
  int recNo = 0;
  try {
    recNo = FDataLink->DataSet()->RecNo();
  } catch (...) {
    FDataLink->SetActiveRecord(old);
    throw;
  }
  FDataLink->SetActiveRecord(old);
  return recNo;
}

}  // namespace grid
