// Window scroll bars of a windowed control, with the Windows rules: the
// control decides the position (a bar action only reports a scroll code),
// the page and position are clamped to the range, a bar whose range all fits
// is hidden (or disabled when asked), and showing or hiding one changes the
// client area, which arrives as a resize. The mouse wheel is summed to whole
// notches for DoMouseWheelDown/Up.
#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <cstdlib>

#include "platform/ui/controls.h"
#include "platform/ui/guard.h"
#include "platform/ui/qt_bridge.h"
#include "platform/ui/scroll_bar.h"

namespace ui {

struct TWinControl::ScrollBars {
  struct Bar {
    std::int64_t min = 0, max = 100;
    std::int64_t page = 0, pos = 0, track = 0;
    bool visible = false;
    bool enabled = true;
    bool dragging = false;
    bool syncing = false;
    bool shown = false;  // visibility the client area was last laid out for
    QPointer<QScrollBar> widget;
  };
  Bar bars[2];
};

namespace {

int BarExtent() { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

std::int64_t MaxPos(const TWinControl::ScrollBars::Bar& b) {
  return std::max(b.min, b.max - std::max<std::int64_t>(b.page - 1, 0));
}

int Clamp32(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

// Releases of the mouse end a scroll (and a thumb drag with its final position).
class BarReleaseFilter : public QObject {
 public:
  explicit BarReleaseFilter(std::function<void()> onRelease) : onRelease_(std::move(onRelease)) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonRelease) Guarded(onRelease_);
    return false;
  }

 private:
  std::function<void()> onRelease_;
};

}  // namespace

namespace qt {

int ScrollCodeOfAction(int Action) {
  switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd: return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub: return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd: return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub: return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum: return SB_TOP;
    case QAbstractSlider::SliderToMaximum: return SB_BOTTOM;
    case QAbstractSlider::SliderMove: return SB_THUMBTRACK;
    default: return -1;
  }
}

void OnScrollBarRelease(QScrollBar* Bar, std::function<void()> Released) {
  auto* release = new BarReleaseFilter(std::move(Released));
  release->setParent(Bar);
  Bar->installEventFilter(release);
}

}  // namespace qt

TWinControl::ScrollBars& TWinControl::ScrollState() {
  if (!scrollBars_) scrollBars_ = std::make_shared<ScrollBars>();
  return *scrollBars_;
}

bool TWinControl::ScrollBarVisible(int Bar) const {
  return scrollBars_ && (Bar == SB_HORZ || Bar == SB_VERT) && scrollBars_->bars[Bar].visible;
}

TRect TWinControl::ClientRect() const {
  TRect r = Rect(0, 0, std::max(0, Width() - nonClient_.Left - nonClient_.Right),
                 std::max(0, Height() - nonClient_.Top - nonClient_.Bottom));
  if (!scrollBars_) return r;
  if (scrollBars_->bars[SB_VERT].visible) r.Right = std::max(r.Left, r.Right - BarExtent());
  if (scrollBars_->bars[SB_HORZ].visible) r.Bottom = std::max(r.Top, r.Bottom - BarExtent());
  return r;
}

int TWinControl::SetScrollInfo(int Bar, const TScrollInfo& Info, bool Redraw) {
  if (Bar != SB_HORZ && Bar != SB_VERT) return 0;
  ScrollBars::Bar& b = ScrollState().bars[Bar];
  if (Info.fMask & SIF_RANGE) {
    b.min = Info.nMin;
    b.max = Info.nMax;
  }
  if (Info.fMask & SIF_PAGE) b.page = Info.nPage;
  if (Info.fMask & SIF_POS) b.pos = Info.nPos;
  // The page never exceeds the range; the position stays where a whole page fits.
  const std::int64_t span = std::max<std::int64_t>(0, b.max - b.min + 1);
  b.page = std::clamp<std::int64_t>(b.page, 0, span);
  b.pos = std::clamp(b.pos, b.min, MaxPos(b));
  if (Info.fMask & (SIF_RANGE | SIF_PAGE)) {
    const bool scrolls = b.max > b.min && b.page < span;
    if (scrolls) {
      b.visible = true;
      b.enabled = true;
    } else if (Info.fMask & SIF_DISABLENOSCROLL) {
      b.visible = true;
      b.enabled = false;
    } else {
      b.visible = false;
    }
  }
  (void)Redraw;
  SyncScrollBars();
  return Clamp32(b.pos);
}

bool TWinControl::GetScrollInfo(int Bar, TScrollInfo& Info) const {
  if (Bar == SB_CTL) {
    const auto* control = dynamic_cast<const TScrollBar*>(this);
    return control && control->GetControlScrollInfo(Info);
  }
  if (Bar != SB_HORZ && Bar != SB_VERT) return false;
  ScrollBars::Bar b;
  if (scrollBars_) b = scrollBars_->bars[Bar];
  if (Info.fMask & SIF_RANGE) {
    Info.nMin = Clamp32(b.min);
    Info.nMax = Clamp32(b.max);
  }
  if (Info.fMask & SIF_PAGE) Info.nPage = static_cast<unsigned>(b.page);
  if (Info.fMask & SIF_POS) Info.nPos = Clamp32(b.pos);
  if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = Clamp32(b.dragging ? b.track : b.pos);
  return (Info.fMask & SIF_ALL) != 0;
}

int TWinControl::GetScrollPos(int Bar) const {
  TScrollInfo si;
  si.fMask = SIF_POS;
  return GetScrollInfo(Bar, si) ? si.nPos : 0;
}

int TWinControl::SetScrollPos(int Bar, int Pos, bool Redraw) {
  int old = GetScrollPos(Bar);
  TScrollInfo si;
  si.fMask = SIF_POS;
  si.nPos = Pos;
  SetScrollInfo(Bar, si, Redraw);
  return old;
}

bool TWinControl::ShowScrollBar(int Bar, bool Show) {
  if (Bar < SB_HORZ || Bar > SB_BOTH || Bar == SB_CTL) return false;
  ScrollBars& s = ScrollState();
  if (Bar != SB_VERT) s.bars[SB_HORZ].visible = Show;
  if (Bar != SB_HORZ) s.bars[SB_VERT].visible = Show;
  SyncScrollBars();
  return true;
}

bool TWinControl::EnableScrollBar(int Bar, unsigned Arrows) {
  if (Bar < SB_HORZ || Bar > SB_BOTH || Bar == SB_CTL) return false;
  ScrollBars& s = ScrollState();
  const bool enable = Arrows != ESB_DISABLE_BOTH;
  if (Bar != SB_VERT) s.bars[SB_HORZ].enabled = enable;
  if (Bar != SB_HORZ) s.bars[SB_VERT].enabled = enable;
  SyncScrollBars();
  return true;
}

void TWinControl::SendScrollCode(int Bar, int Code, std::int64_t Pos) {
  const WPARAM w = static_cast<WPARAM>(Code & 0xFFFF) | (static_cast<WPARAM>(Pos & 0xFFFF) << 16);
  Perform(Bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL, w, 0);
}

// Places the bar widgets at the right and bottom edges and copies the state
// into them. A change of which bars show resizes the client area.
void TWinControl::SyncScrollBars() {
  if (!scrollBars_) return;
  ScrollBars& s = *scrollBars_;
  if (widget_) {
    const int ext = BarExtent();
    const TRect client = ClientRect();
    for (int i = 0; i < 2; ++i) {
      ScrollBars::Bar& b = s.bars[i];
      if (!b.widget && b.visible) {
        auto* sb = new QScrollBar(i == SB_HORZ ? Qt::Horizontal : Qt::Vertical, widget_);
        sb->setFocusPolicy(Qt::NoFocus);
        // As Windows' window bars, these keep left-to-right order in a
        // right-to-left control (which mirrors its own positions), instead
        // of taking the mirrored order of the control's widget.
        sb->setLayoutDirection(Qt::LeftToRight);
        // A bar paints its own ground: a moved thumb then repaints the bar
        // alone, not the control's painting under it along the whole edge.
        sb->setAutoFillBackground(true);
        b.widget = sb;
        auto alive = alive_;
        QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [this, i, alive, sb](int action) {
          if (!*alive) return;
          ScrollBars::Bar& bar = scrollBars_->bars[i];
          if (bar.syncing) return;
          const int code = qt::ScrollCodeOfAction(action);
          if (code < 0) return;
          QPointer<QScrollBar> guard(sb);
          Guarded([&] {
            if (code == SB_THUMBTRACK) {
              bar.dragging = true;
              bar.track = sb->sliderPosition();
              SendScrollCode(i, code, bar.track);
            } else {
              SendScrollCode(i, code, bar.pos);
            }
          });
          // The control moved the bar (or not) itself; the action does nothing more,
          // except that a dragged thumb follows the mouse.
          if (*alive && guard && code != SB_THUMBTRACK) guard->setSliderPosition(Clamp32(scrollBars_->bars[i].pos));
        });
        qt::OnScrollBarRelease(sb, [this, i, alive] {
          if (!*alive) return;
          ScrollBars::Bar& bar = scrollBars_->bars[i];
          if (bar.dragging) {
            SendScrollCode(i, SB_THUMBPOSITION, bar.track);
            if (!*alive) return;
            scrollBars_->bars[i].dragging = false;
          }
          SendScrollCode(i, SB_ENDSCROLL, 0);
          if (*alive) SyncScrollBars();
        });
      }
      if (!b.widget) continue;
      QScrollBar* sb = b.widget;
      b.syncing = true;
      sb->setRange(Clamp32(b.min), Clamp32(MaxPos(b)));
      sb->setPageStep(static_cast<int>(std::min<std::int64_t>(b.page, INT32_MAX)));
      if (!b.dragging) sb->setValue(Clamp32(b.pos));
      sb->setEnabled(b.enabled && b.max > b.min);
      b.syncing = false;
      // Inside the frame, along the client area.
      const TPoint at = ClientToWidget({0, 0});
      if (i == SB_VERT)
        sb->setGeometry(at.X + client.Right, at.Y, ext, client.Bottom);
      else
        sb->setGeometry(at.X, at.Y + client.Bottom, client.Right, ext);
      sb->setVisible(b.visible);
    }
  }
  bool changed = false;
  for (ScrollBars::Bar& b : s.bars) {
    changed = changed || b.shown != b.visible;
    b.shown = b.visible;
  }
  if (changed) {
    Realign();
    Resize();
  }
}

void TWinControl::ScrollWindowEx(int DX, int DY, const TRect* Scroll, const TRect* Clip, unsigned Flags) {
  if (Flags & SW_SCROLLCHILDREN) {
    for (TControl* c : controls_) {
      TRect overlap;
      if (Scroll && !IntersectRect(overlap, c->BoundsRect(), *Scroll)) continue;
      c->SetBounds(c->Left() + DX, c->Top() + DY, c->Width(), c->Height());
    }
  }
  if (!widget_ || !widget_->isVisible()) {
    Invalidate();
    return;
  }
  TRect area = Scroll ? *Scroll : ClientRect();
  if (Clip && !IntersectRect(area, area, *Clip)) return;
  if (area.IsEmpty()) return;
  // The pixels move at once; the band they leave is painted by the next
  // paint, and areas waiting for a paint move with them. Qt moves the
  // pixels only of a widget it takes for opaque, and repaints the whole
  // area of any other; what a window scrolls is its own painting, so it
  // counts as opaque for the move.
  const bool opaque = widget_->testAttribute(Qt::WA_OpaquePaintEvent);
  if (!opaque) widget_->setAttribute(Qt::WA_OpaquePaintEvent, true);
  const TPoint at = ClientToWidget({area.Left, area.Top});
  widget_->scroll(DX, DY, QRect(at.X, at.Y, area.Width(), area.Height()));
  if (!opaque) widget_->setAttribute(Qt::WA_OpaquePaintEvent, false);
}

// --- wheel -------------------------------------------------------------------------

bool TWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (handled) return true;
  wheelAccumulator_ += WheelDelta;
  // Fine-grained wheels send parts of a notch; whole notches make steps.
  while (std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
    const bool down = wheelAccumulator_ < 0;
    wheelAccumulator_ += down ? WHEEL_DELTA : -WHEEL_DELTA;
    auto alive = alive_;
    handled = (down ? DoMouseWheelDown(Shift, MousePos) : DoMouseWheelUp(Shift, MousePos)) || handled;
    if (!*alive) return true;
  }
  return handled;
}

bool TWinControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TWinControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TWinControl::WheelMessage(TMessage& Message, TShiftState Shift) {
  const int delta = static_cast<std::int16_t>(HiWord(Message.WParam));
  auto alive = alive_;
  if (DoMouseWheel(Shift, delta, {XPos(Message.LParam), YPos(Message.LParam)})) {
    Message.Result = 1;
    return;
  }
  // Not taken here: the parent gets its turn.
  if (*alive) DefaultHandler(Message);
}

}  // namespace ui
