// Button faces and their cache, the glyph geometry, check-box placement and
// the drawing helpers (dotted lines, gradients, blending), and a sheet of
// every face saved as a screenshot.
#include <gtest/gtest.h>

#include "grid/editor_support/button_faces.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/themes.h"
#include "grid/editor_support/tool_routines.h"

namespace {

using namespace grid;
using namespace ui;

struct Faces : ::testing::Test {
  uitest::Harness h;
  void SetUp() override {
    SetThemesEnabled(false);
    EditorSystemMetrics() = TEditorSystemMetrics{};
    InitEditorTools();
    FlushButtonBitmapCache();
  }
  void TearDown() override {
    DoneEditorTools();
    SetThemesEnabled(true);
  }
  // A bitmap filled with a marker colour, a face drawn over it.
  std::unique_ptr<TBitmap> Face(TDrawButtonControlStyleEx Style, int W, int H, int Down = 0, bool Flat = false,
                                bool Active = false, bool Enabled = true, TColor Parent = clRed) {
    auto b = std::make_unique<TBitmap>(W, H);
    b->Canvas()->Brush()->SetColor(clLime);
    b->Canvas()->FillRect(Rect(0, 0, W, H));
    DrawEditButtonFace(b->Canvas(), Rect(0, 0, W, H), Parent, Style, Down, Flat, Active, Enabled, cbUnchecked);
    return b;
  }
  static std::uint32_t Px(TBitmap* B, int X, int Y) { return ColorToRGB(B->Canvas()->Pixel(X, Y)); }
  // Lengths of the runs of Colour along a row.
  static std::vector<int> Runs(TBitmap* B, int Y, TColor Colour) {
    std::vector<int> runs;
    int run = 0;
    for (int x = 0; x <= B->Width(); ++x) {
      bool on = x < B->Width() && Px(B, x, Y) == ColorToRGB(Colour);
      if (on) ++run;
      if (!on && run) {
        runs.push_back(run);
        run = 0;
      }
    }
    return runs;
  }
};

TEST_F(Faces, CacheReusesEqualFacesAddsNewOnesAndRefillsAfterAFlush) {
  TBitmap target(40, 40);
  auto draw = [&](TDrawButtonControlStyleEx s, int w, int down, bool flat, bool enabled) {
    DrawEditButtonFace(target.Canvas(), Rect(0, 0, w, 20), clBtnFace, s, down, flat, false, enabled, cbUnchecked);
  };
  draw(bcsEllipsisEx, 16, 0, false, true);
  EXPECT_EQ(GlobalButtonBitmapCache->Count(), 1);
  draw(bcsEllipsisEx, 16, 0, false, true);  // hit
  EXPECT_EQ(GlobalButtonBitmapCache->Count(), 1);
  draw(bcsEllipsisEx, 17, 0, false, true);  // size
  draw(bcsEllipsisEx, 16, 1, false, true);  // pressed
  draw(bcsEllipsisEx, 16, 0, false, false); // enabled
  draw(bcsPlusEx, 16, 0, false, true);      // style
  EXPECT_EQ(GlobalButtonBitmapCache->Count(), 5);
  draw(bcsUpDownEx, 16, 2, false, true);  // two halves: two entries
  EXPECT_EQ(GlobalButtonBitmapCache->Count(), 7);
  draw(bcsUpDownEx, 16, 2, false, true);
  EXPECT_EQ(GlobalButtonBitmapCache->Count(), 7);
  FlushButtonBitmapCache();
  EXPECT_EQ(GlobalButtonBitmapCache->Count(), 0);
  draw(bcsEllipsisEx, 16, 0, false, true);
  EXPECT_EQ(GlobalButtonBitmapCache->Count(), 1);

  // A cached face and a directly painted one look the same.
  auto cached = Face(bcsPlusEx, 18, 18);
  ButtonFaceCacheEnabled = false;
  auto direct = Face(bcsPlusEx, 18, 18);
  ButtonFaceCacheEnabled = true;
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 18; ++x) ASSERT_EQ(Px(cached.get(), x, y), Px(direct.get(), x, y)) << x << "," << y;
  // Negative sizes are stored as zero and paint nothing.
  TButtonBitmapInfoEx k;
  k.Size = {-3, 5};
  EXPECT_EQ(GlobalButtonBitmapCache->GetButtonBitmap(k)->Width(), 0);
}

TEST_F(Faces, UpDownStripBetweenHalvesOnlyForOddHeights) {
  auto odd = Face(bcsUpDownEx, 16, 15);
  EXPECT_EQ(Runs(odd.get(), 7, clRed), std::vector<int>{16});
  for (int y : {6, 8}) EXPECT_TRUE(Runs(odd.get(), y, clRed).empty()) << y;
  auto even = Face(bcsUpDownEx, 16, 16);
  for (int y = 0; y < 16; ++y) EXPECT_TRUE(Runs(even.get(), y, clRed).empty()) << y;
  auto alt = Face(bcsAltUpDownEx, 16, 17);
  EXPECT_EQ(Runs(alt.get(), 8, clRed), std::vector<int>{16});
}

TEST_F(Faces, FlatButtonsWithoutStylesShowParentOrAThinEdge) {
  const std::uint32_t red = ColorToRGB(clRed);
  auto flat = Face(bcsEllipsisEx, 16, 16, 0, true, false);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(Px(flat.get(), i, 0), red);
    EXPECT_EQ(Px(flat.get(), 0, i), red);
    EXPECT_EQ(Px(flat.get(), i, 15), red);
    EXPECT_EQ(Px(flat.get(), 15, i), red);
  }
  EXPECT_EQ(Px(flat.get(), 1, 1), ColorToRGB(clBtnFace));

  // Hot: a thin raised edge, sunken while pressed.
  for (bool pressed : {false, true}) {
    auto hot = Face(bcsEllipsisEx, 16, 16, pressed ? 1 : 0, true, true);
    TBitmap ref(16, 16);
    TRect r = Rect(0, 0, 16, 16);
    ref.Canvas()->DrawEdge(r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    EXPECT_EQ(Px(hot.get(), 0, 0), Px(&ref, 0, 0)) << pressed;
    EXPECT_EQ(Px(hot.get(), 15, 15), Px(&ref, 15, 15)) << pressed;
    EXPECT_NE(Px(hot.get(), 0, 0), Px(hot.get(), 15, 15));
  }
  // A flat up-down frames its own rectangle, not a pixel beyond it.
  TBitmap wide(20, 20);
  wide.Canvas()->Brush()->SetColor(clLime);
  wide.Canvas()->FillRect(Rect(0, 0, 20, 20));
  DrawEditButtonFace(wide.Canvas(), Rect(2, 2, 18, 18), clRed, bcsUpDownEx, 0, true, false, true, cbUnchecked);
  EXPECT_EQ(Px(&wide, 1, 1), ColorToRGB(clLime));
  EXPECT_EQ(Px(&wide, 18, 10), ColorToRGB(clLime));
  EXPECT_EQ(Px(&wide, 2, 2), ColorToRGB(clRed));
  EXPECT_EQ(Px(&wide, 17, 17), ColorToRGB(clRed));
}

TEST_F(Faces, EllipsisDotsFollowTheGlyphWidth) {
  struct Case {
    int face;  // non-flat: the glyph area is two pixels in on each side
    int dot, gap;
  } cases[] = {{11, 1, 1}, {16, 2, 2}, {13, 2, 1}, {9, 1, 1}};
  for (const Case& c : cases) {
    auto b = Face(bcsEllipsisEx, c.face, c.face);
    int row = -1;
    for (int y = 0; y < c.face && row < 0; ++y)
      if (!Runs(b.get(), y, clBtnText).empty()) row = y;
    ASSERT_GE(row, 0) << c.face;
    EXPECT_EQ(Runs(b.get(), row, clBtnText), std::vector<int>(3, c.dot)) << c.face;
    // Gap: distance between the first two runs.
    int first = -1, second = -1;
    for (int x = 0; x < c.face; ++x) {
      bool on = Px(b.get(), x, row) == ColorToRGB(clBtnText);
      if (on && first < 0) first = x;
      if (on && first >= 0 && x > first + c.dot - 1 && second < 0) second = x;
    }
    EXPECT_EQ(second - first - c.dot, c.gap) << c.face;
  }
}

TEST_F(Faces, ArrowWidthFollowsTheFaceSize) {
  struct Case {
    int face, width;
  } cases[] = {{11, 3}, {12, 5}, {15, 5}, {16, 7}, {19, 9}};
  for (const Case& c : cases) {
    auto b = Face(bcsAltDropDownEx, c.face, c.face);
    int widest = 0;
    for (int y = 0; y < c.face; ++y)
      for (int r : Runs(b.get(), y, clWindowText)) widest = std::max(widest, r);
    EXPECT_EQ(widest, c.width) << c.face;
  }
}

TEST_F(Faces, CheckBoxIsACentredSquareOfTheShorterSide) {
  for (bool cache : {true, false}) {
    ButtonFaceCacheEnabled = cache;
    TBitmap b(30, 16);
    b.Canvas()->Brush()->SetColor(clLime);
    b.Canvas()->FillRect(Rect(0, 0, 30, 16));
    DrawEditButtonFace(b.Canvas(), Rect(0, 0, 30, 16), clRed, bcsCheckboxEx, 0, false, false, true, cbChecked);
    EXPECT_EQ(Px(&b, 6, 8), ColorToRGB(clLime)) << cache;
    EXPECT_NE(Px(&b, 7, 8), ColorToRGB(clLime)) << cache;
    EXPECT_NE(Px(&b, 22, 8), ColorToRGB(clLime)) << cache;
    EXPECT_EQ(Px(&b, 23, 8), ColorToRGB(clLime)) << cache;
  }
  ButtonFaceCacheEnabled = true;
}

TEST_F(Faces, FlatButtonWidthAndHeights) {
  EditorSystemMetrics().ScreenTextHeight = 16;
  EXPECT_EQ(ComputeFlatButtonWidth(), 11);
  SetThemesEnabled(true);
  if (ThemesEnabled()) EXPECT_EQ(ComputeFlatButtonWidth(), 12);
  SetThemesEnabled(false);
  EditorSystemMetrics().VScrollWidth = 10;
  EXPECT_EQ(ComputeFlatButtonWidth(), 10);
  EXPECT_EQ(ButtonHeightFromWidth(11, true), 16);  // 16.5 to even
  EXPECT_EQ(ButtonHeightFromWidth(13, true), 20);  // 19.5 to even
  EXPECT_EQ(ButtonHeightFromWidth(13, false), 13);
  InitEditorTools();
  EXPECT_EQ(CheckBoxWidth, 13);
  EXPECT_EQ(CheckBoxHeight, 13);
}

TEST_F(Faces, CheckBoxPlacementInACell) {
  const TRect cell = Rect(10, 20, 50, 40);
  struct Case {
    TAlignment h;
    TTextLayout v;
    TRect expect;
  } cases[] = {
      {taLeftJustify, tlTop, Rect(10, 20, 23, 33)},
      {taRightJustify, tlBottom, Rect(37, 27, 50, 40)},
      {taCenter, tlCenter, Rect(24, 24, 37, 37)},
  };
  for (const Case& c : cases) EXPECT_EQ(AlignCheckBoxRect(cell, c.h, c.v), c.expect);
  // Smaller than the box: clipped to the cell, from its corner.
  EXPECT_EQ(AlignCheckBoxRect(Rect(0, 0, 8, 9), taCenter, tlCenter), Rect(0, 0, 8, 9));
}

TEST_F(Faces, BlendingAndGradientsRoundToNearest) {
  EXPECT_EQ(BlendColorsPercent(clBlack, clWhite, 50), RGBColor(128, 128, 128));
  EXPECT_EQ(BlendColorsPercent(RGBColor(0, 0, 0), RGBColor(255, 0, 100), 30), RGBColor(76, 0, 30));
  TBitmap b(4, 5);
  FillVerticalGradient(b.Canvas(), Rect(0, 0, 4, 5), clBlack, RGBColor(200, 100, 0));
  EXPECT_EQ(Px(&b, 0, 0), ColorToRGB(clBlack));
  EXPECT_EQ(Px(&b, 3, 2), ColorToRGB(RGBColor(100, 50, 0)));
  EXPECT_EQ(Px(&b, 1, 4), ColorToRGB(RGBColor(200, 100, 0)));
  TBitmap one(4, 4);
  one.Canvas()->Brush()->SetColor(clLime);
  one.Canvas()->FillRect(Rect(0, 0, 4, 4));
  FillVerticalGradient(one.Canvas(), Rect(0, 0, 4, 1), clBlack, clWhite);
  EXPECT_EQ(Px(&one, 0, 0), ColorToRGB(clLime));
}

TEST_F(Faces, DottedLinesShareOneCheckerboardEvenWithAZeroWidthPen) {
  TBitmap b(12, 12);
  b.Canvas()->Brush()->SetColor(clWhite);
  b.Canvas()->FillRect(Rect(0, 0, 12, 12));
  b.Canvas()->Pen()->SetColor(clBlack);
  b.Canvas()->Pen()->SetWidth(0);
  DrawDottedLine(b.Canvas(), Point(3, 0), 10, false, false);
  DrawDottedLine(b.Canvas(), Point(4, 1), 10, false, false);
  DrawDottedLine(b.Canvas(), Point(0, 6), 9, false, true);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x)
      if (Px(&b, x, y) == ColorToRGB(clBlack)) EXPECT_EQ((x + y) % 2, 0) << x << "," << y;
  int dots = 0;
  for (int y = 0; y < 12; ++y) dots += Px(&b, 3, y) == ColorToRGB(clBlack);
  EXPECT_EQ(dots, 5);  // start moved one down to the checkerboard: 9 rows, 5 dots
  b.Canvas()->Pen()->SetWidth(1);
  DrawDottedLine(b.Canvas(), Point(8, 0), 5, true, false);
  EXPECT_EQ(Px(&b, 8, 1), ColorToRGB(clBlack));
  EXPECT_EQ(Px(&b, 8, 0), ColorToRGB(clWhite));
}

// Every face in every state, classic and themed, for a look by eye.
class FaceSheet : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(ClientRect());
    const TDrawButtonControlStyleEx styles[] = {bcsDropDownEx, bcsEllipsisEx, bcsUpDownEx, bcsCheckboxEx,
                                                bcsPlusEx,     bcsMinusEx,    bcsAltDropDownEx, bcsAltUpDownEx};
    struct State {
      int down;
      bool flat, active, enabled;
    } states[] = {{0, false, false, true}, {1, false, false, true}, {2, false, false, true}, {0, false, true, true},
                  {0, false, false, false}, {0, true, false, true},  {0, true, true, true},  {1, true, true, true},
                  {0, true, false, false}};
    int y = 4;
    for (auto s : styles) {
      int x = 4;
      for (const State& st : states) {
        for (TCheckBoxState check : {cbUnchecked, cbChecked, cbGrayed}) {
          if (s != bcsCheckboxEx && check != cbUnchecked) continue;
          DrawEditButtonFace(c, Bounds(x, y, 17, 19), clBtnFace, s, st.down, st.flat, st.active, st.enabled, check);
          x += 21;
        }
      }
      y += 23;
    }
    for (int k = 0; k < 12; ++k) DrawTreeElement(c, Bounds(4 + k * 18, y, 18, 18), k, false, 1, 1, false);
  }
};

TEST_F(Faces, SheetOfEveryFaceIsSavedAsAScreenshot) {
  for (bool themed : {false, true}) {
    SetThemesEnabled(themed);
    FlushButtonBitmapCache();
    auto* form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 620, 230);
    auto* sheet = new FaceSheet(form);
    sheet->SetParent(form);
    sheet->SetAlign(alClient);
    h.Show(form);
    const std::string path = h.SaveScreenshot(sheet, themed ? "edit_button_faces_themed" : "edit_button_faces_classic");
    EXPECT_FALSE(path.empty());
    // The drop-down face of the first row is painted, not left as background.
    EXPECT_NE(h.PixelAt(sheet, 12, 12), clNone);
    Free(form);
  }
}

}  // namespace
