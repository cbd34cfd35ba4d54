#include "platform/ui/hint_window.h"

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui {

const TClassInfo& THintWindow::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<THintWindow>("THintWindow", &TCustomControl::StaticClassInfo()).Build();
  return info;
}

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisible(false);
  SetTabStop(false);
  SetColor(clInfoBk);
  SetParentColor(false);
  Font()->SetColor(clInfoText);
}

THintWindow::~THintWindow() { BeginDestroy(); }

QWidget* THintWindow::CreateWidget(QWidget*) {
  auto* w = new qt::Host<QWidget>(this, false, nullptr,
                                  Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  w->setAttribute(Qt::WA_ShowWithoutActivating);
  w->setFocusPolicy(Qt::NoFocus);
  if (translucent_) w->setAttribute(Qt::WA_TranslucentBackground);
  if (shape_) w->setMask(*shape_);
  return w;
}

void THintWindow::SetWindowShape(TBitmap* Shape, TColor Key) {
  if (!Shape || Shape->Empty()) {
    shape_.reset();
    if (widget_) widget_->clearMask();
    return;
  }
  const QImage image = Shape->Image()->convertToFormat(QImage::Format_RGB32);
  const QRgb key = qt::ToQColor(Key).rgb();
  // One-pixel-wide runs of the pixels that are not the key, column by column.
  QRegion region;
  for (int x = 0; x < image.width(); ++x) {
    int y = 0;
    while (y < image.height()) {
      while (y < image.height() && image.pixel(x, y) == key) ++y;
      const int top = y;
      while (y < image.height() && image.pixel(x, y) != key) ++y;
      if (y > top) region += QRect(x, top, 1, y - top);
    }
  }
  shape_ = std::make_unique<QRegion>(region);
  if (widget_) widget_->setMask(*shape_);
}

bool THintWindow::WindowShapeContains(TPoint P) const {
  if (!shape_) return P.X >= 0 && P.Y >= 0 && P.X < Width() && P.Y < Height();
  return shape_->contains(QPoint(P.X, P.Y));
}

void THintWindow::SetTranslucent(bool Value) {
  translucent_ = Value;
  if (widget_) widget_->setAttribute(Qt::WA_TranslucentBackground, Value);
}

bool THintWindow::WidgetShouldBeVisible() const { return shown_; }

TRect THintWindow::CalcHintRect(int MaxWidth, const String& Hint, void*) {
  TRect r = Rect(0, 0, std::max(1, MaxWidth), 0);
  Canvas()->SetFont(Font());
  Canvas()->DrawText(Hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  // Room for the frame and the text's margins.
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHintData(const TRect& R, const String& Hint, void*) { ActivateHint(R, Hint); }

void THintWindow::ActivateHint(const TRect& R, const String& Hint) {
  SetCaption(Hint);
  TRect placed = R;
  // A hint that would stick out of the screen is moved back onto it.
  if (Screen) {
    const TRect desk = Screen->DesktopRect();
    if (placed.Right > desk.Right) placed = Bounds(desk.Right - R.Width(), placed.Top, R.Width(), R.Height());
    if (placed.Left < desk.Left) placed = Bounds(desk.Left, placed.Top, R.Width(), R.Height());
    if (placed.Bottom > desk.Bottom) placed = Bounds(placed.Left, desk.Bottom - R.Height(), R.Width(), R.Height());
    if (placed.Top < desk.Top) placed = Bounds(placed.Left, desk.Top, R.Width(), R.Height());
  }
  SetBounds(placed.Left, placed.Top, placed.Width(), placed.Height());
  HandleNeeded();
  shown_ = true;
  SetVisible(true);
  widget_->setVisible(true);
  widget_->raise();
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  if (!shown_) return;
  shown_ = false;
  if (widget_) widget_->setVisible(false);
  SetVisible(false);
}

void THintWindow::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(clWindowFrame);
  c->FrameRect(r);
  TRect text = Rect(r.Left + 2, r.Top + 1, r.Right - 2, r.Bottom - 1);
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  c->DrawText(Caption(), text, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  c->Brush()->SetStyle(bsSolid);
}

void THintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_MOUSEACTIVATE) {
    Message.Result = 3;  // MA_NOACTIVATE
    return;
  }
  TCustomControl::Dispatch(Message);
}

}  // namespace ui
