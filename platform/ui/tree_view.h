// A tree view: nodes with text, an attached object and an expanded flag,
// painted as an indented outline of the expanded paths.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/controls.h"

namespace ui {

class TTreeView;
class TTreeNodes;

class TTreeNode {
 public:
  TTreeNode(TTreeNodes* Owner, TTreeNode* Parent, const String& Text, TObject* Data);
  ~TTreeNode();
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  const String& Text() const { return text_; }
  void SetText(const String& Value);
  TObject* Data() const { return data_; }
  void SetData(TObject* Value) { data_ = Value; }
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool Value);
  TTreeNode* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int Index) const;
  // Depth below the top level (0 for a top-level node).
  int Level() const;
  int Index() const;

 private:
  friend class TTreeNodes;
  TTreeNodes* owner_;
  TTreeNode* parent_;
  String text_;
  TObject* data_;
  bool expanded_ = false;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

class TTreeNodes {
 public:
  explicit TTreeNodes(TTreeView* Owner) : owner_(Owner) {}
  // A node at the end of Sibling's level (the top level without a sibling).
  TTreeNode* AddObject(TTreeNode* Sibling, const String& Text, TObject* Data);
  // A node at the end of Parent's children (the top level without a parent).
  TTreeNode* AddChildObject(TTreeNode* Parent, const String& Text, TObject* Data);
  void Clear();
  // All nodes, in pre-order.
  int Count() const;
  TTreeNode* Item(int Index) const;
  int TopCount() const { return static_cast<int>(top_.size()); }
  TTreeNode* TopItem(int Index) const;
  void Changed();

 private:
  TTreeView* owner_;
  std::vector<std::unique_ptr<TTreeNode>> top_;
};

class TTreeView : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TTreeView(TComponent* AOwner);
  ~TTreeView() override;
  TTreeNodes* Items() const { return items_.get(); }
  int Indent() const { return 19; }

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TTreeNodes> items_;
};

}  // namespace ui
