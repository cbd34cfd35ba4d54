// Window scroll bars: clamping, visibility, the scroll codes of bar actions
// and the mouse wheel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

struct ScrollMsg {
  std::uint32_t msg;
  int code;
  int pos;
};

// A control that scrolls like a grid: it records each scroll message and
// moves its bar by one line or page, or to the thumb position.
class TScroller : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<ScrollMsg> seen;
  int resizes = 0;
  int wheelDown = 0, wheelUp = 0;
  bool moveOnScroll = true;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_HSCROLL || m.Msg == WM_VSCROLL) {
      int bar = m.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
      int code = LoWord(m.WParam);
      TScrollInfo si;
      si.fMask = SIF_ALL;
      GetScrollInfo(bar, si);
      seen.push_back({m.Msg, code, code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? si.nTrackPos : si.nPos});
      if (!moveOnScroll) return;
      int pos = si.nPos;
      switch (code) {
        case SB_LINEUP: pos -= 1; break;
        case SB_LINEDOWN: pos += 1; break;
        case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
        case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
        case SB_THUMBPOSITION: pos = si.nTrackPos; break;
        case SB_TOP: pos = si.nMin; break;
        case SB_BOTTOM: pos = si.nMax; break;
        default: return;
      }
      SetScrollPos(bar, pos);
      return;
    }
    TCustomControl::Dispatch(m);
  }
  QScrollBar* Bar(int which) {
    for (QScrollBar* b : Widget()->findChildren<QScrollBar*>())
      if ((b->orientation() == Qt::Vertical) == (which == SB_VERT)) return b;
    return nullptr;
  }

 protected:
  void Resize() override {
    ++resizes;
    TCustomControl::Resize();
  }
  bool DoMouseWheelDown(TShiftState Shift, TPoint P) override {
    ++wheelDown;
    return TCustomControl::DoMouseWheelDown(Shift, P) || wheelHandled;
  }
  bool DoMouseWheelUp(TShiftState Shift, TPoint P) override {
    ++wheelUp;
    return TCustomControl::DoMouseWheelUp(Shift, P) || wheelHandled;
  }

 public:
  bool wheelHandled = true;
};

class ScrollTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 300, 200);
    s = new TScroller(form);
    s->SetBounds(10, 10, 200, 150);
    s->SetParent(form);
    h.Show(form);
  }
  void SetInfo(int bar, int min, int max, unsigned page, int pos, unsigned extra = 0) {
    TScrollInfo si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | extra;
    si.nMin = min;
    si.nMax = max;
    si.nPage = page;
    si.nPos = pos;
    s->SetScrollInfo(bar, si);
  }
  uitest::Harness h;
  TForm* form = nullptr;
  TScroller* s = nullptr;
};

TEST_F(ScrollTest, InfoIsClampedAndDecidesWhetherTheBarShows) {
  struct Case {
    int min, max;
    unsigned page;
    int pos;
    int wantPos;
    unsigned wantPage;
    bool visible;
  } cases[] = {
      {0, 99, 10, 50, 50, 10, true},
      {0, 99, 10, 95, 90, 10, true},        // the last page ends at the maximum
      {0, 99, 0, 150, 99, 0, true},         // no page: up to the maximum
      {10, 99, 10, -5, 10, 10, true},       // below the minimum
      {0, 99, 500, 7, 0, 100, false},       // the page is at most the range; all fits
      {0, 0, 0, 3, 0, 0, false},            // empty range
      {0, 2000000000, 1000000, 1999999999, 1999000001, 1000000, true},  // 32-bit range
      {-100000, 100000, 1, -70000, -70000, 1, true},
  };
  for (const Case& c : cases) {
    SetInfo(SB_VERT, c.min, c.max, c.page, c.pos);
    TScrollInfo si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(s->GetScrollInfo(SB_VERT, si));
    EXPECT_EQ(si.nPos, c.wantPos) << c.max << " " << c.pos;
    EXPECT_EQ(si.nPage, c.wantPage) << c.max << " " << c.pos;
    EXPECT_EQ(si.nTrackPos, c.wantPos);
    EXPECT_EQ(s->ScrollBarVisible(SB_VERT), c.visible) << c.max << " " << c.pos;
  }
  // Asked to stay, a bar whose range all fits is shown disabled.
  SetInfo(SB_HORZ, 0, 10, 20, 0, SIF_DISABLENOSCROLL);
  EXPECT_TRUE(s->ScrollBarVisible(SB_HORZ));
  ASSERT_NE(s->Bar(SB_HORZ), nullptr);
  EXPECT_FALSE(s->Bar(SB_HORZ)->isEnabled());
  // SetScrollPos clamps and answers the old position.
  SetInfo(SB_VERT, 0, 99, 10, 5);
  EXPECT_EQ(s->SetScrollPos(SB_VERT, 1000), 5);
  EXPECT_EQ(s->GetScrollPos(SB_VERT), 90);
}

TEST_F(ScrollTest, ShowingABarShrinksTheClientAndReportsAResize) {
  EXPECT_EQ(s->ClientRect(), Rect(0, 0, 200, 150));
  s->resizes = 0;
  SetInfo(SB_VERT, 0, 99, 10, 0);
  const int ext = s->Width() - s->ClientWidth();
  EXPECT_GT(ext, 0);
  EXPECT_EQ(s->ClientHeight(), 150);
  EXPECT_EQ(s->resizes, 1);
  EXPECT_TRUE(s->Bar(SB_VERT)->isVisible());
  EXPECT_EQ(s->Bar(SB_VERT)->geometry().left(), 200 - ext);
  SetInfo(SB_VERT, 0, 99, 20, 0);  // still shown: no resize
  EXPECT_EQ(s->resizes, 1);
  s->ShowScrollBar(SB_BOTH, true);
  EXPECT_EQ(s->ClientRect(), Rect(0, 0, 200 - ext, 150 - ext));
  EXPECT_EQ(s->resizes, 2);
  s->ShowScrollBar(SB_BOTH, false);
  EXPECT_EQ(s->ClientRect(), Rect(0, 0, 200, 150));
  EXPECT_FALSE(s->Bar(SB_VERT)->isVisible());
  EXPECT_EQ(s->resizes, 3);
}

TEST_F(ScrollTest, BarActionsArriveAsScrollCodesAndTheControlMovesTheBar) {
  SetInfo(SB_VERT, 0, 99, 10, 50);
  QScrollBar* bar = s->Bar(SB_VERT);
  ASSERT_NE(bar, nullptr);
  struct Case {
    QAbstractSlider::SliderAction action;
    int code;
    int after;
  } cases[] = {
      {QAbstractSlider::SliderSingleStepAdd, SB_LINEDOWN, 51},
      {QAbstractSlider::SliderSingleStepSub, SB_LINEUP, 50},
      {QAbstractSlider::SliderPageStepAdd, SB_PAGEDOWN, 60},
      {QAbstractSlider::SliderPageStepSub, SB_PAGEUP, 50},
      {QAbstractSlider::SliderToMaximum, SB_BOTTOM, 90},
      {QAbstractSlider::SliderToMinimum, SB_TOP, 0},
  };
  for (const Case& c : cases) {
    s->seen.clear();
    bar->triggerAction(c.action);
    ASSERT_EQ(s->seen.size(), 1u) << c.code;
    EXPECT_EQ(s->seen[0].msg, static_cast<std::uint32_t>(WM_VSCROLL));
    EXPECT_EQ(s->seen[0].code, c.code);
    EXPECT_EQ(s->GetScrollPos(SB_VERT), c.after) << c.code;
    EXPECT_EQ(bar->value(), c.after) << c.code;
  }
  // A control that does not move leaves the bar where it was.
  s->moveOnScroll = false;
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(s->GetScrollPos(SB_VERT), 0);
}

TEST_F(ScrollTest, ThumbDragReportsThe32BitTrackPositionThenThePositionAndTheEnd) {
  SetInfo(SB_HORZ, 0, 1000000, 1000, 0);
  QScrollBar* bar = s->Bar(SB_HORZ);
  ASSERT_NE(bar, nullptr);
  s->seen.clear();
  bar->setSliderDown(true);
  bar->setSliderPosition(700000);  // far beyond 16 bits
  ASSERT_FALSE(s->seen.empty());
  EXPECT_EQ(s->seen.back().msg, static_cast<std::uint32_t>(WM_HSCROLL));
  EXPECT_EQ(s->seen.back().code, SB_THUMBTRACK);
  EXPECT_EQ(s->seen.back().pos, 700000);
  EXPECT_EQ(s->GetScrollPos(SB_HORZ), 0);  // tracking alone moves nothing
  s->seen.clear();
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(bar, &release);
  bar->setSliderDown(false);
  ASSERT_EQ(s->seen.size(), 2u);
  EXPECT_EQ(s->seen[0].code, SB_THUMBPOSITION);
  EXPECT_EQ(s->seen[0].pos, 700000);
  EXPECT_EQ(s->seen[1].code, SB_ENDSCROLL);
  EXPECT_EQ(s->GetScrollPos(SB_HORZ), 700000);
}

// A right-to-left control mirrors its positions itself; its bars keep the
// left-to-right order, so the left arrow still means "line left".
TEST_F(ScrollTest, BarsOfARightToLeftControlKeepLeftToRightOrder) {
  s->SetBiDiMode(bdRightToLeft);
  SetInfo(SB_HORZ, 0, 99, 10, 0);
  QScrollBar* bar = s->Bar(SB_HORZ);
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->isRightToLeft());
  s->moveOnScroll = false;
  auto press = [&](int x) {
    s->seen.clear();
    const QPointF at(x, bar->height() / 2);
    QMouseEvent down(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(bar, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(bar, &up);
    return s->seen.empty() ? -1 : s->seen[0].code;
  };
  EXPECT_EQ(press(2), SB_LINEUP);
  EXPECT_EQ(press(bar->width() - 3), SB_LINEDOWN);
}

TEST_F(ScrollTest, WheelReachesDoMouseWheelInWholeNotches) {
  auto wheel = [&](int delta) {
    QPointF at(20, 20);
    QWheelEvent e(at, s->Widget()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(s->Widget(), &e);
  };
  struct Case {
    std::vector<int> deltas;
    int down, up;
  } cases[] = {
      {{-120}, 1, 0},
      {{120, 120}, 0, 2},
      {{-360}, 3, 0},
      {{40, 40}, 0, 0},  // parts of a notch wait for the rest
      {{40}, 0, 1},
  };
  for (const Case& c : cases) {
    s->wheelDown = s->wheelUp = 0;
    for (int d : c.deltas) wheel(d);
    EXPECT_EQ(s->wheelDown, c.down);
    EXPECT_EQ(s->wheelUp, c.up);
  }
  // OnMouseWheel may take the wheel first.
  int seenDelta = 0;
  s->OnMouseWheel = [&](TObject*, TShiftState, int d, TPoint, bool& handled) {
    seenDelta = d;
    handled = true;
  };
  s->wheelDown = 0;
  wheel(-120);
  EXPECT_EQ(seenDelta, -120);
  EXPECT_EQ(s->wheelDown, 0);
  // A wheel the control leaves goes to its parent (a Qt wheel event climbs the parents itself).
  s->OnMouseWheel = nullptr;
  s->wheelHandled = false;
  int parentDown = 0;
  form->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& handled) {
    ++parentDown;
    handled = true;
  };
  const WPARAM notchDown = static_cast<WPARAM>(static_cast<std::uint16_t>(-120)) << 16;
  EXPECT_EQ(s->Perform(WM_MOUSEWHEEL, notchDown, 0), 1);
  EXPECT_EQ(s->wheelDown, 1);
  EXPECT_EQ(parentDown, 1);
}

TEST_F(ScrollTest, ScrollWindowMovesChildrenWhenAsked) {
  auto* child = new TPanel(form);
  child->SetParent(s);
  child->SetBounds(10, 10, 20, 20);
  s->ScrollWindowEx(0, -5, nullptr, nullptr, SW_INVALIDATE);
  EXPECT_EQ(child->Top(), 10);
  s->ScrollWindowEx(3, -5, nullptr, nullptr, SW_INVALIDATE | SW_SCROLLCHILDREN);
  EXPECT_EQ(child->BoundsRect(), Rect(13, 5, 33, 25));
  TRect band = Rect(100, 0, 200, 50);
  s->ScrollWindowEx(0, 10, &band, &band, SW_SCROLLCHILDREN);  // the child is outside the band
  EXPECT_EQ(child->Top(), 5);
}

// Ten-pixel stripes of a content that scrolls: stripe k of the content is
// red when marked, else grey or white by its parity. Each paint's area is
// kept.
class TStripes : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int offset = 0;  // content pixels scrolled away at the top
  int marked = -1;
  std::vector<TRect> painted;

 protected:
  void Paint() override {
    const TRect clip = Canvas()->ClipRect();
    painted.push_back(clip);
    for (int y = clip.Top - (clip.Top + offset) % 10; y < clip.Bottom; y += 10) {
      const int k = (y + offset) / 10;
      Canvas()->Brush()->SetColor(k == marked ? clRed : k % 2 ? clSilver : clWhite);
      Canvas()->FillRect(Rect(0, y, Width(), y + 10));
    }
  }
};

TEST_F(ScrollTest, ScrollWindowMovesThePixelsAndRepaintsOnlyWhatItUncovers) {
  auto* st = new TStripes(form);
  st->SetParent(form);
  st->SetBounds(220, 10, 60, 150);
  h.ProcessEvents();
  // A stripe waiting for its paint moves with the pixels: the content's
  // stripe 5 is marked while it shows at 50..60 and is painted at 40..50.
  st->marked = 5;
  st->InvalidateRect(Rect(0, 50, 60, 60));
  st->painted.clear();
  st->offset += 10;
  st->ScrollWindowEx(0, -10, nullptr, nullptr, SW_INVALIDATE);
  st->Update();
  // One paint, from the moved stripe to the uncovered band at the bottom,
  // not the whole window...
  ASSERT_EQ(st->painted.size(), 1u);
  EXPECT_EQ(st->painted[0], Rect(0, 40, 60, 150));
  // ...and what shows is what a full paint of the scrolled content gives.
  const QImage shown = h.ShownImage(st).convertToFormat(QImage::Format_RGB32);
  const QImage full = st->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(shown.isNull());
  EXPECT_EQ(shown, full);
  EXPECT_EQ(shown.pixel(30, 45), qRgb(255, 0, 0));
}

}  // namespace
