// What the data grid offers and hears beside its data link: the holder
// interface of an in-place editor, the title image list's changes, the
// drawing bitmap all grids share, and a memory table's record events.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "components/extended/data/ext_memory_data.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_core_internal.h"
#include "grid/editors/custom_db_edit_ex.h"
#include "platform/runtime/ticks.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;

// A grid whose remembered press, painted rows and data row heights tests set.
class ProbeGrid : public TDBGridEx {
 public:
  using TDBGridEx::TDBGridEx;
  void RememberPress(TPoint Pos, std::uint32_t Time) {
    FDownMousePos = Pos;
    FDownMouseMessageTime = Time;
  }
  int painted = 0;
  int DataRowHeight(int DataRow) override { return 20 + DataRow; }

 protected:
  void PaintCell(int, int, TGridDrawState, TRect) override { ++painted; }
};

struct GridLinks : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  ProbeGrid* grid = nullptr;

  void SetUp() override {
    InitDBGridEx();
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 400, 300);
    grid = MakeGrid();
  }
  void TearDown() override {
    delete form;
    DoneDBGridEx();
  }
  ProbeGrid* MakeGrid() {
    auto* g = new ProbeGrid(form);
    g->SetParent(form);
    g->SetBounds(10, 10, 300, 200);
    return g;
  }
};

// --- holder of an in-place editor ------------------------------------------------------

TEST_F(GridLinks, HolderAnswersAllowsEditingAndSwallowsTab) {
  EXPECT_TRUE(grid->InplaceEditCanModify(nullptr));
  struct Case {
    char16_t key, after;
  };
  for (const Case& c : {Case{u'\t', 0}, Case{u'a', u'a'}, Case{u'\r', u'\r'}}) {
    char16_t key = c.key;
    grid->InplaceEditKeyPress(nullptr, key);
    EXPECT_EQ(key, c.after) << int(c.key);
  }
}

TEST_F(GridLinks, RememberedPressIsToldOnceInScreenCoordinates) {
  h.Show(form);
  TPoint pos{};
  std::uint32_t time = 7;
  EXPECT_FALSE(grid->GetMouseDownInfo(pos, time));  // nothing pressed yet
  EXPECT_EQ(time, 0u);
  grid->RememberPress({5, 6}, 1234);
  EXPECT_TRUE(grid->GetMouseDownInfo(pos, time));
  EXPECT_EQ(pos, grid->ClientToScreen({5, 6}));
  EXPECT_EQ(time, 1234u);
  EXPECT_FALSE(grid->GetMouseDownInfo(pos, time));
  EXPECT_EQ(time, 0u);
}

TEST_F(GridLinks, PressOnTheGridThenOnItsEditorMakesADoubleClick) {
  h.Show(form);
  auto* edit = new TCustomDBEditEx(form);
  edit->SetParent(grid);
  edit->SetInplaceEditHolder(grid);  // the grid offers the holder interface
  edit->Move(ui::Rect(20, 30, 140, 51));
  int dbl = 0;
  edit->OnDblClick = [&](ui::TObject*) { ++dbl; };
  const TPoint at{30, 10};
  grid->RememberPress(grid->ScreenToClient(edit->ClientToScreen(at)), rtl::GetTickCount());
  h.Advance(100);
  h.MouseDown(edit, at);
  h.MouseUp(edit, at);
  EXPECT_EQ(dbl, 1);
  // The press was told once: the next press is an ordinary one.
  h.Advance(100);
  h.MouseDown(edit, at);
  h.MouseUp(edit, at);
  EXPECT_EQ(dbl, 1);
}

// --- title images and the drawing bitmap ------------------------------------------------

TEST_F(GridLinks, TitleImageChangesRepaintEveryGridShowingThem) {
  ProbeGrid* other = MakeGrid();
  grid->SetBounds(10, 10, 300, 120);
  other->SetBounds(10, 150, 300, 120);  // apart, so that one repaint is not the other's
  auto* images = new ui::TImageList(form);
  grid->SetTitleImages(images);
  other->SetTitleImages(images);
  h.Show(form);
  h.ProcessEvents();
  grid->painted = other->painted = 0;
  ui::TBitmap picture(16, 16);
  images->Add(&picture, nullptr);
  h.ProcessEvents();
  EXPECT_GT(grid->painted, 0);
  EXPECT_GT(other->painted, 0);

  other->SetTitleImages(nullptr);
  h.ProcessEvents();  // the relayout's own repaint
  grid->painted = other->painted = 0;
  images->Clear();
  h.ProcessEvents();
  EXPECT_GT(grid->painted, 0);
  EXPECT_EQ(other->painted, 0);

  grid->painted = 0;
  delete images;
  EXPECT_EQ(grid->TitleImages(), nullptr);
  // The titles no longer show its pictures.
  h.ProcessEvents();
  EXPECT_GT(grid->painted, 0);
}

TEST_F(GridLinks, DrawingBitmapLivesFromTheFirstGridToTheLast) {
  ui::TBitmap* shared = core_detail::DrawBitmap();
  ASSERT_NE(shared, nullptr);
  ProbeGrid* other = MakeGrid();
  EXPECT_EQ(core_detail::DrawBitmap(), shared);
  delete grid;
  EXPECT_EQ(core_detail::DrawBitmap(), shared);
  delete other;
  EXPECT_EQ(core_detail::DrawBitmap(), nullptr);
  grid = MakeGrid();
  EXPECT_NE(core_detail::DrawBitmap(), nullptr);
}

// --- memory tables -----------------------------------------------------------------------

// An in-memory dataset that offers the memory-table interface; its record
// view count and tree answer are set by the test.
class MemTable : public ext::TExtMemoryData, public IMemTableEx {
 public:
  MemTable() : TExtMemoryData(nullptr) {
    FieldDefs().Add(u"F0", db::ftInteger);
    src.SetDataSet(this);
  }
  ~MemTable() override { Close(); }
  db::TDataSource src{nullptr};
  int views = 3;
  bool tree = false;
  std::vector<IMemTableRecordEventsEx*> receivers;

  int RecordViewCount() override { return views; }
  int CurrentRecordView() override { return -1; }
  void FetchRecords(int) override {}
  bool RecordViewsAreTree() override { return tree; }
  void SendRecordEventsTo(IMemTableRecordEventsEx* Receiver) override { receivers.push_back(Receiver); }
  void StopRecordEventsTo(IMemTableRecordEventsEx* Receiver) override {
    receivers.erase(std::remove(receivers.begin(), receivers.end(), Receiver), receivers.end());
  }
};

TEST_F(GridLinks, MemoryTableIsHeldWhileTheLinkIsActive) {
  MemTable table;
  grid->SetDataSource(&table.src);
  EXPECT_FALSE(grid->UsesMemTableView());  // closed
  table.Open();
  EXPECT_TRUE(grid->UsesMemTableView());
  EXPECT_EQ(table.receivers, std::vector<IMemTableRecordEventsEx*>{grid});
  EXPECT_EQ(grid->RowCount(), grid->TopDataOffset() + 3);  // all records changed
  table.Close();
  EXPECT_FALSE(grid->UsesMemTableView());
  EXPECT_TRUE(table.receivers.empty());

  grid->SetTryUseMemTableInt(false);
  table.Open();
  EXPECT_FALSE(grid->UsesMemTableView());
  grid->SetTryUseMemTableInt(true);
  table.Close();
  table.Open();
  EXPECT_TRUE(grid->UsesMemTableView());
  delete grid;
  grid = nullptr;
  EXPECT_TRUE(table.receivers.empty());
}

TEST_F(GridLinks, RecordEventsMoveInsertAndRemoveRows) {
  MemTable table;
  grid->SetDataSource(&table.src);
  table.Open();
  const int top = grid->TopDataOffset();
  // Marks the rows by their heights: 40, 41, 42.
  for (int i = 0; i < 3; ++i) grid->SetRowHeights(top + i, 40 + i);
  auto heights = [&] {
    std::vector<int> out;
    for (int r = top; r < grid->RowCount(); ++r) out.push_back(grid->RowHeights(r));
    return out;
  };
  struct Step {
    int views;
    bool tree;
    int recNum;
    TMemTableRecordEventKindEx kind;
    int oldRecNum;
    std::vector<int> expected;
  };
  const Step steps[] = {
      {3, false, 1, mtrChangedEx, -1, {40, 21, 42}},      // re-measured
      {3, false, 2, mtrMovedEx, 0, {21, 42, 40}},         // row 0 went to 2
      {4, false, 1, mtrInsertedEx, -1, {21, 21, 42, 40}},  // new row measured at 1
      {3, false, 0, mtrDeletedEx, -1, {21, 42, 40}},
      {3, false, 7, mtrDeletedEx, -1, {21, 42, 40}},   // no such row
      {3, false, 5, mtrMovedEx, 0, {21, 42, 40}},      // no such row
      {3, true, 0, mtrDeletedEx, -1, {21, 42, 40}},    // tree: ignored
      {0, false, 0, mtrDeletedEx, -1, {21, 42, 40}},   // none remain: rows stay
  };
  for (const Step& s : steps) {
    table.views = s.views;
    table.tree = s.tree;
    grid->HandleMemTableRecordEvent(s.recNum, s.kind, s.oldRecNum);
    EXPECT_EQ(heights(), s.expected) << s.kind << " " << s.recNum;
  }
  table.views = 0;
  table.tree = false;
  grid->HandleMemTableRecordEvent(-1, mtrAllChangedEx, -1);
  EXPECT_EQ(grid->RowCount(), top + 1);  // one empty row
  table.views = 5;
  grid->HandleMemTableRecordEvent(-1, mtrAllChangedEx, -1);
  EXPECT_EQ(grid->RowCount(), top + 5);
  grid->SetDataSource(nullptr);
}

}  // namespace
