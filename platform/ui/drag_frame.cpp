#include "platform/ui/drag_frame.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include "platform/ui/forms.h"
#include "platform/ui/guard.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

// A ring of the classic halftone pattern; everything inside it shows through.
class FrameWidget : public QWidget {
 public:
  FrameWidget() {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
  }
  int thickness = 1;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
  }
  void resizeEvent(QResizeEvent*) override { UpdateMask(); }

 public:
  void UpdateMask() {
    QRegion outer(rect());
    QRect inner = rect().adjusted(thickness, thickness, -thickness, -thickness);
    setMask(inner.isValid() ? outer.subtracted(QRegion(inner)) : outer);
  }
};

class EscFilter : public QObject {
 public:
  explicit EscFilter(TDragFrame* frame) : frame_(frame) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_Escape) return false;
    if (!frame_->Visible() || !frame_->OnCancel) return false;
    auto cancel = frame_->OnCancel;  // the handler may hide or free the frame
    Guarded(cancel);
    return true;
  }

 private:
  TDragFrame* frame_;
};

}  // namespace

TDragFrame::TDragFrame() = default;

TDragFrame::~TDragFrame() {
  if (escFilter_) qApp->removeEventFilter(escFilter_.get());
}

void TDragFrame::Show(const TRect& ScreenRect, int Thickness) {
  rect_ = ScreenRect;
  thickness_ = std::max(1, Thickness);
  TPoint centre{(ScreenRect.Left + ScreenRect.Right) / 2, (ScreenRect.Top + ScreenRect.Bottom) / 2};
  TCustomForm* form = FindFormAt(centre);
  QWidget* host = form ? form->Widget() : nullptr;
  if (!widget_) widget_ = std::make_unique<FrameWidget>();
  auto* w = static_cast<FrameWidget*>(widget_.get());
  w->thickness = thickness_;
  if (w->parentWidget() != host) {
    w->hide();
    if (host) {
      w->setParent(host);
    } else {
      w->setParent(nullptr);
      w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    }
  }
  QRect r = qt::Q(ScreenRect);
  if (host) r.moveTopLeft(qt::Q(form->ScreenToClient(ScreenRect.TopLeft())));
  w->setGeometry(r);
  w->UpdateMask();  // also when only the thickness changed
  w->show();
  if (host) w->raise();  // above the window's own children
  if (!escFilter_) {
    escFilter_ = std::make_unique<EscFilter>(this);
    qApp->installEventFilter(escFilter_.get());
  }
  w->update();
}

void TDragFrame::Hide() {
  if (widget_) widget_->hide();
  if (escFilter_) {
    qApp->removeEventFilter(escFilter_.get());
    // Hide may run inside the filter (Esc cancelling): free it later.
    escFilter_.release()->deleteLater();
  }
}

bool TDragFrame::Visible() const { return widget_ && widget_->isVisible(); }

TCustomForm* FindFormAt(TPoint ScreenPos) {
  TCustomForm* found = nullptr;
  // The window system knows the stacking order; without it, the active
  // window wins, then the newest.
  if (QWindow* top = QGuiApplication::topLevelAt(qt::Q(ScreenPos))) {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->windowHandle() == top)
        if (auto* f = dynamic_cast<TCustomForm*>(FindControl(w)); f && f->BoundsRect().Contains(ScreenPos)) return f;
  }
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible()) continue;
    auto* f = dynamic_cast<TCustomForm*>(FindControl(w));
    if (!f || f->Parent() || !f->BoundsRect().Contains(ScreenPos)) continue;
    if (w->isActiveWindow()) return f;
    found = f;
  }
  return found;
}

TWinControl* FindWinControlAt(TPoint ScreenPos) {
  TWinControl* current = FindFormAt(ScreenPos);
  while (current) {
    auto* child = dynamic_cast<TWinControl*>(current->ControlAtPos(current->ScreenToClient(ScreenPos), true, true));
    if (!child) break;
    current = child;
  }
  return current;
}

}  // namespace ui
