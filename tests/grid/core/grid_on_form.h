// A data grid on a form, with the grid module started for the test and
// stopped after it: the fixture the grid's tests share.
#pragma once

#include <gtest/gtest.h>

#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"

namespace gridtest {

struct GridOnForm : ::testing::Test {
  explicit GridOnForm(int Width = 400) : width_(Width) {}

  uitest::Harness h;
  ui::TForm* form = nullptr;
  grid::TDBGridEx* grid = nullptr;

  void SetUp() override {
    grid::InitDBGridEx();
    form = h.MakeForm<ui::TForm>();
    grid = new grid::TDBGridEx(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, width_, 200);
  }
  void TearDown() override {
    delete grid;
    grid::DoneDBGridEx();
  }

 private:
  int width_;
};

}  // namespace gridtest
