#include "platform/ui/qt_bridge.h"

#include <QPaintDevice>
#include <QTextLayout>

#include "platform/ui/application.h"

#include <QApplication>
#include <QPainter>
#include <QRegion>
#include <QStringList>
#include <QWidget>
#include <cmath>
#include <map>
#include <memory>
#include <tuple>

namespace ui::qt {

namespace {
// Innermost paint first; a paint may open another one (a synchronous repaint
// of another widget from inside a paint).
PaintScope* gPaints = nullptr;
}  // namespace

PaintScope::PaintScope(QWidget* Target, const QRegion& Region) : target_(Target), region_(Region), outer_(gPaints) {
  gPaints = this;
}

PaintScope::PaintScope(QWidget* Target, const QRegion& Region, const QRect& Client)
    : target_(Target), region_(Region), client_(Client), outer_(gPaints) {
  gPaints = this;
}

PaintScope::~PaintScope() { gPaints = outer_; }

void ClipToPaint(QPainter& Painter) {
  for (PaintScope* s = gPaints; s; s = s->outer_) {
    if (Painter.device() != s->target_) continue;
    if (s->client_.isNull()) {
      Painter.setClipRegion(s->region_, Painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
      return;
    }
    const QPoint origin = s->client_.topLeft();
    Painter.translate(origin);
    const QRegion inside = (s->region_ & s->client_).translated(-origin);
    Painter.setClipRegion(inside, Painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    return;
  }
}

const QRegion* PaintRegionOf(const QWidget* Target) {
  for (PaintScope* s = gPaints; s; s = s->outer_)
    if (s->target_ == Target) return &s->region_;
  return nullptr;
}

QFont ToQFont(const TFont& f) {
  QFont q;
  // Chinese text falls back to the CJK face the system ships.
  q.setFamilies(QStringList{Q(MapFontFace(f.Name())), QStringLiteral("WenQuanYi Micro Hei")});
  int h = f.Height();
  // Negative heights are the character height; positive ones the cell height,
  // which carries the internal leading (about 14% for the mapped faces).
  int px = h < 0 ? -h : static_cast<int>(std::lround(h * 0.86));
  q.setPixelSize(px > 0 ? px : 1);
  TFontStyles st = f.Style();
  q.setBold(st.Contains(fsBold));
  q.setItalic(st.Contains(fsItalic));
  q.setUnderline(st.Contains(fsUnderline));
  q.setStrikeOut(st.Contains(fsStrikeOut));
  if (f.Pitch() == fpFixed) q.setFixedPitch(true);
  q.setStyleStrategy(QFont::PreferDefault);
  return q;
}

FontFace::FontFace(const QFont& f) : font(f), metrics(f) {}

int FontFace::TextWidth(const String& Text) {
  // Long texts are rare in cells and would crowd out the short ones.
  constexpr std::size_t kLongest = 64;
  if (Text.size() > kLongest) return metrics.horizontalAdvance(Q(Text));
  if (const int* w = widths_.Find(Text)) return *w;
  const int w = metrics.horizontalAdvance(Q(Text));
  widths_.Put(Text, w);
  return w;
}

const FontFace::ShapedLine* FontFace::Shaped(const QString& Text, const QPaintDevice* Device) {
  constexpr qsizetype kLongest = 64;
  if (Text.isEmpty() || Text.size() > kLongest) return nullptr;
  // Latin, Greek and Cyrillic letters, digits and signs only: no controls, no
  // tabs, nothing that reorders or joins.
  for (QChar c : Text)
    if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0) || c.unicode() >= 0x0300) return nullptr;
  // Glyphs are kept for one resolution, the screen's or a device's.
  const int dpi = Device ? Device->logicalDpiY() : qRound(metrics.fontDpi());
  if (Device && Device->logicalDpiX() != dpi) return nullptr;
  if (dpi != shapedDpi_) {
    shaped_.Clear();
    shapedDpi_ = dpi;
  }
  if (const ShapedLine* kept = shaped_.Find(Text)) return kept;
  QTextLayout layout(Text, font, Device);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setFlags(QTextOption::IncludeTrailingSpaces);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(1e6);
  layout.endLayout();
  ShapedLine shaped{line.glyphRuns(), line.ascent(), qRound(line.horizontalAdvance())};
  return &shaped_.Put(Text, std::move(shaped));
}

int FontFace::DrawnTextWidth(const String& Text) {
  if (const int* w = widths_.Find(Text)) return *w;
  // Measured for the screen only while the kept glyphs are the screen's.
  if (shapedDpi_ == 0 || shapedDpi_ == qRound(metrics.fontDpi()))
    if (const ShapedLine* s = Shaped(Q(Text), nullptr)) {
      widths_.Put(Text, s->width);
      return s->width;
    }
  return TextWidth(Text);
}

namespace {

struct QtFontHandle : TFont::Handle {
  explicit QtFontHandle(std::shared_ptr<FontFace> f) : face(std::move(f)) {}
  std::shared_ptr<FontFace> face;
};

// Faces by the settings that make the Qt font, so fonts with the same
// settings (a column's, the canvas's, a copy changed and changed back)
// share one face and its measured widths.
using FaceKey = std::tuple<String, int, std::uint64_t, int>;

std::shared_ptr<FontFace> FaceFor(const TFont& f) {
  // Never freed: Qt's fonts must not outlive the application's font cache
  // at exit.
  static auto& faces = *new std::map<FaceKey, std::shared_ptr<FontFace>>;
  constexpr std::size_t kMostFaces = 64;
  FaceKey key{f.Name(), f.Height(), f.Style().Bits(), static_cast<int>(f.Pitch())};
  if (auto it = faces.find(key); it != faces.end()) return it->second;
  if (faces.size() >= kMostFaces) faces.clear();
  auto face = std::make_shared<FontFace>(ToQFont(f));
  faces.emplace(std::move(key), face);
  return face;
}

}  // namespace

FontFace& CachedFontFace(const TFont& f) {
  // Only this file gives fonts their handles.
  if (auto* h = static_cast<QtFontHandle*>(f.CachedHandle())) return *h->face;
  auto h = std::make_shared<QtFontHandle>(FaceFor(f));
  FontFace& face = *h->face;
  f.SetCachedHandle(std::move(h));
  return face;
}

const QFont& CachedQFont(const TFont& f) { return CachedFontFace(f).font; }

QWidget* DialogOwner() {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  if (QWidget* w = QApplication::activeWindow()) return w;
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
    return Application->MainForm()->Widget();
  return nullptr;
}

}  // namespace ui::qt
