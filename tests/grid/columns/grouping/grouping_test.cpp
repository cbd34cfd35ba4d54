#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/data/data_source.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/forms.h"
#include "platform/ui/keys.h"
#include "platform/ui/themes.h"
#include "platform/ui/tree_view.h"
#include "tests/grid/core/grid_on_form.h"
#include "tests/grid/core/mem_table_data_set.h"
#include "tests/platform/ui/harness.h"

namespace {

using ui::String;

using grid::TDBGridExDataGroupLevelEx;
using grid::TGroupDataTreeNodeEx;
using Texts = std::vector<String>;

// A grid over a memory table of (City, N) records, grouped by City.
struct Grouping : gridtest::ShownGrid {
  gridtest::TMemTableDataSet ds;
  db::TDataSource src{nullptr};

  void Prepare() override {
    form->SetBounds(0, 0, 420, 320);
    grid->SetBounds(0, 0, 400, 300);
    ds.FieldDefs().Add(u"City", db::ftString, 10);
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.Open();
    src.SetDataSet(&ds);
    grid->SetDataSource(&src);
  }

  void Add(const String& City, int N) {
    ds.Append();
    ds.FieldByName(u"City")->SetAsString(City);
    ds.FieldByName(u"N")->SetAsInteger(N);
    ds.Post();
  }
  void Fill(std::initializer_list<const char16_t*> Cities) {
    int n = 0;
    for (const char16_t* c : Cities) Add(c, ++n);
    ds.First();
  }
  TDBGridExDataGroupLevelEx* GroupBy(int ColumnIndex) {
    auto* level = static_cast<TDBGridExDataGroupLevelEx*>(grid->DataGrouping()->GroupLevels()->Add());
    level->SetColumn(grid->Columns()->ColumnAt(ColumnIndex));
    grid->DataGrouping()->SetActive(true);
    return level;
  }
  grid::TGridGroupDataTreeEx* Tree() { return grid->DataGrouping()->GroupDataTree(); }
  // "key(count)" per top-level group.
  Texts Groups(TGroupDataTreeNodeEx* Parent = nullptr) {
    if (!Parent) Parent = Tree()->Root();
    Texts out;
    for (int i = 0; i < Parent->Count(); ++i) {
      TGroupDataTreeNodeEx* g = Parent->ChildAt(i);
      out.push_back(rtl::VarToStr(g->KeyValue()) + u"(" + rtl::IntToStr(g->Count()) + u")");
    }
    return out;
  }
};

TEST_F(Grouping, GroupsRecordsByOneTextFieldInEitherOrder) {
  Fill({u"B", u"A", u"B", u"C"});
  TDBGridExDataGroupLevelEx* level = GroupBy(0);
  EXPECT_TRUE(grid->DataGroupingWorks());
  EXPECT_EQ(Groups(), (Texts{u"A(1)", u"B(2)", u"C(1)"}));
  EXPECT_EQ(grid->ExtraFirstColumnWidth(), 18);
  // Every group collapsed: three group rows.
  EXPECT_EQ(grid->DataRowCount(), 3);
  level->SetSortOrder(grid::soDescEx);
  EXPECT_EQ(Groups(), (Texts{u"C(1)", u"B(2)", u"A(1)"}));
  EXPECT_EQ(level->GetGroupRowText(Tree()->Root()->ChildAt(1)), u"City: B (2)");
  // The record view of the first B stays the first of its group.
  EXPECT_EQ(Tree()->Root()->ChildAt(1)->ChildAt(0)->DataSetRecordViewNo(), 0);
}

TEST_F(Grouping, RecordEventsKeepTheTreeInStep) {
  Fill({u"B", u"A", u"B", u"C"});
  GroupBy(0);
  Tree()->ExpandLevel(1);
  ds.SetRecNo(2);  // the A record
  ds.Edit();
  ds.FieldByName(u"City")->SetAsString(u"D");
  ds.Post();
  EXPECT_EQ(Groups(), (Texts{u"B(2)", u"C(1)", u"D(1)"}));
  ds.SetRecNo(4);  // the C record
  ds.Delete();
  EXPECT_EQ(Groups(), (Texts{u"B(2)", u"D(1)"}));
  const int row = Tree()->IndexOfVisibleRecordViewNo(0);
  ASSERT_GE(row, 1);
  EXPECT_EQ(Tree()->FlatVisibleNodeAt(row)->NodeType(), grid::dntDataSetRecordEx);
}

TEST_F(Grouping, AnInsertedRecordJoinsTheCurrentGroup) {
  Fill({u"B", u"A", u"B", u"C"});
  GroupBy(0);
  Tree()->ExpandLevel(1);
  ds.SetRecNo(3);  // the second B
  grid->DataInsert();
  EXPECT_EQ(ds.FieldByName(u"City")->AsString(), u"B");
  ds.FieldByName(u"N")->SetAsInteger(9);
  ds.Post();
  EXPECT_EQ(Groups(), (Texts{u"A(1)", u"B(3)", u"C(1)"}));
  TGroupDataTreeNodeEx* b = Tree()->Root()->ChildAt(1);
  EXPECT_TRUE(b->Expanded());
  EXPECT_EQ(b->ChildAt(1)->DataSetRecordViewNo(), 2);
  EXPECT_EQ(b->ChildAt(2)->DataSetRecordViewNo(), 3);
}

TEST_F(Grouping, RebuildingKeepsExpansionAndDropsEmptyGroups) {
  Fill({u"B", u"A", u"B", u"C"});
  GroupBy(0);
  Tree()->Root()->ChildAt(0)->SetExpanded(true);  // A
  ds.recs.erase(ds.recs.begin() + 3);             // C goes behind the grid's back
  ds.AllChanged();
  EXPECT_EQ(Groups(), (Texts{u"A(1)", u"B(2)"}));
  EXPECT_TRUE(Tree()->Root()->ChildAt(0)->Expanded());
  EXPECT_FALSE(Tree()->Root()->ChildAt(1)->Expanded());
}

TEST_F(Grouping, InsertPositionAmongSiblings) {
  GroupBy(0);
  for (int key : {10, 20, 30}) {
    TGroupDataTreeNodeEx* n = static_cast<TGroupDataTreeNodeEx*>(Tree()->AddChild(u"", nullptr, nullptr));
    n->SetKeyValue(rtl::Variant(key));
  }
  struct Case {
    int key;
    int answer;
    grid::TNodeAttachModeEx mode;
  };
  for (const Case& c : {Case{25, 30, grid::naInsertEx}, Case{20, 20, grid::naAddChildEx},
                        Case{5, 10, grid::naInsertEx}, Case{35, 30, grid::naAddEx}}) {
    grid::TNodeAttachModeEx mode = grid::naAddFirstEx;
    TGroupDataTreeNodeEx* n =
        Tree()->GetNodeToInsertForKey1(Tree()->Root(), rtl::Variant(c.key), grid::soAscEx, mode);
    ASSERT_NE(n, nullptr) << c.key;
    EXPECT_EQ(n->KeyValue().AsInteger(), c.answer) << c.key;
    EXPECT_EQ(mode, c.mode) << c.key;
  }
}

TEST_F(Grouping, ChangingLevelColumnsTrimsTheTree) {
  Fill({u"B", u"A", u"B", u"C"});
  TDBGridExDataGroupLevelEx* first = GroupBy(0);
  TDBGridExDataGroupLevelEx* second = GroupBy(1);
  EXPECT_EQ(Groups(Tree()->Root()->ChildAt(1)), (Texts{u"1(1)", u"3(1)"}));
  TGroupDataTreeNodeEx* keptA = Tree()->Root()->ChildAt(0);
  keptA->SetExpanded(true);
  second->SetColumn(nullptr);
  // Level-1 groups stay (with their state); only the second level went.
  EXPECT_EQ(Tree()->Root()->ChildAt(0), keptA);
  EXPECT_TRUE(keptA->Expanded());
  EXPECT_EQ(Groups(), (Texts{u"A(1)", u"B(2)", u"C(1)"}));
  first->SetColumn(nullptr);
  EXPECT_EQ(Tree()->Root()->Count(), 0);
  EXPECT_FALSE(grid->DataGroupingWorks());
  EXPECT_EQ(grid->DataRowCount(), 4);
}

TEST_F(Grouping, LevelsCanBeAssigned) {
  Fill({u"B", u"A"});
  TDBGridExDataGroupLevelEx* level = GroupBy(0);
  level->SetColor(ui::clYellow);
  level->SetSortOrder(grid::soDescEx);
  level->OnGetGroupRowText = [](grid::TCustomDBGridEx*, TGroupDataTreeNodeEx*, String& Text) { Text = u"x"; };
  grid::TDBGridEx other(form);
  other.DataGrouping()->SetGroupLevels(grid->DataGrouping()->GroupLevels());
  ASSERT_EQ(other.DataGrouping()->GroupLevels()->Count(), 1);
  auto* copy = static_cast<TDBGridExDataGroupLevelEx*>(other.DataGrouping()->GroupLevels()->LevelAt(0));
  EXPECT_EQ(copy->Color(), ui::clYellow);
  EXPECT_FALSE(copy->ParentColor());
  EXPECT_EQ(copy->SortOrder(), grid::soDescEx);
  EXPECT_TRUE(static_cast<bool>(copy->OnGetGroupRowText));
  grid::TDBGridExDataGroupsEx settings(&other);
  settings.Assign(grid->DataGrouping());
  EXPECT_TRUE(settings.Active());
  EXPECT_EQ(settings.GroupLevels()->Count(), 1);
}

TEST_F(Grouping, ARecordChangeWithoutANodeAddsIt) {
  Fill({u"B", u"A"});
  GroupBy(0);
  Tree()->DeleteRecordNode(Tree()->GetNodeByRecordViewNo(1));
  EXPECT_EQ(Groups(), (Texts{u"B(1)"}));
  Tree()->RecordChanged(1);
  EXPECT_EQ(Groups(), (Texts{u"A(1)", u"B(1)"}));
}

TEST_F(Grouping, AFailedRebuildLeavesNoFreedRows) {
  Fill({u"B", u"A", u"C"});
  TDBGridExDataGroupLevelEx* level = GroupBy(0);
  Tree()->ExpandLevel(1);
  ASSERT_EQ(Tree()->FlatVisibleCount(), 6);
  int calls = 0;
  level->OnGetKeyValue = [&](grid::TCustomDBGridEx*, TDBGridExDataGroupLevelEx*, rtl::Variant&) {
    if (++calls == 2) throw rtl::Exception(u"no key");
  };
  EXPECT_THROW(ds.AllChanged(), rtl::Exception);
  // Only nodes the tree still holds are listed, and the grid paints them.
  std::vector<grid::TBaseTreeNodeEx*> held;
  for (auto* n = Tree()->GetFirst(); n; n = Tree()->GetNext(n)) held.push_back(n);
  ASSERT_GT(Tree()->FlatVisibleCount(), 0);
  for (int i = 0; i < Tree()->FlatVisibleCount(); ++i)
    EXPECT_NE(std::find(held.begin(), held.end(), Tree()->FlatVisibleNodeAt(i)), held.end()) << i;
  EXPECT_EQ(grid->DataRowCount(), Tree()->FlatVisibleCount());
  grid->Repaint();
  h.ProcessEvents();
}

TEST_F(Grouping, MoveByClampsAtTheEnds) {
  GroupBy(0);
  EXPECT_EQ(Tree()->FlatVisibleCount(), 0);
  // No row to go to: nothing moves.
  EXPECT_EQ(grid->MoveBy(1), 0);
  EXPECT_EQ(grid->MoveBy(-1), 0);
  Fill({u"B", u"A", u"B", u"C"});
  ds.AllChanged();
  Tree()->ExpandLevel(1);
  grid->SetCurrentGroupNode(Tree()->FlatVisibleNodeAt(0), true);
  EXPECT_EQ(grid->MoveBy(100), 6);
  EXPECT_EQ(grid->CurGroupDataNode(), Tree()->FlatVisibleNodeAt(6));
  EXPECT_EQ(ds.FieldByName(u"City")->AsString(), u"C");
  EXPECT_EQ(grid->MoveBy(-2), -2);
  EXPECT_EQ(ds.FieldByName(u"City")->AsString(), u"B");
  EXPECT_EQ(grid->MoveBy(-100), -4);
  EXPECT_EQ(grid->Row(), grid->TopDataOffset());
}

TEST_F(Grouping, LeftCollapsesThenScrolls) {
  Fill({u"B", u"A"});
  GroupBy(0);
  TGroupDataTreeNodeEx* a = Tree()->Root()->ChildAt(0);
  a->SetExpanded(true);
  grid->SetCurrentGroupNode(a, true);
  std::uint16_t key = ui::VK_LEFT;
  grid->GroupKeyDown(key, {});
  EXPECT_FALSE(a->Expanded());
  key = ui::VK_RIGHT;
  grid->GroupKeyDown(key, {});
  EXPECT_TRUE(a->Expanded());
  key = ui::VK_MULTIPLY;
  grid->GroupKeyDown(key, {});
  EXPECT_FALSE(a->Expanded());
}

TEST_F(Grouping, GroupRowsAreMeasuredFromTheirLevel) {
  Fill({u"B", u"A"});
  TDBGridExDataGroupLevelEx* level = GroupBy(0);
  const int plain = grid->GroupNodeRowHeight(Tree()->Root()->ChildAt(0));
  EXPECT_EQ(plain, grid->StdDefaultRowHeight());
  level->SetRowLines(2);
  level->SetRowHeight(5);
  EXPECT_EQ(grid->GroupNodeRowHeight(Tree()->Root()->ChildAt(0)), 2 * (plain - 4) + 5);
}

TEST_F(Grouping, ColumnsDroppedOnThePanelBecomeLevels) {
  Fill({u"B", u"A", u"B", u"C"});
  grid->DataGrouping()->SetGroupPanelVisible(true);
  EXPECT_EQ(grid->OutBoundaryData()->TopIndent(), 30);
  grid->DataGrouping()->SetActive(true);
  // The grid's column drag hands the column over and the drop applies it.
  grid->StartGroupPanelMoving(-1, 10);
  grid->EndGroupPanelMoving(false);
  EXPECT_EQ(grid->DataGrouping()->ActiveGroupLevelsCount(), 0);
  grid->SetToMoveColumnIndex(0);
  grid->StartGroupPanelMoving(-1, 10);
  grid->EndGroupPanelMoving(true);
  ASSERT_EQ(grid->DataGrouping()->ActiveGroupLevelsCount(), 1);
  EXPECT_FALSE(grid->Columns()->ColumnAt(0)->Visible());
  EXPECT_EQ(Groups(), (Texts{u"A(1)", u"B(2)", u"C(1)"}));
  const auto item = grid->DataGrouping()->ActiveGroupLevelAt(0)->GroupPanelRect();
  EXPECT_EQ(grid->OutBoundaryData()->TopIndent(), item.Bottom + 5);

  grid->SetToMoveColumnIndex(1);
  grid->StartGroupPanelMoving(-1, 0);
  grid->EndGroupPanelMoving(true);
  ASSERT_EQ(grid->DataGrouping()->ActiveGroupLevelsCount(), 2);
  EXPECT_EQ(grid->DataGrouping()->ActiveGroupLevelAt(0)->Column(), grid->Columns()->ColumnAt(1));
  EXPECT_EQ(grid->ExtraFirstColumnWidth(), 36);
  const auto first = grid->DataGrouping()->ActiveGroupLevelAt(0)->GroupPanelRect();
  const auto second = grid->DataGrouping()->ActiveGroupLevelAt(1)->GroupPanelRect();
  EXPECT_GT(second.Left, first.Right);
  EXPECT_EQ(second.Top, first.Top + first.Height() / 2);

  // Dropping a level on its own place moves nothing.
  grid->StartGroupPanelMoving(0, first.Left + 2);
  grid->EndGroupPanelMoving(true);
  EXPECT_EQ(grid->DataGrouping()->ActiveGroupLevelAt(0)->Column(), grid->Columns()->ColumnAt(1));
  // Dropping the first level after the second swaps them.
  grid->StartGroupPanelMoving(0, second.Right + 5);
  grid->EndGroupPanelMoving(true);
  EXPECT_EQ(grid->DataGrouping()->ActiveGroupLevelAt(0)->Column(), grid->Columns()->ColumnAt(0));
}

TEST_F(Grouping, GroupedGridWithItsPanelScreenshot) {
  Fill({u"Paris", u"Rome", u"Paris", u"Oslo", u"Rome", u"Paris"});
  grid->DataGrouping()->SetGroupPanelVisible(true);
  GroupBy(0);
  Tree()->Root()->ChildAt(1)->SetExpanded(true);
  grid->Repaint();
  h.ProcessEvents();
  const std::string file = h.SaveScreenshot(form, "grouped_grid_with_panel");
  EXPECT_TRUE(std::filesystem::exists(file));
  // The indent band of the records is painted in the level colour.
  const int y = grid->CellBounds(1, grid->TopDataOffset() + 2).Top + 3;
  const int x = grid->CellBounds(1, grid->TopDataOffset() + 2).Left + 4;
  EXPECT_EQ(ui::ColorToRGB(h.PixelAt(grid, x, y)),
            ui::ColorToRGB(grid->DataGrouping()->ActiveGroupLevelAt(0)->Color()));
}

TEST_F(Grouping, ExportsATreeToATreeView) {
  grid::TTreeListEx tree{nullptr};
  auto* a = tree.AddChild(u"A", nullptr, nullptr);
  tree.AddChild(u"B", a, nullptr);
  tree.AddChild(u"D", nullptr, nullptr);
  a->SetExpanded(true);
  ui::TTreeView view(form);
  tree.ExportToTreeView(&view, tree.GetFirst(), nullptr, false);
  ASSERT_EQ(view.Items()->Count(), 3);
  EXPECT_EQ(view.Items()->TopCount(), 2);
  EXPECT_EQ(view.Items()->TopItem(0)->Item(0)->Text(), u"B");
  EXPECT_TRUE(view.Items()->TopItem(0)->Expanded());
}

}  // namespace

namespace {

TEST_F(Grouping, ALevelLetsGoOfAColumnThatGoes) {
  Fill({u"B", u"A"});
  TDBGridExDataGroupLevelEx* level = GroupBy(0);
  // Default columns go with the link; the level must not keep a freed one.
  grid->SetDataSource(nullptr);
  EXPECT_EQ(level->Column(), nullptr);
  EXPECT_EQ(grid->DataGrouping()->ActiveGroupLevelsCount(), 0);
  EXPECT_EQ(Tree()->Root()->Count(), 0);
  grid->Repaint();
  h.ProcessEvents();
}

}  // namespace
