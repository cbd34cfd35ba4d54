// A grid on a form over a small table of names and numbers, with the
// filter row shown: the fixture the filter tests share.
#pragma once

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "tests/grid/core/grid_on_form.h"

namespace filtertest {

struct FilterTable : gridtest::GridOnForm {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  // Times the grid's OnApplyFilter ran, and the column filter texts it saw.
  int applied = 0;
  std::vector<rtl::String> appliedTexts;

  void SetUp() override {
    GridOnForm::SetUp();
    ds.FieldDefs().Add(u"Name", db::ftString, 20);
    ds.FieldDefs().Add(u"Number", db::ftInteger);
    ds.FieldDefs().Add(u"Note", db::ftString, 20);
    src.SetDataSet(&ds);
    ds.Open();
    const char16_t* names[] = {u"Smith", u"O'Brien", u"Jones", u"Brown"};
    int n = 1;
    for (const char16_t* name : names) {
      ds.Append();
      ds.Fields(0)->SetAsString(name);
      ds.Fields(1)->SetAsInteger(n++);
      ds.Post();
    }
    ds.First();
    grid->SetDataSource(&src);
    grid->OnApplyFilter = [this](ui::TObject*) {
      ++applied;
      appliedTexts.push_back(Filter(0)->ExpressionStr());
    };
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    GridOnForm::TearDown();
  }
  grid::TColumnEx* Column(int I) { return grid->Columns()->ColumnAt(I); }
  grid::TSTColumnFilterEx* Filter(int I) { return Column(I)->STFilter(); }
};

}  // namespace filtertest
