// Resizing lines by dragging their grid lines, moving lines by dragging
// their fixed cells, and the feedback drawn meanwhile (dotted XOR sizing
// line, thick XOR row marker, the shared column move marker).
#include <algorithm>

#include "grid/foundation/custom_grid_ex.h"
#include "grid/foundation/grid_drag_windows.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

namespace {

constexpr unsigned kMoveTimerMs = 60;
// A period outside these bounds either floods the queue or never fires.
constexpr int kMinScrollPeriodMs = 60;
constexpr int kMaxScrollPeriodMs = 360;

// Where a sizing zone around a grid line at L lies: lead h before it, z wide.
struct SizingZone {
  int lead, width;
  explicit SizingZone(int LineWidth)
      : lead(LineWidth < 7 ? (7 - LineWidth) / 2 : 0), width(std::max(LineWidth, 7)) {}
  bool Hits(int L, int P) const { return L - lead <= P && P <= L - lead + width; }
};

// Finds the grid line of an axis whose zone holds P; false when none does.
bool FindSizingLine(const TGridAxisMetricsEx& A, int P, int& Index, int& Line) {
  const int lw = A.AxisLineWidth;
  const SizingZone zone(lw);
  // Frozen fixed lines.
  int L = A.FrozenStart;
  for (int i = A.FixedCount - A.FrozenCount; i < A.FixedCount; ++i) {
    L += A.ExtentOf(i);
    if (L > A.CellsEnd) break;
    if (zone.Hits(L, P)) {
      Index = i;
      Line = L;
      return true;
    }
    L += lw;
  }
  // Scrollable lines.
  L = A.DataOrigin;
  for (int i = A.FirstDataCell; i < A.CellCount; ++i) {
    L += A.ExtentOf(i);
    if (L > A.CellsEnd) break;
    if (zone.Hits(L, P)) {
      Index = i;
      Line = L;
      return true;
    }
    L += lw;
  }
  // The edge where a partly shown line is cut off.
  if (A.DataAreaEnd == A.CellsEnd && A.DataAreaEnd - zone.lead <= P && P <= A.DataAreaEnd) {
    Line = A.DataAreaEnd;
    Index = A.LastWholeCell + (A.LastWholeCellEnd == A.FixedEnd ? 0 : 1);
    return true;
  }
  if (A.ContraCount > 0) {
    // The boundary before the first contra line sizes that line from its left edge.
    if (A.ContraStart <= P && P <= A.DataAreaEnd + zone.lead) {
      Line = A.DataAreaEnd;
      Index = A.CellCount;
      return true;
    }
    L = A.ContraStart + lw;
    for (int i = A.CellCount; i <= A.TotalCellCount - 2; ++i) {
      L += A.ExtentOf(i);
      if (L > A.PaintEnd) break;
      if (zone.Hits(L, P)) {
        Index = i + 1;
        Line = L;
        return true;
      }
      L += lw;
    }
  }
  return false;
}

int ScrollPeriod(int Limit, int Distance) {
  const int d = Distance > 10 ? Distance - 10 : 1;
  const int period = static_cast<int>(static_cast<double>(Limit) / d * 1.5) + 60;
  return std::clamp(period, kMinScrollPeriodMs, kMaxScrollPeriodMs);
}

}  // namespace

void TCustomGridEx::DetectSizingState(int X, int Y, const TGridDrawMetricsEx& Info, TGridState& State, int& Index,
                                      int& Pos, int& Ofs) {
  State = gsNormal;
  Index = -1;
  TGridOptions opts = FOptions;
  if (Designing()) opts = opts + DesignOptionsBoost;
  if (!opts.Contains(goRowSizing) && !opts.Contains(goColSizing)) return;
  // Sizing works on logical positions; the line is drawn mirrored.
  X = LogicalX(X, Info.ColAxis);
  int line = 0;
  if (X > Info.ColAxis.FrozenStart && opts.Contains(goColSizing)) {
    if (Info.RowAxis.StartIndent <= Y && Y < Info.RowAxis.FrozenStart &&
        FindSizingLine(Info.ColAxis, X, Index, line)) {
      State = gsColSizing;
      Pos = line;
      Ofs = line - X;
    }
  } else if (Y > Info.RowAxis.FrozenStart && opts.Contains(goRowSizing) && X < Info.ColAxis.FrozenStart) {
    if (FindSizingLine(Info.RowAxis, Y, Index, line)) {
      State = gsRowSizing;
      Pos = line;
      Ofs = line - Y;
    }
  }
  if (State == gsNormal) Index = -1;
}

void TCustomGridEx::SizingLineExtent(const TGridDrawMetricsEx& Info, int& From, int& To) {
  const TGridAxisMetricsEx& across = FGridState == gsColSizing ? Info.RowAxis : Info.ColAxis;
  From = across.StartIndent;
  To = across.PaintEnd;
}

void TCustomGridEx::DrawSizingLine(const TGridDrawMetricsEx& Info) {
  TPen* pen = Canvas()->Pen();
  TPen saved;
  saved.Assign(pen);
  pen->SetStyle(psDot);
  pen->SetMode(pmXor);
  pen->SetWidth(1);
  pen->SetColor(clWhite);
  int from = 0, to = 0;
  SizingLineExtent(Info, from, to);
  // The feedback is drawn outside a paint, on the window's own pixels.
  auto x = [&](int Logical) { return LogicalX(Logical, Info.ColAxis); };
  if (FGridState == gsRowSizing) {
    Canvas()->MoveTo(x(from), FSizingPos);
    Canvas()->LineTo(x(to), FSizingPos);
  } else {
    Canvas()->MoveTo(x(FSizingPos), from);
    Canvas()->LineTo(x(FSizingPos), to);
  }
  pen->Assign(&saved);
}

int TCustomGridEx::CalcSizedExtent(const TGridAxisMetricsEx& A) const {
  const int lw = A.AxisLineWidth;
  const int i = FSizingIndex;
  if (i >= A.CellCount) {
    int end = A.ContraStart - lw;
    for (int k = A.CellCount; k <= i; ++k) end += A.ExtentOf(k) + lw;
    return end - FSizingPos;
  }
  int start;
  if (i < A.FixedCount) {
    start = A.FrozenStart;
    for (int k = A.FixedCount - A.FrozenCount; k < i; ++k) start += A.ExtentOf(k) + lw;
  } else {
    start = A.DataOrigin;
    for (int k = A.FirstDataCell; k < i; ++k) start += A.ExtentOf(k) + lw;
  }
  return FSizingPos - start;
}

bool TCustomGridEx::IsOverSizingLine(int X, int Y) {
  if (FGridState != gsNormal) return true;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  TGridState state;
  int index = 0, pos = 0, ofs = 0;
  DetectSizingState(X, Y, info, state, index, pos, ofs);
  return state != gsNormal;
}

void TCustomGridEx::UpdateSizingCursor(TPoint P) {
  TGridState state = FGridState;
  if (state == gsNormal) {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    int index = 0, pos = 0, ofs = 0;
    DetectSizingState(P.X, P.Y, info, state, index, pos, ofs);
  }
  const bool sizing = state == gsRowSizing || state == gsColSizing;
  if (sizing) {
    ShowControlCursor(this, state == gsRowSizing ? crVSplit : crHSplit);
    FSizingCursor = true;
  } else if (FSizingCursor) {
    ShowControlCursor(this, crDefault);
    FSizingCursor = false;
  }
}

// --- starting and ending a drag -----------------------------------------------------

void TCustomGridEx::StartSizingOrMove(int X, int Y, TShiftState) {
  // Called for a left press outside the selectable cells, after sizing
  // detection found nothing.
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X < 0 || cell.Y < 0) return;
  const TPoint p{X, Y};
  const bool fixedCol = cell.X < FFixedCols - FrozenColCount();
  const bool fixedRow = cell.Y < FFixedRows - FrozenRowCount();
  TGridDrawMetricsEx info;
  if (FOptions.Contains(goRowMoving) && fixedCol && cell.Y >= FFixedRows && cell.Y < FRowCount) {
    int index = cell.Y, pos = cell.Y;
    if (!CanStartRowMove(index, pos, p)) return;
    FMoveIndex = index;
    FMovePos = pos;
    FMovePosRightSite = false;
    FGridState = gsRowMoving;
    Update();
    FillDrawInfo(info);
    DrawMoveFeedback(info);
    StartSelectTimer(kMoveTimerMs);
  } else if (FOptions.Contains(goColMoving) && fixedRow && cell.X >= FFixedCols && cell.X < FColCount) {
    FillDrawInfo(info);
    StartColumnMove(cell.X, X, Y, info);
  }
}

void TCustomGridEx::StartColumnMove(int Index, int X, int Y, const TGridDrawMetricsEx& Info) {
  const int at = AxisCellAt(Info.ColAxis, X, true);
  int pos = std::max(at < 0 ? Index : at, FTopLeft.X);
  int index = Index;
  // The side follows the same rule as while tracking.
  bool right = index < pos;
  if (ColWidths(index) <= 0 && pos > index) {
    int next = index + 1;
    while (next < FColCount && ColWidths(next) <= 0) ++next;
    const int left = LineStartPixel(Info.ColAxis, next);
    if (pos == next && LogicalX(X, Info.ColAxis) < left + ColWidths(next) / 2) right = false;
  }
  if (!CanStartColumnMove(index, pos, {X, Y})) return;
  FMoveIndex = index;
  FMovePos = pos;
  FMovePosRightSite = right;
  FGridState = gsColMoving;
  Update();
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  DrawMoveFeedback(info);
  StartSelectTimer(kMoveTimerMs);
}

void TCustomGridEx::EndSizingOrMove(int X, int Y) {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  switch (FGridState) {
    case gsRowSizing:
    case gsColSizing: {
      DrawSizingLine(info);
      const bool rows = FGridState == gsRowSizing;
      const int extent = CalcSizedExtent(rows ? info.RowAxis : info.ColAxis);
      // A line dragged onto (or past) its start keeps its size.
      if (extent > 1) {
        if (rows)
          SetRowHeights(FSizingIndex, extent);
        else
          SetColWidths(FSizingIndex, extent);
        NotifyDesignerModified();
      }
      break;
    }
    case gsRowMoving: {
      DrawMoveFeedback(info);
      StopSelectTimer();
      int from = FMoveIndex, to = FMovePos;
      if (ValidateRowMove(from, to, {X, Y}) && from != to) {
        ShiftRow(from, to);
        NotifyDesignerModified();
      }
      SyncInplaceEditor();
      break;
    }
    case gsColMoving: {
      HideMoveMarker();
      StopSelectTimer();
      int from = FMoveIndex, to = FMovePos;
      if (ValidateColumnMove(from, to, {X, Y}) && from != to) {
        ShiftColumn(from, to);
        NotifyDesignerModified();
      }
      SyncInplaceEditor();
      break;
    }
    default:
      break;
  }
}

// --- move feedback ------------------------------------------------------------------

void TCustomGridEx::DrawMoveFeedback(const TGridDrawMetricsEx& Info) {
  if (FGridState == gsRowMoving) {
    TPen* pen = Canvas()->Pen();
    TPen saved;
    saved.Assign(pen);
    pen->SetStyle(psDot);
    pen->SetMode(pmXor);
    pen->SetWidth(5);
    pen->SetColor(clWhite);
    const int top = LineStartPixel(Info.RowAxis, FMovePos);
    const int y = FMoveIndex < FMovePos ? top + RowHeights(FMovePos) : top;
    Canvas()->MoveTo(0, y);
    Canvas()->LineTo(Info.ColAxis.ClientLength, y);
    pen->Assign(&saved);
  } else if (FGridState == gsColMoving) {
    const int left = LineStartPixel(Info.ColAxis, FMovePos);
    // On the grid line after or before the target; mirrored, that line
    // stands at the target's left or right edge on the window.
    const int x = FMovePosRightSite ? left + ColWidths(FMovePos) : left - 1;
    TGridMoveLineEx* marker = SharedGridMoveLine();
    const TPoint at{LogicalX(x, Info.ColAxis), Info.RowAxis.StartIndent};
    if (marker->Visible())
      marker->MoveToFor(this, at);
    else
      marker->StartShow(this, at, Info.RowAxis.PaintEnd - Info.RowAxis.StartIndent, true);
  }
}

void TCustomGridEx::HideMoveMarker() {
  if (TGridMoveLineEx* marker = ExistingGridMoveLine()) marker->HideWindow();
}

void TCustomGridEx::TrackMovePosition(int Pos, int Cell, TPoint P, bool IsRow, TGridDrawMetricsEx& Info) {
  const TGridAxisMetricsEx& A = IsRow ? Info.RowAxis : Info.ColAxis;
  if (!IsRow) Pos = LogicalX(Pos, A);
  bool right = FMoveIndex < FMovePos;
  if (!IsRow && ColWidths(FMoveIndex) <= 0) {
    // A hidden column dragged onto the first shown column after it lands
    // before that column while the pointer is on its left half.
    int next = FMoveIndex + 1;
    while (next < FColCount && ColWidths(next) <= 0) ++next;
    if (Cell == next && Pos < LineStartPixel(A, next) + ColWidths(next) / 2) right = false;
  }
  if (Cell == FMovePos && right == FMovePosRightSite) return;
  if (A.DataOffset == 0 && FMovePos == A.FixedCount && Pos < A.FixedEnd) return;
  if (FMovePos == A.CellCount - 1 && Pos > A.CellsEnd) return;
  if (IsRow) DrawMoveFeedback(Info);  // erase
  int candidate = Cell;
  const int bar = IsRow ? SB_VERT : SB_HORZ;
  // Pos is the grid's own: the steps go toward the first or the last lines
  // whichever way the window shows them.
  if (Pos < A.FixedEnd) {
    if (FMovePos > A.FixedCount || A.DataOffset > 0) {
      ApplyScrollCode(bar, SB_LINEUP, false, 0);
      Update();
      FillDrawInfo(Info);
    }
    candidate = (IsRow ? Info.RowAxis : Info.ColAxis).FirstDataCell;
  } else if (Pos >= A.LastWholeCellEnd) {
    if (FMovePos == A.LastWholeCell && FMovePos < A.CellCount - 1) {
      ApplyScrollCode(bar, SB_LINEDOWN, false, 0);
      Update();
      FillDrawInfo(Info);
    }
    candidate = (IsRow ? Info.RowAxis : Info.ColAxis).LastWholeCell;
  } else if (candidate < 0) {
    candidate = FMovePos;
  }
  int index = FMoveIndex;
  const bool agreed =
      IsRow ? CanMoveRowTo(index, candidate, P) : CanMoveColumnTo(index, candidate, P);
  if (agreed) {
    FMoveIndex = index;
    FMovePos = candidate;
    FMovePosRightSite = right;
  }
  DrawMoveFeedback(Info);
}

void TCustomGridEx::MoveTimerTick() {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const TPoint screen = CursorScreenPos();
  const TPoint p = ScreenToClient(screen);
  if (FGridState == gsRowMoving) {
    TrackMovePosition(p.Y, AxisCellAt(info.RowAxis, p.Y, false), p, true, info);
    return;
  }
  const int oldLeft = FTopLeft.X, oldSmooth = FSmoothPos.X;
  TrackMovePosition(p.X, AxisCellAt(info.ColAxis, p.X, true), p, false, info);
  int period = kMoveTimerMs;
  const bool scrolled = FTopLeft.X > oldLeft || FSmoothPos.X > oldSmooth;
  const int x = LogicalX(p.X, info.ColAxis);
  // The farther the cursor is beyond a boundary (on the screen, up to 200
  // pixels or the desktop's edge), the sooner the next step.
  auto beyond = [&](int Boundary, bool ToTheRight) {
    const int s = ClientToScreen({LogicalX(Boundary, info.ColAxis), 0}).X;
    const TRect desk = Screen ? Screen->DesktopRect() : TRect{s - 200, 0, s + 200, 0};
    const int limit = std::min(ToTheRight ? desk.Right - s : s - desk.Left, 200);
    return ScrollPeriod(limit, std::min(ToTheRight ? screen.X - s : s - screen.X, limit));
  };
  if (FMovePos < FFixedCols) {
    period = kMoveTimerMs;
  } else if (x < info.ColAxis.FixedEnd) {
    period = beyond(info.ColAxis.FixedEnd, RightToLeft());
  } else if (x <= info.ColAxis.DataAreaEnd && scrolled) {
    period = kMaxScrollPeriodMs;
  } else if (x > info.ColAxis.DataAreaEnd) {
    period = beyond(info.ColAxis.DataAreaEnd, !RightToLeft());
  }
  StartSelectTimer(static_cast<unsigned>(period));
}

}  // namespace grid
