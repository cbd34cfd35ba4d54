// A data grid on a form over an in-memory table, made once for the run and
// put back the same way before every input: the grid targets' fixture.
#pragma once

#include "components/extended/data/ext_memory_data.h"
#include "fuzz/support/fuzz_support.h"
#include "grid/core/custom_db_grid_ex.h"

namespace fuzz {

class FuzzGrid {
 public:
  // The run's grid (the window layer started offscreen on first use).
  static FuzzGrid& Get();

  // Three records of a field of each kind the readers assign (texts, numbers,
  // a Boolean, a date, a key pick list column), the current record and
  // column, the grid's options and the answer to the readers' error
  // question, taken from two control bytes of the input.
  void Reset(Bytes& Control);

  grid::TDBGridEx* Grid() const { return grid_; }
  ext::TExtMemoryData* DataSet() const { return ds_; }
  // Whether the input asked for the whole grid (from the first record).
  bool ImportAll() const { return importAll_; }

 private:
  FuzzGrid();
  grid::TDBGridEx* grid_ = nullptr;
  ext::TExtMemoryData* ds_ = nullptr;
  db::TDataSource* src_ = nullptr;
  bool importAll_ = false;
  int answer_ = 0;
};

}  // namespace fuzz
