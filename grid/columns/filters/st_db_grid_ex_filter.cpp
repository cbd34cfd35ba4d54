#include "grid/columns/filters/st_db_grid_ex_filter.h"

#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TSTDBGridExFilter::StaticClassInfo() {
  using T = TSTDBGridExFilter;
  static const TClassInfo info =
      TClassBuilder<T>("TSTDBGridExFilter", &TPersistent::StaticClassInfo())
          .Boolean("InstantApply", &T::InstantApply, &T::SetInstantApply)
          .StoredWhen(&T::IsInstantApplyStored)
          .Boolean("Local", &T::Local, &T::SetLocal, 0)
          .Enum("Location", "TSTFilterLocationEx", {"stflUnderTitleFilterEx", "stflInTitleFilterEx"},
                &T::Location, &T::SetLocation, stflUnderTitleFilterEx)
          .Boolean("Visible", &T::Visible, &T::SetVisible, 0)
          .Unit("DBGridEx")
          .Build();
  return info;
}

void TSTDBGridExFilter::SetInstantApply(bool Value) {
  FInstantApply = Value;
  FIsInstantApplyStored = true;
}

void TSTDBGridExFilter::SetLocation(TSTFilterLocationEx Value) {
  if (FLocation == Value) return;
  FLocation = Value;
  if (!FGrid) return;
  FGrid->RelayoutGrid();
  // Filters moved into the titles leave no row for an open filter editor.
  if (FGrid->FilterEditMode()) FGrid->PlaceFilterEditor(false);
}

void TSTDBGridExFilter::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  if (!FGrid) return;
  if (!Value) FGrid->ResetSTFilterEditing();
  FGrid->RelayoutGrid();
  if (FGrid->EditorMode()) FGrid->RefreshEditorPlacement();
}

void TSTDBGridExFilter::Assign(const TPersistent* Source) {
  if (auto* src = dynamic_cast<const TSTDBGridExFilter*>(Source)) {
    SetVisible(src->Visible());
    SetLocal(src->Local());
    return;
  }
  TPersistent::Assign(Source);
}

}  // namespace grid
