// The data grid's object model: option mapping, the field map of its data
// link, the link's reset and focus requests, scroll-bar settings with an
// external bar, the shared style and behaviour centre, the module's start-up
// and shut-down, and the grid images.
#include <gtest/gtest.h>

#include <QImage>

#include "components/extended/data/ext_memory_data.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/db_grid_ex_style.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/core/grid_images.h"
#include "tests/grid/core/grid_on_form.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;
using ext::TExtMemoryData;

struct GridFixture : gridtest::GridOnForm {
  GridFixture() : GridOnForm(300) {}
};

// A dataset of Count integer fields F0..F(Count-1), open, one record.
struct Data {
  TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  explicit Data(int Count) {
    for (int i = 0; i < Count; ++i) ds.FieldDefs().Add(u"F" + rtl::IntToStr(i), db::ftInteger);
    ds.Open();
    ds.Append();
    ds.Fields(0)->SetAsInteger(1);
    ds.Post();
    src.SetDataSet(&ds);
  }
};

const TGridOptions kBaseDefaults{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goColSizing,
                                 goColMoving,     goEditing,       goTabs,     goExtendVertLines};

using OptionsTest = GridFixture;

TEST_F(OptionsTest, DefaultsMapToExactlyTheBaseOptionsOfTheConstructor) {
  EXPECT_EQ(grid->GridOptions(), kBaseDefaults);
  // Writing the defaults again changes nothing.
  grid->SetOptions(grid->Options());
  grid->SetOptionsEx(grid->OptionsEx());
  EXPECT_EQ(grid->GridOptions(), kBaseDefaults);
  EXPECT_EQ(grid->ScrollBars(), ui::ssHorizontal);
  EXPECT_FALSE(grid->TCustomGridEx::DefaultDrawing());
  EXPECT_TRUE(grid->DefaultDrawing());
}

TEST_F(OptionsTest, RowSelectDropsEditingFromTheBaseOptionsOnly) {
  grid->SetOptions(grid->Options() + dgRowSelect + dgAlwaysShowEditor);
  EXPECT_TRUE(grid->GridOptions().Contains(goRowSelect));
  EXPECT_FALSE(grid->GridOptions().Contains(goEditing));
  EXPECT_FALSE(grid->GridOptions().Contains(goAlwaysShowEditor));
  EXPECT_TRUE(grid->Options().Contains(dgEditing));
  EXPECT_TRUE(grid->Options().Contains(dgAlwaysShowEditor));
  grid->SetOptions(grid->Options() - dgRowSelect);
  EXPECT_TRUE(grid->GridOptions().Contains(goEditing));
  EXPECT_TRUE(grid->GridOptions().Contains(goAlwaysShowEditor));
}

TEST_F(OptionsTest, ColumnResizeFollowsResizeAndMove) {
  grid->SetOptions(grid->Options() - dgColumnResize);
  EXPECT_FALSE(grid->OptionsEx().Contains(dghColumnResize));
  EXPECT_FALSE(grid->OptionsEx().Contains(dghColumnMove));
  EXPECT_FALSE(grid->GridOptions().Contains(goColSizing));
  EXPECT_FALSE(grid->GridOptions().Contains(goColMoving));

  grid->SetOptionsEx(grid->OptionsEx() + dghColumnResize);
  EXPECT_FALSE(grid->Options().Contains(dgColumnResize));  // one of the two is not enough
  EXPECT_TRUE(grid->GridOptions().Contains(goColSizing));
  grid->SetOptionsEx(grid->OptionsEx() + dghColumnMove);
  EXPECT_TRUE(grid->Options().Contains(dgColumnResize));
  EXPECT_TRUE(grid->GridOptions().Contains(goColMoving));

  grid->SetOptionsEx(grid->OptionsEx() - dghColumnMove);
  EXPECT_FALSE(grid->Options().Contains(dgColumnResize));
  grid->SetOptions(grid->Options() + dgColumnResize);
  EXPECT_TRUE(grid->OptionsEx().Contains(dghColumnMove));
}

TEST_F(OptionsTest, LinesTabsRowSizingAndExtendedLinesMap) {
  grid->SetOptions(TDBGridOptions{dgTitles});
  grid->SetOptionsEx(TDBGridExOptions{});
  EXPECT_EQ(grid->GridOptions(), TGridOptions{});
  grid->SetRowSizingAllowed(true);
  grid->SetOptions(TDBGridOptions{dgColLines, dgTabs});
  grid->SetOptionsEx(TDBGridExOptions{dghExtendVertLines});
  EXPECT_EQ(grid->GridOptions(), (TGridOptions{goFixedVertLine, goVertLine, goTabs, goRowSizing, goExtendVertLines}));
}

TEST_F(OptionsTest, PublishedDefaultsAndStoredColours) {
  struct Case {
    const char* name;
    std::int64_t value;
  };
  const Case cases[] = {{"VTitleMargin", 10},        {"FooterColor", ui::clWindow}, {"DefaultDrawing", 1},
                        {"FixedColor", ui::clBtnFace}, {"RowSizingAllowed", 0},       {"FooterRowCount", 0}};
  for (const Case& c : cases) {
    const ui::TPropInfo* p = ui::GetPropInfo(grid, c.name);
    ASSERT_NE(p, nullptr) << c.name;
    EXPECT_EQ(p->Default, c.value) << c.name;
    EXPECT_EQ(ui::GetOrdProp(grid, c.name), c.value) << c.name;
  }
  EXPECT_EQ(ui::GetOrdProp(grid, "Options"), static_cast<std::int64_t>(grid->Options().Bits()));
  const ui::TPropInfo* even = ui::GetPropInfo(grid, "EvenRowColor");
  EXPECT_FALSE(ui::IsStoredProp(grid, *even));
  grid->SetEvenRowColor(ui::clWindow);
  EXPECT_TRUE(ui::IsStoredProp(grid, *even));
  EXPECT_FALSE(ui::IsStoredProp(grid, *ui::GetPropInfo(grid, "OddRowColor")));
}

// --- data link and field map ---------------------------------------------------------

using FieldMapTest = GridFixture;

TEST_F(FieldMapTest, BindingBuildsTheMapOfVisibleFields) {
  Data d(3);
  d.ds.Fields(1)->SetVisible(false);
  grid->SetDataSource(&d.src);
  TGridDataLinkEx* link = grid->DataLink();
  ASSERT_EQ(link->FieldCount(), 2);
  EXPECT_EQ(link->FieldIndexForColumn(0), 0);
  EXPECT_EQ(link->FieldIndexForColumn(1), 2);
  EXPECT_EQ(link->FieldForColumn(1), d.ds.Fields(2));
  EXPECT_FALSE(link->SparseMap());
  d.ds.Close();
  EXPECT_EQ(link->FieldCount(), 0);  // an inactive link keeps no map
}

TEST_F(FieldMapTest, GrowsEightSixteenThirtyTwoAndAnswersOutOfRange) {
  Data d(17);
  grid->SetDataSource(&d.src);
  TGridDataLinkEx* link = grid->DataLink();
  link->ClearMapping();
  EXPECT_EQ(link->FieldMapSize(), 0);
  std::vector<int> sizes;
  for (int i = 0; i < 17; ++i) {
    link->AddMapping(u"F" + rtl::IntToStr(i));
    sizes.push_back(link->FieldMapSize());
  }
  EXPECT_EQ(sizes[0], 8);
  EXPECT_EQ(sizes[7], 8);
  EXPECT_EQ(sizes[8], 16);
  EXPECT_EQ(sizes[15], 16);
  EXPECT_EQ(sizes[16], 32);
  for (int index : {-1, link->FieldCount()}) {
    EXPECT_EQ(link->FieldIndexForColumn(index), -1) << index;
    EXPECT_EQ(link->FieldForColumn(index), nullptr) << index;
  }
  EXPECT_EQ(link->FieldForColumn(16), d.ds.Fields(16));
}

TEST_F(FieldMapTest, SparseMapMarksMissingFieldsAndDefaultMapRaises) {
  Data d(2);
  grid->SetDataSource(&d.src);
  TGridDataLinkEx* link = grid->DataLink();
  ASSERT_TRUE(d.ds.DefaultFields());
  EXPECT_TRUE(link->DefaultFields());

  link->ClearMapping();
  link->SetSparseMap(true);
  link->AddMapping(u"F1");
  link->AddMapping(u"Nope");
  link->AddMapping(u"");
  EXPECT_EQ(link->FieldIndexForColumn(0), 1);
  EXPECT_EQ(link->FieldIndexForColumn(1), -1);
  EXPECT_EQ(link->FieldForColumn(1), nullptr);
  EXPECT_FALSE(link->DefaultFields());

  link->ClearMapping();
  link->SetSparseMap(false);
  link->AddMapping(u"F0");
  EXPECT_ANY_THROW(link->AddMapping(u"Nope"));
  EXPECT_EQ(link->FieldCount(), 1);  // entries before stay
}

TEST_F(FieldMapTest, ResetCancelsWithoutPendingChangesAndOnlyRepaintsWithThem) {
  Data d(2);
  grid->SetDataSource(&d.src);
  TGridDataLinkEx* link = grid->DataLink();

  d.ds.Edit();
  d.ds.Fields(0)->SetAsInteger(5);
  link->Reset();
  EXPECT_EQ(d.ds.State(), db::dsBrowse);
  EXPECT_EQ(d.ds.Fields(0)->AsInteger(), 1);

  d.ds.Edit();
  d.ds.Fields(0)->SetAsInteger(6);
  link->Modified();
  link->Reset();
  EXPECT_EQ(d.ds.State(), db::dsEdit);
  EXPECT_FALSE(link->IsModified());
  EXPECT_EQ(d.ds.Fields(0)->AsInteger(), 6);
  d.ds.Cancel();
}

TEST_F(FieldMapTest, FocusRequestForAnUnshownFieldLeavesTheReference) {
  Data d(3);
  d.ds.Fields(2)->SetVisible(false);
  grid->SetDataSource(&d.src);
  grid->SetColCount(1 + grid->FieldCount());  // the columns' layout stands in
  h.Show(form);
  d.ds.Fields(2)->FocusControl();
  EXPECT_NE(grid->SelectedField(), d.ds.Fields(2));
  d.ds.Fields(1)->FocusControl();
  EXPECT_EQ(grid->SelectedField(), d.ds.Fields(1));
  EXPECT_TRUE(grid->HoldsFocus());
}

TEST_F(FieldMapTest, DataSourceFreedFirstIsDropped) {
  auto d = std::make_unique<Data>(2);
  grid->SetDataSource(&d->src);
  d.reset();
  EXPECT_EQ(grid->DataSource(), nullptr);
  EXPECT_EQ(grid->FieldCount(), 0);
}

// --- scroll-bar settings ---------------------------------------------------------

using ScrollBarTest = GridFixture;

TEST_F(ScrollBarTest, AutoShowReadsRangeAndPage) {
  TDBGridExScrollBar* vert = grid->VertScrollBar();
  EXPECT_EQ(vert->VisibleMode(), sbAutoShowEx);
  EXPECT_FALSE(vert->SmoothStep());
  EXPECT_TRUE(grid->HorzScrollBar()->SmoothStep());
  ui::TScrollInfo info;
  info.fMask = ui::SIF_ALL;
  info.nMin = 0;
  info.nMax = 99;
  info.nPage = 100;
  grid->SetScrollInfo(ui::SB_VERT, info);
  EXPECT_FALSE(vert->IsScrollBarShowing());
  info.nPage = 50;
  grid->SetScrollInfo(ui::SB_VERT, info);
  EXPECT_TRUE(vert->IsScrollBarShowing());
  vert->SetVisibleMode(sbNeverShowEx);
  EXPECT_FALSE(vert->IsScrollBarShowing());
  EXPECT_FALSE(vert->Visible());
  vert->SetVisibleMode(sbAlwaysShowEx);
  info.nPage = 100;
  grid->SetScrollInfo(ui::SB_VERT, info);
  EXPECT_TRUE(vert->IsScrollBarShowing());
}

TEST_F(ScrollBarTest, ExternalBarIsHookedHiddenAndRestored) {
  auto* bar = new ui::TScrollBar(form);
  bar->SetName(u"Bar1");
  bar->SetParent(form);
  grid->VertScrollBar()->SetExtScrollBar(bar);
  EXPECT_FALSE(bar->HasOwnWindowProc());

  // A second grid may not take a bar that is hooked already.
  auto* other = new TDBGridEx(form);
  try {
    other->VertScrollBar()->SetExtScrollBar(bar);
    ADD_FAILURE() << "a hooked bar was taken";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"Possible Bar1 already attached to the other control.");
  }
  EXPECT_EQ(other->VertScrollBar()->ExtScrollBar(), nullptr);
  delete other;

  grid->VertScrollBar()->SetVisible(false);
  EXPECT_FALSE(bar->Visible());
  EXPECT_FALSE(grid->VertScrollBar()->IsScrollBarVisible());
  grid->VertScrollBar()->SetVisible(true);
  EXPECT_TRUE(bar->Visible());

  delete grid;  // frees the settings
  grid = nullptr;
  EXPECT_TRUE(bar->HasOwnWindowProc());
}

TEST_F(ScrollBarTest, BarFreedBeforeTheGridIsForgotten) {
  auto* bar = new ui::TScrollBar(form);
  bar->SetParent(form);
  grid->HorzScrollBar()->SetExtScrollBar(bar);
  delete bar;
  EXPECT_EQ(grid->HorzScrollBar()->ExtScrollBar(), nullptr);
}

TEST_F(ScrollBarTest, ReflectedScrollNoticeReachesTheGrid) {
  auto* bar = new ui::TScrollBar(form);
  bar->SetParent(form);
  bar->SetKind(ui::sbVertical);
  int seen = 0;
  grid->VertScrollBar()->SetExtScrollBar(bar);
  auto old = grid->WindowProc();
  grid->SetWindowProc([&](ui::TMessage& m) {
    if (m.Msg == ui::WM_VSCROLL) ++seen;
    old(m);
  });
  bar->Perform(ui::CN_VSCROLL, ui::SB_LINEDOWN, 0);
  EXPECT_EQ(seen, 1);
  grid->SetWindowProc(old);
}

// --- style and centre ----------------------------------------------------------------

using SharedObjectsTest = GridFixture;

TEST_F(SharedObjectsTest, NilStyleFallsBackToTheGlobalOne) {
  EXPECT_EQ(grid->Style(), GetDefaultGridStyle());
  EXPECT_TRUE(GetDefaultGridStyle()->GridInChangeNotification(grid));
  auto own = std::make_unique<TDBGridExStyle>();
  grid->SetStyle(own.get());
  EXPECT_FALSE(GetDefaultGridStyle()->GridInChangeNotification(grid));
  grid->SetStyle(nullptr);
  EXPECT_EQ(grid->Style(), GetDefaultGridStyle());
  // Freeing a style a grid uses sends the grid back to the global one.
  grid->SetStyle(own.get());
  own.reset();
  EXPECT_EQ(grid->Style(), GetDefaultGridStyle());
  // Freeing the global one leaves the grid without a style.
  DoneDBGridEx();
  EXPECT_EQ(grid->Style(), nullptr);
}

TEST_F(SharedObjectsTest, GridRegistersWithTheCentreAndSurvivesItsEnd) {
  TDBGridExCenter* centre = GetDefaultGridCenter();
  EXPECT_EQ(grid->Center(), centre);
  EXPECT_TRUE(centre->GridInChangeNotification(grid));
  int filters = 0;
  centre->OnApplyFilter = [&](ui::TObject* Sender) {
    EXPECT_EQ(Sender, grid);
    ++filters;
  };
  grid->DefaultApplyFilter();
  EXPECT_EQ(filters, 1);

  DoneDBGridEx();
  EXPECT_EQ(grid->Center(), nullptr);
  // Every operation that reaches the centre skips a missing one.
  grid->DefaultApplyFilter();
  grid->DefaultApplySorting();
  EXPECT_FALSE(grid->MoveDataRows(nullptr, 1, 0, true));
  ui::TPopupMenu* menu = nullptr;
  grid->BuildIndicatorTitleMenu(menu);
  int presses = 0;
  grid->OnIndicatorTitleMouseDown = [&](TCustomGridEx*, TGridCoord, ui::TMouseButton, ui::TShiftState, int, int) {
    ++presses;
  };
  grid->IndicatorTitlePressed({0, 0}, ui::mbLeft, {}, 1, 1);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(filters, 1);
}

TEST_F(SharedObjectsTest, CentreSetterMovesTheRegistration) {
  TDBGridExCenter own;
  grid->SetCenter(&own);
  EXPECT_FALSE(GetDefaultGridCenter()->GridInChangeNotification(grid));
  EXPECT_TRUE(own.GridInChangeNotification(grid));
  // The default press goes back to the grid.
  int presses = 0;
  grid->OnIndicatorTitleMouseDown = [&](TCustomGridEx*, TGridCoord, ui::TMouseButton, ui::TShiftState, int, int) {
    ++presses;
  };
  grid->IndicatorTitlePressed({0, 0}, ui::mbLeft, {}, 1, 1);
  EXPECT_EQ(presses, 1);
  grid->SetCenter(GetDefaultGridCenter());
  EXPECT_FALSE(own.GridInChangeNotification(grid));
}

TEST(DBGridExStyle, LightenColorAndMixColors) {
  TDBGridExStyle style;
  EXPECT_EQ(style.LightenColor(ui::clWhite, ui::clBlack, false), 0xBABABA);  // 186
  EXPECT_EQ(style.LightenColor(ui::clWhite, ui::clBlack, true), 0xCACACA);   // 202
  EXPECT_EQ(style.LightenColor(ui::clBlack, ui::clBlack, false), 0x878787);  // 135
  EXPECT_EQ(MixColors(0x000000, 0xFFFFFF, 85.33), 0x555555);
  EXPECT_EQ(MixColors(0x0000FF, 0x000000, 255), 0x000000);
}

// --- module start-up, routines and images ------------------------------------------

TEST(DBGridExModule, StartUpSetsValuesAndShutDownFreesThem) {
  uitest::Harness h;
  InitDBGridEx();
  InitDBGridEx();  // once per process
  ASSERT_NE(GetDefaultGridStyle(), nullptr);
  ASSERT_NE(GetDefaultGridCenter(), nullptr);
  EXPECT_EQ(InplaceSearchShortCut, ui::ShortCut(u'F', {ui::ssCtrl}));
  EXPECT_EQ(InplaceSearchPriorShortCut, ui::ShortCut(ui::VK_RETURN, {ui::ssCtrl, ui::ssShift}));
  EXPECT_EQ(PrevRecordValueShortCut, ui::ShortCut(222, {ui::ssCtrl}));
  EXPECT_EQ(FilterListShortCut, ui::ShortCut(u'T', {ui::ssCtrl}));
  EXPECT_EQ(InplaceSearchTypingTimeOut, 1500u);
  EXPECT_EQ(SortMarkerFont->Height(), -8);
  EXPECT_EQ(SortMarkerFont->Name(), u"Arial");
  EXPECT_NE(ui::Screen->Cursors(crDownCurEh), ui::crDefault);
  ASSERT_NE(GridIndicatorImages, nullptr);
  EXPECT_EQ(GridIndicatorImages->Count(), 7);
  EXPECT_EQ(GridSortMarkerImages->Count(), 5);
  const auto* center = GetDefaultGridCenter();
  EXPECT_EQ(center->IndicatorTitleMenus(), (TDBGridExStyleIndicatorTitleMenusEx{
                                               itmVisibleColumnsEx, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll}));
  EXPECT_TRUE(center->UseExtendedScrollingForMemTable());
  EXPECT_EQ(center->STFilterDefaultNumberOperator(), fdoAuto);
  DoneDBGridEx();
  EXPECT_EQ(GetDefaultGridStyle(), nullptr);
  EXPECT_EQ(GetDefaultGridCenter(), nullptr);
  EXPECT_EQ(SortMarkerFont, nullptr);
  EXPECT_EQ(GridIndicatorImages, nullptr);
  DoneDBGridEx();  // harmless
}

TEST(DBGridExModule, ColourChangeReadsTheDisplayDepth) {
  TDBGridExStyle style;
  DisplayColorCount = 256;
  ui::TMessage m{};
  m.Msg = ui::CM_SYSCOLORCHANGE;
  style.StyleWndProc(m);
  EXPECT_EQ(DisplayColorCount, -1);
}

TEST(DBGridExModule, SearchIndicatorStaysVisibleInTeal) {
  uitest::Harness h;
  InitDBGridEx();
  auto alpha = [](int x, int y) { return GridIndicatorImages->ImageAt(6)->pixelColor(x, y).alpha(); };
  EXPECT_GT(alpha(0, 0), 0);   // the arrow's tip column
  EXPECT_EQ(alpha(5, 0), 0);   // clear beside it
  TColor saved = InplaceSearchHighlightColor;
  InplaceSearchHighlightColor = ui::clTeal;
  RenderSearchIndicatorImage();
  EXPECT_EQ(GridIndicatorImages->Count(), 7);
  EXPECT_GT(alpha(0, 5), 0);
  InplaceSearchHighlightColor = saved;
  DoneDBGridEx();
}

TEST(DBGridExModule, Routines) {
  uitest::Harness h;
  auto* form = h.MakeForm<ui::TForm>();
  auto* panel = new ui::TPanel(form);
  panel->SetName(u"Panel1");
  auto* child = new ui::TPanel(panel);
  child->SetName(u"Grid1");
  EXPECT_EQ(GetComponentPath(nullptr), u"");
  EXPECT_EQ(GetComponentPath(form), u"TForm");
  EXPECT_EQ(GetComponentPath(child), u"TFormPanel1.Grid1");
  EXPECT_EQ(SwapRectExtents({10, 20, 40, 30}), (TRect{10, 20, 20, 50}));

  ui::Screen->SetCursor(ui::crCross);
  BeginWaitCursor();
  BeginWaitCursor();
  EXPECT_EQ(ui::Screen->Cursor(), ui::crHourGlass);
  EndWaitCursor();
  EXPECT_EQ(ui::Screen->Cursor(), ui::crHourGlass);
  EndWaitCursor();
  EXPECT_EQ(ui::Screen->Cursor(), ui::crCross);
  EndWaitCursor();  // unbalanced: no change
  EXPECT_EQ(ui::Screen->Cursor(), ui::crCross);
  ui::Screen->SetCursor(ui::crDefault);

  ui::TFont a, b;
  a.SetName(u"Arial");
  a.SetHeight(-20);
  TFontAttributes attrs;
  StoreFontAttributes(&a, attrs);
  int changes = 0;
  b.OnChange = [&](ui::TObject*) { ++changes; };
  ApplyFontAttributes(&b, attrs);
  EXPECT_TRUE(b.SameAs(a));
  int after = changes;
  ApplyFontAttributes(&b, attrs);
  EXPECT_EQ(changes, after);
}

}  // namespace
