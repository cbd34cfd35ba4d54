#include "platform/ui/scroll_bar.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "platform/runtime/exceptions.h"
#include "platform/ui/guard.h"
#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui {

const TClassInfo& TScrollBar::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TScrollBar>("TScrollBar", &TWinControl::StaticClassInfo())
          .Enum("Kind", "TScrollBarKind", {"sbHorizontal", "sbVertical"}, &TScrollBar::Kind, &TScrollBar::SetKind,
                sbHorizontal)
          .Integer("Min", &TScrollBar::Min, &TScrollBar::SetMin, 0)
          .Integer("Max", &TScrollBar::Max, &TScrollBar::SetMax, 100)
          .Integer("Position", &TScrollBar::Position, &TScrollBar::SetPosition, 0)
          .Integer("PageSize", &TScrollBar::PageSize, &TScrollBar::SetPageSize, 0)
          .Integer("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange, 1)
          .Integer("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange, 1)
          .Build();
  return info;
}

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_.Exclude(csDoubleClicks);
  controlStyle_.Exclude(csSetCaption);
  SetTabStop(true);
  SetBounds(0, 0, 121, QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

TScrollBar::~TScrollBar() { BeginDestroy(); }

void TScrollBar::SetKind(TScrollBarKind Value) {
  if (Value == kind_) return;
  kind_ = Value;
  // The bar turns: its long side stays long.
  SetBounds(Left(), Top(), Height(), Width());
  if (auto* sb = qobject_cast<QScrollBar*>(widget_))
    sb->setOrientation(kind_ == sbHorizontal ? Qt::Horizontal : Qt::Vertical);
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (AMax < AMin || AMax < pageSize_) throw rtl::EInvalidOperation(u"Scroll bar property out of range");
  APosition = std::clamp(APosition, AMin, AMax);
  min_ = AMin;
  max_ = AMax;
  const bool moved = APosition != position_;
  position_ = APosition;
  SyncWidget();
  if (moved) Change();
}

void TScrollBar::SetPageSize(int Value) {
  if (Value == pageSize_ || Value < 0) return;
  pageSize_ = Value;
  SyncWidget();
}

bool TScrollBar::GetControlScrollInfo(TScrollInfo& Info) const {
  if (Info.fMask & SIF_RANGE) {
    Info.nMin = min_;
    Info.nMax = max_;
  }
  if (Info.fMask & SIF_PAGE) Info.nPage = static_cast<unsigned>(pageSize_);
  if (Info.fMask & SIF_POS) Info.nPos = position_;
  if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = tracking_ ? trackPos_ : position_;
  return (Info.fMask & SIF_ALL) != 0;
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
  if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::Change() {
  if (OnChange) OnChange(this);
}

void TScrollBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL) {
    DoScroll(Message);
    Message.Result = 0;
    return;
  }
  TWinControl::Dispatch(Message);
}

// The position an action leads to: steps of SmallChange and LargeChange,
// the thumb's place while it is dragged and where it was let go, the ends.
void TScrollBar::DoScroll(const TMessage& Message) {
  const auto code = static_cast<TScrollCode>(LoWord(Message.WParam));
  std::int64_t pos = position_;
  switch (code) {
    case scLineUp: pos -= smallChange_; break;
    case scLineDown: pos += smallChange_; break;
    case scPageUp: pos -= largeChange_; break;
    case scPageDown: pos += largeChange_; break;
    case scPosition:
    case scTrack: {
      TScrollInfo si;
      si.fMask = SIF_TRACKPOS;
      GetControlScrollInfo(si);
      pos = si.nTrackPos;
      break;
    }
    case scTop: pos = min_; break;
    case scBottom: pos = max_; break;
    default: break;
  }
  int scrollPos = static_cast<int>(std::clamp<std::int64_t>(pos, min_, max_));
  auto alive = alive_;
  Scroll(code, scrollPos);
  if (*alive) SetPosition(scrollPos);
}

// Tells the parent, as the classic control does; the parent reflects it.
void TScrollBar::Notify(int Code, int Pos) {
  const WPARAM w = static_cast<WPARAM>(Code & 0xFFFF) | (static_cast<WPARAM>(Pos & 0xFFFF) << 16);
  const std::uint32_t msg = kind_ == sbHorizontal ? WM_HSCROLL : WM_VSCROLL;
  if (TWinControl* p = Parent())
    p->Perform(msg, w, reinterpret_cast<LPARAM>(this));
  else
    Perform(CN_BASE + msg, w, reinterpret_cast<LPARAM>(this));
}

QWidget* TScrollBar::CreateWidget(QWidget* Parent) {
  auto* sb = new qt::Host<QScrollBar>(this, false, kind_ == sbHorizontal ? Qt::Horizontal : Qt::Vertical, Parent);
  auto alive = alive_;
  QObject::connect(sb, &QAbstractSlider::actionTriggered, sb, [this, alive, sb](int action) {
    if (!*alive || syncing_) return;
    const int code = qt::ScrollCodeOfAction(action);
    if (code < 0) return;
    QPointer<QScrollBar> guard(sb);
    Guarded([&] {
      if (code == SB_THUMBTRACK) {
        tracking_ = true;
        trackPos_ = sb->sliderPosition();
      }
      Notify(code, code == SB_THUMBTRACK ? trackPos_ : position_);
    });
    // The bar shows where the control put the position, not where Qt would.
    if (*alive && guard && code != SB_THUMBTRACK) {
      syncing_ = true;
      guard->setSliderPosition(std::min(position_, guard->maximum()));
      syncing_ = false;
    }
  });
  qt::OnScrollBarRelease(sb, [this, alive] {
    if (!*alive) return;
    if (tracking_) {
      Notify(SB_THUMBPOSITION, trackPos_);
      if (!*alive) return;
      tracking_ = false;
    }
    Notify(SB_ENDSCROLL, position_);
    if (*alive) SyncWidget();
  });
  return sb;
}

void TScrollBar::InitWidget() { SyncWidget(); }

void TScrollBar::SyncWidget() {
  auto* sb = qobject_cast<QScrollBar*>(widget_);
  if (!sb) return;
  syncing_ = true;
  // A page shows as the thumb; the last position is where a whole page fits.
  sb->setRange(min_, std::max(min_, max_ - std::max(pageSize_ - 1, 0)));
  sb->setPageStep(pageSize_ > 0 ? pageSize_ : largeChange_);
  sb->setSingleStep(smallChange_);
  if (!tracking_) sb->setValue(position_);
  syncing_ = false;
}

}  // namespace ui
