// The data grid's grouping settings: levels named by column, the grid's
// events on keys and group rows, and the grid's reactions to changes.
#pragma once

#include <functional>

#include "grid/columns/grouping/grid_data_groups_ex.h"

namespace grid {

class TDBGridExDataGroupLevelEx;

using TDBGridExDataGroupGetKeyValueEvent = std::function<void(
    TCustomDBGridEx* Sender, TDBGridExDataGroupLevelEx* GroupLevel, rtl::Variant& KeyValue)>;
using TDBGridExDataGroupGetKeyValueAsTextEvent =
    std::function<void(TCustomDBGridEx* Sender, TGroupDataTreeNodeEx* GroupDataTreeNode,
                       const rtl::Variant& KeyValue, String& KeyValueAsText)>;
using TDBGridExDataGroupGetGroupRowTextEvent = std::function<void(
    TCustomDBGridEx* Sender, TGroupDataTreeNodeEx* GroupDataTreeNode, String& GroupRowText)>;

class TDBGridExDataGroupLevelEx : public TGridDataGroupLevelEx {
  JQ_UI_CLASSINFO
 public:
  explicit TDBGridExDataGroupLevelEx(ui::TCollection* Collection);

  TColumnEx* Column() const;
  TCustomDBGridEx* Grid() const;
  String ColumnName() const;
  // While the grid loads the name waits for the columns (RefreshLevelColumns).
  void SetColumnName(const String& Value);
  const String& LoadingColumnName() const { return FLoadingColumnName; }

  // Hides the level base's plain notification of the same name.
  TDBGridExDataGroupGetKeyValueEvent OnGetKeyValue;
  TDBGridExDataGroupGetKeyValueAsTextEvent OnGetKeyValueAsText;
  TDBGridExDataGroupGetGroupRowTextEvent OnGetGroupRowText;

  void Assign(const ui::TPersistent* Source) override;
  void AppearanceChanged() override;
  String GetGroupRowText(TGroupDataTreeNodeEx* GroupDataTreeNode) override;
  rtl::Variant GetKeyValue() override;
  String GetKeyValueAsText(TGroupDataTreeNodeEx* GroupDataTreeNode);

 private:
  String FLoadingColumnName;
};

class TDBGridExDataGroupsEx : public TGridDataGroupsEx {
  JQ_UI_CLASSINFO
 public:
  explicit TDBGridExDataGroupsEx(TCustomDBGridEx* AGrid);

  TCustomDBGridEx* Grid() const { return FDBGrid; }
  int HotTrackEditButton() const { return FHotTrackEditButton; }
  void SetHotTrackEditButton(int Value) { FHotTrackEditButton = Value; }
  int HotTrackGroupLevelIdx() const { return FHotTrackGroupLevelIdx; }
  void SetHotTrackGroupLevelIdx(int Value) { FHotTrackGroupLevelIdx = Value; }
  TDBGridExDataGroupLevelEx* LevelAt(int Index) const;
  TDBGridExDataGroupLevelEx* ActiveLevelAt(int Index) const;

  TGridDataGroupLevelsEx* CreateGroupLevels() override;
  void ActiveChanged() override;
  void ActiveGroupingStructChanged() override;
  void AppearanceChanged() override;
  void RebuildActiveGroupLevels() override;
  void ResortLevel(int LevelIndex, TSortOrderEx SortOrder) override;
  bool IsGroupingWorks() override;
  void RefreshLevelColumns();

 private:
  TCustomDBGridEx* FDBGrid;
  int FHotTrackEditButton = -1;
  int FHotTrackGroupLevelIdx = -1;
};

}  // namespace grid
