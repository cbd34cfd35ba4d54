// Conversions between the window layer's types and Qt's. Private to platform/ui.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <unordered_map>

class QPainter;
class QRegion;
class QScrollBar;

class QWidget;

#include "platform/ui/graphics.h"

namespace ui::qt {

inline QString Q(const String& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }
inline String S(const QString& s) {
  return String(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}
inline QRect Q(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }
inline TRect S(const QRect& r) { return Rect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()); }
inline QPoint Q(TPoint p) { return QPoint(p.X, p.Y); }
inline TPoint S(QPoint p) { return Point(p.x(), p.y()); }

inline QColor ToQColor(TColor c) {
  std::uint32_t rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
inline TColor FromQColor(const QColor& c) { return RGBColor(c.red(), c.green(), c.blue()); }

QFont ToQFont(const TFont& f);

// Keeps at least the Half latest entries: when the newer half is full it
// becomes the older one, and an older entry used again moves back to the
// newer half. Dropping everything at once would lose the texts on screen.
template <class Key, class Value>
class RecentMap {
 public:
  explicit RecentMap(std::size_t Half) : half_(Half) {}
  // The entry, valid until the next Put or Find.
  Value* Find(const Key& K) {
    if (auto it = newer_.find(K); it != newer_.end()) return &it->second;
    auto it = older_.find(K);
    if (it == older_.end()) return nullptr;
    auto node = older_.extract(it);
    Turn();
    return &newer_.insert(std::move(node)).position->second;
  }
  Value& Put(const Key& K, Value V) {
    Turn();
    return newer_.insert_or_assign(K, std::move(V)).first->second;
  }
  void Clear() {
    newer_.clear();
    older_.clear();
  }

 private:
  void Turn() {
    if (newer_.size() < half_) return;
    older_ = std::move(newer_);
    newer_.clear();
  }
  std::size_t half_;
  std::unordered_map<Key, Value> newer_, older_;
};

// The Qt font of one set of font settings with its metrics, and the widths
// of the texts measured in it: a width needs the whole text shaped, which
// costs more than drawing it, and a grid measures the same few texts on
// every paint. Window thread only.
struct FontFace {
  explicit FontFace(const QFont& f);
  QFont font;
  QFontMetrics metrics;
  int Ascent() {
    if (ascent_ < 0) ascent_ = metrics.ascent();
    return ascent_;
  }
  int Height() {
    if (height_ < 0) height_ = metrics.height();
    return height_;
  }
  // Advance width of a single-line text, as horizontalAdvance measures it.
  int TextWidth(const String& Text);
  // The glyphs of a short plain left-to-right text laid out on one line for
  // a device, with the line's ascent; nullptr for other texts. Kept like the
  // widths: shaping is most of what drawing a cell's text costs, and a grid
  // draws the same texts on every paint.
  struct ShapedLine {
    QList<QGlyphRun> runs;
    qreal ascent = 0;
    int width = 0;  // as TextWidth measures it
  };
  // Device nullptr: for the screen, as TextWidth measures.
  const ShapedLine* Shaped(const QString& Text, const QPaintDevice* Device);
  // The width of a text about to be drawn: a new text is shaped once, for
  // measuring and drawing both.
  int DrawnTextWidth(const String& Text);

 private:
  int ascent_ = -1, height_ = -1;
  RecentMap<String, int> widths_{4096};
  RecentMap<QString, ShapedLine> shaped_{2048};
  int shapedDpi_ = 0;
};
// The face of a TFont, looked up once per change of its settings.
FontFace& CachedFontFace(const TFont& f);
const QFont& CachedQFont(const TFont& f);

// The window a dialog belongs to: the modal window in front, else the
// active one, else the main form's. A dialog made transient for it stays
// above it (window managers keep a transient window over its owner), even
// over a maximised one.
QWidget* DialogOwner();

// The screen point of the latest mouse event, where a drag starts
// (drag_drop.cpp); the cursor position before any.
void NoteMousePos(TPoint ScreenPos);
TPoint LastMousePos();

// Scroll bars: the scroll code (SB_LINEUP...) a Qt slider action stands
// for, -1 for none; and a call when the mouse lets go of the bar (the end
// of a scroll, the final position of a dragged thumb).
int ScrollCodeOfAction(int Action);
void OnScrollBarRelease(QScrollBar* Bar, std::function<void()> Released);

// A paint of a widget under way: while it lasts, ClipToPaint clips every
// painter opened on that widget to the region Qt asked to repaint. Qt clips
// only the pixels; the clip tells the painting code which area it may skip
// (a canvas's ClipRect is the region's bounds, a paint struct's rcPaint).
// A paint of the client area of a framed control also moves such a painter
// to the client's origin and keeps it inside the client rectangle (Client,
// in widget coordinates).
class PaintScope {
 public:
  PaintScope(QWidget* Target, const QRegion& Region);
  PaintScope(QWidget* Target, const QRegion& Region, const QRect& Client);
  ~PaintScope();
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

 private:
  friend void ClipToPaint(QPainter& Painter);
  friend const QRegion* PaintRegionOf(const QWidget* Target);
  QWidget* target_;
  const QRegion& region_;
  QRect client_;  // null: the whole widget, no move
  PaintScope* outer_;
};
// A painter on a widget being painted is clipped to the paint's region
// (intersected with the clip it already has); other painters are left alone.
void ClipToPaint(QPainter& Painter);
// The region being painted of a widget (widget coordinates), or nullptr
// when the widget is not painting.
const QRegion* PaintRegionOf(const QWidget* Target);

}  // namespace ui::qt
