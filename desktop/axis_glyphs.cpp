#include "desktop/axis_glyphs.h"

namespace desktop {

using namespace ui;

namespace {

constexpr int kSize = 16;

void Fill(TCanvas* c, TColor color) {
  c->Brush()->SetColor(color);
  c->Pen()->SetColor(color);
}

void Draw(TCanvas* c, int x, TAxisGlyph glyph, TColor ink) {
  Fill(c, ink);
  switch (glyph) {
    case TAxisGlyph::Step:
      // An arrow with a stop mark: one step to the right.
      c->Rectangle(x + 2, 7, x + 9, 10);
      c->Polygon({{x + 9, 3}, {x + 14, 8}, {x + 9, 13}});
      c->Rectangle(x + 1, 3, x + 3, 14);
      break;
    case TAxisGlyph::ToZero:
      // An arrow back to a zero mark.
      c->Rectangle(x + 6, 7, x + 14, 10);
      c->Polygon({{x + 7, 3}, {x + 2, 8}, {x + 7, 13}});
      c->Rectangle(x + 1, 2, x + 3, 15);
      break;
    case TAxisGlyph::Home:
      // A house.
      c->Polygon({{x + 8, 2}, {x + 14, 8}, {x + 2, 8}});
      c->Rectangle(x + 4, 8, x + 12, 14);
      break;
    case TAxisGlyph::SetZero:
      // A ring: the position becomes zero.
      c->Ellipse(x + 3, 2, x + 13, 14);
      Fill(c, clFuchsia);
      c->Ellipse(x + 6, 5, x + 10, 11);
      break;
  }
}

}  // namespace

void Draw_Axis_Glyph(TBitmap* Bitmap, TAxisGlyph Glyph) {
  Bitmap->SetSize(2 * kSize, kSize);
  TCanvas* c = Bitmap->Canvas();
  Fill(c, clFuchsia);
  c->FillRect(Rect(0, 0, 2 * kSize, kSize));
  Draw(c, 0, Glyph, RGBColor(30, 90, 170));
  Draw(c, kSize, Glyph, clGray);
}

}  // namespace desktop
