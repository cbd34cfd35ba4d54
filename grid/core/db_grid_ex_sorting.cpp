// Sort marking: the list of sort-marked columns and when a change of the
// markers is applied to the dataset.
#include <algorithm>

#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;

namespace {
constexpr int kMaxSortPosition = 1024;
}  // namespace

void TCustomDBGridEx::SetSortMarkedColumns() {
  FSortMarkedColumns.clear();
  const int count = FColumns->Count();
  // Gaps in the positions are kept, but a position no sort could reach (a
  // damaged stored value) would only make a huge list of nothing.
  const int limit = std::max(count, kMaxSortPosition);
  for (int i = 0; i < count; ++i) {
    TColumnEx* column = FColumns->ColumnAt(i);
    const int index = column->Title()->SortIndex();
    if (index <= 0 || index > limit) continue;
    if (static_cast<int>(FSortMarkedColumns.size()) < index) FSortMarkedColumns.resize(index, nullptr);
    FSortMarkedColumns[index - 1] = column;
  }
}

void TCustomDBGridEx::SortMarkingChanged() {
  if (!FOptionsEx.Contains(dghAutoSortMarking)) return;
  if (OnSortMarkingChanged)
    OnSortMarkingChanged(this);
  else
    DefaultApplySorting();
}

void TCustomDBGridEx::DefaultApplySorting() {
  if (FCenter) FCenter->ApplySorting(this);
}

// Ctrl+clicks on titles collect sort columns; releasing Ctrl applies them once.
void TCustomDBGridEx::DoKeyUp(std::uint16_t& Key, TShiftState Shift) {
  if (FSortMarking && Key == VK_CONTROL) {
    FSortMarking = false;
    SortMarkingChanged();
  }
  TCustomGridEx::DoKeyUp(Key, Shift);
}

}  // namespace grid
