#include "grid/columns/selection/db_grid_ex_selection.h"

#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/selection_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"

namespace grid {

using ui::TRect;

namespace {
const TRect kNoRect{-1, -1, -1, -1};

bool Meets(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

TRect Intersection(const TRect& A, const TRect& B) {
  return {std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
          std::min(A.Bottom, B.Bottom)};
}

bool IsEmptyRect(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }
}  // namespace

// --- the selection -------------------------------------------------------------------

TDBGridExSelection::TDBGridExSelection(TCustomDBGridEx* AGrid)
    : FColumns(std::make_unique<TDBGridExSelectionCols>(AGrid)),
      FGrid(AGrid),
      FRect(std::make_unique<TDBGridExSelectionRect>(AGrid)) {}

TDBGridExSelection::~TDBGridExSelection() = default;

TBookmarkListEx* TDBGridExSelection::Rows() const { return FGrid->Bookmarks(); }

void TDBGridExSelection::SelectionChanged() {
  if (FGrid->IsDestroying()) return;
  if (FGrid->OnSelectionChanged) FGrid->OnSelectionChanged(FGrid);
}

bool TDBGridExSelection::DataCellSelected(int DataCol, const TBytes& DataRow) {
  switch (FSelectionType) {
    case gstRecordBookmarks: {
      int index = 0;
      return Rows() && Rows()->Find(DataRow, index);
    }
    case gstRectangle:
      return DataCol >= 0 && FRect->DataCellSelected(DataCol, DataRow);
    case gstColumns:
      if (DataCol < 0 || DataCol >= FGrid->Columns()->Count()) return false;
      return FColumns->IndexOf(FGrid->Columns()->ColumnAt(DataCol)) >= 0;
    case gstAll:
      return true;
    case gstNon:
      return false;
  }
  return false;
}

void TDBGridExSelection::Clear() {
  auto finish = [this] {
    FSelectionType = gstNon;
    if (FGrid->Options().Contains(dgAlwaysShowEditor) && !FGrid->FilterEditorActive())
      FGrid->ShowEditorAgain();
  };
  try {
    switch (FSelectionType) {
      case gstRecordBookmarks:
        if (Rows()) Rows()->Clear();
        break;
      case gstRectangle:
        FRect->Clear();
        break;
      case gstColumns:
        FColumns->Clear();
        break;
      case gstAll:
        FGrid->Invalidate();
        break;
      case gstNon:
        break;
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TDBGridExSelection::SelectAll() {
  if (FSelectionType == gstAll) return;
  if (FSelectionType != gstNon) Clear();
  SetSelectionType(gstAll);
  FGrid->Invalidate();
  SelectionChanged();
}

void TDBGridExSelection::Refresh() {
  if (FSelectionType == gstRecordBookmarks) {
    if (Rows()) Rows()->Refresh();
  } else if (FSelectionType == gstColumns && FColumns->Count() == 0) {
    SetSelectionType(gstNon);
    FGrid->Invalidate();
  }
}

void TDBGridExSelection::UpdateState() {
  const bool emptyRows = FSelectionType == gstRecordBookmarks && (!Rows() || Rows()->Count() == 0);
  const bool emptyCols = FSelectionType == gstColumns && FColumns->Count() == 0;
  if (emptyRows || emptyCols) {
    SetSelectionType(gstNon);
    FGrid->Invalidate();
  }
}

void TDBGridExSelection::SetSelectionType(TDBGridExSelectionType Value) {
  if (Value == FSelectionType) return;
  FSelectionType = Value;
  FGrid->RefreshEditorPlacement();
}

void TDBGridExSelection::ResetOnLinkChange(bool LinkActive) {
  if (Rows()) Rows()->ChangeLinkActive(LinkActive);
  Clear();
}

TRect TDBGridExSelection::SelectionToGridRect() {
  switch (FSelectionType) {
    case gstRecordBookmarks:
      return Rows() ? Rows()->SelectionToGridRect() : kNoRect;
    case gstRectangle:
      return FRect->SelectionToGridRect();
    case gstColumns:
      return FColumns->SelectionToGridRect();
    case gstAll:
      return {0, 0, FGrid->ColCount(), FGrid->RowCount()};
    case gstNon:
      break;
  }
  return kNoRect;
}

// --- columns -------------------------------------------------------------------------

TDBGridExSelection* TDBGridExSelectionCols::Selection() const { return FGrid->Selection(); }

int TDBGridExSelectionCols::IndexOf(const TColumnEx* Column) const {
  auto it = std::find(FList.begin(), FList.end(), Column);
  return it == FList.end() ? -1 : static_cast<int>(it - FList.begin());
}

bool TDBGridExSelectionCols::StillInGrid(const TColumnEx* Column) const {
  if (!Column) return false;
  TDBGridColumnsEx* cols = FGrid->Columns();
  for (int i = 0; i < cols->Count(); ++i)
    if (cols->ColumnAt(i) == Column) return true;
  return false;
}

void TDBGridExSelectionCols::InsertInOrder(TColumnEx* ACol) {
  auto at =
      std::find_if(FList.begin(), FList.end(), [&](TColumnEx* C) { return C->Index() > ACol->Index(); });
  FList.insert(at, ACol);
}

void TDBGridExSelectionCols::Remove(TColumnEx* ACol) {
  auto it = std::find(FList.begin(), FList.end(), ACol);
  if (it != FList.end()) FList.erase(it);
}

void TDBGridExSelectionCols::RepaintCol(TColumnEx* ACol) {
  const int col = FGrid->DataColToGridCol(ACol->Index());
  if (col >= 0 && col < FGrid->ColCount()) FGrid->RepaintColumn(col);
}

void TDBGridExSelectionCols::Select(TColumnEx* ACol, bool AddSel) {
  if (Selection()->SelectionType() != gstColumns) Selection()->Clear();
  if (!AddSel) Clear();
  if (IndexOf(ACol) < 0) InsertInOrder(ACol);
  FAnchor = ACol;
  FShiftCol = ACol;
  Selection()->SetSelectionType(gstColumns);
  FShiftSelectedCols.clear();
}

void TDBGridExSelectionCols::InvertSelect(TColumnEx* ACol) {
  if (Selection()->SelectionType() != gstColumns) Selection()->Clear();
  if (IndexOf(ACol) >= 0)
    Remove(ACol);
  else
    InsertInOrder(ACol);
  FAnchor = ACol;
  FShiftCol = ACol;
  Selection()->SetSelectionType(FList.empty() ? gstNon : gstColumns);
  FShiftSelectedCols.clear();
}

void TDBGridExSelectionCols::SelectShift(TColumnEx* ACol) {
  if (Selection()->SelectionType() != gstColumns) Selection()->Clear();
  if (!StillInGrid(FAnchor) || !StillInGrid(FShiftCol)) {
    Select(ACol, true);
    FAnchor = ACol;
  } else {
    const int A = FAnchor->Index(), S = FShiftCol->Index(), C = ACol->Index();
    int i = S, e = C, d = 1, b = -1;
    bool apply = true;
    if (A < S) {
      if (C < S) {
        d = -1;
        apply = false;
        b = C < A ? A : -1;
        e = b >= 0 ? C : C + 1;
      } else if (C == S) {
        i = C;
      }
    } else if (S < A) {
      if (C < S) {
        d = -1;
      } else if (S < C) {
        apply = false;
        b = A < C ? A : -1;
        e = b >= 0 ? C : C - 1;
      } else {
        i = C;
      }
    } else {
      i = A;
      d = C < A ? -1 : 1;
    }
    auto inShiftSet = [this](TColumnEx* K) {
      return std::find(FShiftSelectedCols.begin(), FShiftSelectedCols.end(), K) != FShiftSelectedCols.end();
    };
    auto dropFromShiftSet = [this](TColumnEx* K) {
      FShiftSelectedCols.erase(std::remove(FShiftSelectedCols.begin(), FShiftSelectedCols.end(), K),
                               FShiftSelectedCols.end());
    };
    const bool anchorSelected = IndexOf(FAnchor) >= 0;
    TDBGridColumnsEx* cols = FGrid->Columns();
    for (;; i += d) {
      if (i == b) apply = true;
      if (i >= 0 && i < cols->Count()) {
        TColumnEx* K = cols->ColumnAt(i);
        const bool listed = IndexOf(K) >= 0;
        if (apply && anchorSelected) {
          if (!listed && K->Visible()) {
            InsertInOrder(K);
            RepaintCol(K);
            FShiftSelectedCols.push_back(K);
            Selection()->SelectionChanged();
          }
        } else if (apply) {
          if (listed && i != A) {
            Remove(K);
            RepaintCol(K);
            FShiftSelectedCols.push_back(K);
            Selection()->SelectionChanged();
          }
        } else if (anchorSelected) {
          if (listed && i != A) {
            if (inShiftSet(K)) {
              Remove(K);
              dropFromShiftSet(K);
            }
            RepaintCol(K);
            Selection()->SelectionChanged();
          }
        } else if (!listed && K->Visible()) {
          if (inShiftSet(K)) {
            InsertInOrder(K);
            dropFromShiftSet(K);
          }
          RepaintCol(K);
          Selection()->SelectionChanged();
        }
      }
      if (i == e) break;
    }
  }
  FShiftCol = ACol;
  Selection()->SetSelectionType(FList.empty() ? gstNon : gstColumns);
}

void TDBGridExSelectionCols::Clear() {
  for (TColumnEx* c : FList)
    if (StillInGrid(c)) RepaintCol(c);
  FList.clear();
  FAnchor = nullptr;
  Selection()->SelectionChanged();
}

void TDBGridExSelectionCols::Refresh() {
  for (int i = Count() - 1; i >= 0; --i)
    if (!StillInGrid(FList[static_cast<std::size_t>(i)])) FList.erase(FList.begin() + i);
  std::stable_sort(FList.begin(), FList.end(),
                   [](TColumnEx* A, TColumnEx* B) { return A->Index() < B->Index(); });
}

TRect TDBGridExSelectionCols::SelectionToGridRect() {
  int lo = -1, hi = -1;
  for (TColumnEx* c : FList) {
    const int index = c->Index();
    if (lo < 0 || index < lo) lo = index;
    if (hi < 0 || index > hi) hi = index;
  }
  return {FGrid->DataColToGridCol(lo), 0, FGrid->DataColToGridCol(hi), FGrid->RowCount()};
}

// --- rectangle -----------------------------------------------------------------------

bool TDBGridExSelectionRect::DataActive() const {
  TGridDataLinkEx* link = FGrid->DataLink();
  return FGrid->DataSource() && FGrid->DataSource()->DataSet() && link && link->Active();
}

int TDBGridExSelectionRect::Compare(const TBytes& A, const TBytes& B) const {
  return FGrid->DataLink()->DataSet()->CompareBookmarks(A, B);
}

TBytes TDBGridExSelectionRect::TopRow() const {
  if (!DataActive()) ThrowGridOperationError("Error in TDBGridExSelectionRect.GetTopRow");
  return Compare(FAnchor.Row, FShiftCell.Row) <= 0 ? FAnchor.Row : FShiftCell.Row;
}

TBytes TDBGridExSelectionRect::BottomRow() const {
  if (!DataActive()) ThrowGridOperationError("Error in TDBGridExSelectionRect.GetBottomRow");
  return Compare(FAnchor.Row, FShiftCell.Row) < 0 ? FShiftCell.Row : FAnchor.Row;
}

int TDBGridExSelectionRect::LeftCol() const {
  if (!DataActive()) ThrowGridOperationError("Error in TDBGridExSelectionRect.GetLeftCol");
  return std::min(FAnchor.Col, FShiftCell.Col);
}

int TDBGridExSelectionRect::RightCol() const {
  if (!DataActive()) ThrowGridOperationError("Error in TDBGridExSelectionRect.GetRightCol");
  return std::max(FAnchor.Col, FShiftCell.Col);
}

bool TDBGridExSelectionRect::DataCellSelected(int DataCol, const TBytes& DataRow) const {
  if (!DataActive()) ThrowGridOperationError("Error in function TDBGridExSelectionRect.CellSelected");
  return Compare(TopRow(), DataRow) <= 0 && Compare(DataRow, BottomRow()) <= 0 && LeftCol() <= DataCol &&
         DataCol <= RightCol();
}

void TDBGridExSelectionRect::Select(int ACol, const TBytes& ARow, bool AddSel) {
  TDBGridExSelection* sel = FGrid->Selection();
  if (sel->SelectionType() != gstRectangle) sel->Clear();
  const TDBCell oldAnchor = FAnchor, oldShift = FShiftCell;
  if (FAnchor.Col == -1 || !AddSel) FAnchor = {ACol, ARow};
  FShiftCell = {ACol, ARow};
  const bool sameCell = FAnchor.Col == FShiftCell.Col && Compare(FAnchor.Row, FShiftCell.Row) == 0;
  if (!sameCell)
    sel->SetSelectionType(gstRectangle);
  else if (sel->SelectionType() == gstRectangle)
    sel->SetSelectionType(gstNon);

  // The previous pair is what is on screen; an unset one covers nothing.
  const bool hadOld = oldAnchor.Col != -1;
  int oldLeft = oldAnchor.Col, oldRight = oldShift.Col;
  if (hadOld) {
    const bool oldOneCell = oldAnchor.Col == oldShift.Col && Compare(oldAnchor.Row, oldShift.Row) == 0;
    const bool newOneRow = Compare(FAnchor.Row, FShiftCell.Row) == 0;
    const bool newOneCell = newOneRow && FAnchor.Col == FShiftCell.Col;
    const bool oldOneRow = Compare(oldAnchor.Row, oldShift.Row) == 0;
    if ((oldOneCell && newOneRow && !newOneCell) || (newOneCell && oldOneRow && !oldOneCell)) {
      oldLeft = 0;
      oldRight = FGrid->Columns()->Count() - 1;
    }
  }
  if (!FGrid->HandleAllocated()) return;
  const TRect oldRect = hadOld ? CellsClientRect(oldLeft, oldRight, oldAnchor.Row, oldShift.Row) : TRect{};
  const TRect newRect = CellsClientRect(FAnchor.Col, FShiftCell.Col, FAnchor.Row, FShiftCell.Row);
  for (const TRect& r : SplitRectDifference(oldRect, newRect)) FGrid->InvalidateRect(r);
  sel->SelectionChanged();
}

void TDBGridExSelectionRect::Clear() {
  FAnchor = {};
  FShiftCell = {};
  FGrid->Invalidate();
  FGrid->Selection()->SelectionChanged();
}

int TDBGridExSelectionRect::BufferRowOf(const TBytes& Bookmark) {
  for (int r = 0; r < FGrid->DataLink()->RecordCount(); ++r)
    if (Compare(selection_detail::BufferedBookmark(FGrid, r), Bookmark) == 0) return r;
  return -1;
}

TRect TDBGridExSelectionRect::SelectionToGridRect() {
  TRect r{FGrid->DataColToGridCol(std::min(FAnchor.Col, FShiftCell.Col)), -1,
          FGrid->DataColToGridCol(std::max(FAnchor.Col, FShiftCell.Col)), -1};
  if (!DataActive()) return r;
  const TBytes top = TopRow(), bottom = BottomRow();
  TGridDataLinkEx* link = FGrid->DataLink();
  int first = -1, last = -1;
  for (int row = 0; row < link->RecordCount(); ++row) {
    const TBytes bm = selection_detail::BufferedBookmark(FGrid, row);
    if (first < 0 && Compare(bm, top) >= 0) first = row;
    if (Compare(bm, bottom) <= 0) last = row;
  }
  if (first < 0 || last < 0) return r;
  r.Top = first + FGrid->TopDataOffset();
  r.Bottom = last + FGrid->TopDataOffset();
  return r;
}

TRect TDBGridExSelectionRect::CellsClientRect(int Col1, int Col2, const TBytes& Row1, const TBytes& Row2) {
  if (!DataActive()) return {};
  const int left = std::min(Col1, Col2), right = std::max(Col1, Col2);
  const bool ordered = Compare(Row1, Row2) <= 0;
  const TBytes& upper = ordered ? Row1 : Row2;
  const TBytes& lower = ordered ? Row2 : Row1;
  TGridDataLinkEx* link = FGrid->DataLink();
  const int count = link->RecordCount();
  if (count == 0) return {};
  auto bookmarkAt = [&](int Row) { return selection_detail::BufferedBookmark(FGrid, Row); };
  int upperRow = 0;
  if (Compare(upper, bookmarkAt(0)) >= 0) {
    upperRow = BufferRowOf(upper);
    if (upperRow < 0) upperRow = count;
  }
  int lowerRow = FGrid->VisibleDataRowCount();
  if (Compare(lower, bookmarkAt(count - 1)) <= 0) {
    const int at = BufferRowOf(lower);
    if (at >= 0) lowerRow = at;
  }
  const int top = FGrid->TopDataOffset();
  return FGrid->CellRangeRect(FGrid->DataColToGridCol(left), upperRow + top, FGrid->DataColToGridCol(right),
                              lowerRow + top);
}

// --- rectangle difference ------------------------------------------------------------

std::vector<TRect> SplitRectDifference(const TRect& R1, const TRect& R2) {
  if (!Meets(R1, R2)) {
    std::vector<TRect> both;
    if (!IsEmptyRect(R1)) both.push_back(R1);
    if (!IsEmptyRect(R2)) both.push_back(R2);
    return both;
  }
  const TRect U{std::min(R1.Left, R2.Left), std::min(R1.Top, R2.Top), std::max(R1.Right, R2.Right),
                std::max(R1.Bottom, R2.Bottom)};
  const TRect I = Intersection(R1, R2);
  const TRect bands[4] = {{U.Left, U.Top, I.Left, U.Bottom},
                          {I.Left, U.Top, I.Right, I.Top},
                          {I.Right, U.Top, U.Right, U.Bottom},
                          {I.Left, I.Bottom, I.Right, U.Bottom}};
  std::vector<TRect> out;
  for (const TRect& band : bands) {
    if (IsEmptyRect(band)) continue;
    // Only what one of the two rectangles covers needs repainting.
    TRect part{};
    bool any = false;
    for (const TRect* r : {&R1, &R2}) {
      if (!Meets(band, *r)) continue;
      const TRect piece = Intersection(band, *r);
      part = any ? TRect{std::min(part.Left, piece.Left), std::min(part.Top, piece.Top),
                         std::max(part.Right, piece.Right), std::max(part.Bottom, piece.Bottom)}
                 : piece;
      any = true;
    }
    if (any) out.push_back(part);
  }
  return out;
}

}  // namespace grid
