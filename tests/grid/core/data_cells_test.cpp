// Data cells: the highlight decisions with and without the style, the
// lightened colours, hidden repeated values, in-cell buttons, pictures, and
// pictures of a bound grid focused and unfocused, left to right and right to
// left.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QWidget>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_style.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/ui/forms.h"
#include "platform/ui/themes.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;
using ui::TColor;

class CellGrid : public TDBGridEx {
 public:
  using TDBGridEx::TDBGridEx;
  bool focused = false;
  bool GridOrEditorFocused() override { return focused; }
  bool HoldsFocus() const override { return focused; }
  void DropStyle() {
    if (FStyle) FStyle->RemoveChangeNotification(this);
    FStyle = nullptr;
  }
};

struct CellTable {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  explicit CellTable(const std::vector<String>& Texts) {
    ds.FieldDefs().Add(u"N", db::ftInteger);
    ds.FieldDefs().Add(u"S", db::ftString, 10);
    src.SetDataSet(&ds);
    ds.Open();
    int n = 0;
    for (const String& t : Texts) {
      ds.Append();
      ds.Fields(0)->SetAsInteger(++n);
      ds.Fields(1)->SetAsString(t);
      ds.Post();
    }
    ds.First();
  }
};

struct DataCells : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  CellGrid* grid = nullptr;

  void SetUp() override {
    InitDBGridEx();
    ui::SetThemesEnabled(false);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 400, 300);
    grid = new CellGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 200);
    h.Show(form);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    delete form;
    ui::SetThemesEnabled(true);
    DisplayColorCount = -1;
    DoneDBGridEx();
  }
  QImage Grab() { return grid->Widget()->grab().toImage(); }
  // Whether the cell's inside holds a pixel darker than mid-gray (text).
  bool HasInk(const QImage& Img, int Col, int Row) {
    const TRect r = grid->CellRangeRect(Col, Row, Col, Row);
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
      for (int x = r.Left + 1; x < r.Right - 1; ++x)
        if (qGray(Img.pixel(x, y)) < 100) return true;
    return false;
  }
};

uint32_t CellRgb(TColor C) { return ui::ColorToRGB(C); }

TEST_F(DataCells, LightenColorOfWhiteTowardsBlack) {
  TDBGridExStyle* style = grid->Style();
  ASSERT_NE(style, nullptr);
  EXPECT_EQ(CellRgb(style->LightenColor(ui::clWhite, ui::clBlack, false)), 0xBABABAu);  // 186
  EXPECT_EQ(CellRgb(style->LightenColor(ui::clWhite, ui::clBlack, true)), 0xCACACAu);   // 202
  EXPECT_EQ(CellRgb(style->LightenColor(ui::clWhite, ui::clWhite, true)), 0xFFFFFFu);   // clamped
}

TEST_F(DataCells, HighlightDecisionTable) {
  CellTable t({u"a", u"b", u"c"});
  grid->SetDataSource(&t.src);
  const int current = grid->Col();
  ASSERT_EQ(current, 1);
  ASSERT_EQ(grid->DataLink()->ActiveRecord(), 0);
  TDBGridExStyle* style = grid->Style();
  const TColor lightened = style->LightenColor(ui::clWindow, ui::clHighlight, true);
  const TColor shadowed = style->LightenColor(ui::clWindow, ui::clBtnShadow, false);
  struct Case {
    const char* name;
    bool withStyle, focused, rowSelect, always, rowHighlight, luminate;
    int colours;  // DisplayColorCount
    int dataCol, dataRow;
    bool selectedState;
    TColor colour;
    bool answer;
    TColor font;
  };
  const TColor keep = ui::clWindow, text = ui::clWindowText;
  const Case cases[] = {
      {"row select focused", true, true, true, false, false, true, -1, 1, 0, false, ui::clHighlight, true,
       ui::clHighlightText},
      {"row select, other row", true, true, true, false, false, true, -1, 1, 1, false, keep, false, text},
      {"unfocused, always show", true, false, true, true, false, true, -1, 1, 0, false, ui::clBtnShadow, true,
       ui::clHighlightText},
      {"unfocused, selection hidden", true, false, true, false, false, true, -1, 1, 0, false, keep, false, text},
      {"current cell focused", true, true, false, false, false, true, -1, 0, 0, true, ui::clHighlight, true,
       ui::clHighlightText},
      {"row highlight, other column", true, true, false, false, true, true, -1, 1, 0, false, lightened, true, text},
      {"row highlight, no luminance", true, true, false, false, true, false, -1, 1, 0, false, keep, true, text},
      {"unfocused row highlight", true, false, false, true, true, true, -1, 1, 0, false, shadowed, true, text},
      {"unfocused at 256 colours", true, false, false, true, true, true, 256, 1, 0, false, ui::clBtnFace, true,
       text},
      {"no style: focused", false, true, true, false, false, true, -1, 1, 0, false, ui::clHighlight, true,
       ui::clHighlightText},
      {"no style: unfocused", false, false, true, true, false, true, -1, 1, 0, false, ui::clBtnShadow, true,
       ui::clHighlightText},
      {"no style: other selected", false, false, false, true, true, true, -1, 1, 0, false, ui::clBtnFace, true,
       text},
  };
  ASSERT_EQ(grid->DataColToGridCol(0), current);
  for (const Case& c : cases) {
    if (!c.withStyle) grid->DropStyle();
    grid->focused = c.focused;
    TDBGridOptions o = grid->Options() - dgRowSelect - dgAlwaysShowSelection;
    if (c.rowSelect) o.Include(dgRowSelect);
    if (c.always) o.Include(dgAlwaysShowSelection);
    grid->SetOptions(o);
    grid->SetOptionsEx(c.rowHighlight ? grid->OptionsEx() + dghRowHighlight : grid->OptionsEx() - dghRowHighlight);
    style->SetLuminateSelection(c.luminate);
    DisplayColorCount = c.colours;
    grid->SetCol(current);
    ui::TFont font;
    font.SetColor(text);
    TColor colour = keep;
    TGridDrawState state;
    if (c.selectedState) state.Include(gdSelected);
    EXPECT_EQ(grid->HighlightDataCellColor(c.dataCol, c.dataRow, &font, colour, state, u""), c.answer) << c.name;
    EXPECT_EQ(CellRgb(colour), CellRgb(c.colour)) << c.name;
    EXPECT_EQ(CellRgb(font.Color()), CellRgb(c.font)) << c.name;
  }
  style->SetLuminateSelection(true);
}

TEST_F(DataCells, RepeatedValuesAreHiddenWithTheLineBetween) {
  CellTable t({u"a", u"a", u"b", u"b", u"b", u"c"});
  grid->SetDataSource(&t.src);
  TColumnEx* s = grid->Columns()->ColumnAt(1);
  s->SetHideDuplicates(true);
  s->SetColor(static_cast<TColor>(0xE0FFE0));
  grid->SetColor(static_cast<TColor>(0xE0FFE0));
  grid->SetCol(1);
  h.ProcessEvents();
  const QImage img = Grab();
  const int top = grid->TopDataOffset();
  const int col = grid->DataColToGridCol(1);
  struct Case {
    int dataRow;
    bool text;         // the value shows
    bool lineAbove;    // the row line above the cell is still drawn
  };
  const Case cases[] = {{0, true, true}, {1, false, false}, {2, true, true},
                        {3, false, false}, {4, false, false}, {5, true, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(HasInk(img, col, top + c.dataRow), c.text) << c.dataRow;
    const TRect r = grid->CellRangeRect(col, top + c.dataRow, col, top + c.dataRow);
    const QRgb line = img.pixel((r.Left + r.Right) / 2, r.Top - 1);
    EXPECT_EQ(line != QColor(0xE0, 0xFF, 0xE0).rgb(), c.lineAbove) << c.dataRow << " " << std::hex << line;
  }
  // The number column repeats nothing and keeps every value.
  for (int row = 0; row < 6; ++row) EXPECT_TRUE(HasInk(img, grid->DataColToGridCol(0), top + row)) << row;
}

TEST_F(DataCells, InCellButtonsFollowTheShowOptions) {
  CellTable t({u"a", u"b"});
  grid->SetDataSource(&t.src);
  TColumnEx* s = grid->Columns()->ColumnAt(1);
  s->SetButtonStyle(cbsEllipsis);
  struct Case {
    const char* name;
    bool always;
    TEditButtonsShowOptionsEx show;
    int dataRow;
    bool focused;
    bool shows;
  };
  const Case cases[] = {
      {"not asked for", false, {}, 0, true, false},
      {"always", true, {}, 1, false, true},
      {"current row only, other row", true, {sebShowOnlyForCurRowEx}, 1, true, false},
      {"current row only, current row", true, {sebShowOnlyForCurRowEx}, 0, true, true},
      {"current cell only, other column", true, {sebShowOnlyForCurCellEx}, 0, true, false},
      {"grid active only, unfocused", true, {sebShowOnlyWhenGridActiveEx}, 0, false, false},
      {"grid active only, focused", true, {sebShowOnlyWhenGridActiveEx}, 0, true, true},
      {"editing only, browsing", true, {sebShowOnlyWhenDataEditingEx}, 0, true, false},
  };
  grid->SetCol(grid->DataColToGridCol(0));
  for (const Case& c : cases) {
    s->SetAlwaysShowEditButton(c.always);
    grid->SetEditButtonsShowOptions(c.show);
    grid->focused = c.focused;
    EXPECT_EQ(grid->CellShowsEditButtons(s, c.dataRow, 1), c.shows) << c.name;
  }
  EXPECT_GT(grid->CellEditButtonsWidth(s), 0);
  s->SetButtonStyle(cbsNone);
  EXPECT_EQ(grid->CellEditButtonsWidth(s), 0);
  // An opaque button (the focused cell) stands out more than a faded one.
  s->SetButtonStyle(cbsEllipsis);
  s->SetAlwaysShowEditButton(true);
  grid->SetEditButtonsShowOptions({});
  grid->SetOptions(grid->Options() - dgRowSelect);
  grid->focused = true;
  grid->SetCol(grid->DataColToGridCol(1));
  grid->Invalidate();
  h.ProcessEvents();
  const QImage img = Grab();
  auto ink = [&](int Row) {
    const TRect r = grid->CellRangeRect(grid->DataColToGridCol(1), Row, grid->DataColToGridCol(1), Row);
    int darkest = 255;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Right - grid->CellEditButtonsWidth(s); x < r.Right; ++x)
        darkest = std::min(darkest, qGray(img.pixel(x, y)));
    return darkest;
  };
  const int top = grid->TopDataOffset();
  EXPECT_LT(ink(top), ink(top + 1));
}

TEST_F(DataCells, LargePictureShrinksWithItsAspectKeptAndCentred) {
  struct Case {
    int w, h;
    TRect cell, expected;
  };
  const Case cases[] = {
      {200, 100, {0, 0, 50, 40}, {0, 7, 50, 32}},     // wider: width fits, height 25
      {100, 200, {10, 10, 60, 50}, {25, 10, 45, 50}},  // taller: height fits, width 20
      {20, 10, {0, 0, 50, 40}, {15, 15, 35, 25}},     // a small one keeps its size
      {75, 30, {0, 0, 50, 40}, {0, 10, 50, 30}},      // 30 / 1.5 = 20
  };
  for (const Case& c : cases) {
    const TRect r = TCustomDBGridEx::FitPictureRect(c.w, c.h, c.cell);
    EXPECT_EQ(r, c.expected) << c.w << "x" << c.h;
  }
  // Drawn: the red picture's rows and the cell's colour around them.
  ui::TBitmap picture(200, 100);
  picture.Canvas()->Brush()->SetColor(ui::clRed);
  picture.Canvas()->FillRect({0, 0, 200, 100});
  ui::TBitmap target(50, 40);
  target.Canvas()->FillRect({0, 0, 1, 1});  // opens the bitmap's painter
  grid->Canvas()->Detach();
  grid->Canvas()->Attach(target.Canvas()->AttachedPainter());
  grid->Canvas()->Brush()->SetColor(ui::clWhite);
  grid->DrawPictureCell(&picture, {0, 0, 50, 40});
  grid->Canvas()->Detach();
  EXPECT_EQ(CellRgb(target.Canvas()->Pixel(25, 5)), 0xFFFFFFu);
  EXPECT_EQ(CellRgb(target.Canvas()->Pixel(25, 8)), 0x0000FFu);
  EXPECT_EQ(CellRgb(target.Canvas()->Pixel(25, 31)), 0x0000FFu);
  EXPECT_EQ(CellRgb(target.Canvas()->Pixel(25, 33)), 0xFFFFFFu);
}

// Pictures held in a graphic blob field: drawn from the field's bytes,
// and a value that is no picture paints an empty cell instead of failing.
TEST_F(DataCells, GraphicFieldsShowTheirPicturesAndBrokenOnesStayEmpty) {
  QImage red(40, 20, QImage::Format_RGB32);
  red.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(red.save(&buffer, "PNG"));

  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  ds.FieldDefs().Add(u"P", db::ftGraphic);
  src.SetDataSet(&ds);
  ds.Open();
  for (const std::string& bytes : {png.toStdString(), std::string("not a picture"), std::string()}) {
    ds.Append();
    static_cast<db::TBlobField*>(ds.Fields(0))->SetAsBytes(bytes);
    ds.Post();
  }
  ds.First();
  grid->SetDrawGraphicData(true);
  grid->SetDataSource(&src);
  ASSERT_EQ(grid->Columns()->ColumnAt(0)->GetColumnType(), ctGraphicData);
  grid->Columns()->ColumnAt(0)->SetWidth(60);
  grid->Invalidate();
  h.ProcessEvents();
  const QImage img = Grab();
  const int top = grid->TopDataOffset();
  const TRect cell = grid->CellRangeRect(1, top, 1, top);
  const QPoint middle((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
  EXPECT_EQ(img.pixel(middle), qRgb(255, 0, 0));
  // Shrunk to the row's height with its aspect kept: no red at the cell's sides.
  EXPECT_NE(img.pixel(cell.Left + 2, middle.y()), qRgb(255, 0, 0));
  for (int row = top + 1; row <= top + 2; ++row) {
    const TRect r = grid->CellRangeRect(1, row, 1, row);
    EXPECT_NE(img.pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), qRgb(255, 0, 0)) << row;
  }

  // Rows fitted to their content take the picture's height, scaled to the
  // column when it is wider; a broken picture keeps the standard height.
  grid->SetOptionsEx(grid->OptionsEx() + dghAutoFitRowHeight);
  TColumnEx* column = grid->Columns()->ColumnAt(0);
  EXPECT_EQ(column->CalcRowHeight(), 20);
  column->SetWidth(20);
  EXPECT_EQ(column->CalcRowHeight(), 10);
  ds.Next();
  EXPECT_EQ(column->CalcRowHeight(), grid->StdDefaultRowHeight());
  ds.First();

  ui::TPicture picture;
  EXPECT_TRUE(LoadGraphicFieldPicture(ds.Fields(0), picture));
  EXPECT_EQ(picture.Width(), 40);
  ds.Next();
  EXPECT_FALSE(LoadGraphicFieldPicture(ds.Fields(0), picture));
  EXPECT_TRUE(picture.Empty());
}

}  // namespace

namespace {

// The program's grids: row select, record numbers, 3D fixed cells.
TEST_F(DataCells, BoundGridFocusedAndUnfocusedBothDirections) {
  CellTable t({u"alpha", u"beta", u"gamma"});
  grid->SetOptions(grid->Options() + dgRowSelect);
  grid->SetOptionsEx(grid->OptionsEx() + dghShowRecNo);
  grid->SetDataSource(&t.src);
  const int top = grid->TopDataOffset();
  const uint32_t bgr = CellRgb(ui::clHighlight);
  const uint32_t highlight = qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  // The colour at the top middle of a cell, above its text.
  // Cell rectangles are the window's, mirrored already right to left.
  auto at = [&](const QImage& Img, int Col, int Row) {
    const TRect r = grid->CellRangeRect(Col, Row, Col, Row);
    return static_cast<uint32_t>(Img.pixel((r.Left + r.Right) / 2, r.Top + 1));
  };
  for (bool rtl : {false, true}) {
    grid->SetBiDiMode(rtl ? ui::bdRightToLeft : ui::bdLeftToRight);
    for (bool focused : {true, false}) {
      grid->focused = focused;
      grid->Invalidate();
      h.ProcessEvents();
      const QImage img = Grab();
      h.SaveScreenshot(grid, std::string("grid_data_cells_") + (rtl ? "rtl" : "ltr") +
                                 (focused ? "_focused" : "_unfocused"));
      for (int col = 1; col <= 2; ++col) {
        EXPECT_EQ(at(img, col, top) == highlight, focused) << rtl << focused << col;
        EXPECT_NE(at(img, col, top + 1), highlight) << rtl << focused << col;
      }
      // Record numbers and texts show in both directions; right to left the
      // number column lies right of the text column.
      EXPECT_TRUE(HasInk(img, 1, top + 1));
      EXPECT_TRUE(HasInk(img, 2, top + 1));
      const bool numbersRight = grid->CellRangeRect(1, top, 1, top).Left > grid->CellRangeRect(2, top, 2, top).Left;
      EXPECT_EQ(numbersRight, rtl);
    }
  }
}

}  // namespace

namespace {

TEST_F(DataCells, RequiredFieldMarkerWhileANewRecordLacksTheValue) {
  CellTable t({u"a"});
  grid->SetDataSource(&t.src);
  t.ds.FieldByName(u"S")->SetRequired(true);
  TColumnEx* s = grid->Columns()->ColumnAt(1);
  s->SetHighlightRequired(true);
  const int col = grid->DataColToGridCol(1);
  auto redDots = [&]() {
    grid->Invalidate();
    h.ProcessEvents();
    const QImage img = Grab();
    const int row = grid->TopDataOffset() + grid->DataLink()->ActiveRecord();
    const TRect r = grid->CellRangeRect(col, row, col, row);
    int red = 0;
    for (int x = r.Left; x < r.Right; ++x)
      if (img.pixel(x, r.Bottom - 2) == qRgb(255, 0, 0)) ++red;
    return red;
  };
  struct Case {
    const char* name;
    bool append, fill;
    bool marker;
  };
  for (const Case& c : {Case{"browsing", false, false, false}, Case{"new record, empty", true, false, true},
                        Case{"new record, filled", true, true, false}}) {
    if (c.append) t.ds.Append();
    if (c.fill) t.ds.FieldByName(u"S")->SetAsString(u"x");
    EXPECT_EQ(redDots() > 5, c.marker) << c.name;
    if (c.append) t.ds.Cancel();
  }
}

}  // namespace
