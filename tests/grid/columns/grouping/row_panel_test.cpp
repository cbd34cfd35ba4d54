#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/grid_row_panel_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/classes/component_stream.h"
#include "platform/data/data_source.h"
#include "platform/ui/buttons.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using gridtest::GridOnForm;
using gridtest::ShownGrid;

// Three customized columns on lines (0, 0, 1) of heights (1, 2, 1).
struct RowPanel : GridOnForm {
  void AddColumns() {
    const int lines[3][3] = {{0, 1, 50}, {0, 2, 60}, {1, 1, 70}};
    for (const auto& l : lines) {
      grid::TColumnEx* c = grid->Columns()->Add();
      c->SetWidth(l[2]);
      c->SetInRowLinePos(l[0]);
      c->SetInRowLineHeight(l[1]);
    }
  }
};

// The line height the placement starts from (the title font's).
struct FixedLineGrid : grid::TDBGridEx {
  using grid::TDBGridEx::TDBGridEx;
  int InRowPanelLineHeight() override { return 20; }
};

// Three columns, each {line, line count, width}, placed on a grid with
// one-pixel lines.
void PlaceLines(FixedLineGrid& g, ui::TWinControl* Parent, const std::array<std::array<int, 3>, 3>& Lines) {
  g.SetParent(Parent);
  g.SetGridLineWidth(1);
  for (const auto& l : Lines) {
    grid::TColumnEx* c = g.Columns()->Add();
    c->SetWidth(l[2]);
    c->SetInRowLinePos(l[0]);
    c->SetInRowLineHeight(l[1]);
  }
  g.Columns()->RelayoutCellsInRowPanel();
}

TEST_F(RowPanel, PlacesColumnsOnTheirLines) {
  FixedLineGrid g(form);
  PlaceLines(g, form, {{{0, 1, 50}, {0, 2, 60}, {1, 1, 70}}});
  struct Expect {
    int left, top, width, height;
  };
  const Expect want[3] = {{0, 0, 50, 20}, {51, 0, 60, 41}, {112, 21, 70, 20}};
  for (int i = 0; i < 3; ++i) {
    const auto& p = g.Columns()->ColumnAt(i)->RowPlacement();
    EXPECT_EQ(p.Left, want[i].left) << i;
    EXPECT_EQ(p.Top, want[i].top) << i;
    EXPECT_EQ(p.Width, want[i].width) << i;
    EXPECT_EQ(p.Height, want[i].height) << i;
  }
  EXPECT_EQ(g.GridMasterCellWidth(), 182);
  EXPECT_EQ(g.GridMasterCellHeight(), 41);

  // A hidden column keeps a place of width 0 and adds nothing to its lines.
  g.Columns()->ColumnAt(1)->SetVisible(false);
  g.Columns()->RelayoutCellsInRowPanel();
  EXPECT_EQ(g.Columns()->ColumnAt(1)->RowPlacement().Width, 0);
  EXPECT_EQ(g.Columns()->ColumnAt(2)->RowPlacement().Left, 51);
  EXPECT_EQ(g.GridMasterCellWidth(), 121);

  // The hit test finds cells by position inside the master cell.
  g.Columns()->ColumnAt(1)->SetVisible(true);
  g.Columns()->RelayoutCellsInRowPanel();
  EXPECT_EQ(g.GetColumnInRowPanelAtPos({120, 30}, true), g.Columns()->ColumnAt(2));
  EXPECT_EQ(g.GetColumnInRowPanelAtPos({55, 35}, true), g.Columns()->ColumnAt(1));
  EXPECT_EQ(g.GetColumnInRowPanelAtPos({300, 5}, true), nullptr);
  // Navigation follows the placements.
  EXPECT_EQ(g.Columns()->GetNextHorzColumn(g.Columns()->ColumnAt(0), true, false, false),
            g.Columns()->ColumnAt(1));
  EXPECT_EQ(g.Columns()->GetNextVertColumn(g.Columns()->ColumnAt(1), true), g.Columns()->ColumnAt(1));
}

// A stored layout may name any line: a far one is placed without overflow
// and without room being made for the lines above it.
TEST_F(RowPanel, AFarLineIsPlacedSafely) {
  FixedLineGrid g(form);
  PlaceLines(g, form, {{{0, 1, 50}, {2000000000, 2000000000, 60}, {0, 1, 70}}});
  const auto& far = g.Columns()->ColumnAt(1)->RowPlacement();
  EXPECT_EQ(far.Left, 0);
  EXPECT_GT(far.Top, 0);
  EXPECT_GT(far.Height, 0);
  EXPECT_EQ(g.Columns()->ColumnAt(2)->RowPlacement().Left, 51);
  EXPECT_GE(g.GridMasterCellHeight(), far.Top);
}

TEST_F(RowPanel, LinePlacementReadsSafely) {
  AddColumns();
  grid::TColumnEx* c = grid->Columns()->ColumnAt(0);
  c->SetInRowLinePos(-3);
  c->SetInRowLineHeight(0);
  EXPECT_EQ(c->InRowLinePos(), 0);
  EXPECT_EQ(c->InRowLineHeight(), 1);
}

TEST_F(RowPanel, ScalingWithoutRoomKeepsWidths) {
  AddColumns();
  grid->Columns()->RelayoutCellsInRowPanel();
  grid->Columns()->ScaleWidths(0, 300);
  EXPECT_EQ(grid->Columns()->ColumnAt(0)->Width(), 50);
  EXPECT_EQ(grid->Columns()->ColumnAt(2)->Width(), 70);
  grid->Columns()->ScaleWidths(183, 366);
  EXPECT_EQ(grid->Columns()->ColumnAt(0)->Width(), 101);
}

// A grid's layout keeps the panel settings that differ from their defaults,
// and a grid read from it gets them back.
TEST_F(RowPanel, TheLayoutKeepsChangedPanelSettings) {
  form->SetName(u"Form1");
  grid->SetName(u"Grid1");
  auto* target = new ui::TButton(form);
  target->SetName(u"Target");
  auto bytes = [&] {
    rtl::TMemoryStream s;
    ui::TWriter w(s);
    w.SetRoot(form);
    w.WriteSignature();
    w.WriteComponent(grid);
    return s.ToBytes();
  };
  auto has = [](const std::string& Bytes, const std::string& Name) {
    return Bytes.find(std::string(1, static_cast<char>(Name.size())) + Name) != std::string::npos;
  };
  const std::string plain = bytes();
  for (const char* name :
       {"RowDetailPanel.BevelEdges", "RowDetailPanel.BevelKind", "RowDetailPanel.BorderStyle",
        "RowDetailPanel.Height", "RowDetailPanel.ActiveControl", "RowPanel.Active",
        "RowPanel.TabNavigationType", "IndicatorTitle.UseGlobalMenu"})
    EXPECT_FALSE(has(plain, name)) << name;

  grid::TRowDetailPanelEx* panel = grid->RowDetailPanel();
  panel->SetBevelEdges(grid::TBevelEdges{grid::beTop});
  panel->SetBevelKind(grid::bkFlat);
  panel->SetBevelInner(ui::bvNone);
  panel->SetBorderStyle(ui::bsNone);
  panel->SetHeight(90);
  panel->SetActiveControl(target);
  grid->RowPanel()->SetTabNavigationType(grid::rpntLeftToRightPriorityEx);
  const std::string changed = bytes();
  for (const char* name : {"RowDetailPanel.BevelEdges", "RowDetailPanel.BevelKind",
                           "RowDetailPanel.BevelInner", "RowDetailPanel.BorderStyle", "RowDetailPanel.Height",
                           "RowDetailPanel.ActiveControl", "RowPanel.TabNavigationType"})
    EXPECT_TRUE(has(changed, name)) << name;

  auto* other = new grid::TDBGridEx(form);
  other->SetParent(form);
  grid->SetName(u"Grid0");
  other->SetName(u"Grid1");
  rtl::TMemoryStream s;
  s.WriteBuffer(changed.data(), static_cast<std::int64_t>(changed.size()));
  s.SetPosition(0);
  ui::TReader r(s);
  r.SetRoot(form);
  r.ReadSignature();
  r.ReadComponent(other);
  grid::TRowDetailPanelEx* read = other->RowDetailPanel();
  EXPECT_EQ(read->BevelEdges(), grid::TBevelEdges{grid::beTop});
  EXPECT_EQ(read->BevelKind(), grid::bkFlat);
  EXPECT_EQ(read->BevelInner(), ui::bvNone);
  EXPECT_EQ(read->BevelOuter(), ui::bvLowered);
  EXPECT_EQ(read->BorderStyle(), ui::bsNone);
  EXPECT_EQ(read->Height(), 90);
  EXPECT_EQ(read->ActiveControl(), target);
  EXPECT_EQ(other->RowPanel()->TabNavigationType(), grid::rpntLeftToRightPriorityEx);
  // A removed active control is forgotten.
  delete target;
  EXPECT_EQ(panel->ActiveControl(), nullptr);
  delete other;

  // The grid places its detail control, which therefore stores no bounds.
  grid::TRowDetailPanelControlEx* control = grid->RowDetailPanelControl();
  control->SetName(u"Detail");
  control->SetBounds(5, 6, 70, 80);
  rtl::TMemoryStream cs;
  ui::TWriter cw(cs);
  cw.SetRoot(form);
  cw.WriteSignature();
  cw.WriteComponent(control);
  const std::string controlBytes = cs.ToBytes();
  for (const char* name : {"Left", "Top", "Width", "Height"}) EXPECT_FALSE(has(controlBytes, name)) << name;
}

TEST_F(RowPanel, SwitchingOnSelectsTheFirstDataColumn) {
  AddColumns();
  grid->SetCol(2);
  grid->RowPanel()->SetActive(true);
  EXPECT_EQ(grid->Col(), grid->IndicatorOffset());
  EXPECT_FALSE(grid->IsUseMultiTitle());
}

// The drop-down button of a cell lies at its right end, at most half the
// cell wide, inside the 3D edge when the fixed cells have one.
TEST_F(RowPanel, TheCellButtonTakesTheRightEndAndAtMostHalfTheCell) {
  grid->SetOptionsEx(grid->OptionsEx() - grid::dghFixed3D);
  ui::TRect button;
  const ui::TRect wide{10, 5, 210, 25};
  ASSERT_TRUE(grid->PointInCellButton({209, 15}, wide, button));
  const int w = button.Width();
  EXPECT_GT(w, 0);
  EXPECT_LT(w, 100);
  EXPECT_EQ(button.Right, wide.Right);
  EXPECT_FALSE(grid->PointInCellButton({wide.Right - w - 1, 15}, wide, button));
  struct Case {
    const char* name;
    bool fixed3D;
    ui::TRect cell;
    int width, right;
  };
  const ui::TRect narrow{10, 5, 10 + 2 * w - 2, 25};
  for (const Case& k :
       {Case{"narrow", false, narrow, w - 1, narrow.Right}, Case{"3D edge", true, wide, w, wide.Right - 1}}) {
    grid->SetOptionsEx(k.fixed3D ? grid->OptionsEx() + grid::dghFixed3D
                                 : grid->OptionsEx() - grid::dghFixed3D);
    EXPECT_TRUE(grid->PointInCellButton({k.right - 1, 15}, k.cell, button)) << k.name;
    EXPECT_EQ(button.Width(), k.width) << k.name;
    EXPECT_EQ(button.Right, k.right) << k.name;
  }
}

// A record with its detail panel open under it.
struct DetailPanel : ShownGrid {
  ext::TExtMemoryData ds;
  db::TDataSource src{nullptr};
  void Prepare() override {
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.Open();
    src.SetDataSet(&ds);
  }
  void Bind(int Records) {
    gridtest::AppendNumbered(ds, Records);
    grid->SetDataSource(&src);
    h.ProcessEvents();
  }
};

TEST_F(DetailPanel, ShowingNeedsARecordAndMayBeRefused) {
  grid->SetDataSource(&src);
  grid->RowDetailPanel()->SetActive(true);
  grid->RowDetailPanel()->SetVisible(true);
  EXPECT_FALSE(grid->RowDetailPanel()->Visible());
  gridtest::AppendNumbered(ds, 5);
  grid->RowDetailPanel()->SetVisible(true);
  EXPECT_TRUE(grid->RowDetailPanel()->Visible());
  grid->OnRowDetailPanelHide = [](grid::TCustomDBGridEx*, bool& CanHide) { CanHide = false; };
  EXPECT_EQ(grid->MoveBy(1), 0);
  EXPECT_EQ(ds.RecNo(), 1);
  grid->OnRowDetailPanelHide = nullptr;
  EXPECT_EQ(grid->MoveBy(1), 1);
  EXPECT_FALSE(grid->RowDetailPanel()->Visible());
}

TEST_F(DetailPanel, ThePanelFitsTheRoomUnderTheRecord) {
  Bind(3);
  grid::TRowDetailPanelEx* panel = grid->RowDetailPanel();
  panel->SetActive(true);
  panel->SetVisible(true);
  grid::TRowDetailPanelControlEx* control = grid->RowDetailPanelControl();
  ASSERT_TRUE(control->Visible());
  // A grid that leaves 250 pixels right of the panel's left edge and 80
  // under the current record.
  const int x = control->Left(), top = control->Top();
  grid->SetBounds(0, 0, x + 250 + grid->Width() - grid->ClientWidth(), top + 80 + grid->Height() - grid->ClientHeight());
  h.ProcessEvents();
  panel->SetWidth(300);
  panel->SetHeight(120);
  EXPECT_EQ(control->Left(), x);
  EXPECT_EQ(control->Width(), 250);
  EXPECT_EQ(control->Height(), 80);
  panel->SetWidth(100);
  panel->SetHeight(60);
  EXPECT_EQ(control->Width(), 100);
  EXPECT_EQ(control->Height(), 60);
  // The current row makes room for it.
  EXPECT_EQ(grid->RowHeights(grid->Row()), grid->StdDefaultRowHeight() + 60);
}

// Mirrored, the panel hangs from the record's right end, leaving the sign free.
TEST_F(DetailPanel, MirroredThePanelStartsAtTheRecordsRightEnd) {
  Bind(3);
  grid->SetBiDiMode(ui::bdRightToLeft);
  h.ProcessEvents();
  grid->RowDetailPanel()->SetActive(true);
  grid->RowDetailPanel()->SetVisible(true);
  h.ProcessEvents();
  grid::TRowDetailPanelControlEx* control = grid->RowDetailPanelControl();
  ASSERT_TRUE(control->Visible());
  const ui::TRect cell = grid->CellBounds(grid->IndicatorOffset(), grid->Row());
  EXPECT_EQ(control->Left() + control->Width(), cell.Right - 18);
  EXPECT_EQ(control->Top(), cell.Top + grid->StdDefaultRowHeight());
}

// The cell editor leaves the detail sign free, at the mirrored end too, and
// stays above the open panel.
TEST_F(DetailPanel, TheEditorLeavesTheSignFreeOnEitherSide) {
  Bind(3);
  grid->SetOptions(grid->Options() + grid::dgAlwaysShowEditor);
  grid->RowDetailPanel()->SetActive(true);
  grid->RowDetailPanel()->SetVisible(true);
  for (bool rtl : {false, true}) {
    grid->SetBiDiMode(rtl ? ui::bdRightToLeft : ui::bdLeftToRight);
    h.ProcessEvents();
    grid->SetEditorMode(true);
    h.ProcessEvents();
    grid::TInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_TRUE(editor && editor->Visible()) << rtl;
    const ui::TRect cell = grid->CellBounds(grid->Col(), grid->Row());
    if (rtl) {
      EXPECT_EQ(editor->Left(), cell.Left) << rtl;
      EXPECT_EQ(editor->Left() + editor->Width(), cell.Right - 18) << rtl;
    } else {
      EXPECT_EQ(editor->Left(), cell.Left + 18) << rtl;
      EXPECT_EQ(editor->Left() + editor->Width(), cell.Right) << rtl;
    }
    EXPECT_EQ(editor->Height(), grid->StdDefaultRowHeight()) << rtl;
  }
}

TEST_F(DetailPanel, RecordWithItsDetailPanelScreenshot) {
  Bind(6);
  grid::TRowDetailPanelEx* panel = grid->RowDetailPanel();
  panel->SetActive(true);
  panel->SetHeight(60);
  grid->MoveBy(1);
  panel->SetVisible(true);
  auto* button = new ui::TButton(grid->RowDetailPanelControl());
  button->SetParent(grid->RowDetailPanelControl());
  button->SetCaption(u"Detail");
  button->SetBounds(8, 8, 80, 24);
  grid->Repaint();
  h.ProcessEvents();
  const std::string file = h.SaveScreenshot(form, "record_with_detail_panel");
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_TRUE(grid->RowDetailPanelControl()->Visible());
  EXPECT_EQ(grid->RowDetailPanelControl()->Top(),
            grid->CellBounds(1, grid->Row()).Top + grid->StdDefaultRowHeight());
}

}  // namespace
