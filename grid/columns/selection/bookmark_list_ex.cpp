#include "grid/columns/selection/bookmark_list_ex.h"

#include <algorithm>

#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/selection/selection_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"

namespace grid {

TBytes selection_detail::BufferedBookmark(TCustomDBGridEx* Grid, int Row) {
  const int old = Grid->SetDrawRecord(Row);
  TBytes bm;
  try {
    bm = Grid->DataLink()->DataSet()->GetBookmark();
  } catch (...) {
    Grid->RestoreDrawRecord(old);
    throw;
  }
  Grid->RestoreDrawRecord(old);
  return bm;
}

db::TDataSet* TBookmarkListEx::DataSet() const {
  TGridDataLinkEx* link = FGrid->DataLink();
  return link && link->Active() ? link->DataSet() : nullptr;
}

void TBookmarkListEx::SetCurrentRowSelected(bool Value) {
  db::TDataSet* ds = DataSet();
  // An appended record not yet in the buffers has no bookmark to keep.
  if (Value && ds && ds->ActiveRecord() >= ds->WindowRecordCount()) return;
  TBMListEx::SetCurrentRowSelected(Value);
  FGrid->RepaintRow(FGrid->Row());
  TDBGridExSelection* sel = FGrid->Selection();
  if (sel && sel->SelectionType() != gstRecordBookmarks && Count() > 0) {
    sel->Clear();
    sel->StoreSelectionType(gstRecordBookmarks);
  }
}

void TBookmarkListEx::Clear() {
  TBMListEx::Clear();
  if (TDBGridExSelection* sel = FGrid->Selection()) sel->SelectionChanged();
}

void TBookmarkListEx::InvalidateOwner() { FGrid->Invalidate(); }

void TBookmarkListEx::ListItemChanged(const TBytes& Item) {
  TBMListEx::ListItemChanged(Item);
  if (TDBGridExSelection* sel = FGrid->Selection()) {
    sel->UpdateState();
    sel->SelectionChanged();
  }
}

void TBookmarkListEx::NotifyChanged() {
  if (TDBGridExSelection* sel = FGrid->Selection()) sel->UpdateState();
}

ui::TRect TBookmarkListEx::SelectionToGridRect() {
  const ui::TRect none{-1, -1, -1, -1};
  TGridDataLinkEx* link = FGrid->DataLink();
  if (!link || !link->Active() || Count() == 0) return none;
  int first = -1, last = -1;
  const int top = FGrid->TopDataOffset();
  int from = 0, to = link->RecordCount() - 1;
  if (FGrid->UsesMemTableView()) {
    from = FGrid->TopRow() - top;
    to = std::min(from + FGrid->VisibleDataRowCount(), FGrid->RowCount() - top - 1);
  }
  for (int r = from; r <= to; ++r) {
    int index = 0;
    if (!Find(selection_detail::BufferedBookmark(FGrid, r), index)) continue;
    if (first < 0) first = r;
    last = r;
  }
  if (first < 0) return none;
  return {0, top + first, FGrid->ColCount() - 1, top + last};
}

}  // namespace grid
