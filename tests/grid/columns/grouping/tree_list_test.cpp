#include <gtest/gtest.h>

#include <vector>

#include "grid/columns/grouping/tree_list_ex.h"
#include "platform/runtime/exceptions.h"

namespace {

using ui::String;

using grid::TBaseTreeNodeEx;
using grid::TTreeListEx;

// Root children A(B, C) and D.
struct TreeList : ::testing::Test {
  TTreeListEx tree{nullptr};
  TBaseTreeNodeEx* a = tree.AddChild(u"A", nullptr, nullptr);
  TBaseTreeNodeEx* b = tree.AddChild(u"B", a, nullptr);
  TBaseTreeNodeEx* c = tree.AddChild(u"C", a, nullptr);
  TBaseTreeNodeEx* d = tree.AddChild(u"D", nullptr, nullptr);

  std::vector<String> Walk(bool Visible, bool ConsiderCollapsed) {
    std::vector<String> out;
    if (Visible) {
      for (TBaseTreeNodeEx* n = tree.GetFirstVisible(); n; n = tree.GetNextVisible(n, ConsiderCollapsed))
        out.push_back(n->Text());
    } else {
      for (TBaseTreeNodeEx* n = tree.GetFirst(); n; n = tree.GetNext(n)) out.push_back(n->Text());
    }
    return out;
  }
  std::vector<String> Children(TBaseTreeNodeEx* Parent) {
    std::vector<String> out;
    for (int i = 0; i < Parent->Count(); ++i) {
      EXPECT_EQ(Parent->ItemAt(i)->Index(), i);
      out.push_back(Parent->ItemAt(i)->Text());
    }
    return out;
  }
};

using Texts = std::vector<String>;

TEST_F(TreeList, WalksInPreOrderAndFindsRelatives) {
  EXPECT_EQ(Walk(false, false), (Texts{u"A", u"B", u"C", u"D"}));
  EXPECT_EQ(tree.GetPrevious(d), c);
  EXPECT_EQ(tree.GetPrevious(b), a);
  EXPECT_EQ(tree.GetPrevious(a), nullptr);
  EXPECT_EQ(tree.GetLast(nullptr), d);
  EXPECT_EQ(tree.GetParentAtLevel(c, 1), a);
  EXPECT_EQ(tree.GetParentAtLevel(c, 0), tree.Root());
  EXPECT_EQ(tree.GetParentAtLevel(c, 2), nullptr);
  EXPECT_EQ(tree.GetNextSibling(b), c);
  EXPECT_EQ(tree.GetNextSibling(c), nullptr);
  EXPECT_EQ(c->Level(), 2);
}

TEST_F(TreeList, VisibleWalkSkipsCollapsedAndHiddenNodes) {
  EXPECT_EQ(Walk(true, true), (Texts{u"A", u"D"}));
  EXPECT_EQ(Walk(true, false), (Texts{u"A", u"B", u"C", u"D"}));
  tree.Expand(a, false);
  EXPECT_EQ(Walk(true, true), (Texts{u"A", u"B", u"C", u"D"}));
  b->SetVisible(false);
  EXPECT_EQ(Walk(true, true), (Texts{u"A", u"C", u"D"}));
  EXPECT_EQ(a->VisibleItemsCount(), 1);
  EXPECT_EQ(tree.GetNextVisibleSibling(c), nullptr);
  // From a hidden node the walk goes on after it.
  EXPECT_EQ(tree.GetNextVisible(b, true), c);
  tree.Collapse(nullptr, true);
  EXPECT_EQ(tree.GetNextVisible(c, true), d);
}

TEST_F(TreeList, ExpandNeedsChildrenCollapseDoesNot) {
  tree.Expand(d, false);
  EXPECT_FALSE(d->Expanded());
  d->SetExpanded(true);
  tree.Collapse(d, false);
  EXPECT_FALSE(d->Expanded());
  int asked = 0;
  tree.OnExpandedChanging = [&](TBaseTreeNodeEx*) { return ++asked > 1; };
  a->SetExpanded(true);
  EXPECT_FALSE(a->Expanded());
  a->SetExpanded(true);
  EXPECT_TRUE(a->Expanded());
}

TEST_F(TreeList, InsertingAndMovingKeepsIndexesAndRefusesLoops) {
  TBaseTreeNodeEx* x = tree.CreateNodeApart(u"X", nullptr);
  tree.AddNode(x, b, grid::naInsertEx, true);
  EXPECT_EQ(Children(a), (Texts{u"X", u"B", u"C"}));
  EXPECT_EQ(x->Level(), 2);

  try {
    tree.MoveTo(a, c, grid::naAddChildEx, true);
    FAIL() << "moved a node below itself";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"Reference-loop found");
  }
  EXPECT_EQ(Walk(false, false), (Texts{u"A", u"X", u"B", u"C", u"D"}));

  tree.MoveTo(d, b, grid::naAddChildFirstEx, true);
  EXPECT_EQ(d->Level(), 3);
  EXPECT_EQ(Children(tree.Root()), (Texts{u"A"}));
  EXPECT_TRUE(b->HasChildren());

  // A sibling of the root is no place at all.
  TBaseTreeNodeEx* y = tree.CreateNodeApart(u"Y", nullptr);
  tree.AddNode(y, nullptr, grid::naAddEx, true);
  EXPECT_EQ(y->Parent(), nullptr);
  delete y;

  TTreeListEx other{nullptr};
  TBaseTreeNodeEx* foreign = other.CreateNodeApart(u"F", nullptr);
  EXPECT_THROW(tree.AddNode(foreign, a, grid::naAddChildEx, true), rtl::Exception);
  delete foreign;
}

TEST_F(TreeList, LevelLimitIsCheckedBeforeLinking) {
  TBaseTreeNodeEx* deep = d;
  for (int level = 2; level <= 1000; ++level) deep = tree.AddChild(u"n", deep, nullptr);
  EXPECT_EQ(deep->Level(), 1000);
  try {
    tree.AddChild(u"too deep", deep, nullptr);
    FAIL() << "level 1001 accepted";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"TBaseTreeNodeEx.SetLevel: Max level exceed - 1000");
  }
  EXPECT_EQ(deep->Count(), 0);
  // A subtree that would end too deep is refused whole and stays where it was.
  EXPECT_THROW(tree.MoveTo(a, deep, grid::naAddChildEx, true), rtl::Exception);
  EXPECT_EQ(a->Parent(), tree.Root());
  EXPECT_EQ(a->Level(), 1);
  EXPECT_EQ(deep->Count(), 0);
}

TEST_F(TreeList, SortsChildrenAndReindexes) {
  tree.Clear();
  for (const char16_t* key : {u"3", u"1", u"2"}) tree.AddChild(key, nullptr, nullptr);
  tree.SortData([](TBaseTreeNodeEx* A, TBaseTreeNodeEx* B, int) { return A->Text().compare(B->Text()); }, 0,
                false);
  EXPECT_EQ(Children(tree.Root()), (Texts{u"1", u"2", u"3"}));
}

TEST_F(TreeList, ExtractKeepsTheSubtreeForItsNewOwner) {
  tree.ExtractNode(a, true);
  EXPECT_EQ(Children(tree.Root()), (Texts{u"D"}));
  EXPECT_EQ(a->Count(), 2);
  tree.AddNode(a, d, grid::naAddEx, true);
  EXPECT_EQ(Walk(false, false), (Texts{u"D", u"A", u"B", u"C"}));
  tree.DeleteNode(a, true);
  EXPECT_EQ(Walk(false, false), (Texts{u"D"}));
}

}  // namespace
