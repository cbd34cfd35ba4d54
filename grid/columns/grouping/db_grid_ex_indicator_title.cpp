#include "grid/columns/grouping/db_grid_ex_indicator_title.h"

#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/menus.h"

namespace grid {

const ui::TClassInfo& TDBGridExIndicatorTitle::StaticClassInfo() {
  using T = TDBGridExIndicatorTitle;
  static const ui::TClassInfo info =
      ui::TClassBuilder<T>("TDBGridExIndicatorTitle", &ui::TPersistent::StaticClassInfo())
          .Object("DropdownMenu", "TPopupMenu", &T::DropdownMenu, &T::SetDropdownMenu)
          .Boolean("ShowDropDownSign", &T::ShowDropDownSign, &T::SetShowDropDownSign, 0)
          .Boolean("TitleButton", &T::TitleButton, &T::SetTitleButton, 0)
          .Boolean("UseGlobalMenu", &T::UseGlobalMenu, &T::SetUseGlobalMenu, 1)
          .Build();
  return info;
}

void TDBGridExIndicatorTitle::SetDropdownMenu(ui::TPopupMenu* Value) {
  if (Value == FDropdownMenu) return;
  FDropdownMenu = Value;
  if (FDropdownMenu && FGrid) FDropdownMenu->FreeNotification(FGrid);
}

void TDBGridExIndicatorTitle::SetShowDropDownSign(bool Value) {
  if (Value == FShowDropDownSign) return;
  FShowDropDownSign = Value;
  if (FGrid) FGrid->RepaintCell(0, 0);
}

void TDBGridExIndicatorTitle::Assign(const ui::TPersistent* Source) {
  if (auto* src = dynamic_cast<const TDBGridExIndicatorTitle*>(Source)) {
    SetDropdownMenu(src->FDropdownMenu);
    SetShowDropDownSign(src->FShowDropDownSign);
    FTitleButton = src->FTitleButton;
    FUseGlobalMenu = src->FUseGlobalMenu;
    return;
  }
  ui::TPersistent::Assign(Source);
}

}  // namespace grid
