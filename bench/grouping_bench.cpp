// Grouping 100,000 records of a memory table by one text field, next to a
// plain sort of the same keys read the same way. Prints both and the ratio.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/data/data_source.h"
#include "tests/grid/core/mem_table_data_set.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point From) {
  return std::chrono::duration<double, std::milli>(Clock::now() - From).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  grid::InitDBGridEx();
  constexpr int kRecords = 100000;
  double groupMs = 0, sortMs = 0;
  int groups = 0;
  {
    gridtest::TMemTableDataSet ds;
    ds.FieldDefs().Add(u"City", db::ftString, 12);
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.Open();
    std::mt19937 random(7);
    ds.DisableControls();
    for (int i = 0; i < kRecords; ++i) {
      ds.Append();
      ds.FieldByName(u"City")->SetAsString(u"City" + rtl::IntToStr(static_cast<int>(random() % 1000)));
      ds.FieldByName(u"N")->SetAsInteger(i);
      ds.Post();
    }
    ds.First();
    ds.EnableControls();
    db::TDataSource src(nullptr);
    src.SetDataSet(&ds);
    grid::TDBGridEx grid(nullptr);
    grid.SetDataSource(&src);
    auto* level = grid.DataGrouping()->GroupLevels()->Add();
    level->SetColumn(grid.Columns()->ColumnAt(0));

    Clock::time_point start = Clock::now();
    grid.DataGrouping()->SetActive(true);
    groupMs = Ms(start);
    groups = grid.DataGrouping()->GroupDataTree()->Root()->Count();

    start = Clock::now();
    std::vector<rtl::Variant> keys(kRecords);
    db::TField* city = ds.FieldByName(u"City");
    for (int r = 0; r < kRecords; ++r) {
      ds.InstantReadEnter(r);
      keys[static_cast<std::size_t>(r)] = city->Value();
      ds.InstantReadLeave();
    }
    std::vector<int> order(kRecords);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int A, int B) {
      return grid::CompareVariantValues(keys[static_cast<std::size_t>(A)],
                                        keys[static_cast<std::size_t>(B)]) ==
             grid::TVariantRelationshipEx::LessThan;
    });
    sortMs = Ms(start);
    grid.SetDataSource(nullptr);
  }
  grid::DoneDBGridEx();
  std::printf("grouping %d records by one text field: %.1f ms (%d groups)\n", kRecords, groupMs, groups);
  std::printf("plain sort of the same keys:          %.1f ms\n", sortMs);
  std::printf("ratio grouping / sort:                %.2f\n", sortMs > 0 ? groupMs / sortMs : 0.0);
  return 0;
}
