// Painting of the base grid: margins, the lines of each area batched by
// colour, the cells of each area through PaintCell, default backgrounds and
// focus frames, fixed-cell edges, the background after the last cells,
// faded extended lines and the contra areas. Every walk starts at the first
// shown line and stops at the end of the update rectangle, so the cost of a
// paint follows the window size, not the number of lines.
#include <algorithm>

#include "grid/foundation/custom_grid_ex.h"
#include "grid/foundation/inplace_edit.h"

namespace grid {

using namespace ui;

// --- line colours -------------------------------------------------------------

TColor TGridLineColorsEx::GetDarkColor() const {
  return FColors[DarkColor] == clDefault ? TColor(0x808080) : FColors[DarkColor];
}

TColor TGridLineColorsEx::GetBrightColor() const {
  if (FColors[BrightColor] != clDefault) return FColors[BrightColor];
  return ColorToRGB(FGrid->Color()) == 0xC0C0C0 ? TColor(0x808080) : TColor(0xC0C0C0);
}

TColor TGridLineColorsEx::GetCellColor(int Col, int Row) const {
  if (Col < FGrid->FixedCols() - FGrid->FrozenColCount() || Row < FGrid->FixedRows() - FGrid->FrozenRowCount())
    return GetDarkColor();
  if (Col < FGrid->ColCount() && Row < FGrid->RowCount()) return GetBrightColor();
  if (Col < FGrid->ColCount() || Row >= FGrid->RowCount()) return GetVertAreaContraVertColor();
  return GetHorzAreaContraHorzColor();
}

TColor TGridLineColorsEx::GetLeftBorderCellColor(int Col, int) const {
  return Col == FGrid->ColCount() ? GetVertAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEx::GetTopBorderCellColor(int, int Row) const {
  return Row == FGrid->RowCount() ? GetHorzAreaContraBorderColor() : GetBrightColor();
}

TColor TGridLineColorsEx::GetRightBorderCellColor(int Col, int) const {
  return FGrid->FrozenColCount() > 0 && Col == FGrid->FixedCols() - 1 ? GetVertAreaFrozenBorderColor()
                                                                      : GetBrightColor();
}

TColor TGridLineColorsEx::GetDownBorderCellColor(int, int Row) const {
  return FGrid->FrozenRowCount() > 0 && Row == FGrid->FixedRows() - 1 ? GetDarkColor() : GetBrightColor();
}

// --- line batches ------------------------------------------------------------------

TGridLinesEx& TGridLinesCacheEx::GetGridLines(TColor Color) {
  if (FLast && FLast->Color == Color) return *FLast;
  for (auto& l : FLines)
    if (l->Color == Color) return *(FLast = l.get());
  FLines.push_back(std::make_unique<TGridLinesEx>());
  FLines.back()->Color = Color;
  return *(FLast = FLines.back().get());
}

void TGridLinesCacheEx::AddLine(TColor Color, int X1, int Y1, int X2, int Y2) {
  auto& l = GetGridLines(Color);
  l.Points.push_back({X1, Y1});
  l.Points.push_back({X2, Y2});
}

void TGridLinesCacheEx::Draw(TCustomGridEx* Grid) {
  for (auto& l : FLines) {
    Grid->Canvas()->Pen()->SetColor(l->Color);
    Grid->CanvasPolyPolyline(l->Points);
  }
}

void TCustomGridEx::CanvasPolyPolyline(const std::vector<TPoint>& Points) { Canvas()->LineSegments(Points); }

// --- margins and borders --------------------------------------------------------------

void TCustomGridEx::PaintOutBoundaries() {
  for (TGridCellBorderTypeEx k : {cbtTopEx, cbtLeftEx, cbtBottomEx, cbtRightEx}) {
    TRect r;
    if (FOutBoundaryData->GetOutBoundaryRect(r, k)) PaintOutBoundary(r);
  }
}

void TCustomGridEx::PaintOutBoundary(const TRect& Rect) {
  Canvas()->Brush()->SetColor(FFixedColor);
  Canvas()->FillRect(Rect);
}

void TCustomGridEx::CellBorderVisibility(int, int, TGridCellBorderTypeEx Side, bool& Draw, TColor&, bool& Extend) {
  if (Side == cbtLeftEx || Side == cbtRightEx) {
    Draw = FOptions.Contains(goVertLine);
    Extend = FOptions.Contains(goHorzLine);
  } else {
    Draw = FOptions.Contains(goHorzLine);
    Extend = FOptions.Contains(goVertLine);
  }
}

bool TCustomGridEx::HoldsFocus() const {
  if (!HandleAllocated()) return false;
  // The editor stands in for the grid: while it has the focus, the grid holds it.
  if (TCustomForm* form = GetParentForm(this)) {
    TWinControl* active = form->ActiveControl();
    return active == this || (active && FInplaceEdit && active == FInplaceEdit);
  }
  return Focused() || (FInplaceEdit && FInplaceEdit->Focused());
}

// --- areas --------------------------------------------------------------------------------------

struct TCustomGridEx::PaintArea {
  TRect rect;
  int firstCol, firstRow;
  int colLimit, rowLimit;  // exclusive
  bool fixedLines;         // the fixed-line options decide (else the data-line options)
  bool fixedState;         // cells get gdFixed
  TColor background;
};

void TCustomGridEx::DrawAreaLines(const TGridDrawMetricsEx& I, const PaintArea& A) {
  const bool doH = A.fixedLines ? FOptions.Contains(goFixedHorzLine) : FOptions.Contains(goHorzLine);
  const bool doV = A.fixedLines ? FOptions.Contains(goFixedVertLine) : FOptions.Contains(goVertLine);
  const TColor lineColor = FGridLineColors->GetCellColor(A.firstCol, A.firstRow);
  const int hl = I.ColAxis.AxisLineWidth, vl = I.RowAxis.AxisLineWidth;
  FGridLinesCache.Clear();
  const int right = std::min(A.rect.Right, FUpdateRect.Right + 1);
  const int bottom = std::min(A.rect.Bottom, FUpdateRect.Bottom + 1);
  int x = A.rect.Left;
  for (int col = A.firstCol; x < right - 1 && col < A.colLimit; ++col) {
    const int w = I.ColAxis.ExtentOf(col);
    if (x + w + hl >= FUpdateRect.Left) {
      int y = A.rect.Top;
      for (int row = A.firstRow; y < bottom - 1 && row < A.rowLimit; ++row) {
        const int h = I.RowAxis.ExtentOf(row);
        if (y + h + vl >= FUpdateRect.Top) {
          bool draw = false, extend = false;
          TColor c = doV ? lineColor : A.background;
          CellBorderVisibility(col, row, cbtRightEx, draw, c, extend);
          if (draw && hl > 0) FGridLinesCache.AddLine(c, x + w, y, x + w, y + h + (extend ? 1 : 0));
          c = doH ? lineColor : A.background;
          CellBorderVisibility(col, row, cbtBottomEx, draw, c, extend);
          if (draw && vl > 0) FGridLinesCache.AddLine(c, x, y + h, x + w + (extend ? 1 : 0), y + h);
        }
        y += h + vl;
      }
    }
    x += w + hl;
  }
  FGridLinesCache.Draw(this);
}

void TCustomGridEx::DrawAreaCells(const TGridDrawMetricsEx& I, const PaintArea& A) {
  const int hl = I.ColAxis.AxisLineWidth, vl = I.RowAxis.AxisLineWidth;
  const TGridCellRangeEx sel = SelectedRect();
  const bool focused = HoldsFocus();
  const bool rowSelect = FOptions.Contains(goRowSelect);
  const int currentFrom = FFixedCols - FrozenColCount();
  TCanvas* cv = Canvas();
  const int right = std::min(A.rect.Right, FUpdateRect.Right);
  const int bottom = std::min(A.rect.Bottom, FUpdateRect.Bottom);
  int top = A.rect.Top;
  for (int row = A.firstRow; top < bottom && row < A.rowLimit; ++row) {
    const int h = I.RowAxis.ExtentOf(row);
    if (top + h + vl <= FUpdateRect.Top) {
      top += h + vl;
      continue;
    }
    int left = A.rect.Left;
    for (int col = A.firstCol; left < right && col < A.colLimit; ++col) {
      const int w = I.ColAxis.ExtentOf(col);
      if (w <= 0 || left + w + hl <= FUpdateRect.Left) {
        left += w + hl;
        continue;
      }
      TGridDrawState st;
      if (A.fixedState) st.Include(gdFixed);
      if (TGridCoord{col, row} == FHotTrackCell) st.Include(gdHotTrack);
      if (row == FCurrent.Y && (rowSelect ? col >= currentFrom : col == FCurrent.X)) st.Include(gdCurrent);
      if (st.Contains(gdCurrent) && focused) st.Include(gdFocused);
      if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom) st.Include(gdSelected);
      TRect r{left, top, left + w, top + h};
      bool draw = false, extend = false;
      TColor dummy = 0;
      CellBorderVisibility(col, row, cbtRightEx, draw, dummy, extend);
      if (!draw) r.Right += hl;
      CellBorderVisibility(col, row, cbtBottomEx, draw, dummy, extend);
      if (!draw) r.Bottom += vl;
      if (FDefaultDrawing) {
        cv->SetFont(Font());
        if (st.Contains(gdSelected) && (!st.Contains(gdFocused) || FOptions.Contains(goDrawFocusSelected) ||
                                        rowSelect)) {
          cv->Brush()->SetColor(clHighlight);
          cv->Font()->SetColor(clHighlightText);
        } else {
          cv->Brush()->SetColor(A.background);
        }
        cv->FillRect(r);
      }
      TRect hit;
      if (IntersectRect(hit, r, FUpdateRect)) PaintCell(col, row, st, r);
      if (FDefaultDrawing && st.Contains(gdFixed) &&
          (FOptions.Contains(goFixedVertLine) || FOptions.Contains(goFixedHorzLine))) {
        TRect e = r;
        if (!FOptions.Contains(goFixedVertLine))
          e.Right += hl;
        else if (!FOptions.Contains(goFixedHorzLine))
          e.Bottom += vl;
        DrawFixedCellEdge(e);
      }
      if (FDefaultDrawing && st.Contains(gdFocused) &&
          !(FOptions.Contains(goEditing) && FOptions.Contains(goAlwaysShowEditor)) && !rowSelect)
        cv->DrawFocusRect(r);
      left += w + hl;
    }
    top += h + vl;
  }
}

void TCustomGridEx::DrawFixedCellEdge(TRect R) {
  TCanvas* cv = Canvas();
  // Mirrored, the edge keeps its light from the top left of the screen: it
  // is drawn unmirrored on the cell's surface rectangle, the flat look's
  // leading side (the right one there) lit.
  const bool mirrored = cv->Mirrored();
  int width = 0, height = 0;
  DrawAreaSize(width, height);
  if (mirrored) {
    R = cv->MirrorRect(R);
    cv->SetMirroring(false, 0);
  }
  if (FFlat) {
    cv->Pen()->SetColor(cv->Brush()->Color());
    if (mirrored) {
      cv->Polyline({{R.Right - 1, R.Bottom - 1}, {R.Left, R.Bottom - 1}, {R.Left, R.Top - 1}});
      cv->DrawEdge(R, BDR_RAISEDINNER, BF_RIGHT | BF_TOP);
    } else {
      cv->Polyline({{R.Left, R.Bottom - 1}, {R.Right - 1, R.Bottom - 1}, {R.Right - 1, R.Top - 1}});
      cv->DrawEdge(R, BDR_RAISEDINNER, BF_LEFT | BF_TOP);
    }
  } else {
    cv->DrawEdge(R, BDR_RAISEDINNER, BF_RECT);
  }
  if (mirrored) cv->SetMirroring(true, width);
}

void TCustomGridEx::PaintAreas(const TGridDrawMetricsEx& I, bool Lines) {
  const TGridAxisMetricsEx& H = I.ColAxis;
  const TGridAxisMetricsEx& V = I.RowAxis;
  const int fc = FFixedCols, fr = FFixedRows;
  const int zc = FrozenColCount(), zr = FrozenRowCount();
  const TColor data = Color();
  auto run = [&](const PaintArea& a) {
    if (a.rect.IsEmpty()) return;
    if (Lines)
      DrawAreaLines(I, a);
    else
      DrawAreaCells(I, a);
  };
  auto clipped = [&](const TRect& clip, bool needed, const std::function<void()>& f) {
    if (!needed) return f();
    const int saved = Canvas()->SaveDC();
    Canvas()->IntersectClipRect(clip);
    f();
    Canvas()->RestoreDC(saved);
  };
  auto line = [&](TColor c, int x1, int y1, int x2, int y2) {
    if (!Lines) return;
    Canvas()->Pen()->SetColor(c);
    Canvas()->MoveTo(x1, y1);
    Canvas()->LineTo(x2, y2);
  };
  // Leading corner: title rows and frozen rows over the fixed columns.
  run({{H.StartIndent, V.StartIndent, H.FixedEnd, V.FrozenStart}, 0, 0, fc, fr - zr, true, true, FFixedColor});
  run({{H.StartIndent, V.FrozenStart, H.FrozenStart, V.FixedEnd}, 0, fr - zr, fc - zc, fr, true, true, FFixedColor});
  run({{H.FrozenStart, V.FrozenStart, H.FixedEnd - (Lines ? 1 : 0), V.FixedEnd - (Lines ? 1 : 0)}, fc - zc, fr - zr,
       fc, fr, false, false, data});
  if (zr > 0) line(FGridLineColors->GetDownBorderCellColor(fc - 1, fr - 1), H.FrozenStart, V.FixedEnd - 1, H.FixedEnd,
                   V.FixedEnd - 1);
  if (zc > 0) line(FGridLineColors->GetRightBorderCellColor(fc - 1, fr - 1), H.FixedEnd - 1, V.FrozenStart,
                   H.FixedEnd - 1, V.FixedEnd);
  // Title and frozen rows over the scrollable columns.
  clipped({H.FixedEnd, 0, H.CellsEnd, V.FixedEnd}, H.DataOffset != 0, [&] {
    run({{H.DataOrigin, V.StartIndent, H.CellsEnd, V.FrozenStart}, FTopLeft.X, 0, FColCount, fr - zr, true, true,
         FFixedColor});
    run({{H.DataOrigin, V.FrozenStart, H.CellsEnd, V.FixedEnd}, FTopLeft.X, fr - zr, FColCount, fr, false, false,
         data});
    if (zr > 0) line(FGridLineColors->GetDownBorderCellColor(FTopLeft.X, fr - 1), H.FixedEnd, V.FixedEnd - 1,
                     H.CellsEnd, V.FixedEnd - 1);
  });
  // Fixed and frozen columns over the scrollable rows.
  clipped({0, V.FixedEnd, H.FixedEnd, V.CellsEnd}, V.DataOffset != 0, [&] {
    run({{H.StartIndent, V.DataOrigin, H.FrozenStart, V.CellsEnd}, 0, FTopLeft.Y, fc - zc, FRowCount, true, true,
         FFixedColor});
    if (zc > 0) {
      run({{H.FrozenStart, V.DataOrigin, H.FixedEnd, V.CellsEnd}, fc - zc, FTopLeft.Y, fc, FRowCount, false, false,
           data});
      line(FGridLineColors->GetRightBorderCellColor(fc - 1, FTopLeft.Y), H.FixedEnd - 1, V.DataOrigin,
           H.FixedEnd - 1, V.CellsEnd);
    }
  });
  // The data cells.
  clipped({H.FixedEnd, V.FixedEnd, H.CellsEnd, V.CellsEnd}, H.DataOffset != 0 || V.DataOffset != 0, [&] {
    run({{H.DataOrigin, V.DataOrigin, H.CellsEnd, V.CellsEnd}, FTopLeft.X, FTopLeft.Y, FColCount, FRowCount, false,
         false, data});
  });
}

void TCustomGridEx::Paint() {
  if (FScrollRangesPending && Showing()) RecalcScrollRanges();
  PaintClient();
}

void TCustomGridEx::PaintClient() {
  if (PaintLocked()) return;
  TCanvas* cv = Canvas();
  TGridDrawMetricsEx I;
  FillDrawInfo(I);
  // Right to left the whole grid is painted in its own (left-to-right)
  // coordinates onto a mirrored canvas.
  const bool mirror = RightToLeft() && !cv->Mirrored();
  if (mirror) cv->SetMirroring(true, I.ColAxis.ClientLength);
  PaintGridAreas(I);
  if (mirror) cv->SetMirroring(false, 0);
}

void TCustomGridEx::PaintGridAreas(const TGridDrawMetricsEx& I) {
  TCanvas* cv = Canvas();
  const TGridAxisMetricsEx& H = I.ColAxis;
  const TGridAxisMetricsEx& V = I.RowAxis;
  const bool contra = FContraColCount > 0 || FContraRowCount > 0;
  int saved = 0;
  if (contra) {
    saved = cv->SaveDC();
    cv->IntersectClipRect({0, 0, H.ContraStart, V.ContraStart});
  }
  FUpdateRect = cv->ClipRect();
  PaintOutBoundaries();
  if (H.AxisLineWidth > 0 || V.AxisLineWidth > 0) PaintAreas(I, true);
  PaintAreas(I, false);
  if (FOptions.Contains(goRowSelect) && FDefaultDrawing && HoldsFocus())
    cv->DrawFocusRect(CalcCellRangeRect(SelectedRect(), false));
  cv->Brush()->SetColor(Color());
  if (H.CellsEnd < H.DataAreaEnd) cv->FillRect({H.CellsEnd, V.StartIndent, H.DataAreaEnd, V.CellsEnd});
  if (V.CellsEnd < V.DataAreaEnd) {
    cv->FillRect({H.StartIndent, V.CellsEnd, H.FixedEnd + 1, V.DataAreaEnd});
    cv->FillRect({H.FixedEnd + 1, V.CellsEnd, H.DataAreaEnd, V.DataAreaEnd});
  }
  if (FOptions.Contains(goExtendVertLines)) {
    DrawExtendedVertLines(I, 0, H.FixedEnd);
    DrawExtendedVertLines(I, H.FixedEnd + 1, H.CellsEnd);
  }
  if (contra) {
    cv->RestoreDC(saved);
    FUpdateRect = cv->ClipRect();
    PaintContraAreas(I);
  }
}

void TCustomGridEx::DrawExtendedVertLines(const TGridDrawMetricsEx& I, int FromX, int ToX) {
  if (!FOptions.Contains(goVertLine)) return;
  const TGridAxisMetricsEx& H = I.ColAxis;
  const TGridAxisMetricsEx& V = I.RowAxis;
  if (V.CellsEnd >= V.ContraStart) return;
  TCanvas* cv = Canvas();
  const std::uint32_t bottom = ColorToRGB(Color());
  // A one-pixel column fading from the line colour into the background.
  auto fade = [&](int x, TColor top) {
    if (x < FromX || x > ToX) return;
    const std::uint32_t t = ColorToRGB(top);
    const int n = V.ContraStart - V.CellsEnd;
    for (int i = 0; i < n; ++i) {
      auto mix = [&](int shift) {
        const int a = (t >> shift) & 0xFF, b = (bottom >> shift) & 0xFF;
        return static_cast<std::uint32_t>(a + (b - a) * i / std::max(1, n - 1)) << shift;
      };
      cv->Brush()->SetColor(static_cast<TColor>(mix(0) | mix(8) | mix(16)));
      cv->FillRect({x, V.CellsEnd + i, x + 1, V.CellsEnd + i + 1});
    }
  };
  int x = H.StartIndent;
  for (int c = 0; c < FFixedCols; ++c) {
    x += H.ExtentOf(c);
    const bool dark = c < FFixedCols - FrozenColCount() || c == FFixedCols - 1;
    fade(x, dark ? FGridLineColors->GetDarkColor() : FGridLineColors->GetBrightColor());
    x += H.AxisLineWidth;
  }
  x = H.DataOrigin;
  for (int c = FTopLeft.X; c <= H.LastWholeCell && c < FColCount; ++c) {
    x += H.ExtentOf(c);
    fade(x, FGridLineColors->GetBrightColor());
    x += H.AxisLineWidth;
  }
  if (FContraColCount > 0) fade(H.ContraStart, FGridLineColors->GetDarkColor());
}

void TCustomGridEx::PaintContraAreas(const TGridDrawMetricsEx& I) {
  const TGridAxisMetricsEx& H = I.ColAxis;
  const TGridAxisMetricsEx& V = I.RowAxis;
  TCanvas* cv = Canvas();
  const int fc = FFixedCols, fr = FFixedRows;
  const int zc = FrozenColCount(), zr = FrozenRowCount();
  const int lw = FGridLineWidth;
  cv->Pen()->SetWidth(lw);
  auto both = [&](const PaintArea& a) {
    if (a.rect.IsEmpty()) return;
    DrawAreaLines(I, a);
    DrawAreaCells(I, a);
  };
  auto line = [&](TColor c, int x1, int y1, int x2, int y2) {
    cv->Pen()->SetColor(c);
    cv->MoveTo(x1, y1);
    cv->LineTo(x2, y2);
  };
  if (FContraRowCount > 0) {
    const int top = V.ContraStart + V.AxisLineWidth;
    both({{H.StartIndent, top, H.FrozenStart, V.TrailingIndentStart}, 0, FRowCount, fc - zc, FullRowCount(), true,
          true, FFixedColor});
    both({{H.FrozenStart, top, H.FixedEnd, V.TrailingIndentStart}, fc - zc, FRowCount, fc, FullRowCount(), false,
          false, Color()});
    const int saved = cv->SaveDC();
    cv->IntersectClipRect({H.FixedEnd, top, H.CellsEnd, V.TrailingIndentStart});
    both({{H.DataOrigin, top, H.CellsEnd, V.TrailingIndentStart}, FTopLeft.X, FRowCount, FColCount, FullRowCount(),
          false, false, Color()});
    cv->RestoreDC(saved);
    if (V.AxisLineWidth > 0)
      line(FGridLineColors->GetTopBorderCellColor(0, FRowCount), H.StartIndent, V.ContraStart, H.PaintEnd,
           V.ContraStart);
    cv->Brush()->SetColor(Color());
    if (V.CellsEnd < V.ContraStart) cv->FillRect({H.StartIndent, V.CellsEnd, H.ContraStart, V.ContraStart});
  }
  if (FContraColCount > 0) {
    const int left = H.ContraStart + H.AxisLineWidth;
    const int c0 = FColCount, c1 = FullColCount();
    both({{left, V.StartIndent, H.TrailingIndentStart, V.FrozenStart}, c0, 0, c1, fr - zr, true, true, FFixedColor});
    both({{left, V.FrozenStart, H.TrailingIndentStart, V.FixedEnd}, c0, fr - zr, c1, fr, false, false, Color()});
    const int saved = cv->SaveDC();
    cv->IntersectClipRect({left, V.FixedEnd, H.TrailingIndentStart, V.CellsEnd});
    both({{left, V.DataOrigin, H.TrailingIndentStart, V.CellsEnd}, c0, FTopLeft.Y, c1, FRowCount, false, false,
          Color()});
    cv->RestoreDC(saved);
    if (FContraRowCount > 0)
      both({{left, V.ContraStart + V.AxisLineWidth, H.TrailingIndentStart, V.TrailingIndentStart}, c0, FRowCount, c1,
            FullRowCount(), false, false, Color()});
    if (H.AxisLineWidth > 0)
      line(FGridLineColors->GetLeftBorderCellColor(FColCount, 0), H.ContraStart, V.StartIndent, H.ContraStart,
           V.PaintEnd);
    cv->Brush()->SetColor(Color());
    if (H.CellsEnd < H.ContraStart) cv->FillRect({H.CellsEnd, V.StartIndent, H.ContraStart, V.ContraStart});
    if (FOptions.Contains(goExtendVertLines)) DrawExtendedVertLines(I, H.ContraStart, H.TrailingIndentStart);
  }
  cv->Pen()->SetWidth(1);
}

}  // namespace grid
