// A general in-memory tree: a hidden root owning nodes of a configurable
// class, each with text, an attached object, an expanded and a visible flag.
// Every node keeps beside its children a list of its visible children, so
// that walks over visible nodes skip hidden ones without a scan.
#pragma once

#include <functional>
#include <vector>

#include "platform/classes/classes.h"

namespace ui {
class TTreeView;
class TTreeNode;
}  // namespace ui

namespace grid {

using ui::String;

class TTreeListEx;
class TBaseTreeNodeEx;

using TTreeNodeNotifyEvent = std::function<void(TBaseTreeNodeEx* Sender)>;
using TTreeNodeNotifyResultEvent = std::function<bool(TBaseTreeNodeEx* Sender)>;
// Negative when Node1 goes first.
using TCompareNodesEx = std::function<int(TBaseTreeNodeEx* Node1, TBaseTreeNodeEx* Node2, int ParamSort)>;
using TTreeNodeClassEx = std::function<TBaseTreeNodeEx*()>;

enum TNodeAttachModeEx { naAddEx, naAddFirstEx, naAddChildEx, naAddChildFirstEx, naInsertEx };

class TBaseTreeNodeEx : public ui::TObject {
 public:
  TBaseTreeNodeEx();
  ~TBaseTreeNodeEx() override;

  TTreeListEx* Owner() const { return FOwner; }
  const String& Text() const { return FText; }
  void SetText(const String& Value) { FText = Value; }
  ui::TObject* Data() const { return FData; }
  void SetData(ui::TObject* Value) { FData = Value; }
  bool Expanded() const { return FExpanded; }
  void SetExpanded(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool HasChildren() const { return FHasChildren; }
  int Index() const { return FIndex; }
  int Level() const { return FLevel; }
  TBaseTreeNodeEx* Parent() const { return FParent; }
  int Count() const { return static_cast<int>(FItems.size()); }
  int VisibleIndex() const { return FVisibleIndex; }

  virtual bool CanChangeExpanded();
  // Nil outside 0 .. Count - 1.
  virtual TBaseTreeNodeEx* ItemAt(int Index) const;
  virtual void ClearChildLists();
  virtual void ChildVisibleChanged(TBaseTreeNodeEx* Child);
  virtual void ExpandedChanged();
  virtual void VisibleChanged();
  virtual void BuildVisibleItems();

  int Add(TBaseTreeNodeEx* Node);
  void Insert(int Index, TBaseTreeNodeEx* Node);
  // Removes without freeing.
  void Delete(int Index);
  void ExchangeChildren(int Index1, int Index2);
  void SetLevel(int Level);
  int VisibleItemsCount() const { return FVisibleCount; }
  TBaseTreeNodeEx* VisibleItem(int Index) const;
  bool IsInSubtreeOf(const TBaseTreeNodeEx* Node) const;
  void SortData(int ParamSort, bool ARecurse, const TCompareNodesEx& Compare);

 private:
  friend class TTreeListEx;
  bool AllChildrenVisible() const { return Count() == FVisibleCount; }
  void QuickSort(int L, int R, int ParamSort, const TCompareNodesEx& Compare);

  TTreeListEx* FOwner = nullptr;
  String FText;
  ui::TObject* FData = nullptr;
  bool FExpanded = false;
  bool FHasChildren = false;
  int FIndex = -1;
  std::vector<TBaseTreeNodeEx*> FItems;
  std::vector<TBaseTreeNodeEx*> FVisibleItems;
  int FLevel = 0;
  TBaseTreeNodeEx* FParent = nullptr;
  bool FVisible = true;
  int FVisibleCount = 0;
  int FVisibleIndex = 0;
};

class TTreeListEx : public ui::TObject {
 public:
  explicit TTreeListEx(TTreeNodeClassEx ItemClass);
  ~TTreeListEx() override;

  TBaseTreeNodeEx* Root() const { return FRoot; }
  int MaxLevel() const { return FMaxLevel; }
  TTreeNodeNotifyEvent OnExpandedChanged;
  TTreeNodeNotifyResultEvent OnExpandedChanging;

  virtual bool ExpandedChanging(TBaseTreeNodeEx* Node);
  virtual void ExpandedChanged(TBaseTreeNodeEx* Node);
  virtual int CompareTreeNodes(TBaseTreeNodeEx* Rec1, TBaseTreeNodeEx* Rec2, int ParamSort);
  // Raises "Reference-loop found" for a destination inside Node's subtree.
  virtual void MoveTo(TBaseTreeNodeEx* Node, TBaseTreeNodeEx* Destination, TNodeAttachModeEx Mode,
                      bool ReIndex);
  virtual void SortData(const TCompareNodesEx& CompareProg, int ParamSort, bool ARecurse);

  TBaseTreeNodeEx* AddChild(const String& Text, TBaseTreeNodeEx* Parent, ui::TObject* Data);
  TBaseTreeNodeEx* CreateNodeApart(const String& Text, ui::TObject* Data);
  void AddNode(TBaseTreeNodeEx* Node, TBaseTreeNodeEx* Destination, TNodeAttachModeEx Mode, bool ReIndex);
  void ExtractNode(TBaseTreeNodeEx* Node, bool ReIndex);
  void DeleteChildren(TBaseTreeNodeEx* Node);
  void DeleteNode(TBaseTreeNodeEx* Node, bool ReIndex);
  void Clear();
  void Expand(TBaseTreeNodeEx* Node, bool Recurse);
  void Collapse(TBaseTreeNodeEx* Node, bool Recurse);
  void BuildChildrenIndex(TBaseTreeNodeEx* Node, bool Recurse);
  int CountChildren(TBaseTreeNodeEx* Node);
  bool HasChildNodes(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetFirstChild(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetLastChild(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetNextSibling(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetPrevSibling(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetFirst();
  TBaseTreeNodeEx* GetNext(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetPrevious(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetLast(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetNode(TBaseTreeNodeEx* StartNode, ui::TObject* Data);
  TBaseTreeNodeEx* GetParentAtLevel(TBaseTreeNodeEx* Node, int ParentLevel);
  TBaseTreeNodeEx* GetFirstVisible();
  bool GetPathVisible(TBaseTreeNodeEx* Node, bool ConsiderCollapsed);
  TBaseTreeNodeEx* GetParentVisible(TBaseTreeNodeEx* Node, bool ConsiderCollapsed);
  TBaseTreeNodeEx* GetNextVisible(TBaseTreeNodeEx* Node, bool ConsiderCollapsed);
  TBaseTreeNodeEx* GetNextVisibleSibling(TBaseTreeNodeEx* Node);
  TBaseTreeNodeEx* GetPrevVisibleSibling(TBaseTreeNodeEx* Node);
  // Node and its following siblings, each with its subtree.
  void ExportToTreeView(ui::TTreeView* TreeView, TBaseTreeNodeEx* Node, ui::TTreeNode* NodeTree,
                        bool AddChild);

 private:
  TBaseTreeNodeEx* NewNode();
  TBaseTreeNodeEx* OrRoot(TBaseTreeNodeEx* Node) const { return Node ? Node : FRoot; }
  // The level is checked before the node is linked, so a refused level
  // leaves the tree as it was.
  void CheckLevel(int Level) const;
  TBaseTreeNodeEx* DeepestLast(TBaseTreeNodeEx* Node);

  TTreeNodeClassEx FItemClass;
  int FMaxLevel = 1000;
  TBaseTreeNodeEx* FRoot = nullptr;
};

}  // namespace grid
