// A data grid on a form, with the grid module started for the test and
// stopped after it: the fixture the grid's tests share.
#pragma once

#include <gtest/gtest.h>

#include "components/extended/data/ext_memory_data.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/ui/forms.h"
#include "platform/ui/themes.h"
#include "tests/platform/ui/harness.h"

namespace gridtest {

// What a grid answers for a tool tip at a client point, asked as the
// application does when the mouse rests there.
inline ui::THintInfo AskHint(ui::TWinControl* Grid, ui::TPoint At) {
  const ui::TPoint screen = Grid->ClientToScreen(At);
  Grid->Perform(ui::WM_NCHITTEST, 0, ui::MakeLParam(screen.X, screen.Y));
  ui::THintInfo info;
  info.HintControl = Grid;
  info.HintPos = screen;
  Grid->Perform(ui::CM_HINTSHOW, 0, reinterpret_cast<ui::LPARAM>(&info));
  return info;
}

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

// A shown grid whose pixels are compared: unthemed, so drawing does not
// follow the desktop's style. Prepare runs before the form shows.
struct ShownGrid : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  grid::TDBGridEx* grid = nullptr;

  virtual void Prepare() {}
  void SetUp() override {
    grid::InitDBGridEx();
    ui::SetThemesEnabled(false);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 400, 300);
    grid = new grid::TDBGridEx(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    Prepare();
    h.Show(form);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    delete form;
    ui::SetThemesEnabled(true);
    grid::DoneDBGridEx();
  }
};

// Appends records numbered 1..Count in the first field, and goes back to
// the first, with the controls quiet meanwhile.
inline void AppendNumbered(ext::TExtMemoryData& Ds, int Count) {
  Ds.DisableControls();
  for (int i = 1; i <= Count; ++i) {
    Ds.Append();
    Ds.Fields(0)->SetAsInteger(i);
    Ds.Post();
  }
  Ds.First();
  Ds.EnableControls();
}

// Gives Ds one integer field per name, binds it to Src, opens it and fills
// it with Count numbered records.
inline void OpenNumbered(ext::TExtMemoryData& Ds, db::TDataSource& Src,
                         std::initializer_list<const char16_t*> Names, int Count) {
  for (const char16_t* name : Names) Ds.FieldDefs().Add(name, db::ftInteger);
  Src.SetDataSet(&Ds);
  Ds.Open();
  AppendNumbered(Ds, Count);
}

// Opens Ds with one record of one Boolean field, "On", set to False.
inline void OpenOneFlag(ext::TExtMemoryData& Ds) {
  Ds.FieldDefs().Add(u"On", db::ftBoolean);
  Ds.Open();
  Ds.Append();
  Ds.Fields(0)->SetAsBoolean(false);
  Ds.Post();
}

// A shown grid over an in-memory dataset of numbered records.
struct ShownNumberedGrid : ShownGrid {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  // The first field of the current record.
  int RecNo() { return ds.Fields(0)->AsInteger(); }
};

}  // namespace gridtest
