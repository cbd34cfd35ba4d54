#include "platform/ui/qt_bridge.h"

#include "platform/ui/application.h"

#include <QApplication>
#include <QPainter>
#include <QRegion>
#include <QStringList>
#include <QWidget>
#include <cmath>
#include <memory>

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

namespace {
struct QtFontHandle : TFont::Handle {
  explicit QtFontHandle(QFont f) : font(std::move(f)) {}
  QFont font;
};
}  // namespace

const QFont& CachedQFont(const TFont& f) {
  if (auto* h = dynamic_cast<QtFontHandle*>(f.CachedHandle())) return h->font;
  auto h = std::make_shared<QtFontHandle>(ToQFont(f));
  const QFont& font = h->font;
  f.SetCachedHandle(std::move(h));
  return font;
}

QWidget* DialogOwner() {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  if (QWidget* w = QApplication::activeWindow()) return w;
  if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
    return Application->MainForm()->Widget();
  return nullptr;
}

}  // namespace ui::qt
