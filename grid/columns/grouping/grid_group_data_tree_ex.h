// The tree behind grouped rows: group nodes for one key value of one level,
// record nodes (one per record view of the memory table) under the innermost
// groups, kept in key order and in step with the memory table, and the flat
// list of visible nodes that the grid uses as its rows.
#pragma once

#include <functional>
#include <vector>

#include "grid/columns/grouping/grid_data_groups_ex.h"
#include "grid/columns/grouping/tree_list_ex.h"

namespace grid {

class IMemTableEx;

enum TGroupDataTreeNodeTypeEx { dntDataSetRecordEx = 0, dntDataGroupEx = 1 };

class TGroupDataTreeNodeEx : public TBaseTreeNodeEx {
 public:
  TGridDataGroupLevelEx* DataGroup() const { return FDataGroup; }
  void SetDataGroup(TGridDataGroupLevelEx* Value) { FDataGroup = Value; }
  int DataSetRecordViewNo() const { return FDataSetRecordViewNo; }
  void SetDataSetRecordViewNo(int Value) { FDataSetRecordViewNo = Value; }
  const rtl::Variant& FullKey() const { return FFullKey; }
  void SetFullKey(const rtl::Variant& Value) { FFullKey = Value; }
  const rtl::Variant& KeyValue() const { return FKeyValue; }
  void SetKeyValue(const rtl::Variant& Value) { FKeyValue = Value; }
  TGroupDataTreeNodeTypeEx NodeType() const { return FGroupDataTreeNodeType; }
  void SetNodeType(TGroupDataTreeNodeTypeEx Value) { FGroupDataTreeNodeType = Value; }
  TGroupDataTreeNodeEx* Parent() const {
    return static_cast<TGroupDataTreeNodeEx*>(TBaseTreeNodeEx::Parent());
  }
  TGroupDataTreeNodeEx* ChildAt(int Index) const { return static_cast<TGroupDataTreeNodeEx*>(ItemAt(Index)); }
  int RowHeight();
  void SetRowHeight(int Value) {
    FRowHeight = Value;
    FRowHeightNeedUpdate = false;
  }
  bool RowHeightNeedUpdate() const { return FRowHeightNeedUpdate; }
  void RowDataChanged() { FRowHeightNeedUpdate = true; }
  void UpdateRowHeight();
  // Marks a node as the record node of a view.
  void MarkAsRecord(int ViewRecNo, const rtl::Variant& FullKey);

 private:
  TGridDataGroupLevelEx* FDataGroup = nullptr;
  int FDataSetRecordViewNo = 0;
  rtl::Variant FFullKey;
  TGroupDataTreeNodeTypeEx FGroupDataTreeNodeType = dntDataSetRecordEx;
  rtl::Variant FKeyValue;
  int FRowHeight = 0;
  bool FRowHeightNeedUpdate = true;
};

class TGridGroupDataTreeEx : public TTreeListEx {
 public:
  TGridGroupDataTreeEx(TGridDataGroupsEx* AGridDataGroups, TTreeNodeClassEx ItemClass);
  ~TGridGroupDataTreeEx() override;

  TGridDataGroupsEx* GridDataGroups() const { return FGridDataGroups; }
  int FlatVisibleCount() const { return static_cast<int>(FlatVisibleList.size()); }
  TGroupDataTreeNodeEx* FlatVisibleNodeAt(int Index) const;
  int UpdateCount() const { return FUpateCount; }
  void BeginUpdate() { ++FUpateCount; }
  void EndUpdate() {
    if (FUpateCount > 0) --FUpateCount;
  }
  TGroupDataTreeNodeEx* Root() const { return static_cast<TGroupDataTreeNodeEx*>(TTreeListEx::Root()); }

  void ExpandedChanged(TBaseTreeNodeEx* Node) override;

  TGroupDataTreeNodeEx* AddRecordNodeForKey(const rtl::Variant& AKey);
  TGroupDataTreeNodeEx* GetNodeToInsertForKey1(TGroupDataTreeNodeEx* ParentNode, const rtl::Variant& Key1,
                                               TSortOrderEx SortOrder, TNodeAttachModeEx& InsertMode);
  void RebuildDataTree(IMemTableEx* AIntMemTable);
  void RebuildDataTreeEx(IMemTableEx* AIntMemTable);
  void RebuildFlatVisibleList();
  void RecordInserted(int RecNum);
  void RecordChanged(int RecNum);
  void RecordDeleted(int RecNum);
  void DeleteRecordNode(TGroupDataTreeNodeEx* RecNode);
  void DeleteRecordNodes();
  void DeleteEmptyNodes();
  void DeleteRecordNodesUpToLevel(int Level);
  void UpdateRecordNodePosInTree(TGroupDataTreeNodeEx* RecNode);
  void SetDataSetkeyValue();
  void ExpandNodePathToView(TGroupDataTreeNodeEx* Node);
  void ResortLevel(int LevelIndex, TSortOrderEx SortOrder);
  int CompareNodes(TBaseTreeNodeEx* Node1, TBaseTreeNodeEx* Node2, int ParamSort);
  void CollapseLevel(int Level);
  void ExpandLevel(int Level);
  TGroupDataTreeNodeEx* GetFirstNodeAtLevel(int Level);
  TGroupDataTreeNodeEx* GetNextNodeAtLevel(TGroupDataTreeNodeEx* Node, int Level);
  TGroupDataTreeNodeEx* GetNodeByRecordViewNo(int RecordViewNo);
  int IndexOfVisibleNode(TGroupDataTreeNodeEx* Node) const;
  int IndexOfVisibleRecordViewNo(int RecordViewNo) const;
  void UpdateAllDataRowHeights();

 private:
  IMemTableEx* MemTable() const;
  void SetLevelExpanded(int Level, bool Value);
  // Runs Work inside an update; the rows are listed again also when it fails.
  void Rebuild(const std::function<void()>& Work);
  // Adds the record nodes of every view; the caller rebuilds the lists.
  void AddAllRecords(IMemTableEx* AIntMemTable);
  TGroupDataTreeNodeEx* First() { return static_cast<TGroupDataTreeNodeEx*>(GetFirst()); }
  TGroupDataTreeNodeEx* Next(TGroupDataTreeNodeEx* Node) {
    return static_cast<TGroupDataTreeNodeEx*>(GetNext(Node));
  }
  // Shifts the view numbers of record nodes at or above From by Delta.
  void RenumberRecords(int From, int Delta);

  TGridDataGroupsEx* FGridDataGroups;
  std::vector<TGroupDataTreeNodeEx*> FlatVisibleList;
  int FUpateCount = 0;
};

}  // namespace grid
