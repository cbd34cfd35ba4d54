#include "grid/columns/grouping/grid_data_groups_ex.h"

#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/columns/grouping/grouping_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/mem_table_intf_ex.h"
#include "platform/classes/typinfo.h"
#include "platform/data/dataset.h"

namespace grid {

using ui::TClassBuilder;
using ui::TClassInfo;
using ui::TColor;

// --- a level --------------------------------------------------------------------------

const TClassInfo& TGridDataGroupLevelEx::StaticClassInfo() {
  using T = TGridDataGroupLevelEx;
  static const TClassInfo info =
      TClassBuilder<T>("TGridDataGroupLevelEx", &ui::TCollectionItem::StaticClassInfo())
          .Integer("Color", &T::Color, &T::SetColor)
          .Boolean("ParentColor", &T::ParentColor, &T::SetParentColor)
          .Boolean("ParentFont", &T::ParentFont, &T::SetParentFont)
          .Build();
  return info;
}

TGridDataGroupLevelEx::TGridDataGroupLevelEx(ui::TCollection* Collection)
    : ui::TCollectionItem(Collection), FFont(std::make_unique<ui::TFont>()) {
  if (TGridDataGroupsEx* groups = DataGroups()) FFont->Assign(groups->Font());
  FFont->OnChange = [this](ui::TObject*) { HandleFontChange(); };
  if (auto* levels = dynamic_cast<TGridDataGroupLevelsEx*>(Collection)) levels->AddingDone(this);
}

TGridDataGroupLevelEx::~TGridDataGroupLevelEx() = default;

TGridDataGroupsEx* TGridDataGroupLevelEx::DataGroups() const {
  auto* levels = dynamic_cast<TGridDataGroupLevelsEx*>(Collection());
  return levels ? levels->DataGroups() : nullptr;
}

TColor TGridDataGroupLevelEx::Color() const {
  if (FParentColor) {
    TGridDataGroupsEx* groups = DataGroups();
    return groups ? groups->Color() : FColor;
  }
  return FColor;
}

void TGridDataGroupLevelEx::SetColor(TColor Value) {
  if (!FParentColor && Value == FColor) return;
  FColor = Value;
  FParentColor = false;
  AppearanceChanged();
}

void TGridDataGroupLevelEx::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  AppearanceChanged();
}

void TGridDataGroupLevelEx::SetColumn(ui::TPersistent* Value) {
  FColumn = Value;
  Changed(false);
}

ui::TFont* TGridDataGroupLevelEx::Font() {
  if (FParentFont) {
    TGridDataGroupsEx* groups = DataGroups();
    if (groups && !FFont->SameAs(*groups->Font())) RefreshParentFont();
  }
  return FFont.get();
}

void TGridDataGroupLevelEx::SetFont(ui::TFont* Value) { FFont->Assign(Value); }

void TGridDataGroupLevelEx::HandleFontChange() {
  FParentFont = false;
  AppearanceChanged();
}

void TGridDataGroupLevelEx::RefreshParentFont() {
  if (!FParentFont) return;
  if (TGridDataGroupsEx* groups = DataGroups())
    grouping_detail::AssignFontQuietly(FFont.get(), groups->Font());
}

void TGridDataGroupLevelEx::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  RefreshParentFont();
  AppearanceChanged();
}

void TGridDataGroupLevelEx::SetSortOrder(TSortOrderEx Value) {
  FSortOrder = Value;
  if (auto* levels = dynamic_cast<TGridDataGroupLevelsEx*>(Collection())) levels->LevelSortOrderChanged(this);
}

void TGridDataGroupLevelEx::Assign(const ui::TPersistent* Source) {
  auto* src = dynamic_cast<const TGridDataGroupLevelEx*>(Source);
  if (!src) {
    ui::TCollectionItem::Assign(Source);
    return;
  }
  if (src->FParentColor)
    SetParentColor(true);
  else
    SetColor(src->FColor);
  if (src->FParentFont) {
    SetParentFont(true);
  } else {
    SetFont(src->FFont.get());
  }
  FRowHeight = src->FRowHeight;
  FRowLines = src->FRowLines;
  OnGetKeyValue = src->OnGetKeyValue;
  OnGetTitleText = src->OnGetTitleText;
  if (FSortOrder != src->FSortOrder) SetSortOrder(src->FSortOrder);
}

void TGridDataGroupLevelEx::AppearanceChanged() {
  if (TGridDataGroupsEx* groups = DataGroups())
    if (auto* control = dynamic_cast<ui::TControl*>(groups->GridComponent())) control->Invalidate();
}

String TGridDataGroupLevelEx::GetGroupRowText(TGroupDataTreeNodeEx*) { return String(); }

rtl::Variant TGridDataGroupLevelEx::GetKeyValue() {
  rtl::Variant key;
  if (OnGetKeyValue) {
    OnGetKeyValue(this);
    return key;
  }
  if (auto* column = dynamic_cast<TColumnEx*>(FColumn)) {
    db::TField* field = column->Field();
    if (field && field->DataSet() && field->DataSet()->Active()) key = field->Value();
  }
  return key;
}

int TGridDataGroupLevelEx::ActiveIndex() const {
  TGridDataGroupsEx* groups = DataGroups();
  if (!groups) return -1;
  const auto& active = groups->ActiveGroupLevels();
  auto it = std::find(active.begin(), active.end(), this);
  return it == active.end() ? -1 : static_cast<int>(it - active.begin());
}

void TGridDataGroupLevelEx::CollapseNodes() {
  const int a = ActiveIndex();
  if (a >= 0) DataGroups()->GroupDataTree()->CollapseLevel(a + 1);
}

void TGridDataGroupLevelEx::ExtractNodes() {
  const int a = ActiveIndex();
  if (a >= 0) DataGroups()->GroupDataTree()->ExpandLevel(a + 1);
}

// --- the levels -------------------------------------------------------------------------

const TClassInfo& TGridDataGroupLevelsEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TGridDataGroupLevelsEx>("TGridDataGroupLevelsEx", &ui::TCollection::StaticClassInfo())
          .Build();
  return info;
}

TGridDataGroupLevelsEx::TGridDataGroupLevelsEx(TGridDataGroupsEx* DataGroups, ItemFactory Factory)
    : ui::TCollection(std::move(Factory), DataGroups), FDataGroups(DataGroups) {}

ui::TComponent* TGridDataGroupLevelsEx::Grid() const { return FDataGroups->GridComponent(); }

void TGridDataGroupLevelsEx::Notify(ui::TCollectionItem* Item, ui::TCollectionNotification Action) {
  ui::TCollection::Notify(Item, Action);
  if (Action == ui::cnAdded) FAdding = Item;
}

void TGridDataGroupLevelsEx::Update(ui::TCollectionItem* Item) {
  ui::TCollection::Update(Item);
  FDataGroups->CheckGroupLevelsChanged();
}

void TGridDataGroupLevelsEx::LevelSortOrderChanged(TGridDataGroupLevelEx* Level) {
  const int a = Level->ActiveIndex();
  if (a >= 0) FDataGroups->ResortLevel(a, Level->SortOrder());
}

void TGridDataGroupLevelsEx::RefreshLevelFonts() {
  for (int i = 0; i < Count(); ++i) LevelAt(i)->RefreshParentFont();
}

// --- the settings -----------------------------------------------------------------------

const TClassInfo& TGridDataGroupsEx::StaticClassInfo() {
  using T = TGridDataGroupsEx;
  static const TClassInfo info =
      TClassBuilder<T>("TGridDataGroupsEx", &ui::TPersistent::StaticClassInfo())
          .Boolean("Active", &T::Active, &T::SetActive)
          .Integer("Color", &T::Color, &T::SetColor)
          .Boolean("GroupPanelVisible", &T::GroupPanelVisible, &T::SetGroupPanelVisible)
          .Boolean("ParentColor", &T::ParentColor, &T::SetParentColor)
          .Boolean("ParentFont", &T::ParentFont, &T::SetParentFont)
          .Boolean("DefaultStateExpanded", &T::DefaultStateExpanded, &T::SetDefaultStateExpanded)
          .Build();
  return info;
}

TGridDataGroupsEx::TGridDataGroupsEx(ui::TComponent* AGrid)
    : FFont(std::make_unique<ui::TFont>()), FGrid(AGrid) {
  if (auto* control = dynamic_cast<ui::TControl*>(AGrid)) FFont->Assign(control->Font());
  FFont->OnChange = [this](ui::TObject*) { HandleFontChange(); };
}

void TGridDataGroupsEx::Init() {
  FGroupDataTree = std::make_unique<TGridGroupDataTreeEx>(this, [] { return new TGroupDataTreeNodeEx(); });
  FGroupLevels.reset(CreateGroupLevels());
}

TGridDataGroupsEx::~TGridDataGroupsEx() {
  FGroupLevels.reset();
  FGroupDataTree.reset();
}

TCustomDBGridEx* TGridDataGroupsEx::DBGrid() const { return dynamic_cast<TCustomDBGridEx*>(FGrid); }

TGridDataGroupLevelsEx* TGridDataGroupsEx::CreateGroupLevels() {
  return new TGridDataGroupLevelsEx(this, [](ui::TCollection* c) { return new TGridDataGroupLevelEx(c); });
}

void TGridDataGroupsEx::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  ActiveChanged();
}

TColor TGridDataGroupsEx::Color() const {
  if (FParentColor)
    if (auto* control = dynamic_cast<ui::TControl*>(FGrid)) return control->Color();
  return FColor;
}

void TGridDataGroupsEx::SetColor(TColor Value) {
  if (!FParentColor && Value == FColor) return;
  FColor = Value;
  FParentColor = false;
  AppearanceChanged();
}

void TGridDataGroupsEx::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  AppearanceChanged();
}

ui::TFont* TGridDataGroupsEx::Font() {
  if (FParentFont)
    if (auto* control = dynamic_cast<ui::TControl*>(FGrid))
      if (!FFont->SameAs(*control->Font())) RefreshParentFont();
  return FFont.get();
}

void TGridDataGroupsEx::SetFont(ui::TFont* Value) { FFont->Assign(Value); }

void TGridDataGroupsEx::HandleFontChange() {
  FParentFont = false;
  if (FGroupLevels) FGroupLevels->RefreshLevelFonts();
  AppearanceChanged();
}

void TGridDataGroupsEx::RefreshParentFont() {
  if (!FParentFont) return;
  if (auto* control = dynamic_cast<ui::TControl*>(FGrid))
    grouping_detail::AssignFontQuietly(FFont.get(), control->Font());
  if (FGroupLevels) FGroupLevels->RefreshLevelFonts();
}

void TGridDataGroupsEx::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  RefreshParentFont();
  AppearanceChanged();
}

void TGridDataGroupsEx::SetGroupLevels(TGridDataGroupLevelsEx* Value) { FGroupLevels->Assign(Value); }

void TGridDataGroupsEx::SetGroupPanelVisible(bool Value) {
  if (Value == FGroupPanelVisible) return;
  FGroupPanelVisible = Value;
  if (TCustomDBGridEx* grid = DBGrid()) grid->UpdateGroupPanelIndent();
}

void TGridDataGroupsEx::Assign(const ui::TPersistent* Source) {
  auto* src = dynamic_cast<const TGridDataGroupsEx*>(Source);
  if (!src) {
    ui::TPersistent::Assign(Source);
    return;
  }
  SetActive(src->FActive);
  SetGroupLevels(src->FGroupLevels.get());
  SetGroupPanelVisible(src->FGroupPanelVisible);
}

rtl::Variant TGridDataGroupsEx::GetKeyValueForViewRecNo(int ViewRecNo) {
  TCustomDBGridEx* grid = DBGrid();
  IMemTableEx* table = grid ? grid->MemTable() : nullptr;
  const int n = ActiveGroupLevelsCount();
  rtl::Variant key = rtl::VarArrayCreate(0, n);
  const bool reposition = table && table->InstantReadView() != ViewRecNo;
  if (reposition) table->InstantReadEnter(ViewRecNo);
  try {
    for (int i = 0; i < n; ++i) key[i] = ActiveGroupLevelAt(i)->GetKeyValue();
  } catch (...) {
    if (reposition) table->InstantReadLeave();
    throw;
  }
  if (reposition) table->InstantReadLeave();
  key[n] = rtl::Variant(ViewRecNo);
  return key;
}

void TGridDataGroupsEx::CheckGroupLevelsChanged() {
  if (!FGroupLevels || !FGroupDataTree) return;
  std::size_t j = 0;
  bool changed = false;
  for (int i = 0; i < FGroupLevels->Count(); ++i) {
    // A level still being made announces itself before it can be read.
    if (FGroupLevels->Items(i) == FGroupLevels->Adding()) continue;
    TGridDataGroupLevelEx* level = FGroupLevels->LevelAt(i);
    if (!level->Column()) continue;
    if (j < FActiveGroupLevels.size() && FActiveGroupLevels[j] == level &&
        FActiveGroupColumns[j] == level->Column()) {
      ++j;
      continue;
    }
    changed = true;
    break;
  }
  if (!changed && j == FActiveGroupLevels.size()) return;
  FGroupDataTree->DeleteRecordNodesUpToLevel(static_cast<int>(j) + 1);
  RebuildActiveGroupLevels();
  if (FActive) ActiveGroupingStructChanged();
}

void TGridDataGroupsEx::ColumnDestroying(ui::TPersistent* Column) {
  if (!FGroupLevels) return;
  bool found = false;
  for (int i = 0; i < FGroupLevels->Count(); ++i) {
    TGridDataGroupLevelEx* level = FGroupLevels->LevelAt(i);
    if (level->Column() != Column) continue;
    level->ForgetColumn();
    found = true;
  }
  if (found) CheckGroupLevelsChanged();
}

void TGridDataGroupsEx::ActiveChanged() {}

void TGridDataGroupsEx::ActiveGroupingStructChanged() {}

void TGridDataGroupsEx::AppearanceChanged() {
  if (auto* control = dynamic_cast<ui::TControl*>(FGrid)) control->Invalidate();
}

void TGridDataGroupsEx::RebuildActiveGroupLevels() {
  FActiveGroupLevels.clear();
  FActiveGroupColumns.clear();
  for (int i = 0; i < FGroupLevels->Count(); ++i) {
    if (FGroupLevels->Items(i) == FGroupLevels->Adding()) continue;
    TGridDataGroupLevelEx* level = FGroupLevels->LevelAt(i);
    if (!level->Column()) continue;
    FActiveGroupLevels.push_back(level);
    FActiveGroupColumns.push_back(level->Column());
  }
}

void TGridDataGroupsEx::ResortLevel(int LevelIndex, TSortOrderEx SortOrder) {
  FGroupDataTree->ResortLevel(LevelIndex, SortOrder);
}

bool TGridDataGroupsEx::IsGroupingWorks() { return FActive; }

}  // namespace grid
