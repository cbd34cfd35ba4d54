// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "grid/core/db_grid_ex_types.h"
#include "platform/data/dataset.h"
#include "platform/runtime/streams.h"

namespace grid {
class TCustomDBGridEx;
class TColumnEx;
}  // namespace grid

namespace grid::transfer_detail {

// The grid's dataset, or nullptr without a data source or dataset.
db::TDataSet* GridDataSet(TCustomDBGridEx* Grid);

// --- the grid's selection, as the walks of export, import and delete read it
TDBGridExSelectionType SelectionTypeOf(TCustomDBGridEx* Grid);
std::vector<db::TBookmark> SelectedRows(TCustomDBGridEx* Grid);
struct TSelectedRect {
  db::TBookmark TopRow;
  db::TBookmark BottomRow;
  int LeftCol = -1;
  int RightCol = -1;
};
TSelectedRect SelectedRect(TCustomDBGridEx* Grid);
std::vector<TColumnEx*> SelectedColumns(TCustomDBGridEx* Grid);
void ClearSelection(TCustomDBGridEx* Grid);

// The visible columns among the grid's columns From to To (collection indexes).
std::vector<TColumnEx*> VisibleColumnsBetween(TCustomDBGridEx* Grid, int From, int To);

// The position of the grid's data window around a walk of the dataset: the
// grid's own (the window's records and the current one) while browsing,
// else only the current record, and nothing while a record is inserted.
struct TSavedPosition {
  db::TBookmark Bookmark;
  bool Saved = false;
  bool ByGrid = false;
};
TSavedPosition SavePosition(TCustomDBGridEx* Grid);
void RestorePosition(TCustomDBGridEx* Grid, const TSavedPosition& Saved);

// Text in the system code page; plain ASCII is narrowed without a converter.
std::string ToAnsi(std::u16string_view Text);
void WriteAnsi(rtl::TStream& Stream, std::u16string_view Text);
void WriteWide(rtl::TStream& Stream, std::u16string_view Text);

// Enables the dataset's controls again when it goes.
class TControlsDisabled {
 public:
  explicit TControlsDisabled(db::TDataSet* DataSet) : FDataSet(DataSet) {
    if (FDataSet) FDataSet->DisableControls();
  }
  ~TControlsDisabled() {
    if (FDataSet) FDataSet->EnableControls();
  }
  TControlsDisabled(const TControlsDisabled&) = delete;
  TControlsDisabled& operator=(const TControlsDisabled&) = delete;

 private:
  db::TDataSet* FDataSet;
};

}  // namespace grid::transfer_detail
