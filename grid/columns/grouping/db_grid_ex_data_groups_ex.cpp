#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/dialogs.h"

namespace grid {

using ui::TClassBuilder;
using ui::TClassInfo;

// --- a level of the data grid --------------------------------------------------------

const TClassInfo& TDBGridExDataGroupLevelEx::StaticClassInfo() {
  using T = TDBGridExDataGroupLevelEx;
  static const TClassInfo info =
      TClassBuilder<T>("TDBGridExDataGroupLevelEx", &TGridDataGroupLevelEx::StaticClassInfo())
          .Str("ColumnName", &T::ColumnName, &T::SetColumnName)
          .Build();
  return info;
}

TDBGridExDataGroupLevelEx::TDBGridExDataGroupLevelEx(ui::TCollection* Collection)
    : TGridDataGroupLevelEx(Collection) {}

TColumnEx* TDBGridExDataGroupLevelEx::Column() const { return dynamic_cast<TColumnEx*>(FColumn); }

TCustomDBGridEx* TDBGridExDataGroupLevelEx::Grid() const {
  TGridDataGroupsEx* groups = DataGroups();
  return groups ? groups->DBGrid() : nullptr;
}

String TDBGridExDataGroupLevelEx::ColumnName() const {
  TColumnEx* column = Column();
  return column ? column->Name() : String();
}

void TDBGridExDataGroupLevelEx::SetColumnName(const String& Value) {
  TCustomDBGridEx* grid = Grid();
  if (!grid) return;
  if (grid->IsLoading()) {
    FLoadingColumnName = Value;
    return;
  }
  SetColumn(grid->Columns()->FindColumnByName(Value));
}

void TDBGridExDataGroupLevelEx::Assign(const ui::TPersistent* Source) {
  TGridDataGroupLevelEx::Assign(Source);
  auto* src = dynamic_cast<const TDBGridExDataGroupLevelEx*>(Source);
  if (!src) return;
  OnGetKeyValue = src->OnGetKeyValue;
  OnGetKeyValueAsText = src->OnGetKeyValueAsText;
  OnGetGroupRowText = src->OnGetGroupRowText;
  // A level of the same grid keeps its column; another grid's level is
  // bound by name to this grid's column.
  TCustomDBGridEx* grid = Grid();
  if (grid && grid->IsLoading())
    FLoadingColumnName = src->Column() ? src->ColumnName() : src->FLoadingColumnName;
  else if (src->Grid() == grid)
    SetColumn(src->FColumn);
  else
    SetColumnName(src->ColumnName());
}

void TDBGridExDataGroupLevelEx::AppearanceChanged() {
  TColumnEx* column = Column();
  TCustomDBGridEx* grid = column ? column->Grid() : nullptr;
  if (!grid) return;
  grid->Invalidate();
  grid->UpdateAllDataRowHeights();
}

rtl::Variant TDBGridExDataGroupLevelEx::GetKeyValue() {
  rtl::Variant key = TGridDataGroupLevelEx::GetKeyValue();
  TColumnEx* column = Column();
  if (column && column->OnGroupGetKeyValue) column->OnGroupGetKeyValue(Grid(), column, key);
  if (OnGetKeyValue && column) OnGetKeyValue(Grid(), this, key);
  return key;
}

String TDBGridExDataGroupLevelEx::GetKeyValueAsText(TGroupDataTreeNodeEx* Node) {
  const rtl::Variant& key = Node->KeyValue();
  String text = rtl::VarToStr(key);
  TColumnEx* column = Column();
  if (column && column->OnGroupGetKeyValueAsText) column->OnGroupGetKeyValueAsText(Grid(), Node, key, text);
  if (OnGetKeyValueAsText && column) OnGetKeyValueAsText(Grid(), Node, key, text);
  return text;
}

String TDBGridExDataGroupLevelEx::GetGroupRowText(TGroupDataTreeNodeEx* Node) {
  String text;
  auto* group = dynamic_cast<TDBGridExDataGroupLevelEx*>(Node->DataGroup());
  if (group && group->Column()) text = group->Column()->Title()->Caption() + u": ";
  text += GetKeyValueAsText(Node) + u" (" + rtl::IntToStr(Node->Count()) + u")";
  if (Column()) {
    TCustomDBGridEx* grid = Grid();
    if (grid && grid->OnDataGroupGetRowText) grid->OnDataGroupGetRowText(grid, Node, text);
    if (OnGetGroupRowText) OnGetGroupRowText(grid, Node, text);
  }
  return text;
}

// --- the settings of the data grid ----------------------------------------------------

const TClassInfo& TDBGridExDataGroupsEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBGridExDataGroupsEx>("TDBGridExDataGroupsEx", &TGridDataGroupsEx::StaticClassInfo())
          .Build();
  return info;
}

TDBGridExDataGroupsEx::TDBGridExDataGroupsEx(TCustomDBGridEx* AGrid)
    : TGridDataGroupsEx(AGrid), FDBGrid(AGrid) {
  Init();
}

TDBGridExDataGroupLevelEx* TDBGridExDataGroupsEx::LevelAt(int Index) const {
  return static_cast<TDBGridExDataGroupLevelEx*>(GroupLevels()->LevelAt(Index));
}

TDBGridExDataGroupLevelEx* TDBGridExDataGroupsEx::ActiveLevelAt(int Index) const {
  return static_cast<TDBGridExDataGroupLevelEx*>(ActiveGroupLevelAt(Index));
}

TGridDataGroupLevelsEx* TDBGridExDataGroupsEx::CreateGroupLevels() {
  return new TGridDataGroupLevelsEx(this,
                                    [](ui::TCollection* c) { return new TDBGridExDataGroupLevelEx(c); });
}

void TDBGridExDataGroupsEx::ActiveChanged() {
  TCustomDBGridEx* grid = FDBGrid;
  if (!grid) return;
  const bool linkActive = grid->DataLink() && grid->DataLink()->Active();
  if (FActive && grid->ComponentState().Contains(ui::csDesigning) && !grid->IsLoading() && linkActive &&
      !dynamic_cast<IMemTableEx*>(grid->DataLink()->DataSet()))
    ui::ShowMessage(u"DataSet doesn't support IMemTableEx interface. Groupoing won't work.");
  grid->DataLinkActiveChanged(linkActive);
  grid->UpdateGroupPanelIndent();
  if (grid->OnActiveGroupingStructChanged) grid->OnActiveGroupingStructChanged(grid);
}

void TDBGridExDataGroupsEx::ActiveGroupingStructChanged() {
  TCustomDBGridEx* grid = FDBGrid;
  if (!grid) return;
  grid->HandleMemTableRecordEvent(-1, mtrAllChangedEx, -1);
  grid->UpdateGroupPanelIndent();
  if (grid->OnActiveGroupingStructChanged) grid->OnActiveGroupingStructChanged(grid);
}

void TDBGridExDataGroupsEx::AppearanceChanged() {
  if (!FDBGrid) return;
  FDBGrid->Invalidate();
  FDBGrid->UpdateAllDataRowHeights();
}

void TDBGridExDataGroupsEx::RebuildActiveGroupLevels() {
  TGridDataGroupsEx::RebuildActiveGroupLevels();
  FHotTrackEditButton = -1;
  FHotTrackGroupLevelIdx = -1;
  if (FDBGrid && FDBGrid->DataLink() && FDBGrid->DataLink()->Active()) FDBGrid->SortMarkingChanged();
  if (FDBGrid) FDBGrid->GroupLevelsRebuilt();
}

void TDBGridExDataGroupsEx::ResortLevel(int LevelIndex, TSortOrderEx SortOrder) {
  TGridDataGroupsEx::ResortLevel(LevelIndex, SortOrder);
  if (FDBGrid && FDBGrid->DataLink() && FDBGrid->DataLink()->Active()) FDBGrid->SortMarkingChanged();
}

bool TDBGridExDataGroupsEx::IsGroupingWorks() {
  return FActive && FDBGrid && FDBGrid->DataLink() && FDBGrid->DataLink()->Active() && FDBGrid->MemTable() &&
         ActiveGroupLevelsCount() > 0;
}

void TDBGridExDataGroupsEx::RefreshLevelColumns() {
  for (int i = 0; i < GroupLevels()->Count(); ++i) {
    TDBGridExDataGroupLevelEx* level = LevelAt(i);
    // A level bound by code before loading ended has no name waiting.
    if (!level->LoadingColumnName().empty() || !level->Column())
      level->SetColumnName(level->LoadingColumnName());
  }
}

}  // namespace grid
