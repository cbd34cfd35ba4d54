// What continues while a mouse button is held: the pressed look of a title,
// the grid timer that keeps a selection growing while the mouse is outside
// the data, the end of every mouse mode, and the sizing lines the data grid
// adds to the base grid's (frozen title columns, rows only in the indicator).
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/db_grid_ex_indicator_title.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/grid_drag_windows.h"
#include "platform/data/dataset.h"
#include "platform/ui/timers.h"

namespace grid {

using namespace ui;

namespace {
constexpr std::uintptr_t kTrackingTimer = 1;
// A shorter period would fire on every pass of the event loop and starve
// painting and input while the selection runs.
constexpr int kMinTrackingPeriodMs = 10;
}  // namespace

void TCustomDBGridEx::EndMouseTracking() {
  if (!FTracking) return;
  if (FDBGridExState == dgsRowMoving) EndRowMoving(-1, -1, false);
  KillGridTimer();
  FIndicatorPressed = false;
  TrackTitlePress(-1, -1);
  FTracking = false;
  SetMouseCapture(false);
  FPressedCol = -1;
  FPressedDataCol = -1;
  FDataTracking = false;
  FDBGridExState = dgsNormal;
  FIndicatorTitle->SetDown(false);
}

void TCustomDBGridEx::TrackTitlePress(int X, int Y) {
  bool pressed = false;
  if (FDBGridExState == dgsGroupPanelTitleDown) {
    if (FDataGrouping && FPressedDataGroupLevelIdx >= 0 &&
        FPressedDataGroupLevelIdx < FDataGrouping->ActiveGroupLevelsCount()) {
      const TRect item = FDataGrouping->ActiveGroupLevelAt(FPressedDataGroupLevelIdx)->GroupPanelRect();
      pressed = item.Contains(TPoint{X, Y});
      if (pressed != FPressed) {
        FPressed = pressed;
        InvalidateRect(item);
      }
    }
    return;
  }
  if (FDBGridExState == dgsTitleFilterButtonDown && FPressedCol >= 0) {
    TRect button;
    const TGridCoord cell{FPressedCol, 0};
    pressed = FPressedCol < ColCount() &&
              TitleFilterButtonHitTest(cell, {X, Y}, button, CellBounds(cell.X, cell.Y)) != 0;
  } else if (FPressedCol >= 0) {
    const TGridCoord cell = MouseCoord(X, Y);
    const TRect client{0, 0, ClientWidth(), ClientHeight()};
    pressed = X >= 0 && Y >= 0 && PointWithinRect({X, Y}, client) && cell.Y == 0 && cell.X == FPressedCol &&
              cell.X >= FIndicatorOffset;
    if (pressed && IsUseMultiTitle()) {
      const int dataCol = GridColToDataCol(cell.X);
      if (dataCol >= 0 && dataCol < static_cast<int>(FLeafFieldArr.size()) &&
          FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf) {
        const TRect r = CellBounds(cell.X, cell.Y);
        pressed = Y >= r.Bottom - FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf->Height;
      }
    }
    if (pressed && RowPanelActive()) pressed = RowPanelColumnAt(X, Y, true) == FPressedDataCol;
  }
  if (pressed == FPressed) return;
  FPressed = pressed;
  InvalidateTitle();
}

// --- timer 1 ----------------------------------------------------------------------------

void TCustomDBGridEx::SetGridTimer(int Interval) {
  Interval = std::max(Interval, kMinTrackingPeriodMs);
  if (!FTimerActive) {
    ui::SetTimer(this, kTrackingTimer, static_cast<unsigned>(Interval));
    FTimerInterval = Interval;
  } else if (Interval != FTimerInterval) {
    ui::KillTimer(this, kTrackingTimer);
    ui::SetTimer(this, kTrackingTimer, static_cast<unsigned>(Interval));
    FTimerInterval = Interval;
  }
  FTimerActive = true;
}

void TCustomDBGridEx::KillGridTimer() {
  if (!FTimerActive) return;
  ui::KillTimer(this, kTrackingTimer);
  FTimerActive = false;
  FTimerInterval = -1;
}

void TCustomDBGridEx::HandleWmTimer(TMessage& Message) {
  if (Message.WParam == kTrackingTimer &&
      (FIndicatorPressed || FDataTracking || FDBGridExState == dgsColSelecting)) {
    HandleTrackingTimer();
    return;
  }
  // The marker keeps moving and the rows keep scrolling while the mouse
  // rests above or below them.
  // A panel column dragged past the grid's side keeps scrolling it.
  if (Message.WParam == kTrackingTimer && RowPanelActive() && FRowPanelMoveCol >= 0 &&
      GridState() == gsColMoving) {
    const TPoint p = ScreenToClient(CursorScreenPos());
    TrackRowPanelColumnMove(FMouseShift, p.X, p.Y);
    return;
  }
  if (Message.WParam == kTrackingTimer && FDBGridExState == dgsRowMoving) {
    const TPoint p = ScreenToClient(CursorScreenPos());
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    CalcRowMoveTarget(p.Y, AxisCellAt(info.RowAxis, p.Y, false), p);
    return;
  }
  TCustomGridEx::Dispatch(Message);
}

void TCustomDBGridEx::HandleTrackingTimer() {
  const TRect D = DataRect();
  if (FDBGridExState == dgsColSelecting) {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    const TPoint cursor = ScreenToClient(CursorScreenPos());
    const int x = LogicalX(cursor.X, info.ColAxis);
    auto extendTo = [this](int GridCol) {
      const int data = GridColToDataCol(GridCol);
      if (data >= 0 && data < FColumns->Count()) FSelection->Columns()->SelectShift(FColumns->ColumnAt(data));
    };
    const int lastVisible = LeftCol() + VisibleColCount() - 1;
    if (x >= D.Right) {
      if (VisibleColCount() + LeftCol() < ColCount()) {
        SetLeftCol(LeftCol() + 1);
        const int next = VisibleColCount() + LeftCol() + FixedCols();
        extendTo(next < ColCount() ? next : LeftCol() + VisibleColCount() - 1);
      } else {
        extendTo(lastVisible);
      }
      SetGridTimer(200 - 10 * (x - D.Right));
    } else if (x < D.Left) {
      if (LeftCol() > FixedCols()) {
        SetLeftCol(LeftCol() - 1);
        extendTo(LeftCol() - 1 >= FixedCols() ? LeftCol() - 1 : LeftCol());
      } else {
        extendTo(LeftCol());
      }
      SetGridTimer(200 - 10 * (D.Left - x));
    }
    return;
  }
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const TPoint P = FDownMousePos;
  int vdir = 0, vdist = 0;
  if (P.Y < D.Top) {
    vdir = -1;
    vdist = D.Top - P.Y;
  } else if (P.Y >= D.Bottom) {
    vdir = 1;
    vdist = P.Y - D.Bottom + 1;
  }
  const int x = LogicalX(P.X, info.ColAxis);
  int hdir = 0, hdist = 0;
  if (x < D.Left) {
    hdir = -1;
    hdist = D.Left - x;
  } else if (x >= D.Right) {
    hdir = 1;
    hdist = x - D.Right + 1;
  }
  const int distance = std::max(vdist, hdist);
  if (vdir == 0 && hdir == 0) {
    KillGridTimer();
    return;
  }
  const int step = std::min(distance / 6, 8);
  db::TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
  LockUpdate();
  try {
    if (vdir != 0 && FDBGridExState != dgsRectSelecting && step > 0)
      MoveRecordSelecting(FMouseShift.Contains(ssLeft), vdir * step, true, false);
    if (hdir != 0 && FDataTracking) {
      const int left = LeftCol() + hdir;
      if (left >= FixedCols() && left < ColCount()) SetLeftCol(left);
    }
    if (FDBGridExState != dgsRowSelecting && FDataLink->Active())
      SelectDataColumn(SelectedIndex() + hdir, hdir <= 0 ? -1 : 1, false);
    if (FDBGridExState == dgsRectSelecting && ds) {
      if (step > 0 && vdir != 0) MoveBy(vdir * step);
      const int col = LeftCol() == FixedCols() && hdir == -1 && !FVisibleColumns.empty()
                          ? FVisibleColumns.front()->Index()
                          : SelectedIndex();
      FSelection->Rect()->Select(col, ds->GetBookmark(), true);
    }
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
  if (FUpdateLock == 0) Update();
  SetGridTimer(200 - 15 * distance);
}

// --- moving a row-panel column ------------------------------------------------------------

void TCustomDBGridEx::StartRowPanelColumnDrag(int DataCol, int X, int Y) {
  if (!RowPanelActive() || DataCol < 0 || DataCol >= FColumns->Count()) return;
  TrackTitlePress(-1, -1);
  FTracking = false;
  FPressedCol = -1;
  FPressedDataCol = -1;
  SetMouseCapture(true);
  BeginRowPanelColumnDrag(DataCol, X, Y);
}

void TCustomDBGridEx::BeginRowPanelColumnDrag(int DataCol, int X, int Y) {
  FDataLink->UpdateRecord();
  FGridState = gsColMoving;
  FRowPanelMoveCol = DataCol;
  FRowPanelMoveTarget = -1;
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  const auto& p = column->RowPlacement();
  // A column coming from a grouping level is hidden and has no width in the panel yet.
  const int width = column->Visible() ? p.Width : column->Width();
  if (HandleAllocated()) SharedGridDragBox()->StartShow(this, TPoint{X, Y}, p.Height, width);
  TrackRowPanelColumnMove(FMouseShift, X, Y);
}

void TCustomDBGridEx::TrackRowPanelColumnMove(TShiftState Shift, int X, int Y) {
  if (FRowPanelMoveCol < 0 || GridState() != gsColMoving) return;
  FMouseShift = Shift;
  if (HandleAllocated()) SharedGridDragBox()->MoveToFor(this, TPoint{X, Y});
  // The target is the panel cell under the mouse, in whichever row it is.
  const TGridCoord cell = MouseCoord(std::clamp(X, 0, std::max(0, ClientWidth() - 1)), Y);
  FRowPanelMoveTarget = -1;
  if (cell.X >= FIndicatorOffset && cell.X < ColCount() && cell.Y >= 0 && cell.Y < RowCount()) {
    const TRect r = RowPanelMasterCellRect(cell.Y);
    TRect inPanel;
    TColumnEx* target = GetCellRectInRowPanelAtPos(TPoint{X - r.Left, Y - r.Top}, inPanel, true);
    if (target && target->Visible()) FRowPanelMoveTarget = target->Index();
  }
  // Beyond the grid's sides the panel scrolls, faster the farther out;
  // mirrored, its end lies at the left.
  int outside = X < 0 ? X : X >= ClientWidth() ? X - ClientWidth() + 1 : 0;
  if (UseRightToLeftAlignment()) outside = -outside;
  if (outside != 0) {
    ScrollDataClamped(outside < 0 ? std::max(outside, -40) : std::min(outside, 40), 0);
    SetGridTimer(std::max(20, 200 - 10 * std::abs(outside)));
  } else if (FTimerActive) {
    KillGridTimer();
  }
}

void TCustomDBGridEx::EndRowPanelColumnMove(bool Apply) {
  if (FRowPanelMoveCol < 0) return;
  const int from = FRowPanelMoveCol, to = FRowPanelMoveTarget;
  FRowPanelMoveCol = FRowPanelMoveTarget = -1;
  // A drag that came down from the grouping panel: the level it started from.
  TGridDataGroupLevelEx* level = nullptr;
  if (FGroupDataMovingIndex >= 0 && FDataGrouping &&
      FGroupDataMovingIndex < FDataGrouping->ActiveGroupLevelsCount())
    level = FDataGrouping->ActiveGroupLevelAt(FGroupDataMovingIndex);
  FGroupDataMovingIndex = -1;
  if (GridState() == gsColMoving) FGridState = gsNormal;
  KillGridTimer();
  if (HandleAllocated()) SharedGridDragBox()->TemporaryHide();
  if (!Apply || to < 0 || to == from || from >= FColumns->Count() || to >= FColumns->Count()) return;
  TColumnEx* moved = FColumns->ColumnAt(from);
  TColumnEx* target = FColumns->ColumnAt(to);
  if (level && level->Column() != moved) level = nullptr;
  const int selected = SelectedIndex();
  TColumnEx* selectedColumn = selected >= 0 && selected < FColumns->Count() ? FColumns->ColumnAt(selected) : nullptr;
  // The moved column takes the target's place on its line; the target and
  // the cells after it move right.
  FColumns->BeginUpdate();
  try {
    moved->SetInRowLinePos(target->InRowLinePos());
    moved->SetIndex(to);
    // Dropped into the panel, a grouped column is shown again and no longer groups.
    if (level) moved->SetVisible(true);
  } catch (...) {
    FColumns->EndUpdate();
    throw;
  }
  FColumns->EndUpdate();
  delete level;
  RelayoutGrid();
  if (selectedColumn) FInRowPanelCol = selectedColumn->Index();
  RefreshEditorPlacement();
  if (OnColumnMoved) OnColumnMoved(this, from, moved->Index());
  NotifyDesignerModified();
  Invalidate();
}

// --- sizing lines ---------------------------------------------------------------------------

bool TCustomDBGridEx::DetectRowPanelTitleSizing(int X, int Y, TGridState& State, int& Index, int& Pos,
                                                int& Ofs) {
  TGridOptions opts = TCustomGridEx::Options();
  if (Designing()) opts = DesignOptionsForState();
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.Y != 0 || cell.X < FIndicatorOffset || cell.X >= ColCount()) return false;
  // Edges and positions are the grid's own, unmirrored, as the common sizing
  // keeps them; the master cell starts where painting puts it, scrolled or not.
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  X = LogicalX(X, info.ColAxis);
  const TRect r = RowPanelMasterCellRect(cell.Y, true);
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnEx* column = FColumns->ColumnAt(i);
    if (!column->Visible()) continue;
    const auto& p = column->RowPlacement();
    const TRect c{r.Left + p.Left, r.Top + p.Top, r.Left + p.Left + p.Width, r.Top + p.Top + p.Height};
    if (opts.Contains(goColSizing) && std::abs(X - c.Right) <= 3 && Y >= c.Top && Y <= c.Bottom) {
      State = gsColSizing;
      Index = i;
      Pos = c.Right;
      Ofs = c.Right - X;
      return true;
    }
    if (opts.Contains(goRowSizing) && std::abs(Y - c.Bottom) <= 3 && X >= c.Left && X <= c.Right) {
      State = gsRowSizing;
      Index = i;
      Pos = c.Bottom;
      Ofs = c.Bottom - Y;
      return true;
    }
  }
  return false;
}

void TCustomDBGridEx::SizingLineExtent(const TGridDrawMetricsEx& Info, int& From, int& To) {
  // With Shift the line marks only the sized panel cell, so the user sees
  // which of the cells sharing the edge is being sized.
  if (!RowPanelActive() || !FStartShiftState.Contains(ssShift) || FSizingIndex < 0 ||
      FSizingIndex >= FColumns->Count() || FIndicatorOffset >= ColCount()) {
    TCustomGridEx::SizingLineExtent(Info, From, To);
    return;
  }
  const auto& p = FColumns->ColumnAt(FSizingIndex)->RowPlacement();
  if (GridState() == gsRowSizing) {
    const TRect data = RowPanelMasterCellRect(std::min(TopDataOffset(), RowCount() - 1), true);
    From = data.Left + p.DataCellLeft;
    To = From + p.DataCellWidth;
  } else {
    const TRect title = RowPanelMasterCellRect(0, true);
    From = title.Top + p.Top;
    To = From + p.Height;
  }
}

bool TCustomDBGridEx::EndRowPanelSizing() {
  if (!RowPanelActive() || (GridState() != gsColSizing && GridState() != gsRowSizing)) return false;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  DrawSizingLine(info);
  const bool cols = GridState() == gsColSizing;
  FGridState = gsNormal;
  if (FSizingIndex < 0 || FSizingIndex >= FColumns->Count() || FIndicatorOffset >= ColCount()) return true;
  TColumnEx* column = FColumns->ColumnAt(FSizingIndex);
  const TRect r = RowPanelMasterCellRect(0, true);
  const auto& p = column->RowPlacement();
  if (cols) {
    // An edge dropped near another cell's edge lines up with it.
    int edge = FSizingPos;
    int best = 4;
    for (int i = 0; i < FColumns->Count(); ++i) {
      TColumnEx* other = FColumns->ColumnAt(i);
      if (other == column || !other->Visible()) continue;
      const auto& o = other->RowPlacement();
      for (int e : {r.Left + o.Left, r.Left + o.Left + o.Width})
        if (std::abs(e - FSizingPos) < best) {
          best = std::abs(e - FSizingPos);
          edge = e;
        }
    }
    const int width = edge - (r.Left + p.Left);
    if (width > 1) column->SetWidth(width);
  } else {
    const int line = InRowPanelLineHeight() + GridLineWidth();
    const int height = FSizingPos - (r.Top + p.Top);
    if (height > 1 && line > 0) column->SetInRowLineHeight(std::max(1, (height + line / 2) / line));
  }
  NotifyDesignerModified();
  return true;
}

void TCustomDBGridEx::DetectSizingState(int X, int Y, const TGridDrawMetricsEx& Info, TGridState& State,
                                        int& Index, int& Pos, int& Ofs) {
  if (RowPanelActive()) {
    const int indicator =
        HasIndicatorColumn() ? ColWidths(0) + (FOptions.Contains(dgColLines) ? GridLineWidth() : 0) : 0;
    if (LogicalX(X, Info.ColAxis) >= Info.ColAxis.StartIndent + indicator && Y >= 0 &&
        Y < Info.RowAxis.FixedEnd) {
      State = gsNormal;
      Index = -1;
      DetectRowPanelTitleSizing(X, Y, State, Index, Pos, Ofs);
      return;
    }
  }
  TCustomGridEx::DetectSizingState(X, Y, Info, State, Index, Pos, Ofs);
  if (State == gsColSizing) {
    if (Index >= FullColCount()) Index = ColCount() - 1;
    const int visibleData = Info.ColAxis.DataAreaEnd - Info.ColAxis.FixedEnd;
    if (ContraColCount() == 0 && VisibleColCount() == 1 && LeftCol() < ColCount() &&
        ColWidths(LeftCol()) > visibleData && Index > LeftCol())
      Index = LeftCol();
  } else if (State == gsRowSizing) {
    if (RowPanelActive()) {
      State = gsNormal;
      Index = -1;
      return;
    }
    const int indicator =
        HasIndicatorColumn() ? ColWidths(0) + (FOptions.Contains(dgColLines) ? GridLineWidth() : 0) : 0;
    if (LogicalX(X, Info.ColAxis) >= Info.ColAxis.StartIndent + indicator) {
      State = gsNormal;
      Index = -1;
    }
  }
}

bool TCustomDBGridEx::DetectFrozenColSizing(int X, int Y, int& Index, int& SizingPos, int& SizingOfs) {
  TGridOptions opts = TCustomGridEx::Options();
  if (Designing()) opts = opts + DesignOptionsBoost;
  if (!opts.Contains(goColSizing)) return false;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  if (Y < 0 || Y >= info.RowAxis.FixedEnd) return false;
  X = LogicalX(X, info.ColAxis);
  const int lw = info.ColAxis.AxisLineWidth;
  const int lead = lw > 6 ? 0 : (7 - lw) / 2;
  const int zone = std::max(7, lw);
  const int clientWidth = info.ColAxis.ClientLength;
  int start = info.ColAxis.StartIndent;
  for (int i = 0; i < FIndicatorOffset && i < ColCount(); ++i) start += ColWidths(i) + lw;
  for (int i = FIndicatorOffset; i < FixedCols(); ++i) {
    const int border = start + ColWidths(i);
    if (border > clientWidth) {
      if (start <= clientWidth && X >= clientWidth - lead && X < clientWidth - lead + zone) {
        Index = i;
        SizingPos = clientWidth;
        SizingOfs = clientWidth - X;
        return true;
      }
      return false;
    }
    if (X >= border - lead && X < border - lead + zone) {
      Index = i;
      SizingPos = border;
      SizingOfs = border - X;
      return true;
    }
    start = border + lw;
  }
  return false;
}

void TCustomDBGridEx::DrawFrozenSizingLine(int Width, int Height) {
  TCanvas* cv = Canvas();
  TPen saved;
  saved.Assign(cv->Pen());
  cv->Pen()->SetStyle(psDot);
  cv->Pen()->SetMode(pmXor);
  cv->Pen()->SetWidth(1);
  cv->Pen()->SetColor(clWhite);
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  if (GridState() == gsRowSizing) {
    cv->MoveTo(0, FSizingPos);
    cv->LineTo(Width, FSizingPos);
  } else {
    const int x = LogicalX(FSizingPos, info.ColAxis);
    cv->MoveTo(x, 0);
    cv->LineTo(x, Height);
  }
  cv->Pen()->Assign(&saved);
}

}  // namespace grid
