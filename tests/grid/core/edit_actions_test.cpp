// The grid's edit actions: which of the five standard edit actions a
// focused grid takes, and the checks that enable them.
#include <gtest/gtest.h>

#include "grid/columns/transfer/db_grid_ex_imp_exp.h"
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

}  // namespace
