#include "platform/ui/panels.h"

#include <QGroupBox>

#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

void Frame3D(TCanvas* c, TRect& r, TColor topLeft, TColor bottomRight, int width) {
  for (int i = 0; i < width && !r.IsEmpty(); ++i) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(topLeft);
    c->FillRect(Rect(r.Left, r.Top, r.Right - 1, r.Top + 1));
    c->FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom - 1));
    c->Brush()->SetColor(bottomRight);
    c->FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
    c->FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    r.Inflate(-1, -1);
  }
}

}  // namespace

const TClassInfo& TPanel::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TPanel>("TPanel", &TCustomControl::StaticClassInfo())
          .Str("Caption", &TPanel::Caption, &TPanel::SetCaption)
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &TPanel::Alignment,
                &TPanel::SetAlignment, taCenter)
          .Enum("BevelInner", "TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}, &TPanel::BevelInner,
                &TPanel::SetBevelInner, bvNone)
          .Enum("BevelOuter", "TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}, &TPanel::BevelOuter,
                &TPanel::SetBevelOuter, bvRaised)
          .Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1)
          .Integer("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0)
          .Build();
  return info;
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable};
  SetColor(clBtnFace);
  SetBounds(0, 0, 185, 41);
}

TPanel::~TPanel() { BeginDestroy(); }

void TPanel::SetBevelOuter(TBevelCut Value) {
  bevelOuter_ = Value;
  Realign();
  Invalidate();
}
void TPanel::SetBevelInner(TBevelCut Value) {
  bevelInner_ = Value;
  Realign();
  Invalidate();
}
void TPanel::SetBevelWidth(int Value) {
  bevelWidth_ = std::max(1, Value);
  Realign();
  Invalidate();
}
void TPanel::SetBorderWidth(int Value) {
  borderWidth_ = std::max(0, Value);
  Realign();
  Invalidate();
}
void TPanel::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Invalidate();
}

void TPanel::AdjustClientRect(TRect& R) {
  int inset = borderWidth_;
  if (bevelOuter_ != bvNone) inset += bevelWidth_;
  if (bevelInner_ != bvNone) inset += bevelWidth_;
  R.Inflate(-inset, -inset);
}

void TPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    if (cut == bvSpace) {
      r.Inflate(-bevelWidth_, -bevelWidth_);
      return;
    }
    TColor tl = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor br = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    Frame3D(c, r, tl, br, bevelWidth_);
  };
  bevel(bevelOuter_);
  r.Inflate(-borderWidth_, -borderWidth_);
  bevel(bevelInner_);
  String caption = Caption();
  if (caption.empty()) return;
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  if (alignment_ == taCenter) flags |= DT_CENTER;
  if (alignment_ == taRightJustify) flags |= DT_RIGHT;
  c->DrawText(caption, r, flags);
}

// --- TGroupBox ------------------------------------------------------------------------

const TClassInfo& TGroupBox::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TGroupBox>("TGroupBox", &TWinControl::StaticClassInfo())
                                     .Str("Caption", &TGroupBox::Caption, &TGroupBox::SetCaption)
                                     .Build();
  return info;
}

TGroupBox::TGroupBox(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                csReplicatable};
  SetParentColor(true);
  SetBounds(0, 0, 185, 105);
}

TGroupBox::~TGroupBox() { BeginDestroy(); }

QWidget* TGroupBox::CreateWidget(QWidget* Parent) { return new qt::Host<QGroupBox>(this, false, Parent); }

void TGroupBox::InitWidget() { static_cast<QGroupBox*>(widget_)->setTitle(qt::Q(text_)); }

void TGroupBox::SetTextInternal(const String& Value) {
  text_ = Value;
  if (widget_) static_cast<QGroupBox*>(widget_)->setTitle(qt::Q(Value));
}

void TGroupBox::AdjustClientRect(TRect& R) {
  TCanvas measure;
  measure.SetFont(Font());
  R.Top += measure.TextHeight(u"0");
  R.Inflate(-2, 0);
  R.Bottom -= 2;
}

}  // namespace ui
