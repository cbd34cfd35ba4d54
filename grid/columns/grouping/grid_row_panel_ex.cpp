#include "grid/columns/grouping/grid_row_panel_ex.h"

#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/typinfo.h"

namespace grid {

const ui::TClassInfo& TGridRowPanelEx::StaticClassInfo() {
  using T = TGridRowPanelEx;
  static const ui::TClassInfo info =
      ui::TClassBuilder<T>("TGridRowPanelEx", &ui::TPersistent::StaticClassInfo())
          .Boolean("Active", &T::Active, &T::SetActive, 0)
          .Enum("NavKeysNavigationType", "TGridRowPanelNavKeysNavigationTypeEx",
                {"rpntRowToRowEx", "rpntCellToCellEx"}, &T::NavKeysNavigationType,
                &T::SetNavKeysNavigationType, rpntRowToRowEx)
          .Enum("TabNavigationType", "TGridRowPanelTabNavigationTypeEx",
                {"rpntUpToDownPriorityEx", "rpntLeftToRightPriorityEx"}, &T::TabNavigationType,
                &T::SetTabNavigationType, rpntUpToDownPriorityEx)
          .Build();
  return info;
}

void TGridRowPanelEx::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (!FGrid) return;
  if (Value && FGrid->IndicatorOffset() < FGrid->ColCount()) FGrid->SetCol(FGrid->IndicatorOffset());
  FGrid->RelayoutGrid();
}

void TGridRowPanelEx::Assign(const ui::TPersistent* Source) {
  if (auto* src = dynamic_cast<const TGridRowPanelEx*>(Source)) {
    SetActive(src->FActive);
    return;
  }
  ui::TPersistent::Assign(Source);
}

}  // namespace grid
