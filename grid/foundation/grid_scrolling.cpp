// Scrolling: cell by cell (the bar is a 0..127 scale over the first shown
// cell) or by pixels (the bar shows pixels and the first shown cell may be
// partly scrolled away). Window contents move with ScrollWindowEx; a move
// larger than the data area repaints instead.
#include <algorithm>
#include <cstdlib>

#include "platform/runtime/convert.h"
#include "grid/foundation/custom_grid_ex.h"
#include "platform/classes/scoped_change.h"

namespace grid {

using namespace ui;

namespace {
constexpr int kScrollScale = 127;

const TGridAxisMetricsEx& AxisOf(const TGridDrawMetricsEx& I, bool Row) { return Row ? I.RowAxis : I.ColAxis; }

// MulDiv that answers 0 for an empty range (every line fits).
int ScalePos(int Value, int Range) { return Range <= 0 ? 0 : rtl::MulDiv(Value, kScrollScale, Range); }
}  // namespace

void TCustomGridEx::SetTopLeftCell(int Col, int Row) {
  if (Col == FTopLeft.X && Row == FTopLeft.Y) return;
  Update();
  const TGridCoord oldTL = FTopLeft;
  const TSize oldOfs = FDataOffset;
  FTopLeft = {Col, Row};
  if (Col != oldTL.X) FDataOffset.cx = 0;
  if (Row != oldTL.Y) FDataOffset.cy = 0;
  AfterTopLeftChange(oldTL, oldOfs);
}

void TCustomGridEx::AfterTopLeftChange(TGridCoord OldTopLeft, TSize OldOffset) {
  SyncScrollBarPositions();
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  bool whole = false;
  auto amount = [&](bool isRow) {
    const TGridAxisMetricsEx& a = AxisOf(info, isRow);
    const int oldFirst = isRow ? OldTopLeft.Y : OldTopLeft.X;
    const int newFirst = isRow ? FTopLeft.Y : FTopLeft.X;
    const int oldOfs = isRow ? OldOffset.cy : OldOffset.cx;
    const int newOfs = isRow ? FDataOffset.cy : FDataOffset.cx;
    const int limit = a.CellsEnd - a.FixedEnd;
    std::int64_t sum = 0;
    if (oldFirst < newFirst) {
      sum = -oldOfs;
      for (int i = oldFirst; i < newFirst && !whole; ++i) {
        sum += a.ExtentOf(i) + a.AxisLineWidth;
        if (sum > limit) whole = true;
      }
      return static_cast<int>(-(sum + newOfs));
    }
    sum = oldOfs;
    for (int i = newFirst; i < oldFirst && !whole; ++i) {
      sum += a.ExtentOf(i) + a.AxisLineWidth;
      if (sum > limit) whole = true;
    }
    return static_cast<int>(sum - newOfs);
  };
  const int dx = amount(false);
  const int dy = amount(true);
  if (whole) {
    Invalidate();
  } else if (dx != 0 || dy != 0) {
    ScrollCellAreas(dx, dy);
  }
  RepositionEditor();
}

void TCustomGridEx::ScrollCellAreas(int DX, int DY) {
  if (!HandleAllocated()) return;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const TGridAxisMetricsEx& H = info.ColAxis;
  const TGridAxisMetricsEx& V = info.RowAxis;
  const unsigned flags = SW_INVALIDATE | (FDefaultDrawing ? 0u : SW_ERASE);
  const bool mirrored = RightToLeft();
  auto scroll = [&](TRect r, int dx, int dy) {
    if (r.IsEmpty()) return;
    // Mirrored, the areas lie at the other side and move the other way.
    if (mirrored) {
      r = MirrorClientRect(r, H.ClientLength);
      dx = -dx;
    }
    ScrollWindowEx(dx, dy, &r, &r, flags);
  };
  if (DX != 0 && DY != 0) {
    scroll({H.FixedEnd, V.StartIndent, H.DataAreaEnd, V.FixedEnd}, DX, 0);
    scroll({H.StartIndent, V.FixedEnd, H.FixedEnd, V.DataAreaEnd}, 0, DY);
    scroll({H.FixedEnd, V.FixedEnd, H.DataAreaEnd, V.DataAreaEnd}, DX, DY);
    scroll({H.FixedEnd, V.DataAreaEnd, H.DataAreaEnd, V.TrailingIndentStart}, DX, 0);
    scroll({H.DataAreaEnd, V.FixedEnd, H.TrailingIndentStart, V.DataAreaEnd}, 0, DY);
  } else if (DY != 0) {
    scroll({H.StartIndent, V.FixedEnd, H.TrailingIndentStart, V.DataAreaEnd}, 0, DY);
  } else if (DX != 0) {
    scroll({H.FixedEnd, V.StartIndent, H.DataAreaEnd, V.TrailingIndentStart}, DX, 0);
  }
  if (FOptions.Contains(goRowSelect)) InvalidateCellRange(SelectedRect());
}

void TCustomGridEx::ScrollDataArea(int DX, int DY) { ScrollCellAreas(DX, DY); }

void TCustomGridEx::ScrollDataUnclamped(int DX, int DY) {
  const TGridCoord oldTL = FTopLeft;
  const TSize oldOfs = FDataOffset;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  auto axis = [&](bool isRow, int delta, int& first, int& offset) {
    if (delta == 0) return;
    const TGridAxisMetricsEx& a = AxisOf(info, isRow);
    const int lw = a.AxisLineWidth;
    int b = delta + offset;
    if (delta > 0) {
      while (first < a.CellCount - 1) {
        const int e = a.ExtentOf(first) + lw;
        if (e >= b) break;
        ++first;
        b -= e;
      }
      offset = b;
    } else if (b < 0) {
      int e = -b;
      int ofs = 0;
      --first;
      while (first >= a.FixedCount) {
        const int ext = a.ExtentOf(first) + lw;
        if (ext >= e) {
          ofs = ext - e;
          break;
        }
        if (first == a.FixedCount) break;
        --first;
        e -= ext;
      }
      first = std::max(first, a.FixedCount);
      offset = ofs;
    } else {
      offset = b;
    }
  };
  axis(false, DX, FTopLeft.X, FDataOffset.cx);
  axis(true, DY, FTopLeft.Y, FDataOffset.cy);
  AfterTopLeftChange(oldTL, oldOfs);
}

void TCustomGridEx::ScrollDataClamped(int DX, int DY) {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  auto clamp = [&](bool isRow, int delta) {
    const TGridAxisMetricsEx& a = AxisOf(info, isRow);
    const int lw = a.AxisLineWidth;
    const int first = isRow ? FTopLeft.Y : FTopLeft.X;
    const int offset = isRow ? FDataOffset.cy : FDataOffset.cx;
    if (delta >= 0) {
      std::int64_t pos = std::int64_t{a.FixedEnd} - offset - delta;
      for (int i = first; i < a.CellCount && pos < a.DataAreaEnd; ++i) pos += a.ExtentOf(i) + lw;
      if (pos < a.DataAreaEnd) delta += static_cast<int>(pos - a.DataAreaEnd);
      return std::max(0, delta);
    }
    int need = -offset - delta;
    if (need > 0) {
      for (int i = first - 1; i >= a.FixedCount && need > 0; --i) {
        const int e = a.ExtentOf(i) + lw;
        if (e >= need)
          need = 0;
        else
          need -= e;
      }
      delta += need;
    }
    return std::min(0, delta);
  };
  const int dx = HorzScrollIsSmooth() ? clamp(false, DX) : 0;
  const int dy = VertScrollIsSmooth() ? clamp(true, DY) : 0;
  if (dx != 0 || dy != 0) ScrollDataUnclamped(dx, dy);
}

void TCustomGridEx::ScrollCellIntoView(TGridCoord Cell, bool CheckX, bool CheckY) {
  if (!HandleAllocated()) return;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const bool inX = Cell.X >= FTopLeft.X && Cell.X <= info.ColAxis.LastWholeCell &&
                   !(Cell.X == FTopLeft.X && FDataOffset.cx > 0);
  const bool inY = Cell.Y >= FTopLeft.Y && Cell.Y <= info.RowAxis.LastWholeCell &&
                   !(Cell.Y == FTopLeft.Y && FDataOffset.cy > 0);
  if (inX && inY) return;
  const TGridCoord oldTL = FTopLeft;
  const TSize oldOfs = FDataOffset;
  const TGridCoord max = EndAlignedTopLeft(Cell, info);
  const TPoint endOfs = CalcEndAlignOffsets(Cell, info);
  Update();
  auto axis = [&](bool isRow, int c, int& first, int& offset) {
    const TGridAxisMetricsEx& a = AxisOf(info, isRow);
    const int mx = isRow ? max.Y : max.X;
    const int eo = isRow ? endOfs.Y : endOfs.X;
    const bool smooth = isRow ? VertScrollIsSmooth() : HorzScrollIsSmooth();
    if (c == first && offset > 0) {
      offset = 0;
    } else if (c < first && c >= a.FixedCount) {
      first = c;
      offset = 0;
    } else if (c > a.LastWholeCell) {
      first = mx;
      offset = 0;
      if (smooth && mx > a.FixedCount && eo != 0) {
        first = mx - 1;
        offset = eo;
      }
    }
  };
  if (CheckX) axis(false, Cell.X, FTopLeft.X, FDataOffset.cx);
  if (CheckY) axis(true, Cell.Y, FTopLeft.Y, FDataOffset.cy);
  if (FTopLeft == oldTL && FDataOffset == oldOfs) return;
  AfterTopLeftChange(oldTL, oldOfs);
}

void TCustomGridEx::ApplyScrollCode(int Bar, int Code, bool RightToLeftAware, int Pos) {
  const int dir = (RightToLeftAware && RightToLeft()) ? -1 : 1;
  if (Showing() && CanFocus() && TabStop()) SetFocus();
  const bool horz = Bar == SB_HORZ;
  const bool smooth = horz ? (HorzScrollIsSmooth() || FColCount == 1) : VertScrollIsSmooth();
  if (smooth) {
    const int step = horz ? HorzScrollStep() : VertScrollStep();
    const int page = horz ? FDataPageSize.cx : FDataPageSize.cy;
    const int smoothPos = horz ? FSmoothPos.X : FSmoothPos.Y;
    int delta = 0;
    switch (Code) {
      case SB_LINEUP: delta = -step * dir; break;
      case SB_LINEDOWN: delta = step * dir; break;
      case SB_PAGEUP: delta = -page * dir; break;
      case SB_PAGEDOWN: delta = page * dir; break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK:
        if (Code == SB_THUMBPOSITION || FOptions.Contains(goThumbTracking))
          delta = (horz && dir < 0 ? SmoothPosOfHorzBar(Pos) : Pos) - smoothPos;
        break;
      case SB_TOP: delta = -smoothPos; break;
      case SB_BOTTOM:
        delta = horz ? FGridDataSize.cx - FDataPageSize.cx : FGridDataSize.cy - FDataPageSize.cy;
        break;
      default: break;
    }
    if (horz)
      ScrollDataClamped(delta, 0);
    else
      ScrollDataClamped(0, delta);
    return;
  }
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const TGridCoord maxTL = EndAlignedTopLeft({FColCount - 1, FRowCount - 1}, info);
  const TGridAxisMetricsEx& a = horz ? info.ColAxis : info.RowAxis;
  const int fixed = a.FixedCount;
  const int max = horz ? maxTL.X : maxTL.Y;
  const int d = horz ? dir : 1;
  int first = horz ? FTopLeft.X : FTopLeft.Y;
  auto pageBack = [&](int cur) {
    const TGridCoord back = EndAlignedTopLeft(FTopLeft, info);
    return cur - std::max(1, cur - (horz ? back.X : back.Y));
  };
  auto pageForward = [&](int cur) { return cur + std::max(1, a.LastWholeCell - cur); };
  // Mirrored, the page codes swap with the direction of travel, and so does
  // the size of the page (the one ahead, not the one behind).
  auto next = [&](int cur) {
    switch (Code) {
      case SB_LINEUP: return cur - d;
      case SB_LINEDOWN: return cur + d;
      case SB_PAGEUP: return d > 0 ? pageBack(cur) : pageForward(cur);
      case SB_PAGEDOWN: return d > 0 ? pageForward(cur) : pageBack(cur);
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK:
        if (Code == SB_THUMBTRACK && !FOptions.Contains(goThumbTracking)) return cur;
        if (d < 0) return max - rtl::MulDiv(Pos, max - fixed, kScrollScale);
        return fixed + rtl::MulDiv(Pos, max - fixed, kScrollScale);
      case SB_TOP: return fixed;
      case SB_BOTTOM: return max;
      default: return cur;
    }
  };
  int n = next(first);
  // Lines without extent are passed over.
  for (int guard = 0; n > fixed && n < max && a.ExtentOf(n) <= 0 && guard < 1000000; ++guard) {
    const int m = next(n);
    if (m == n) break;
    n = m;
  }
  n = std::clamp(n, fixed, std::max(fixed, max));
  TGridCoord tl = FTopLeft;
  (horz ? tl.X : tl.Y) = n;
  tl.X = std::clamp(tl.X, FFixedCols, std::max(FFixedCols, maxTL.X));
  tl.Y = std::clamp(tl.Y, FFixedRows, std::max(FFixedRows, maxTL.Y));
  if (!(tl == FTopLeft)) SetTopLeftCell(tl.X, tl.Y);
}


// The horizontal bar runs left to right while a mirrored grid starts at the
// right, so there the bar shows the pixels still to come instead of those
// scrolled past. FSmoothPos itself stays the pixels scrolled past.
int TCustomGridEx::HorzBarPos() const {
  if (!RightToLeft()) return FSmoothPos.X;
  return std::max(0, FGridDataSize.cx - FDataPageSize.cx - FSmoothPos.X);
}

int TCustomGridEx::SmoothPosOfHorzBar(int BarPos) const {
  if (!RightToLeft()) return BarPos;
  return FGridDataSize.cx - FDataPageSize.cx - BarPos;
}

void TCustomGridEx::SetScrollInfoIfChanged(int Bar, int Min, int Pos, int Page, int Max) {
  TScrollInfo cur;
  cur.fMask = SIF_ALL;
  GetScrollInfo(Bar, cur);
  if (cur.nMin == Min && cur.nMax == Max && static_cast<int>(cur.nPage) == Page && cur.nPos == Pos) return;
  TScrollInfo si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = Min;
  si.nMax = Max;
  si.nPage = static_cast<unsigned>(std::max(0, Page));
  si.nPos = Pos;
  SetScrollInfo(Bar, si, true);
}

bool TCustomGridEx::HasBar(int Bar) const {
  if (Bar == SB_HORZ) return FScrollBars == ssHorizontal || FScrollBars == ssBoth;
  return FScrollBars == ssVertical || FScrollBars == ssBoth;
}

void TCustomGridEx::RecalcScrollRanges() {
  if (FScrollBars == ssNone || PaintLocked()) return;
  if (!HandleAllocated() || !Showing()) {
    // Ranges need a shown window; the first paint sets them.
    FScrollRangesPending = true;
    return;
  }
  FScrollRangesPending = false;
  int w = ClientWidth(), h = ClientHeight();
  const int fullW = TControl::ClientRect().Width(), fullH = TControl::ClientRect().Height();
  if (ScrollBarVisible(SB_VERT)) w = fullW;
  if (ScrollBarVisible(SB_HORZ)) h = fullH;
  const TScrollStyle saved = FScrollBars;
  const TGridCoord oldTL = FTopLeft;
  bool flushed = false;
  {
    // Bars the layout hides while it measures do not feed back into it.
    ui::TScopedValue noBars(FScrollBars, ssNone);
    auto horizontal = [&](int W, int H) {
      if (!(saved == ssHorizontal || saved == ssBoth)) return;
      TGridDrawMetricsEx info;
      FillDrawInfo(info, W, H);
      if (HorzScrollIsSmooth()) {
        const int maxPos = std::max(0, FGridDataSize.cx + info.ColAxis.FixedEnd - W);
        if (FSmoothPos.X > maxPos) ScrollDataUnclamped(maxPos - FSmoothPos.X, 0);
        FDataPageSize.cx = std::max(0, W - info.ColAxis.FixedEnd);
        SetScrollInfoIfChanged(SB_HORZ, 0, HorzBarPos(), FDataPageSize.cx, std::max(0, FGridDataSize.cx - 1));
      } else if (FColCount == 1) {
        SetScrollInfoIfChanged(SB_HORZ, 0, 0, 0, std::max(0, ColWidths(0) - W));
      } else {
        const TGridCoord mx = EndAlignedTopLeft({FColCount - 1, FRowCount - 1}, info);
        if (mx.X > FFixedCols)
          SetScrollInfoIfChanged(SB_HORZ, 0, GetScrollPos(SB_HORZ), 0, kScrollScale);
        else
          SetScrollInfoIfChanged(SB_HORZ, 0, 0, 0, 0);
        if (mx.X < FTopLeft.X) {
          if (!flushed) Update();
          flushed = true;
          FTopLeft.X = std::max(FFixedCols, mx.X);
          FDataOffset.cx = 0;
        }
      }
    };
    auto vertical = [&](int W, int H) {
      if (!(saved == ssVertical || saved == ssBoth)) return;
      TGridDrawMetricsEx info;
      FillDrawInfo(info, W, H);
      if (VertScrollIsSmooth()) {
        const int maxPos = std::max(0, FGridDataSize.cy + info.RowAxis.FixedEnd - H);
        if (FSmoothPos.Y > maxPos) ScrollDataUnclamped(0, maxPos - FSmoothPos.Y);
        FDataPageSize.cy = std::max(0, H - info.RowAxis.FixedEnd);
        SetScrollInfoIfChanged(SB_VERT, 0, FSmoothPos.Y, FDataPageSize.cy, std::max(0, FGridDataSize.cy - 1));
      } else {
        const TGridCoord mx = EndAlignedTopLeft({FColCount - 1, FRowCount - 1}, info);
        if (mx.Y > FFixedRows)
          SetScrollInfoIfChanged(SB_VERT, 0, GetScrollPos(SB_VERT), 0, kScrollScale);
        else
          SetScrollInfoIfChanged(SB_VERT, 0, 0, 0, 0);
        if (mx.Y < FTopLeft.Y) {
          if (!flushed) Update();
          flushed = true;
          FTopLeft.Y = std::max(FFixedRows, mx.Y);
          FDataOffset.cy = 0;
        }
      }
    };
    horizontal(w, h);
    vertical(ClientWidth(), ClientHeight());
    if (ClientWidth() != w) horizontal(ClientWidth(), ClientHeight());
  }
  SyncScrollBarPositions();
  if (!(FTopLeft == oldTL)) AfterTopLeftChange(oldTL, FDataOffset);
}

void TCustomGridEx::SyncScrollBarPositions() {
  if (!HandleAllocated() || FScrollBars == ssNone) return;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const TGridCoord mx = EndAlignedTopLeft({FColCount - 1, FRowCount - 1}, info);
  if (HasBar(SB_HORZ)) {
    if (HorzScrollIsSmooth()) {
      FSmoothPos.X = static_cast<int>(
          std::clamp<std::int64_t>(FDataOffset.cx + ExtentSpan(false, FFixedCols, FTopLeft.X), 0, INT32_MAX));
      SetScrollInfoIfChanged(SB_HORZ, 0, HorzBarPos(), FDataPageSize.cx, std::max(0, FGridDataSize.cx - 1));
    } else if (FColCount == 1) {
      if (GetScrollPos(SB_HORZ) != FColOffset) SetScrollPos(SB_HORZ, FColOffset);
    } else {
      int pos = ScalePos(FTopLeft.X - FFixedCols, mx.X - FFixedCols);
      // The bar runs left to right; mirrored, the first columns sit at its right end.
      if (RightToLeft() && mx.X > FFixedCols) pos = kScrollScale - pos;
      if (GetScrollPos(SB_HORZ) != pos) SetScrollPos(SB_HORZ, pos);
    }
  }
  if (HasBar(SB_VERT)) {
    if (VertScrollIsSmooth()) {
      FSmoothPos.Y = static_cast<int>(
          std::clamp<std::int64_t>(FDataOffset.cy + ExtentSpan(true, FFixedRows, FTopLeft.Y), 0, INT32_MAX));
      SetScrollInfoIfChanged(SB_VERT, 0, FSmoothPos.Y, FDataPageSize.cy, std::max(0, FGridDataSize.cy - 1));
    } else {
      const int pos = ScalePos(FTopLeft.Y - FFixedRows, mx.Y - FFixedRows);
      if (GetScrollPos(SB_VERT) != pos) SetScrollPos(SB_VERT, pos);
    }
  }
}

bool TCustomGridEx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
  if (VertScrollIsSmooth())
    ScrollDataClamped(0, VertScrollStep());
  else if (FCurrent.Y < FRowCount - 1)
    SetRow(FCurrent.Y + 1);
  return true;
}

bool TCustomGridEx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
  if (VertScrollIsSmooth())
    ScrollDataClamped(0, -VertScrollStep());
  else if (FCurrent.Y > FFixedRows)
    SetRow(FCurrent.Y - 1);
  return true;
}

}  // namespace grid
