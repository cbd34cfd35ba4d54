#include "platform/ui/canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/ui/bitmap.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

using qt::Q;
using qt::ToQColor;

TRect Normalized(const TRect& r) {
  return Rect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
              std::max(r.Top, r.Bottom));
}

QPainter::CompositionMode ModeFor(TPenMode m) {
  switch (m) {
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    case pmNotMerge: return QPainter::RasterOp_NotSourceAndNotDestination;
    case pmNotMask: return QPainter::RasterOp_NotSourceOrNotDestination;
    default: return QPainter::CompositionMode_SourceOver;
  }
}

TColor PenColorFor(const TPen& pen) {
  if (pen.Mode() == pmBlack) return clBlack;
  if (pen.Mode() == pmWhite) return clWhite;
  return pen.Color();
}

Qt::BrushStyle QtBrushStyle(TBrushStyle s) {
  switch (s) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

// Pixels of a one-pixel frame, each once.
void BorderPixels(const TRect& r, std::vector<TPoint>& out) {
  if (r.IsEmpty()) return;
  for (int x = r.Left; x < r.Right; ++x) out.push_back({x, r.Top});
  if (r.Bottom - 1 > r.Top)
    for (int x = r.Left; x < r.Right; ++x) out.push_back({x, r.Bottom - 1});
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
    out.push_back({r.Left, y});
    if (r.Right - 1 > r.Left) out.push_back({r.Right - 1, y});
  }
}

}  // namespace

// The font keeps its face while its revision stays.
qt::FontFace& TCanvas::Face() const {
  if (!face_ || faceRevision_ != font_->Revision()) {
    face_ = &qt::CachedFontFace(*font_);
    faceRevision_ = font_->Revision();
  }
  return *face_;
}

struct TCanvas::ClipState {
  QRegion region;
};

struct TCanvas::Saved {
  std::unique_ptr<TPen> pen;
  std::unique_ptr<TBrush> brush;
  std::unique_ptr<TFont> font;
  std::unique_ptr<ClipState> clip;
};

const TClassInfo& TCanvas::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TCanvas>("TCanvas", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TCanvas::TCanvas() : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {}

TCanvas::~TCanvas() = default;

void TCanvas::Attach(QPainter* Painter, bool KeepState) {
  if (painter_ && Mirrored()) SetMirroring(false, 0);
  mirrorWidth_ = -1;
  painter_ = Painter;
  if (!KeepState) {
    saved_.clear();
    clip_.reset();
  }
  baseClip_.reset();
  if (painter_) {
    painter_->setRenderHint(QPainter::Antialiasing, false);
    if (painter_->hasClipping()) baseClip_ = std::make_unique<ClipState>(ClipState{painter_->clipRegion()});
    ApplyClip();
  }
}

void TCanvas::Detach() {
  if (painter_ && Mirrored()) SetMirroring(false, 0);
  mirrorWidth_ = -1;
  painter_ = nullptr;
  baseClip_.reset();
}

TRect TCanvas::MirrorRect(const TRect& R) const {
  if (!Mirrored()) return R;
  return Rect(mirrorWidth_ - R.Right, R.Top, mirrorWidth_ - R.Left, R.Bottom);
}

template <class Fn>
void TCanvas::Unmirrored(QPainter& p, Fn&& fn) {
  if (!Mirrored()) {
    fn();
    return;
  }
  const QTransform mirrored = p.worldTransform();
  p.setWorldTransform(QTransform(-1, 0, 0, 1, mirrorWidth_, 0) * mirrored);
  fn();
  p.setWorldTransform(mirrored);
}

void TCanvas::SetMirroring(bool Mirrored, int Width) {
  if (!painter_ || Mirrored == this->Mirrored()) return;
  // x -> W - x maps areas exactly; the same mirror undoes itself.
  const int w = Mirrored ? Width : mirrorWidth_;
  painter_->setWorldTransform(QTransform(-1, 0, 0, 1, w, 0) * painter_->worldTransform());
  mirrorWidth_ = Mirrored ? Width : -1;
}

// Clip regions are kept on the surface's pixels, whatever the mapping.
void TCanvas::ApplyClip() {
  if (!painter_) return;
  Unmirrored(*painter_, [&] {
    if (clip_)
      painter_->setClipRegion(baseClip_ ? clip_->region.intersected(baseClip_->region) : clip_->region);
    else if (baseClip_)
      painter_->setClipRegion(baseClip_->region);
    else
      painter_->setClipping(false);
  });
}

bool TCanvas::HandleAllocated() { return RequirePainter() != nullptr; }

TRect TCanvas::ClipRect() {
  QPainter* p = RequirePainter();
  if (!p) return {};
  if (p->hasClipping()) return qt::S(p->clipBoundingRect().toAlignedRect());
  QPaintDevice* d = p->device();
  return d ? Rect(0, 0, d->width(), d->height()) : TRect{};
}

void TCanvas::FillRaw(QPainter& p, const TRect& r, TColor color) {
  if (r.IsEmpty()) return;
  p.fillRect(Q(r), ToQColor(color));
}

void TCanvas::FillRect(const TRect& R) {
  if (brush_->Style() == bsClear || R.IsEmpty()) return;
  QPainter* p = RequirePainter();
  if (!p) return;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (brush_->Style() == bsSolid)
    FillRaw(*p, R, brush_->Color());
  else
    p->fillRect(Q(R), QBrush(ToQColor(brush_->Color()), QtBrushStyle(brush_->Style())));
  p->restore();
  if (OnChange) OnChange(this);
}

void TCanvas::FrameRect(const TRect& R) {
  if (brush_->Style() == bsClear || R.IsEmpty()) return;
  QPainter* p = RequirePainter();
  if (!p) return;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  TColor c = brush_->Color();
  FillRaw(*p, Rect(R.Left, R.Top, R.Right, R.Top + 1), c);
  FillRaw(*p, Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom), c);
  FillRaw(*p, Rect(R.Left, R.Top + 1, R.Left + 1, R.Bottom - 1), c);
  FillRaw(*p, Rect(R.Right - 1, R.Top + 1, R.Right, R.Bottom - 1), c);
  p->restore();
}

void TCanvas::DrawPixels(QPainter& p, const std::vector<TPoint>& pts, TColor color) {
  if (pts.empty()) return;
  QPolygon poly;
  poly.reserve(static_cast<qsizetype>(pts.size()));
  const int shift = PointShift();
  for (TPoint pt : pts) poly << QPoint(pt.X + shift, pt.Y);
  p.save();
  p.setCompositionMode(ModeFor(pen_->Mode()));
  QPen pen(ToQColor(color));
  pen.setWidth(1);
  pen.setCosmetic(true);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawPoints(poly);
  p.restore();
}

void TCanvas::LinePixels(TPoint from, TPoint to, std::vector<TPoint>& out, bool dotted, int& phase) const {
  int dx = std::abs(to.X - from.X), dy = std::abs(to.Y - from.Y);
  int sx = from.X < to.X ? 1 : -1, sy = from.Y < to.Y ? 1 : -1;
  int n = std::max(dx, dy);
  int x = from.X, y = from.Y;
  int err = (dx >= dy ? dx : dy) / 2;
  for (int i = 0; i < n; ++i) {
    if (!dotted || (phase++ % 2) == 0) out.push_back({x, y});
    if (dx >= dy) {
      x += sx;
      err -= dy;
      if (err < 0) {
        y += sy;
        err += dx;
      }
    } else {
      y += sy;
      err -= dx;
      if (err < 0) {
        x += sx;
        err += dy;
      }
    }
  }
}

void TCanvas::LineTo(int X, int Y) {
  TPoint from = penPos_;
  penPos_ = {X, Y};
  if (pen_->Style() == psClear || pen_->Mode() == pmNop) return;
  TColor color = PenColorFor(*pen_);
  QPainter* p = RequirePainter();
  if (!p) {
    if (pen_->Mode() == pmXor || pen_->Mode() == pmNotXor || pen_->Mode() == pmNot)
      ToggleOverlay({TOverlayItem::XorLine, from, {X, Y}, color, std::max(1, pen_->Width())});
    return;
  }
  if (pen_->Width() <= 1) {
    if (StraightLine(*p, from, {X, Y}, color)) return;
    std::vector<TPoint> pts;
    int phase = 0;
    LinePixels(from, {X, Y}, pts, pen_->Style() == psDot || pen_->Style() == psDash, phase);
    DrawPixels(*p, pts, color);
  } else {
    p->save();
    p->setCompositionMode(ModeFor(pen_->Mode()));
    QPen pen(ToQColor(color), pen_->Width(), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p->setPen(pen);
    p->drawLine(Q(from), QPoint(X, Y));
    p->restore();
  }
}

namespace {

// Mappings that take whole pixels to whole pixels: shifts by whole pixels,
// mirrored or not.
bool WholePixelMapping(const QTransform& t) {
  if (t.type() > QTransform::TxScale) return false;
  auto whole = [](qreal v) { return v == static_cast<qreal>(static_cast<long long>(v)); };
  return (t.m11() == 1 || t.m11() == -1) && (t.m22() == 1 || t.m22() == -1) && whole(t.dx()) && whole(t.dy());
}

// One-pixel lines of one opaque colour cover the union of their pixels, in
// whatever order they are drawn: a column's or a row's pieces that touch or
// overlap are filled as one rectangle. False when a line is slanted.
bool FillStraightSegments(QPainter& p, const std::vector<TPoint>& Ends, std::size_t n, const QColor& color) {
  std::vector<TRect> across, down;  // one pixel high / one pixel wide
  for (std::size_t i = 0; i < n; i += 2) {
    const TPoint from = Ends[i], to = Ends[i + 1];
    if (from.Y == to.Y) {
      const TRect r =
          from.X <= to.X ? Rect(from.X, from.Y, to.X, from.Y + 1) : Rect(to.X + 1, from.Y, from.X + 1, from.Y + 1);
      if (!r.IsEmpty()) across.push_back(r);
    } else if (from.X == to.X) {
      const TRect r =
          from.Y <= to.Y ? Rect(from.X, from.Y, from.X + 1, to.Y) : Rect(from.X, to.Y + 1, from.X + 1, from.Y + 1);
      if (!r.IsEmpty()) down.push_back(r);
    } else {
      return false;
    }
  }
  std::sort(across.begin(), across.end(),
            [](const TRect& a, const TRect& b) { return a.Top != b.Top ? a.Top < b.Top : a.Left < b.Left; });
  std::sort(down.begin(), down.end(),
            [](const TRect& a, const TRect& b) { return a.Left != b.Left ? a.Left < b.Left : a.Top < b.Top; });
  for (std::size_t i = 0; i < across.size();) {
    TRect r = across[i];
    for (++i; i < across.size() && across[i].Top == r.Top && across[i].Left <= r.Right; ++i)
      r.Right = std::max(r.Right, across[i].Right);
    p.fillRect(Q(r), color);
  }
  for (std::size_t i = 0; i < down.size();) {
    TRect r = down[i];
    for (++i; i < down.size() && down[i].Left == r.Left && down[i].Top <= r.Bottom; ++i)
      r.Bottom = std::max(r.Bottom, down[i].Bottom);
    p.fillRect(Q(r), color);
  }
  return true;
}

}  // namespace

void TCanvas::LineSegments(const std::vector<TPoint>& Ends) {
  const std::size_t n = Ends.size() & ~std::size_t{1};
  if (n == 0) return;
  QPainter* p = RequirePainter();
  const bool dotted = pen_->Style() == psDot || pen_->Style() == psDash;
  if (!p || pen_->Width() > 1 || dotted || pen_->Style() == psClear || pen_->Mode() == pmNop) {
    for (std::size_t i = 0; i < n; i += 2) {
      MoveTo(Ends[i].X, Ends[i].Y);
      LineTo(Ends[i + 1].X, Ends[i + 1].Y);
    }
    return;
  }
  // A grid's lines come by the hundred: the colour and mode are settled once,
  // not per segment.
  const QColor color = ToQColor(PenColorFor(*pen_));
  const QPainter::CompositionMode mode = ModeFor(pen_->Mode());
  const QPainter::CompositionMode old = p->compositionMode();
  if (mode != old) p->setCompositionMode(mode);
  std::vector<TPoint> slanted;
  if (mode == QPainter::CompositionMode_SourceOver && color.alpha() == 255 && p->opacity() == 1.0 &&
      WholePixelMapping(p->combinedTransform()) && FillStraightSegments(*p, Ends, n, color)) {
    penPos_ = Ends[n - 1];
    return;
  }
  for (std::size_t i = 0; i < n; i += 2) {
    const TPoint from = Ends[i], to = Ends[i + 1];
    TRect r;
    if (from.Y == to.Y)
      r = from.X <= to.X ? Rect(from.X, from.Y, to.X, from.Y + 1) : Rect(to.X + 1, from.Y, from.X + 1, from.Y + 1);
    else if (from.X == to.X)
      r = from.Y <= to.Y ? Rect(from.X, from.Y, from.X + 1, to.Y) : Rect(from.X, to.Y + 1, from.X + 1, from.Y + 1);
    else {
      // Drawn in their turn, so what overlaps keeps the order of the calls.
      int phase = 0;
      slanted.clear();
      LinePixels(from, to, slanted, false, phase);
      if (mode != old) p->setCompositionMode(old);
      DrawPixels(*p, slanted, PenColorFor(*pen_));
      if (mode != old) p->setCompositionMode(mode);
      continue;
    }
    if (!r.IsEmpty()) p->fillRect(Q(r), color);
  }
  if (mode != old) p->setCompositionMode(old);
  penPos_ = Ends[n - 1];
}

bool TCanvas::StraightLine(QPainter& p, TPoint from, TPoint to, TColor color) {
  if (pen_->Style() == psDot || pen_->Style() == psDash) return false;
  TRect r;
  if (from.Y == to.Y) {
    // The end pixel is not drawn, whichever way the line runs.
    r = from.X <= to.X ? Rect(from.X, from.Y, to.X, from.Y + 1) : Rect(to.X + 1, from.Y, from.X + 1, from.Y + 1);
  } else if (from.X == to.X) {
    r = from.Y <= to.Y ? Rect(from.X, from.Y, from.X + 1, to.Y) : Rect(from.X, to.Y + 1, from.X + 1, from.Y + 1);
  } else {
    return false;
  }
  if (r.IsEmpty()) return true;
  const QPainter::CompositionMode mode = ModeFor(pen_->Mode());
  const QPainter::CompositionMode old = p.compositionMode();
  if (mode != old) p.setCompositionMode(mode);
  p.fillRect(Q(r), ToQColor(color));
  if (mode != old) p.setCompositionMode(old);
  return true;
}

void TCanvas::Polyline(const std::vector<TPoint>& Points) {
  if (Points.size() < 2 || pen_->Style() == psClear || pen_->Mode() == pmNop) return;
  QPainter* p = RequirePainter();
  if (!p) return;
  TColor color = PenColorFor(*pen_);
  if (pen_->Width() <= 1) {
    std::vector<TPoint> pts;
    int phase = 0;
    bool dotted = pen_->Style() == psDot || pen_->Style() == psDash;
    for (std::size_t i = 1; i < Points.size(); ++i)
      if (dotted || !StraightLine(*p, Points[i - 1], Points[i], color))
        LinePixels(Points[i - 1], Points[i], pts, dotted, phase);
    DrawPixels(*p, pts, color);
  } else {
    QPolygon poly;
    for (TPoint pt : Points) poly << Q(pt);
    p->save();
    p->setCompositionMode(ModeFor(pen_->Mode()));
    p->setPen(QPen(ToQColor(color), pen_->Width(), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p->drawPolyline(poly);
    p->restore();
  }
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  TRect r = Normalized(Rect(X1, Y1, X2, Y2));
  QPainter* p = RequirePainter();
  if (!p || r.IsEmpty()) return;
  bool noPen = pen_->Style() == psClear || pen_->Mode() == pmNop;
  int w = noPen ? 0 : std::max(1, pen_->Width());
  // Without a pen the filled area is one pixel smaller on the right and bottom.
  TRect inner = noPen ? Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1)
                      : Rect(r.Left + w, r.Top + w, r.Right - w, r.Bottom - w);
  if (brush_->Style() != bsClear && !inner.IsEmpty()) {
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (brush_->Style() == bsSolid)
      FillRaw(*p, inner, brush_->Color());
    else
      p->fillRect(Q(inner), QBrush(ToQColor(brush_->Color()), QtBrushStyle(brush_->Style())));
    p->restore();
  }
  if (noPen) return;
  TColor color = PenColorFor(*pen_);
  if (pen_->Style() == psDot || pen_->Style() == psDash) {
    std::vector<TPoint> border, dotted;
    BorderPixels(r, border);
    for (TPoint pt : border)
      if (((pt.X + pt.Y) & 1) == 0) dotted.push_back(pt);
    DrawPixels(*p, dotted, color);
    return;
  }
  // Four strips that do not overlap, so XOR outlines invert each pixel once.
  p->save();
  p->setCompositionMode(ModeFor(pen_->Mode()));
  QColor qc = ToQColor(color);
  auto strip = [&](const TRect& s) {
    if (!s.IsEmpty()) p->fillRect(Q(s), qc);
  };
  int hw = std::min(w, r.Height());
  strip(Rect(r.Left, r.Top, r.Right, r.Top + hw));
  if (r.Height() > w) strip(Rect(r.Left, std::max(r.Bottom - w, r.Top + w), r.Right, r.Bottom));
  strip(Rect(r.Left, r.Top + w, std::min(r.Left + w, r.Right), r.Bottom - w));
  if (r.Width() > w) strip(Rect(std::max(r.Right - w, r.Left + w), r.Top + w, r.Right, r.Bottom - w));
  p->restore();
}

// Outlined and filled shapes: the canvas pen (or none when clear) and brush.
void TCanvas::SetShapePenAndBrush(QPainter* p) {
  p->setCompositionMode(ModeFor(pen_->Mode()));
  if (pen_->Style() == psClear)
    p->setPen(Qt::NoPen);
  else
    p->setPen(QPen(ToQColor(PenColorFor(*pen_)), std::max(1, pen_->Width())));
  p->setBrush(QBrush(ToQColor(brush_->Color()), QtBrushStyle(brush_->Style())));
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  TRect r = Normalized(Rect(X1, Y1, X2, Y2));
  QPainter* p = RequirePainter();
  if (!p || r.Width() < 2 || r.Height() < 2) return;
  p->save();
  SetShapePenAndBrush(p);
  p->drawRoundedRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1), X3 / 2.0, Y3 / 2.0);
  p->restore();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
  TRect r = Normalized(Rect(X1, Y1, X2, Y2));
  QPainter* p = RequirePainter();
  if (!p || r.Width() < 2 || r.Height() < 2) return;
  p->save();
  SetShapePenAndBrush(p);
  p->drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
  p->restore();
}

void TCanvas::Polygon(const std::vector<TPoint>& Points) {
  QPainter* p = RequirePainter();
  if (!p || Points.size() < 2) return;
  QPolygon poly;
  for (TPoint pt : Points) poly << Q(pt);
  p->save();
  SetShapePenAndBrush(p);
  p->drawPolygon(poly, Qt::WindingFill);
  p->restore();
}

TColor TCanvas::Pixel(int X, int Y) {
  QImage* img = RequireImage();
  if (Mirrored()) X = mirrorWidth_ - 1 - X;
  if (!img || !img->valid(X, Y)) return clNone;
  return qt::FromQColor(QColor::fromRgb(img->pixel(X, Y)));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
  QPainter* p = RequirePainter();
  if (!p) return;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_Source);
  p->fillRect(QRect(X, Y, 1, 1), ToQColor(Color));
  p->restore();
}

int TCanvas::TextWidth(const String& Text) const { return Face().TextWidth(Text); }

// One line is the font's height whatever its letters.
int TCanvas::DrawnTextWidth(const String& Text) const { return Face().DrawnTextWidth(Text); }

int TCanvas::TextHeight(const String&) const { return Face().Height(); }

TSize TCanvas::TextExtent(const String& Text) const { return {TextWidth(Text), TextHeight(Text)}; }

// Text at a point after the text alignment; Opaque fills the text's cell
// with the brush first. Painter state is put back by hand: a full save and
// restore per call costs more than the text.
TRect TCanvas::PlaceText(int X, int Y, const String& Text, QString& Out) {
  qt::FontFace& face = Face();
  Out = Q(Text);
  const int w = face.DrawnTextWidth(Text);
  penPos_ = {X + w, Y};
  int left = X;
  if ((textAlign_ & TA_CENTER) == TA_CENTER)
    left = X - w / 2;
  else if (textAlign_ & TA_RIGHT)
    left = X - w;
  int top = Y;
  if ((textAlign_ & TA_BASELINE) == TA_BASELINE)
    top = Y - face.Ascent();
  else if (textAlign_ & TA_BOTTOM)
    top = Y - face.Height();
  return Bounds(left, top, w, face.Height());
}

void TCanvas::DrawPlacedText(QPainter& p, const TRect& Cell, const QString& S, bool Opaque) {
  const QPainter::CompositionMode oldMode = p.compositionMode();
  if (oldMode != QPainter::CompositionMode_SourceOver) p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (Opaque) p.fillRect(Q(Cell), ToQColor(brush_->Color()));
  // Glyphs take only the pen's colour: a pen already of that plain colour
  // is kept (a text per cell would make and put back a pen each time).
  const QColor color = ToQColor(font_->Color());
  const QPen& pen = p.pen();
  const bool keepPen = pen.style() != Qt::NoPen && pen.brush().style() == Qt::SolidPattern &&
                       pen.brush().transform().isIdentity() && pen.color() == color;
  const QPen oldPen = keepPen ? QPen() : pen;
  // The painter keeps the canvas font: setting a font is the dearest step of a text.
  qt::FontFace& face = Face();
  if (!(p.font() == face.font)) p.setFont(face.font);
  if (!keepPen) p.setPen(color);
  const bool rtl = (textAlign_ & TA_RTLREADING) != 0;
  const Qt::LayoutDirection oldDirection = p.layoutDirection();
  if (rtl) p.setLayoutDirection(Qt::RightToLeft);
  // Mirrored, the text's box moves and its glyphs stay readable.
  const TRect box = MirrorRect(Cell);
  // A plain upright text is drawn from its kept glyphs, as drawText would
  // place them on the same baseline.
  const QFont& f = face.font;
  const bool plain = !rtl && !f.underline() && !f.strikeOut() && !f.overline() && f.letterSpacing() == 0 &&
                     f.wordSpacing() == 0 && f.capitalization() == QFont::MixedCase && !p.viewTransformEnabled();
  Unmirrored(p, [&] {
    const qt::FontFace::ShapedLine* shaped =
        plain && p.worldTransform().type() <= QTransform::TxTranslate ? face.Shaped(S, p.device()) : nullptr;
    if (!shaped) {
      p.drawText(box.Left, box.Top + face.Ascent(), S);
      return;
    }
    const QPointF origin(box.Left, box.Top + face.Ascent() - shaped->ascent);
    for (const QGlyphRun& run : shaped->runs) p.drawGlyphRun(origin, run);
  });
  if (rtl) p.setLayoutDirection(oldDirection);
  if (!keepPen) p.setPen(oldPen);
  if (oldMode != QPainter::CompositionMode_SourceOver) p.setCompositionMode(oldMode);
}

// A font with an orientation writes its text turned counter-clockwise round
// the reference point: the text's cell is placed as if upright and the whole
// of it (fill, glyphs) turned there.
void TCanvas::DrawTextAt(QPainter& p, TPoint Ref, const TRect& Cell, const QString& S, bool Opaque) {
  if (font_->Orientation() % 3600 == 0) {
    DrawPlacedText(p, Cell, S, Opaque);
    return;
  }
  const QTransform old = p.worldTransform();
  p.translate(Ref.X, Ref.Y);
  p.rotate(-font_->Orientation() / 10.0);
  TRect upright = Cell;
  upright.Offset(-Ref.X, -Ref.Y);
  DrawPlacedText(p, upright, S, Opaque);
  p.setWorldTransform(old);
}

void TCanvas::TextOut(int X, int Y, const String& Text) {
  QPainter* p = RequirePainter();
  QString s;
  TRect cell = PlaceText(X, Y, Text, s);
  if (p) DrawTextAt(*p, Point(X, Y), cell, s, brush_->Style() != bsClear);
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const String& Text) {
  QPainter* p = RequirePainter();
  if (!p) return;
  QString s;
  TRect cell = PlaceText(X, Y, Text, s);
  // Text wholly inside the rectangle needs no clip (slanted or turned glyphs may lean out).
  const bool inside = cell.Left >= R.Left && cell.Right <= R.Right && cell.Top >= R.Top && cell.Bottom <= R.Bottom &&
                      !font_->Style().Contains(fsItalic) && font_->Orientation() % 3600 == 0;
  if (!inside) {
    p->save();
    p->setClipRect(Q(R), p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  if (brush_->Style() != bsClear) {
    const QPainter::CompositionMode oldMode = p->compositionMode();
    if (oldMode != QPainter::CompositionMode_SourceOver) p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    FillRaw(*p, R, brush_->Color());
    if (oldMode != QPainter::CompositionMode_SourceOver) p->setCompositionMode(oldMode);
  }
  // The rectangle is already filled; the text itself goes on transparently.
  DrawTextAt(*p, Point(X, Y), cell, s, false);
  if (!inside) p->restore();
}

int TCanvas::DrawText(const String& Text, TRect& R, unsigned Flags) {
  qt::FontFace& face = Face();
  const QFont& f = face.font;
  const QFontMetrics& fm = face.metrics;
  QString s = Q(Text);
  bool single = Flags & DT_SINGLELINE;
  int qflags = 0;
  if (Flags & DT_CENTER)
    qflags |= Qt::AlignHCenter;
  else if (Flags & DT_RIGHT)
    qflags |= Qt::AlignRight;
  else
    qflags |= Qt::AlignLeft;
  if (single && (Flags & DT_VCENTER))
    qflags |= Qt::AlignVCenter;
  else if (single && (Flags & DT_BOTTOM))
    qflags |= Qt::AlignBottom;
  else
    qflags |= Qt::AlignTop;
  if (single) qflags |= Qt::TextSingleLine;
  if ((Flags & DT_WORDBREAK) && !single) qflags |= Qt::TextWordWrap;
  if (!(Flags & DT_NOPREFIX)) qflags |= Qt::TextShowMnemonic;
  if (Flags & DT_EXPANDTABS) qflags |= Qt::TextExpandTabs;
  if (Flags & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
    Qt::TextElideMode mode = (Flags & DT_PATH_ELLIPSIS) ? Qt::ElideMiddle : Qt::ElideRight;
    s = fm.elidedText(s, mode, std::max(0, R.Width()), qflags & Qt::TextShowMnemonic);
  }
  if (Flags & DT_CALCRECT) {
    int h = 0, w = 0;
    if (qflags & Qt::TextWordWrap) {
      QRect br = fm.boundingRect(QRect(0, 0, std::max(1, R.Width()), INT_MAX / 4),
                                 (qflags & (Qt::TextWordWrap | Qt::TextShowMnemonic | Qt::TextExpandTabs)) |
                                     Qt::AlignLeft | Qt::AlignTop,
                                 s);
      w = br.width();
      h = br.height();
    } else {
      // Widths by advance, as TextWidth measures them; one line per line break.
      QStringList lines = single ? QStringList{s} : s.split(u'\n');
      for (QString line : lines) {
        if (qflags & Qt::TextShowMnemonic) {
          QString plain;
          for (int i = 0; i < line.size(); ++i) {
            if (line[i] == u'&' && i + 1 < line.size()) ++i;
            else if (line[i] == u'&') continue;
            plain += line[i];
          }
          line = plain;
        }
        w = std::max(w, fm.horizontalAdvance(line));
      }
      h = fm.height() * static_cast<int>(std::max<qsizetype>(1, lines.size()));
    }
    if (s.isEmpty()) {
      w = 0;
      h = fm.height();
    }
    R.Right = R.Left + w;
    R.Bottom = R.Top + h;
    return h;
  }
  QRect target = Q(R);
  QPainter* p = RequirePainter();
  // Laying a text out costs as much as drawing it: only an opaque brush
  // needs the box before the text; otherwise the drawing measures it.
  const bool opaque = brush_->Style() != bsClear;
  const bool measureFirst = opaque || !p || s.isEmpty();
  QRect br;
  if (measureFirst) br = fm.boundingRect(target, qflags, s);
  if (!p) return br.height();
  QRect* drawn = measureFirst ? nullptr : &br;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (!(Flags & DT_NOCLIP)) p->setClipRect(target, p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  if (opaque) p->fillRect(br, ToQColor(brush_->Color()));
  p->setFont(f);
  p->setPen(ToQColor(font_->Color()));
  if (Flags & DT_RTLREADING) p->setLayoutDirection(Qt::RightToLeft);
  if (Mirrored()) {
    // The box is mirrored and so is the side the text keeps to.
    const int horizontal = qflags & (Qt::AlignLeft | Qt::AlignRight);
    if (horizontal == Qt::AlignLeft || horizontal == Qt::AlignRight)
      qflags = (qflags & ~horizontal) | (horizontal == Qt::AlignLeft ? Qt::AlignRight : Qt::AlignLeft);
    const QRect box = Q(MirrorRect(R));
    Unmirrored(*p, [&] { p->drawText(box, qflags, s, drawn); });
  } else {
    p->drawText(target, qflags, s, drawn);
  }
  p->restore();
  return br.height();
}

bool TCanvas::DrawEdge(TRect& R, unsigned Edge, unsigned Flags) {
  QPainter* p = RequirePainter();
  TRect r = R;
  bool soft = Flags & BF_SOFT;
  bool flat = Flags & (BF_FLAT | BF_MONO);
  // Outer ring first, then the inner ring inside it.
  for (int ring = 0; ring < 2; ++ring) {
    unsigned raised = ring == 0 ? BDR_RAISEDOUTER : BDR_RAISEDINNER;
    unsigned sunken = ring == 0 ? BDR_SUNKENOUTER : BDR_SUNKENINNER;
    if (!(Edge & (raised | sunken))) continue;
    TColor tl, br;
    if (flat) {
      tl = br = (Flags & BF_MONO) ? clWindowFrame : clBtnShadow;
      if (ring == 1 && (Flags & BF_FLAT)) tl = br = clBtnFace;
    } else if (ring == 0) {
      if (Edge & raised) {
        tl = soft ? clBtnHighlight : cl3DLight;
        br = cl3DDkShadow;
      } else {
        tl = clBtnShadow;
        br = clBtnHighlight;
      }
    } else {
      if (Edge & raised) {
        tl = soft ? cl3DLight : clBtnHighlight;
        br = clBtnShadow;
      } else {
        tl = cl3DDkShadow;
        br = cl3DLight;
      }
    }
    if (p && !r.IsEmpty()) {
      p->save();
      p->setCompositionMode(QPainter::CompositionMode_SourceOver);
      if (Flags & BF_LEFT) FillRaw(*p, Rect(r.Left, r.Top, r.Left + 1, r.Bottom), tl);
      if (Flags & BF_TOP) FillRaw(*p, Rect(r.Left, r.Top, r.Right, r.Top + 1), tl);
      // The shadow sides cover the far corners.
      if (Flags & BF_RIGHT) FillRaw(*p, Rect(r.Right - 1, r.Top, r.Right, r.Bottom), br);
      if (Flags & BF_BOTTOM) FillRaw(*p, Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), br);
      p->restore();
    }
    if (Flags & BF_LEFT) ++r.Left;
    if (Flags & BF_TOP) ++r.Top;
    if (Flags & BF_RIGHT) --r.Right;
    if (Flags & BF_BOTTOM) --r.Bottom;
  }
  if ((Flags & BF_MIDDLE) && p && !r.IsEmpty()) {
    p->save();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    FillRaw(*p, r, (Flags & BF_MONO) ? clWindow : clBtnFace);
    p->restore();
  }
  if (Flags & BF_ADJUST) R = r;
  return true;
}

void TCanvas::DrawFocusRect(const TRect& R) {
  TRect r = Normalized(R);
  QPainter* p = RequirePainter();
  if (!p) {
    ToggleOverlay({TOverlayItem::FocusRect, r.TopLeft(), r.BottomRight(), clWhite, 1});
    return;
  }
  std::vector<TPoint> border, dotted;
  BorderPixels(r, border);
  for (TPoint pt : border)
    if (((pt.X + pt.Y) & 1) == 0) dotted.push_back(pt);
  if (dotted.empty()) return;
  QPolygon poly;
  for (TPoint pt : dotted) poly << QPoint(pt.X + PointShift(), pt.Y);
  p->save();
  p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p->setPen(QPen(QColor(255, 255, 255), 1));
  p->drawPoints(poly);
  p->restore();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect) {
  if (!Source) return;
  QImage* src = Source->RequireImage();
  if (!src) return;
  TRect sr = Normalized(SourceRect);
  bool mirrorX = (Dest.Right < Dest.Left) != (SourceRect.Right < SourceRect.Left);
  bool mirrorY = (Dest.Bottom < Dest.Top) != (SourceRect.Bottom < SourceRect.Top);
  QPainter* p = RequirePainter();
  if (!p) return;
  // Source and destination may overlap in one bitmap, and a flip needs
  // the part turned: then a copy of the part is drawn, else the source itself.
  const bool direct = !mirrorX && !mirrorY && p->device() != src;
  QImage part;
  if (!direct) {
    part = src->copy(Q(sr));
    if (mirrorX || mirrorY) part = part.mirrored(mirrorX, mirrorY);
  }
  TRect dr = Normalized(Dest);
  p->save();
  switch (copyMode_) {
    case cmSrcInvert: p->setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
    case cmSrcAnd: p->setCompositionMode(QPainter::RasterOp_SourceAndDestination); break;
    case cmSrcPaint: p->setCompositionMode(QPainter::RasterOp_SourceOrDestination); break;
    case cmDstInvert: p->setCompositionMode(QPainter::RasterOp_NotDestination); break;
    default: p->setCompositionMode(QPainter::CompositionMode_Source); break;
  }
  if (direct)
    p->drawImage(Q(dr), *src, Q(sr));
  else
    p->drawImage(Q(dr), part);
  p->restore();
}

void TCanvas::Draw(int X, int Y, TBitmap* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  StretchDraw(Bounds(X, Y, Graphic->Width(), Graphic->Height()), Graphic);
}

void TCanvas::StretchDraw(const TRect& R, TBitmap* Graphic) {
  if (!Graphic || Graphic->Empty()) return;
  QImage img = Graphic->DrawableImage();
  QPainter* p = RequirePainter();
  if (!p) return;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(Q(Normalized(R)), img);
  p->restore();
}

int TCanvas::SaveDC() {
  Saved s;
  s.pen = std::make_unique<TPen>();
  s.pen->Assign(pen_.get());
  s.brush = std::make_unique<TBrush>();
  s.brush->Assign(brush_.get());
  s.font = std::make_unique<TFont>();
  s.font->Assign(font_.get());
  if (clip_) s.clip = std::make_unique<ClipState>(*clip_);
  saved_.push_back(std::move(s));
  return static_cast<int>(saved_.size());
}

void TCanvas::RestoreDC(int SavedDC) {
  int target = SavedDC < 0 ? static_cast<int>(saved_.size()) + SavedDC + 1 : SavedDC;
  if (target < 1 || target > static_cast<int>(saved_.size())) return;
  while (static_cast<int>(saved_.size()) >= target) {
    Saved& s = saved_.back();
    pen_->Assign(s.pen.get());
    brush_->Assign(s.brush.get());
    font_->Assign(s.font.get());
    clip_ = std::move(s.clip);
    saved_.pop_back();
  }
  ApplyClip();
}

void TCanvas::IntersectClipRect(const TRect& R) { CombineClip(R, true); }

void TCanvas::ExcludeClipRect(const TRect& R) { CombineClip(R, false); }

void TCanvas::CombineClip(const TRect& R, bool keep_inside) {
  QPainter* p = RequirePainter();
  if (!p) return;
  QRegion base = clip_ ? clip_->region : QRegion(Q(MirrorRect(ClipRect())));
  if (!clip_) clip_ = std::make_unique<ClipState>();
  const QRegion r(Q(MirrorRect(Normalized(R))));
  clip_->region = keep_inside ? base.intersected(r) : base.subtracted(r);
  ApplyClip();
}

bool TCanvas::RectVisible(const TRect& R) {
  TRect out;
  return IntersectRect(out, ClipRect(), R);
}

const TClassInfo& TControlCanvas::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TControlCanvas>("TControlCanvas", &TCanvas::StaticClassInfo()).Build();
  return info;
}

}  // namespace ui
