#include "grid/core/head_tree_node.h"

#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/canvas.h"

namespace grid {

namespace {

constexpr int kGroupCaptionHeight = 20;
constexpr int kSortMarkerIndent = 16;

[[noreturn]] void NodeNotInTree() { throw rtl::Exception(u"Node not in Tree"); }

}  // namespace

THeadTreeNode::THeadTreeNode() = default;

THeadTreeNode::THeadTreeNode(const String& AText, int AWidth, int AHeight)
    : Height(AHeight), Text(AText), Width(AWidth) {}

THeadTreeNode::~THeadTreeNode() {
  if (!Host) FreeAllChild();
}

THeadTreeNode* THeadTreeNode::Add(THeadTreeNode* AAfter, const String& AText, int AWidth, int AHeight) {
  if (!AAfter || !Find(AAfter)) NodeNotInTree();
  auto* node = new THeadTreeNode(AText, AWidth, AHeight);
  node->Host = AAfter->Host;
  node->Next = AAfter->Next;
  AAfter->Next = node;
  return node;
}

THeadTreeNode* THeadTreeNode::AddChild(THeadTreeNode* ANode, const String& AText, int AWidth, int AHeight) {
  if (!ANode || !Find(ANode)) NodeNotInTree();
  auto* node = new THeadTreeNode(AText, AWidth, AHeight);
  node->Host = ANode;
  if (!ANode->Child) {
    ANode->Child = node;
  } else {
    THeadTreeNode* last = ANode->Child;
    while (last->Next != ANode->Child) last = last->Next;
    last->Next = node;
    node->Next = ANode->Child;
  }
  return node;
}

void THeadTreeNode::FreeAllChild() {
  THeadTreeNode* first = Child;
  if (!first) return;
  Child = nullptr;
  THeadTreeNode* node = first;
  do {
    THeadTreeNode* next = node->Next;
    node->FreeAllChild();
    delete node;
    node = next;
  } while (node != first);
}

bool THeadTreeNode::Find(const THeadTreeNode* ANode) const {
  const THeadTreeNode* node = this;
  do {
    if (node == ANode) return true;
    if (node->Child && node->Child->Find(ANode)) return true;
    node = node->Next;
  } while (node != this);
  return false;
}

int THeadTreeNode::GetLevel() const {
  int level = 0;
  for (const THeadTreeNode* node = Host; node; node = node->Host) ++level;
  return level;
}

void THeadTreeNode::Union(THeadTreeNode* AFrom, THeadTreeNode* ATo, int AHeight, const String& AText) {
  if (!AFrom || !Find(AFrom)) NodeNotInTree();
  THeadTreeNode* const first = AFrom->Host ? AFrom->Host->Child : AFrom;
  for (THeadTreeNode* node = AFrom; node != ATo;) {
    node = node->Next;
    if (node == first) throw rtl::Exception(u"ATo not in level");
  }
  THeadTreeNode* group = Add(ATo, AText, 0, AHeight);
  group->VLineWidth = ATo->VLineWidth;
  // The group takes AFrom's place; when the run was the whole ring, the node
  // before AFrom is the group itself, which then stands alone.
  THeadTreeNode* before = AFrom;
  while (before->Next != AFrom) before = before->Next;
  before->Next = group;
  if (AFrom->Host && AFrom->Host->Child == AFrom) AFrom->Host->Child = group;
  group->Child = AFrom;
  int width = 0;
  for (THeadTreeNode* node = AFrom;; node = node->Next) {
    node->Height -= AHeight;
    node->Host = group;
    width += node->Width + group->VLineWidth;
    if (node == ATo) break;
  }
  ATo->Next = AFrom;
  group->Width = group->VLineWidth >= 1 ? width - group->VLineWidth : width;
}

void THeadTreeNode::CreateFieldTree(TCustomDBGridEx* AGrid) {
  FreeAllChild();
  TDBGridColumnsEx* columns = AGrid->Columns();
  const int count = columns->Count();
  std::vector<LeafCol>& leaves = AGrid->LeafFieldArr();
  leaves.resize(count);
  const bool colLines = AGrid->Options().Contains(dgColLines);
  const int height = AGrid->RowHeights(0);
  for (int i = 0; i < count; ++i) {
    TColumnEx* column = (*columns)[i];
    const int width = column->Visible() ? column->FullWidth() : (colLines ? -1 : 0);
    THeadTreeNode* leaf = AddChild(this, column->Title()->Caption(), width, height);
    leaf->Column = column;
    leaf->WIndent = column->Title()->SortMarker() != smNoneEx ? kSortMarkerIndent : 0;
    leaf->VLineWidth = colLines ? 1 : 0;
    leaves[i] = {leaf, column};
  }
  const std::set<char16_t> bar{u'|'};
  for (bool changed = true; changed;) {
    changed = false;
    for (int i = 0; i < count; ++i) {
      THeadTreeNode* from = leaves[i].FLeaf;
      const int p = WordPosition(2, from->Text, bar);
      if (p == 0) continue;
      const String word = NthWord(1, from->Text, bar);
      auto cut = [&](THeadTreeNode* leaf) { leaf->Text.erase(0, std::min<size_t>(p - 1, leaf->Text.size())); };
      int last = i;
      while (last + 1 < count && NthWord(1, leaves[last + 1].FLeaf->Text, bar) == word) cut(leaves[last++].FLeaf);
      THeadTreeNode* to = leaves[last].FLeaf;
      cut(to);
      if (from->GetLevel() == to->GetLevel()) {
        Union(from, to, kGroupCaptionHeight, word);
        changed = true;
        break;
      }
      // The run's captions are already shortened: going on after it keeps
      // them from being cut again.
      i = last;
    }
  }
}

void THeadTreeNode::DoForAllNode(const std::function<void(THeadTreeNode*)>& Proc) {
  THeadTreeNode* first = Child;
  if (!first) return;
  THeadTreeNode* node = first;
  do {
    Proc(node);
    node->DoForAllNode(Proc);
    node = node->Next;
  } while (node != first);
}

int WordPosition(int N, const String& Text, const std::set<char16_t>& Delimiters) {
  int count = 0;
  size_t i = 0;
  const size_t len = Text.size();
  while (i < len) {
    while (i < len && Delimiters.count(Text[i])) ++i;
    if (i >= len) break;
    if (++count == N) return static_cast<int>(i) + 1;
    while (i < len && !Delimiters.count(Text[i])) ++i;
  }
  return 0;
}

String NthWordWithPos(int N, const String& Text, const std::set<char16_t>& Delimiters, int& Pos) {
  Pos = WordPosition(N, Text, Delimiters);
  if (Pos == 0) return {};
  size_t end = static_cast<size_t>(Pos) - 1;
  while (end < Text.size() && !Delimiters.count(Text[end])) ++end;
  return Text.substr(static_cast<size_t>(Pos) - 1, end - (static_cast<size_t>(Pos) - 1));
}

String NthWord(int N, const String& Text, const std::set<char16_t>& Delimiters) {
  int pos = 0;
  return NthWordWithPos(N, Text, Delimiters, pos);
}

int TCustomDBGridEx::CalcHeadTreeHeights(THeadTreeNode* Node) {
  THeadTreeNode* first = Node->Child;
  if (!first) return 0;
  ui::TCanvas* cv = Canvas();
  int tallest = 0;
  THeadTreeNode* child = first;
  do {
    const int below = child->Child ? CalcHeadTreeHeights(child) : 0;
    cv->SetFont(child->Column ? child->Column->Title()->Font() : TitleFont());
    const String text = child->Text.empty() ? String(u" ") : child->Text;
    // A hidden column's caption is not measured: it takes no room.
    int own = 0;
    if (child->Column && child->Column->Title()->Orientation() == tohVertical) {
      if (child->Width > 0) own = cv->TextWidth(text) + 6;
    } else {
      ui::TRect r{0, 0, std::max(1, child->Width - child->WIndent - 4), 0};
      if (child->Width > 0) own = cv->DrawText(text, r, ui::DT_CALCRECT | ui::DT_WORDBREAK);
      own = std::max(own + FVTitleMargin, r.Bottom);
    }
    tallest = std::max(tallest, below + own);
    child = child->Next;
  } while (child != first);
  child = first;
  do {
    child->Height = child->Child ? tallest - child->Height : tallest;
    child = child->Next;
  } while (child != first);
  Node->Height = tallest;
  return tallest;
}

}  // namespace grid
