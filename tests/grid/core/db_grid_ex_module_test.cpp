// Routines of the data grid module that the painting and the editing lean
// on: the canvas's right-to-left mapping and the writable-fields test.
#include <gtest/gtest.h>

#include <QImage>

#include "components/extended/data/ext_memory_data.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/ui/bitmap.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;

TEST(DBGridExRoutines, CanvasMirroringMapsAndAnswersTheOldState) {
  uitest::Harness h;
  ui::TBitmap bmp(10, 1);
  ui::TCanvas* cv = bmp.Canvas();
  cv->Brush()->SetColor(ui::clWhite);
  cv->FillRect({0, 0, 10, 1});
  EXPECT_FALSE(SetCanvasMirroring(cv, true, 10));
  EXPECT_TRUE(SetCanvasMirroring(cv, true, 10));  // already on: unchanged
  cv->Brush()->SetColor(ui::clRed);
  cv->FillRect({0, 0, 2, 1});
  EXPECT_TRUE(SetCanvasMirroring(cv, false, 10));
  cv->Brush()->SetColor(ui::clBlue);
  cv->FillRect({0, 0, 1, 1});
  const QImage* img = bmp.Image();
  EXPECT_EQ(img->pixelColor(0, 0), QColor(Qt::blue));
  EXPECT_EQ(img->pixelColor(1, 0), QColor(Qt::white));
  EXPECT_EQ(img->pixelColor(8, 0), QColor(Qt::red));
  EXPECT_EQ(img->pixelColor(9, 0), QColor(Qt::red));
}

TEST(DBGridExRoutines, AllFieldsCanModify) {
  ext::TExtMemoryData ds(nullptr);
  ds.FieldDefs().Add(u"A", db::ftInteger);
  ds.FieldDefs().Add(u"B", db::ftInteger);
  ds.Open();
  db::TField* a = ds.Fields(0);
  db::TField* b = ds.Fields(1);
  b->SetReadOnly(true);
  struct Case {
    std::vector<db::TField*> fields;
    bool expected;
  };
  const Case cases[] = {{{}, true}, {{a}, true}, {{a, b}, false}, {{b, a}, false}};
  for (const Case& c : cases) EXPECT_EQ(AllFieldsCanModify(c.fields), c.expected) << c.fields.size();
}

}  // namespace
