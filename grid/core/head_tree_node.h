// The multi-level title header: column captions split at "|" become a tree
// whose group nodes are shared by neighbouring columns and whose leaves are
// the columns, in column order.
#pragma once

#include <functional>
#include <set>

#include "platform/classes/classes.h"
#include "platform/runtime/rtl_string.h"

namespace grid {

using ui::String;

class TColumnEx;
class TCustomDBGridEx;

class THeadTreeNode : public ui::TObject {
 public:
  THeadTreeNode();
  // CreateText
  THeadTreeNode(const String& AText, int AWidth, int AHeight);
  // A root frees its whole tree; any other node only itself.
  ~THeadTreeNode() override;

  // Both raise "Node not in Tree" when the anchor is not in this tree.
  THeadTreeNode* Add(THeadTreeNode* AAfter, const String& AText, int AWidth, int AHeight);
  THeadTreeNode* AddChild(THeadTreeNode* ANode, const String& AText, int AWidth, int AHeight);
  void FreeAllChild();
  bool Find(const THeadTreeNode* ANode) const;
  int GetLevel() const;
  // Puts the siblings AFrom .. ATo under a new group node of caption height AHeight.
  void Union(THeadTreeNode* AFrom, THeadTreeNode* ATo, int AHeight, const String& AText);
  // On the root: one leaf per column of the grid, then group nodes for the
  // leading caption words neighbouring columns share.
  void CreateFieldTree(TCustomDBGridEx* AGrid);
  // Every node below this one, each before its children.
  void DoForAllNode(const std::function<void(THeadTreeNode*)>& Proc);

  THeadTreeNode* Child = nullptr;
  TColumnEx* Column = nullptr;
  bool Drawed = false;
  int Height = 0;
  int HeightPrn = 0;
  THeadTreeNode* Host = nullptr;
  // Siblings form a ring: the last one points back at the host's first child.
  THeadTreeNode* Next = this;
  String Text;
  int VLineWidth = 0;
  int Width = 0;
  int WidthPrn = 0;
  int WIndent = 0;
};

// One entry of the grid's LeafFieldArr.
struct LeafCol {
  THeadTreeNode* FLeaf = nullptr;
  TColumnEx* FColumn = nullptr;
};
using PTLeafCol = LeafCol*;

// Words of Text separated by runs of Delimiters (leading ones skipped), counted from 1.
// The position is 1-based, 0 when there is no word N.
int WordPosition(int N, const String& Text, const std::set<char16_t>& Delimiters);
String NthWord(int N, const String& Text, const std::set<char16_t>& Delimiters);
String NthWordWithPos(int N, const String& Text, const std::set<char16_t>& Delimiters, int& Pos);

}  // namespace grid
