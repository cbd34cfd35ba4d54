#include "platform/ui/toolbar.h"

#include "platform/classes/scoped_change.h"

namespace ui {

// --- TToolButton -----------------------------------------------------------------------

const TClassInfo& TToolButton::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TToolButton>("TToolButton", &TGraphicControl::StaticClassInfo())
          .Str("Caption", &TToolButton::Caption, &TToolButton::SetCaption)
          .Integer("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex, -1)
          .Enum("Style", "TToolButtonStyle", {"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"},
                &TToolButton::Style, &TToolButton::SetStyle, tbsButton)
          .Boolean("Down", &TToolButton::Down, &TToolButton::SetDown, 0)
          .Build();
  return info;
}

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 23, 22); }

TToolButton::~TToolButton() { BeginDestroy(); }

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetParent(TWinControl* AParent) {
  TGraphicControl::SetParent(AParent);
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::SetImageIndex(int Value) {
  imageIndex_ = Value;
  Invalidate();
}

void TToolButton::SetStyle(TToolButtonStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  if (Value == tbsSeparator || Value == tbsDivider) SetWidth(8);
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
  Invalidate();
}

void TToolButton::SetDown(bool Value) {
  if (Value == down_) return;
  down_ = Value;
  Invalidate();
}

void TToolButton::TextChanged() {
  TGraphicControl::TextChanged();
  Invalidate();
}

void TToolButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && style_ != tbsSeparator && style_ != tbsDivider) {
    pressed_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TToolButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && pressed_) {
    pressed_ = false;
    if (style_ == tbsCheck && ClientRect().Contains({X, Y})) down_ = !down_;
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TToolButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      hot_ = true;
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      hot_ = false;
      Invalidate();
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Separators are not buttons.
      if (style_ == tbsSeparator || style_ == tbsDivider) return;
      break;
    default: break;
  }
  TGraphicControl::Dispatch(Message);
}

void TToolButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (style_ == tbsSeparator) return;
  if (style_ == tbsDivider) {
    TRect line = Rect(r.Width() / 2 - 1, r.Top, r.Width() / 2 + 1, r.Bottom);
    c->DrawEdge(line, EDGE_ETCHED, BF_LEFT);
    return;
  }
  TToolBar* bar = ToolBar();
  bool sunken = pressed_ || down_;
  if (sunken || (hot_ && Enabled()) || (bar && !bar->Flat())) {
    TRect edge = r;
    c->DrawEdge(edge, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  }
  int shift = sunken ? 1 : 0;
  TImageList* images = bar ? bar->Images() : nullptr;
  int textTop = 2;
  if (images && imageIndex_ >= 0 && imageIndex_ < images->Count()) {
    bool captions = bar && bar->ShowCaptions();
    int x = (r.Width() - images->Width()) / 2 + shift;
    int y = captions ? 3 + shift : (r.Height() - images->Height()) / 2 + shift;
    images->Draw(c, x, y, imageIndex_, Enabled());
    textTop = y + images->Height() + 1;
  }
  if (bar && bar->ShowCaptions() && !Caption().empty()) {
    c->SetFont(Font());
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    c->Brush()->SetStyle(bsClear);
    TRect tr = Rect(r.Left + 1 + shift, textTop + shift, r.Right - 1 + shift, r.Bottom - 1);
    c->DrawText(Caption(), tr, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  }
}

// --- TToolBar ------------------------------------------------------------------------------

const TClassInfo& TToolBar::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TToolBar>("TToolBar", &TCustomControl::StaticClassInfo())
          .Integer("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth, 23)
          .Integer("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight, 22)
          .Object("Images", "TImageList", &TToolBar::Images, &TToolBar::SetImages)
          .Boolean("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions, 0)
          .Boolean("AutoSize", &TToolBar::AutoSize, &TToolBar::SetAutoSize, 0)
          .Boolean("Flat", &TToolBar::Flat, &TToolBar::SetFlat, 1)
          .Integer("Indent", &TToolBar::Indent, &TToolBar::SetIndent, 0)
          .Build();
  return info;
}

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csDoubleClicks};
  SetColor(clBtnFace);
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
}

TToolBar::~TToolBar() { BeginDestroy(); }

void TToolBar::SetButtonWidth(int Value) {
  buttonWidth_ = Value;
  ArrangeButtons();
}
void TToolBar::SetButtonHeight(int Value) {
  buttonHeight_ = Value;
  ArrangeButtons();
}
void TToolBar::SetShowCaptions(bool Value) {
  showCaptions_ = Value;
  Invalidate();
}
void TToolBar::SetAutoSize(bool Value) {
  autoSize_ = Value;
  ArrangeButtons();
}
void TToolBar::SetFlat(bool Value) {
  flat_ = Value;
  Invalidate();
}
void TToolBar::SetIndent(int Value) {
  indent_ = Value;
  ArrangeButtons();
}

void TToolBar::SetImages(TImageList* Value) {
  if (Value == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = Value;
  if (images_) images_->FreeNotification(this);
  Invalidate();
}

void TToolBar::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_ = nullptr;
    Invalidate();
  }
}

int TToolBar::ButtonCount() const {
  int n = 0;
  for (int i = 0; i < ControlCount(); ++i)
    if (dynamic_cast<TToolButton*>(Controls(i))) ++n;
  return n;
}

TToolButton* TToolBar::Buttons(int Index) const {
  int n = 0;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TToolButton*>(Controls(i)); b && n++ == Index) return b;
  throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {Index}));
}

void TToolBar::ArrangeButtons() {
  if (arranging_ || IsLoading() || IsDestroying()) return;
  TScopedValue arranging(arranging_, true);
  int x = indent_;
  int tallest = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    auto* b = dynamic_cast<TToolButton*>(c);
    int w = c->Width(), h = c->Height();
    if (b) {
      bool sep = b->Style() == tbsSeparator || b->Style() == tbsDivider;
      w = sep ? b->Width() : buttonWidth_;
      h = buttonHeight_;
    }
    c->SetBounds(x, 0, w, h);
    x += w;
    tallest = std::max(tallest, h);
  }
  if (autoSize_ && tallest > 0 && Height() != tallest) SetHeight(tallest);
}

void TToolBar::ChildBoundsChanged(TControl*) { ArrangeButtons(); }

void TToolBar::AlignControls(TControl* AControl, TRect& R) {
  TCustomControl::AlignControls(AControl, R);
  ArrangeButtons();
}

void TToolBar::Loaded() {
  TCustomControl::Loaded();
  ArrangeButtons();
}

}  // namespace ui
