// The settings behind grouping a grid's records by the values of columns:
// the ordered group levels, each bound to a column, the levels in force,
// the colours and fonts of group rows and of the grouping panel, and the
// key of a record (the values that place it in the groups).
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/runtime/variant.h"
#include "platform/ui/graphics.h"

namespace grid {

using ui::String;

class TGridDataGroupsEx;
class TGridDataGroupLevelsEx;
class TGridGroupDataTreeEx;
class TGroupDataTreeNodeEx;
class TCustomDBGridEx;
class TColumnEx;

enum TSortOrderEx { soAscEx, soDescEx };

class TGridDataGroupLevelEx : public ui::TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  explicit TGridDataGroupLevelEx(ui::TCollection* Collection);
  ~TGridDataGroupLevelEx() override;

  TGridDataGroupsEx* DataGroups() const;
  ui::TColor Color() const;
  void SetColor(ui::TColor Value);
  ui::TPersistent* Column() const { return FColumn; }
  void SetColumn(ui::TPersistent* Value);
  ui::TFont* Font();
  void SetFont(ui::TFont* Value);
  ui::TRect GroupPanelRect() const { return FGroupPanelRect; }
  void SetGroupPanelRect(const ui::TRect& Value) { FGroupPanelRect = Value; }
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  int RowHeight() const { return FRowHeight; }
  void SetRowHeight(int Value) { FRowHeight = Value; }
  int RowLines() const { return FRowLines; }
  void SetRowLines(int Value) { FRowLines = Value; }
  TSortOrderEx SortOrder() const { return FSortOrder; }
  void SetSortOrder(TSortOrderEx Value);
  ui::TNotifyEvent OnGetKeyValue;
  ui::TNotifyEvent OnGetTitleText;

  // Copies the published look, the sort order, the row sizes and the events.
  void Assign(const ui::TPersistent* Source) override;
  virtual void AppearanceChanged();
  virtual String GetGroupRowText(TGroupDataTreeNodeEx* GroupDataTreeNode);
  virtual rtl::Variant GetKeyValue();
  // The groups of this level (when it is active) collapse / expand.
  void CollapseNodes();
  void ExtractNodes();
  void RefreshParentFont();
  void ForgetColumn() { FColumn = nullptr; }
  // Index among the active levels, -1 when not active.
  int ActiveIndex() const;

 protected:
  void HandleFontChange();

  ui::TColor FColor = ui::clWindow;
  ui::TPersistent* FColumn = nullptr;
  std::unique_ptr<ui::TFont> FFont;
  ui::TRect FGroupPanelRect{};
  bool FParentColor = true;
  bool FParentFont = true;
  int FRowHeight = 0;
  int FRowLines = 0;
  TSortOrderEx FSortOrder = soAscEx;
};

class TGridDataGroupLevelsEx : public ui::TCollection {
  JQ_UI_CLASSINFO
 public:
  TGridDataGroupLevelsEx(TGridDataGroupsEx* DataGroups, ItemFactory Factory);
  TGridDataGroupsEx* DataGroups() const { return FDataGroups; }
  ui::TComponent* Grid() const;
  TGridDataGroupLevelEx* Add() { return static_cast<TGridDataGroupLevelEx*>(ui::TCollection::Add()); }
  TGridDataGroupLevelEx* LevelAt(int Index) const {
    return static_cast<TGridDataGroupLevelEx*>(Items(Index));
  }
  virtual void LevelSortOrderChanged(TGridDataGroupLevelEx* Level);
  void RefreshLevelFonts();
  // The item whose construction is announcing it, not yet readable.
  ui::TCollectionItem* Adding() const { return FAdding; }
  void AddingDone(ui::TCollectionItem* Item) {
    if (FAdding == Item) FAdding = nullptr;
  }

 protected:
  void Update(ui::TCollectionItem* Item) override;
  void Notify(ui::TCollectionItem* Item, ui::TCollectionNotification Action) override;

 private:
  TGridDataGroupsEx* FDataGroups;
  ui::TCollectionItem* FAdding = nullptr;
};

class TGridDataGroupsEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TGridDataGroupsEx(ui::TComponent* AGrid);
  ~TGridDataGroupsEx() override;
  // Finishes construction: the levels and the tree come from virtual makers.
  void Init();

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  ui::TColor Color() const;
  void SetColor(ui::TColor Value);
  ui::TFont* Font();
  void SetFont(ui::TFont* Value);
  TGridDataGroupLevelsEx* GroupLevels() const { return FGroupLevels.get(); }
  void SetGroupLevels(TGridDataGroupLevelsEx* Value);
  bool GroupPanelVisible() const { return FGroupPanelVisible; }
  void SetGroupPanelVisible(bool Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  bool DefaultStateExpanded() const { return FDefaultStateExpanded; }
  void SetDefaultStateExpanded(bool Value) { FDefaultStateExpanded = Value; }
  int ActiveGroupLevelsCount() const { return static_cast<int>(FActiveGroupLevels.size()); }
  TGridDataGroupLevelEx* ActiveGroupLevelAt(int Index) const {
    return FActiveGroupLevels[static_cast<std::size_t>(Index)];
  }
  const std::vector<TGridDataGroupLevelEx*>& ActiveGroupLevels() const { return FActiveGroupLevels; }
  TGridGroupDataTreeEx* GroupDataTree() const { return FGroupDataTree.get(); }
  ui::TComponent* GridComponent() const { return FGrid; }
  // The owning data grid, nil for another owner.
  TCustomDBGridEx* DBGrid() const;
  const rtl::Variant& InsertingKeyValue() const { return FInsertingKeyValue; }
  void SetInsertingKeyValue(const rtl::Variant& KeyValue) { FInsertingKeyValue = KeyValue; }

  void Assign(const ui::TPersistent* Source) override;
  rtl::Variant GetKeyValueForViewRecNo(int ViewRecNo);
  void CheckGroupLevelsChanged();
  void RefreshParentFont();
  // Levels bound to a column that goes lose it, and the grouping follows.
  void ColumnDestroying(ui::TPersistent* Column);

  virtual TGridDataGroupLevelsEx* CreateGroupLevels();
  virtual void ActiveChanged();
  virtual void ActiveGroupingStructChanged();
  virtual void AppearanceChanged();
  virtual void RebuildActiveGroupLevels();
  virtual void ResortLevel(int LevelIndex, TSortOrderEx SortOrder);
  virtual bool IsGroupingWorks();

 protected:
  void HandleFontChange();

  bool FActive = false;
  std::vector<ui::TPersistent*> FActiveGroupColumns;
  std::vector<TGridDataGroupLevelEx*> FActiveGroupLevels;
  ui::TColor FColor = ui::clWindow;
  std::unique_ptr<ui::TFont> FFont;
  ui::TComponent* FGrid;
  std::unique_ptr<TGridGroupDataTreeEx> FGroupDataTree;
  std::unique_ptr<TGridDataGroupLevelsEx> FGroupLevels;
  bool FGroupPanelVisible = false;
  rtl::Variant FInsertingKeyValue;
  bool FParentColor = true;
  bool FParentFont = true;
  bool FDefaultStateExpanded = false;
};

}  // namespace grid
