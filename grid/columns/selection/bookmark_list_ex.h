// The grid's selected records: bookmarks kept in the dataset's order, which
// repaint their rows and tell the grid's selection of every change.
#pragma once

#include "grid/editor_support/bm_list.h"
#include "platform/ui/ui.h"

namespace grid {

class TCustomDBGridEx;

class TBookmarkListEx : public TBMListEx {
 public:
  explicit TBookmarkListEx(TCustomDBGridEx* AGrid) : FGrid(AGrid) {}

  db::TDataSet* DataSet() const override;
  void SetCurrentRowSelected(bool Value) override;
  void Clear() override;
  // Grid rows of the first and last visible selected records over every
  // column; (-1, -1, -1, -1) when none is visible.
  ui::TRect SelectionToGridRect();

 protected:
  void InvalidateOwner() override;
  void ListItemChanged(const TBytes& Item) override;
  void NotifyChanged() override;

 private:
  TCustomDBGridEx* FGrid;
};

}  // namespace grid
