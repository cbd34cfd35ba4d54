// The base grid's object model: counts, extents, tab stops, line moves and
// the setters that keep them consistent.
#include "grid/foundation/custom_grid_ex.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/classes/scoped_change.h"

#include <algorithm>

namespace grid {

using namespace ui;

TGridCellRangeEx MakeGridRect(TGridCoord A, TGridCoord B) {
  return {std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X), std::max(A.Y, B.Y)};
}

void ThrowGridOperationError(const char* Message) { throw EInvalidGridOperationEx(Message); }

// --- extent arrays ---------------------------------------------------------

namespace {
// Counts at or above this are refused before anything is allocated.
constexpr std::int64_t kMaxExtentCount = 134217726;
}  // namespace

void ResizeExtentArray(TIntegerArray& Array, int Index, int Amount, int Default) {
  if (Amount == 0) return;
  const int n = Array.empty() ? 0 : Array[0];
  if (Index < 0 || Index > n) ThrowGridOperationError(SGridIndexOutOfRange);
  const std::int64_t m = std::int64_t{n} + Amount;
  if (m < 0) ThrowGridOperationError(STooManyDeleted);
  if (m >= kMaxExtentCount) ThrowGridOperationError(SGridTooLarge);
  if (m == 0) {
    Array.clear();
    return;
  }
  TIntegerArray out(static_cast<std::size_t>(m) + 1, Default);
  out[0] = static_cast<std::int32_t>(m);
  // Lines before Index keep their values; with an insertion the lines from
  // Index move up by Amount, with a deletion the lines after the removed
  // ones move down.
  for (int i = 0; i < Index && i < m; ++i) out[i + 1] = Array[i + 1];
  if (Amount > 0) {
    for (int i = Index; i < n; ++i) out[i + Amount + 1] = Array[i + 1];
    for (int i = Index; i < Index + Amount; ++i) out[i + 1] = Default;
  } else {
    for (int i = Index - Amount; i < n; ++i)
      if (i + Amount >= 0) out[i + Amount + 1] = Array[i + 1];
  }
  Array.swap(out);
}

void SetExtentCount(TIntegerArray& Array, int Count, int Default) {
  const int n = Array.empty() ? 0 : Array[0];
  ResizeExtentArray(Array, n, Count - n, Default);
}

void MoveExtentEntry(TIntegerArray& Array, int From, int To) {
  if (Array.empty()) return;
  const int n = Array[0];
  if (From < 0 || To < 0 || From >= n || To >= n) ThrowGridOperationError(SGridIndexOutOfRange);
  const std::int32_t v = Array[From + 1];
  if (From < To)
    std::move(Array.begin() + From + 2, Array.begin() + To + 2, Array.begin() + From + 1);
  else
    std::move_backward(Array.begin() + To + 1, Array.begin() + From + 1, Array.begin() + From + 2);
  Array[To + 1] = v;
}

bool ExtentArraysEqual(const TIntegerArray& A, const TIntegerArray& B) { return A == B; }

// --- margins -----------------------------------------------------------------

void TGridOutBoundaryDataEx::Changed() { FGrid->OutBoundaryUpdatedFromMargins(); }

void TGridOutBoundaryDataEx::SetLeftIndent(int Value) {
  ui::SetChanged(FLeftIndent, Value, [this] { Changed(); });
}
void TGridOutBoundaryDataEx::SetTopIndent(int Value) {
  ui::SetChanged(FTopIndent, Value, [this] { Changed(); });
}
void TGridOutBoundaryDataEx::SetRightIndent(int Value) {
  ui::SetChanged(FRightIndent, Value, [this] { Changed(); });
}
void TGridOutBoundaryDataEx::SetBottomIndent(int Value) {
  ui::SetChanged(FBottomIndent, Value, [this] { Changed(); });
}
void TGridOutBoundaryDataEx::SetLeftTopDrawPriority(TCornerDrawPriorityEx Value) {
  ui::SetChanged(FLeftTopDrawPriority, Value, [this] { Changed(); });
}
void TGridOutBoundaryDataEx::SetRightTopDrawPriority(TCornerDrawPriorityEx Value) {
  ui::SetChanged(FRightTopDrawPriority, Value, [this] { Changed(); });
}
void TGridOutBoundaryDataEx::SetRightBottomDrawPriority(TCornerDrawPriorityEx Value) {
  ui::SetChanged(FRightBottomDrawPriority, Value, [this] { Changed(); });
}

bool TGridOutBoundaryDataEx::GetOutBoundaryRect(TRect& R, TGridCellBorderTypeEx Kind) const {
  int cw = 0, ch = 0;
  FGrid->DrawAreaSize(cw, ch);
  const bool vLT = FLeftTopDrawPriority == crpVerticalDataPriorityEx;
  const bool vRT = FRightTopDrawPriority == crpVerticalDataPriorityEx;
  const bool vLB = FLeftBottomDrawPriority == crpVerticalDataPriorityEx;
  const bool vRB = FRightBottomDrawPriority == crpVerticalDataPriorityEx;
  switch (Kind) {
    case cbtTopEx:
      if (FTopIndent < 1) return false;
      R = {vLT ? FLeftIndent : 0, 0, vRT ? cw - FRightIndent : cw, FTopIndent};
      return true;
    case cbtBottomEx:
      if (FBottomIndent <= 0) return false;
      R = {vLB ? FLeftIndent : 0, ch - FBottomIndent, vRB ? cw - FRightIndent : cw, ch};
      return true;
    case cbtLeftEx:
      if (FLeftIndent <= 0) return false;
      R = {0, vLT ? 0 : FTopIndent, FLeftIndent, vLB ? ch : ch - FBottomIndent};
      return true;
    case cbtRightEx:
      if (FRightIndent < 1) return false;
      R = {cw - FRightIndent, vRT ? 0 : FTopIndent, cw, vRB ? ch : ch - FBottomIndent};
      return true;
  }
  return false;
}

void TGridOutBoundaryDataEx::InvalidateOutBoundary(TGridCellBorderTypeEx Kind) {
  TRect r;
  if (!FGrid->HandleAllocated() || !GetOutBoundaryRect(r, Kind)) return;
  // The margins are painted mirrored with the rest of the grid.
  if (FGrid->RightToLeft()) {
    int cw = 0, ch = 0;
    FGrid->DrawAreaSize(cw, ch);
    r = FGrid->MirrorClientRect(r, cw);
  }
  FGrid->InvalidateRect(r);
}

// --- construction ----------------------------------------------------------------

TCustomGridEx::TCustomGridEx(TComponent* AOwner) : TCustomControl(AOwner) {
  FOutBoundaryData = std::make_unique<TGridOutBoundaryDataEx>(this);
  FGridLineColors.reset(NewGridLineColors());
  FCurrent = FTopLeft = FAnchor = {FFixedCols, FFixedRows};
  SetControlStyle(TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csNeedsBorderPaint});
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
  SetBounds(Left(), Top(), FColCount * FDefaultColWidth, FRowCount * FDefaultRowHeight);
  UpdateFixedLineColor();
}

TCustomGridEx::~TCustomGridEx() {
  // The editor goes first: it talks to the grid while it is taken down.
  if (TInplaceEdit* e = FInplaceEdit) {
    FInplaceEdit = nullptr;
    e->FGrid = nullptr;
    delete e;
  }
  if (FGridState == gsColMoving) HideMoveMarker();
}

void TCustomGridEx::OutBoundaryUpdatedFromMargins() { OutBoundaryUpdated(); }

// --- counts ------------------------------------------------------------------------

int TCustomGridEx::FrozenColCount() const { return std::clamp(FFrozenColCount, 0, FFixedCols); }
int TCustomGridEx::FrozenRowCount() const { return std::clamp(FFrozenRowCount, 0, FFixedRows); }

void TCustomGridEx::SetFrozenColCount(int Value) {
  FFrozenColCount = Value;
  Invalidate();
}

void TCustomGridEx::SetFrozenRowCount(int Value) {
  FFrozenRowCount = Value;
  Invalidate();
}

void TCustomGridEx::SetColCount(int Value) {
  if (Value == FColCount) return;
  if (Value < 1) Value = 1;
  if (FFixedCols >= Value) FFixedCols = Value - 1;
  if (FContraColCount > 0)
    ChangeLineCount(std::min(FColCount, Value), Value - FColCount, false);
  else
    SetCellCounts(Value, FRowCount);
  if (FOptions.Contains(goRowSelect)) {
    FAnchor.X = FColCount - 1;
    Invalidate();
  }
  UpdateHorzDataSize();
  RecalcScrollRanges();
}

void TCustomGridEx::SetRowCount(int Value) {
  if (Value == FRowCount) return;
  if (Value < 1) Value = 1;
  if (FFixedRows >= Value) FFixedRows = Value - 1;
  if (FContraRowCount > 0)
    ChangeLineCount(std::min(FRowCount, Value), Value - FRowCount, true);
  else
    SetCellCounts(FColCount, Value);
  UpdateVertDataSize();
  RecalcScrollRanges();
}

void TCustomGridEx::SetContraColCount(int Value) {
  if (Value == FContraColCount) return;
  if (Value < 0) ThrowGridOperationError(SContraColNegative);
  ChangeContraCounts(Value, FContraRowCount);
  UpdateHorzDataSize();
  RecalcScrollRanges();
}

void TCustomGridEx::SetContraRowCount(int Value) {
  if (Value == FContraRowCount) return;
  if (Value < 0) ThrowGridOperationError(SContraRowNegative);
  ChangeContraCounts(FContraColCount, Value);
  UpdateVertDataSize();
  RecalcScrollRanges();
}

void TCustomGridEx::SetFixedCols(int Value) {
  if (Value == FFixedCols) return;
  if (Value < 0) ThrowGridOperationError(SGridIndexOutOfRange);
  if (Value >= FColCount) ThrowGridOperationError(SFixedColTooBig);
  FFixedCols = Value;
  UpdateHorzDataSize();
  RecalcScrollRanges();
  ResetCellPositions();
  Invalidate();
}

void TCustomGridEx::SetFixedRows(int Value) {
  if (Value == FFixedRows) return;
  if (Value < 0) ThrowGridOperationError(SGridIndexOutOfRange);
  if (Value >= FRowCount) ThrowGridOperationError(SFixedRowTooBig);
  FFixedRows = Value;
  UpdateVertDataSize();
  RecalcScrollRanges();
  ResetCellPositions();
  Invalidate();
}

void TCustomGridEx::ChangeContraCounts(int NewColCount, int NewRowCount) {
  const int oldC = FContraColCount, oldR = FContraRowCount;
  const TIntegerArray oldW = FColWidths, oldT = FTabStops, oldH = FRowHeights;
  FContraColCount = NewColCount;
  FContraRowCount = NewRowCount;
  try {
    if (!FColWidths.empty()) SetExtentCount(FColWidths, FullColCount(), FDefaultColWidth);
    if (!FTabStops.empty()) SetExtentCount(FTabStops, FullColCount(), 1);
    if (!FRowHeights.empty()) SetExtentCount(FRowHeights, FullRowCount(), FDefaultRowHeight);
    ExtentsRewritten();
  } catch (...) {
    // The caller learns that the change did not happen; the grid keeps the
    // counts and extents it had.
    FContraColCount = oldC;
    FContraRowCount = oldR;
    FColWidths = oldW;
    FTabStops = oldT;
    FRowHeights = oldH;
    ExtentsRewritten();
    throw;
  }
  Invalidate();
  RecalcScrollRanges();
}

void TCustomGridEx::SetCellCounts(int NewColCount, int NewRowCount) {
  TGridDrawMetricsEx oldInfo;
  const bool haveWindow = HandleAllocated();
  if (haveWindow) FillDrawInfo(oldInfo);
  const int oldC = FColCount, oldR = FRowCount, oldFC = FFixedCols, oldFR = FFixedRows;
  const TSize oldData = FGridDataSize, oldPage = FDataPageSize;
  try {
    ApplyCellCounts(NewColCount, NewRowCount, haveWindow ? &oldInfo : nullptr, oldC, oldR);
  } catch (...) {
    FGridDataSize = oldData;
    FDataPageSize = oldPage;
    FColCount = oldC;
    FRowCount = oldR;
    FFixedCols = oldFC;
    FFixedRows = oldFR;
    try {
      ApplyCellCounts(oldC, oldR, nullptr, oldC, oldR);
    } catch (...) {
    }
    Invalidate();
    throw;
  }
}

void TCustomGridEx::ApplyCellCounts(int NewColCount, int NewRowCount, const TGridDrawMetricsEx* OldInfo,
                                    int OldColCount, int OldRowCount) {
  FColCount = NewColCount;
  FRowCount = NewRowCount;
  if (FFixedCols >= FColCount) FFixedCols = FColCount - 1;
  if (FFixedRows >= FRowCount) FFixedRows = FRowCount - 1;
  if (!FColWidths.empty()) SetExtentCount(FColWidths, FullColCount(), FDefaultColWidth);
  if (!FTabStops.empty()) SetExtentCount(FTabStops, FullColCount(), 1);
  if (!FRowHeights.empty()) SetExtentCount(FRowHeights, FullRowCount(), FDefaultRowHeight);
  ExtentsRewritten();
  TGridCoord cur = FCurrent;
  if (cur.X >= FColCount || cur.Y >= FRowCount) {
    cur.X = std::min(cur.X, FColCount - 1);
    cur.Y = std::min(cur.Y, FRowCount - 1);
    MoveToCell(cur.X, cur.Y, true, true, true);
  }
  if (!(FAnchor == FCurrent) && (FAnchor.X >= FColCount || FAnchor.Y >= FRowCount)) {
    const TGridCellRangeEx old = SelectedRect();
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
    InvalidateSelectionChange(old);
  }
  if (VirtualView || !OldInfo || OldInfo->ColAxis.FirstDataCell != FTopLeft.X ||
      OldInfo->RowAxis.FirstDataCell != FTopLeft.Y) {
    Invalidate();
  } else if (HandleAllocated()) {
    TGridDrawMetricsEx now;
    FillDrawInfo(now);
    const int c = std::min(OldInfo->ColAxis.LastWholeCell, now.ColAxis.LastWholeCell);
    const int r = std::min(OldInfo->RowAxis.LastWholeCell, now.RowAxis.LastWholeCell);
    TRect rc = CellRangeRect(c, 0, c, 0);
    TRect rr = CellRangeRect(0, r, 0, r);
    // From that column on: mirrored, that is leftwards from its right edge.
    if (RightToLeft())
      InvalidateRect({0, 0, rc.IsEmpty() ? Width() : rc.Right, Height()});
    else
      InvalidateRect({rc.IsEmpty() ? 0 : rc.Left, 0, Width(), Height()});
    InvalidateRect({0, rr.IsEmpty() ? 0 : rr.Top, Width(), Height()});
  }
  RecalcScrollRanges();
  DimensionsChanged(OldColCount, OldRowCount);
}

void TCustomGridEx::ChangeLineCount(int Index, int Amount, bool IsRow) {
  if (Amount == 0) return;
  const TGridCoord oldCur = FCurrent;
  const int oldC = FColCount, oldR = FRowCount;
  TGridCoord cur = FCurrent;
  auto moveIndex = [&](int& v, int count) {
    if (v >= Index) {
      if (Amount < 0 && v < Index - Amount)
        v = Index;
      else
        v += Amount;
    }
    v = std::min(v, count - 1);
  };
  if (IsRow) {
    if (FRowCount + Amount < Index) ThrowGridOperationError(STooManyDeleted);
    if (!FRowHeights.empty()) ResizeExtentArray(FRowHeights, Index, Amount, FDefaultRowHeight);
    FRowSums.Invalidate();
    FRowCount += Amount;
    moveIndex(cur.Y, FRowCount);
  } else {
    if (FColCount + Amount < Index) ThrowGridOperationError(STooManyDeleted);
    TIntegerArray tabs = FTabStops;
    if (!tabs.empty()) ResizeExtentArray(tabs, Index, Amount, 1);
    if (!FColWidths.empty()) ResizeExtentArray(FColWidths, Index, Amount, FDefaultColWidth);
    FTabStops.swap(tabs);
    FColSums.Invalidate();
    FColCount += Amount;
    moveIndex(cur.X, FColCount);
  }
  // Contra lines are always present on this road and move with the count,
  // so the whole grid repaints; a window scroll first would be overdrawn.
  Invalidate();
  DimensionsChanged(oldC, oldR);
  if (!(cur == oldCur)) MoveToCell(cur.X, cur.Y, true, true, true);
  RecalcScrollRanges();
}

// --- extents ---------------------------------------------------------------------

int TCustomGridEx::ColWidths(int Index) const {
  if (Index < 0 || FColWidths.empty() || Index >= FullColCount() || Index >= FColWidths[0])
    return FDefaultColWidth;
  return FColWidths[Index + 1];
}

int TCustomGridEx::RowHeights(int Index) const {
  if (Index < 0 || FRowHeights.empty() || Index >= FullRowCount() || Index >= FRowHeights[0])
    return FDefaultRowHeight;
  return FRowHeights[Index + 1];
}

bool TCustomGridEx::TabStops(int Index) const {
  if (Index < 0 || FTabStops.empty() || Index >= FTabStops[0]) return true;
  return FTabStops[Index + 1] != 0;
}

void TCustomGridEx::SetColWidths(int Index, int Value) {
  if (Index < 0 || Index >= FullColCount()) ThrowGridOperationError(SGridIndexOutOfRange);
  if (FColWidths.empty()) {
    SetExtentCount(FColWidths, FullColCount(), FDefaultColWidth);
    FColSums.Invalidate();
  }
  if (FColWidths[Index + 1] == Value) return;
  ColWidthChanging(Index, FColWidths[Index + 1], Value);
  FColSums.Adjust(Index, std::int64_t{Value} - FColWidths[Index + 1]);
  FColWidths[Index + 1] = Value;
  ColumnWidthsUpdated();
}

void TCustomGridEx::SetRowHeights(int Index, int Value) {
  if (Index < 0 || Index >= FullRowCount()) ThrowGridOperationError(SGridIndexOutOfRange);
  if (FRowHeights.empty()) {
    SetExtentCount(FRowHeights, FullRowCount(), FDefaultRowHeight);
    FRowSums.Invalidate();
  }
  if (FRowHeights[Index + 1] == Value) return;
  RowHeightChanging(Index, FRowHeights[Index + 1], Value);
  FRowSums.Adjust(Index, std::int64_t{Value} - FRowHeights[Index + 1]);
  FRowHeights[Index + 1] = Value;
  RowHeightsUpdated();
}

void TCustomGridEx::SetTabStops(int Index, bool Value) {
  if (Index < 0 || Index >= FullColCount()) ThrowGridOperationError(SGridIndexOutOfRange);
  if (FTabStops.empty()) SetExtentCount(FTabStops, FullColCount(), 1);
  FTabStops[Index + 1] = Value ? 1 : 0;
}

void TCustomGridEx::SetDefaultColWidth(int Value) {
  FColWidths.clear();
  FColSums.Invalidate();
  FDefaultColWidth = Value;
  UpdateHorzDataSize();
  ColumnWidthsUpdated();
  Invalidate();
}

void TCustomGridEx::SetDefaultRowHeight(int Value) {
  FRowHeights.clear();
  FRowSums.Invalidate();
  FDefaultRowHeight = Value;
  UpdateVertDataSize();
  RowHeightsUpdated();
  Invalidate();
}

void TCustomGridEx::SetGridLineWidth(int Value) {
  if (Value == FGridLineWidth) return;
  FGridLineWidth = Value;
  UpdateHorzDataSize();
  UpdateVertDataSize();
  RecalcScrollRanges();
  Invalidate();
}

void TCustomGridEx::ColumnWidthsUpdated() {
  RecalcScrollRanges();
  SyncInplaceEditor();
}

void TCustomGridEx::RowHeightsUpdated() {
  RecalcScrollRanges();
  SyncInplaceEditor();
}

namespace {
int ClampInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

std::int64_t TCustomGridEx::ExtentSpan(bool IsRow, int From, int To) const {
  if (To <= From) return 0;
  const TIntegerArray& a = IsRow ? FRowHeights : FColWidths;
  const int def = IsRow ? FDefaultRowHeight : FDefaultColWidth;
  TExtentSums& sums = IsRow ? FRowSums : FColSums;
  return std::int64_t{To - From} * (def + FGridLineWidth) + sums.Excess(a, def, To) - sums.Excess(a, def, From);
}

void TCustomGridEx::UpdateHorzDataSize() {
  FGridDataSize.cx = ClampInt(ExtentSpan(false, FFixedCols, FColCount));
  FSmoothPos.X = ClampInt(ExtentSpan(false, FFixedCols, FTopLeft.X));
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  FDataPageSize.cx = std::max(0, info.ColAxis.DataAreaEnd - info.ColAxis.FixedEnd);
}

void TCustomGridEx::UpdateVertDataSize() {
  FGridDataSize.cy = ClampInt(ExtentSpan(true, FFixedRows, FRowCount));
  FSmoothPos.Y = ClampInt(ExtentSpan(true, FFixedRows, FTopLeft.Y));
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  FDataPageSize.cy = std::max(0, info.RowAxis.DataAreaEnd - info.RowAxis.FixedEnd);
}

void TCustomGridEx::ColWidthChanging(int Index, int OldValue, int NewValue) {
  Invalidate();
  if (Index >= FFixedCols && Index < FColCount) {
    if (HorzScrollIsSmooth()) FGridDataSize.cx += NewValue - OldValue;
  } else {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    FDataPageSize.cx = std::max(0, info.ColAxis.DataAreaEnd - info.ColAxis.FixedEnd + NewValue - OldValue);
  }
}

void TCustomGridEx::RowHeightChanging(int Index, int OldValue, int NewValue) {
  Invalidate();
  if (Index >= FFixedRows && Index < FRowCount) {
    if (VertScrollIsSmooth()) FGridDataSize.cy += NewValue - OldValue;
  } else {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    FDataPageSize.cy = std::max(0, info.RowAxis.DataAreaEnd - info.RowAxis.FixedEnd + NewValue - OldValue);
  }
}

// --- look ------------------------------------------------------------------------------

void TCustomGridEx::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomGridEx::SetScrollBars(TScrollStyle Value) {
  if (Value == FScrollBars) return;
  FScrollBars = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomGridEx::SetFixedColor(TColor Value) {
  if (Value == FFixedColor) return;
  FFixedColor = Value;
  Invalidate();
}

void TCustomGridEx::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  UpdateFixedLineColor();
  FlatUpdated();
  Invalidate();
}

void TCustomGridEx::SetOptions(TGridOptions Value) {
  if (Value == FOptions) return;
  if (Value.Contains(goRowSelect)) Value.Exclude(goAlwaysShowEditor);
  FOptions = Value;
  if (FOptions.Contains(goAlwaysShowEditor))
    EnterEditorMode();
  else
    LeaveEditorMode();
  if (FOptions.Contains(goRowSelect)) {
    MoveToCell(FCurrent.X, FCurrent.Y, false, false, true);
    UpdateHorzDataSize();
    UpdateVertDataSize();
  }
  RecalcScrollRanges();
  Invalidate();
}

// --- current cell --------------------------------------------------------------------------

void TCustomGridEx::ResetCellPositions() {
  FTopLeft = FCurrent = FAnchor = {FFixedCols, FFixedRows};
  if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
}

void TCustomGridEx::MoveToCell(int Col, int Row, bool ScrollY, bool ScrollX, bool MoveAnchor) {
  if (Col < 0 || Row < 0 || Col >= FColCount || Row >= FRowCount) ThrowGridOperationError(SGridIndexOutOfRange);
  if (!CellSelectable(Col, Row)) return;
  const TGridCellRangeEx oldSel = SelectedRect();
  const TGridCoord oldCur = FCurrent;
  FCurrent = {Col, Row};
  if (!FOptions.Contains(goAlwaysShowEditor)) LeaveEditorMode();
  if (MoveAnchor || !FOptions.Contains(goRangeSelect)) {
    FAnchor = FCurrent;
    if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
  }
  if (FOptions.Contains(goRowSelect)) FCurrent.X = FTopLeft.X;
  if (ScrollX || ScrollY) ScrollCellIntoView(FCurrent, ScrollX && !FOptions.Contains(goRowSelect), ScrollY);
  InvalidateSelectionChange(oldSel);
  RepaintCell(oldCur.X, oldCur.Y);
  RepaintCell(FCurrent.X, FCurrent.Y);
}

// --- line moves -------------------------------------------------------------------------------

void TCustomGridEx::AdjustIndexForMove(int& Index, int From, int To) const {
  if (Index == From)
    Index = To;
  else if (From < To && Index > From && Index <= To)
    --Index;
  else if (From > To && Index >= To && Index < From)
    ++Index;
}

void TCustomGridEx::ShiftColumn(int From, int To) {
  if (From == To) return;
  const bool hadWidths = !FColWidths.empty();
  if (hadWidths) {
    MoveExtentEntry(FColWidths, From, To);
    MoveExtentEntry(FTabStops, From, To);
    FColSums.Invalidate();
  }
  AdjustIndexForMove(FCurrent.X, From, To);
  AdjustIndexForMove(FAnchor.X, From, To);
  if (FInplaceCol >= 0) AdjustIndexForMove(FInplaceCol, From, To);
  if (HandleAllocated())
    InvalidateCellRange({std::min(From, To), 0, std::max(From, To), VisibleRowCount()});
  ColumnShifted(From, To);
  if (hadWidths) ColumnWidthsUpdated();
  SyncInplaceEditor();
}

void TCustomGridEx::ShiftRow(int From, int To) {
  if (From == To) return;
  const bool hadHeights = !FRowHeights.empty();
  if (hadHeights) MoveExtentEntry(FRowHeights, From, To);
  FRowSums.Invalidate();
  AdjustIndexForMove(FCurrent.Y, From, To);
  AdjustIndexForMove(FAnchor.Y, From, To);
  if (FInplaceRow >= 0) AdjustIndexForMove(FInplaceRow, From, To);
  if (HandleAllocated())
    InvalidateCellRange({0, std::min(From, To), VisibleColCount(), std::max(From, To)});
  RowShifted(From, To);
  if (hadHeights) RowHeightsUpdated();
  SyncInplaceEditor();
}

void TCustomGridEx::RemoveColumn(int Index) {
  ShiftColumn(Index, FullColCount() - 1);
  SetColCount(FColCount - 1);
}

void TCustomGridEx::RemoveRow(int Index) {
  LockPaint();
  try {
    if (Index == FCurrent.Y && Index > 0) SetRow(Index - 1);
    ShiftRow(Index, FullRowCount() - 1);
    SetRowCount(FRowCount - 1);
  } catch (...) {
    UnlockPaint();
    throw;
  }
  UnlockPaint();
}

void TCustomGridEx::SetRow(int Value) {
  if (Value != FCurrent.Y) GoToCell(FCurrent.X, Value, true);
}

void TCustomGridEx::SetCol(int Value) {
  if (Value != FCurrent.X) GoToCell(Value, FCurrent.Y, true);
}

void TCustomGridEx::GoToCell(int Col, int Row, bool MoveAnchor) {
  MoveToCell(Col, Row, true, true, MoveAnchor);
  SyncInplaceEditor();
  Click();
}

bool TCustomGridEx::ValidateColumnMove(int& From, int& To, TPoint) {
  if (From < To && !FMovePosRightSite) --To;
  return true;
}

int TCustomGridEx::HorzScrollStep() { return std::max(1, FDataPageSize.cx / 20); }
int TCustomGridEx::VertScrollStep() { return std::max(1, FDataPageSize.cy / 20); }

void TCustomGridEx::CellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnCellMouseClick)
    OnCellMouseClick(this, Cell, Button, Shift, X, Y);
  else
    DefaultCellMouseClick(Cell, Button, Shift, X, Y);
}

// --- stored extents -------------------------------------------------------------------------

namespace {
std::vector<std::int32_t> FirstLines(const TCustomGridEx& G, int Count, bool Rows) {
  std::vector<std::int32_t> out(static_cast<std::size_t>(Count));
  for (int i = 0; i < Count; ++i) out[i] = Rows ? G.RowHeights(i) : G.ColWidths(i);
  return out;
}
}  // namespace

bool TCustomGridEx::ColWidthsStored(const TCustomGridEx* Ancestor) const {
  if (!FSaveCellExtents) return false;
  if (!Ancestor) return !FColWidths.empty();
  return !ExtentArraysEqual(FColWidths, Ancestor->FColWidths);
}

bool TCustomGridEx::RowHeightsStored(const TCustomGridEx* Ancestor) const {
  if (!FSaveCellExtents) return false;
  if (!Ancestor) return !FRowHeights.empty();
  return !ExtentArraysEqual(FRowHeights, Ancestor->FRowHeights);
}

std::vector<std::int32_t> TCustomGridEx::WriteColWidths() const { return FirstLines(*this, FColCount, false); }
std::vector<std::int32_t> TCustomGridEx::WriteRowHeights() const { return FirstLines(*this, FRowCount, true); }

void TCustomGridEx::ReadColWidths(const std::vector<std::int32_t>& List) {
  for (int i = 0; i < static_cast<int>(List.size()) && i < FColCount; ++i) SetColWidths(i, List[i]);
}

void TCustomGridEx::ReadRowHeights(const std::vector<std::int32_t>& List) {
  for (int i = 0; i < static_cast<int>(List.size()) && i < FRowCount; ++i) SetRowHeights(i, List[i]);
}

}  // namespace grid
