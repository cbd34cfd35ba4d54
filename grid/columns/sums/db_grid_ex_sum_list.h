// The data grid's sum list: the producer its aggregate footers live in.
#pragma once

#include "grid/columns/sums/db_sum_list.h"

namespace grid {

class TCustomDBGridEx;

class TDBGridExSumList : public TDBSumListProducer {
  JQ_UI_CLASSINFO
 public:
  explicit TDBGridExSumList(TCustomDBGridEx* Grid);
  // Unhooks through this class's own unhooking, which knows about design time.
  ~TDBGridExSumList() override { Deactivate(false); }
  TCustomDBGridEx* Grid() const;

  void SetDataSetEvents() override;
  void RestoreDataSetEvents() override;
};

}  // namespace grid
