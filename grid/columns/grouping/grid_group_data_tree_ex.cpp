#include "grid/columns/grouping/grid_group_data_tree_ex.h"

#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/core/mem_table_intf_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/data/dataset.h"

namespace grid {

using Rel = TVariantRelationshipEx;

namespace {

// Reads a record view for as long as it lives, also when reading fails.
class TInstantRead {
 public:
  TInstantRead(IMemTableEx* Table, int View) : table_(Table) {
    if (table_) table_->InstantReadEnter(View);
  }
  ~TInstantRead() {
    if (table_) table_->InstantReadLeave();
  }
  TInstantRead(const TInstantRead&) = delete;
  TInstantRead& operator=(const TInstantRead&) = delete;

 private:
  IMemTableEx* table_;
};

TGroupDataTreeNodeEx* AsGroupNode(TBaseTreeNodeEx* Node) { return static_cast<TGroupDataTreeNodeEx*>(Node); }

}  // namespace

// --- nodes -------------------------------------------------------------------------------

int TGroupDataTreeNodeEx::RowHeight() {
  if (FRowHeightNeedUpdate) UpdateRowHeight();
  return FRowHeight;
}

void TGroupDataTreeNodeEx::UpdateRowHeight() {
  auto* tree = dynamic_cast<TGridGroupDataTreeEx*>(Owner());
  TCustomDBGridEx* grid = tree ? tree->GridDataGroups()->DBGrid() : nullptr;
  if (!grid) return;
  if (FGroupDataTreeNodeType == dntDataGroupEx) {
    SetRowHeight(grid->GroupNodeRowHeight(this));
    return;
  }
  TInstantRead read(grid->MemTable(), FDataSetRecordViewNo);
  SetRowHeight(grid->CalcDefaultRowHeight());
}

void TGroupDataTreeNodeEx::MarkAsRecord(int ViewRecNo, const rtl::Variant& FullKey) {
  FDataGroup = nullptr;
  FGroupDataTreeNodeType = dntDataSetRecordEx;
  FDataSetRecordViewNo = ViewRecNo;
  FFullKey = FullKey;
  FKeyValue = rtl::Variant(ViewRecNo);
  RowDataChanged();
}

// --- the tree ----------------------------------------------------------------------------

TGridGroupDataTreeEx::TGridGroupDataTreeEx(TGridDataGroupsEx* AGridDataGroups, TTreeNodeClassEx ItemClass)
    : TTreeListEx(std::move(ItemClass)), FGridDataGroups(AGridDataGroups) {}

TGridGroupDataTreeEx::~TGridGroupDataTreeEx() { FlatVisibleList.clear(); }

IMemTableEx* TGridGroupDataTreeEx::MemTable() const {
  TCustomDBGridEx* grid = FGridDataGroups->DBGrid();
  return grid ? grid->MemTable() : nullptr;
}

TGroupDataTreeNodeEx* TGridGroupDataTreeEx::FlatVisibleNodeAt(int Index) const {
  if (Index < 0 || Index >= FlatVisibleCount()) return nullptr;
  return FlatVisibleList[static_cast<std::size_t>(Index)];
}

void TGridGroupDataTreeEx::ExpandedChanged(TBaseTreeNodeEx* Node) {
  TTreeListEx::ExpandedChanged(Node);
  if (FUpateCount == 0) RebuildFlatVisibleList();
}

TGroupDataTreeNodeEx* TGridGroupDataTreeEx::GetNodeToInsertForKey1(TGroupDataTreeNodeEx* ParentNode,
                                                                   const rtl::Variant& Key1,
                                                                   TSortOrderEx SortOrder,
                                                                   TNodeAttachModeEx& InsertMode) {
  const Rel afterRel = SortOrder == soAscEx ? Rel::GreaterThan : Rel::LessThan;
  const Rel beforeRel = SortOrder == soAscEx ? Rel::LessThan : Rel::GreaterThan;
  auto rel = [&](int i) { return CompareVariantValues(ParentNode->ChildAt(i)->KeyValue(), Key1); };
  const int c = ParentNode->Count();
  if (c == 0) {
    InsertMode = naAddChildEx;
    return nullptr;
  }
  if (rel(0) == afterRel) {
    InsertMode = naInsertEx;
    return ParentNode->ChildAt(0);
  }
  if (rel(c - 1) == beforeRel) {
    InsertMode = naAddEx;
    return ParentNode->ChildAt(c - 1);
  }
  int lo = 0, hi = c - 1, m = (c - 1) / 2;
  for (;;) {
    const Rel r = rel(m);
    if (r == afterRel) {
      hi = m;
    } else if (r == beforeRel) {
      lo = m;
    } else {
      InsertMode = naAddChildEx;
      return ParentNode->ChildAt(m);
    }
    const int next = (lo + hi) / 2;
    if (next == m) {
      TGroupDataTreeNodeEx* found = ParentNode->ChildAt(m + 1);
      InsertMode = CompareVariantValues(found->KeyValue(), Key1) == Rel::Equal ? naAddChildEx : naInsertEx;
      return found;
    }
    m = next;
  }
}

TGroupDataTreeNodeEx* TGridGroupDataTreeEx::AddRecordNodeForKey(const rtl::Variant& AKey) {
  const int n = FGridDataGroups->ActiveGroupLevelsCount();
  TGroupDataTreeNodeEx* parent = Root();
  TGroupDataTreeNodeEx* node = Root();
  TNodeAttachModeEx mode = naAddChildEx;
  bool making = false;
  for (int i = 0; i < n; ++i) {
    TGridDataGroupLevelEx* level = FGridDataGroups->ActiveGroupLevelAt(i);
    const rtl::Variant& k = AKey[i];
    if (!making && mode == naAddChildEx && node)
      node = GetNodeToInsertForKey1(parent, k, level->SortOrder(), mode);
    if (!making && mode == naAddChildEx && node) {
      parent = node;
      continue;
    }
    TGroupDataTreeNodeEx* group;
    if (!making && node) {
      group = AsGroupNode(CreateNodeApart(String(), nullptr));
      try {
        AddNode(group, node, mode, true);
      } catch (...) {
        delete group;
        throw;
      }
    } else {
      group = AsGroupNode(AddChild(String(), parent, nullptr));
    }
    making = true;
    group->SetDataGroup(level);
    group->SetNodeType(dntDataGroupEx);
    group->SetKeyValue(k);
    group->SetExpanded(FGridDataGroups->DefaultStateExpanded());
    group->RowDataChanged();
    parent = group;
  }
  const rtl::Variant& k = AKey[n];
  TNodeAttachModeEx recordMode = naAddChildEx;
  TGroupDataTreeNodeEx* sibling = GetNodeToInsertForKey1(parent, k, soAscEx, recordMode);
  if (!sibling) return AsGroupNode(AddChild(String(), parent, nullptr));
  if (recordMode == naAddChildEx) recordMode = naInsertEx;
  TGroupDataTreeNodeEx* record = AsGroupNode(CreateNodeApart(String(), nullptr));
  try {
    AddNode(record, sibling, recordMode, true);
  } catch (...) {
    delete record;
    throw;
  }
  return record;
}

void TGridGroupDataTreeEx::AddAllRecords(IMemTableEx* AIntMemTable) {
  const int n = FGridDataGroups->ActiveGroupLevelsCount();
  const int count = AIntMemTable->RecordViewCount();
  rtl::Variant key = rtl::VarArrayCreate(0, n);
  for (int r = 0; r < count; ++r) {
    TInstantRead read(AIntMemTable, r);
    for (int i = 0; i < n; ++i) key[i] = FGridDataGroups->ActiveGroupLevelAt(i)->GetKeyValue();
    key[n] = rtl::Variant(r);
    // A fresh array per record: the nodes keep their keys.
    rtl::Variant full = rtl::VarArrayCreate(0, n);
    for (int i = 0; i <= n; ++i) full[i] = key[i];
    AddRecordNodeForKey(full)->MarkAsRecord(r, full);
  }
}

void TGridGroupDataTreeEx::RebuildDataTree(IMemTableEx* AIntMemTable) {
  FlatVisibleList.clear();
  Clear();
  Rebuild([&] {
    if (AIntMemTable) AddAllRecords(AIntMemTable);
  });
}

void TGridGroupDataTreeEx::RebuildDataTreeEx(IMemTableEx* AIntMemTable) {
  Rebuild([&] {
    DeleteRecordNodes();
    if (AIntMemTable) AddAllRecords(AIntMemTable);
    DeleteEmptyNodes();
  });
}

void TGridGroupDataTreeEx::Rebuild(const std::function<void()>& Work) {
  BeginUpdate();
  try {
    Work();
  } catch (...) {
    EndUpdate();
    // Nodes went and came: the rows must not name any of the old ones.
    RebuildFlatVisibleList();
    throw;
  }
  EndUpdate();
  RebuildFlatVisibleList();
  UpdateAllDataRowHeights();
}

void TGridGroupDataTreeEx::RebuildFlatVisibleList() {
  FlatVisibleList.clear();
  for (TBaseTreeNodeEx* n = GetFirstVisible(); n; n = GetNextVisible(n, true))
    FlatVisibleList.push_back(AsGroupNode(n));
  if (TCustomDBGridEx* grid = FGridDataGroups->DBGrid()) grid->GroupingRowCountChanged();
}

void TGridGroupDataTreeEx::RenumberRecords(int From, int Delta) {
  for (TGroupDataTreeNodeEx* n = First(); n && n != Root(); n = Next(n)) {
    if (n->NodeType() != dntDataSetRecordEx || n->DataSetRecordViewNo() < From) continue;
    const int view = n->DataSetRecordViewNo() + Delta;
    n->SetDataSetRecordViewNo(view);
    n->SetKeyValue(rtl::Variant(view));
    rtl::Variant key = n->FullKey();
    if (rtl::VarIsArray(key)) {
      key[rtl::VarArrayHighBound(key)] = rtl::Variant(view);
      n->SetFullKey(key);
    }
  }
}

void TGridGroupDataTreeEx::RecordInserted(int RecNum) {
  RenumberRecords(RecNum, 1);
  IMemTableEx* table = MemTable();
  TCustomDBGridEx* grid = FGridDataGroups->DBGrid();
  TGroupDataTreeNodeEx* node = nullptr;
  bool own = false;
  {
    TInstantRead read(table, RecNum);
    rtl::Variant key = FGridDataGroups->GetKeyValueForViewRecNo(RecNum);
    db::TDataSet* ds = grid && grid->DataLink() ? grid->DataLink()->DataSet() : nullptr;
    own = ds && ds->State() == db::dsInsert && table && table->CurrentRecordView() == RecNum;
    if (own) {
      SetDataSetkeyValue();
      const rtl::Variant& inserting = FGridDataGroups->InsertingKeyValue();
      if (rtl::VarIsArray(inserting)) {
        for (int i = 0; i < rtl::VarArrayHighBound(key) && i <= rtl::VarArrayHighBound(inserting); ++i)
          key[i] = inserting[i];
      }
      FGridDataGroups->SetInsertingKeyValue(rtl::Variant());
    }
    node = AddRecordNodeForKey(key);
    node->MarkAsRecord(RecNum, key);
  }
  if (own) ExpandNodePathToView(node);
  RebuildFlatVisibleList();
}

void TGridGroupDataTreeEx::SetDataSetkeyValue() {
  const rtl::Variant& key = FGridDataGroups->InsertingKeyValue();
  if (!rtl::VarIsArray(key)) return;
  for (int i = 0; i < FGridDataGroups->ActiveGroupLevelsCount() && i <= rtl::VarArrayHighBound(key); ++i) {
    auto* column = dynamic_cast<TColumnEx*>(FGridDataGroups->ActiveGroupLevelAt(i)->Column());
    if (db::TField* field = column ? column->Field() : nullptr) field->SetValue(key[i]);
  }
}

void TGridGroupDataTreeEx::RecordChanged(int RecNum) {
  TGroupDataTreeNodeEx* node = GetNodeByRecordViewNo(RecNum);
  rtl::Variant key = FGridDataGroups->GetKeyValueForViewRecNo(RecNum);
  if (!node) {
    // A record the tree missed gets its node rather than being lost.
    AddRecordNodeForKey(key)->MarkAsRecord(RecNum, key);
    RebuildFlatVisibleList();
    return;
  }
  if (CompareVariantValues(key, node->FullKey()) != Rel::Equal) {
    node->SetFullKey(key);
    UpdateRecordNodePosInTree(node);
    RebuildFlatVisibleList();
    return;
  }
  node->RowDataChanged();
  const int i = IndexOfVisibleNode(node);
  if (i >= 0)
    if (TCustomDBGridEx* grid = FGridDataGroups->DBGrid()) grid->UpdateDataRowHeight(i);
}

void TGridGroupDataTreeEx::UpdateRecordNodePosInTree(TGroupDataTreeNodeEx* RecNode) {
  const rtl::Variant key = RecNode->FullKey();
  const int view = RecNode->DataSetRecordViewNo();
  DeleteRecordNode(RecNode);
  AddRecordNodeForKey(key)->MarkAsRecord(view, key);
}

void TGridGroupDataTreeEx::DeleteRecordNode(TGroupDataTreeNodeEx* RecNode) {
  const int n = FGridDataGroups->ActiveGroupLevelsCount();
  TGroupDataTreeNodeEx* parent = RecNode->Parent();
  DeleteNode(RecNode, true);
  for (int i = 0; i < n && parent && parent != Root() && parent->Count() == 0; ++i) {
    TGroupDataTreeNodeEx* up = parent->Parent();
    DeleteNode(parent, true);
    parent = up;
  }
}

void TGridGroupDataTreeEx::RecordDeleted(int RecNum) {
  if (TGroupDataTreeNodeEx* node = GetNodeByRecordViewNo(RecNum)) DeleteRecordNode(node);
  RenumberRecords(RecNum + 1, -1);
  RebuildFlatVisibleList();
}

void TGridGroupDataTreeEx::DeleteRecordNodes() {
  FlatVisibleList.clear();
  std::vector<TGroupDataTreeNodeEx*> records;
  for (TGroupDataTreeNodeEx* n = First(); n && n != Root(); n = Next(n))
    if (n->NodeType() == dntDataSetRecordEx) records.push_back(n);
  // Last first, so that each parent's indexes stay valid for the next one.
  for (auto it = records.rbegin(); it != records.rend(); ++it) DeleteNode(*it, false);
  BuildChildrenIndex(Root(), true);
  const int count = FGridDataGroups->ActiveGroupLevelsCount();
  std::vector<TGroupDataTreeNodeEx*> stale;
  for (TGroupDataTreeNodeEx* n = First(); n && n != Root(); n = Next(n)) {
    if (n->NodeType() != dntDataGroupEx || n->Count() > 0) continue;
    const int level = n->Level();
    if (level > count || FGridDataGroups->ActiveGroupLevelAt(level - 1) != n->DataGroup()) stale.push_back(n);
  }
  for (auto it = stale.rbegin(); it != stale.rend(); ++it) DeleteNode(*it, false);
  BuildChildrenIndex(Root(), true);
}

void TGridGroupDataTreeEx::DeleteEmptyNodes() {
  FlatVisibleList.clear();
  TGroupDataTreeNodeEx* n = First();
  while (n && n != Root()) {
    if (n->NodeType() == dntDataGroupEx && n->Count() == 0) {
      TGroupDataTreeNodeEx* prev = AsGroupNode(GetPrevious(n));
      DeleteNode(n, true);
      n = prev ? prev : AsGroupNode(GetFirst());
      continue;
    }
    n = Next(n);
  }
}

void TGridGroupDataTreeEx::DeleteRecordNodesUpToLevel(int Level) {
  FlatVisibleList.clear();
  if (Level <= 1) {
    Clear();
    return;
  }
  std::vector<TGroupDataTreeNodeEx*> groups;
  for (TGroupDataTreeNodeEx* n = First(); n && n != Root(); n = Next(n))
    if (n->Level() == Level && n->NodeType() == dntDataGroupEx) groups.push_back(n);
  for (auto it = groups.rbegin(); it != groups.rend(); ++it) DeleteNode(*it, false);
  BuildChildrenIndex(Root(), true);
}

void TGridGroupDataTreeEx::ExpandNodePathToView(TGroupDataTreeNodeEx* Node) {
  BeginUpdate();
  for (TGroupDataTreeNodeEx* p = Node ? Node->Parent() : nullptr; p && p != Root(); p = p->Parent())
    p->SetExpanded(true);
  EndUpdate();
}

int TGridGroupDataTreeEx::CompareNodes(TBaseTreeNodeEx* Node1, TBaseTreeNodeEx* Node2, int ParamSort) {
  auto* a = AsGroupNode(Node1);
  auto* b = AsGroupNode(Node2);
  if (a->NodeType() == dntDataSetRecordEx) return 0;
  int r = 0;
  switch (CompareVariantValues(a->KeyValue(), b->KeyValue())) {
    case Rel::LessThan:
      r = -1;
      break;
    case Rel::GreaterThan:
      r = 1;
      break;
    default:
      r = 0;
      break;
  }
  return ParamSort == soDescEx ? -r : r;
}

void TGridGroupDataTreeEx::ResortLevel(int LevelIndex, TSortOrderEx SortOrder) {
  auto compare = [this](TBaseTreeNodeEx* A, TBaseTreeNodeEx* B, int P) { return CompareNodes(A, B, P); };
  if (LevelIndex == 0) {
    Root()->SortData(SortOrder, false, compare);
  } else {
    BeginUpdate();
    for (TGroupDataTreeNodeEx* n = GetFirstNodeAtLevel(LevelIndex); n; n = GetNextNodeAtLevel(n, LevelIndex))
      n->SortData(SortOrder, false, compare);
    EndUpdate();
  }
  RebuildFlatVisibleList();
}

void TGridGroupDataTreeEx::SetLevelExpanded(int Level, bool Value) {
  BeginUpdate();
  for (TGroupDataTreeNodeEx* n = GetFirstNodeAtLevel(Level); n; n = GetNextNodeAtLevel(n, Level))
    n->SetExpanded(Value);
  EndUpdate();
  RebuildFlatVisibleList();
}

void TGridGroupDataTreeEx::CollapseLevel(int Level) { SetLevelExpanded(Level, false); }

void TGridGroupDataTreeEx::ExpandLevel(int Level) { SetLevelExpanded(Level, true); }

TGroupDataTreeNodeEx* TGridGroupDataTreeEx::GetFirstNodeAtLevel(int Level) {
  for (TGroupDataTreeNodeEx* n = First(); n && n != Root(); n = Next(n))
    if (n->Level() == Level) return n;
  return nullptr;
}

TGroupDataTreeNodeEx* TGridGroupDataTreeEx::GetNextNodeAtLevel(TGroupDataTreeNodeEx* Node, int Level) {
  for (TGroupDataTreeNodeEx* n = Node ? Next(Node) : nullptr; n && n != Root(); n = Next(n))
    if (n->Level() == Level) return n;
  return nullptr;
}

TGroupDataTreeNodeEx* TGridGroupDataTreeEx::GetNodeByRecordViewNo(int RecordViewNo) {
  for (TGroupDataTreeNodeEx* n = First(); n && n != Root(); n = Next(n))
    if (n->NodeType() == dntDataSetRecordEx && n->DataSetRecordViewNo() == RecordViewNo) return n;
  return nullptr;
}

int TGridGroupDataTreeEx::IndexOfVisibleNode(TGroupDataTreeNodeEx* Node) const {
  auto it = std::find(FlatVisibleList.begin(), FlatVisibleList.end(), Node);
  return it == FlatVisibleList.end() ? -1 : static_cast<int>(it - FlatVisibleList.begin());
}

int TGridGroupDataTreeEx::IndexOfVisibleRecordViewNo(int RecordViewNo) const {
  for (std::size_t i = 0; i < FlatVisibleList.size(); ++i) {
    const TGroupDataTreeNodeEx* n = FlatVisibleList[i];
    if (n->NodeType() == dntDataSetRecordEx && n->DataSetRecordViewNo() == RecordViewNo)
      return static_cast<int>(i);
  }
  return -1;
}

void TGridGroupDataTreeEx::UpdateAllDataRowHeights() {
  for (TGroupDataTreeNodeEx* n = First(); n && n != Root(); n = Next(n)) n->UpdateRowHeight();
}

}  // namespace grid
