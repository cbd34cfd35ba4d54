// The multi-title header tree: node rings and their errors, grouping of
// captions split at "|", and the heights of the caption rows.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/head_tree_node.h"
#include "tests/grid/core/grid_on_form.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;

std::vector<THeadTreeNode*> Children(THeadTreeNode* Node) {
  std::vector<THeadTreeNode*> out;
  if (THeadTreeNode* first = Node->Child) {
    THeadTreeNode* n = first;
    do {
      out.push_back(n);
      n = n->Next;
    } while (n != first);
  }
  return out;
}

void ExpectMessage(const std::function<void()>& Call, const char16_t* Text) {
  try {
    Call();
    ADD_FAILURE() << "no exception";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), Text);
  }
}

TEST(HeadTreeNode, RingsLevelsAndWalkOrder) {
  THeadTreeNode root(u"Root", 0, 0);
  EXPECT_EQ(root.Next, &root);
  THeadTreeNode* a = root.AddChild(&root, u"a", 10, 5);
  THeadTreeNode* c = root.AddChild(&root, u"c", 30, 5);
  THeadTreeNode* b = root.Add(a, u"b", 20, 5);
  THeadTreeNode* a1 = root.AddChild(a, u"a1", 10, 5);
  EXPECT_EQ(Children(&root), (std::vector<THeadTreeNode*>{a, b, c}));
  EXPECT_EQ(c->Next, a);
  EXPECT_EQ(a1->Next, a1);
  EXPECT_EQ(b->Host, &root);
  EXPECT_EQ(root.GetLevel(), 0);
  EXPECT_EQ(a->GetLevel(), 1);
  EXPECT_EQ(a1->GetLevel(), 2);
  EXPECT_TRUE(root.Find(a1));
  std::vector<String> order;
  root.DoForAllNode([&](THeadTreeNode* n) { order.push_back(n->Text); });
  EXPECT_EQ(order, (std::vector<String>{u"a", u"a1", u"b", u"c"}));
}

TEST(HeadTreeNode, ErrorsLeaveTheTreeUnchanged) {
  THeadTreeNode root(u"Root", 0, 0);
  THeadTreeNode* a = root.AddChild(&root, u"a", 10, 40);
  THeadTreeNode* b = root.AddChild(&root, u"b", 20, 40);
  THeadTreeNode* c = root.AddChild(&root, u"c", 30, 40);
  THeadTreeNode stranger(u"x", 1, 1);
  ExpectMessage([&] { root.Add(&stranger, u"n", 1, 1); }, u"Node not in Tree");
  ExpectMessage([&] { root.AddChild(&stranger, u"n", 1, 1); }, u"Node not in Tree");
  ExpectMessage([&] { root.Union(&stranger, a, 20, u"G"); }, u"Node not in Tree");
  // c .. a would wrap round past the first child.
  ExpectMessage([&] { root.Union(c, a, 20, u"G"); }, u"ATo not in level");
  ExpectMessage([&] { root.Union(b, &stranger, 20, u"G"); }, u"ATo not in level");
  EXPECT_EQ(Children(&root), (std::vector<THeadTreeNode*>{a, b, c}));
  EXPECT_EQ(b->Height, 40);
}

TEST(HeadTreeNode, UnionMakesAGroupInPlaceOfTheRun) {
  struct Case {
    int from, to, vline;
    std::vector<int> rootWidths;  // widths of the root's children afterwards
    int groupAt;                  // index of the group among them
  };
  const Case cases[] = {
      {0, 1, 1, {31, 30}, 0},      // the first child's place: the host's Child moves
      {1, 2, 1, {10, 51}, 1},      // the last ones
      {0, 2, 1, {62}, 0},          // the whole ring: the group stands alone
      {1, 1, 1, {10, 20, 30}, 1},  // one node: a parent of the same width
      {0, 1, 0, {30, 30}, 0},      // without column lines nothing is added
  };
  for (const Case& k : cases) {
    THeadTreeNode root(u"Root", 0, 0);
    std::vector<THeadTreeNode*> n;
    for (int w : {10, 20, 30}) {
      n.push_back(root.AddChild(&root, u"n", w, 40));
      n.back()->VLineWidth = k.vline;
    }
    root.Union(n[k.from], n[k.to], 20, u"G");
    std::vector<THeadTreeNode*> top = Children(&root);
    std::vector<int> widths;
    for (THeadTreeNode* t : top) widths.push_back(t->Width);
    EXPECT_EQ(widths, k.rootWidths) << k.from << ".." << k.to;
    THeadTreeNode* group = top[k.groupAt];
    EXPECT_EQ(group->Text, u"G");
    EXPECT_EQ(group->Height, 20);
    std::vector<THeadTreeNode*> run(n.begin() + k.from, n.begin() + k.to + 1);
    EXPECT_EQ(Children(group), run);
    for (THeadTreeNode* m : run) {
      EXPECT_EQ(m->Host, group);
      EXPECT_EQ(m->Height, 20);
    }
  }
}

TEST(HeadTreeNode, WordsSplitAtRunsOfDelimiters) {
  const std::set<char16_t> bar{u'|'};
  EXPECT_EQ(WordPosition(1, u"||A||bc|d", bar), 3);
  EXPECT_EQ(WordPosition(2, u"||A||bc|d", bar), 6);
  EXPECT_EQ(WordPosition(4, u"||A||bc|d", bar), 0);
  EXPECT_EQ(NthWord(2, u"||A||bc|d", bar), u"bc");
  EXPECT_EQ(NthWord(3, u"A|b", bar), u"");
  int pos = 0;
  EXPECT_EQ(NthWordWithPos(3, u"A|b|cd", bar, pos), u"cd");
  EXPECT_EQ(pos, 5);
}

struct HeadTreeGrid : gridtest::GridOnForm {
  void Captions(std::initializer_list<const char16_t*> List) {
    for (const char16_t* c : List) {
      TColumnEx* col = grid->Columns()->Add();
      col->Title()->SetCaption(c);
      col->SetWidth(60);
    }
    grid->HeadTree()->CreateFieldTree(grid);
  }
  THeadTreeNode* Leaf(int I) { return grid->LeafFieldArr()[I].FLeaf; }
};

TEST_F(HeadTreeGrid, SharedFirstWordsBecomeGroupsAndLoneLeavesSpanTheHeader) {
  Captions({u"A|x", u"A|y", u"B"});
  THeadTreeNode* root = grid->HeadTree();
  EXPECT_EQ(root->Text, u"Root");
  std::vector<THeadTreeNode*> top = Children(root);
  ASSERT_EQ(top.size(), 2u);
  THeadTreeNode* a = top[0];
  EXPECT_EQ(a->Text, u"A");
  EXPECT_EQ(Children(a), (std::vector<THeadTreeNode*>{Leaf(0), Leaf(1)}));
  EXPECT_EQ(Leaf(0)->Text, u"x");
  EXPECT_EQ(Leaf(1)->Text, u"y");
  EXPECT_EQ(top[1], Leaf(2));
  EXPECT_EQ(Leaf(2)->Column, (*grid->Columns())[2]);
  EXPECT_EQ(a->Width, Leaf(0)->Width + Leaf(1)->Width + 1);

  const int full = grid->CalcHeadTreeHeights(root);
  EXPECT_EQ(root->Height, full);
  EXPECT_EQ(Leaf(2)->Height, full);
  EXPECT_EQ(a->Height + Leaf(0)->Height, full);
  EXPECT_EQ(Leaf(0)->Height, Leaf(1)->Height);
  EXPECT_GT(Leaf(0)->Height, grid->VTitleMargin());
}

TEST_F(HeadTreeGrid, DeeperCaptionsNestAndPlainOnesStayFlat) {
  Captions({u"A|B|x", u"A|B|y", u"C", u"D|z"});
  THeadTreeNode* a = Leaf(0)->Host->Host;
  EXPECT_EQ(a->Text, u"A");
  EXPECT_EQ(Leaf(0)->Host->Text, u"B");
  EXPECT_EQ(Leaf(1)->Host, Leaf(0)->Host);
  EXPECT_EQ(a->Host, grid->HeadTree());
  EXPECT_EQ(Leaf(0)->GetLevel(), 3);
  EXPECT_EQ(Leaf(2)->Host, grid->HeadTree());
  EXPECT_EQ(Leaf(2)->Text, u"C");
  // A single column with a group word still gets its group.
  EXPECT_EQ(Leaf(3)->Host->Text, u"D");
  EXPECT_EQ(Leaf(3)->Text, u"z");
}

TEST_F(HeadTreeGrid, HiddenColumnsAndSortMarkersShapeTheLeaves) {
  Captions({u"visible", u"a very long caption that wraps into many lines", u"sorted"});
  const int withLong = grid->CalcHeadTreeHeights(grid->HeadTree());
  (*grid->Columns())[1]->SetVisible(false);
  (*grid->Columns())[2]->Title()->SetSortMarker(smUpEx);
  grid->SetOptions(grid->Options() + dgColLines);
  grid->HeadTree()->CreateFieldTree(grid);
  EXPECT_EQ(Leaf(1)->Width, -1);
  EXPECT_EQ(Leaf(2)->WIndent, 16);
  EXPECT_EQ(Leaf(0)->VLineWidth, 1);
  // The hidden caption is not measured, so it does not make the header taller.
  EXPECT_LT(grid->CalcHeadTreeHeights(grid->HeadTree()), withLong);
  grid->SetOptions(grid->Options() - dgColLines);
  grid->HeadTree()->CreateFieldTree(grid);
  EXPECT_EQ(Leaf(1)->Width, 0);
  EXPECT_EQ(Leaf(0)->VLineWidth, 0);
}

}  // namespace
