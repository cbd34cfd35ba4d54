#include "components/support/panels/kit_grafx.h"
#include "tests/components/support/panels/test_util.h"

using namespace kit;
using paneltest::Board;
using paneltest::Rgb;

namespace {

using paneltest::kBack;
const ui::TColor kA = ui::RGBColor(250, 20, 10);
const ui::TColor kB = ui::RGBColor(10, 40, 220);

const TGradientDirection kAll[] = {gdDiagonalUp,  gdDiagonalDown,   gdHorizontalEnd, gdHorizontalCenter,
                                   gdHorizontalBox, gdVerticalEnd, gdVerticalCenter, gdVerticalBox,
                                   gdSquareBox,   gdBigSquareBox};

bool AllPixels(Board& b, int w, int h, ui::TColor c) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (b.At(x, y) != Rgb(c)) return false;
  return true;
}

TEST(GradientTest, EmptyRectanglePaintsNothing) {
  for (TGradientDirection d : kAll) {
    for (TRect r : {ui::Rect(3, 3, 3, 12), ui::Rect(3, 3, 15, 3)}) {
      Board b(20, 16, kBack);
      FillGradient(b.C(), r, d, 1, kA, kB);
      EXPECT_TRUE(AllPixels(b, 20, 16, kBack)) << "direction " << d;
    }
  }
}

TEST(GradientTest, EqualColoursAreSolid) {
  for (TGradientDirection d : kAll) {
    Board b(23, 17, kBack);
    FillGradient(b.C(), ui::Rect(0, 0, 23, 17), d, 1, kA, kA);
    EXPECT_TRUE(AllPixels(b, 23, 17, kA)) << "direction " << d;
  }
}

TEST(GradientTest, PaintsOnlyItsRectangle) {
  for (TGradientDirection d : kAll) {
    Board b(30, 20, kBack);
    FillGradient(b.C(), ui::Rect(5, 4, 25, 16), d, 1, kA, kB);
    for (auto [x, y] : {std::pair{4, 10}, {25, 10}, {10, 3}, {10, 16}})
      EXPECT_EQ(b.At(x, y), Rgb(kBack)) << "direction " << d << " at " << x << "," << y;
    EXPECT_NE(b.At(15, 10), Rgb(kBack)) << "direction " << d;
  }
}

TEST(GradientTest, BoxPatternFourPixelsHighIsSolidSecondColour) {
  for (TGradientDirection d : {gdHorizontalBox, gdVerticalBox, gdSquareBox, gdBigSquareBox}) {
    Board b(30, 4, kBack);
    FillGradient(b.C(), ui::Rect(0, 0, 30, 4), d, 1, kA, kB);
    EXPECT_TRUE(AllPixels(b, 30, 4, kB)) << "direction " << d;
  }
}

TEST(GradientTest, EndPatternsRunFromSecondToFirstColour) {
  Board h(12, 40, kBack);
  FillGradient(h.C(), ui::Rect(0, 0, 12, 40), gdHorizontalEnd, 1, kA, kB);
  EXPECT_EQ(h.At(5, 0), Rgb(kB));
  EXPECT_EQ(h.At(5, 39), Rgb(kA));
  Board v(40, 12, kBack);
  FillGradient(v.C(), ui::Rect(0, 0, 40, 12), gdVerticalEnd, 1, kA, kB);
  EXPECT_EQ(v.At(0, 5), Rgb(kB));
  EXPECT_EQ(v.At(39, 5), Rgb(kA));

  // The band painter: colour A at the far end, moving towards B.
  Board f(20, 40, kBack);
  FillGradientFull(f.C(), ui::Rect(0, 0, 20, 40), gdHorizontalEnd, 1, kA, kB);
  EXPECT_EQ(f.At(3, 39), Rgb(kA));
  for (int y = 0; y < 40; ++y) EXPECT_EQ(f.At(0, y), f.At(19, y)) << "row " << y << " is tiled";
}

TEST(GradientTest, StepsMergeBands) {
  // Eight steps: every band except the last spans at least eight rows.
  Board f(8, 120, kBack);
  FillGradientFull(f.C(), ui::Rect(0, 0, 8, 120), gdHorizontalEnd, 8, kA, kB);
  std::vector<int> runs{1};
  for (int y = 118; y >= 0; --y) {
    if (f.At(0, y) == f.At(0, y + 1))
      ++runs.back();
    else
      runs.push_back(1);
  }
  ASSERT_GT(runs.size(), 3u);
  for (std::size_t i = 0; i + 1 < runs.size(); ++i) EXPECT_GE(runs[i], 8) << "band " << i;
}

TEST(GradientTest, CentrePatternsAreSymmetric) {
  for (int h : {31, 30}) {
    Board b(16, h, kBack);
    FillGradient(b.C(), ui::Rect(0, 0, 16, h), gdHorizontalCenter, 1, kA, kB);
    int mid = h / 2;
    EXPECT_EQ(b.At(4, mid), Rgb(kA));
    EXPECT_NE(b.At(4, 0), Rgb(kA));
    for (int k = 1; mid - k >= 0 && mid + k < h; ++k)
      for (int x : {0, 9, 15}) EXPECT_EQ(b.At(x, mid - k), b.At(x, mid + k)) << "height " << h << " k " << k;
  }
  Board v(31, 12, kBack);
  FillGradient(v.C(), ui::Rect(0, 0, 31, 12), gdVerticalCenter, 1, kA, kB);
  EXPECT_EQ(v.At(15, 3), Rgb(kA));
  for (int k = 1; k <= 15; ++k) EXPECT_EQ(v.At(15 - k, 6), v.At(15 + k, 6)) << k;
}

TEST(GradientTest, BoxPatternsAreMirroredBothWays) {
  for (TGradientDirection d : {gdHorizontalBox, gdVerticalBox, gdSquareBox, gdBigSquareBox}) {
    for (auto [w, h] : {std::pair{41, 27}, {40, 26}}) {
      Board b(w, h, kBack);
      FillGradient(b.C(), ui::Rect(0, 0, w, h), d, 1, kA, kB);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          ASSERT_EQ(b.At(x, y), b.At(w - 1 - x, y)) << "direction " << d << " " << w << "x" << h << " at " << x << "," << y;
          ASSERT_EQ(b.At(x, y), b.At(x, h - 1 - y)) << "direction " << d << " " << w << "x" << h << " at " << x << "," << y;
        }
      // Colour A in the middle, further from it towards the corners.
      EXPECT_EQ(b.At(w / 2, h / 2), Rgb(kA)) << "direction " << d;
      EXPECT_NE(b.At(0, 0), Rgb(kA)) << "direction " << d;
    }
  }
}

TEST(GradientTest, DiagonalsRunCornerToCorner) {
  Board up(40, 30, kBack);
  FillGradient(up.C(), ui::Rect(0, 0, 40, 30), gdDiagonalUp, 1, kA, kB);
  Board down(40, 30, kBack);
  FillGradient(down.C(), ui::Rect(0, 0, 40, 30), gdDiagonalDown, 1, kA, kB);
  auto distance = [](std::uint32_t c, ui::TColor ref) {
    std::uint32_t r = Rgb(ref);
    return std::abs(int(ui::GetRValue(c)) - int(ui::GetRValue(r))) +
           std::abs(int(ui::GetBValue(c)) - int(ui::GetBValue(r)));
  };
  // Up: A at the bottom-left corner, B at the top-right.
  EXPECT_LT(distance(up.At(0, 29), kA), distance(up.At(0, 29), kB));
  EXPECT_LT(distance(up.At(39, 0), kB), distance(up.At(39, 0), kA));
  // Down: the other diagonal, colours swapped.
  EXPECT_LT(distance(down.At(0, 0), kB), distance(down.At(0, 0), kA));
  EXPECT_LT(distance(down.At(39, 29), kA), distance(down.At(39, 29), kB));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_NE(up.At(x, y), Rgb(kBack)) << x << "," << y;
}

}  // namespace
