// The layout snapshot every geometric question starts from, and what is
// built directly on it: cell rectangles, hit tests, end alignment and the
// invalidation of cell ranges. Every walk is bounded by the visible area.
#include <algorithm>

#include "grid/foundation/custom_grid_ex.h"

namespace grid {

using namespace ui;

int TGridAxisMetricsEx::ExtentOf(int Index) const {
  return IsRow ? Grid->RowHeights(Index) : Grid->ColWidths(Index);
}

void TCustomGridEx::DrawAreaSize(int& W, int& H) const {
  if (HandleAllocated()) {
    W = ClientWidth();
    H = ClientHeight();
  } else {
    W = Width();
    H = Height();
  }
}

void TCustomGridEx::FillDrawInfo(TGridDrawMetricsEx& Info) const {
  int w = 0, h = 0;
  DrawAreaSize(w, h);
  FillDrawInfo(Info, w, h);
}

void TCustomGridEx::FillDrawInfo(TGridDrawMetricsEx& Info, int W, int H) const {
  auto fill = [&](TGridAxisMetricsEx& a, bool isRow, int length) {
    a.Grid = this;
    a.IsRow = isRow;
    const bool lines = isRow ? (FOptions.Contains(goFixedHorzLine) || FOptions.Contains(goHorzLine))
                             : (FOptions.Contains(goFixedVertLine) || FOptions.Contains(goVertLine));
    a.AxisLineWidth = lines ? FGridLineWidth : 0;
    const int lw = a.AxisLineWidth;
    a.ContraCount = isRow ? FContraRowCount : FContraColCount;
    a.DataOffset = isRow ? FDataOffset.cy : FDataOffset.cx;
    a.CellCount = isRow ? FRowCount : FColCount;
    a.TotalCellCount = a.CellCount + a.ContraCount;
    int contra = 0;
    for (int i = a.CellCount; i < a.TotalCellCount; ++i) contra += a.ExtentOf(i) + lw;
    a.ContraStart = length - contra - (a.ContraCount > 0 ? lw : 0);
    a.StartIndent = isRow ? FOutBoundaryData->TopIndent() : FOutBoundaryData->LeftIndent();
    a.EndIndent = isRow ? FOutBoundaryData->BottomIndent() : FOutBoundaryData->RightIndent();
    a.FixedCount = isRow ? FFixedRows : FFixedCols;
    a.FirstDataCell = isRow ? FTopLeft.Y : FTopLeft.X;
    a.FrozenCount = isRow ? FrozenRowCount() : FrozenColCount();
    a.FixedEnd = a.StartIndent;
    for (int i = 0; i < a.FixedCount; ++i) a.FixedEnd += a.ExtentOf(i) + lw;
    a.FrozenStart = a.FixedEnd;
    for (int i = a.FixedCount - a.FrozenCount; i < a.FixedCount; ++i) a.FrozenStart -= a.ExtentOf(i) + lw;
    a.TrailingIndentStart = length - a.EndIndent;
    a.ClientLength = length;
    a.DataAreaEnd = a.ContraStart;
    a.CellsEnd = a.DataOrigin = a.FixedEnd - a.DataOffset;
    a.LastWholeCellEnd = a.FixedEnd;
    a.LastWholeCell = a.FirstDataCell;
    for (int i = a.FirstDataCell; i < a.CellCount; ++i) {
      a.CellsEnd += a.ExtentOf(i) + lw;
      if (a.CellsEnd > a.DataAreaEnd) {
        a.CellsEnd = a.DataAreaEnd;
        break;
      }
      a.LastWholeCell = i;
      a.LastWholeCellEnd = a.CellsEnd;
    }
    a.PaintEnd = a.ContraCount > 0 ? a.TrailingIndentStart : a.CellsEnd;
  };
  fill(Info.ColAxis, false, W);
  fill(Info.RowAxis, true, H);
}

int TCustomGridEx::AxisCellAt(const TGridAxisMetricsEx& A, int P, bool Horizontal) const {
  const int lw = A.AxisLineWidth;
  // Mirrored, pixel P shows logical pixel W - 1 - P (see CalcCellRangeRect),
  // so every pixel of a cell's rectangle answers that cell.
  if (Horizontal && RightToLeft()) {
    P = LogicalX(P, A);
    if (P < 0) return -1;
  }
  auto walk = [&](int pos, int from, int to) {
    for (int i = from; i < to; ++i) {
      pos += A.ExtentOf(i) + lw;
      if (P < pos) return i;
    }
    return -1;
  };
  if (P < A.StartIndent) return -1;
  if (P < A.FixedEnd) return walk(A.StartIndent, 0, A.FixedCount);
  if (P > A.ContraStart) return walk(A.ContraStart + lw, A.CellCount, A.TotalCellCount);
  return walk(A.DataOrigin, A.FirstDataCell, A.CellCount);
}

TGridCoord TCustomGridEx::CellAtPixel(int X, int Y, const TGridDrawMetricsEx& Info) const {
  return {AxisCellAt(Info.ColAxis, X, true), AxisCellAt(Info.RowAxis, Y, false)};
}

TGridCoord TCustomGridEx::MouseCoord(int X, int Y) const {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  TGridCoord c = CellAtPixel(X, Y, info);
  if (c.X < 0)
    c.Y = -1;
  else if (c.Y < 0)
    c.X = -1;
  return c;
}

int TCustomGridEx::LineStartPixel(const TGridAxisMetricsEx& A, int N) const {
  const int lw = A.AxisLineWidth;
  auto walk = [&](int pos, int from) {
    for (int i = from; i < N; ++i) {
      pos += A.ExtentOf(i) + lw;
      if (pos > A.TrailingIndentStart) return 0;
    }
    return pos;
  };
  if (N < A.FixedCount) return walk(A.StartIndent, 0);
  if (N >= A.CellCount && A.ContraCount > 0) return walk(A.ContraStart + lw, A.CellCount);
  if (N >= A.FirstDataCell) return walk(A.DataOrigin, A.FirstDataCell);
  return A.StartIndent;
}

TRect TCustomGridEx::CalcCellRangeRect(const TGridCellRangeEx& Range, bool IncludeLine) const {
  const TRect empty{};
  if (Range.Right < Range.Left || Range.Bottom < Range.Top) return empty;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  auto outOfView = [](const TGridAxisMetricsEx& a, int s, int e) {
    return s > a.LastWholeCell + 1 && (a.ContraCount == 0 || e < a.CellCount);
  };
  if (outOfView(info.ColAxis, Range.Left, Range.Right) || outOfView(info.RowAxis, Range.Top, Range.Bottom))
    return empty;
  // One axis; false when the range lies wholly among scrolled-away lines.
  auto axis = [&](const TGridAxisMetricsEx& a, int s, int e, int& start, int& end) {
    if (s > a.TotalCellCount + 1) s = a.TotalCellCount;
    if (s >= a.FixedCount && s < a.FirstDataCell) {
      if (e < a.FirstDataCell) return false;
      s = a.FirstDataCell;
    }
    if (e > a.LastWholeCell) {
      if (a.ContraCount > 0 && e >= a.CellCount) {
        e = std::min(e, a.TotalCellCount - 1);
      } else {
        e = a.LastWholeCell;
        if (e < a.CellCount - 1) {
          ++e;
          if (LineStartPixel(a, e) == 0) --e;
        }
      }
    }
    start = LineStartPixel(a, s);
    const int eStart = LineStartPixel(a, e);
    end = eStart != 0 ? eStart + a.ExtentOf(e) : start + a.ExtentOf(s);
    if (e >= a.CellCount && a.ContraCount > 0) {
      end = std::min(end, a.TrailingIndentStart);
    } else if (e >= a.FixedCount && end > a.DataAreaEnd) {
      end = a.DataAreaEnd;
    }
    if (s >= a.FixedCount && start < a.FixedEnd) start = a.FixedEnd;
    if (IncludeLine) end += a.AxisLineWidth;
    return true;
  };
  TRect r;
  if (!axis(info.ColAxis, Range.Left, Range.Right, r.Left, r.Right)) return empty;
  if (!axis(info.RowAxis, Range.Top, Range.Bottom, r.Top, r.Bottom)) return empty;
  // Inside a mirrored paint the canvas maps the logical rectangle itself.
  if (RightToLeft() && !Canvas()->Mirrored()) r = MirrorClientRect(r, info.ColAxis.ClientLength);
  return r;
}

TRect TCustomGridEx::CellRangeRect(int L, int T, int R, int B) const { return CalcCellRangeRect({L, T, R, B}, false); }
TRect TCustomGridEx::CellBounds(int Col, int Row) const { return CellRangeRect(Col, Row, Col, Row); }

TGridCoord TCustomGridEx::EndAlignedTopLeft(TGridCoord Coord, const TGridDrawMetricsEx& Info) const {
  auto axis = [](const TGridAxisMetricsEx& a, int c) {
    const int lw = a.AxisLineWidth;
    const int c2 = std::max(c, a.FixedCount);
    int result = c;
    int room = a.DataAreaEnd + lw;
    for (int i = c2; i >= a.FixedCount; --i) {
      const int ext = a.ExtentOf(i);
      if (ext <= 0) continue;
      room -= ext + lw;
      if (a.FixedEnd >= room) {
        if (result == c2 && a.ExtentOf(c2) <= 0) result = i;
        break;
      }
      result = i;
    }
    return result;
  };
  return {axis(Info.ColAxis, Coord.X), axis(Info.RowAxis, Coord.Y)};
}

TPoint TCustomGridEx::CalcEndAlignOffsets(TGridCoord Coord, const TGridDrawMetricsEx& Info) const {
  auto axis = [](const TGridAxisMetricsEx& a, int c) {
    int pos = a.DataAreaEnd;
    for (int i = c; i >= a.FixedCount; --i) {
      const int ext = a.ExtentOf(i);
      if (ext <= 0) continue;
      pos -= ext + a.AxisLineWidth;
      if (a.FixedEnd >= pos) return i == c ? 0 : a.FixedEnd - pos;
    }
    return 0;
  };
  return {axis(Info.ColAxis, Coord.X), axis(Info.RowAxis, Coord.Y)};
}

int TCustomGridEx::VisibleColCount() const {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  return info.ColAxis.LastWholeCell - FTopLeft.X + 1;
}

int TCustomGridEx::VisibleRowCount() const {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  return info.RowAxis.LastWholeCell - FTopLeft.Y + 1;
}

int TCustomGridEx::GridWidth() const {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  return info.ColAxis.CellsEnd;
}

int TCustomGridEx::GridHeight() const {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  return info.RowAxis.CellsEnd;
}

void TCustomGridEx::InvalidateCellRange(const TGridCellRangeEx& Range) {
  if (!HandleAllocated()) return;
  const TRect r = CalcCellRangeRect(Range, true);
  if (!r.IsEmpty()) InvalidateRect(r);
}

void TCustomGridEx::RepaintCell(int Col, int Row) { InvalidateCellRange({Col, Row, Col, Row}); }

void TCustomGridEx::RepaintColumn(int Col) {
  InvalidateCellRange({Col, 0, Col, FTopLeft.Y + VisibleRowCount()});
  if (FContraRowCount > 0) InvalidateCellRange({Col, FRowCount, Col, FullRowCount() - 1});
}

void TCustomGridEx::RepaintRow(int Row) {
  InvalidateCellRange({0, Row, FTopLeft.X + VisibleColCount(), Row});
  if (FContraColCount > 0) InvalidateCellRange({FColCount, Row, FullColCount() - 1, Row});
}

namespace {
// The parts of the union of A and B outside their intersection, in at most four bands.
std::vector<TRect> SelectionDiffRects(const TRect& A, const TRect& B) {
  TRect in;
  if (!IntersectRect(in, A, B)) return {A, B};
  const TRect u = UnionRect(A, B);
  return {{u.Left, u.Top, u.Right, in.Top},
          {u.Left, in.Bottom, u.Right, u.Bottom},
          {u.Left, in.Top, in.Left, in.Bottom},
          {in.Right, in.Top, u.Right, in.Bottom}};
}
}  // namespace

void TCustomGridEx::InvalidateSelectionChange(const TGridCellRangeEx& OldRange) {
  if (!HandleAllocated()) return;
  const TRect oldR = CalcCellRangeRect(OldRange, true);
  const TRect newR = CalcCellRangeRect(SelectedRect(), true);
  for (const TRect& r : SelectionDiffRects(oldR, newR))
    if (!r.IsEmpty()) InvalidateRect(r);
}

}  // namespace grid
