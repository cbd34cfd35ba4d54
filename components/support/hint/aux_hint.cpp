#include "components/support/hint/aux_hint.h"

#include <algorithm>

#include "platform/ui/application.h"
#include "platform/ui/drag_frame.h"
#include "platform/runtime/ticks.h"

namespace aux {

using namespace ui;

namespace {

// The hide pause of a caller that passes 0.
int DefaultHidePause() { return Application ? Application->HintHidePause : 2500; }

const std::vector<std::string> kPositionNames = {"hpUpLeft", "hpUpRight", "hpDownLeft", "hpDownRight"};
const std::vector<std::string> kStyleNames = {"hsNormal", "hsBalloonHint", "hsAuto"};
const std::vector<std::string> kAlignmentNames = {"taLeftJustify", "taRightJustify", "taCenter"};
// The arrow cursor's image below its hot spot; the offscreen and most X
// servers give no cursor mask to inspect, so the usual system height is used.
constexpr int kCursorBelowHotSpot = 32;

std::vector<TAuxHint*>& HintList() {
  static std::vector<TAuxHint*> list;
  return list;
}
std::vector<TAuxInternalHintWindow*>& WindowList() {
  static std::vector<TAuxInternalHintWindow*> list;
  return list;
}

std::vector<String> SplitLines(const String& Text) {
  std::vector<String> lines;
  String cur;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    if (c == u'\r' || c == u'\n') {
      lines.push_back(cur);
      cur.clear();
      if (c == u'\r' && i + 1 < Text.size() && Text[i + 1] == u'\n') ++i;
    } else {
      cur += c;
    }
  }
  lines.push_back(cur);
  return lines;
}

// A glyph is drawn see-through in the colour of its top-left pixel.
void WatchGlyph(TBitmap* Glyph) {
  auto updating = std::make_shared<bool>(false);
  Glyph->OnChange = [Glyph, updating](TObject*) {
    if (*updating || Glyph->Empty()) return;
    *updating = true;
    Glyph->SetTransparentColor(Glyph->Canvas()->Pixel(0, 0));
    Glyph->SetTransparent(true);
    *updating = false;
  };
}

}  // namespace

// --- TAuxHint --------------------------------------------------------------------

const TClassInfo& TAuxHint::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TAuxHint>("TAuxHint", &TComponent::StaticClassInfo())
          .Enum("Alignment", "TAlignment", kAlignmentNames, &TAuxHint::GetAlignment, &TAuxHint::PutAlignment,
                taLeftJustify)
          .Integer("BackColor", &TAuxHint::GetBackColor, &TAuxHint::PutBackColor, clInfoBk)
          .Integer("BorderColor", &TAuxHint::GetBorderColor, &TAuxHint::PutBorderColor, clBlack)
          .Enum("HintPosition", "THintPosition", kPositionNames, &TAuxHint::GetHintPosition,
                &TAuxHint::PutHintPosition, hpDownRight)
          .Object("Font", "TFont", &TAuxHint::Font, &TAuxHint::SetFont)
          .Object("Glyph", "TBitmap", &TAuxHint::Glyph, &TAuxHint::SetGlyph)
          .Enum("HintStyle", "THintStyle", kStyleNames, &TAuxHint::GetHintStyle, &TAuxHint::PutHintStyle)
          .Str("Title", &TAuxHint::GetTitle, &TAuxHint::PutTitle)
          .Build();
  return info;
}

TAuxHint::TAuxHint(TComponent* AOwner)
    : TComponent(AOwner), font_(std::make_unique<TFont>()), glyph_(std::make_unique<TBitmap>()) {
  font_->SetColor(clBlack);
  font_->OnChange = [this](TObject*) { FontChanged(); };
  WatchGlyph(glyph_.get());
  HintList().push_back(this);
  if (!ComponentState().Contains(csDesigning)) TakeOverApplicationHint();
}

void TAuxHint::Loaded() {
  TComponent::Loaded();
  if (!ComponentState().Contains(csDesigning)) TakeOverApplicationHint();
}

void TAuxHint::SetFont(TFont* Value) {
  if (Value) font_->Assign(Value);
  FontChanged();
}

void TAuxHint::SetGlyph(TBitmap* Value) {
  if (Value) glyph_->Assign(Value);
  else glyph_->SetSize(0, 0);
}

void TAuxHint::FontChanged() {
  if (!ComponentState().Contains(csDesigning) && !ComponentState().Contains(csDestroying))
    TakeOverApplicationHint();
}

void TAuxHint::TakeOverApplicationHint() {
  if (Application) {
    Application->HintWindowClass = [](TComponent* Owner) -> THintWindow* {
      return new TAuxInternalHintWindow(Owner);
    };
    // Off and on again: the application makes its tool-tip window anew, of the new class.
    const bool show = Application->ShowHint();
    Application->SetShowHint(false);
    Application->SetShowHint(true);
    if (!show) Application->SetShowHint(false);
  }
  for (auto* w : WindowList()) w->Font()->Assign(font_.get());
}

TAuxHint::~TAuxHint() {
  auto& list = HintList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  TAuxInternalHintWindow::ForgetHint(this);
}

const std::vector<TAuxHint*>& TAuxHint::Instances() { return HintList(); }

// --- placement --------------------------------------------------------------------

THintLayout LayoutHint(TPoint P, int W, int H, bool Balloon, THintPosition Preferred, const TRect& WorkArea,
                       int M) {
  const TRect area = Rect(WorkArea.Left + 10, WorkArea.Top + 10, WorkArea.Right - 10, WorkArea.Bottom - 10);
  const int T = Balloon ? 16 : 0;
  const int A = H + T;
  const bool roomUp = P.Y - A > area.Top;
  const bool roomDown = P.Y + A < area.Bottom;
  const bool roomLeft = P.X - area.Left >= W - T;
  const bool roomRight = P.X + W - T < area.Right;
  const bool up = Preferred == hpUpLeft || Preferred == hpUpRight;
  const bool left = Preferred == hpUpLeft || Preferred == hpDownLeft;
  THintPosition pos = Preferred;
  if (!((up ? roomUp : roomDown) && (left ? roomLeft : roomRight))) {
    const bool u = roomUp;
    const bool r = roomRight;
    pos = u ? (r ? hpUpRight : hpUpLeft) : (r ? hpDownRight : hpDownLeft);
  }
  THintLayout L;
  L.Position = pos;
  if (!Balloon) {
    switch (pos) {
      case hpUpLeft: L.Body = Bounds(P.X - W - 10, P.Y - 15 - H, W, H); break;
      case hpUpRight: L.Body = Bounds(P.X - 10, P.Y - 15 - H, W, H); break;
      case hpDownLeft: L.Body = Bounds(P.X - W, P.Y + M, W, H); break;
      case hpDownRight: L.Body = Bounds(P.X, P.Y + M, W, H); break;
    }
    L.Window = L.Body;
    return L;
  }
  if (pos == hpUpLeft || pos == hpUpRight) {
    const int bottom = P.Y - M - 6;
    const int leftEdge = pos == hpUpLeft ? P.X + 5 - W : P.X - 25;
    L.Body = Rect(leftEdge, bottom - H, leftEdge + W, bottom);
    if (pos == hpUpLeft)
      L.Tail = {{P.X - 11, bottom - 1}, {P.X - 11, bottom + 15}, {P.X - 28, bottom - 2}};
    else
      L.Tail = {{leftEdge + 16, bottom - 1}, {leftEdge + 16, bottom + 16}, {leftEdge + 33, bottom - 1}};
    L.Window = Rect(L.Body.Left, L.Body.Top, L.Body.Right, L.Body.Bottom + 16);
  } else {
    const int top = P.Y + M + 10;
    const int leftEdge = pos == hpDownLeft ? P.X + 16 - W : P.X - 16;
    L.Body = Rect(leftEdge, top, leftEdge + W, top + H);
    if (pos == hpDownLeft)
      L.Tail = {{P.X, top}, {P.X, top - 16}, {P.X - 17, top + 1}};
    else
      L.Tail = {{P.X, top}, {P.X, top - 16}, {P.X + 17, top + 1}};
    L.Window = Rect(L.Body.Left, L.Body.Top - 16, L.Body.Right, L.Body.Bottom);
  }
  return L;
}

TRect KeepOnScreen(TRect R, const TRect& WorkArea) {
  const int w = R.Width(), h = R.Height();
  int x = R.Left, y = R.Top;
  if (x < WorkArea.Left) x = WorkArea.Left;
  if (y < WorkArea.Top) y = WorkArea.Top;
  if (x + w > WorkArea.Right) x = WorkArea.Right - w;
  if (y + h > WorkArea.Bottom) y = WorkArea.Bottom - h;
  return Bounds(x, y, w, h);
}

// --- TAuxInternalHintWindow -----------------------------------------------------------

TAuxInternalHintWindow::TAuxInternalHintWindow(TComponent* AOwner)
    : THintWindow(AOwner), timer_(std::make_unique<TTimer>(nullptr)), glyph_(std::make_unique<TBitmap>()) {
  timer_->SetEnabled(false);
  timer_->OnTimer = [this](TObject* s) { TimerFired(s); };
  WatchGlyph(glyph_.get());
  // The paint leaves the key colour clear, which is what shapes the balloon.
  SetControlStyle(ControlStyle() + csOpaque);
  SetTranslucent(true);
  WindowList().push_back(this);
}

TAuxInternalHintWindow::~TAuxInternalHintWindow() {
  timer_->SetEnabled(false);
  ReleaseHandle();
  if (watching_) *watching_ = false;
  auto& list = WindowList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

const std::vector<TAuxInternalHintWindow*>& TAuxInternalHintWindow::Instances() { return WindowList(); }

void TAuxInternalHintWindow::ForgetHint(TAuxHint* Hint) {
  for (auto* w : WindowList())
    if (w->hint_ == Hint) w->hint_ = nullptr;
}

void TAuxInternalHintWindow::SetHintPosition(THintPosition Value, bool FromWindow) {
  position_ = Value;
  if (FromWindow) modified_ = true;
}

void TAuxInternalHintWindow::ActivateHint(const TRect&, const String& Hint) {
  ActivateHintFromPos(Screen ? Screen->CursorPos() : TPoint{0, 0}, Hint, String(), 0);
}

void TAuxInternalHintWindow::MeasureHintText(const String& Text, int GW, bool Title, bool Balloon, int GH, int& W,
                                             int& H) {
  TCanvas* c = bitmap_->Canvas();
  const auto lines = SplitLines(Text);
  W = 0;
  H = 0;
  bool grown = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    c->SetFont(Font());
    if (i == 0 && Title) c->Font()->SetStyle(TFontStyles() + fsBold);
    int lw = c->TextWidth(lines[i]);
    const int lh = c->TextHeight(lines[i].empty() ? String(u"Ag") : lines[i]);
    if (i == 0 && GW > 0) lw += GW + 6;
    W = std::max(W, lw);
    H += lh;
    if (GW > 0 && !grown && H + 10 >= GH) {
      H += 6;
      grown = true;
    }
  }
  H = std::max(H, GH);
  if (Balloon) {
    W = std::max(W + 12, 50);
    H = H > 16 ? H + 18 : 35;
  } else {
    W += 12;
    H += 8;
  }
}

void TAuxInternalHintWindow::DrawHintText(TCanvas* C, const String& Text, const TRect& Body, bool Balloon) {
  const TRect area = Rect(Body.Left + 6, Body.Top, Body.Right - 6, Body.Bottom);
  const TAlignment align = hint_ ? hint_->Alignment : Alignment;
  const auto lines = SplitLines(Text);
  auto useFont = [&](std::size_t i) {
    C->SetFont(Font());
    if (i == 0 && firstLineAsTitle_) C->Font()->SetStyle(TFontStyles() + fsBold);
  };
  auto lineHeight = [&](std::size_t i) {
    useFont(i);
    return C->TextHeight(lines[i].empty() ? String(u"Ag") : lines[i]);
  };
  // Draws lines [from, to) as a block in R, the block placed by the alignment.
  auto drawBlock = [&](std::size_t from, std::size_t to, const TRect& R, int top) {
    int bw = 0;
    for (std::size_t i = from; i < to; ++i) {
      useFont(i);
      bw = std::max(bw, C->TextWidth(lines[i]));
    }
    int bl = R.Left;
    if (align == taRightJustify) bl = R.Right - bw;
    else if (align == taCenter) bl = R.Left + (R.Width() - bw) / 2;
    int y = top;
    for (std::size_t i = from; i < to; ++i) {
      useFont(i);
      const int lw = C->TextWidth(lines[i]);
      int x = bl;
      if (align == taRightJustify) x = bl + bw - lw;
      else if (align == taCenter) x = bl + (bw - lw) / 2;
      C->TextOut(x, y, lines[i]);
      y += lineHeight(i);
    }
    return y;
  };
  C->Brush()->SetStyle(bsClear);
  TBitmap* glyph = glyph_->Empty() ? nullptr : glyph_.get();
  if (!glyph) {
    int total = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) total += lineHeight(i);
    drawBlock(0, lines.size(), area, area.Top + (area.Height() - total) / 2);
  } else {
    C->Draw(area.Left, area.Top + 6, glyph);
    const int glyphBottom = area.Top + 6 + glyph->Height();
    int y = area.Top + (Balloon ? 10 : 5);
    std::size_t beside = 0;
    int yy = y;
    while (beside < lines.size() && yy < glyphBottom) yy += lineHeight(beside++);
    drawBlock(0, beside, Rect(area.Left + glyph->Width() + 6, area.Top, area.Right, area.Bottom), y);
    if (beside < lines.size()) drawBlock(beside, lines.size(), area, std::max(yy, glyphBottom) + 6);
  }
  C->Brush()->SetStyle(bsSolid);
}

void TAuxInternalHintWindow::ActivateHintFromPos(TPoint P, const String& Hint, const String& Title, int HidePause) {
  struct Stamp {
    std::uint64_t& at;
    ~Stamp() { at = rtl::GetTickCount64(); }
  } stamp{lastActive_};
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  bitmap_->SetSize(0, 0);

  if (hint_ && Owner()) {
    for (int i = 0; i < Owner()->ComponentCount(); ++i)
      if (auto* h = dynamic_cast<TAuxHint*>(Owner()->Components(i))) {
        hint_ = h;
        break;
      }
  } else if (!hint_ && !HintList().empty()) {
    hint_ = HintList().front();
  }

  THintStyle style = HintStyle;
  if (hint_) {
    style = hint_->HintStyle;
    if (glyph_->Empty() && !hint_->Glyph()->Empty()) glyph_->Assign(hint_->Glyph());
    Font()->Assign(hint_->Font());
  } else {
    Font()->SetColor(clBlack);
  }
  const String compTitle = hint_ ? hint_->Title : String();
  const bool balloon = style == hsBalloonHint || (style == hsAuto && (!Title.empty() || !compTitle.empty()));
  String text = Hint;
  if (!Title.empty()) {
    text = Title + u"\r\n" + Hint;
    firstLineAsTitle_ = true;
  } else if (!compTitle.empty()) {
    text = compTitle + u"\r\n" + Hint;
    firstLineAsTitle_ = true;
  } else {
    firstLineAsTitle_ = false;
  }

  const int GW = glyph_->Empty() ? 0 : glyph_->Width();
  const int GH = glyph_->Empty() ? 0 : glyph_->Height();
  int W = 0, H = 0;
  MeasureHintText(text, GW, firstLineAsTitle_, balloon, GH, W, H);
  const TRect work = Screen ? Screen->WorkAreaRect() : Rect(0, 0, 1024, 768);
  const THintPosition preferred = (modified_ || !hint_) ? position_ : hint_->HintPosition;
  layout_ = LayoutHint(P, W, H, balloon, preferred, work, kCursorBelowHotSpot);
  if (hint_ && hint_->OnMeasureRect) {
    TRect r = layout_.Body;
    hint_->OnMeasureRect(this, r, text);
    // Placing again from the same point keeps the corner next to the tail.
    W = r.Width();
    H = r.Height();
    layout_ = LayoutHint(P, W, H, balloon, preferred, work, kCursorBelowHotSpot);
  }

  // Relative to the window.
  const TRect win = layout_.Window;
  TRect body = layout_.Body;
  body = Rect(body.Left - win.Left, body.Top - win.Top, body.Right - win.Left, body.Bottom - win.Top);
  std::vector<TPoint> tail;
  for (auto p : layout_.Tail) tail.push_back({p.X - win.Left, p.Y - win.Top});
  bitmap_->SetSize(win.Width(), win.Height() + 1);

  const TColor border = hint_ ? hint_->BorderColor : clBlack;
  const TColor back = hint_ ? hint_->BackColor : clInfoBk;
  const std::uint32_t rgb = ColorToRGB(border);
  const TColor key = RGBColor((GetRValue(rgb) + 1) & 0xFF, (((rgb >> 8) & 0xFF) + 2) & 0xFF,
                              (((rgb >> 16) & 0xFF) + 3) & 0xFF);
  TCanvas* c = bitmap_->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(key);
  c->FillRect(Rect(0, 0, bitmap_->Width(), bitmap_->Height()));
  c->Brush()->SetColor(back);
  c->Pen()->SetColor(border);
  if (balloon) {
    c->RoundRect(body.Left, body.Top, body.Right, body.Bottom, 20, 15);
    c->Pen()->SetColor(back);
    c->Polygon(tail);
    c->Pen()->SetColor(border);
    c->Polyline(tail);
  } else {
    c->Rectangle(body);
    c->Pen()->SetColor(RGBColor(212, 208, 200));
    c->MoveTo(body.Left + 1, body.Bottom - 2);
    c->LineTo(body.Left + 1, body.Top + 1);
    c->LineTo(body.Right - 1, body.Top + 1);
  }
  TRect textRect = body;
  if (hint_ && hint_->OnBeforeHint) hint_->OnBeforeHint(this, textRect, text);
  if (hint_ && hint_->OnOwnerDraw)
    hint_->OnOwnerDraw(this, c, text, textRect);
  else
    DrawHintText(c, text, textRect, balloon);
  // Only a balloon has a shape: its key-coloured corners show through.
  bitmap_->SetTransparentColor(key);
  bitmap_->SetTransparent(balloon);
  SetWindowShape(balloon ? bitmap_.get() : nullptr, key);

  const TRect placed = KeepOnScreen(win, work);
  layout_.Window = placed;
  timer_->SetEnabled(false);
  THintWindow::ActivateHint(placed, text);
  Repaint();
  if (HidePause == 0) HidePause = DefaultHidePause();
  if (HidePause > 0) {
    hidePause_ = HidePause;
    timer_->SetInterval(static_cast<unsigned>(HidePause));
    timer_->SetEnabled(true);
    PostMessage(this, AUX_WM_WATCHHINT, 0, MakeLParam(P.X, P.Y));
  }
}

void TAuxInternalHintWindow::ReleaseHandle() {
  THintWindow::ReleaseHandle();
  // Nothing is left to watch once the hint is gone.
  if (watching_ && Application) Application->EndInputWatchLoop();
}

void TAuxInternalHintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == AUX_WM_WATCHHINT) {
    const auto lp = static_cast<std::uint32_t>(Message.LParam);
    Watch({static_cast<std::int16_t>(lp & 0xFFFF), static_cast<std::int16_t>(lp >> 16)});
    return;
  }
  THintWindow::Dispatch(Message);
}

// Lets the program run on while the hint is up, until the user does
// something: that input ends the loop and goes on to its window. The hint
// itself goes with its timer; the loop ends with it too, and is bounded by
// the hide pause, so it never outlasts the hint it watches.
void TAuxInternalHintWindow::Watch(TPoint P) {
  if (!Application || watching_ || !IsHintShown()) return;
  TWinControl* start = FindWinControlAt(P);
  bool alive = true;
  watching_ = &alive;
  Application->RunInputWatchLoop(
      [start](TWatchedInput Kind, TPoint At) { return Kind != wiMouseMove || FindWinControlAt(At) != start; },
      hidePause_);
  if (alive) watching_ = nullptr;
}

void TAuxInternalHintWindow::Paint() {
  if (bitmap_ && !bitmap_->Empty()) Canvas()->Draw(0, 0, bitmap_.get());
}

void TAuxInternalHintWindow::TimerFired(TObject*) {
  timer_->SetEnabled(false);
  DoCancelHint();
  ReleaseHandle();
}

void TAuxInternalHintWindow::DoCancelHint() {
  if (OnCancelHint) OnCancelHint(this);
}

// --- TAuxHintWindow ------------------------------------------------------------------

const TClassInfo& TAuxHintWindow::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TAuxHintWindow>("TAuxHintWindow", &TComponent::StaticClassInfo())
          .Enum("HintPosition", "THintPosition", kPositionNames, &TAuxHintWindow::HintPosition,
                &TAuxHintWindow::SetHintPosition)
          .Object("Glyph", "TBitmap", &TAuxHintWindow::Glyph, &TAuxHintWindow::SetGlyph)
          .Enum("Alignment", "TAlignment", kAlignmentNames, &TAuxHintWindow::Alignment, &TAuxHintWindow::SetAlignment)
          .Enum("HintStyle", "THintStyle", kStyleNames, &TAuxHintWindow::HintStyle, &TAuxHintWindow::SetHintStyle)
          .Build();
  return info;
}

TAuxHintWindow::TAuxHintWindow(TComponent* AOwner)
    : TComponent(AOwner), window_(new TAuxInternalHintWindow(this)) {
  window_->SetHintPosition(hpDownRight, false);
  window_->OnCancelHint = [this](TObject* Sender) {
    if (OnCancelHint) OnCancelHint(Sender);
  };
}

TAuxHintWindow::~TAuxHintWindow() = default;

void TAuxHintWindow::ActivateHint(const String& Hint, const String& Title) {
  ActivateHintFromPos(Screen ? Screen->CursorPos() : TPoint{0, 0}, Hint, Title, 0);
}

void TAuxHintWindow::ActivateHintFromPos(TPoint P, const String& Hint, const String& Title, int HidePause) {
  window_->ActivateHintFromPos(P, Hint, Title, HidePause);
}

void TAuxHintWindow::SetGlyph(TBitmap* Value) {
  if (Value) window_->Glyph()->Assign(Value);
  else window_->Glyph()->SetSize(0, 0);
}

void TAuxHintWindow::ReleaseHandle() {
  window_->StopHideTimer();
  window_->ReleaseHandle();
}

}  // namespace aux
