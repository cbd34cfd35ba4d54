#include "grid/columns/grouping/tree_list_ex.h"

#include <algorithm>

#include "platform/runtime/exceptions.h"
#include "platform/ui/tree_view.h"

namespace grid {

namespace {

// Levels below a node, 0 for a leaf.
int SubtreeDepth(const TBaseTreeNodeEx* Node) {
  int depth = 0;
  for (int i = 0; i < Node->Count(); ++i) depth = std::max(depth, 1 + SubtreeDepth(Node->ItemAt(i)));
  return depth;
}

}  // namespace

// --- nodes ---------------------------------------------------------------------------

TBaseTreeNodeEx::TBaseTreeNodeEx() = default;

TBaseTreeNodeEx::~TBaseTreeNodeEx() {
  for (TBaseTreeNodeEx* child : FItems) delete child;
}

bool TBaseTreeNodeEx::CanChangeExpanded() { return FOwner ? FOwner->ExpandedChanging(this) : true; }

TBaseTreeNodeEx* TBaseTreeNodeEx::ItemAt(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<std::size_t>(Index)];
}

void TBaseTreeNodeEx::ClearChildLists() {
  FItems.clear();
  FVisibleItems.clear();
  FVisibleCount = 0;
}

void TBaseTreeNodeEx::ChildVisibleChanged(TBaseTreeNodeEx*) { BuildVisibleItems(); }

void TBaseTreeNodeEx::ExpandedChanged() {
  if (FOwner) FOwner->ExpandedChanged(this);
}

void TBaseTreeNodeEx::VisibleChanged() {
  if (FParent) FParent->ChildVisibleChanged(this);
}

void TBaseTreeNodeEx::BuildVisibleItems() {
  FVisibleItems.clear();
  for (TBaseTreeNodeEx* child : FItems) {
    if (!child->FVisible) continue;
    child->FVisibleIndex = static_cast<int>(FVisibleItems.size());
    FVisibleItems.push_back(child);
  }
  FVisibleCount = static_cast<int>(FVisibleItems.size());
  // While every child shows, the child list itself is the visible one.
  if (FVisibleCount == Count()) FVisibleItems.clear();
  if (Count() > 0) FHasChildren = FVisibleCount > 0;
}

void TBaseTreeNodeEx::SetExpanded(bool Value) {
  if (Value == FExpanded || !CanChangeExpanded()) return;
  FExpanded = Value;
  ExpandedChanged();
}

void TBaseTreeNodeEx::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  VisibleChanged();
}

int TBaseTreeNodeEx::Add(TBaseTreeNodeEx* Node) {
  if (Node->FOwner != FOwner)
    throw rtl::Exception(u"TBaseTreeNodeEx.Add: Tree nodes can not has different Owners");
  const bool allVisible = AllChildrenVisible();
  FItems.push_back(Node);
  const int index = Count() - 1;
  if (allVisible && Node->FVisible) {
    Node->FVisibleIndex = index;
    ++FVisibleCount;
  } else {
    BuildVisibleItems();
  }
  return index;
}

void TBaseTreeNodeEx::Insert(int Index, TBaseTreeNodeEx* Node) {
  if (Node->FOwner != FOwner)
    throw rtl::Exception(u"TBaseTreeNodeEx.Add: Tree nodes can not has different Owners");
  const bool allVisible = AllChildrenVisible();
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, Node);
  if (allVisible && Node->FVisible)
    ++FVisibleCount;
  else
    BuildVisibleItems();
}

void TBaseTreeNodeEx::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  const bool allVisible = AllChildrenVisible();
  FItems.erase(FItems.begin() + Index);
  if (allVisible)
    --FVisibleCount;
  else
    BuildVisibleItems();
}

void TBaseTreeNodeEx::ExchangeChildren(int Index1, int Index2) {
  if (Index1 == Index2) return;
  std::swap(FItems[static_cast<std::size_t>(Index1)], FItems[static_cast<std::size_t>(Index2)]);
  FItems[static_cast<std::size_t>(Index1)]->FIndex = Index1;
  FItems[static_cast<std::size_t>(Index2)]->FIndex = Index2;
}

void TBaseTreeNodeEx::SetLevel(int Level) {
  if (Level == FLevel) return;
  if (FOwner && Level > FOwner->MaxLevel())
    throw rtl::Exception(u"TBaseTreeNodeEx.SetLevel: Max level exceed - " +
                         rtl::IntToStr(FOwner->MaxLevel()));
  FLevel = Level;
  for (TBaseTreeNodeEx* child : FItems) child->SetLevel(Level + 1);
}

TBaseTreeNodeEx* TBaseTreeNodeEx::VisibleItem(int Index) const {
  if (Index < 0 || Index >= FVisibleCount) return nullptr;
  return AllChildrenVisible() ? FItems[static_cast<std::size_t>(Index)]
                              : FVisibleItems[static_cast<std::size_t>(Index)];
}

bool TBaseTreeNodeEx::IsInSubtreeOf(const TBaseTreeNodeEx* Node) const {
  for (const TBaseTreeNodeEx* n = this; n && n->FParent; n = n->FParent)
    if (n == Node) return true;
  return false;
}

void TBaseTreeNodeEx::SortData(int ParamSort, bool ARecurse, const TCompareNodesEx& Compare) {
  if (Count() == 0) return;
  QuickSort(0, Count() - 1, ParamSort, Compare);
  if (ARecurse)
    for (TBaseTreeNodeEx* child : FItems) child->SortData(ParamSort, ARecurse, Compare);
}

void TBaseTreeNodeEx::QuickSort(int L, int R, int ParamSort, const TCompareNodesEx& Compare) {
  int I = 0;
  do {
    TBaseTreeNodeEx* P = ItemAt((L + R) / 2);
    I = L;
    int J = R;
    do {
      while (Compare(ItemAt(I), P, ParamSort) < 0) ++I;
      while (Compare(ItemAt(J), P, ParamSort) > 0) --J;
      if (I <= J) {
        ExchangeChildren(I, J);
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) QuickSort(L, J, ParamSort, Compare);
    L = I;
  } while (I < R);
  if (!AllChildrenVisible()) BuildVisibleItems();
}

// --- the tree ------------------------------------------------------------------------

TTreeListEx::TTreeListEx(TTreeNodeClassEx ItemClass) : FItemClass(std::move(ItemClass)) { FRoot = NewNode(); }

TTreeListEx::~TTreeListEx() { delete FRoot; }

TBaseTreeNodeEx* TTreeListEx::NewNode() {
  TBaseTreeNodeEx* node = FItemClass ? FItemClass() : new TBaseTreeNodeEx();
  node->FOwner = this;
  return node;
}

void TTreeListEx::CheckLevel(int Level) const {
  if (Level > FMaxLevel)
    throw rtl::Exception(u"TBaseTreeNodeEx.SetLevel: Max level exceed - " + rtl::IntToStr(FMaxLevel));
}

bool TTreeListEx::ExpandedChanging(TBaseTreeNodeEx* Node) {
  return OnExpandedChanging ? OnExpandedChanging(Node) : true;
}

void TTreeListEx::ExpandedChanged(TBaseTreeNodeEx* Node) {
  if (OnExpandedChanged) OnExpandedChanged(Node);
}

int TTreeListEx::CompareTreeNodes(TBaseTreeNodeEx*, TBaseTreeNodeEx*, int) { return 0; }

TBaseTreeNodeEx* TTreeListEx::AddChild(const String& Text, TBaseTreeNodeEx* Parent, ui::TObject* Data) {
  Parent = OrRoot(Parent);
  CheckLevel(Parent->FLevel + 1);
  TBaseTreeNodeEx* node = NewNode();
  node->FParent = Parent;
  Parent->FHasChildren = true;
  node->FData = Data;
  node->FIndex = Parent->Add(node);
  node->FText = Text;
  node->FLevel = Parent->FLevel + 1;
  return node;
}

TBaseTreeNodeEx* TTreeListEx::CreateNodeApart(const String& Text, ui::TObject* Data) {
  TBaseTreeNodeEx* node = NewNode();
  node->FText = Text;
  node->FData = Data;
  node->FIndex = -1;
  return node;
}

void TTreeListEx::AddNode(TBaseTreeNodeEx* Node, TBaseTreeNodeEx* Destination, TNodeAttachModeEx Mode,
                          bool ReIndex) {
  Destination = OrRoot(Destination);
  if (!Node || Node == FRoot) return;
  if (Destination == FRoot && Mode != naAddChildEx && Mode != naAddChildFirstEx) return;
  switch (Mode) {
    case naAddEx:
      AddNode(Node, Destination->FParent, naAddChildEx, false);
      return;
    case naAddFirstEx:
      AddNode(Node, Destination->FParent, naAddChildFirstEx, ReIndex);
      return;
    case naAddChildEx:
    case naAddChildFirstEx: {
      CheckLevel(Destination->FLevel + 1 + SubtreeDepth(Node));
      Node->FParent = Destination;
      Destination->FHasChildren = true;
      if (Mode == naAddChildEx) {
        Node->FIndex = Destination->Add(Node);
      } else {
        Destination->Insert(0, Node);
        Node->FIndex = 0;
        if (ReIndex) BuildChildrenIndex(Destination, false);
      }
      Node->SetLevel(Destination->FLevel + 1);
      return;
    }
    case naInsertEx: {
      TBaseTreeNodeEx* parent = Destination->FParent;
      CheckLevel(parent->FLevel + 1 + SubtreeDepth(Node));
      Node->FParent = parent;
      parent->FHasChildren = true;
      const int index = Destination->FIndex;
      parent->Insert(index, Node);
      Node->FIndex = index;
      Node->SetLevel(parent->FLevel + 1);
      if (ReIndex) BuildChildrenIndex(parent, false);
      return;
    }
  }
}

void TTreeListEx::MoveTo(TBaseTreeNodeEx* Node, TBaseTreeNodeEx* Destination, TNodeAttachModeEx Mode,
                         bool ReIndex) {
  Destination = OrRoot(Destination);
  if (!Node || Node == FRoot) return;
  if (Destination == FRoot && Mode != naAddChildEx && Mode != naAddChildFirstEx) return;
  if (Destination->IsInSubtreeOf(Node)) throw rtl::Exception(u"Reference-loop found");
  // The landing level is checked before anything is taken apart.
  const TBaseTreeNodeEx* landParent =
      (Mode == naAddChildEx || Mode == naAddChildFirstEx) ? Destination : Destination->FParent;
  CheckLevel(landParent->FLevel + 1 + SubtreeDepth(Node));
  TBaseTreeNodeEx* old = Node->FParent;
  if (old) {
    old->Delete(Node->FIndex);
    old->FHasChildren = old->Count() > 0;
    if (ReIndex) BuildChildrenIndex(old, false);
  }
  AddNode(Node, Destination, Mode, ReIndex);
}

void TTreeListEx::ExtractNode(TBaseTreeNodeEx* Node, bool ReIndex) {
  if (!Node || !Node->FParent) return;
  TBaseTreeNodeEx* parent = Node->FParent;
  parent->Delete(Node->FIndex);
  parent->FHasChildren = parent->Count() > 0;
  if (ReIndex) BuildChildrenIndex(parent, false);
}

void TTreeListEx::DeleteChildren(TBaseTreeNodeEx* Node) {
  Node = OrRoot(Node);
  for (TBaseTreeNodeEx* child : Node->FItems) delete child;
  Node->ClearChildLists();
}

void TTreeListEx::DeleteNode(TBaseTreeNodeEx* Node, bool ReIndex) {
  if (!Node || Node == FRoot) return;
  DeleteChildren(Node);
  ExtractNode(Node, ReIndex);
  delete Node;
}

void TTreeListEx::Clear() { DeleteChildren(FRoot); }

void TTreeListEx::Expand(TBaseTreeNodeEx* Node, bool Recurse) {
  Node = OrRoot(Node);
  if (Node->Count() == 0) return;
  if (Node != FRoot) Node->SetExpanded(true);
  if (Recurse)
    for (TBaseTreeNodeEx* child : std::vector<TBaseTreeNodeEx*>(Node->FItems)) Expand(child, true);
}

void TTreeListEx::Collapse(TBaseTreeNodeEx* Node, bool Recurse) {
  Node = OrRoot(Node);
  if (Node != FRoot) Node->SetExpanded(false);
  if (Recurse)
    for (TBaseTreeNodeEx* child : std::vector<TBaseTreeNodeEx*>(Node->FItems)) Collapse(child, true);
}

void TTreeListEx::BuildChildrenIndex(TBaseTreeNodeEx* Node, bool Recurse) {
  Node = OrRoot(Node);
  Node->FVisibleItems.clear();
  for (int i = 0; i < Node->Count(); ++i) {
    TBaseTreeNodeEx* child = Node->FItems[static_cast<std::size_t>(i)];
    child->FIndex = i;
    if (Recurse) BuildChildrenIndex(child, true);
  }
  Node->BuildVisibleItems();
}

int TTreeListEx::CountChildren(TBaseTreeNodeEx* Node) { return OrRoot(Node)->Count(); }

bool TTreeListEx::HasChildNodes(TBaseTreeNodeEx* Node) { return OrRoot(Node)->Count() > 0; }

TBaseTreeNodeEx* TTreeListEx::GetFirstChild(TBaseTreeNodeEx* Node) {
  return Node && Node->Count() > 0 ? Node->ItemAt(0) : nullptr;
}

TBaseTreeNodeEx* TTreeListEx::GetLastChild(TBaseTreeNodeEx* Node) {
  return Node && Node->Count() > 0 ? Node->ItemAt(Node->Count() - 1) : nullptr;
}

TBaseTreeNodeEx* TTreeListEx::GetNextSibling(TBaseTreeNodeEx* Node) {
  if (!Node || !Node->FParent) return nullptr;
  return Node->FParent->ItemAt(Node->FIndex + 1);
}

TBaseTreeNodeEx* TTreeListEx::GetPrevSibling(TBaseTreeNodeEx* Node) {
  if (!Node || !Node->FParent) return nullptr;
  return Node->FParent->ItemAt(Node->FIndex - 1);
}

TBaseTreeNodeEx* TTreeListEx::GetFirst() { return GetFirstChild(FRoot); }

TBaseTreeNodeEx* TTreeListEx::GetNext(TBaseTreeNodeEx* Node) {
  if (!Node || Node == FRoot) return Node;
  if (Node->Count() > 0) return Node->ItemAt(0);
  for (TBaseTreeNodeEx* n = Node; n && n != FRoot; n = n->FParent)
    if (TBaseTreeNodeEx* next = GetNextSibling(n)) return next;
  return nullptr;
}

TBaseTreeNodeEx* TTreeListEx::DeepestLast(TBaseTreeNodeEx* Node) {
  while (Node->Count() > 0) Node = Node->ItemAt(Node->Count() - 1);
  return Node;
}

TBaseTreeNodeEx* TTreeListEx::GetPrevious(TBaseTreeNodeEx* Node) {
  if (!Node || Node == FRoot) return Node;
  if (TBaseTreeNodeEx* prev = GetPrevSibling(Node)) return DeepestLast(prev);
  return Node->FParent == FRoot ? nullptr : Node->FParent;
}

TBaseTreeNodeEx* TTreeListEx::GetLast(TBaseTreeNodeEx* Node) {
  Node = OrRoot(Node);
  return Node->Count() > 0 ? DeepestLast(Node) : nullptr;
}

TBaseTreeNodeEx* TTreeListEx::GetNode(TBaseTreeNodeEx* StartNode, ui::TObject* Data) {
  StartNode = OrRoot(StartNode);
  for (TBaseTreeNodeEx* child : StartNode->FItems) {
    if (child->FData == Data) return child;
    if (TBaseTreeNodeEx* found = GetNode(child, Data)) return found;
  }
  return nullptr;
}

TBaseTreeNodeEx* TTreeListEx::GetParentAtLevel(TBaseTreeNodeEx* Node, int ParentLevel) {
  if (!Node || Node == FRoot || ParentLevel < 0 || ParentLevel >= Node->FLevel) return nullptr;
  if (ParentLevel == 0) return FRoot;
  TBaseTreeNodeEx* n = Node;
  while (n && n->FLevel > ParentLevel) n = n->FParent;
  return n;
}

TBaseTreeNodeEx* TTreeListEx::GetFirstVisible() {
  if (FRoot->Count() == 0) return nullptr;
  TBaseTreeNodeEx* n = FRoot->ItemAt(0);
  while (n && !n->FVisible) {
    TBaseTreeNodeEx* next = GetNextSibling(n);
    for (TBaseTreeNodeEx* up = n->FParent; !next && up && up != FRoot; up = up->FParent)
      next = GetNextSibling(up);
    n = next;
  }
  return n;
}

bool TTreeListEx::GetPathVisible(TBaseTreeNodeEx* Node, bool ConsiderCollapsed) {
  if (!Node || Node == FRoot) return false;
  for (TBaseTreeNodeEx* p = Node->FParent; p && p != FRoot; p = p->FParent) {
    if (!p->FVisible) return false;
    if (ConsiderCollapsed && !p->FExpanded) return false;
  }
  return true;
}

TBaseTreeNodeEx* TTreeListEx::GetParentVisible(TBaseTreeNodeEx* Node, bool ConsiderCollapsed) {
  for (TBaseTreeNodeEx* n = Node ? Node->FParent : nullptr; n && n != FRoot; n = n->FParent)
    if (n->FVisible && GetPathVisible(n, ConsiderCollapsed)) return n;
  return FRoot;
}

TBaseTreeNodeEx* TTreeListEx::GetNextVisible(TBaseTreeNodeEx* Node, bool ConsiderCollapsed) {
  if (!Node || Node == FRoot) return nullptr;
  bool skipChildren = false;
  if (!Node->FVisible || !GetPathVisible(Node, ConsiderCollapsed)) {
    TBaseTreeNodeEx* shown = GetParentVisible(Node, ConsiderCollapsed);
    if (shown == FRoot) {
      // No shown ancestor: the walk goes on after the topmost one's subtree.
      while (Node->FParent && Node->FParent != FRoot) Node = Node->FParent;
      skipChildren = true;
    } else {
      Node = shown;
    }
  }
  if (!skipChildren && Node->Count() > 0 && (Node->FExpanded || !ConsiderCollapsed)) {
    TBaseTreeNodeEx* child = Node->ItemAt(0);
    if (child->FVisible) return child;
    Node = child;
  }
  for (TBaseTreeNodeEx* n = Node; n && n != FRoot; n = n->FParent) {
    for (TBaseTreeNodeEx* s = GetNextSibling(n); s; s = GetNextSibling(s))
      if (s->FVisible) return s;
  }
  return nullptr;
}

TBaseTreeNodeEx* TTreeListEx::GetNextVisibleSibling(TBaseTreeNodeEx* Node) {
  if (!Node || !Node->FParent) return nullptr;
  TBaseTreeNodeEx* p = Node->FParent;
  if (p->AllChildrenVisible()) return p->ItemAt(Node->FIndex + 1);
  return Node->FVisible ? p->VisibleItem(Node->FVisibleIndex + 1) : nullptr;
}

TBaseTreeNodeEx* TTreeListEx::GetPrevVisibleSibling(TBaseTreeNodeEx* Node) {
  if (!Node || !Node->FParent) return nullptr;
  TBaseTreeNodeEx* p = Node->FParent;
  if (p->AllChildrenVisible()) return p->ItemAt(Node->FIndex - 1);
  return Node->FVisible ? p->VisibleItem(Node->FVisibleIndex - 1) : nullptr;
}

void TTreeListEx::SortData(const TCompareNodesEx& CompareProg, int ParamSort, bool ARecurse) {
  FRoot->SortData(ParamSort, ARecurse, CompareProg);
}

void TTreeListEx::ExportToTreeView(ui::TTreeView* TreeView, TBaseTreeNodeEx* Node, ui::TTreeNode* NodeTree,
                                   bool AddChild) {
  for (TBaseTreeNodeEx* n = Node; n; n = GetNextSibling(n)) {
    ui::TTreeNode* item = AddChild ? TreeView->Items()->AddChildObject(NodeTree, n->FText, n->FData)
                                   : TreeView->Items()->AddObject(NodeTree, n->FText, n->FData);
    if (n->Count() > 0) ExportToTreeView(TreeView, n->ItemAt(0), item, true);
    item->SetExpanded(n->FExpanded);
  }
}

}  // namespace grid
