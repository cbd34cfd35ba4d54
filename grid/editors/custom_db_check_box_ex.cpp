#include "grid/editors/custom_db_check_box_ex.h"

#include "grid/editor_support/button_faces.h"
#include "platform/classes/scoped_change.h"

namespace grid {

using namespace ui;

namespace {

constexpr int kCaptionGap = 5;

}  // namespace

TCustomDBCheckBoxEx::TCustomDBCheckBoxEx(TComponent* AOwner) : TCustomControl(AOwner), value_(this) {
  SetBounds(Left(), Top(), 97, 17);
  SetTabStop(true);
  SetParentColor(true);
  TControlStyle style = ControlStyle();
  style.Exclude(csDoubleClicks);
  SetControlStyle(style);
  value_.OnClick = [this](TObject*) {
    if (OnClick) OnClick(this);
  };
  value_.OnStateShown = [this] { Invalidate(); };
  value_.OnUpdateData = [this](TObject*, bool& Handled) {
    if (OnUpdateData) OnUpdateData(this, Handled);
  };
}

TCustomDBCheckBoxEx::~TCustomDBCheckBoxEx() {
  BeginDestroy();
  // Detaching reloads the state; it must not call back into a half-destroyed box.
  value_.OnClick = nullptr;
  value_.OnStateShown = nullptr;
  value_.OnUpdateData = nullptr;
  value_.DataLink().SetDataSource(nullptr);
}

void TCustomDBCheckBoxEx::SetDataSource(db::TDataSource* Value) {
  value_.DataLink().SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
}

void TCustomDBCheckBoxEx::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == DataSource()) value_.DataLink().SetDataSource(nullptr);
}

void TCustomDBCheckBoxEx::SetAlignment(TAlignment Value) {
  if (Value == taCenter || alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomDBCheckBoxEx::SetAlwaysShowBorder(bool Value) {
  if (alwaysShowBorder_ == Value) return;
  alwaysShowBorder_ = Value;
  Invalidate();
}

void TCustomDBCheckBoxEx::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  Invalidate();
}

void TCustomDBCheckBoxEx::SetState(TCheckBoxState Value) {
  if (Designing() && !DataIndepended()) return;
  value_.SetState(Value);
}

void TCustomDBCheckBoxEx::Click() { ToggleState(); }

// ---- keys, mouse and focus ----

void TCustomDBCheckBoxEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::DoKeyDown(Key, Shift);
  if (Key == VK_SPACE && !toggleKeyDown_) {
    toggleKeyDown_ = true;
    Invalidate();
  }
}

void TCustomDBCheckBoxEx::DoKeyUp(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::DoKeyUp(Key, Shift);
  if (Key == VK_SPACE && toggleKeyDown_) {
    toggleKeyDown_ = false;
    Click();
    Invalidate();
  }
}

void TCustomDBCheckBoxEx::DoKeyPress(char16_t& Key) {
  TCustomControl::DoKeyPress(Key);
  if (Key == 8 || Key == u' ') value_.DataLink().Edit();
  else if (Key == 27) value_.DataLink().Reset();
}

void TCustomDBCheckBoxEx::DoEnter() {
  TCustomControl::DoEnter();
  Invalidate();
}

void TCustomDBCheckBoxEx::DoExit() {
  try {
    value_.DataLink().UpdateRecord();
  } catch (...) {
    SetFocus();
    throw;
  }
  toggleKeyDown_ = false;
  TCustomControl::DoExit();
  Invalidate();
}

void TCustomDBCheckBoxEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) mousePressed_ = true;
  TCustomControl::MouseDown(Button, Shift, X, Y);
  Invalidate();
}

void TCustomDBCheckBoxEx::MouseMove(TShiftState Shift, int X, int Y) {
  const bool above = ClientRect().Contains({X, Y});
  if (above != mouseAboveControl_) {
    mouseAboveControl_ = above;
    Invalidate();
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomDBCheckBoxEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) mousePressed_ = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
  Invalidate();
}

void TCustomDBCheckBoxEx::EnabledChanged() {
  TCustomControl::EnabledChanged();
  Invalidate();
}

void TCustomDBCheckBoxEx::TextChanged() {
  TCustomControl::TextChanged();
  Invalidate();
}

void TCustomDBCheckBoxEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // A press on an unfocused box takes the focus first; its exit from the
      // previous control may fail, and then the press must not toggle.
      if (!Designing() && !Focused()) {
        {
          ui::TScopedValue noClicks(value_.ClicksDisabled, true);
          if (CanFocus()) SetFocus();
        }
        if (!Focused()) return;
      }
      break;
    case CM_MOUSEENTER:
      mouseAboveControl_ = true;
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      mouseAboveControl_ = false;
      Invalidate();
      break;
    case CM_WANTSPECIALKEY:
      if (static_cast<std::uint16_t>(Message.WParam) == VK_ESCAPE && Modified()) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_CANCELMODE:
      // Release the mouse without a toggle: the release lands outside.
      if (MouseCapture()) {
        SetMouseCapture(false);
        if (ControlState().Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, MakeLParam(-1, -1));
      }
      mousePressed_ = false;
      Invalidate();
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(Message);
}

// ---- painting ----

TRect TCustomDBCheckBoxEx::CheckRect() const {
  return AlignCheckBoxRect(ClientRect(), CaptionOnLeft() ? taRightJustify : taLeftJustify, tlCenter);
}

TRect TCustomDBCheckBoxEx::CaptionRect() const {
  TRect client = ClientRect(), box = CheckRect();
  if (CaptionOnLeft()) return TRect{client.Left, client.Top, box.Left - kCaptionGap, client.Bottom};
  return TRect{box.Right + kCaptionGap, client.Top, client.Right, client.Bottom};
}

void TCustomDBCheckBoxEx::Paint() { PaintCheckBox(); }

void TCustomDBCheckBoxEx::PaintCheckBox() {
  const bool overBox = mouseAboveControl_;
  const bool pressed = (overBox && mousePressed_) || toggleKeyDown_;
  PaintParts(State(), Focused(), pressed, overBox);
}

void TCustomDBCheckBoxEx::PaintParts(TCheckBoxState AState, bool AFocused, bool Pressed, bool Hot) {
  PaintCaption(CaptionRect(), AFocused, Pressed, Hot);
  PaintCheckFace(CheckRect(), AState, Pressed, Hot, AFocused);
}

void TCustomDBCheckBoxEx::PaintCaption(const TRect& Rect, bool AFocused, bool, bool) {
  TCanvas* canvas = Canvas();
  const String caption = Caption();
  canvas->Font()->Assign(Font());
  const TBrushStyle oldStyle = canvas->Brush()->Style();
  canvas->Brush()->SetStyle(bsClear);
  const int w = canvas->TextWidth(caption), h = canvas->TextHeight(caption);
  const int x = Rect.Left, y = Rect.Top + (Rect.Height() - h) / 2;
  if (Enabled() || Designing()) {
    canvas->TextRect(Rect, x, y, caption);
  } else {
    canvas->Font()->SetColor(clHighlightText);
    canvas->TextRect(Rect, x + 1, y + 1, caption);
    canvas->Font()->SetColor(clGrayText);
    canvas->TextRect(Rect, x, y, caption);
  }
  canvas->Brush()->SetStyle(oldStyle);
  if (AFocused && !caption.empty()) {
    TRect focus{x - 1, y - 1, x + w + 1, y + h + 2};
    const TRect client = ClientRect();
    focus.Top = std::max(focus.Top, client.Top);
    focus.Bottom = std::min(focus.Bottom, client.Bottom);
    focus.Right = std::min(focus.Right, client.Right);
    canvas->DrawFocusRect(focus);
  }
}

void TCustomDBCheckBoxEx::PaintCheckFace(const TRect& Rect, TCheckBoxState AState, bool Pressed, bool Hot,
                                         bool AFocused) {
  const bool active = Hot || AFocused || alwaysShowBorder_;
  DrawEditButtonFace(Canvas(), Rect, Color(), bcsCheckboxEx, Pressed ? 1 : 0, flat_, active, Enabled() || Designing(),
                     AState);
}

}  // namespace grid
