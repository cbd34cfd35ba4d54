#include "grid/core/db_grid_ex_center.h"

#include <algorithm>

#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_core_internal.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TDBGridExCenter::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBGridExCenter>("TDBGridExCenter", &TPersistent::StaticClassInfo()).Unit("DBGridEx").Build();
  return info;
}

TDBGridExCenter::TDBGridExCenter() = default;

TDBGridExCenter::~TDBGridExCenter() {
  core_detail::ForgetGlobalCenter(this);
  while (!FGrids.empty()) FGrids.back()->SetCenter(nullptr);
}

bool TDBGridExCenter::GridInChangeNotification(const TCustomDBGridEx* Grid) const {
  return core_detail::GridListed(FGrids, Grid);
}

void TDBGridExCenter::AddChangeNotification(TCustomDBGridEx* Grid) { core_detail::ListGrid(FGrids, Grid); }

void TDBGridExCenter::RemoveChangeNotification(TCustomDBGridEx* Grid) { core_detail::UnlistGrid(FGrids, Grid); }

void TDBGridExCenter::ApplyFilter(TCustomDBGridEx* Grid) {
  if (OnApplyFilter)
    OnApplyFilter(Grid);
  else
    DefaultApplyFilter(Grid);
}

void TDBGridExCenter::ApplySorting(TCustomDBGridEx* Grid) {
  if (OnApplySorting)
    OnApplySorting(Grid);
  else
    DefaultApplySorting(Grid);
}

bool TDBGridExCenter::MoveDataRows(TCustomDBGridEx* Grid, TBMListEx* BookmarkList, int ToRecNo, bool CheckOnly) {
  return DefaultMoveDataRows(Grid, BookmarkList, ToRecNo, CheckOnly);
}

void TDBGridExCenter::BuildIndicatorTitleMenu(TCustomDBGridEx* Grid, TPopupMenu*& PopupMenu) {
  if (OnBuildIndicatorTitleMenu)
    OnBuildIndicatorTitleMenu(Grid, PopupMenu);
  else
    DefaultBuildIndicatorTitleMenu(Grid, PopupMenu);
}

void TDBGridExCenter::CellMouseClick(TCustomDBGridEx* Grid, TGridCoord Cell, TMouseButton Button, TShiftState Shift,
                                     int X, int Y) {
  if (OnCellMouseClick)
    OnCellMouseClick(Grid, Cell, Button, Shift, X, Y);
  else
    DefaultCellMouseClick(Grid, Cell, Button, Shift, X, Y);
}

void TDBGridExCenter::IndicatorTitleMouseDown(TCustomDBGridEx* Grid, TGridCoord Cell, TMouseButton Button,
                                              TShiftState Shift, int X, int Y) {
  if (OnIndicatorTitleMouseDown)
    OnIndicatorTitleMouseDown(Grid, Cell, Button, Shift, X, Y);
  else
    DefaultIndicatorTitleMouseDown(Grid, Cell, Button, Shift, X, Y);
}

bool TDBGridExCenter::DefaultMoveDataRows(TCustomDBGridEx*, TBMListEx*, int, bool) { return false; }

void TDBGridExCenter::DefaultApplyFilter(TCustomDBGridEx*) {}

void TDBGridExCenter::DefaultApplySorting(TCustomDBGridEx*) {}

void TDBGridExCenter::DefaultBuildIndicatorTitleMenu(TCustomDBGridEx*, TPopupMenu*&) {}

void TDBGridExCenter::DefaultCellMouseClick(TCustomDBGridEx*, TGridCoord, TMouseButton, TShiftState, int, int) {}

void TDBGridExCenter::DefaultIndicatorTitleMouseDown(TCustomDBGridEx* Grid, TGridCoord Cell, TMouseButton Button,
                                                     TShiftState Shift, int X, int Y) {
  Grid->IndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
}

}  // namespace grid
