#include "grid/editors/calculator_ex.h"

#include "platform/runtime/convert.h"
#include "platform/ui/popup_window.h"

namespace grid {

using namespace ui;

namespace {

// The key each button sends, by its tag; 0 and 12 belong to no button.
constexpr char16_t kKeyByTag[24] = {0,   u'7', u'8', u'9', u'/', u'S', u'C', u'4', u'5', u'6', u'*', u'%',
                                    0,   u'1', u'2', u'3', u'-', u'R', 8,    u'0', u'I', u'.', u'+', u'='};

TCalculatorLayoutEx MakeCalculatorLayout() {
  TCalculatorLayoutEx l;
  l.ClientWidth = 184;
  l.ClientHeight = 127;
  l.PixelsPerInch = 96;
  l.TextHeight = 13;
  l.Color = clBtnFace;
  l.FontHeight = -11;
  l.FontColor = clWindowText;
  l.BorderStyle = bsNone;
  l.Panel = Bounds(6, 4, 171, 19);
  l.Display = Bounds(2, 1, 166, 17);
  l.Buttons = {
      {u"SpeedButton1", u"7", 6, 29, 27, 22, clBlue, 1},       {u"SpeedButton12", u"8", 35, 29, 27, 22, clBlue, 2},
      {u"SpeedButton11", u"9", 64, 29, 27, 22, clBlue, 3},     {u"SpeedButton16", u"/", 93, 29, 27, 22, clRed, 4},
      {u"SpeedButton20", u"sqrt", 122, 29, 27, 22, clBlue, 5}, {u"SpeedButton23", u"C", 151, 29, 27, 46, clRed, 6},
      {u"SpeedButton10", u"4", 6, 53, 27, 22, clBlue, 7},      {u"SpeedButton9", u"5", 35, 53, 27, 22, clBlue, 8},
      {u"SpeedButton8", u"6", 64, 53, 27, 22, clBlue, 9},      {u"SpeedButton15", u"*", 93, 53, 27, 22, clRed, 10},
      {u"SpeedButton19", u"%", 122, 53, 27, 22, clBlue, 11},   {u"SpeedButton7", u"1", 6, 77, 27, 22, clBlue, 13},
      {u"SpeedButton6", u"2", 35, 77, 27, 22, clBlue, 14},     {u"SpeedButton5", u"3", 64, 77, 27, 22, clBlue, 15},
      {u"SpeedButton14", u"-", 93, 77, 27, 22, clRed, 16},     {u"SpeedButton18", u"1/x", 122, 77, 27, 22, clBlue, 17},
      {u"SpeedButton22", u"<-", 151, 77, 27, 22, clRed, 18},   {u"SpeedButton4", u"0", 6, 101, 27, 22, clBlue, 19},
      {u"SpeedButton3", u"+/-", 35, 101, 27, 22, clBlue, 20},  {u"SpeedButton2", u".", 64, 101, 27, 22, clBlue, 21},
      {u"SpeedButton13", u"+", 93, 101, 27, 22, clRed, 22},    {u"spEqual", u"Ok", 122, 101, 56, 22, clRed, 23},
  };
  return l;
}

int ScreenPpi() { return Screen ? Screen->PixelsPerInch() : ScreenPixelsPerInch; }

void ScaleControl(TControl* C, int M, int D) {
  const int l = rtl::MulDiv(C->Left(), M, D), t = rtl::MulDiv(C->Top(), M, D);
  const int r = rtl::MulDiv(C->Left() + C->Width(), M, D), b = rtl::MulDiv(C->Top() + C->Height(), M, D);
  C->SetBounds(l, t, r - l, b - t);
  if (!C->ParentFont()) C->Font()->SetHeight(rtl::MulDiv(C->Font()->Height(), M, D));
  if (auto* w = dynamic_cast<TWinControl*>(C))
    for (int i = 0; i < w->ControlCount(); ++i) ScaleControl(w->Controls(i), M, D);
}

}  // namespace

const TCalculatorLayoutEx& CalculatorLayout() {
  static const TCalculatorLayoutEx layout = MakeCalculatorLayout();
  return layout;
}

int WindowFrameExtent(std::uint32_t Style, std::uint32_t ExStyle) {
  int extent = 0;
  if (Style & WS_BORDER) extent += 2;
  if (ExStyle & WS_EX_CLIENTEDGE) extent += 4;
  return extent;
}

// --- the calculator ------------------------------------------------------------------

const TClassInfo& TCalculatorEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCalculatorEx>("TCalculatorEx", &TCustomControl::StaticClassInfo())
          .Enum("BorderStyle", "TBorderStyle", {"bsNone", "bsSingle"}, &TCalculatorEx::BorderStyle,
                &TCalculatorEx::SetBorderStyle)
          .Integer("ClientHeight", &TCalculatorEx::LayoutClientHeight, &TCalculatorEx::SetLayoutClientHeight)
          .NotStored()
          .Integer("ClientWidth", &TCalculatorEx::LayoutClientWidth, &TCalculatorEx::SetLayoutClientWidth)
          .NotStored()
          .Integer("Color", &TControl::Color, &TControl::SetColor, static_cast<std::int64_t>(clWindow))
          .Object("Font", "TFont", &TControl::Font, &TControl::SetFont)
          .Boolean("OldCreateOrder", &TCalculatorEx::OldCreateOrder, &TCalculatorEx::SetOldCreateOrder)
          .NotStored()
          .Integer("PixelsPerInch", &TCalculatorEx::PixelsPerInch, &TCalculatorEx::SetPixelsPerInch)
          .NotStored()
          .Unit("CalculatorEx")
          .Build();
  return info;
}

TCalculatorEx::TCalculatorEx(TComponent* AOwner) : TCalculatorEx(AOwner, CalculatorLayout()) {}

TCalculatorEx::TCalculatorEx(TComponent* AOwner, const TCalculatorLayoutEx& Layout) : TCustomControl(AOwner) {
  pixelsPerInch_ = ScreenPpi();
  LoadFromReader(Layout);
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TSpeedButtonEx*>(Components(i))) {
      b->SetStyle(ebsGlyphEx);
      b->SetActive(true);
    }
  UpdateDisplay();
  SetAutoSize(true);
}

TCalculatorEx::~TCalculatorEx() { BeginDestroy(); }

void TCalculatorEx::LoadFromReader(const TCalculatorLayoutEx& Layout) {
  DisableAlign();
  struct Resume {
    TCalculatorEx* self;
    ~Resume() {
      self->SetComponentState(csReading, false);
      self->EnableAlign();
    }
  } resume{this};
  clientWidth_ = clientHeight_ = textHeight_ = 0;
  SetComponentState(csReading, true);

  // What the stream holds, in its order.
  SetPixelsPerInch(Layout.PixelsPerInch);
  SetLayoutClientWidth(Layout.ClientWidth);
  SetLayoutClientHeight(Layout.ClientHeight);
  SetColor(Layout.Color);
  Font()->SetHeight(Layout.FontHeight);
  Font()->SetColor(Layout.FontColor);
  const bool fontRead = true;
  SetBorderStyle(Layout.BorderStyle);
  textHeight_ = Layout.TextHeight;

  Panel1 = new TPanel(this);
  Panel1->SetName(u"Panel1");
  Panel1->SetParent(this);
  Panel1->SetBounds(Layout.Panel.Left, Layout.Panel.Top, Layout.Panel.Width(), Layout.Panel.Height());
  Panel1->SetBevelOuter(bvNone);
  Panel1->SetBorderWidth(2);
  Panel1->SetColor(clWindow);
  TextBox = new TLabel(this);
  TextBox->SetName(u"TextBox");
  TextBox->SetParent(Panel1);
  TextBox->SetAutoSize(false);
  TextBox->SetBounds(Layout.Display.Left, Layout.Display.Top, Layout.Display.Width(), Layout.Display.Height());
  TextBox->SetAlignment(taRightJustify);
  TextBox->SetLayout(tlCenter);
  TextBox->SetColor(clWindow);
  TextBox->SetCaption(u"0");
  for (const TCalculatorLayoutItemEx& item : Layout.Buttons) {
    auto* b = new TSpeedButtonEx(this);
    b->SetName(item.Name);
    b->SetParent(this);
    b->SetBounds(item.Left, item.Top, item.Width, item.Height);
    b->SetCaption(item.Caption);
    b->SetFlat(true);
    b->SetParentFont(false);
    b->Font()->Assign(Font());
    b->Font()->SetColor(item.FontColor);
    b->SetTag(item.Tag);
    b->OnClick = [this](TObject* Sender) { SpeedButtonClick(Sender); };
    if (item.Tag == 23) spEqual = b;
  }

  bool scaled = false;
  if (pixelsPerInch_ != 0 && textHeight_ > 0) {
    const int screenPpi = ScreenPpi();
    if (fontRead && screenPpi != pixelsPerInch_) Font()->SetHeight(rtl::MulDiv(Font()->Height(), screenPpi, pixelsPerInch_));
    pixelsPerInch_ = screenPpi;
    const int h = GetTextHeight();
    if (h != textHeight_) {
      ScaleChildren(h, textHeight_);
      if (scaleClientWidth_) clientWidth_ = rtl::MulDiv(clientWidth_, h, textHeight_);
      if (scaleClientHeight_) clientHeight_ = rtl::MulDiv(clientHeight_, h, textHeight_);
      scaled = true;
    }
  }
  scaleClientWidth_ = scaleClientHeight_ = false;
  if (!scaled) ScaleChildren(1, 1);
}

void TCalculatorEx::ScaleChildren(int M, int D) {
  if (M == D) return;
  for (int i = 0; i < ControlCount(); ++i) ScaleControl(Controls(i), M, D);
}

int TCalculatorEx::GetTextHeight() const {
  TCanvas canvas;
  canvas.SetFont(Font());
  return canvas.TextHeight(u"0");
}

TSpeedButtonEx* TCalculatorEx::Button(const String& Name) const {
  return dynamic_cast<TSpeedButtonEx*>(FindComponent(Name));
}

void TCalculatorEx::UpdateDisplay() {
  if (TextBox) TextBox->SetCaption(engine_.DisplayText());
  if (spEqual) spEqual->SetCaption(engine_.EqualCaption());
}

void TCalculatorEx::ProcessKey(char16_t Key) {
  engine_.ProcessKey(Key);
  UpdateDisplay();
}

void TCalculatorEx::DoCopy() { engine_.DoCopy(); }

void TCalculatorEx::Paste() {
  engine_.Paste();
  UpdateDisplay();
}

void TCalculatorEx::SpeedButtonClick(TObject* Sender) {
  auto* c = dynamic_cast<TComponent*>(Sender);
  if (!c || c->Tag() < 0 || c->Tag() >= 24) return;
  ProcessKey(kKeyByTag[c->Tag()]);
}

String TCalculatorEx::DisplayText() const { return TextBox ? TextBox->Caption() : engine_.DisplayText(); }

void TCalculatorEx::SetDisplayText(const String& Value) {
  engine_.SetDisplayText(Value);
  UpdateDisplay();
}

void TCalculatorEx::SetDisplayValue(long double Value) {
  engine_.SetDisplayValue(Value);
  UpdateDisplay();
}

void TCalculatorEx::SetBorderStyle(TBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  FrameChanged();
}

void TCalculatorEx::SetCtl3D(bool Value) {
  if (Value == ctl3D_) return;
  ctl3D_ = Value;
  Perform(CM_CTL3DCHANGED);
}

void TCalculatorEx::SetAutoSize(bool Value) {
  if (Value == autoSize_) return;
  autoSize_ = Value;
  if (Value) AdjustAutoSize();
}

int TCalculatorEx::LayoutClientWidth() const {
  return ComponentState().Contains(csReading) ? clientWidth_ : Width() - BorderExtent();
}

int TCalculatorEx::LayoutClientHeight() const {
  return ComponentState().Contains(csReading) ? clientHeight_ : Height() - BorderExtent();
}

void TCalculatorEx::SetLayoutClientWidth(int Value) { SetLayoutClientSize(clientWidth_, scaleClientWidth_, Value); }

void TCalculatorEx::SetLayoutClientHeight(int Value) { SetLayoutClientSize(clientHeight_, scaleClientHeight_, Value); }

void TCalculatorEx::SetLayoutClientSize(int& Size, bool& Scale, int Value) {
  Size = Value;
  // While the layout is read the size waits to be scaled with it.
  if (ComponentState().Contains(csReading)) {
    Scale = true;
    return;
  }
  if (autoSize_) {
    AdjustAutoSize();
    return;
  }
  const int extent = BorderExtent();
  if (&Size == &clientWidth_)
    SetWidth(Value + extent);
  else
    SetHeight(Value + extent);
}

int TCalculatorEx::PixelsPerInch() const { return pixelsPerInch_ != 0 ? pixelsPerInch_ : ScreenPpi(); }

void TCalculatorEx::SetPixelsPerInch(int Value) {
  const bool loading = IsLoading() || ComponentState().Contains(csReading);
  if (Value != PixelsPerInch() && (Value == 0 || Value >= 36) && (!loading || pixelsPerInch_ != 0))
    pixelsPerInch_ = Value;
}

void TCalculatorEx::PrepareCreateParams(TCalcCreateParamsEx& Params) const {
  if (borderStyle_ == bsSingle) {
    Params.Style |= WS_BORDER;
    // Three-dimensional controls show a sunken client edge instead of a line.
    if (ctl3D_) {
      Params.Style &= ~WS_BORDER;
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    }
  }
}

int TCalculatorEx::BorderExtent() const {
  TCalcCreateParamsEx params;
  PrepareCreateParams(params);
  return WindowFrameExtent(params.Style, params.ExStyle);
}

int TCalculatorEx::NonClientInset() const { return BorderExtent() / 2; }

void TCalculatorEx::ApplyAutoSize(int AWidth, int AHeight) {
  adjusting_ = true;
  TCustomControl::SetBounds(Left(), Top(), AWidth, AHeight);
  adjusting_ = false;
}

void TCalculatorEx::AdjustAutoSize() {
  const int extent = BorderExtent();
  ApplyAutoSize(clientWidth_ + extent, clientHeight_ + extent);
}

void TCalculatorEx::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (autoSize_ && !adjusting_) AdjustAutoSize();
}

void TCalculatorEx::FrameChanged() {
  if (autoSize_) AdjustAutoSize();
  // The border is the window's frame, so it comes with a new window.
  if (HandleAllocated()) RecreateWnd();
}

void TCalculatorEx::Dispatch(TMessage& Message) {
  TCustomControl::Dispatch(Message);
  switch (Message.Msg) {
    case CM_CTL3DCHANGED:
      FrameChanged();
      break;
    case WM_NCCALCSIZE:
      reinterpret_cast<TRect*>(Message.LParam)->Inflate(-NonClientInset(), -NonClientInset());
      break;
    case WM_NCPAINT:
      PaintWindowFrame();
      break;
    default:
      break;
  }
}

void TCalculatorEx::PaintWindowFrame() {
  TCalcCreateParamsEx params;
  PrepareCreateParams(params);
  if (!(params.Style & WS_BORDER) && !(params.ExStyle & WS_EX_CLIENTEDGE)) return;
  TWindowCanvas dc(this);
  TRect r = Rect(0, 0, Width(), Height());
  if (params.Style & WS_BORDER) {
    dc.Brush()->SetColor(clWindowFrame);
    dc.FrameRect(r);
    r.Inflate(-1, -1);
  }
  if (params.ExStyle & WS_EX_CLIENTEDGE) dc.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
}

void TCalculatorEx::DoKeyPress(char16_t& Key) {
  auto alive = alive_;
  TCustomControl::DoKeyPress(Key);
  if (!*alive) return;
  ProcessKey(Key);
}

void TCalculatorEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  auto alive = alive_;
  TCustomControl::DoKeyDown(Key, Shift);
  if (!*alive) return;
  if (Key == VK_DELETE) ProcessKey(u'C');
}

bool TCalculatorEx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomControl::DoMouseWheelDown(Shift, MousePos)) return true;
  engine_.Wheel(false);
  UpdateDisplay();
  return true;
}

bool TCalculatorEx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomControl::DoMouseWheelUp(Shift, MousePos)) return true;
  engine_.Wheel(true);
  UpdateDisplay();
  return true;
}

// --- the drop-down calculator ---------------------------------------------------------

const TClassInfo& TPopupCalculatorEx::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TPopupCalculatorEx>("TPopupCalculatorEx", &TCalculatorEx::StaticClassInfo())
                                     .Unit("CalculatorEx")
                                     .Implements(IID_IPopupCalculatorEx)
                                     .Build();
  return info;
}

TPopupCalculatorEx::TPopupCalculatorEx(TComponent* AOwner) : TCalculatorEx(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  SetVisible(false);
  SetTabStop(false);
  // The raised border is the window's own frame, round the client area.
  UpdateBorderWidth();
  FrameChanged();
  Panel1->SetControlStyle(Panel1->ControlStyle() - csParentBackground);
}

TPopupCalculatorEx::~TPopupCalculatorEx() { BeginDestroy(); }

QWidget* TPopupCalculatorEx::CreateWidget(QWidget*) {
  QWidget* w = TCalculatorEx::CreateWidget(nullptr);
  MakePopupWidget(w);
  return w;
}

void TPopupCalculatorEx::PrepareCreateParams(TCalcCreateParamsEx& Params) const {
  TCalculatorEx::PrepareCreateParams(Params);
  Params.Style |= WS_POPUP;
  if (!Ctl3D()) Params.Style |= WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.WindowClassStyle = CS_SAVEBITS;
}

void TPopupCalculatorEx::UpdateBorderWidth() { borderWidth_ = Ctl3D() ? 2 : 0; }

void TPopupCalculatorEx::AdjustAutoSize() {
  const int extent = BorderExtent() + 2 * borderWidth_;
  ApplyAutoSize(AutoClientWidth() + extent, AutoClientHeight() + extent);
}

void TPopupCalculatorEx::PaintBorder() {
  if (!Ctl3D()) return;
  TWindowCanvas dc(this);
  TRect r = Rect(0, 0, Width(), Height());
  dc.Brush()->SetColor(cl3DDkShadow);
  dc.FrameRect(r);
  r.Inflate(-1, -1);
  dc.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
}

void TPopupCalculatorEx::OwnerCloseUp(bool Accept) {
  if (auto* owner = dynamic_cast<IPopupOwnerEx*>(Owner())) owner->CloseUp(Accept);
}

void TPopupCalculatorEx::ProcessKey(char16_t Key) {
  if ((Key == 13 || Key == u'=') && ReadyToAccept()) {
    OwnerCloseUp(true);
    return;
  }
  TCalculatorEx::ProcessKey(Key);
}

void TPopupCalculatorEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  auto alive = alive_;
  TCalculatorEx::DoKeyDown(Key, Shift);
  if (!*alive || Key != VK_ESCAPE) return;
  Key = 0;
  OwnerCloseUp(false);
}

void TPopupCalculatorEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TCalculatorEx::Dispatch(Message);
      Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
      return;
    case CM_WANTSPECIALKEY:
      if (dynamic_cast<IPopupOwnerEx*>(Owner()) && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        // The question is also asked for every key the editor passes on;
        // closing then would accept while "=" still has to compute, so only
        // a popup that holds the focus itself closes here.
        if (Focused()) OwnerCloseUp(Message.WParam == VK_RETURN);
        return;
      }
      break;
    case WM_POPUPCLOSEUP:
      OwnerCloseUp(false);
      return;
    case WM_MOUSEACTIVATE:
      // A click leaves the focus in the editor.
      Message.Result = MA_NOACTIVATE;
      return;
    case CM_CTL3DCHANGED:
      UpdateBorderWidth();
      TCalculatorEx::Dispatch(Message);
      return;
    case WM_NCCALCSIZE:
      TCalculatorEx::Dispatch(Message);
      reinterpret_cast<TRect*>(Message.LParam)->Inflate(-borderWidth_, -borderWidth_);
      return;
    case WM_NCPAINT:
      TCalculatorEx::Dispatch(Message);
      PaintBorder();
      return;
    default:
      break;
  }
  TCalculatorEx::Dispatch(Message);
}

bool TPopupCalculatorEx::ReadyToAccept() { return spEqual->Caption() == u"Ok"; }

rtl::Variant TPopupCalculatorEx::GetValue() {
  if (Status() == csErrorEx) return rtl::Variant::Error(-1);
  return rtl::Variant(static_cast<double>(DisplayValue()));
}

void TPopupCalculatorEx::ApplyFlat(bool Value) {
  if (Value == flat_) return;
  flat_ = Value;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TSpeedButtonEx*>(Components(i))) b->SetFlat(Value);
}

void TPopupCalculatorEx::SetValue(const rtl::Variant& Value) {
  Engine().ClearCalculator();
  SetDisplayValue(Value.AsDouble());
}

}  // namespace grid
