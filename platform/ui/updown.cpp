#include "platform/ui/updown.h"

#include "platform/ui/timers.h"

namespace ui {
namespace {
constexpr std::uintptr_t kRepeatTimer = 1;
constexpr unsigned kInitialRepeat = 400;
constexpr unsigned kRepeat = 100;
}  // namespace

const TClassInfo& TCustomUpDown::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomUpDown>("TCustomUpDown", &TCustomControl::StaticClassInfo()).Build();
  return info;
}

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 15, 21);
}

TCustomUpDown::~TCustomUpDown() { BeginDestroy(); }

void TCustomUpDown::SetPosition(int Value) { position_ = std::clamp(Value, min_, max_); }

void TCustomUpDown::Click(TUDBtnType Button) {
  if (OnClick) OnClick(this, Button);
}

void TCustomUpDown::Step() {
  if (pressed_ < 0) return;
  SetPosition(position_ + (pressed_ == 0 ? 1 : -1));
  Perform(CN_VSCROLL, static_cast<WPARAM>(SB_THUMBPOSITION) | (static_cast<WPARAM>(position_ & 0xFFFF) << 16));
}

void TCustomUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  pressed_ = Y < Height() / 2 ? 0 : 1;
  Invalidate();
  auto alive = alive_;
  Step();
  if (*alive && pressed_ >= 0) SetTimer(this, kRepeatTimer, kInitialRepeat);
}

void TCustomUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && pressed_ >= 0) {
    pressed_ = -1;
    KillTimer(this, kRepeatTimer);
    Invalidate();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomUpDown::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == kRepeatTimer) {
        SetTimer(this, kRepeatTimer, kRepeat);
        Step();
        return;
      }
      break;
    case WM_CANCELMODE:
      pressed_ = -1;
      KillTimer(this, kRepeatTimer);
      break;
    case CN_VSCROLL:
      if (LoWord(Message.WParam) == SB_THUMBPOSITION) Click(pressed_ == 1 ? btPrev : btNext);
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(Message);
}

void TCustomUpDown::Paint() {
  TCanvas* c = Canvas();
  int h = Height() / 2;
  for (int half = 0; half < 2; ++half) {
    TRect r = Rect(0, half * h, Width(), half == 0 ? h : Height());
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    c->DrawEdge(r, pressed_ == half ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    int cx = Width() / 2 + (pressed_ == half ? 1 : 0);
    int cy = r.Top + (r.Height() / 2) + (pressed_ == half ? 1 : 0);
    c->Pen()->SetColor(Enabled() ? clBtnText : clGrayText);
    for (int i = 0; i < 3; ++i) {
      int y = half == 0 ? cy - 1 + i : cy + 1 - i;
      c->MoveTo(cx - i, y);
      c->LineTo(cx + i + 1, y);
    }
  }
}

}  // namespace ui
