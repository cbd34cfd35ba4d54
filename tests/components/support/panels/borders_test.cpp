#include "components/support/panels/kit_borders.h"
#include "components/support/panels/kit_colors.h"
#include "tests/components/support/panels/test_util.h"

using namespace kit;
using paneltest::Board;
using paneltest::Rgb;

namespace {

using paneltest::kBack;

struct Probe {
  int x, y;
  ui::TColor color;
};

struct StyleRow {
  TFrameStyle style;
  std::vector<Probe> probes;
  TRect inside;
};

// 10 x 8 board, all four sides.
TEST(BorderSidesTest, EveryFrameStyleAllSides) {
  using namespace ui;
  const StyleRow rows[] = {
      {fsNone, {{0, 0, kBack}, {9, 7, kBack}}, Rect(0, 0, 10, 8)},
      {fsFlat, {{0, 3, cl3DDkShadow}, {5, 0, cl3DDkShadow}, {9, 3, cl3DDkShadow}, {5, 7, cl3DDkShadow}, {1, 1, kBack}},
       Rect(1, 1, 9, 7)},
      {fsStatus, {{0, 3, clBtnShadow}, {5, 0, clBtnShadow}, {9, 3, clBtnHighlight}, {5, 7, clBtnHighlight}},
       Rect(1, 1, 9, 7)},
      {fsPopup, {{0, 3, clBtnHighlight}, {5, 0, clBtnHighlight}, {9, 3, clBtnShadow}, {5, 7, clBtnShadow},
                 {0, 7, clBtnShadow}, {9, 0, clBtnShadow}, {0, 0, clBtnHighlight}},
       Rect(1, 1, 9, 7)},
      {fsFlatBold, {{0, 3, clBtnShadow}, {1, 3, clBtnShadow}, {8, 6, clBtnShadow}, {2, 2, kBack}}, Rect(2, 2, 8, 6)},
      {fsRaised, {{0, 3, cl3DLight}, {5, 0, cl3DLight}, {9, 3, cl3DDkShadow}, {5, 7, cl3DDkShadow},
                  {1, 3, clBtnHighlight}, {5, 1, clBtnHighlight}, {8, 3, clBtnShadow}, {5, 6, clBtnShadow},
                  {2, 2, kBack}},
       Rect(2, 2, 8, 6)},
      {fsLowered, {{0, 3, clBtnShadow}, {9, 3, clBtnHighlight}, {1, 3, cl3DDkShadow}, {8, 3, cl3DLight}},
       Rect(2, 2, 8, 6)},
      {fsButtonUp, {{0, 3, clBtnHighlight}, {9, 3, cl3DDkShadow}, {1, 3, cl3DLight}, {8, 3, clBtnShadow}},
       Rect(2, 2, 8, 6)},
      {fsButtonDown, {{0, 3, clBtnText}, {9, 3, clBtnText}, {1, 3, clBtnShadow}, {5, 6, clBtnShadow}},
       Rect(2, 2, 8, 6)},
      // Etched: dark line outside, light line one pixel in on the upper-left;
      // the other way round on the lower-right.
      {fsGroove, {{0, 3, clBtnShadow}, {1, 3, clBtnHighlight}, {5, 0, clBtnShadow}, {5, 1, clBtnHighlight},
                  {8, 3, clBtnShadow}, {9, 3, clBtnHighlight}, {5, 6, clBtnShadow}, {5, 7, clBtnHighlight},
                  {9, 0, clBtnHighlight}, {0, 7, clBtnHighlight}, {2, 2, kBack}},
       Rect(2, 2, 8, 6)},
      {fsBump, {{0, 3, clBtnHighlight}, {1, 3, clBtnShadow}, {8, 3, clBtnHighlight}, {9, 3, clBtnShadow},
                {9, 0, clBtnShadow}},
       Rect(2, 2, 8, 6)},
      {fsFlatRounded, {{0, 0, kBack}, {1, 0, kBack}, {2, 0, clBtnShadow}, {1, 1, clBtnShadow}, {0, 3, clBtnShadow},
                       {8, 6, clBtnShadow}, {9, 7, kBack}},
       Rect(2, 2, 8, 6)},
  };
  for (const auto& row : rows) {
    Board b(10, 8, kBack);
    TRect inside = DrawBorderSides(b.C(), Rect(0, 0, 10, 8), row.style, sdAllSides);
    EXPECT_EQ(inside, row.inside) << "style " << row.style;
    for (const Probe& p : row.probes)
      EXPECT_EQ(b.At(p.x, p.y), Rgb(p.color)) << "style " << row.style << " at " << p.x << "," << p.y;
  }
}

TEST(BorderSidesTest, SideSetsDrawOnlyTheirSides) {
  using namespace ui;
  struct Row {
    TFrameStyle style;
    TSides sides;
    std::vector<Probe> probes;
    TRect inside;
  };
  const Row rows[] = {
      {fsRaised, TSides{}, {{0, 3, kBack}, {9, 3, kBack}}, Rect(0, 0, 10, 8)},
      {fsRaised, TSides{sdLeft, sdBottom}, {{0, 3, cl3DLight}, {5, 7, cl3DDkShadow}, {5, 0, kBack}, {9, 3, kBack}},
       Rect(2, 0, 10, 6)},
      {fsStatus, TSides{sdTop, sdRight}, {{5, 0, clBtnShadow}, {9, 3, clBtnHighlight}, {0, 3, kBack}, {5, 7, kBack}},
       Rect(0, 1, 9, 8)},
      // Etched corner pixels carry the light line round where a neighbour side is missing.
      {fsGroove, TSides{sdTop, sdRight}, {{0, 1, clBtnHighlight}, {9, 0, clBtnHighlight}, {8, 7, clBtnShadow},
                                          {0, 3, kBack}, {5, 0, clBtnShadow}},
       Rect(0, 2, 8, 8)},
      {fsGroove, TSides{sdLeft, sdBottom}, {{1, 0, clBtnHighlight}, {0, 7, clBtnHighlight}, {9, 6, clBtnShadow}},
       Rect(2, 0, 10, 6)},
  };
  for (const auto& row : rows) {
    Board b(10, 8, kBack);
    TRect inside = DrawBorderSides(b.C(), Rect(0, 0, 10, 8), row.style, row.sides);
    EXPECT_EQ(inside, row.inside) << "style " << row.style << " sides " << row.sides.Bits();
    for (const Probe& p : row.probes)
      EXPECT_EQ(b.At(p.x, p.y), Rgb(p.color))
          << "style " << row.style << " sides " << row.sides.Bits() << " at " << p.x << "," << p.y;
  }
}

TEST(BorderSidesTest, SidesBoxesAndRoundedBorder) {
  using namespace ui;
  Board b(10, 8, kBack);
  EXPECT_EQ(DrawSides(b.C(), Rect(0, 0, 10, 8), clRed, clBlue, TSides{}), Rect(0, 0, 10, 8));
  EXPECT_EQ(b.At(0, 0), Rgb(kBack));

  // The lower-right colour wins the two corners it shares.
  EXPECT_EQ(DrawSides(b.C(), Rect(0, 0, 10, 8), clRed, clBlue, sdAllSides), Rect(1, 1, 9, 7));
  EXPECT_EQ(b.At(0, 0), Rgb(clRed));
  EXPECT_EQ(b.At(9, 0), Rgb(clBlue));
  EXPECT_EQ(b.At(0, 7), Rgb(clBlue));
  // clNone leaves a colour's sides alone.
  Board n(10, 8, kBack);
  DrawSides(n.C(), Rect(0, 0, 10, 8), clNone, clBlue, sdAllSides);
  EXPECT_EQ(n.At(0, 3), Rgb(kBack));
  EXPECT_EQ(n.At(9, 3), Rgb(clBlue));

  Board box(10, 8, kBack);
  EXPECT_EQ(DrawBox(box.C(), Rect(0, 0, 10, 8), clRed, sdAllSides, 3, clRed), Rect(3, 3, 7, 5));
  EXPECT_EQ(box.At(2, 4), Rgb(clRed));
  EXPECT_EQ(box.At(3, 3), Rgb(kBack));

  Board r(10, 8, kBack);
  EXPECT_EQ(DrawRoundedFlatBorder(r.C(), Rect(0, 0, 10, 8), clRed, TSides{sdLeft, sdTop}), Rect(2, 2, 10, 8));
  EXPECT_EQ(r.At(1, 1), Rgb(clRed));    // inner corner pixel
  EXPECT_EQ(r.At(0, 1), Rgb(kBack));    // edge stops short of the corner
  EXPECT_EQ(r.At(0, 7), Rgb(clRed));    // no bottom side: the left edge runs through
  EXPECT_EQ(r.At(9, 0), Rgb(clRed));
  EXPECT_EQ(r.At(8, 6), Rgb(kBack));
}

TEST(DrawFrameTest, OuterBandInner) {
  using namespace ui;
  Board b(20, 16, kBack);
  TFrameParams p;
  p.OuterStyle = fsFlat;
  p.FlatColor = RGBColor(128, 128, 128);
  p.FlatColorAdjustment = 0;
  p.BorderColor = clRed;
  p.BorderWidth = 2;
  p.InnerStyle = fsLowered;
  TRect inside = DrawFrame(b.C(), Rect(0, 0, 20, 16), p);
  EXPECT_EQ(inside, Rect(5, 5, 15, 11));
  EXPECT_EQ(b.At(0, 8), Rgb(RGBColor(128, 128, 128)));
  EXPECT_EQ(b.At(1, 8), Rgb(clRed));
  EXPECT_EQ(b.At(2, 8), Rgb(clRed));
  EXPECT_EQ(b.At(3, 8), Rgb(clBtnShadow));
  EXPECT_EQ(b.At(4, 8), Rgb(cl3DDkShadow));
  EXPECT_EQ(b.At(5, 8), Rgb(kBack));

  // The flat colour is adjusted; popup and status boxes are bevel-width deep.
  Board f(20, 16, kBack);
  p = TFrameParams{};
  p.OuterStyle = fsPopup;
  p.BevelWidth = 3;
  p.BorderHighlight = clYellow;
  p.BorderShadow = clBlue;
  p.InnerStyle = fsFlatBold;
  p.FlatColor = RGBColor(255, 0, 0);
  p.FlatColorAdjustment = 60;
  inside = DrawFrame(f.C(), Rect(0, 0, 20, 16), p);
  EXPECT_EQ(inside, Rect(5, 5, 15, 11));
  EXPECT_EQ(f.At(2, 8), Rgb(clYellow));
  EXPECT_EQ(f.At(17, 8), Rgb(clBlue));
  EXPECT_EQ(f.At(3, 8), Rgb(RGBColor(255, 128, 128)));
  EXPECT_EQ(f.At(4, 8), Rgb(RGBColor(255, 128, 128)));
}

TEST(DrawFrameTest, RoundedOuterShowsParentInTheCorners) {
  using namespace ui;
  Board b(12, 10, kBack);
  TFrameParams p;
  p.OuterStyle = fsFlatRounded;
  p.ParentColor = clLime;
  p.PanelColor = clYellow;
  p.FlatColor = clRed;
  p.FlatColorAdjustment = 0;
  TRect inside = DrawFrame(b.C(), Rect(0, 0, 12, 10), p);
  EXPECT_EQ(inside, Rect(2, 2, 10, 8));
  EXPECT_EQ(b.At(0, 0), Rgb(clLime));
  EXPECT_EQ(b.At(1, 0), Rgb(clLime));
  EXPECT_EQ(b.At(2, 0), Rgb(clRed));
  EXPECT_EQ(b.At(1, 1), Rgb(clRed));
  EXPECT_EQ(b.At(2, 1), Rgb(clYellow));
  EXPECT_EQ(b.At(11, 9), Rgb(clLime));
}

TEST(LibraryHelpersTest, LastCharAndRotatedFont) {
  EXPECT_EQ(LastChar(u"abc"), u'c');
  EXPECT_THROW(LastChar(u""), rtl::ERangeError);
  ui::TFont f;
  f.SetName(u"Verdana");
  f.SetStyle({ui::fsBold});
  auto r = CreateRotatedFont(&f, 90);
  EXPECT_EQ(r->Orientation(), 900);
  EXPECT_TRUE(r->Style().Contains(ui::fsBold));
  EXPECT_EQ(r->Name(), u"Verdana");
}

}  // namespace
