// The grid's edit actions: which of the five standard edit actions a
// focused grid takes, and the checks that enable them; the indicator title's
// button and menu.
#include <gtest/gtest.h>

#include "grid/columns/grouping/db_grid_ex_indicator_title.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/transfer/db_grid_ex_imp_exp.h"
#include "grid/core/db_grid_ex_center.h"
#include "platform/ui/menus.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/std_actions.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;

class FocusedGrid : public TDBGridEx {
 public:
  using TDBGridEx::TDBGridEx;
  bool GridOrEditorFocused() override { return true; }
};

struct EditActions : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  FocusedGrid* grid = nullptr;
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  void SetUp() override {
    InitDBGridEx();
    form = h.MakeForm<ui::TForm>();
    grid = new FocusedGrid(form);
    grid->SetParent(form);
    ds.FieldDefs().Add(u"N", db::ftInteger);
    src.SetDataSet(&ds);
    ds.Open();
    gridtest::AppendNumbered(ds, 3);
    grid->SetDataSource(&src);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    delete grid;
    DoneDBGridEx();
  }
};

TEST_F(EditActions, OnlyTheAllowedActionsAreTaken) {
  ui::TEditCopy copy(form);
  ui::Clipboard()->SetAsText(u"before");
  EXPECT_FALSE(grid->ExecuteAction(&copy)) << "EditActions empty";
  EXPECT_EQ(ui::Clipboard()->AsText(), u"before");
  grid->SetEditActions({geaCopyEx});
  EXPECT_TRUE(grid->UpdateAction(&copy));
  EXPECT_TRUE(copy.Enabled());
  EXPECT_TRUE(grid->ExecuteAction(&copy));
  EXPECT_TRUE(ui::Clipboard()->HasFormat(ClipboardFormatVCLDBIF()));
  EXPECT_EQ(ui::Clipboard()->AsText(), u"1") << "the current cell";
}

TEST_F(EditActions, ChecksFollowStateAndPermissions) {
  ui::Clipboard()->SetAsText(u"5");
  grid->SetAllowedOperations(grid->AllowedOperations() - alopUpdateEx);
  EXPECT_FALSE(grid->CheckPasteAction()) << "browsing needs the update permission";
  ds.Insert();
  EXPECT_TRUE(grid->CheckPasteAction()) << "inserting does not";
  ds.Cancel();
  EXPECT_TRUE(grid->CheckSelectAllAction());
  EXPECT_FALSE(grid->CheckDeleteAction()) << "nothing selected";
  grid->SetReadOnly(true);
  EXPECT_FALSE(grid->CheckPasteAction());
  grid->SetReadOnly(false);
  while (!ds.IsEmpty()) ds.Delete();
  EXPECT_FALSE(grid->CheckSelectAllAction()) << "an empty dataset";
}

// An action on a data source: the next record, enabled until the end.
struct NextRecordAction : ui::TCustomAction {
  using ui::TCustomAction::TCustomAction;
  bool HandlesTarget(ui::TObject* Target) override {
    return dynamic_cast<db::TDataSource*>(Target) != nullptr;
  }
  void ExecuteTarget(ui::TObject* Target) override {
    static_cast<db::TDataSource*>(Target)->DataSet()->Next();
  }
  void UpdateTarget(ui::TObject* Target) override {
    SetEnabled(!static_cast<db::TDataSource*>(Target)->DataSet()->Eof());
  }
};

TEST_F(EditActions, DataSourceActionsReachTheDatasetThroughTheLinkFocusedOrNot) {
  auto* unfocused = new TDBGridEx(form);
  unfocused->SetParent(form);
  unfocused->SetDataSource(&src);
  NextRecordAction next(form);
  ds.First();
  for (TCustomDBGridEx* g : {static_cast<TCustomDBGridEx*>(grid), static_cast<TCustomDBGridEx*>(unfocused)}) {
    EXPECT_TRUE(g->UpdateAction(&next));
    EXPECT_TRUE(next.Enabled());
    EXPECT_TRUE(g->ExecuteAction(&next));
  }
  EXPECT_EQ(ds.FieldByName(u"N")->AsInteger(), 3);
  ds.Next();
  EXPECT_TRUE(unfocused->UpdateAction(&next));
  EXPECT_FALSE(next.Enabled()) << "at the end";
  // An edit action is not the link's: the unfocused grid leaves it.
  ui::TEditCopy copy(form);
  unfocused->SetEditActions({geaCopyEx});
  EXPECT_FALSE(unfocused->ExecuteAction(&copy));
  unfocused->SetDataSource(nullptr);
  EXPECT_FALSE(unfocused->ExecuteAction(&next)) << "no data source, no target";
  delete unfocused;
}

// A menu that records where it popped up instead of showing itself.
struct RecordingMenu : ui::TPopupMenu {
  RecordingMenu(ui::TComponent* AOwner, bool* Freed) : ui::TPopupMenu(AOwner), freed(Freed) {}
  ~RecordingMenu() override {
    if (freed) *freed = true;
  }
  void Popup(int X, int Y) override {
    at = {X, Y};
    ++shown;
    if (onPopup) onPopup();
  }
  bool* freed;
  ui::TPoint at{-1, -1};
  int shown = 0;
  std::function<void()> onPopup;
};

TEST_F(EditActions, ATitleButtonPopsTheMenuUnderTheIndicatorTitle) {
  grid->IndicatorTitle()->SetTitleButton(true);
  const ui::TRect cell = grid->CellRect(0, 0);
  const ui::TPoint foot = grid->ClientToScreen(ui::TPoint{cell.Left, cell.Bottom});
  bool freed = false;
  bool downWhileShown = false;
  ui::TPoint seen{-1, -1};
  grid->OnBuildIndicatorTitleMenu = [&](TCustomDBGridEx*, ui::TPopupMenu*& Menu) {
    auto* menu = new RecordingMenu(nullptr, &freed);
    menu->Items()->Add(new ui::TMenuItem(menu));
    menu->onPopup = [&, menu] {
      downWhileShown = grid->IndicatorTitle()->Down();
      seen = menu->at;
    };
    Menu = menu;
  };
  grid->IndicatorTitlePressed({0, 0}, ui::mbLeft, {}, 2, 2);
  EXPECT_EQ(seen.X, foot.X);
  EXPECT_EQ(seen.Y, foot.Y);
  EXPECT_TRUE(downWhileShown);
  EXPECT_FALSE(grid->IndicatorTitle()->Down());
  EXPECT_TRUE(freed) << "a menu without owner goes after the press";

  // A menu without items: the cell is pressed like a title while the mouse is held.
  grid->OnBuildIndicatorTitleMenu = [&](TCustomDBGridEx*, ui::TPopupMenu*& Menu) {
    Menu = new RecordingMenu(form, nullptr);
  };
  grid->SetMouseCapture(true);
  grid->IndicatorTitlePressed({0, 0}, ui::mbLeft, {}, 2, 2);
  EXPECT_EQ(grid->DBGridExState(), dgsTitleDown);
  EXPECT_TRUE(grid->IndicatorTitle()->Down());
  grid->SetMouseCapture(false);
}

TEST_F(EditActions, WithoutATitleButtonThePressSelectsAllAndClears) {
  grid->IndicatorTitle()->SetTitleButton(false);
  const struct {
    bool MultiSelect;
    bool AllowAll;
    TDBGridExSelectionType AfterFirst, AfterSecond;
  } cases[] = {
      {true, true, gstAll, gstNon},
      {false, true, gstNon, gstNon},
      {true, false, gstNon, gstNon},
  };
  for (const auto& c : cases) {
    grid->SetOptions(c.MultiSelect ? grid->Options() + dgMultiSelect : grid->Options() - dgMultiSelect);
    grid->SetAllowedSelections(c.AllowAll ? grid->AllowedSelections() + gstAll
                                          : grid->AllowedSelections() - gstAll);
    grid->Selection()->Clear();
    grid->IndicatorTitlePressed({0, 0}, ui::mbLeft, {}, 2, 2);
    EXPECT_EQ(grid->Selection()->SelectionType(), c.AfterFirst) << c.MultiSelect << c.AllowAll;
    grid->IndicatorTitlePressed({0, 0}, ui::mbLeft, {}, 2, 2);
    EXPECT_EQ(grid->Selection()->SelectionType(), c.AfterSecond) << c.MultiSelect << c.AllowAll;
  }
}

TEST_F(EditActions, TheMenusSelectAllSelectsTheWholeGrid) {
  grid->SetOptions(grid->Options() + dgMultiSelect);
  grid->SetEditActions({geaSelectAllEx});
  ui::TPopupMenu* menu = nullptr;
  grid->BuildIndicatorTitleMenu(menu);
  ui::TMenuItem* selectAll = menu->Items()->Items(menu->Items()->Count() - 1);
  ASSERT_EQ(selectAll->Caption(), u"Select All");
  EXPECT_TRUE(selectAll->Enabled());
  selectAll->Click();
  EXPECT_EQ(grid->Selection()->SelectionType(), gstAll);
}

std::vector<rtl::String> Captions(ui::TMenuItem* Item) {
  std::vector<rtl::String> out;
  for (int i = 0; i < Item->Count(); ++i) out.push_back(Item->Items(i)->Caption());
  return out;
}

TEST_F(EditActions, TheGridsOwnMenuFollowsTheGlobalOneOrStandsAlone) {
  auto* own = new ui::TPopupMenu(form);
  auto* first = new ui::TMenuItem(own);
  first->SetCaption(u"Mine");
  first->SetChecked(true);
  int clicks = 0;
  first->OnClick = [&](ui::TObject*) { ++clicks; };
  auto* sub = new ui::TMenuItem(own);
  sub->SetCaption(u"Inner");
  first->Add(sub);
  own->Items()->Add(first);
  grid->IndicatorTitle()->SetDropdownMenu(own);
  grid->Center()->SetIndicatorTitleMenus({itmCopy});

  ui::TPopupMenu* menu = nullptr;
  grid->IndicatorTitle()->SetUseGlobalMenu(false);
  grid->BuildIndicatorTitleMenu(menu);
  EXPECT_EQ(Captions(menu->Items()), std::vector<rtl::String>{u"Mine"}) << "no leading separator";
  ui::TMenuItem* copy = menu->Items()->Items(0);
  EXPECT_TRUE(copy->Checked());
  EXPECT_EQ(copy->Count(), 0) << "sub-items are not copied";
  copy->Click();
  EXPECT_EQ(clicks, 1);

  grid->IndicatorTitle()->SetUseGlobalMenu(true);
  grid->BuildIndicatorTitleMenu(menu);
  EXPECT_EQ(Captions(menu->Items()), (std::vector<rtl::String>{u"Copy", u"-", u"Mine"}));

  // A freed menu is let go of.
  delete own;
  EXPECT_EQ(grid->IndicatorTitle()->DropdownMenu(), nullptr);
  grid->BuildIndicatorTitleMenu(menu);
  EXPECT_EQ(Captions(menu->Items()), std::vector<rtl::String>{u"Copy"});
  grid->Center()->SetIndicatorTitleMenus(
      {itmVisibleColumnsEx, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll});
}

}  // namespace
