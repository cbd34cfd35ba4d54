// The lookup grid and its drop-down form: whole-row heights, the key and
// the special row under keys, mouse, wheel and the auto-scroll, the master
// and lookup-field bindings, the drop-down's hover choice and close-up, and
// a picture of an open list.
#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/lookup/db_lookup_grid_column_ex.h"
#include "grid/columns/lookup/db_lookup_grid_ex.h"
#include "grid/columns/lookup/popup_data_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/grid_messages.h"
#include "platform/ui/forms.h"
#include "platform/ui/keys.h"
#include "platform/ui/themes.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;
using rtl::Variant;

// A list of numbered names: ID 1..Count, NAME "Name<n>".
struct ListTable {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  explicit ListTable(int Count) {
    ds.FieldDefs().Add(u"ID", db::ftInteger);
    ds.FieldDefs().Add(u"NAME", db::ftString, 20);
    src.SetDataSet(&ds);
    ds.Open();
    for (int i = 1; i <= Count; ++i) {
      ds.Append();
      ds.Fields(0)->SetAsInteger(i);
      ds.Fields(1)->SetAsString(u"Name" + rtl::IntToStr(i));
      ds.Post();
    }
    ds.First();
  }
};

int KeyOf(const TDBLookupGridEx* G) { return G->KeyValue().IsNull() ? -1 : G->KeyValue().AsInteger(); }

struct LookupGrid : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  TDBLookupGridEx* grid = nullptr;
  ListTable list{12};

  void SetUp() override {
    InitDBGridEx();
    ui::SetThemesEnabled(false);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 400, 300);
    grid = new TDBLookupGridEx(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 200, 150);
    grid->SetListSource(&list.src);
    grid->SetKeyField(u"ID");
    grid->SetListField(u"NAME");
    h.Show(form);
  }
  void TearDown() override {
    grid->SetListSource(nullptr);
    delete form;
    ui::SetThemesEnabled(true);
    DoneDBGridEx();
  }
  // The middle of the data row that shows the list window's record Index.
  ui::TPoint RowPoint(int Index) {
    const TRect r = grid->CellRangeRect(0, grid->TopDataOffset() + Index, 0, grid->TopDataOffset() + Index);
    return {r.Left + 5, (r.Top + r.Bottom) / 2};
  }
  void ShowSpecRow(const Variant& Value, const String& Text) {
    grid->SpecRow()->SetCellsText(Text);
    grid->SpecRow()->SetValue(Value);
    grid->SpecRow()->SetVisible(true);
    h.ProcessEvents();
  }
};

// Row arithmetic of a grid with a two-pixel frame and 17-pixel rows.
class FramedLookup : public TDBLookupGridEx {
 public:
  using TDBLookupGridEx::TDBLookupGridEx;
  int BorderSize() override { return 2; }
  int GetDataRowHeight() override { return 17; }
};

TEST_F(LookupGrid, HeightHoldsWholeRowsAndRowCountIsBounded) {
  auto* framed = new FramedLookup(form);
  framed->SetParent(form);
  framed->SetShowTitles(false);
  framed->SetBounds(0, 0, 120, 100);
  EXPECT_EQ(framed->RowCount(), 5);
  EXPECT_EQ(framed->Height(), 87);
  // Too low for one row still keeps one.
  framed->SetBounds(0, 0, 120, 10);
  EXPECT_EQ(framed->RowCount(), 1);
  EXPECT_EQ(framed->Height(), 19);

  for (auto [asked, rows] : {std::pair{0, 1}, {250, 100}, {7, 7}}) {
    grid->SetRowCount(asked);
    EXPECT_EQ(grid->RowCount(), rows) << asked;
    EXPECT_EQ(grid->Height(), grid->TitlesHeight() + grid->BorderSize() + rows * grid->GetDataRowHeight())
        << asked;
  }
}

TEST_F(LookupGrid, AutoScrollIntervalHasAFloor) {
  EXPECT_EQ(LookupAutoScrollInterval(0), 200u);
  EXPECT_EQ(LookupAutoScrollInterval(5), 125u);
  EXPECT_EQ(LookupAutoScrollInterval(12), 20u);
  // Far out the interval was once 0, scrolling as fast as the timer could fire.
  EXPECT_EQ(LookupAutoScrollInterval(30), 10u);
  EXPECT_EQ(LookupAutoScrollInterval(1000), 10u);
}

TEST_F(LookupGrid, DraggingBelowTheGridScrollsTheChoiceOnATimer) {
  grid->SetRowCount(4);
  h.ProcessEvents();
  h.MouseDown(grid, RowPoint(1));
  EXPECT_EQ(KeyOf(grid), 2);
  const int below = grid->ClientHeight();
  h.MouseMove(grid, {10, below + 4});  // distance 5
  EXPECT_EQ(grid->TrackingTimerInterval(), 125u);
  const int afterMove = KeyOf(grid);
  EXPECT_GT(afterMove, 2);
  h.Advance(125);
  h.ProcessEvents();
  EXPECT_EQ(KeyOf(grid), afterMove + 1);
  h.MouseMove(grid, {10, below + 29});  // distance 30
  EXPECT_EQ(grid->TrackingTimerInterval(), 10u);
  h.MouseUp(grid, ui::TPoint{10, below + 29});
  EXPECT_EQ(grid->TrackingTimerInterval(), 0u);
  const int released = KeyOf(grid);
  h.Advance(200);
  h.ProcessEvents();
  EXPECT_EQ(KeyOf(grid), released);
}

TEST_F(LookupGrid, ClickingARowChoosesItsKeyAndClicks) {
  int clicks = 0;
  grid->OnClick = [&](ui::TObject*) { ++clicks; };
  h.Click(grid, RowPoint(3));
  EXPECT_EQ(KeyOf(grid), 4);
  EXPECT_EQ(grid->SelectedItem(), u"Name4");
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(grid->KeyRowVisible());
  EXPECT_EQ(grid->Row(), grid->TopDataOffset() + 3);
}

TEST_F(LookupGrid, KeysMoveTheChoiceThroughTheSpecialRow) {
  ShowSpecRow(Variant(0), u"(none)");
  grid->SetKeyValue(Variant(1));
  ASSERT_FALSE(grid->SpecRow()->Selected());
  struct Step {
    std::uint16_t key;
    int expected;  // 0: the special row
  };
  const Step steps[] = {{ui::VK_UP, 0},
                        {ui::VK_DOWN, 1},
                        {ui::VK_DOWN, 2},
                        {ui::VK_END, 12},
                        {ui::VK_UP, 11},
                        {ui::VK_HOME, 1},
                        {ui::VK_NEXT, 1 + grid->VisibleDataRowCount()}};
  for (const Step& s : steps) {
    std::uint16_t key = s.key;
    grid->Perform(ui::WM_KEYDOWN, key, 0);
    EXPECT_EQ(KeyOf(grid), s.expected) << "key " << s.key;
    EXPECT_EQ(grid->SpecRow()->Selected(), s.expected == 0) << "key " << s.key;
  }
}

TEST_F(LookupGrid, AKeyNotInTheListSelectsTheSpecialRowOrTheFirstRecord) {
  list.ds.Last();
  grid->SetKeyValue(Variant(99));
  EXPECT_EQ(list.ds.RecNo(), 1);
  EXPECT_FALSE(grid->KeyRowVisible());

  ShowSpecRow(Variant(0), u"(none)");
  grid->SetKeyValue(Variant(5));
  grid->SetKeyValue(Variant(98));
  EXPECT_TRUE(grid->SpecRow()->Selected());
  EXPECT_EQ(grid->SelectedItem(), u"(none)");
}

TEST_F(LookupGrid, WheelScrollsTheListAndKeepsTheKey) {
  grid->SetKeyValue(Variant(1));
  h.ProcessEvents();
  const int before = list.ds.RecNo();
  const int window = grid->ListLink()->RecordCount();
  grid->Perform(ui::WM_MOUSEWHEEL, static_cast<ui::WPARAM>(static_cast<std::uint16_t>(-120)) << 16, 0);
  EXPECT_EQ(KeyOf(grid), 1);
  EXPECT_EQ(list.ds.RecNo(), before + window);  // one record beyond the window
}

TEST_F(LookupGrid, ListFieldsDefaultToTheKeyAndIndexFallsBackToTheFirst) {
  grid->SetListField(u"");
  ASSERT_EQ(grid->ListFields().size(), 1u);
  EXPECT_EQ(grid->ListFields()[0]->FieldName(), u"ID");
  grid->SetListFieldIndex(5);
  grid->SetListField(u"NAME;ID");
  EXPECT_EQ(grid->ListFieldObject()->FieldName(), u"NAME");
  EXPECT_EQ(grid->Columns()->Count(), 2);
  EXPECT_THROW(grid->SetListField(u"NOPE"), rtl::Exception);
  EXPECT_FALSE(grid->ListActive());
}

// A master table whose ITEM field takes the key, and a lookup field over it.
struct MasterTable {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  explicit MasterTable(db::TDataSet* Lookup) {
    ds.FieldDefs().Add(u"ITEM", db::ftInteger);
    ds.FieldDefs().Add(u"NOTE", db::ftString, 10);
    for (db::TFieldDef* d : ds.FieldDefList()) d->CreateField(&ds);
    auto* name = new db::TStringField(&ds, db::ftString, 20);
    name->SetFieldName(u"ITEM_NAME");
    name->SetFieldKind(db::fkLookup);
    name->SetLookupDataSet(Lookup);
    name->SetKeyFields(u"ITEM");
    name->SetLookupKeyFields(u"ID");
    name->SetLookupResultField(u"NAME");
    name->SetDataSet(&ds);
    src.SetDataSet(&ds);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"ITEM")->SetAsInteger(3);
    ds.Post();
  }
};

TEST_F(LookupGrid, MasterFieldTakesTheChoiceUnlessItCannotEdit) {
  MasterTable master(&list.ds);
  grid->SetDataSource(&master.src);
  grid->SetDataField(u"ITEM");
  EXPECT_EQ(KeyOf(grid), 3);
  h.Click(grid, RowPoint(4));
  EXPECT_EQ(master.ds.FieldByName(u"ITEM")->AsInteger(), 5);
  EXPECT_EQ(KeyOf(grid), 5);
  master.ds.Post();

  master.ds.SetReadOnly(true);
  h.Click(grid, RowPoint(1));
  EXPECT_EQ(KeyOf(grid), 5);
  EXPECT_EQ(master.ds.FieldByName(u"ITEM")->AsInteger(), 5);
  grid->SetDataSource(nullptr);
}

TEST_F(LookupGrid, ALookupFieldNamesTheListAndRefusesOtherListSettings) {
  MasterTable master(&list.ds);
  grid->SetListSource(nullptr);
  grid->SetKeyField(u"");
  grid->SetDataSource(&master.src);
  grid->SetDataField(u"ITEM_NAME");
  EXPECT_TRUE(grid->LookupMode());
  EXPECT_EQ(grid->ListSource(), nullptr);
  EXPECT_EQ(grid->KeyField(), u"");
  EXPECT_TRUE(grid->ListActive());
  EXPECT_EQ(grid->ListFieldObject()->FieldName(), u"NAME");
  EXPECT_EQ(KeyOf(grid), 3);
  EXPECT_EQ(grid->SelectedItem(), u"Name3");
  for (auto set : {+[](TDBLookupGridEx*G, db::TDataSource*S) { G->SetListSource(S); },
                   +[](TDBLookupGridEx*G, db::TDataSource*) { G->SetKeyField(u"ID"); }}) {
    try {
      set(grid, &list.src);
      ADD_FAILURE() << "accepted";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(String(e.Message()), u"Property already defined by lookup field");
    }
  }
  grid->SetDataSource(nullptr);
  EXPECT_FALSE(grid->LookupMode());
}

// --- the drop-down ---------------------------------------------------------------------

struct DropDown : LookupGrid {
  TPopupDataGridEx* popup = nullptr;
  int userChanges = 0;
  std::vector<bool> closes;

  void SetUp() override {
    LookupGrid::SetUp();
    popup = new TPopupDataGridEx(form);
    popup->SetListSource(&list.src);
    popup->SetKeyField(u"ID");
    popup->SetListField(u"NAME");
    popup->SetBounds(20, 20, 180, 120);
    popup->OnUserKeyValueChange = [this](ui::TObject*) { ++userChanges; };
    popup->OnMouseCloseUp = [this](ui::TObject*, bool Accept) { closes.push_back(Accept); };
    popup->SetVisible(true);
    popup->HandleNeeded();
    h.ProcessEvents();
  }
  void TearDown() override {
    popup->SetListSource(nullptr);
    LookupGrid::TearDown();
  }
  ui::TPoint PopupRow(int Index) {
    const TRect r =
        popup->CellRangeRect(0, popup->TopDataOffset() + Index, 0, popup->TopDataOffset() + Index);
    return {r.Left + 5, (r.Top + r.Bottom) / 2};
  }
};

TEST_F(DropDown, HoverMovesTheChoiceAndOnlyTheUserFiresTheChangeEvent) {
  popup->SetKeyValue(Variant(2));
  EXPECT_EQ(userChanges, 0);
  h.MouseMove(popup, PopupRow(3));
  EXPECT_EQ(KeyOf(popup), 4);
  EXPECT_EQ(userChanges, 1);
  h.MouseMove(popup, PopupRow(1));
  EXPECT_EQ(KeyOf(popup), 2);
  EXPECT_EQ(userChanges, 2);
  std::uint16_t down = ui::VK_DOWN;
  popup->KeyDown(down, {});
  EXPECT_EQ(KeyOf(popup), 3);
  EXPECT_EQ(userChanges, 3);
  popup->SetKeyValue(Variant(7));
  EXPECT_EQ(userChanges, 3);
  EXPECT_TRUE(closes.empty());
  EXPECT_FALSE(popup->CanFocus());
}

TEST_F(DropDown, ReleaseOnARowAcceptsAndOutsideCancels) {
  h.Click(popup, PopupRow(2));
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_TRUE(closes[0]);
  EXPECT_EQ(KeyOf(popup), 3);
  h.MouseDown(popup, PopupRow(1));
  h.MouseUp(popup, ui::TPoint{popup->Width() + 30, 5});
  ASSERT_EQ(closes.size(), 2u);
  EXPECT_FALSE(closes[1]);
}

TEST_F(DropDown, SizeGripNoticeMovesTheGripAndRunsNoLayout) {
  ASSERT_EQ(popup->SizeGrip()->Position(), sgpBottomRight);
  h.ProcessEvents();
  const int runs = popup->LayoutRuns();
  popup->Perform(WM_SIZEGRIPCHANGEPOSITION, sgcpToTop, 0);
  h.ProcessEvents();
  EXPECT_EQ(popup->SizeGrip()->Position(), sgpTopRight);
  EXPECT_EQ(popup->LayoutRuns(), runs);
}

// The drop-down's border is its window's frame: one raised pixel with the
// 3D look, a plain line without; the cells and the mouse count from inside it.
TEST_F(DropDown, BorderIsTheWindowsFrameRoundTheCells) {
  popup->SetRowCount(4);
  h.ProcessEvents();
  const int height = popup->Height();
  ASSERT_TRUE(popup->Ctl3D());
  EXPECT_EQ(popup->BorderWidth(), 1);
  EXPECT_EQ(popup->NonClientMargins(), (ui::TPadding{1, 1, 1, 1}));
  EXPECT_EQ(popup->BorderSize(), popup->Height() - popup->ClientHeight());
  const TRect first = popup->CellRangeRect(0, popup->TopDataOffset(), 0, popup->TopDataOffset());
  EXPECT_EQ(first.Left, 0);
  const int w = popup->Width(), hgt = popup->Height();
  // Raised: dark at the right and bottom, light at the left and top.
  EXPECT_EQ(h.WindowPixelAt(popup, w - 1, hgt / 2), ui::ColorToRGB(ui::cl3DDkShadow));
  EXPECT_EQ(h.WindowPixelAt(popup, w / 2, hgt - 1), ui::ColorToRGB(ui::cl3DDkShadow));
  EXPECT_EQ(h.WindowPixelAt(popup, 0, hgt / 2), ui::ColorToRGB(ui::cl3DLight));
  EXPECT_EQ(h.WindowPixelAt(popup, w / 2, 0), ui::ColorToRGB(ui::cl3DLight));
  EXPECT_FALSE(h.SaveScreenshot(popup, "lookup_popup_border").empty());
  // The first pixel row of a data row chooses that row.
  const TRect second = popup->CellRangeRect(0, popup->TopDataOffset() + 1, 0, popup->TopDataOffset() + 1);
  h.MouseMove(popup, ui::TPoint{second.Left + 5, second.Top});
  EXPECT_EQ(KeyOf(popup), 2);
  h.MouseMove(popup, ui::TPoint{second.Left + 5, second.Top - 2});
  EXPECT_EQ(KeyOf(popup), 1);

  // Without the 3D look: a one-pixel line of the window frame's colour.
  popup->SetCtl3D(false);
  h.ProcessEvents();
  EXPECT_EQ(popup->BorderWidth(), 0);
  EXPECT_EQ(popup->NonClientMargins(), (ui::TPadding{1, 1, 1, 1}));
  EXPECT_EQ(popup->RowCount(), 4);
  EXPECT_EQ(popup->Height(), height);
  for (ui::TPoint p : {ui::TPoint{0, 10}, ui::TPoint{10, 0}, ui::TPoint{popup->Width() - 1, 10},
                       ui::TPoint{10, popup->Height() - 1}})
    EXPECT_EQ(h.WindowPixelAt(popup, p.X, p.Y), ui::ColorToRGB(ui::clWindowFrame)) << p.X << "," << p.Y;
  EXPECT_FALSE(h.SaveScreenshot(popup, "lookup_popup_line").empty());
}

TEST_F(DropDown, PictureOfAnOpenList) {
  popup->SpecRow()->SetCellsText(u"(none)");
  popup->SpecRow()->SetValue(Variant(0));
  popup->SpecRow()->SetVisible(true);
  popup->SetShowTitles(true);
  popup->SetRowCount(6);
  popup->SetKeyValue(Variant(3));
  popup->Invalidate();
  h.ProcessEvents();
  h.SaveScreenshot(popup, "lookup_popup_open");
  const QImage img = popup->Widget()->grab().toImage();
  const std::uint32_t bgr = ui::ColorToRGB(ui::clHighlight);
  const QRgb highlight = qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  auto rowColour = [&](int GridRow) {
    const TRect r = popup->CellRangeRect(0, GridRow, 0, GridRow);
    return img.pixel(r.Right - 3, r.Top + 2);
  };
  const int top = popup->TopDataOffset();
  ASSERT_TRUE(popup->KeyRowVisible());
  EXPECT_EQ(rowColour(popup->Row()), highlight);
  EXPECT_NE(rowColour(top - 1), highlight);  // the special row, not chosen
  popup->SetKeyValue(Variant(0));
  popup->Invalidate();
  h.ProcessEvents();
  const QImage chosen = popup->Widget()->grab().toImage();
  const TRect specialRowCell = popup->CellRangeRect(0, top - 1, 0, top - 1);
  EXPECT_EQ(chosen.pixel(specialRowCell.Right - 3, specialRowCell.Top + 3), highlight);
  h.SaveScreenshot(popup, "lookup_popup_special_row");
}

}  // namespace
