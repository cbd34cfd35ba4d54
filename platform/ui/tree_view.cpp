#include "platform/ui/tree_view.h"

#include <functional>

#include "platform/ui/canvas.h"

namespace ui {

TTreeNode::TTreeNode(TTreeNodes* Owner, TTreeNode* Parent, const String& Text, TObject* Data)
    : owner_(Owner), parent_(Parent), text_(Text), data_(Data) {}

TTreeNode::~TTreeNode() = default;

void TTreeNode::SetText(const String& Value) {
  text_ = Value;
  owner_->Changed();
}

void TTreeNode::SetExpanded(bool Value) {
  if (expanded_ == Value) return;
  expanded_ = Value;
  owner_->Changed();
}

TTreeNode* TTreeNode::Item(int Index) const {
  return Index >= 0 && Index < Count() ? children_[static_cast<std::size_t>(Index)].get() : nullptr;
}

int TTreeNode::Level() const {
  int level = 0;
  for (TTreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

int TTreeNode::Index() const {
  if (!parent_) {
    for (int i = 0; i < owner_->TopCount(); ++i)
      if (owner_->TopItem(i) == this) return i;
    return -1;
  }
  for (int i = 0; i < parent_->Count(); ++i)
    if (parent_->Item(i) == this) return i;
  return -1;
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* Sibling, const String& Text, TObject* Data) {
  return AddChildObject(Sibling ? Sibling->Parent() : nullptr, Text, Data);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* Parent, const String& Text, TObject* Data) {
  auto node = std::make_unique<TTreeNode>(this, Parent, Text, Data);
  TTreeNode* raw = node.get();
  (Parent ? Parent->children_ : top_).push_back(std::move(node));
  Changed();
  return raw;
}

void TTreeNodes::Clear() {
  top_.clear();
  Changed();
}

namespace {

// Pre-order over Node and its subtree; answers false once Visit asked to stop.
bool WalkNode(TTreeNode* Node, bool ExpandedOnly, const std::function<bool(TTreeNode*)>& Visit) {
  if (!Visit(Node)) return false;
  if (ExpandedOnly && !Node->Expanded()) return true;
  for (int i = 0; i < Node->Count(); ++i)
    if (!WalkNode(Node->Item(i), ExpandedOnly, Visit)) return false;
  return true;
}

void Walk(const TTreeNodes* Nodes, bool ExpandedOnly, const std::function<bool(TTreeNode*)>& Visit) {
  for (int i = 0; i < Nodes->TopCount(); ++i)
    if (!WalkNode(Nodes->TopItem(i), ExpandedOnly, Visit)) return;
}

}  // namespace

int TTreeNodes::Count() const {
  int count = 0;
  Walk(this, false, [&](TTreeNode*) {
    ++count;
    return true;
  });
  return count;
}

TTreeNode* TTreeNodes::Item(int Index) const {
  TTreeNode* found = nullptr;
  int i = 0;
  Walk(this, false, [&](TTreeNode* n) {
    if (i++ == Index) found = n;
    return found == nullptr;
  });
  return found;
}

TTreeNode* TTreeNodes::TopItem(int Index) const {
  return Index >= 0 && Index < TopCount() ? top_[static_cast<std::size_t>(Index)].get() : nullptr;
}

void TTreeNodes::Changed() {
  if (owner_) owner_->Invalidate();
}

const TClassInfo& TTreeView::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TTreeView>("TTreeView", &TCustomControl::StaticClassInfo()).Build();
  return info;
}

TTreeView::TTreeView(TComponent* AOwner)
    : TCustomControl(AOwner), items_(std::make_unique<TTreeNodes>(this)) {
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
}

TTreeView::~TTreeView() = default;

void TTreeView::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->Font()->Assign(Font());
  const int line = c->TextHeight(u"Wg") + 2;
  int y = 1;
  Walk(items_.get(), true, [&](TTreeNode* n) {
    const int x = 2 + Indent() * n->Level();
    if (n->Count() > 0) c->TextOut(x, y, n->Expanded() ? u"-" : u"+");
    c->TextOut(x + 12, y, n->Text());
    y += line;
    return y < ClientHeight();
  });
}

}  // namespace ui
