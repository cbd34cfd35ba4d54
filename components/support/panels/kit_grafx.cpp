#include "components/support/panels/kit_grafx.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/ui/themes.h"

namespace kit {
namespace {

// Pixels that share one band before the colour may change.
int MergeCount(std::uint8_t steps) {
  if (steps == 0) return 0;
  if (steps <= 8) return steps - 1;
  return 255 / steps;
}

// Walks a colour from A towards B in 16.16 fixed point over Count pixels
// and hands out band colours: a band ends when the colour has changed and
// at least the merge count of further pixels shared it.
class ColorWalk {
 public:
  ColorWalk(TColor a, TColor b, int count, std::uint8_t steps) : merge_(MergeCount(steps)) {
    std::uint32_t ca = ui::ColorToRGB(a), cb = ui::ColorToRGB(b);
    const int from[3] = {ui::GetRValue(ca), ui::GetGValue(ca), ui::GetBValue(ca)};
    const int to[3] = {ui::GetRValue(cb), ui::GetGValue(cb), ui::GetBValue(cb)};
    for (int i = 0; i < 3; ++i) {
      cur_[i] = static_cast<std::int64_t>(from[i]) * 65536;
      inc_[i] = (static_cast<std::int64_t>(to[i]) * 65536 - cur_[i]) / (count + 1);
    }
    band_ = Now();
  }
  // Colour of the next pixel's band.
  TColor Next() {
    TColor now = Now();
    if (now != band_ && merged_ >= merge_) {
      band_ = now;
      merged_ = 0;
    } else if (started_) {
      ++merged_;
    }
    started_ = true;
    for (int i = 0; i < 3; ++i) cur_[i] += inc_[i];
    return band_;
  }

 private:
  TColor Now() const {
    return ui::RGBColor(static_cast<int>(cur_[0] >> 16), static_cast<int>(cur_[1] >> 16),
                        static_cast<int>(cur_[2] >> 16));
  }
  std::int64_t cur_[3];
  std::int64_t inc_[3];
  int merge_;
  int merged_ = 0;
  bool started_ = false;
  TColor band_;
};

void Solid(TCanvas* c, const TRect& r, TColor color) {
  c->Brush()->SetStyle(ui::bsSolid);
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

// Bands across an 8-pixel strip: Vertical = columns along x.
// Mid < 0: one run from the far end (colour A there) to the start (B).
// Mid >= 0: colour A at Mid, B towards both ends, symmetric about Mid.
void FillBandGradient(TCanvas* c, bool vertical, int mid, std::uint8_t steps, TColor a, TColor b, int length) {
  auto line = [&](int pos, TColor color) {
    Solid(c, vertical ? ui::Rect(pos, 0, pos + 1, 8) : ui::Rect(0, pos, 8, pos + 1), color);
  };
  if (mid < 0) {
    ColorWalk walk(a, b, length, steps);
    for (int pos = length - 1; pos >= 0; --pos) line(pos, walk.Next());
    return;
  }
  int reach = std::max(mid, length - 1 - mid);
  ColorWalk walk(a, b, reach + 1, steps);
  for (int d = 0; d <= reach; ++d) {
    TColor color = walk.Next();
    if (mid - d >= 0) line(mid - d, color);
    if (d > 0 && mid + d < length) line(mid + d, color);
  }
}

// Concentric bands in the top-left quarter, colour A in the middle.
void FillBoxGradient(TCanvas* c, int width, int height, std::uint8_t steps, TColor a, TColor b, int insetY,
                     int insetX) {
  if (ui::ColorToRGB(a) == ui::ColorToRGB(b) || width < 5 || height <= 4) {
    Solid(c, ui::Rect(0, 0, width + 1, height + 1), b);
    return;
  }
  const int qRight = (width - 1) / 2 + 1, qBottom = (height - 1) / 2 + 1;
  const int hw = std::max(0, (width - 1) / 2 - insetX), hh = std::max(0, (height - 1) / 2 - insetY);
  const int rings = std::max(hw, hh) + 1;
  const std::int64_t dx = (static_cast<std::int64_t>(hw) << 16) / rings;
  const std::int64_t dy = (static_cast<std::int64_t>(hh) << 16) / rings;
  std::int64_t xf = static_cast<std::int64_t>(hw) << 16, yf = static_cast<std::int64_t>(hh) << 16;
  int prevX = qRight, prevY = qBottom;
  ColorWalk walk(a, b, rings, steps);
  for (int k = 0; k < rings; ++k) {
    int x = static_cast<int>(xf >> 16), y = static_cast<int>(yf >> 16);
    if (k == rings - 1) x = y = 0;
    TColor color = walk.Next();
    if (y < prevY) Solid(c, ui::Rect(x, y, qRight, prevY), color);  // horizontal arm
    if (x < prevX) Solid(c, ui::Rect(x, y, prevX, qBottom), color);  // vertical arm
    prevX = std::min(prevX, x);
    prevY = std::min(prevY, y);
    xf -= dx;
    yf -= dy;
  }
}

void FillDiagonalGradient(TCanvas* c, int width, int height, std::uint8_t steps, TColor a, TColor b) {
  bool down = width < 0;
  if (down) {
    std::swap(a, b);
    width = -width;
  }
  const int W = width, H = height;
  const int count = static_cast<int>(std::lround(std::sqrt(double(W) * W + double(H) * H))) + 1;
  const int half = std::max(1, count / 2);
  Solid(c, ui::Rect(0, 0, W, H), b);
  c->Pen()->SetStyle(ui::psClear);
  c->Brush()->SetStyle(ui::bsSolid);
  // Up: bands start at the bottom-left corner; down: at the top-left.
  auto at = [&](double x, double y) {
    int yy = static_cast<int>(std::lround(y));
    return ui::Point(static_cast<int>(std::lround(x)), down ? yy : H - yy);
  };
  ColorWalk walk(a, b, count, steps);
  double px = 0, py = 0;
  for (int k = 1; k <= half; ++k) {
    double nx = double(W) * k / half, ny = double(H) * k / half;
    c->Brush()->SetColor(walk.Next());
    c->Polygon({at(px, 0), at(nx, 0), at(0, ny), at(0, py)});
    px = nx;
    py = ny;
  }
  // Second half: edge lines through the far sides towards the opposite corner.
  double qx = 0, qy = 0;
  for (int k = 1; k <= half; ++k) {
    double nx = double(W) * k / half, ny = double(H) * k / half;
    c->Brush()->SetColor(walk.Next());
    c->Polygon({at(W, qy), at(W, ny), at(nx, H), at(qx, H)});
    qx = nx;
    qy = ny;
  }
  c->Pen()->SetStyle(ui::psSolid);
}

void LinearFill(TCanvas* c, const TRect& r, bool vertical, TColor from, TColor to) {
  std::uint32_t cf = ui::ColorToRGB(from), ct = ui::ColorToRGB(to);
  const int n = vertical ? r.Width() : r.Height();
  for (int i = 0; i < n; ++i) {
    auto mix = [&](int f, int t) { return n > 1 ? f + (t - f) * i / (n - 1) : f; };
    TColor color = ui::RGBColor(mix(ui::GetRValue(cf), ui::GetRValue(ct)), mix(ui::GetGValue(cf), ui::GetGValue(ct)),
                                mix(ui::GetBValue(cf), ui::GetBValue(ct)));
    Solid(c, vertical ? ui::Rect(r.Left + i, r.Top, r.Left + i + 1, r.Bottom)
                      : ui::Rect(r.Left, r.Top + i, r.Right, r.Top + i + 1),
          color);
  }
}

}  // namespace

void FillGradient(TCanvas* Canvas, const TRect& R, TGradientDirection Direction, std::uint8_t Steps, TColor ColorA,
                  TColor ColorB) {
  if (Direction == gdHorizontalEnd || Direction == gdVerticalEnd) {
    if (R.IsEmpty()) return;
    LinearFill(Canvas, R, Direction == gdVerticalEnd, ColorB, ColorA);
    return;
  }
  FillGradientFull(Canvas, R, Direction, Steps, ColorA, ColorB);
}

void FillGradientFull(TCanvas* Canvas, const TRect& R, TGradientDirection Direction, std::uint8_t Steps,
                      TColor ColorA, TColor ColorB) {
  const int W = std::abs(R.Width()), H = std::abs(R.Height());
  if (W == 0 || H == 0) return;
  ui::TBitmap bmp(W, H);
  TCanvas* c = bmp.Canvas();
  c->Pen()->SetStyle(ui::psClear);
  c->Brush()->SetStyle(ui::bsSolid);
  switch (Direction) {
    case gdDiagonalUp:
    case gdDiagonalDown:
      if (ui::ColorToRGB(ColorA) == ui::ColorToRGB(ColorB))
        Solid(c, ui::Rect(0, 0, W, H), ColorB);
      else
        FillDiagonalGradient(c, Direction == gdDiagonalUp ? W : -W, H, Steps, ColorA, ColorB);
      break;
    case gdHorizontalEnd:
    case gdHorizontalCenter:
      FillBandGradient(c, false, Direction == gdHorizontalCenter ? H / 2 : -1, Steps, ColorA, ColorB, H);
      TileBlit(c, 0, 0, ui::cmSrcCopy, H, 8, H, W);
      break;
    case gdVerticalEnd:
    case gdVerticalCenter:
      FillBandGradient(c, true, Direction == gdVerticalCenter ? W / 2 : -1, Steps, ColorA, ColorB, W);
      TileBlit(c, 0, 0, ui::cmSrcCopy, 8, W, H, W);
      break;
    case gdHorizontalBox:
      Solid(c, ui::Rect(0, 0, W, H), ColorB);
      FillBoxGradient(c, W, H, Steps, ColorA, ColorB, 0, W / 4);
      MirrorBlit(c, 0, 0, ui::cmSrcCopy, H, W);
      break;
    case gdVerticalBox:
      FillBoxGradient(c, W, H, Steps, ColorA, ColorB, H / 4, 0);
      MirrorBlit(c, 0, 0, ui::cmSrcCopy, H, W);
      break;
    case gdSquareBox:
      Solid(c, ui::Rect(0, 0, W, H), ColorB);
      FillBoxGradient(c, W, H, Steps, ColorA, ColorB, 0, 0);
      MirrorBlit(c, 0, 0, ui::cmSrcCopy, H, W);
      break;
    case gdBigSquareBox:
      FillBoxGradient(c, W, H, Steps, ColorA, ColorB, H / 4, W / 4);
      MirrorBlit(c, 0, 0, ui::cmSrcCopy, H, W);
      break;
  }
  Canvas->Draw(std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), &bmp);
}

void TileBlit(TCanvas* Canvas, int X, int Y, std::uint32_t Rop, int StripHeight, int StripWidth, int Height,
              int Width) {
  std::uint32_t oldMode = Canvas->CopyMode();
  Canvas->SetCopyMode(Rop);
  if (StripWidth > 0 && StripWidth < Width) {
    for (int done = StripWidth; done < Width; done *= 2) {
      int n = std::min(done, Width - done);
      Canvas->CopyRect(ui::Bounds(X + done, Y, n, StripHeight), Canvas, ui::Bounds(X, Y, n, StripHeight));
    }
  } else if (StripHeight > 0 && StripHeight < Height) {
    for (int done = StripHeight; done < Height; done *= 2) {
      int n = std::min(done, Height - done);
      Canvas->CopyRect(ui::Bounds(X, Y + done, StripWidth, n), Canvas, ui::Bounds(X, Y, StripWidth, n));
    }
  }
  Canvas->SetCopyMode(oldMode);
}

void MirrorBlit(TCanvas* Canvas, int X, int Y, std::uint32_t Rop, int Height, int Width) {
  std::uint32_t oldMode = Canvas->CopyMode();
  Canvas->SetCopyMode(Rop);
  // Rows below the painted upper half repeat it upside down, the middle row
  // of an odd height shared; then the same for the columns.
  int rows = Height / 2, cols = Width / 2;
  if (rows > 0)
    Canvas->CopyRect(ui::Rect(X, Y + Height, X + Width, Y + Height - rows), Canvas,
                     ui::Rect(X, Y, X + Width, Y + rows));
  if (cols > 0)
    Canvas->CopyRect(ui::Rect(X + Width, Y, X + Width - cols, Y + Height), Canvas,
                     ui::Rect(X, Y, X + cols, Y + Height));
  Canvas->SetCopyMode(oldMode);
}

void DrawParentImage(ui::TControl* Control, TCanvas* Canvas, bool InvalidateParent) {
  if (!Control || !Control->Parent()) return;
  ui::PaintParentBackground(Control, Canvas);
  if (InvalidateParent) {
    ui::TWinControl* parent = Control->Parent();
    // A custom-drawn parent or a top-level window repaints itself in full anyway.
    if (!dynamic_cast<ui::TCustomControl*>(parent)) parent->Invalidate();
  }
}

}  // namespace kit
