// The base grid: a self-painting window control showing a rectangle of cells
// with leading fixed lines (some of them frozen), scrollable lines and
// trailing "contra" lines. It owns geometry, hit testing and extents; what a
// cell shows is the business of the class that derives from it (PaintCell).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "grid/foundation/extent_sums.h"
#include "grid/foundation/grid_line_colors_ex.h"
#include "platform/ui/ui.h"

namespace grid {

using ui::String;
using ui::TColor;
using ui::TPoint;
using ui::TRect;
using ui::TSize;

struct TGridCoord {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

struct TGridCellRangeEx {
  std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TGridCellRangeEx&) const = default;
};

// The normalised range spanned by two corners.
TGridCellRangeEx MakeGridRect(TGridCoord A, TGridCoord B);

enum TGridOption {
  goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
  goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect,
  goAlwaysShowEditor, goThumbTracking, goExtendVertLines
};
using TGridOptions = ui::TSet<TGridOption>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed, gdHotTrack, gdCurrent };
using TGridDrawState = ui::TSet<TGridDrawStateItem>;

class TCustomGridEx;
class TInplaceEdit;
using TGridExCellMouseEvent = std::function<void(TCustomGridEx* Grid, TGridCoord Cell, ui::TMouseButton Button,
                                                 ui::TShiftState Shift, int X, int Y)>;

// Element 0 holds the number of lines N, elements 1..N the values of lines
// 0..N-1. Empty means every line has the default.
using TIntegerArray = std::vector<std::int32_t>;

class EInvalidGridOperationEx : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};
[[noreturn]] void ThrowGridOperationError(const char* Message);

// Texts of refused operations.
inline constexpr const char* SGridIndexOutOfRange = "Grid index out of range";
inline constexpr const char* STooManyDeleted = "Too many rows or columns deleted";
inline constexpr const char* SGridTooLarge = "Grid too large for operation";
inline constexpr const char* SFixedColTooBig = "Fixed column count must be less than column count";
inline constexpr const char* SFixedRowTooBig = "Fixed row count must be less than row count";
inline constexpr const char* SContraColNegative = "FContraColCount can not be negative.";
inline constexpr const char* SContraRowNegative = "FContraRowCount can not be negative.";

// Extent-array operations (used by every resize of widths, heights, tab stops).
void ResizeExtentArray(TIntegerArray& Array, int Index, int Amount, int Default);
void SetExtentCount(TIntegerArray& Array, int Count, int Default);
void MoveExtentEntry(TIntegerArray& Array, int From, int To);
bool ExtentArraysEqual(const TIntegerArray& A, const TIntegerArray& B);

// One axis of the per-paint layout snapshot (client pixels from the left / top).
struct TGridAxisMetricsEx {
  int AxisLineWidth = 0;
  int FixedEnd = 0;
  int CellsEnd = 0;
  int DataAreaEnd = 0;
  int LastWholeCell = 0;
  int LastWholeCellEnd = 0;
  int FixedCount = 0;
  int FirstDataCell = 0;
  int CellCount = 0;
  const TCustomGridEx* Grid = nullptr;
  bool IsRow = false;
  int FrozenStart = 0;
  int FrozenCount = 0;
  int ContraCount = 0;
  int ContraStart = 0;
  int TrailingIndentStart = 0;
  int ClientLength = 0;
  int PaintEnd = 0;
  int TotalCellCount = 0;
  int DataOffset = 0;
  int DataOrigin = 0;
  int StartIndent = 0;
  int EndIndent = 0;
  // Extent of line i on this axis (ColWidths / RowHeights).
  int ExtentOf(int Index) const;
};

struct TGridDrawMetricsEx {
  TGridAxisMetricsEx ColAxis;
  TGridAxisMetricsEx RowAxis;
};

enum TCornerDrawPriorityEx { crpHorizontalDataPriorityEx, crpVerticalDataPriorityEx };
enum TGridCellBorderTypeEx { cbtTopEx, cbtLeftEx, cbtBottomEx, cbtRightEx };

// The four out-of-grid margins.
class TGridOutBoundaryDataEx {
 public:
  explicit TGridOutBoundaryDataEx(TCustomGridEx* Grid) : FGrid(Grid) {}
  int LeftIndent() const { return FLeftIndent; }
  int TopIndent() const { return FTopIndent; }
  int RightIndent() const { return FRightIndent; }
  int BottomIndent() const { return FBottomIndent; }
  void SetLeftIndent(int V);
  void SetTopIndent(int V);
  void SetRightIndent(int V);
  void SetBottomIndent(int V);
  TCornerDrawPriorityEx LeftTopDrawPriority() const { return FLeftTopDrawPriority; }
  TCornerDrawPriorityEx RightTopDrawPriority() const { return FRightTopDrawPriority; }
  TCornerDrawPriorityEx LeftBottomDrawPriority() const { return FLeftBottomDrawPriority; }
  TCornerDrawPriorityEx RightBottomDrawPriority() const { return FRightBottomDrawPriority; }
  void SetLeftTopDrawPriority(TCornerDrawPriorityEx V);
  void SetRightTopDrawPriority(TCornerDrawPriorityEx V);
  // Only stores: the next paint uses it.
  void SetLeftBottomDrawPriority(TCornerDrawPriorityEx V) { FLeftBottomDrawPriority = V; }
  void SetRightBottomDrawPriority(TCornerDrawPriorityEx V);
  bool GetOutBoundaryRect(TRect& Rect, TGridCellBorderTypeEx Kind) const;
  void InvalidateOutBoundary(TGridCellBorderTypeEx Kind);

 private:
  void Changed();
  int FLeftIndent = 0, FTopIndent = 0, FRightIndent = 0, FBottomIndent = 0;
  TCornerDrawPriorityEx FLeftTopDrawPriority = crpHorizontalDataPriorityEx;
  TCornerDrawPriorityEx FRightTopDrawPriority = crpHorizontalDataPriorityEx;
  TCornerDrawPriorityEx FLeftBottomDrawPriority = crpHorizontalDataPriorityEx;
  TCornerDrawPriorityEx FRightBottomDrawPriority = crpHorizontalDataPriorityEx;
  TCustomGridEx* FGrid;
};

class TCustomGridEx : public ui::TCustomControl {
  friend class TInplaceEdit;

 public:
  explicit TCustomGridEx(ui::TComponent* AOwner);
  ~TCustomGridEx() override;

  // --- counts
  int ColCount() const { return FColCount; }
  void SetColCount(int Value);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  int FixedCols() const { return FFixedCols; }
  void SetFixedCols(int Value);
  int FixedRows() const { return FFixedRows; }
  void SetFixedRows(int Value);
  // Clamped to the fixed counts on read: a frozen line is always a fixed one.
  int FrozenColCount() const;
  void SetFrozenColCount(int Value);
  int FrozenRowCount() const;
  void SetFrozenRowCount(int Value);
  int ContraColCount() const { return FContraColCount; }
  void SetContraColCount(int Value);
  int ContraRowCount() const { return FContraRowCount; }
  void SetContraRowCount(int Value);
  int FullColCount() const { return FColCount + FContraColCount; }
  int FullRowCount() const { return FRowCount + FContraRowCount; }

  // --- extents
  int ColWidths(int Index) const;
  void SetColWidths(int Index, int Value);
  int RowHeights(int Index) const;
  void SetRowHeights(int Index, int Value);
  bool TabStops(int Index) const;
  void SetTabStops(int Index, bool Value);
  int DefaultColWidth() const { return FDefaultColWidth; }
  void SetDefaultColWidth(int Value);
  int DefaultRowHeight() const { return FDefaultRowHeight; }
  void SetDefaultRowHeight(int Value);
  const TIntegerArray& ColWidthsArray() const { return FColWidths; }
  const TIntegerArray& RowHeightsArray() const { return FRowHeights; }
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int Value);

  // --- look and behaviour
  TGridOptions Options() const { return FOptions; }
  void SetOptions(TGridOptions Value);
  ui::TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(ui::TBorderStyle Value);
  ui::TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(ui::TScrollStyle Value);
  TColor FixedColor() const { return FFixedColor; }
  void SetFixedColor(TColor Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  TColor FixedLineColor() const { return FFixedLineColor; }
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
  bool SaveCellExtents() const { return FSaveCellExtents; }
  void SetSaveCellExtents(bool Value) { FSaveCellExtents = Value; }
  TGridOutBoundaryDataEx* OutBoundaryData() const { return FOutBoundaryData.get(); }
  TGridLineColorsEx* GridLineColors() const { return FGridLineColors.get(); }
  // Draws Count / 2 separate lines of the pen's colour (one batch).
  virtual void CanvasPolyPolyline(const std::vector<TPoint>& Points);
  // Whether the focus is on the grid or inside it.
  virtual bool HoldsFocus() const;
  // Paints the grid on the canvas (inside a paint, or onto an attached painter).
  virtual void PaintClient();
  // The layer's client painting of scrolling controls stays reachable.
  using ui::TCustomControl::PaintClient;
  bool VirtualView = false;

  // --- current cell and top-left
  int LeftCol() const { return FTopLeft.X; }
  int TopRow() const { return FTopLeft.Y; }
  int Col() const { return FCurrent.X; }
  int Row() const { return FCurrent.Y; }
  TGridCoord Current() const { return FCurrent; }
  TGridCoord Anchor() const { return FAnchor; }
  TGridCoord TopLeft() const { return FTopLeft; }
  TGridCellRangeEx SelectedRect() const { return MakeGridRect(FCurrent, FAnchor); }
  TGridState GridState() const { return FGridState; }
  // The cell under the mouse while hot tracking, else (-1, -1).
  TGridCoord HotTrackCell() const { return FHotTrackCell; }
  bool EditorMode() const { return FEditorMode; }

  // --- stored extents (the component stream's "ColWidths" / "RowHeights"
  // lists): the first count lines, contra lines left out.
  bool ColWidthsStored(const TCustomGridEx* Ancestor) const;
  bool RowHeightsStored(const TCustomGridEx* Ancestor) const;
  std::vector<std::int32_t> WriteColWidths() const;
  std::vector<std::int32_t> WriteRowHeights() const;
  void ReadColWidths(const std::vector<std::int32_t>& List);
  void ReadRowHeights(const std::vector<std::int32_t>& List);

  // --- draw info, cell rectangles and hit tests
  void FillDrawInfo(TGridDrawMetricsEx& Info) const;
  void FillDrawInfo(TGridDrawMetricsEx& Info, int Width, int Height) const;
  TGridCoord CellAtPixel(int X, int Y, const TGridDrawMetricsEx& Info) const;
  TGridCoord MouseCoord(int X, int Y) const;
  TRect CalcCellRangeRect(const TGridCellRangeEx& Range, bool IncludeLine) const;
  TRect CellRangeRect(int Left, int Top, int Right, int Bottom) const;
  TRect CellBounds(int Col, int Row) const;
  TGridCoord EndAlignedTopLeft(TGridCoord Coord, const TGridDrawMetricsEx& Info) const;
  TPoint CalcEndAlignOffsets(TGridCoord Coord, const TGridDrawMetricsEx& Info) const;
  int VisibleColCount() const;
  int VisibleRowCount() const;
  int GridWidth() const;
  int GridHeight() const;
  void InvalidateCellRange(const TGridCellRangeEx& Range);
  void RepaintCell(int Col, int Row);
  void RepaintColumn(int Col);
  void RepaintRow(int Row);
  void InvalidateSelectionChange(const TGridCellRangeEx& OldRange);
  // Client size the snapshot uses: the client when the window exists, else the bounds.
  void DrawAreaSize(int& W, int& H) const;
  // Columns run from the right edge leftwards (the control's bidi mode).
  bool RightToLeft() const { return UseRightToLeftAlignment(); }
  // A client rectangle in the other direction (the same mirror both ways).
  TRect MirrorClientRect(const TRect& R, int ClientWidth) const {
    return {ClientWidth - R.Right, R.Top, ClientWidth - R.Left, R.Bottom};
  }
  // The grid's own x of a window x, and back: mirrored, window pixel P shows
  // the grid's pixel W - 1 - P.
  int LogicalX(int X, const TGridAxisMetricsEx& ColAxis) const {
    return RightToLeft() ? ColAxis.ClientLength - 1 - X : X;
  }

  // --- structure
  void ShiftColumn(int From, int To);
  void ShiftRow(int From, int To);
  virtual void RemoveColumn(int Index);
  virtual void RemoveRow(int Index);
  void ResetCellPositions();
  void LockPaint() { ++FLockPaint; }
  void UnlockPaint() {
    if (FLockPaint > 0) --FLockPaint;
  }
  bool PaintLocked() const { return FLockPaint > 0; }

  void SetRow(int Value);
  void SetCol(int Value);
  void SetLeftCol(int Value) { SetTopLeftCell(Value, FTopLeft.Y); }
  void SetTopRow(int Value) { SetTopLeftCell(FTopLeft.X, Value); }
  virtual void GoToCell(int Col, int Row, bool MoveAnchor);
  // A margin changed (called by the margin object).
  void OutBoundaryUpdatedFromMargins();

  // --- scrolling
  void SetTopLeftCell(int Col, int Row);
  void ScrollDataUnclamped(int DX, int DY);
  void ScrollDataClamped(int DX, int DY);
  void ScrollCellIntoView(TGridCoord Cell, bool CheckX, bool CheckY);
  void ApplyScrollCode(int Bar, int Code, bool RightToLeftAware, int Pos);
  TSize DataOffset() const { return FDataOffset; }
  TSize GridDataSize() const { return FGridDataSize; }
  TSize DataPageSize() const { return FDataPageSize; }
  TPoint SmoothPos() const { return FSmoothPos; }

  void SetEditorMode(bool Value);
  void SetSelectionAnchor(TGridCoord Cell, bool Show);
  virtual void TimedAnchorStep(unsigned Flags);
  virtual void AbortGridState();
  // Screen position of the mouse cursor, read by the selection and move
  // timer (replaceable for tests).
  std::function<TPoint()> FCursorPos;
  TPoint CursorScreenPos() const;
  // The in-place editor (nullptr until first shown).
  TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
  // Whether a press at the client point would start sizing, or a drag runs.
  bool IsOverSizingLine(int X, int Y);
  // Period of the move timer's last arming (ms).
  unsigned MoveTimerPeriod() const { return FMoveTimerPeriod; }
  int MoveIndex() const { return FMoveIndex; }
  int MovePos() const { return FMovePos; }
  bool MovePosRightSite() const { return FMovePosRightSite; }
  int SizingPos() const { return FSizingPos; }
  int SizingIndex() const { return FSizingIndex; }

  TGridExCellMouseEvent OnCellMouseClick;

 protected:
  // --- overridable behaviour (the data grid overrides many of these)
  virtual bool CanStartColumnMove(int&, int&, TPoint) { return true; }
  virtual bool CanStartRowMove(int&, int&, TPoint) { return true; }
  virtual bool EditorAcceptsKey(char16_t) { return true; }
  virtual bool EditorCanModify() { return FCanEditModify; }
  virtual bool GridAcceptsKey(std::uint16_t, ui::TShiftState) { return true; }
  virtual void CellEditRect(int Col, int Row, TRect& Rect) { Rect = CellBounds(Col, Row); }
  virtual bool CanMoveColumnTo(int&, int&, TPoint) { return true; }
  virtual bool CanMoveRowTo(int&, int&, TPoint) { return true; }
  virtual bool ValidateColumnMove(int& From, int& To, TPoint P);
  virtual bool ValidateRowMove(int&, int&, TPoint) { return true; }
  virtual int EditorMaxLength() { return 0; }
  virtual void EditorMaskFor(int, int, String& Text) { Text.clear(); }
  virtual int SpareIntegerQuery() { return 0; }
  virtual void EditorTextFor(int, int, String& Text) { Text.clear(); }
  virtual int HorzScrollStep();
  virtual int VertScrollStep();
  virtual bool HorzScrollIsSmooth() { return FOptions.Contains(goRowSelect); }
  virtual bool VertScrollIsSmooth() { return false; }
  virtual bool IsHotTrackCell(int, int) { return false; }
  virtual bool CellSelectable(int, int) { return true; }
  virtual bool CellClickAllowed(int X, int Y);
  virtual void UpdateHotTrack(int X, int Y);
  // --- in-place editor
  virtual TInplaceEdit* NewInplaceEditor();
  virtual bool EditorCanShow();
  virtual void HideInplaceEditor();
  virtual void CommitEditorText();
  void RefreshEditorPlacement();
  void EnsureInplaceEditor();
  void StartEditorWithChar(char16_t Ch);
  void LoadInplaceEditor();
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void DoExit() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void Dispatch(ui::TMessage& Message) override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void VisibleChanged() override;
  virtual void ChangeLineCount(int Index, int Amount, bool IsRow);
  virtual void CellMouseClick(TGridCoord Cell, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  virtual void ColumnShifted(int, int) {}
  virtual void ColumnWidthsUpdated();
  virtual void PaintCell(int Col, int Row, TGridDrawState State, TRect Rect) = 0;
  virtual void PaintOutBoundaries();
  virtual void PaintOutBoundary(const TRect& Rect);
  virtual void CellBorderVisibility(int Col, int Row, TGridCellBorderTypeEx Side, bool& Draw, TColor& Color,
                                    bool& Extend);
  virtual TGridLineColorsEx* NewGridLineColors() { return new TGridLineColorsEx(this); }
  void Paint() override;
  virtual void FlatUpdated() {}
  virtual void OutBoundaryUpdated() { Invalidate(); }
  virtual void RowHeightsUpdated();
  virtual void RowShifted(int, int) {}
  virtual void ChangeContraCounts(int ColCount, int RowCount);
  virtual void StoreCellText(int, int, const String&) {}
  virtual void DimensionsChanged(int, int) {}
  virtual void UpdateFixedLineColor() { FFixedLineColor = FFlat ? TColor(0x808080) : TColor(0); }
  virtual void DefaultCellMouseClick(TGridCoord, ui::TMouseButton, ui::TShiftState, int, int) {}
  virtual void SyncInplaceEditor();
  virtual void LeaveEditorMode();
  virtual void EnterEditorMode();
  virtual void RecalcScrollRanges();
  virtual void ScrollDataArea(int DX, int DY);
  virtual void RepositionEditor();

  // --- sizing and moving lines
  virtual void DetectSizingState(int X, int Y, const TGridDrawMetricsEx& Info, TGridState& State, int& Index,
                                 int& Pos, int& Ofs);
  virtual void SizingLineExtent(const TGridDrawMetricsEx& Info, int& From, int& To);
  virtual void DrawSizingLine(const TGridDrawMetricsEx& Info);
  int CalcSizedExtent(const TGridAxisMetricsEx& Axis) const;
  void StartColumnMove(int Index, int X, int Y, const TGridDrawMetricsEx& Info);
  void TrackMovePosition(int Pos, int Cell, TPoint P, bool IsRow, TGridDrawMetricsEx& Info);
  void DrawMoveFeedback(const TGridDrawMetricsEx& Info);
  virtual void HideMoveMarker();
  virtual void NotifyDesignerModified() {}
  bool Designing() const { return ComponentState().Contains(ui::csDesigning); }
  void AfterTopLeftChange(TGridCoord OldTopLeft, TSize OldOffset);
  void ScrollCellAreas(int DX, int DY);
  void SyncScrollBarPositions();
  void SetScrollInfoIfChanged(int Bar, int Min, int Pos, int Page, int Max);
  // Smooth horizontal bar position of FSmoothPos.X, and back (mirrored right to left).
  int HorzBarPos() const;
  int SmoothPosOfHorzBar(int BarPos) const;
  bool HasBar(int Bar) const;
  bool DoMouseWheelDown(ui::TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(ui::TShiftState Shift, TPoint MousePos) override;
  virtual void MoveToCell(int Col, int Row, bool ScrollY, bool ScrollX, bool MoveAnchor);

  void SetCellCounts(int NewColCount, int NewRowCount);
  void UpdateHorzDataSize();
  void UpdateVertDataSize();
  // Pixels of lines [From, To) of an axis, each with FGridLineWidth.
  std::int64_t ExtentSpan(bool IsRow, int From, int To) const;
  // FColWidths / FRowHeights were rewritten other than through the setters.
  void ExtentsRewritten() {
    FColSums.Invalidate();
    FRowSums.Invalidate();
  }
  void ColWidthChanging(int Index, int OldValue, int NewValue);
  void RowHeightChanging(int Index, int OldValue, int NewValue);
  // Start pixel of line N on an axis of the snapshot (0 beyond the visible area).
  int LineStartPixel(const TGridAxisMetricsEx& Axis, int N) const;
  int AxisCellAt(const TGridAxisMetricsEx& Axis, int P, bool Horizontal) const;

  // --- state (names of the control's own design)
  TGridCoord FAnchor;
  ui::TBorderStyle FBorderStyle = ui::bsSingle;
  bool FCanEditModify = true;
  int FColCount = 5;
  int FColOffset = 0;
  TIntegerArray FColWidths;
  int FContraColCount = 0, FContraRowCount = 0;
  TGridCoord FCurrent;
  int FDefaultColWidth = 64;
  bool FDefaultDrawing = true;
  int FDefaultRowHeight = 24;
  bool FEditorMode = false;
  TColor FFixedColor = ui::clBtnFace;
  int FFixedCols = 1, FFixedRows = 1;
  bool FFlat = false;
  int FFrozenColCount = 0, FFrozenRowCount = 0;
  int FGridLineWidth = 1;
  TPoint FHitTest;
  int FInplaceCol = -1, FInplaceRow = -1;
  TGridOptions FOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  int FRowCount = 5;
  TIntegerArray FRowHeights;
  ui::TScrollStyle FScrollBars = ui::ssBoth;
  TIntegerArray FTabStops;
  TGridCoord FTopLeft;
  std::unique_ptr<TGridOutBoundaryDataEx> FOutBoundaryData;
  std::unique_ptr<TGridLineColorsEx> FGridLineColors;
  TGridLinesCacheEx FGridLinesCache;
  TGridOptions DesignOptionsBoost{goRowSizing, goColSizing, goColMoving};
  ui::TSize FDataOffset{0, 0};
  ui::TSize FDataPageSize{0, 0};
  ui::TSize FGridDataSize{0, 0};
  TPoint FSmoothPos{0, 0};
  TColor FFixedLineColor = 0;
  TGridState FGridState = gsNormal;
  int FLockPaint = 0;
  TGridCoord FMouseDownCell{-1, -1};
  bool FSaveCellExtents = true;
  int FSizingIndex = 0, FSizingPos = 0, FSizingOfs = 0;
  TGridCoord FHotTrackCell{-1, -1};
  TPoint FHotTrackInCellPos{-1, -1};
  int FMoveIndex = 0, FMovePos = 0;
  bool FMovePosRightSite = false;
  TInplaceEdit* FInplaceEdit = nullptr;
  // Set by the editor when it hands the focus back to the grid.
  bool FFocusFromEditor = false;

 private:
  void ApplyCellCounts(int NewColCount, int NewRowCount, const TGridDrawMetricsEx* OldInfo, int OldColCount,
                       int OldRowCount);
  void AdjustIndexForMove(int& Index, int From, int To) const;
  // Painting steps (one snapshot per paint).
  struct PaintArea;
  void DrawAreaLines(const TGridDrawMetricsEx& Info, const PaintArea& A);
  void DrawAreaCells(const TGridDrawMetricsEx& Info, const PaintArea& A);
  void DrawFixedCellEdge(TRect Rect);
  void DrawExtendedVertLines(const TGridDrawMetricsEx& Info, int FromX, int ToX);
  void PaintContraAreas(const TGridDrawMetricsEx& Info);
  void PaintAreas(const TGridDrawMetricsEx& Info, bool Lines);
  void PaintGridAreas(const TGridDrawMetricsEx& Info);
  TRect FUpdateRect;
  mutable TExtentSums FColSums, FRowSums;
  bool FScrollRangesPending = false;
  std::unique_ptr<ui::TTimer> FSelectTimer;
  unsigned FMoveTimerPeriod = 0;
  void SelectTimerTick();
  void MoveTimerTick();
  void StartSelectTimer(unsigned Period = 60);
  void StopSelectTimer();
  void StartSizingOrMove(int X, int Y, ui::TShiftState Shift);
  void EndSizingOrMove(int X, int Y);
  void UpdateSizingCursor(TPoint P);
  bool FSizingCursor = false;
};

}  // namespace grid
