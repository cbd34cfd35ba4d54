// What the indicator title cell offers: a button, a drop-down sign and a menu.
#pragma once

#include "platform/classes/classes.h"

namespace ui {
class TPopupMenu;
}

namespace grid {

class TCustomDBGridEx;

class TDBGridExIndicatorTitle : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TDBGridExIndicatorTitle(TCustomDBGridEx* AGrid) : FGrid(AGrid) {}
  bool Down() const { return FDown; }
  void SetDown(bool Value) { FDown = Value; }
  ui::TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  // The grid hears when the menu is freed and lets go of it.
  void SetDropdownMenu(ui::TPopupMenu* Value);
  bool ShowDropDownSign() const { return FShowDropDownSign; }
  // Repaints the indicator title cell.
  void SetShowDropDownSign(bool Value);
  bool TitleButton() const { return FTitleButton; }
  void SetTitleButton(bool Value) { FTitleButton = Value; }
  bool UseGlobalMenu() const { return FUseGlobalMenu; }
  void SetUseGlobalMenu(bool Value) { FUseGlobalMenu = Value; }
  void Assign(const ui::TPersistent* Source) override;

 private:
  bool FDown = false;
  ui::TPopupMenu* FDropdownMenu = nullptr;
  bool FShowDropDownSign = false;
  bool FTitleButton = false;
  bool FUseGlobalMenu = true;
  TCustomDBGridEx* FGrid;
};

}  // namespace grid
