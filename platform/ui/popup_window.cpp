#include "platform/ui/popup_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "platform/ui/guard.h"
#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

// Watches every press of the application while the popup shows.
class OutsidePressFilter : public QObject {
 public:
  explicit OutsidePressFilter(TPopupWindow* popup) : popup_(popup) {}
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonDblClick) return false;
    auto* w = qobject_cast<QWidget*>(obj);
    if (!w || !popup_->IsPopupShown()) return false;
    QWidget* mine = popup_->Widget();
    if (w == mine || mine->isAncestorOf(w)) return false;
    // The press still goes where it was aimed, after the popup has closed.
    Guarded([this] { popup_->CloseUp(false); });
    return false;
  }

 private:
  TPopupWindow* popup_;
};

}  // namespace

namespace {
constexpr const char* kPopupProperty = "jqPopupWidget";
}  // namespace

bool IsPopupWidget(const QWidget* Widget) { return Widget && Widget->property(kPopupProperty).toBool(); }

void MakePopupWidget(QWidget* Widget, bool TakesFocus) {
  if (!Widget) return;
  Widget->setProperty(kPopupProperty, true);
  if (TakesFocus) {
    Widget->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    Widget->setFocusPolicy(Qt::StrongFocus);
    return;
  }
  Widget->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
  Widget->setAttribute(Qt::WA_ShowWithoutActivating);
  Widget->setFocusPolicy(Qt::NoFocus);
}

const TClassInfo& TPopupWindow::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TPopupWindow>("TPopupWindow", &TCustomControl::StaticClassInfo()).Build();
  return info;
}

TPopupWindow::TPopupWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisible(false);
  SetTabStop(false);
}

TPopupWindow::~TPopupWindow() {
  if (pressFilter_) qApp->removeEventFilter(pressFilter_.get());
  BeginDestroy();
}

QWidget* TPopupWindow::CreateWidget(QWidget*) {
  // A tool-tip window leaves the focus where it is, yet takes the mouse.
  auto* w = new qt::Host<QWidget>(this, false, nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->setFocusPolicy(Qt::NoFocus);
  return w;
}

bool TPopupWindow::WidgetShouldBeVisible() const { return shown_; }

bool TPopupWindow::IsPopupShown() const { return shown_; }

void TPopupWindow::Popup(const TRect& ScreenRect) {
  SetBounds(ScreenRect.Left, ScreenRect.Top, ScreenRect.Width(), ScreenRect.Height());
  HandleNeeded();
  if (!pressFilter_) {
    pressFilter_ = std::make_unique<OutsidePressFilter>(this);
    qApp->installEventFilter(pressFilter_.get());
  }
  shown_ = true;
  SetVisible(true);
  widget_->setVisible(true);
  widget_->raise();
}

void TPopupWindow::CloseUp(bool Accept) {
  if (!shown_) return;
  shown_ = false;
  if (widget_) widget_->setVisible(false);
  SetVisible(false);
  if (OnCloseUp) OnCloseUp(this, Accept);
}

void TPopupWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_CANCELMODE || Message.Msg == CM_CANCELMODE) {
    TCustomControl::Dispatch(Message);
    CloseUp(false);
    return;
  }
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = 3;  // MA_NOACTIVATE
    return;
  }
  TCustomControl::Dispatch(Message);
}

}  // namespace ui
