// Canvas pixel rules: what is drawn and, as important, what is not.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <memory>

#include "platform/ui/qt_bridge.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

class CanvasTest : public ::testing::Test {
 protected:
  CanvasTest() : bmp(20, 20) {}
  TCanvas* c() { return bmp.Canvas(); }
  TColor At(int x, int y) { return bmp.Canvas()->Pixel(x, y); }
  TColor Rgb(TColor sys) { return static_cast<TColor>(ColorToRGB(sys)); }
  uitest::Harness h;
  TBitmap bmp;
};

TEST_F(CanvasTest, FillRectLeavesRightAndBottomEdgesOut) {
  c()->Brush()->SetColor(clRed);
  c()->FillRect(Rect(2, 3, 7, 9));
  EXPECT_EQ(At(2, 3), clRed);
  EXPECT_EQ(At(6, 8), clRed);
  EXPECT_EQ(At(7, 8), clWhite);
  EXPECT_EQ(At(6, 9), clWhite);
  EXPECT_EQ(At(1, 3), clWhite);
  // Inverted and clear: nothing.
  c()->Brush()->SetColor(clBlue);
  c()->FillRect(Rect(9, 9, 5, 5));
  c()->Brush()->SetStyle(bsClear);
  c()->FillRect(Rect(0, 0, 20, 20));
  EXPECT_EQ(At(6, 6), clRed);
  EXPECT_EQ(At(0, 0), clWhite);
}

TEST_F(CanvasTest, FrameRectIsOnePixelInside) {
  c()->Brush()->SetColor(clGreen);
  c()->FrameRect(Rect(2, 2, 8, 6));
  EXPECT_EQ(At(2, 2), clGreen);
  EXPECT_EQ(At(7, 5), clGreen);
  EXPECT_EQ(At(7, 2), clGreen);
  EXPECT_EQ(At(3, 3), clWhite);
  EXPECT_EQ(At(8, 5), clWhite);
  EXPECT_EQ(At(7, 6), clWhite);
}

TEST_F(CanvasTest, LineToLeavesTheEndPixelOut) {
  struct Case {
    TPoint from, to, lastIn, end;
  };
  std::vector<Case> cases = {
      {{1, 1}, {6, 1}, {5, 1}, {6, 1}},    // right
      {{6, 3}, {1, 3}, {2, 3}, {1, 3}},    // left
      {{1, 5}, {1, 10}, {1, 9}, {1, 10}},  // down
      {{4, 4}, {8, 8}, {7, 7}, {8, 8}},    // diagonal
      {{15, 2}, {10, 7}, {11, 6}, {10, 7}},
  };
  c()->Pen()->SetColor(clBlack);
  for (auto& cs : cases) {
    c()->MoveTo(cs.from.X, cs.from.Y);
    c()->LineTo(cs.to.X, cs.to.Y);
    EXPECT_EQ(At(cs.from.X, cs.from.Y), clBlack) << cs.from.X << "," << cs.from.Y;
    EXPECT_EQ(At(cs.lastIn.X, cs.lastIn.Y), clBlack) << cs.lastIn.X << "," << cs.lastIn.Y;
    EXPECT_EQ(At(cs.end.X, cs.end.Y), clWhite) << cs.end.X << "," << cs.end.Y;
    EXPECT_EQ(c()->PenPos(), cs.to);
  }
}

TEST_F(CanvasTest, PolylineDrawsEveryCornerButTheLastPoint) {
  c()->Pen()->SetColor(clBlue);
  c()->Polyline({{1, 1}, {5, 1}, {5, 5}, {1, 5}});
  EXPECT_EQ(At(1, 1), clBlue);
  EXPECT_EQ(At(5, 1), clBlue);
  EXPECT_EQ(At(5, 5), clBlue);
  EXPECT_EQ(At(2, 5), clBlue);
  EXPECT_EQ(At(1, 5), clWhite);
}

// A batch of segments leaves the pixels that one MoveTo/LineTo per segment
// leaves: touching, overlapping and reversed pieces, a slanted one, and a
// pen that combines with what is below (overlaps count twice there).
TEST_F(CanvasTest, LineSegmentsDrawAsOneLineToEach) {
  const std::vector<TPoint> straight = {{2, 1}, {2, 6},  {2, 5},  {2, 12}, {2, 14}, {2, 12}, {1, 3}, {9, 3},
                                        {8, 3}, {15, 3}, {19, 3}, {16, 3}, {5, 5},  {5, 5},  {7, 9}, {7, 18},
                                        {6, 9}, {6, 18}, {2, 12}, {2, 16}, {1, 3},  {9, 3}};
  std::vector<TPoint> slanted = straight;
  slanted.insert(slanted.begin() + 4, {{4, 8}, {11, 15}});
  for (const auto& ends : {straight, slanted}) {
    for (TPenMode mode : {pmCopy, pmXor}) {
      TBitmap one(20, 20), batch(20, 20);
      for (TBitmap* b : {&one, &batch}) {
        b->Canvas()->Brush()->SetColor(clTeal);
        b->Canvas()->FillRect(Rect(0, 0, 10, 20));
        b->Canvas()->Pen()->SetColor(clYellow);
        b->Canvas()->Pen()->SetMode(mode);
      }
      for (std::size_t i = 0; i + 1 < ends.size(); i += 2) {
        one.Canvas()->MoveTo(ends[i].X, ends[i].Y);
        one.Canvas()->LineTo(ends[i + 1].X, ends[i + 1].Y);
      }
      batch.Canvas()->LineSegments(ends);
      EXPECT_EQ(*one.Image(), *batch.Image()) << "mode " << mode;
      EXPECT_EQ(batch.Canvas()->PenPos(), ends.back());
    }
  }
}

TEST_F(CanvasTest, RectangleOutlinesInsideAndFillsWithTheBrush) {
  c()->Pen()->SetColor(clRed);
  c()->Brush()->SetColor(clBlue);
  c()->Rectangle(2, 2, 8, 6);
  for (TPoint p : {Point(2, 2), Point(7, 2), Point(2, 5), Point(7, 5), Point(4, 2), Point(2, 4)})
    EXPECT_EQ(At(p.X, p.Y), clRed) << p.X << "," << p.Y;
  EXPECT_EQ(At(3, 3), clBlue);
  EXPECT_EQ(At(6, 4), clBlue);
  EXPECT_EQ(At(8, 3), clWhite);
  EXPECT_EQ(At(4, 6), clWhite);
  // Without a pen the filled area is one pixel smaller on the right and bottom.
  c()->Pen()->SetStyle(psClear);
  c()->Brush()->SetColor(clLime);
  c()->Rectangle(10, 10, 15, 14);
  EXPECT_EQ(At(10, 10), clLime);
  EXPECT_EQ(At(13, 12), clLime);
  EXPECT_EQ(At(14, 12), clWhite);
  EXPECT_EQ(At(13, 13), clWhite);
}

TEST_F(CanvasTest, XorPenTwiceRestoresThePicture) {
  c()->Brush()->SetColor(clTeal);
  c()->FillRect(Rect(0, 0, 10, 10));
  c()->Pen()->SetMode(pmXor);
  c()->Pen()->SetColor(clWhite);
  c()->MoveTo(0, 5);
  c()->LineTo(15, 5);
  EXPECT_EQ(At(3, 5), static_cast<TColor>(ColorToRGB(clTeal) ^ 0xFFFFFF));
  EXPECT_EQ(At(12, 5), clBlack);
  c()->MoveTo(0, 5);
  c()->LineTo(15, 5);
  EXPECT_EQ(At(3, 5), clTeal);
  EXPECT_EQ(At(12, 5), clWhite);
}

TEST_F(CanvasTest, FocusRectIsDottedAndASecondCallErasesIt) {
  QImage before = *bmp.Image();
  c()->DrawFocusRect(Rect(2, 2, 12, 8));
  int inverted = 0;
  for (int x = 2; x < 12; ++x) inverted += At(x, 2) == clBlack;
  EXPECT_EQ(inverted, 5);  // every other pixel
  EXPECT_EQ(At(5, 5), clWhite);
  c()->DrawFocusRect(Rect(2, 2, 12, 8));
  EXPECT_TRUE(*bmp.Image() == before);
}

TEST_F(CanvasTest, DrawEdgeUsesTheClassicColoursAndAdjusts) {
  TRect r = Rect(0, 0, 10, 10);
  c()->DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  EXPECT_EQ(At(0, 0), Rgb(cl3DLight));
  EXPECT_EQ(At(0, 8), Rgb(cl3DLight));
  EXPECT_EQ(At(9, 0), Rgb(cl3DDkShadow));  // far corners belong to the shadow
  EXPECT_EQ(At(0, 9), Rgb(cl3DDkShadow));
  EXPECT_EQ(At(9, 9), Rgb(cl3DDkShadow));
  EXPECT_EQ(At(1, 1), Rgb(clBtnHighlight));
  EXPECT_EQ(At(8, 8), Rgb(clBtnShadow));
  EXPECT_EQ(At(5, 5), Rgb(clBtnFace));
  EXPECT_EQ(r, Rect(2, 2, 8, 8));

  TRect s = Rect(10, 10, 20, 20);
  c()->DrawEdge(s, EDGE_SUNKEN, BF_TOPLEFT);
  EXPECT_EQ(At(10, 10), Rgb(clBtnShadow));
  EXPECT_EQ(At(11, 11), Rgb(cl3DDkShadow));
  EXPECT_EQ(At(19, 19), clWhite);  // no right or bottom side asked for
  EXPECT_EQ(s, Rect(10, 10, 20, 20));
}

TEST_F(CanvasTest, PixelsAreExact) {
  c()->SetPixel(3, 4, RGBColor(1, 2, 3));
  EXPECT_EQ(At(3, 4), RGBColor(1, 2, 3));
  EXPECT_EQ(At(4, 4), clWhite);
  EXPECT_EQ(At(25, 4), clNone);
}

TEST_F(CanvasTest, CopyRectHandlesOverlapInOneBitmap) {
  for (int x = 0; x < 6; ++x) c()->SetPixel(x, 0, RGBColor(x * 10, 0, 0));
  c()->CopyRect(Rect(2, 0, 8, 1), c(), Rect(0, 0, 6, 1));
  for (int x = 0; x < 6; ++x) EXPECT_EQ(At(x + 2, 0), RGBColor(x * 10, 0, 0)) << x;
  // Mirrored copy.
  c()->CopyRect(Rect(15, 5, 9, 6), c(), Rect(2, 0, 8, 1));
  EXPECT_EQ(At(14, 5), RGBColor(0, 0, 0));
  EXPECT_EQ(At(9, 5), RGBColor(50, 0, 0));
}

TEST_F(CanvasTest, ClipRestoredWithTheSavedState) {
  int saved = c()->SaveDC();
  c()->IntersectClipRect(Rect(5, 5, 10, 10));
  c()->Pen()->SetColor(clRed);
  c()->Brush()->SetColor(clBlue);
  c()->FillRect(Rect(0, 0, 20, 20));
  EXPECT_EQ(At(5, 5), clBlue);
  EXPECT_EQ(At(4, 5), clWhite);
  EXPECT_EQ(At(10, 9), clWhite);
  c()->RestoreDC(saved);
  EXPECT_EQ(c()->Pen()->Color(), clBlack);
  EXPECT_EQ(c()->Brush()->Color(), clWhite);
  c()->Brush()->SetColor(clGreen);
  c()->FillRect(Rect(0, 0, 20, 20));
  EXPECT_EQ(At(0, 0), clGreen);
}

TEST_F(CanvasTest, DrawTextMeasuresAndWraps) {
  String text = u"Hello 世界";
  TRect r = Rect(3, 4, 3, 4);
  int h = c()->DrawText(text, r, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_EQ(r.Width(), c()->TextWidth(text));
  EXPECT_EQ(r.Height(), c()->TextHeight(text));
  EXPECT_EQ(h, r.Height());
  EXPECT_EQ(r.Left, 3);
  TRect narrow = Rect(0, 0, c()->TextWidth(u"Hello") + 2, 0);
  c()->DrawText(u"Hello Hello Hello", narrow, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_GE(narrow.Height(), 3 * c()->TextHeight(u"H"));
  // An ellipsis keeps a long line inside its rectangle.
  TBitmap wide(200, 20);
  TRect box = Rect(0, 0, 40, 20);
  wide.Canvas()->Font()->SetColor(clBlack);
  wide.Canvas()->Brush()->SetStyle(bsClear);
  wide.Canvas()->DrawText(u"A very long caption indeed", box, DT_SINGLELINE | DT_END_ELLIPSIS);
  for (int x = 40; x < 200; ++x)
    for (int y = 0; y < 20; ++y) ASSERT_EQ(wide.Canvas()->Pixel(x, y), clWhite) << x << "," << y;
}

// Widths are kept per font: a text measured again after the font changed,
// and changed back, measures as the font it is measured in.
TEST_F(CanvasTest, TextWidthFollowsEveryChangeOfTheFont) {
  struct Case {
    int size;
    TFontStyles style;
    const char16_t* face;
  } cases[] = {{8, {}, u"Tahoma"}, {20, {}, u"Tahoma"}, {8, {fsBold}, u"Tahoma"}, {8, {}, u"Courier New"}};
  const String texts[] = {u"Wide WWW", u"r12c3", u"世界", u""};
  for (int round = 0; round < 2; ++round)
    for (const Case& k : cases) {
      c()->Font()->SetName(k.face);
      c()->Font()->SetSize(k.size);
      c()->Font()->SetStyle(k.style);
      TFont same;
      same.Assign(c()->Font());
      const QFontMetrics fm(qt::ToQFont(same));
      for (const String& t : texts) {
        EXPECT_EQ(c()->TextWidth(t), fm.horizontalAdvance(qt::Q(t))) << k.size << " " << round;
        EXPECT_EQ(c()->TextHeight(t), fm.height());
      }
    }
}

// Cell texts are drawn from glyphs kept per font: each must land exactly
// where the painter's own text drawing puts it, the first time and from the
// kept glyphs, in every font, at any place, mirrored, for texts too long to
// keep and for scripts the canvas leaves to the painter.
TEST(KeptGlyphsTest, TextsLookExactlyAsThePainterDrawsThem) {
  uitest::Harness h;
  struct Case {
    int size;
    TFontStyles style;
    const char16_t* face;
    TColor colour;
  } cases[] = {{8, {}, u"Tahoma", clBlack},
               {13, {}, u"Tahoma", clNavy},
               {9, {fsBold}, u"Tahoma", clBlack},
               {10, {fsItalic}, u"Courier New", clMaroon},
               {9, {fsUnderline}, u"Tahoma", clBlack}};
  const String texts[] = {u"r12c3", u"Wide WWW - 1,234.50", u"AV To Wa ff fi", u"\u00c4\u00d6\u00dc\u00e9\u00df \u0416\u044b\u0432",
                          u"\u05e9\u05dc\u05d5\u05dd", u"\u4e16\u754c", String(80, u'x'), u" lead and trail "};
  for (bool mirrored : {false, true}) {
    TBitmap kept(400, 300);
    QImage direct(400, 300, kept.Image()->format());
    direct.fill(Qt::white);
    kept.Canvas()->Brush()->SetColor(clWhite);
    kept.Canvas()->FillRect(Rect(0, 0, 400, 300));
    kept.Canvas()->Brush()->SetStyle(bsClear);
    if (mirrored) kept.Canvas()->SetMirroring(true, 400);
    QPainter p(&direct);
    int y = 2;
    for (const Case& k : cases) {
      kept.Canvas()->Font()->SetName(k.face);
      kept.Canvas()->Font()->SetSize(k.size);
      kept.Canvas()->Font()->SetStyle(k.style);
      kept.Canvas()->Font()->SetColor(k.colour);
      const QFont font = qt::ToQFont(*kept.Canvas()->Font());
      const int ascent = QFontMetrics(font).ascent();
      p.setFont(font);
      p.setPen(qt::ToQColor(k.colour));
      for (int round = 0; round < 2; ++round)
        for (std::size_t t = 0; t < std::size(texts); ++t) {
          const int x = 3 + static_cast<int>(t) * 7 + round * 150;
          kept.Canvas()->TextOut(x, y, texts[t]);
          // Measured from the kept glyphs, a text is as wide as the font measures it.
          const int w = kept.Canvas()->DrawnTextWidth(texts[t]);
          EXPECT_EQ(w, QFontMetrics(font).horizontalAdvance(qt::Q(texts[t]))) << k.size << " " << t;
          // Mirrored, the canvas writes the text at the mirrored place, readable.
          p.drawText(mirrored ? 400 - x - w : x, y + ascent, qt::Q(texts[t]));
          y = (y + 5) % 280;
        }
    }
    p.end();
    int differing = 0;
    for (int yy = 0; yy < 300; ++yy)
      for (int xx = 0; xx < 400; ++xx)
        if (kept.Image()->pixel(xx, yy) != direct.pixel(xx, yy)) ++differing;
    EXPECT_EQ(differing, 0) << "mirrored " << mirrored;
  }
}

// Measured and shaped texts are kept in a map that never forgets the latest
// ones: a screen's texts must survive the texts scrolled past them.
TEST(RecentMapTest, KeepsTheLatestHalfAndWhatIsUsedAgain) {
  qt::RecentMap<int, int> map(4);
  for (int k = 0; k < 4; ++k) map.Put(k, k * 10);
  ASSERT_NE(map.Find(0), nullptr);
  for (int k = 4; k < 10; ++k) map.Put(k, k * 10);
  // The newer half holds 8 and 9, the older one 4 to 7: 0 to 3 are gone.
  for (int k = 0; k < 4; ++k) EXPECT_EQ(map.Find(k), nullptr) << k;
  // 4 and 5, found in the older half, move to the newer one (8, 9, 4, 5).
  ASSERT_NE(map.Find(4), nullptr);
  ASSERT_NE(map.Find(5), nullptr);
  // The next entry turns the halves: 4 and 5 stay, 6 and 7 go.
  map.Put(10, 100);
  for (int k : {4, 5, 8, 9, 10}) {
    ASSERT_NE(map.Find(k), nullptr) << k;
    EXPECT_EQ(*map.Find(k), k * 10);
  }
  for (int k : {6, 7}) EXPECT_EQ(map.Find(k), nullptr) << k;
  // A value put again replaces the kept one.
  map.Put(10, 7);
  EXPECT_EQ(*map.Find(10), 7);
  map.Clear();
  EXPECT_EQ(map.Find(10), nullptr);
}

TEST_F(CanvasTest, TextOutMovesThePenAndPaintsOpaqueBackground) {
  c()->Brush()->SetColor(clYellow);
  c()->TextOut(1, 1, u"ab");
  EXPECT_EQ(c()->PenPos(), Point(1 + c()->TextWidth(u"ab"), 1));
  EXPECT_EQ(At(1, 1), clYellow);
}

// The box round every pixel of one colour (or, with Ink, of any colour but white).
TRect BoxOf(TCanvas* c, int w, int h, TColor colour, bool ink = false) {
  TRect box = Rect(w, h, -1, -1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TColor px = c->Pixel(x, y);
      if (ink ? px == clWhite : px != colour) continue;
      box = Rect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1), std::max(box.Bottom, y + 1));
    }
  return box;
}

TEST(TurnedTextTest, FontOrientationTurnsTheTextRoundItsReferencePoint) {
  uitest::Harness h;
  const String title = u"Vertical 标题";
  struct Case {
    int orientation;
    unsigned align;
    // The text cell's box for a text of width w and height t at (100, 100).
    TRect (*cell)(int w, int t);
  };
  const Case cases[] = {
      {0, TA_LEFT | TA_TOP, [](int w, int t) { return Bounds(100, 100, w, t); }},
      // Bottom to top: the text's top faces left, so its cell lies right of x and above y.
      {900, TA_LEFT | TA_TOP, [](int w, int t) { return Bounds(100, 100 - w, t, w); }},
      // Top to bottom: the cell lies left of x and below y.
      {2700, TA_LEFT | TA_TOP, [](int w, int t) { return Bounds(100 - t, 100, t, w); }},
      // The alignment is the turned text's: right-aligned ends at the point, i.e. starts below it.
      {900, TA_RIGHT | TA_TOP, [](int w, int t) { return Bounds(100, 100, t, w); }},
      {-900, TA_LEFT | TA_TOP, [](int w, int t) { return Bounds(100 - t, 100, t, w); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.orientation);
    TBitmap bmp(200, 200);
    TCanvas* c = bmp.Canvas();
    c->Font()->SetHeight(-13);
    c->Font()->SetOrientation(k.orientation);
    c->SetTextAlign(k.align);
    const int w = c->TextWidth(title), t = c->TextHeight(title);
    ASSERT_GT(w, 2 * t);
    // An opaque text fills exactly its turned cell.
    c->Brush()->SetColor(clRed);
    c->TextOut(100, 100, title);
    EXPECT_EQ(BoxOf(c, 200, 200, clRed), k.cell(w, t));
    // The glyphs lie in it, in the font's colour.
    TBitmap ink(200, 200);
    ink.Canvas()->SetFont(c->Font());
    ink.Canvas()->SetTextAlign(k.align);
    ink.Canvas()->Brush()->SetStyle(bsClear);
    ink.Canvas()->TextOut(100, 100, title);
    const TRect glyphs = BoxOf(ink.Canvas(), 200, 200, clWhite, true);
    const TRect cell = k.cell(w, t);
    EXPECT_GE(glyphs.Left, cell.Left);
    EXPECT_GE(glyphs.Top, cell.Top);
    EXPECT_LE(glyphs.Right, cell.Right);
    EXPECT_LE(glyphs.Bottom, cell.Bottom);
    const bool upright = k.orientation == 0;
    EXPECT_EQ(glyphs.Height() > glyphs.Width(), !upright) << glyphs.Width() << "x" << glyphs.Height();
  }
}

TEST(TurnedTextTest, VerticalTitleIsClippedToItsCell) {
  uitest::Harness h;
  TBitmap bmp(100, 200);
  TCanvas* c = bmp.Canvas();
  c->Font()->SetHeight(-13);
  c->Font()->SetOrientation(900);
  c->Brush()->SetStyle(bsClear);
  // A title column 30 pixels wide and 60 high: the text, written upwards
  // from the bottom, is longer than the cell and must not leak above it.
  const TRect cellRect = Rect(20, 100, 50, 160);
  c->TextRect(cellRect, cellRect.Left + 2, cellRect.Bottom - 2, u"A long vertical caption");
  const TRect glyphs = BoxOf(c, 100, 200, clWhite, true);
  EXPECT_GE(glyphs.Top, cellRect.Top);
  EXPECT_LE(glyphs.Bottom, cellRect.Bottom - 2);
  EXPECT_GE(glyphs.Left, cellRect.Left + 2);
  EXPECT_GT(glyphs.Height(), 2 * glyphs.Width());
  QDir().mkpath(QString::fromStdString(uitest::ScreenshotDir()));
  bmp.SaveToFile(rtl::Utf8ToString(uitest::ScreenshotDir() + "/vertical_title.png"));
}

TEST(BitmapTest, LoadFromFileRaisesPictureErrorsAndKeepsThePicture) {
  uitest::Harness h;
  std::string dir = uitest::ScreenshotDir() + "/../ui_test_files";
  QDir().mkpath(QString::fromStdString(dir));
  std::string good = dir + "/good.bmp";
  QImage img(4, 3, QImage::Format_RGB32);
  img.fill(QColor(10, 20, 30));
  ASSERT_TRUE(img.save(QString::fromStdString(good), "BMP"));
  std::string bad = dir + "/bad.bmp";
  {
    QFile f(QString::fromStdString(bad));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM this is not a bitmap");
  }
  TBitmap bmp;
  bmp.LoadFromFile(rtl::Utf8ToString(good));
  EXPECT_EQ(bmp.Width(), 4);
  EXPECT_EQ(bmp.Canvas()->Pixel(0, 0), RGBColor(10, 20, 30));
  EXPECT_THROW(bmp.LoadFromFile(rtl::Utf8ToString(bad)), rtl::EInvalidGraphic);
  EXPECT_THROW(bmp.LoadFromFile(rtl::Utf8ToString(dir + "/missing.bmp")), rtl::EFOpenError);
  EXPECT_EQ(bmp.Width(), 4);
  TPicture pic;
  EXPECT_THROW(pic.LoadFromFile(u"logo.xyz"), rtl::EInvalidGraphic);
}

TEST(BitmapTest, ImageListCutsStripsAndDrawsMaskedImages) {
  uitest::Harness h;
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(4);
  TBitmap strip(8, 4);
  strip.Canvas()->Brush()->SetColor(clFuchsia);
  strip.Canvas()->FillRect(Rect(0, 0, 8, 4));
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(Rect(1, 1, 3, 3));
  strip.Canvas()->Brush()->SetColor(clBlue);
  strip.Canvas()->FillRect(Rect(5, 1, 7, 3));
  EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 2);
  TBitmap target(10, 10);
  target.Canvas()->Brush()->SetColor(clGreen);
  target.Canvas()->FillRect(Rect(0, 0, 10, 10));
  list.Draw(target.Canvas(), 2, 2, 1);
  EXPECT_EQ(target.Canvas()->Pixel(2, 2), clGreen);  // mask colour left clear
  EXPECT_EQ(target.Canvas()->Pixel(3, 3), clBlue);
  list.Draw(target.Canvas(), 0, 0, 7);  // no such image: nothing
  EXPECT_EQ(target.Canvas()->Pixel(0, 0), clGreen);
}

TEST(BitmapTest, ImageListTellsEveryChangeLink) {
  uitest::Harness h;
  auto list = std::make_unique<TImageList>(nullptr);
  TBitmap image(16, 16);
  int onChange = 0, first = 0, second = 0;
  list->OnChange = [&](TObject*) { ++onChange; };
  TChangeLink a, b;
  a.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, list.get());
    ++first;
  };
  b.OnChange = [&](TObject*) { ++second; };
  list->RegisterChanges(&a);
  list->RegisterChanges(&a);  // once only
  {
    TChangeLink gone;
    list->RegisterChanges(&gone);
  }  // a freed link leaves the list
  list->RegisterChanges(&b);
  EXPECT_EQ(b.Sender(), list.get());
  list->Add(&image, nullptr);
  EXPECT_EQ(onChange, 1);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);

  // A listener that unregisters the other while hearing the change.
  a.OnChange = [&](TObject*) {
    ++first;
    list->UnRegisterChanges(&b);
  };
  list->Clear();
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 1);
  EXPECT_EQ(b.Sender(), nullptr);

  // Moving to another list leaves the first one.
  TImageList other(nullptr);
  other.RegisterChanges(&a);
  EXPECT_EQ(a.Sender(), &other);
  list->Add(&image, nullptr);
  EXPECT_EQ(first, 2);

  // A list freed first leaves its links without a sender.
  list->RegisterChanges(&b);
  list.reset();
  EXPECT_EQ(b.Sender(), nullptr);
}

// The same rules hold on a window painted by the toolkit.
class TPainted : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  void Paint() override {
    Canvas()->Brush()->SetColor(clRed);
    Canvas()->FillRect(Rect(2, 2, 6, 6));
    Canvas()->Pen()->SetColor(clBlue);
    Canvas()->MoveTo(0, 10);
    Canvas()->LineTo(5, 10);
  }
};

TEST(ControlCanvasTest, PaintOnAWindowKeepsThePixelRules) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetColor(clWhite);
  auto* p = new TPainted(form);
  p->SetColor(clWhite);
  p->SetBounds(0, 0, 20, 20);
  p->SetParent(form);
  h.Show(form);
  EXPECT_EQ(h.PixelAt(p, 2, 2), clRed);
  EXPECT_EQ(h.PixelAt(p, 5, 5), clRed);
  EXPECT_EQ(h.PixelAt(p, 6, 5), clWhite);
  EXPECT_EQ(h.PixelAt(p, 4, 10), clBlue);
  EXPECT_EQ(h.PixelAt(p, 5, 10), clWhite);
  // Feedback drawn outside the paint stays until drawn again.
  p->Canvas()->Pen()->SetMode(pmXor);
  p->Canvas()->Pen()->SetColor(clWhite);
  p->Canvas()->MoveTo(0, 15);
  p->Canvas()->LineTo(20, 15);
  EXPECT_EQ(h.PixelAt(p, 8, 15), clBlack);
  p->Canvas()->Pen()->SetColor(clWhite);
  p->Canvas()->MoveTo(0, 15);
  p->Canvas()->LineTo(20, 15);
  EXPECT_EQ(h.PixelAt(p, 8, 15), clWhite);
}

// What a paint is asked to cover: the canvas's clip is the bounds of the
// area invalidated since the last paint, the painter clipped to that area
// itself; a graphic control sees its part of it in its own coordinates, and
// a mirrored canvas in its logical ones.
template <class Base>
class TClipProbe : public Base {
 public:
  using Base::Base;
  bool mirror = false;
  std::vector<TRect> clips;
  QRegion region;
  void Paint() override {
    TCanvas* c = this->Canvas();
    if (mirror) c->SetMirroring(true, this->ClientWidth());
    clips.push_back(c->ClipRect());
    region = c->AttachedPainter()->clipRegion();
    if (mirror) c->SetMirroring(false, 0);
  }
};

class PartialPaint : public ::testing::Test {
 protected:
  uitest::Harness h;
  TForm* form = h.MakeForm<TForm>();
  TClipProbe<TCustomControl>* custom = new TClipProbe<TCustomControl>(form);
  PartialPaint() {
    form->SetBounds(0, 0, 320, 220);
    custom->SetBounds(10, 10, 190, 120);
    custom->SetParent(form);
  }
  void Show() {
    h.Show(form);
    h.ProcessEvents();
  }
};

TEST_F(PartialPaint, ClipRectIsTheInvalidatedArea) {
  auto* inner = new TClipProbe<TGraphicControl>(form);
  inner->SetBounds(50, 40, 80, 30);
  inner->SetParent(custom);
  auto* outer = new TClipProbe<TGraphicControl>(form);
  outer->SetBounds(220, 20, 60, 60);
  outer->SetParent(form);
  Show();
  struct Case {
    const char* name;
    TWinControl* invalidated;
    std::vector<TRect> areas;
    bool mirror;
    int probe;  // 0 custom, 1 its graphic child, 2 the form's graphic child
    TRect clip;
    QRegion region;
  };
  const int w = custom->ClientWidth();
  const Case cases[] = {
      {"one rectangle", custom, {Rect(20, 30, 60, 50)}, false, 0, Rect(20, 30, 60, 50), QRegion(20, 30, 40, 20)},
      {"mirrored canvas", custom, {Rect(20, 30, 60, 50)}, true, 0, Rect(w - 60, 30, w - 20, 50),
       QRegion(w - 60, 30, 40, 20)},
      {"two rectangles", custom, {Rect(5, 5, 15, 15), Rect(100, 60, 120, 80)}, false, 0, Rect(5, 5, 120, 80),
       QRegion(5, 5, 10, 10) + QRegion(100, 60, 20, 20)},
      {"graphic child of a custom control", custom, {Rect(40, 30, 70, 50)}, false, 1, Rect(0, 0, 20, 10),
       QRegion(0, 0, 20, 10)},
      {"graphic child of a form", form, {Rect(200, 0, 240, 40)}, false, 2, Rect(0, 0, 20, 20), QRegion(0, 0, 20, 20)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    custom->mirror = c.mirror;
    for (auto* p : {&custom->clips, &inner->clips, &outer->clips}) p->clear();
    for (const TRect& r : c.areas) c.invalidated->InvalidateRect(r);
    h.ProcessEvents();
    const std::vector<TRect>& clips = c.probe == 0 ? custom->clips : c.probe == 1 ? inner->clips : outer->clips;
    const QRegion& region = c.probe == 0 ? custom->region : c.probe == 1 ? inner->region : outer->region;
    EXPECT_EQ(clips, std::vector<TRect>{c.clip});
    EXPECT_EQ(region, c.region);
  }
}

// Update paints at once what is invalid and nothing more; Repaint all of it.
TEST_F(PartialPaint, UpdatePaintsOnlyWhatIsInvalid) {
  Show();
  custom->clips.clear();
  custom->Update();
  EXPECT_TRUE(custom->clips.empty()) << "nothing was invalid";
  custom->InvalidateRect(Rect(20, 30, 60, 50));
  custom->Update();
  EXPECT_EQ(custom->clips, std::vector<TRect>{Rect(20, 30, 60, 50)});
  h.ProcessEvents();
  EXPECT_EQ(custom->clips.size(), 1u) << "nothing is left for later";
  custom->clips.clear();
  custom->Repaint();
  EXPECT_EQ(custom->clips, std::vector<TRect>{custom->ClientRect()});
}

}  // namespace
