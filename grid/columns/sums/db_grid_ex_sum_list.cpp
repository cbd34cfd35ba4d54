#include "grid/columns/sums/db_grid_ex_sum_list.h"

#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TDBGridExSumList::StaticClassInfo() {
  using P = TDBSumListProducer;
  static const TClassInfo info = TClassBuilder<TDBGridExSumList>("TDBGridExSumList", &P::StaticClassInfo())
                                     .Boolean("Active", &P::Active, &P::SetActive, 0)
                                     .Boolean("ExternalRecalc", &P::ExternalRecalc, &P::SetExternalRecalc, 0)
                                     .Boolean("VirtualRecords", &P::VirtualRecords, &P::SetVirtualRecords, 0)
                                     .Unit("DBGridEx")
                                     .Build();
  return info;
}

TDBGridExSumList::TDBGridExSumList(TCustomDBGridEx* Grid) : TDBSumListProducer(Grid) {
  FDesignTimeWork = true;
  SetActive(false);
}

TCustomDBGridEx* TDBGridExSumList::Grid() const { return static_cast<TCustomDBGridEx*>(Owner()); }

// While the grid is designed the dataset's events stay the dataset's own.
void TDBGridExSumList::SetDataSetEvents() {
  if (Grid() && Grid()->ComponentState().Contains(csDesigning)) {
    FEventsOverloaded = true;
    return;
  }
  TDBSumListProducer::SetDataSetEvents();
}

void TDBGridExSumList::RestoreDataSetEvents() {
  if (Grid() && Grid()->ComponentState().Contains(csDesigning)) {
    FEventsOverloaded = false;
    return;
  }
  TDBSumListProducer::RestoreDataSetEvents();
}

}  // namespace grid
