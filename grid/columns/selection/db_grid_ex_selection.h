// What part of a data grid's data the user has marked: whole records (the
// grid's bookmark list), a rectangle of cells, whole columns, or everything.
// Cell painting asks it whether a cell is selected; the mouse and the keys
// make and extend it.
#pragma once

#include <memory>
#include <vector>

#include "grid/core/db_grid_ex_types.h"
#include "grid/editor_support/bm_list.h"

namespace grid {

class TBookmarkListEx;
class TDBGridExSelectionCols;
class TDBGridExSelectionRect;

// A data column and a record; Col -1 and an empty Row when unset.
struct TDBCell {
  int Col = -1;
  TBytes Row;
};

class TDBGridExSelection {
 public:
  explicit TDBGridExSelection(TCustomDBGridEx* AGrid);
  virtual ~TDBGridExSelection();
  TDBGridExSelection(const TDBGridExSelection&) = delete;
  TDBGridExSelection& operator=(const TDBGridExSelection&) = delete;

  TDBGridExSelectionCols* Columns() const { return FColumns.get(); }
  TDBGridExSelectionRect* Rect() const { return FRect.get(); }
  TBookmarkListEx* Rows() const;
  TDBGridExSelectionType SelectionType() const { return FSelectionType; }
  TCustomDBGridEx* Grid() const { return FGrid; }

  bool DataCellSelected(int DataCol, const TBytes& DataRow);
  void Clear();
  void SelectAll();
  void Refresh();
  void UpdateState();
  ui::TRect SelectionToGridRect();
  void SetSelectionType(TDBGridExSelectionType Value);
  // Records the type without moving the grid's editor.
  void StoreSelectionType(TDBGridExSelectionType Value) { FSelectionType = Value; }
  void ResetOnLinkChange(bool LinkActive);
  virtual void SelectionChanged();

 private:
  std::unique_ptr<TDBGridExSelectionCols> FColumns;
  TCustomDBGridEx* FGrid;
  std::unique_ptr<TDBGridExSelectionRect> FRect;
  TDBGridExSelectionType FSelectionType = gstRecordBookmarks;
};

// The selected columns, kept in the order of the column collection. A Shift
// range remembers which columns it changed, so that shrinking it undoes
// only those.
class TDBGridExSelectionCols {
 public:
  explicit TDBGridExSelectionCols(TCustomDBGridEx* AGrid) : FGrid(AGrid) {}

  int Count() const { return static_cast<int>(FList.size()); }
  TColumnEx* Items(int Index) const { return FList.at(static_cast<std::size_t>(Index)); }
  int IndexOf(const TColumnEx* Column) const;
  TColumnEx* Anchor() const { return FAnchor; }
  TColumnEx* ShiftCol() const { return FShiftCol; }

  void Select(TColumnEx* ACol, bool AddSel);
  void SelectShift(TColumnEx* ACol);
  void InvertSelect(TColumnEx* ACol);
  void Clear();
  void Refresh();
  ui::TRect SelectionToGridRect();

 private:
  void InsertInOrder(TColumnEx* ACol);
  void Remove(TColumnEx* ACol);
  TDBGridExSelection* Selection() const;
  void RepaintCol(TColumnEx* ACol);
  // A column pointer that the collection no longer holds is forgotten.
  bool StillInGrid(const TColumnEx* Column) const;

  std::vector<TColumnEx*> FList;
  TColumnEx* FAnchor = nullptr;
  TCustomDBGridEx* FGrid;
  TColumnEx* FShiftCol = nullptr;
  std::vector<TColumnEx*> FShiftSelectedCols;
};

// A block of cells between an anchor cell and a shift cell.
class TDBGridExSelectionRect {
 public:
  explicit TDBGridExSelectionRect(TCustomDBGridEx* AGrid) : FGrid(AGrid) {}

  TBytes TopRow() const;
  TBytes BottomRow() const;
  int LeftCol() const;
  int RightCol() const;
  const TDBCell& AnchorCell() const { return FAnchor; }
  const TDBCell& ShiftCell() const { return FShiftCell; }

  void Select(int ACol, const TBytes& ARow, bool AddSel);
  void Clear();
  bool DataCellSelected(int DataCol, const TBytes& DataRow) const;
  ui::TRect SelectionToGridRect();
  // Client rectangle of the cells between two data columns and two records.
  ui::TRect CellsClientRect(int Col1, int Col2, const TBytes& Row1, const TBytes& Row2);

 private:
  bool DataActive() const;
  int Compare(const TBytes& A, const TBytes& B) const;
  // The record's row in the link's window of buffers, -1 when not buffered.
  int BufferRowOf(const TBytes& Bookmark);

  TDBCell FAnchor;
  TCustomDBGridEx* FGrid;
  TDBCell FShiftCell;
};

// Up to four rectangles covering what lies in one of R1 and R2 but not in
// both (both whole when they do not meet).
std::vector<ui::TRect> SplitRectDifference(const ui::TRect& R1, const ui::TRect& R2);

}  // namespace grid
