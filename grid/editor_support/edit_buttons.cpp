#include "grid/editor_support/edit_buttons.h"

#include <algorithm>

#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

TDrawButtonControlStyleEx EditButtonFaceStyle(TEditButtonStyleEx Style) {
  switch (Style) {
    case ebsEllipsisEx: return bcsEllipsisEx;
    case ebsUpDownEx: return bcsUpDownEx;
    case ebsPlusEx: return bcsPlusEx;
    case ebsMinusEx: return bcsMinusEx;
    case ebsAltDropDownEx: return bcsAltDropDownEx;
    case ebsAltUpDownEx: return bcsAltUpDownEx;
    default: return bcsDropDownEx;
  }
}

// --- action link ---------------------------------------------------------------------

// Hears of the linked action's destruction, so a freed action is never called.
class TEditButtonActionLinkEx::Watcher : public TComponent {
 public:
  explicit Watcher(TEditButtonActionLinkEx* Link) : TComponent(nullptr), link_(Link) {}
  ~Watcher() override { BeginDestroy(); }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == link_->action_) link_->ActionFreed();
  }

 private:
  TEditButtonActionLinkEx* link_;
};

TEditButtonActionLinkEx::TEditButtonActionLinkEx(TEditButtonEx* Client) : client_(Client) {
  if (!Client) throw rtl::EInvalidCast(u"Invalid class typecast");
  watcher_ = std::make_unique<Watcher>(this);
}

TEditButtonActionLinkEx::~TEditButtonActionLinkEx() { Detach(); }

void TEditButtonActionLinkEx::ActionFreed() {
  action_ = nullptr;
  listener_ = 0;
}

void TEditButtonActionLinkEx::Detach() {
  if (action_) {
    if (auto* ca = dynamic_cast<TCustomAction*>(action_)) ca->RemoveChangeListener(listener_);
    action_->RemoveFreeNotification(watcher_.get());
  }
  action_ = nullptr;
  listener_ = 0;
}

void TEditButtonActionLinkEx::SetAction(TBasicAction* Value) {
  if (Value == action_) return;
  Detach();
  action_ = Value;
  if (!Value) return;
  Value->FreeNotification(watcher_.get());
  if (auto* ca = dynamic_cast<TCustomAction*>(Value))
    listener_ = ca->AddChangeListener([this] {
      if (OnChange) OnChange();
    });
}

namespace {
const TCustomAction* AsCustom(TBasicAction* A) { return dynamic_cast<const TCustomAction*>(A); }
}  // namespace

bool TEditButtonActionLinkEx::EnabledFollowsAction() const {
  auto* a = AsCustom(action_);
  return a && a->Enabled() == client_->Enabled();
}
bool TEditButtonActionLinkEx::HintFollowsAction() const {
  auto* a = AsCustom(action_);
  return a && a->Hint() == client_->Hint();
}
bool TEditButtonActionLinkEx::ShortCutFollowsAction() const {
  auto* a = AsCustom(action_);
  return a && a->ShortCut() == client_->ShortCut();
}
bool TEditButtonActionLinkEx::VisibleFollowsAction() const {
  auto* a = AsCustom(action_);
  return a && a->Visible() == client_->Visible();
}

bool TEditButtonActionLinkEx::Execute() { return action_ && action_->Execute(); }

void TEditButtonActionLinkEx::Update() {
  if (OnChange) OnChange();
}

// --- settings of one button ---------------------------------------------------------

const std::vector<std::string>& EditButtonStyleNames() {
  static const std::vector<std::string> names = {"ebsDropDownEx", "ebsEllipsisEx",    "ebsGlyphEx",
                                                 "ebsUpDownEx",   "ebsPlusEx",        "ebsMinusEx",
                                                 "ebsAltDropDownEx", "ebsAltUpDownEx"};
  return names;
}

const TClassInfo& TEditButtonEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TEditButtonEx>("TEditButtonEx", &TCollectionItem::StaticClassInfo())
          .Object("Action", "TBasicAction", &TEditButtonEx::Action, &TEditButtonEx::SetAction)
          .Object("DropdownMenu", "TPopupMenu", &TEditButtonEx::DropdownMenu, &TEditButtonEx::SetDropdownMenu)
          .Boolean("Enabled", &TEditButtonEx::Enabled, &TEditButtonEx::SetEnabled, 1)
          .Object("Glyph", "TBitmap", &TEditButtonEx::Glyph, &TEditButtonEx::SetGlyph)
          .Str("Hint", &TEditButtonEx::Hint, &TEditButtonEx::SetHint)
          .Integer("NumGlyphs", &TEditButtonEx::NumGlyphs, &TEditButtonEx::SetNumGlyphs, 1)
          .Integer("ShortCut", &TEditButtonEx::ShortCut, &TEditButtonEx::SetShortCut, 0)
          .Enum("Style", "TEditButtonStyleEx", EditButtonStyleNames(), &TEditButtonEx::Style, &TEditButtonEx::SetStyle,
                ebsDropDownEx)
          .Boolean("Visible", &TEditButtonEx::Visible, &TEditButtonEx::SetVisible, 0)
          .Integer("Width", &TEditButtonEx::Width, &TEditButtonEx::SetWidth, 0)
          .Build();
  return info;
}

// The subclasses differ only in their defaults, so they describe just those.
const TClassInfo& TDropDownEditButtonEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDropDownEditButtonEx>("TDropDownEditButtonEx", &TEditButtonEx::StaticClassInfo())
          .Integer("ShortCut", &TEditButtonEx::ShortCut, &TEditButtonEx::SetShortCut, AltDownShortCut)
          .Build();
  return info;
}

const TClassInfo& TVisibleEditButtonEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TVisibleEditButtonEx>("TVisibleEditButtonEx", &TEditButtonEx::StaticClassInfo())
          .Integer("ShortCut", &TEditButtonEx::ShortCut, &TEditButtonEx::SetShortCut, AltDownShortCut)
          .Boolean("Visible", &TEditButtonEx::Visible, &TEditButtonEx::SetVisible, 1)
          .Build();
  return info;
}

TEditButtonEx::TEditButtonEx(TWinControl* EditControl) : TCollectionItem(nullptr), editControl_(EditControl) { Init(); }

TEditButtonEx::TEditButtonEx(TCollection* Collection) : TCollectionItem(nullptr) {
  if (Collection) Collection->BeginUpdate();
  try {
    SetCollection(Collection);
    Init();
  } catch (...) {
    if (Collection) Collection->EndUpdate();
    throw;
  }
  if (Collection) Collection->EndUpdate();
}

void TEditButtonEx::Init() {
  enabled_ = true;
  glyph_ = std::make_unique<TBitmap>();
  glyph_->SetTransparent(true);
  shortCut_ = 0;
  numGlyphs_ = 1;
}

TEditButtonEx::~TEditButtonEx() { actionLink_.reset(); }

TBasicAction* TEditButtonEx::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TEditButtonEx::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TEditButtonActionLinkEx>(this);
  actionLink_->SetAction(Value);
  actionLink_->OnChange = [this] { HandleActionChange(); };
  ApplyActionValues(Value, Value->ComponentState().Contains(csLoading));
}

void TEditButtonEx::HandleActionChange() {
  if (TBasicAction* a = Action()) ApplyActionValues(a, false);
}

void TEditButtonEx::ApplyActionValues(TBasicAction* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || Enabled()) SetEnabled(a->Enabled());
  if (!CheckDefaults || Hint().empty()) SetHint(a->Hint());
  if (!CheckDefaults || ShortCut() == 0) SetShortCut(a->ShortCut());
  if (!CheckDefaults || Visible()) SetVisible(a->Visible());
}

void TEditButtonEx::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

bool TEditButtonEx::IsEnabledStored() const { return !actionLink_ || !actionLink_->EnabledFollowsAction(); }
bool TEditButtonEx::IsHintStored() const { return !actionLink_ || !actionLink_->HintFollowsAction(); }
bool TEditButtonEx::IsShortCutStored() const { return !actionLink_ || !actionLink_->ShortCutFollowsAction(); }
bool TEditButtonEx::IsVisibleStored() const { return !actionLink_ || !actionLink_->VisibleFollowsAction(); }

void TEditButtonEx::NotifyChanged() {
  if (OnChanged)
    OnChanged(this);
  else if (Collection())
    Changed(false);
}

void TEditButtonEx::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  NotifyChanged();
}

void TEditButtonEx::SetGlyph(const TBitmap* Value) {
  glyph_->Assign(Value);
  NotifyChanged();
}

void TEditButtonEx::SetHint(const String& Value) {
  if (Value == hint_) return;
  hint_ = Value;
  NotifyChanged();
}

void TEditButtonEx::SetNumGlyphs(int Value) {
  Value = std::clamp(Value, 1, 4);
  if (Value == numGlyphs_) return;
  numGlyphs_ = Value;
  NotifyChanged();
}

void TEditButtonEx::SetStyle(TEditButtonStyleEx Value) {
  if (Value == style_) return;
  style_ = Value;
  NotifyChanged();
}

void TEditButtonEx::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  NotifyChanged();
}

void TEditButtonEx::SetWidth(int Value) {
  if (Value == width_) return;
  width_ = Value;
  NotifyChanged();
}

void TEditButtonEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TEditButtonEx*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetAction(src->Action());
  SetDropdownMenu(src->DropdownMenu());
  SetEnabled(src->Enabled());
  SetGlyph(src->Glyph());
  SetHint(src->Hint());
  SetNumGlyphs(src->NumGlyphs());
  SetShortCut(src->ShortCut());
  SetStyle(src->Style());
  SetVisible(src->Visible());
  SetWidth(src->Width());
  OnClick = src->OnClick;
  OnDown = src->OnDown;
}

TEditButtonControlEx* TEditButtonEx::CreateEditButtonControl() {
  auto* c = new TEditButtonControlEx(editControl_);
  c->SetControlStyle(c->ControlStyle() + csReplicatable);
  c->SetParent(editControl_);
  c->SetBounds(c->Left(), c->Top(), 10, 17);
  c->SetVisible(true);
  return c;
}

void TEditButtonEx::Click(TObject* Sender, bool& Handled) {
  if (OnClick) {
    OnClick(Sender, Handled);
    return;
  }
  if (actionLink_ && actionLink_->Action()) {
    actionLink_->Execute();
    Handled = true;
  }
}

TDropDownEditButtonEx::TDropDownEditButtonEx(TWinControl* EditControl) : TEditButtonEx(EditControl) {
  shortCut_ = AltDownShortCut;
}
TDropDownEditButtonEx::TDropDownEditButtonEx(TCollection* Collection) : TEditButtonEx(Collection) {
  shortCut_ = AltDownShortCut;
}
TVisibleEditButtonEx::TVisibleEditButtonEx(TWinControl* EditControl) : TEditButtonEx(EditControl) {
  shortCut_ = AltDownShortCut;
  visible_ = true;
}
TVisibleEditButtonEx::TVisibleEditButtonEx(TCollection* Collection) : TEditButtonEx(Collection) {
  shortCut_ = AltDownShortCut;
  visible_ = true;
}

// --- collection ---------------------------------------------------------------------

TEditButtonsEx::TEditButtonsEx(TPersistent* Owner, TButtonFactory EditButtonClass)
    : TCollection([f = std::move(EditButtonClass)](TCollection* c) -> TCollectionItem* {
        return f ? f(c) : new TEditButtonEx(c);
      },
                  Owner) {}

TEditButtonEx* TEditButtonsEx::Add() { return static_cast<TEditButtonEx*>(TCollection::Add()); }

TEditButtonEx* TEditButtonsEx::Items(int Index) const { return static_cast<TEditButtonEx*>(TCollection::Items(Index)); }

void TEditButtonsEx::Update(TCollectionItem* Item) {
  TCollection::Update(Item);
  if (OnChanged) OnChanged(Item);
}

// --- the button control ---------------------------------------------------------------

TEditButtonControlEx::TEditButtonControlEx(TComponent* AOwner)
    : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
  SetControlStyle(ControlStyle() + csCaptureMouse);
}

TEditButtonControlEx::~TEditButtonControlEx() = default;

void TEditButtonControlEx::SetActive(bool Value) {
  if (Value == active_) return;
  active_ = Value;
  Invalidate();
}

void TEditButtonControlEx::SetStyle(TEditButtonStyleEx Value) {
  if (Value == style_) return;
  style_ = Value;
  Invalidate();
}

void TEditButtonControlEx::SetFlat(bool Value) {
  if (Value == flat_) return;
  flat_ = Value;
  Invalidate();
}

void TEditButtonControlEx::SetGlyph(const TBitmap* Value) {
  glyph_->Assign(Value);
  Invalidate();
}

void TEditButtonControlEx::SetAlwaysDown(bool Value) {
  if (Value == alwaysDown_) return;
  alwaysDown_ = Value;
  if (Value) {
    groupIndex_ = 1;
    down_ = true;
    allowAllUp_ = false;
    state_ = bsDownEx;
    buttonNum_ = 1;
  } else {
    allowAllUp_ = true;
    down_ = false;
    state_ = bsUpEx;
    groupIndex_ = 0;
    buttonNum_ = 0;
  }
  Invalidate();
}

void TEditButtonControlEx::SetState(TButtonStateEx NewState, bool IsActive, int ButtonNum) {
  if (NewState == state_ && IsActive == active_ && ButtonNum == buttonNum_) return;
  state_ = NewState;
  active_ = IsActive;
  buttonNum_ = ButtonNum;
  Repaint();
}

void TEditButtonControlEx::EditButtonDown(bool TopButton, bool& AutoRepeat) {
  bool handled = false;
  if (OnDown) OnDown(this, TopButton, AutoRepeat, handled);
}

void TEditButtonControlEx::Click() {
  // A spin half released by moving onto the other half gives no click.
  const bool released = IsTwoHalfStyle(style_) && dragging_ && state_ != bsDownEx;
  if (!noDoClick_ && !released) TGraphicControl::Click();
  noDoClick_ = false;
}

void TEditButtonControlEx::UpdateDownButton(int, int Y) {
  const int old = buttonNum_;
  if (state_ != bsDownEx && state_ != bsExclusiveEx) {
    buttonNum_ = 0;
  } else if (IsTwoHalfStyle(style_)) {
    const int h = Height();
    buttonNum_ = Y < h / 2 ? 1 : Y >= h - h / 2 ? 2 : 0;
  } else {
    buttonNum_ = 1;
  }
  if (buttonNum_ != old) Invalidate();
}

bool TEditButtonControlEx::RepeatTimerRunning() const { return timer_ && timer_->Enabled(); }

void TEditButtonControlEx::SetRepeatInterval(unsigned Interval) {
  if (!timer_) {
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->OnTimer = [this](TObject*) { TimerExpired(); };
  }
  if (timer_->Interval() != Interval || !timer_->Enabled()) {
    timer_->SetInterval(Interval);
    timer_->SetEnabled(true);
  }
}

void TEditButtonControlEx::StopRepeat() {
  if (timer_) timer_->SetEnabled(false);
}

void TEditButtonControlEx::TimerExpired() {
  bool autoRepeat = IsTwoHalfStyle(style_);
  if (state_ != bsDownEx) return;
  // The first repeat comes after 400 ms, the next ones every 100 ms.
  if (timer_->Interval() == 400) SetRepeatInterval(100);
  auto alive = alive_;
  EditButtonDown(buttonNum_ == 1, autoRepeat);
  if (!*alive) return;
  if (!autoRepeat) StopRepeat();
}

void TEditButtonControlEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  bool autoRepeat = IsTwoHalfStyle(style_);
  auto alive = alive_;
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (!*alive) return;
  if (Button != mbLeft || !Enabled()) return;
  noDoClick_ = false;
  // The speed button's own press.
  if (!down_) {
    state_ = bsDownEx;
    Invalidate();
  }
  dragging_ = true;
  UpdateDownButton(X, Y);
  if (buttonNum_ >= 1) {
    EditButtonDown(buttonNum_ == 1, autoRepeat);
    if (!*alive) return;
    if (autoRepeat) SetRepeatInterval(400);
  }
}

void TEditButtonControlEx::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  // The speed button's own tracking: down while the held mouse is over it.
  const bool inside = X >= 0 && Y >= 0 && X < Width() && Y < Height();
  TButtonStateEx next = down_ ? bsExclusiveEx : bsUpEx;
  if (inside && !down_) next = bsDownEx;
  if (next != state_) {
    state_ = next;
    Invalidate();
  }
  if (IsTwoHalfStyle(style_) && state_ == bsDownEx) {
    const int h = Height();
    if ((buttonNum_ == 2 && Y < h / 2) || (buttonNum_ == 1 && Y >= h - h / 2)) {
      state_ = bsUpEx;
      Invalidate();
    }
  }
}

void TEditButtonControlEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool twoHalfReleased = IsTwoHalfStyle(style_) && state_ != bsDownEx;
  if (twoHalfReleased) noDoClick_ = true;
  auto alive = alive_;
  const bool wasDragging = dragging_;
  dragging_ = false;
  if (wasDragging && Button == mbLeft) {
    state_ = down_ ? bsExclusiveEx : bsUpEx;
    if (groupIndex_ != 0 && alwaysDown_) state_ = bsDownEx;
    Invalidate();
  }
  // The click itself comes from the control layer after the release; the
  // flag holds until then (Click clears it).
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!*alive) return;
  UpdateDownButton(X, Y);
  StopRepeat();
}

void TEditButtonControlEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      mouseInControl_ = true;
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      mouseInControl_ = false;
      Invalidate();
      break;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      // A press ended from outside: nothing held, nothing repeating.
      dragging_ = false;
      if (!alwaysDown_ && state_ == bsDownEx) state_ = bsUpEx;
      StopRepeat();
      Invalidate();
      break;
    default:
      break;
  }
  TGraphicControl::Dispatch(Message);
}

void TEditButtonControlEx::Paint() {
  TCanvas* c = Canvas();
  const bool themed = ThemesEnabled();
  const bool hot = themed ? mouseInControl_ : active_;
  const TColor parentColor = Parent() ? Parent()->Color() : clBtnFace;
  const bool held = state_ == bsDownEx || state_ == bsExclusiveEx;
  if (style_ != ebsGlyphEx) {
    DrawEditButtonFace(c, Rect(0, 0, Width(), Height()), parentColor, EditButtonFaceStyle(style_), held ? buttonNum_ : 0,
                       flat_, hot, Enabled(), cbUnchecked);
    return;
  }
  int saved = 0;
  if (!themed && flat_) {
    saved = c->SaveDC();
    c->IntersectClipRect(Rect(1, 1, Width() - 1, Height() - 1));
  }
  if (themed && flat_ && !hot && Enabled() && !held && glyph_->Empty()) {
    if (!PaintParentBackground(this, c)) {
      c->Brush()->SetColor(parentColor);
      c->FillRect(Rect(0, 0, Width(), Height()));
    }
    DrawThemedGroupBox(c, Rect(0, 0, Width(), Height()), tsNormal);
    DrawCaption();
  } else {
    const bool forcedHot = themed && flat_ && glyph_->Empty();
    const bool saveMouse = mouseInControl_;
    if (forcedHot) mouseInControl_ = true;
    PaintGlyphButton();
    mouseInControl_ = saveMouse;
  }
  if (!themed && flat_) {
    c->RestoreDC(saved);
    TRect r = Rect(0, 0, Width(), Height());
    if (active_) {
      c->DrawEdge(r, held ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
      c->Brush()->SetColor(parentColor);
      c->FrameRect(r);
    }
  }
}

// What the speed button paints itself: its face, the glyph and the caption.
void TEditButtonControlEx::PaintGlyphButton() {
  TCanvas* c = Canvas();
  const bool held = state_ == bsDownEx || state_ == bsExclusiveEx;
  TRect r = Rect(0, 0, Width(), Height());
  if (ThemesEnabled()) {
    TThemedState s = !Enabled() ? tsDisabled : held ? tsPressed : mouseInControl_ ? tsHot : tsNormal;
    if (flat_)
      DrawThemedToolButton(c, r, s);
    else
      DrawThemedPushButton(c, r, s);
  } else {
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    if (!flat_ || mouseInControl_ || held) c->DrawEdge(r, held ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
  if (!glyph_->Empty()) {
    const int w = glyph_->Width() / numGlyphs_, h = glyph_->Height();
    const int index = (!Enabled() && numGlyphs_ > 1) ? 1 : (held && numGlyphs_ > 2) ? 2 : 0;
    int x = (Width() - w) / 2 + (held ? 1 : 0), y = (Height() - h) / 2 + (held ? 1 : 0);
    TBitmap part(w, h);
    part.Canvas()->CopyRect(Rect(0, 0, w, h), glyph_->Canvas(), Rect(index * w, 0, index * w + w, h));
    part.SetTransparentColor(glyph_->TransparentColor());
    part.SetTransparent(glyph_->Transparent());
    c->Draw(x, y, &part);
  } else {
    DrawCaption();
  }
}

void TEditButtonControlEx::DrawCaption() {
  TCanvas* c = Canvas();
  const String text = Caption();
  if (text.empty()) return;
  c->SetFont(Font());
  c->Brush()->SetStyle(bsClear);
  unsigned flags = DT_CENTER | DT_SINGLELINE | DT_NOPREFIX;
  if (UseRightToLeftReading()) flags |= DT_RTLREADING;
  TRect measure = Rect(0, 0, Width(), Height());
  const int th = c->DrawText(text, measure, flags | DT_CALCRECT);
  TRect r = Rect(0, (Height() - th + 1) / 2, Width(), Height());
  if (!Enabled()) {
    TRect lit = r;
    lit.Offset(1, 1);
    c->Font()->SetColor(clBtnHighlight);
    c->DrawText(text, lit, flags);
    c->Font()->SetColor(clBtnShadow);
  }
  c->DrawText(text, r, flags);
  c->Brush()->SetStyle(bsSolid);
}

TEditButtonControlEx* NewEditorButtonControl(TWinControl* Editor) {
  auto* c = new TEditButtonControlEx(Editor);
  c->SetControlStyle(c->ControlStyle() + csReplicatable);
  c->SetParent(Editor);
  c->SetBounds(0, 0, 10, 17);
  c->SetVisible(true);
  return c;
}

}  // namespace grid
