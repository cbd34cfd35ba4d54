#include "platform/ui/tool_window.h"

#include <QApplication>
#include <QBitmap>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <algorithm>

#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui {

const TClassInfo& TToolWindow::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TToolWindow>("TToolWindow", &TCustomControl::StaticClassInfo()).Build();
  return info;
}

TToolWindow::TToolWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisible(false);
  SetTabStop(false);
}

TToolWindow::~TToolWindow() { BeginDestroy(); }

QWidget* TToolWindow::CreateWidget(QWidget*) {
  auto* w = new qt::Host<QWidget>(this, false, nullptr,
                                  Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                      Qt::WindowDoesNotAcceptFocus);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->setFocusPolicy(Qt::NoFocus);
  return w;
}

void TToolWindow::ShowAt(const TRect& R) {
  SetBounds(R.Left, R.Top, R.Width(), R.Height());
  HandleNeeded();
  shown_ = true;
  SetVisible(true);
  widget_->setVisible(true);
  widget_->raise();
  ApplyLayering();
  Invalidate();
}

void TToolWindow::HideWindow() {
  if (!shown_) return;
  shown_ = false;
  if (widget_) widget_->setVisible(false);
  SetVisible(false);
}

void TToolWindow::SetAlphaBlendValue(int Value) {
  alpha_ = std::clamp(Value, 0, 255);
  ApplyLayering();
}

void TToolWindow::SetTransparentColorValue(TColor Value) {
  colorKey_ = Value;
  ApplyLayering();
}

void TToolWindow::SizeChanged(int OldWidth, int OldHeight) {
  TCustomControl::SizeChanged(OldWidth, OldHeight);
  if (colorKey_ != 0) ApplyLayering();
}

void TToolWindow::ApplyLayering() {
  if (!widget_) return;
  widget_->setWindowOpacity(alpha_ / 255.0);
  if (colorKey_ == 0 || widget_->width() <= 0 || widget_->height() <= 0) {
    widget_->clearMask();
    return;
  }
  // The key colour is cut out of the window's shape: what remains are the
  // pixels painted in other colours.
  widget_->clearMask();
  QImage img = widget_->grab().toImage();
  QBitmap mask = QBitmap::fromImage(img.createMaskFromColor(qt::ToQColor(colorKey_).rgb(), Qt::MaskOutColor));
  widget_->setMask(mask);
}

unsigned DoubleClickTime() { return static_cast<unsigned>(std::max(1, QApplication::doubleClickInterval())); }

}  // namespace ui
