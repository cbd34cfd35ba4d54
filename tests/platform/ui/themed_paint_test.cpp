// Themed buttons, header cells, check boxes and tree glyphs draw through the
// style in every state, on a bitmap and inside a control's paint.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <functional>

#include "tests/platform/ui/harness.h"
#include "platform/ui/themes.h"

namespace {

using namespace ui;

constexpr TColor kGround = 0x00FF00FF;  // magenta: no style draws it

// Pixels of the rectangle that differ from the ground.
int Painted(TBitmap& bmp, const TRect& r) {
  const QImage* img = bmp.Image();
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if ((img->pixel(x, y) & 0xFFFFFF) != 0xFF00FFu) ++n;
  return n;
}

TEST(ThemedPaintTest, EveryElementDrawsInEveryState) {
  uitest::Harness h;
  ASSERT_TRUE(ThemesEnabled());
  struct Element {
    const char* name;
    int width, height;
    std::function<void(TCanvas*, const TRect&, TThemedState)> draw;
  };
  const std::vector<Element> elements = {
      {"push", 60, 24, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedPushButton(c, r, s); }},
      {"tool", 40, 24, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedToolButton(c, r, s); }},
      {"split", 40, 24, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedToolButton(c, r, s, true); }},
      {"header", 80, 20, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedHeader(c, r, s); }},
      {"check", 16, 16, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedCheckBox(c, r, tcChecked, s); }},
      {"uncheck", 16, 16,
       [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedCheckBox(c, r, tcUnchecked, s); }},
      {"mixed", 16, 16, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedCheckBox(c, r, tcMixed, s); }},
      {"combo", 18, 20, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedComboButton(c, r, s); }},
      {"spinup", 16, 10, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedSpinButton(c, r, true, s); }},
      {"spindown", 16, 10,
       [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedSpinButton(c, r, false, s); }},
      {"group", 60, 40, [](TCanvas* c, const TRect& r, TThemedState s) { DrawThemedGroupBox(c, r, s); }},
      {"open", 13, 13, [](TCanvas* c, const TRect& r, TThemedState) { DrawThemedTreeGlyph(c, r, true); }},
      {"closed", 13, 13, [](TCanvas* c, const TRect& r, TThemedState) { DrawThemedTreeGlyph(c, r, false); }},
  };
  const TThemedState states[] = {tsNormal, tsHot, tsPressed, tsDisabled};

  // One sheet: a row per element, a column per state.
  TBitmap sheet(4 * 90, static_cast<int>(elements.size()) * 50);
  sheet.Canvas()->Brush()->SetColor(kGround);
  sheet.Canvas()->FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
  for (std::size_t e = 0; e < elements.size(); ++e) {
    for (int s = 0; s < 4; ++s) {
      const Element& el = elements[e];
      const TRect r = Bounds(s * 90 + 5, static_cast<int>(e) * 50 + 5, el.width, el.height);
      el.draw(sheet.Canvas(), r, states[s]);
      // The element stays inside its rectangle.
      const TRect around = Rect(r.Left - 3, r.Top - 3, r.Right + 3, r.Bottom + 3);
      // A flat tool-bar button shows nothing at rest or disabled.
      const bool flatAtRest = std::string(el.name) == "tool" && (states[s] == tsNormal || states[s] == tsDisabled);
      if (flatAtRest)
        EXPECT_EQ(Painted(sheet, r), 0) << el.name << " state " << s;
      else
        EXPECT_GT(Painted(sheet, r), 0) << el.name << " state " << s;
      EXPECT_EQ(Painted(sheet, around) - Painted(sheet, r), 0) << el.name << " state " << s;
    }
  }
  // Saved for a look: into this test's own temporary folder, and beside the
  // other screenshots of the build tree.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath("themed_parts.png");
  sheet.SaveToFile(file.toStdU16String());
  EXPECT_EQ(QImage(file).size(), QSize(sheet.Width(), sheet.Height())) << file.toStdString();
  QDir().mkpath(QString::fromStdString(uitest::ScreenshotDir()));
  sheet.SaveToFile(QDir(QString::fromStdString(uitest::ScreenshotDir())).filePath("themed_parts.png").toStdU16String());

  // The canvas's own drawing goes on as before after a themed part.
  sheet.Canvas()->Brush()->SetColor(clBlack);
  sheet.Canvas()->FillRect(Rect(0, 0, 2, 2));
  EXPECT_EQ(sheet.Canvas()->Pixel(1, 1), clBlack);
}

// The kept face on its ground must look exactly as the fill and the style's
// own drawing: in both states the grids use, on two grounds, at several
// places (the second use of a face is a copy), clipped and mirrored.
TEST(ThemedPaintTest, KeptToolButtonFaceMatchesTheStylesDrawing) {
  uitest::Harness h;
  ASSERT_TRUE(ThemesEnabled());
  struct Setup {
    bool clipped, mirrored;
  };
  for (const Setup setup : {Setup{false, false}, Setup{true, false}, Setup{false, true}}) {
    TBitmap direct(300, 120), kept(300, 120);
    for (TBitmap* b : {&direct, &kept}) {
      b->Canvas()->Brush()->SetColor(kGround);
      b->Canvas()->FillRect(Rect(0, 0, 300, 120));
      if (setup.clipped) b->Canvas()->IntersectClipRect(Rect(10, 10, 250, 100));
      if (setup.mirrored) b->Canvas()->SetMirroring(true, 300);
    }
    int place = 0;
    for (TThemedState state : {tsHot, tsPressed})
      for (TColor ground : {TColor(clBtnFace), TColor(0x00C0E0F0)})
        for (int copy = 0; copy < 2; ++copy, ++place) {
          const TRect r = Bounds(5 + (place % 4) * 70, 3 + (place / 4) * 30, 64, 22 + copy);
          direct.Canvas()->Brush()->SetColor(ground);
          direct.Canvas()->FillRect(r);
          DrawThemedToolButton(direct.Canvas(), r, state);
          DrawThemedToolButtonOnGround(kept.Canvas(), r, state, ground);
          EXPECT_EQ(kept.Canvas()->Brush()->Color(), ground);
        }
    int differing = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 300; ++x)
        if (direct.Image()->pixel(x, y) != kept.Image()->pixel(x, y)) ++differing;
    EXPECT_EQ(differing, 0) << "clipped " << setup.clipped << " mirrored " << setup.mirrored;
    EXPECT_GT(Painted(kept, Rect(0, 0, 300, 120)), 1000);
  }
}

// Inside a control's paint the same calls draw on the window.
class TThemedBox : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(kGround);
    Canvas()->FillRect(ClientRect());
    DrawThemedHeader(Canvas(), Rect(0, 0, 80, 20), tsNormal);
    DrawThemedTreeGlyph(Canvas(), Rect(100, 4, 113, 17), false);
  }
};

TEST(ThemedPaintTest, DrawsInsideAControlsPaint) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetBounds(30, 30, 200, 100);
  auto* box = new TThemedBox(form);
  box->SetParent(form);
  box->SetBounds(0, 0, 150, 40);
  h.Show(form);
  int painted = 0;
  for (int x = 0; x < 80; ++x)
    if (h.PixelAt(box, x, 10) != kGround) ++painted;
  EXPECT_GT(painted, 40);
  int glyph = 0;
  for (int x = 100; x < 113; ++x)
    if (h.PixelAt(box, x, 10) != kGround) ++glyph;
  EXPECT_GT(glyph, 0);
  EXPECT_EQ(h.PixelAt(box, 140, 35), kGround);
}

}  // namespace
