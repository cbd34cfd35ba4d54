// Row-panel mode: each record is one tall grid row, the master cell, in
// which the columns lie on several lines side by side, like a small form.
#pragma once

#include "platform/classes/classes.h"

namespace grid {

class TCustomDBGridEx;

enum TGridRowPanelNavKeysNavigationTypeEx { rpntRowToRowEx, rpntCellToCellEx };
enum TGridRowPanelTabNavigationTypeEx { rpntUpToDownPriorityEx, rpntLeftToRightPriorityEx };

class TGridRowPanelEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TGridRowPanelEx(TCustomDBGridEx* AGrid) : FGrid(AGrid) {}

  bool Active() const { return FActive; }
  // On: the grid's current column becomes its first data column.
  void SetActive(bool Value);
  TGridRowPanelNavKeysNavigationTypeEx NavKeysNavigationType() const { return FNavKeysNavigationType; }
  void SetNavKeysNavigationType(TGridRowPanelNavKeysNavigationTypeEx Value) {
    FNavKeysNavigationType = Value;
  }
  TGridRowPanelTabNavigationTypeEx TabNavigationType() const { return FTabNavigationType; }
  void SetTabNavigationType(TGridRowPanelTabNavigationTypeEx Value) { FTabNavigationType = Value; }
  TCustomDBGridEx* Grid() const { return FGrid; }

  void Assign(const ui::TPersistent* Source) override;

 private:
  bool FActive = false;
  TCustomDBGridEx* FGrid;
  TGridRowPanelNavKeysNavigationTypeEx FNavKeysNavigationType = rpntRowToRowEx;
  TGridRowPanelTabNavigationTypeEx FTabNavigationType = rpntUpToDownPriorityEx;
};

}  // namespace grid
