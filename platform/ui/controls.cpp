#include "platform/ui/controls.h"

#include "platform/ui/drag_drop.h"

#include <QApplication>
#include <QCursor>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "platform/ui/actions.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"
#include "platform/ui/guard.h"
#include "platform/ui/host.h"
#include "platform/ui/keys.h"
#include "platform/ui/popup_window.h"
#include "platform/ui/qt_bridge.h"
#include "platform/ui/timers.h"
#include "platform/classes/scoped_change.h"

namespace ui {
namespace detail {
void ForgetPostedMessages(const TWinControl* Control);
}
namespace {

using qt::Q;

// The message being handled for a Qt event, so DefaultHandler can run Qt's
// own handling of that event.
struct EventContext {
  TMessage* msg;
  const std::function<bool(QEvent*)>* base;
  QEvent* event;
  bool called = false;
  bool result = false;
};
std::vector<EventContext*> g_contexts;

struct ContextScope {
  explicit ContextScope(EventContext* c) { g_contexts.push_back(c); }
  ~ContextScope() { g_contexts.pop_back(); }
};

TControl* g_capture = nullptr;

WPARAM MouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  WPARAM k = 0;
  if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
  if (buttons & Qt::RightButton) k |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
  if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
  if (mods & Qt::ControlModifier) k |= MK_CONTROL;
  return k;
}

TShiftState ShiftFromKeys(WPARAM k) {
  TShiftState s;
  if (k & MK_SHIFT) s.Include(ssShift);
  if (k & MK_CONTROL) s.Include(ssCtrl);
  if (k & MK_LBUTTON) s.Include(ssLeft);
  if (k & MK_RBUTTON) s.Include(ssRight);
  if (k & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

bool IsButtonDown(std::uint32_t m) {
  return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_LBUTTONDBLCLK ||
         m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK;
}
bool IsButtonUp(std::uint32_t m) { return m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP; }
bool IsMouseMessage(std::uint32_t m) { return m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK; }

TMouseButton ButtonOf(std::uint32_t m) {
  switch (m) {
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return mbRight;
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: return mbMiddle;
    default: return mbLeft;
  }
}

Qt::CursorShape CursorShape(TCursor c) {
  if (Screen) c = Screen->Cursors(c);
  switch (c) {
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

String HintShortPart(const String& hint) {
  std::size_t bar = hint.find(u'|');
  return bar == String::npos ? hint : hint.substr(0, bar);
}

// Routes key, focus and mouse events of a Qt control's inner widget (the
// edit part of a combo box) through the owning control.
class InnerFilter : public QObject {
 public:
  explicit InnerFilter(TWinControl* owner) : owner_(owner) {}
  bool eventFilter(QObject* obj, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::FocusIn:
      case QEvent::FocusOut: {
        auto* w = static_cast<QWidget*>(obj);
        if (inside_) return false;
        auto* host = dynamic_cast<qt::HostIface*>(owner_->Widget());
        if (!host) return false;
        qt::DepthScope depth(host);
        inside_ = true;
        bool r = owner_->HostEvent(w, e, true, [obj](QEvent* ev) { return static_cast<QObject*>(obj)->event(ev); });
        inside_ = false;
        (void)r;
        return true;
      }
      default: return false;
    }
  }

 private:
  TWinControl* owner_;
  bool inside_ = false;
};

}  // namespace

// --- free functions ----------------------------------------------------------

TCustomForm* GetParentForm(const TControl* Control) {
  const TControl* c = Control;
  while (c && c->Parent()) c = c->Parent();
  return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

TControl* GetCaptureControl() { return g_capture; }
void SetCaptureControl(TControl* Control) { g_capture = Control; }

void CancelMouseCapture() {
  if (TControl* c = g_capture) {
    g_capture = nullptr;
    Guarded([c] { c->Perform(WM_CANCELMODE); });
  }
}

void SendCommandToParent(TWinControl* Control, std::uint16_t Code) {
  if (!Control || !Control->Parent()) return;
  Control->Parent()->Perform(WM_COMMAND, static_cast<WPARAM>(Code) << 16, reinterpret_cast<LPARAM>(Control));
}

TWinControl* FindControl(const QWidget* Widget) {
  for (const QWidget* w = Widget; w; w = w->parentWidget()) {
    if (auto* h = dynamic_cast<const qt::HostIface*>(w)) return h->Control();
  }
  return nullptr;
}

// --- TControl -------------------------------------------------------------------

const TClassInfo& TControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TControl>("TControl", &TComponent::StaticClassInfo())
          .Integer("Left", &TControl::Left, &TControl::SetLeft)
          .Integer("Top", &TControl::Top, &TControl::SetTop)
          .Integer("Width", &TControl::Width, &TControl::SetWidth)
          .Integer("Height", &TControl::Height, &TControl::SetHeight)
          .Enum("Align", "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"},
                &TControl::Align, &TControl::SetAlign, alNone)
          .Boolean("Visible", &TControl::Visible, &TControl::SetVisible, 1)
          .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled, 1)
          .Integer("Color", &TControl::Color, &TControl::SetColor)
          .Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
          .Object("Font", "TFont", &TControl::Font, &TControl::SetFont)
          .Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
          .Str("Hint", &TControl::Hint, &TControl::SetHint)
          .Boolean("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
          .Integer("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault)
          .Enum("BiDiMode", "TBiDiMode",
                {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"},
                &TControl::BiDiMode, &TControl::SetBiDiMode, bdLeftToRight)
          .Boolean("ParentBiDiMode", &TControl::ParentBiDiMode, &TControl::SetParentBiDiMode, 1)
          .Build();
  return info;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), font_(std::make_unique<TFont>()) {
  font_->OnChange = [this](TObject*) {
    if (!adoptingFont_) parentFont_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  *alive_ = false;
  BeginDestroy();
  if (Application) Application->ControlDestroyed(this);
  if (g_capture == this) g_capture = nullptr;
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* parent = dynamic_cast<TWinControl*>(Value)) SetParent(parent);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  if (AParent == this) throw rtl::EInvalidOperation(u"A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  TRect old = BoundsRect();
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  BoundsChanged(old);
  if (old.Width() != width_ || old.Height() != height_) SizeChanged(old.Width(), old.Height());
  RequestAlign();
  if (parent_) parent_->ChildBoundsChanged(this);
}

TRect TControl::ClientRect() const { return Rect(0, 0, width_, height_); }

void TControl::SetClientWidth(int Value) { SetWidth(width_ - ClientWidth() + Value); }
void TControl::SetClientHeight(int Value) { SetHeight(height_ - ClientHeight() + Value); }

TPoint TControl::ClientOrigin() const {
  const auto* self = dynamic_cast<const TWinControl*>(this);
  const TPoint inset = self ? self->ClientToWidget({0, 0}) : TPoint{0, 0};
  if (!parent_) {
    // A window's bounds include its frame; its client area starts inside it.
    if (self && self->widget_ && self->widget_->isWindow())
      return qt::S(const_cast<TWinControl*>(self)->ClientWidget()->mapToGlobal(QPoint(inset.X, inset.Y)));
    return {left_ + inset.X, top_ + inset.Y};
  }
  TPoint o = parent_->ClientOrigin();
  return {o.X + left_ + inset.X, o.Y + top_ + inset.Y};
}

TPoint TControl::ClientToScreen(TPoint P) const {
  TPoint o = ClientOrigin();
  return {P.X + o.X, P.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint P) const {
  TPoint o = ClientOrigin();
  return {P.X - o.X, P.Y - o.Y};
}

void TControl::SetAlign(TAlign Value) {
  if (Value == align_) return;
  TAlign old = align_;
  align_ = Value;
  if (parent_ && (old != alNone || Value != alNone)) parent_->Realign();
}

void TControl::RequestAlign() {
  if (parent_ && align_ != alNone) parent_->Realign();
}

bool TControl::Showing() const { return visible_ && parent_ && parent_->Showing(); }

void TControl::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  VisibleChanged();
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
  if (parent_) {
    if (align_ != alNone) parent_->Realign();
    parent_->ChildBoundsChanged(this);
  }
}

void TControl::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  EnabledChanged();
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor Value) {
  if (Value == color_) {
    parentColor_ = false;
    return;
  }
  color_ = Value;
  parentColor_ = false;
  ColorChanged();
}

void TControl::SetParentColor(bool Value) {
  if (Value == parentColor_) return;
  parentColor_ = Value;
  if (Value) AdoptParentColor();
}

void TControl::AdoptParentColor() {
  if (!parentColor_ || !parent_) return;
  if (parent_->Color() == color_) return;
  color_ = parent_->Color();
  ColorChanged();
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  parentBiDiMode_ = false;
  if (Value == biDiMode_) return;
  biDiMode_ = Value;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool Value) {
  if (Value == parentBiDiMode_) return;
  parentBiDiMode_ = Value;
  if (Value) AdoptParentBiDiMode();
}

void TControl::AdoptParentBiDiMode() {
  if (!parentBiDiMode_ || !parent_ || parent_->BiDiMode() == biDiMode_) return;
  biDiMode_ = parent_->BiDiMode();
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentFont(bool Value) {
  if (Value == parentFont_) return;
  parentFont_ = Value;
  if (Value) AdoptParentFont();
}

void TControl::AdoptParentFont() {
  if (!parentFont_ || !parent_) return;
  adoptingFont_ = true;
  font_->Assign(parent_->Font());
  adoptingFont_ = false;
}

void TControl::SetText(const String& Value) {
  if (GetText() == Value) return;
  SetTextInternal(Value);
  TextChanged();
}

void TControl::SetTextInternal(const String& Value) { text_ = Value; }

void TControl::SetHint(const String& Value) {
  hint_ = Value;
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
    w->widget_->setToolTip(showHint_ ? Q(HintShortPart(hint_)) : QString());
}

void TControl::SetShowHint(bool Value) {
  showHint_ = Value;
  SetHint(hint_);
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetCursor(TCursor Value) {
  if (Value == cursor_) return;
  cursor_ = Value;
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
    if (Value == crDefault)
      w->widget_->unsetCursor();
    else
      w->widget_->setCursor(CursorShape(Value));
  }
  Perform(CM_CURSORCHANGED);
}

bool TControl::MouseCapture() const { return g_capture == this; }

void TControl::SetMouseCapture(bool Value) {
  if (Value)
    g_capture = this;
  else if (g_capture == this)
    g_capture = nullptr;
}

void TControl::Invalidate() {
  if (parent_ && visible_) parent_->InvalidateRect(BoundsRect());
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Update() {
  // Paints at once what is invalid, and only that: Qt's dirty areas of the
  // window. A repaint of the widget would paint all of it, on every flush a
  // control makes before it scrolls its pixels.
  if (TWinControl* t = PaintTarget(); t && t->HandleAllocated()) {
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(t->Widget()->window(), &request);
  }
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& v = parent_->controls_;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  v.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) w->widget_->raise();
  Invalidate();
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& v = parent_->controls_;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  v.insert(v.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) w->widget_->lower();
  Invalidate();
}

LRESULT TControl::Perform(std::uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  CallWindowProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  // An automatic drag takes the press; the control never sees it.
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) && dragMode_ == dmAutomatic) {
    BeginDrag(Mouse.DragImmediate, Mouse.DragThreshold);
    return;
  }
  Dispatch(Message);
}

namespace {
// The control's own procedure as a WindowProc value, recognised when it is
// set back.
struct OwnWindowProc {
  TControl* control;
  void operator()(TMessage& Message) const { control->WndProc(Message); }
};
}  // namespace

TWndMethod TControl::WindowProc() const {
  if (windowProc_) return windowProc_;
  return OwnWindowProc{const_cast<TControl*>(this)};
}

void TControl::SetWindowProc(TWndMethod Value) {
  const auto* own = Value.target<OwnWindowProc>();
  if (own && own->control == this)
    windowProc_ = nullptr;
  else
    windowProc_ = std::move(Value);
}

void TControl::CallWindowProc(TMessage& Message) {
  if (!windowProc_) {
    WndProc(Message);
    return;
  }
  // The hook may unhook itself while it runs.
  TWndMethod proc = windowProc_;
  proc(Message);
}

void TControl::HandleMouseMessage(TMessage& m) {
  TShiftState shift = ShiftFromKeys(m.WParam);
  int x = XPos(m.LParam), y = YPos(m.LParam);
  auto alive = alive_;
  if (m.Msg == WM_MOUSEMOVE) {
    DefaultHandler(m);
    if (*alive) MouseMove(shift, x, y);
    return;
  }
  TMouseButton button = ButtonOf(m.Msg);
  if (IsButtonDown(m.Msg)) {
    bool dbl = m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK;
    DefaultHandler(m);
    if (!*alive) return;
    pressCancelled_ = false;
    ++buttonsDown_;
    lastButton_ = button;
    if (controlStyle_.Contains(csCaptureMouse)) g_capture = this;
    if (button == mbLeft) controlState_.Include(csLButtonDown);
    if (dbl) {
      if (button == mbLeft && controlStyle_.Contains(csClickEvents)) DblClick();
      if (!*alive) return;
      shift.Include(ssDouble);
    } else if (button == mbLeft && controlStyle_.Contains(csClickEvents)) {
      controlState_.Include(csClicked);
    }
    MouseDown(button, shift, x, y);
    return;
  }
  // Button up.
  DefaultHandler(m);
  if (!*alive) return;
  if (pressCancelled_) {
    if ((m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) pressCancelled_ = false;
    return;
  }
  if (buttonsDown_ > 0) --buttonsDown_;
  if ((m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) {
    buttonsDown_ = 0;
    if (g_capture == this) g_capture = nullptr;
  }
  if (button == mbLeft) {
    controlState_.Exclude(csLButtonDown);
    if (controlState_.Contains(csClicked)) {
      controlState_.Exclude(csClicked);
      if (ClientRect().Contains({x, y})) Click();
      if (!*alive) return;
    }
  }
  MouseUp(button, shift, x, y);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
      HandleMouseMessage(Message);
      return;
    case CM_DRAG:
      DragMessage(Message);
      return;
    case WM_CANCELMODE:
      DefaultHandler(Message);
      if (g_capture == this) g_capture = nullptr;
      controlState_.Exclude(csClicked);
      controlState_.Exclude(csLButtonDown);
      // A press that loses the mouse ends as if released, so holds (jogging) stop.
      if (buttonsDown_ > 0) {
        buttonsDown_ = 0;
        pressCancelled_ = true;
        MouseUp(lastButton_, {}, 0, 0);
      }
      return;
    case CM_MOUSEENTER: {
      DefaultHandler(Message);
      auto alive = alive_;
      // The control under the mouse decides the application's hint.
      if (Application) Application->SetHint(GetLongHint(GetControlHint(this)));
      if (*alive && OnMouseEnter) OnMouseEnter(this);
      return;
    }
    case CM_MOUSELEAVE:
      DefaultHandler(Message);
      if (OnMouseLeave) OnMouseLeave(this);
      return;
    case CM_PARENTFONTCHANGED:
      AdoptParentFont();
      return;
    case CM_PARENTCOLORCHANGED:
      AdoptParentColor();
      return;
    case CM_PARENTBIDIMODECHANGED:
      AdoptParentBiDiMode();
      return;
    case CM_BIDIMODECHANGED:
      Invalidate();
      return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_TEXTCHANGED:
    case CM_ENABLEDCHANGED:
      Invalidate();
      return;
    case CM_HITTEST:
      Message.Result = HTCLIENT;
      return;
    case CM_DESIGNHITTEST:
      Message.Result = 0;
      return;
    default:
      DefaultHandler(Message);
  }
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent_) {
    AdoptParentFont();
    AdoptParentColor();
    if (align_ != alNone) parent_->Realign();
  }
}

void TControl::BoundsChanged(const TRect& OldBounds) {
  if (parent_ && (visible_ || OldBounds.IsEmpty())) parent_->InvalidateRect(UnionRect(OldBounds, BoundsRect()));
}

void TControl::SizeChanged(int, int) {
  if (!IsLoading()) Resize();
}

void TControl::FontChanged() { Perform(CM_FONTCHANGED); }
void TControl::ColorChanged() { Perform(CM_COLORCHANGED); }
void TControl::EnabledChanged() { Invalidate(); }
void TControl::VisibleChanged() {
  if (parent_) parent_->InvalidateRect(BoundsRect());
}
void TControl::TextChanged() { Perform(CM_TEXTCHANGED); }

TWinControl* TControl::PaintTarget() { return parent_; }

// --- TGraphicControl ---------------------------------------------------------------

const TClassInfo& TGraphicControl::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClassInfo()).Build();
  return info;
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() { BeginDestroy(); }

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    if (canvas_->AttachedPainter()) Paint();
    return;
  }
  TControl::Dispatch(Message);
}

bool TControlCanvas::ToggleOverlay(const TOverlayItem& Item) {
  TWinControl* target = control_ ? control_->PaintTarget() : nullptr;
  if (!target) return false;
  TOverlayItem moved = Item;
  if (target != control_) {
    moved.a.X += control_->Left();
    moved.a.Y += control_->Top();
    moved.b.X += control_->Left();
    moved.b.Y += control_->Top();
  }
  target->ToggleOverlay(moved);
  return true;
}

// --- TWinControl -----------------------------------------------------------------

const TClassInfo& TWinControl::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClassInfo())
                                     .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                     .Enum("ImeMode", "TImeMode",
                                           {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha",
                                            "imAlpha", "imHira", "imSKata", "imKata", "imChinese",
                                            "imSHanguel", "imHanguel"},
                                           &TWinControl::ImeMode, &TWinControl::SetImeMode, imDontCare)
                                     .Str("ImeName", &TWinControl::ImeName, &TWinControl::SetImeName)
                                     .Build();
  return info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  BeginDestroy();
  *alive_ = false;
  timers::KillAll(this);
  detail::ForgetPostedMessages(this);
  // Owned components first, newest first; then children owned elsewhere;
  // each frees its own widget before this one goes.
  DestroyComponents();
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    delete c;
  }
  DestroyHandle();
}

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {Index}));
  return controls_[Index];
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->parent_ == this) return;
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->ContainsControl(this))
    throw rtl::EInvalidOperation(u"A control cannot be a parent of one of its own parents");
  controls_.push_back(AControl);
  AControl->parent_ = this;
  AControl->AdoptParentFont();
  AControl->AdoptParentColor();
  AControl->AdoptParentBiDiMode();
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (w->HandleAllocated()) {
      w->widget_->setParent(ClientWidget());
      const TPoint at = ClientToWidget({w->Left(), w->Top()});
      w->widget_->setGeometry(at.X, at.Y, w->Width(), w->Height());
      w->widget_->setVisible(w->WidgetShouldBeVisible());
    } else if (HandleAllocated()) {
      w->CreateHandle();
    }
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  if (AControl->Align() != alNone) Realign();
  ChildBoundsChanged(AControl);
  if (AControl->Visible()) InvalidateRect(AControl->BoundsRect());
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(controls_.begin(), controls_.end(), AControl);
  if (it == controls_.end()) return;
  if (TCustomForm* form = GetParentForm(this)) form->ForgetControl(AControl);
  if (g_capture && (g_capture == AControl || ContainsControl(g_capture))) {
    if (auto* w = dynamic_cast<TWinControl*>(AControl); g_capture == AControl || (w && w->ContainsControl(g_capture)))
      g_capture = nullptr;
  }
  if (mouseChild_ == AControl) mouseChild_ = nullptr;
  if (hoverChild_ == AControl) hoverChild_ = nullptr;
  controls_.erase(it);
  AControl->parent_ = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->HandleAllocated()) {
    w->widget_->hide();
    w->widget_->setParent(nullptr);
  }
  if (IsDestroying()) return;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  if (AControl->Align() != alNone) Realign();
  ChildBoundsChanged(AControl);
  InvalidateRect(AControl->BoundsRect());
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(c)) continue;
    if (!c->Visible() || (!AllowDisabled && !c->Enabled())) continue;
    if (c->BoundsRect().Contains(Pos)) {
      TMessage hit{CM_HITTEST, 0, MakeLParam(Pos.X - c->Left(), Pos.Y - c->Top()), 0};
      c->CallWindowProc(hit);
      if (hit.Result != 0) return c;
    }
  }
  return nullptr;
}

TControl* TWinControl::FindChildControl(const String& ControlName) const {
  for (TControl* c : controls_)
    if (rtl::SameText(c->Name(), ControlName)) return c;
  return nullptr;
}

void TWinControl::HandleNeeded() {
  if (widget_) return;
  if (parent_) parent_->HandleNeeded();
  if (!widget_) CreateHandle();
}

QWidget* TWinControl::Widget() {
  HandleNeeded();
  return widget_;
}

void TWinControl::CreateHandle() {
  if (widget_) return;
  QWidget* parentWidget = parent_ && parent_->HandleAllocated() ? parent_->ClientWidget() : nullptr;
  widget_ = CreateWidget(parentWidget);
  // Windows reports every move over a window, pressed or not.
  widget_->setMouseTracking(true);
  if (QWidget* client = ClientWidget(); client && client != widget_) client->setMouseTracking(true);
  BoundsChanged(BoundsRect());
  widget_->setEnabled(Enabled());
  ApplyFontToWidget();
  ApplyColorToWidget();
  if (Cursor() != crDefault) widget_->setCursor(CursorShape(Cursor()));
  if (UseRightToLeftAlignment()) widget_->setLayoutDirection(Qt::RightToLeft);
  if (ShowHint() && !Hint().empty()) widget_->setToolTip(Q(HintShortPart(Hint())));
  if (!tabStop_ && widget_->focusPolicy() != Qt::NoFocus && !widget_->focusProxy())
    widget_->setFocusPolicy(Qt::ClickFocus);
  InitWidget();
  ApplyImeToWidget();
  // The children are made inside the frame the new window has.
  if (AskNonClient()) {
    Realign();
    if (!IsLoading()) Resize();
  }
  SyncScrollBars();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateHandle();
  // A hidden child is hidden explicitly: Qt shows the children of a widget
  // that is shown unless they were hidden themselves.
  if (WidgetShouldBeVisible())
    widget_->setVisible(true);
  else if (Parent())
    widget_->setVisible(false);
}

QWidget* TWinControl::CreateWidget(QWidget* Parent) {
  auto* w = new qt::Host<QWidget>(this, false, Parent);
  return w;
}

void TWinControl::InitWidget() {}

void TWinControl::DestroyHandle() {
  if (!widget_) return;
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  QWidget* w = widget_;
  widget_ = nullptr;
  // The frame goes with the window; a new window asks for it again.
  nonClient_ = {};
  bool busy = false;
  auto detach = [&busy](QWidget* x) {
    if (auto* h = dynamic_cast<qt::HostIface*>(x)) {
      h->Detach();
      busy = busy || h->depth > 0;
    }
  };
  detach(w);
  for (QWidget* child : w->findChildren<QWidget*>()) detach(child);
  if (innerFilter_) {
    if (busy)
      innerFilter_.release()->deleteLater();
    else
      innerFilter_.reset();
  }
  w->blockSignals(true);
  w->hide();
  w->setParent(nullptr);
  // A widget whose event is being handled (a button freeing its own frame)
  // is freed once that event is over.
  if (busy)
    w->deleteLater();
  else
    delete w;
}

void TWinControl::RecreateWnd() {
  if (!widget_) return;
  DestroyHandle();
  HandleNeeded();
}

void TWinControl::Realign() {
  if (alignDisabled_ > 0 || aligning_ || IsLoading() || IsDestroying()) return;
  TScopedValue aligning(aligning_, true);
  TRect r = ClientRect();
  AdjustClientRect(r);
  r.Left += padding_.Left;
  r.Top += padding_.Top;
  r.Right -= padding_.Right;
  r.Bottom -= padding_.Bottom;
  AlignControls(nullptr, r);
}

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0 && --alignDisabled_ == 0) Realign();
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::SetPadding(const TPadding& Value) {
  if (Value == padding_) return;
  padding_ = Value;
  Realign();
  Invalidate();
}

void TWinControl::AlignControls(TControl*, TRect& R) {
  static constexpr TAlign kOrder[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : kOrder) {
    for (TControl* c : controls_) {
      if (c->Align() != a || !c->Visible()) continue;
      int w = c->Width(), h = c->Height();
      switch (a) {
        case alTop:
          c->SetBounds(R.Left, R.Top, R.Width(), h);
          R.Top += c->Height();
          break;
        case alBottom:
          c->SetBounds(R.Left, R.Bottom - h, R.Width(), h);
          R.Bottom -= c->Height();
          break;
        case alLeft:
          c->SetBounds(R.Left, R.Top, w, R.Height());
          R.Left += c->Width();
          break;
        case alRight:
          c->SetBounds(R.Right - w, R.Top, w, R.Height());
          R.Right -= c->Width();
          break;
        case alClient:
          c->SetBounds(R.Left, R.Top, R.Width(), R.Height());
          break;
        default: break;
      }
    }
  }
}

void TWinControl::ApplyAnchors(int OldWidth, int OldHeight) {
  int dw = Width() - OldWidth, dh = Height() - OldHeight;
  if ((dw == 0 && dh == 0) || IsLoading()) return;
  for (TControl* c : controls_) {
    if (c->Align() != alNone) continue;
    TAnchors a = c->Anchors();
    int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
    if (a.Contains(akRight)) {
      if (a.Contains(akLeft))
        w += dw;
      else
        l += dw;
    }
    if (a.Contains(akBottom)) {
      if (a.Contains(akTop))
        h += dh;
      else
        t += dh;
    }
    c->SetBounds(l, t, w, h);
  }
}

void TWinControl::SetTabStop(bool Value) {
  tabStop_ = Value;
  if (widget_ && !widget_->focusProxy()) widget_->setFocusPolicy(Value ? Qt::StrongFocus : Qt::ClickFocus);
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  int n = 0;
  for (TControl* c : Parent()->controls_) {
    if (c == this) return n;
    if (dynamic_cast<TWinControl*>(c)) ++n;
  }
  return -1;
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return GetParentForm(this) != nullptr;
}

bool TWinControl::Focused() const {
  if (!widget_) return false;
  QWidget* f = QApplication::focusWidget();
  return f && (f == widget_ || f == widget_->focusProxy() || FindControl(f) == this);
}

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this); form && form != this && form->ActiveControl() != this) {
    // The form focuses its new active control itself; a second attempt here
    // would make a control that refuses to be left report its refusal twice.
    form->SetActiveControl(this);
    if (widget_ && form->Showing() && CanFocus()) return;
  }
  HandleNeeded();
  widget_->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Showing() const { return widget_ && widget_->isVisible(); }

// A parentless control's widget is a window of its own and stays hidden,
// unless it was made a drop-down: that one is meant to stand alone.
bool TWinControl::WidgetShouldBeVisible() const {
  return Visible() && (Parent() != nullptr || IsPopupWidget(widget_));
}

void TWinControl::SetVisible(bool Value) { TControl::SetVisible(Value); }

void TWinControl::VisibleChanged() {
  if (widget_) widget_->setVisible(WidgetShouldBeVisible());
}

void TWinControl::Invalidate() {
  if (widget_) {
    widget_->update();
    if (ClientWidget() != widget_) ClientWidget()->update();
  }
}

void TWinControl::InvalidateRect(const TRect& R) {
  if (!widget_) return;
  const TPoint at = ClientToWidget({R.Left, R.Top});
  ClientWidget()->update(QRect(at.X, at.Y, R.Width(), R.Height()));
}

void TWinControl::BoundsChanged(const TRect& OldBounds) {
  if (widget_ && !syncingFromWidget_) {
    syncingFromWidget_ = true;
    if (widget_->isWindow()) {
      // A window's Left and Top are its frame's; its size is the client's.
      widget_->move(Left(), Top());
      widget_->resize(Width(), Height());
    } else {
      const TPoint at = parent_ ? parent_->ClientToWidget({Left(), Top()}) : TPoint{Left(), Top()};
      widget_->setGeometry(at.X, at.Y, Width(), Height());
    }
    syncingFromWidget_ = false;
  }
  (void)OldBounds;
}

void TWinControl::SizeChanged(int OldWidth, int OldHeight) {
  if (widget_) AskNonClient();
  SyncScrollBars();
  ApplyAnchors(OldWidth, OldHeight);
  Realign();
  TControl::SizeChanged(OldWidth, OldHeight);
}

void TWinControl::ChildBoundsChanged(TControl*) {}

int TWinControl::ColorRole() const { return QPalette::Window; }

void TWinControl::ApplyFontToWidget() {
  if (!widget_) return;
  widget_->setFont(qt::ToQFont(*Font()));
  QPalette pal = widget_->palette();
  // The font colour is for a live control; a disabled one shows its text in
  // the system's grey, as the platform's own controls do.
  const QColor fc = qt::ToQColor(Font()->Color());
  const QColor grey = qt::ToQColor(clGrayText);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    pal.setColor(QPalette::Active, role, fc);
    pal.setColor(QPalette::Inactive, role, fc);
    pal.setColor(QPalette::Disabled, role, grey);
  }
  widget_->setPalette(pal);
}

void TWinControl::ApplyColorToWidget() {
  if (!widget_) return;
  QPalette pal = widget_->palette();
  pal.setColor(static_cast<QPalette::ColorRole>(ColorRole()), qt::ToQColor(Color()));
  widget_->setPalette(pal);
}

void TWinControl::FontChanged() {
  ApplyFontToWidget();
  for (TControl* c : controls_) c->Perform(CM_PARENTFONTCHANGED);
  TControl::FontChanged();
}

void TWinControl::ColorChanged() {
  ApplyColorToWidget();
  for (TControl* c : controls_) c->Perform(CM_PARENTCOLORCHANGED);
  TControl::ColorChanged();
}

void TWinControl::EnabledChanged() {
  if (widget_) widget_->setEnabled(Enabled());
}

void TWinControl::TextChanged() { TControl::TextChanged(); }

void TWinControl::RouteInnerWidget(QWidget* Inner) {
  if (!Inner) return;
  if (!innerFilter_) innerFilter_ = std::make_unique<InnerFilter>(this);
  Inner->installEventFilter(innerFilter_.get());
}

TPoint TWinControl::WidgetToClient(QWidget*, TPoint P, bool) { return P; }

bool TWinControl::WantsKey(std::uint16_t Key, TShiftState) {
  LRESULT code = Perform(WM_GETDLGCODE, Key);
  if (code & DLGC_WANTALLKEYS) return true;
  // A control may claim one special key for itself (a grid wants Enter while editing).
  if (Perform(CM_WANTSPECIALKEY, Key) != 0) return true;
  switch (Key) {
    case VK_TAB: return code & DLGC_WANTTAB;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: return code & DLGC_WANTARROWS;
    default: return false;
  }
}

void TWinControl::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) form->DoKeyDown(Key, Shift);
  if (Key != 0 && OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::DoKeyUp(std::uint16_t& Key, TShiftState Shift) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) form->DoKeyUp(Key, Shift);
  if (Key != 0 && OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::DoKeyPress(char16_t& Key) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview()) form->DoKeyPress(Key);
  if (Key != 0 && OnKeyPress) OnKeyPress(this, Key);
}

bool TWinControl::TellFormOfFocus(TCustomForm* Form) { return Form->SetFocusedControl(this); }

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::WndProc(TMessage& Message) {
  if (IsMouseMessage(Message.Msg) && RouteMouseToChild(Message)) return;
  TControl::WndProc(Message);
}

bool TWinControl::RouteMouseToChild(TMessage& m) {
  TPoint p{XPos(m.LParam), YPos(m.LParam)};
  TControl* target = mouseChild_ ? mouseChild_ : ControlAtPos(p);
  if (m.Msg == WM_MOUSEMOVE && target != hoverChild_) {
    TControl* old = hoverChild_;
    hoverChild_ = target;
    if (old) old->Perform(CM_MOUSELEAVE);
    if (target)
      target->Perform(CM_MOUSEENTER);
    else if (Application)
      Application->SetHint(GetLongHint(GetControlHint(this)));  // back over this control itself
  }
  if (!target) return false;
  if (IsButtonDown(m.Msg)) mouseChild_ = target;
  TMessage cm = m;
  cm.LParam = MakeLParam(p.X - target->Left(), p.Y - target->Top());
  auto alive = alive_;
  target->CallWindowProc(cm);
  if (!*alive) return true;
  m.Result = cm.Result;
  if (IsButtonUp(m.Msg) && (m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) mouseChild_ = nullptr;
  return true;
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
      // A scroll bar child's notice is reflected back to the bar, through
      // its window procedure (where a hook may listen).
      if (Message.LParam != 0) {
        for (TControl* c : controls_)
          if (reinterpret_cast<LPARAM>(c) == Message.LParam) {
            Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
            return;
          }
      }
      TControl::Dispatch(Message);
      return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto key = static_cast<std::uint16_t>(Message.WParam);
      TShiftState shift = ShiftStateFromQt(QApplication::keyboardModifiers(), 0);
      auto alive = alive_;
      // The control's containers see the key first and may take it.
      if (!ComponentState().Contains(csDesigning) &&
          Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) {
        Message.Result = 1;
        return;
      }
      if (!*alive) {
        Message.Result = 1;
        return;
      }
      DoKeyDown(key, shift);
      Message.WParam = key;
      if (!*alive) {
        Message.Result = 1;
        return;
      }
      if (key == 0) {
        Message.Result = 1;
        return;
      }
      // Keys the control does not take (Enter, Esc, Tab...) go to the form's buttons first.
      if ((key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB || key == VK_CANCEL) && !WantsKey(key, shift)) {
        if (TCustomForm* form = GetParentForm(this)) {
          if (form->Perform(CM_DIALOGKEY, key, 0) != 0) {
            Message.Result = 1;
            return;
          }
        }
      }
      DefaultHandler(Message);
      return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      auto key = static_cast<std::uint16_t>(Message.WParam);
      auto alive = alive_;
      DoKeyUp(key, ShiftStateFromQt(QApplication::keyboardModifiers(), 0));
      Message.WParam = key;
      if (key == 0 || !*alive) return;
      DefaultHandler(Message);
      return;
    }
    case WM_CHAR:
    case WM_SYSCHAR: {
      auto ch = static_cast<char16_t>(Message.WParam);
      auto alive = alive_;
      DoKeyPress(ch);
      Message.WParam = ch;
      if (ch == 0 || !*alive) return;
      DefaultHandler(Message);
      return;
    }
    case WM_SETFOCUS: {
      auto alive = alive_;
      DefaultHandler(Message);
      if (!*alive) return;
      if (TCustomForm* form = GetParentForm(this); form && form != this && !TellFormOfFocus(form)) return;
      DoEnter();
      return;
    }
    case WM_KILLFOCUS: {
      auto alive = alive_;
      DefaultHandler(Message);
      if (*alive) DoExit();
      return;
    }
    case WM_SIZE: {
      DefaultHandler(Message);
      int w = LoWord(static_cast<std::uintptr_t>(Message.LParam));
      int h = HiWord(static_cast<std::uintptr_t>(Message.LParam));
      if (w != Width() || h != Height()) {
        syncingFromWidget_ = true;
        int ow = Width(), oh = Height();
        TControl::SetBounds(Left(), Top(), w, h);
        syncingFromWidget_ = false;
        (void)ow;
        (void)oh;
      }
      return;
    }
    case WM_MOVE: {
      DefaultHandler(Message);
      if (widget_ && widget_->isWindow() && (widget_->x() != Left() || widget_->y() != Top())) {
        syncingFromWidget_ = true;
        TControl::SetBounds(widget_->x(), widget_->y(), Width(), Height());
        syncingFromWidget_ = false;
      }
      return;
    }
    case WM_GETDLGCODE:
      Message.Result = 0;
      return;
    case WM_MOUSEWHEEL:
      WheelMessage(Message, ShiftFromKeys(LoWord(Message.WParam)));
      return;
    case CM_BIDIMODECHANGED:
      if (widget_) widget_->setLayoutDirection(UseRightToLeftAlignment() ? Qt::RightToLeft : Qt::LeftToRight);
      for (TControl* c : std::vector<TControl*>(controls_)) c->Perform(CM_PARENTBIDIMODECHANGED);
      Invalidate();
      return;
    case CM_CHILDKEY:
      // Up the parent chain until a container takes the key (Result not 0).
      if (TWinControl* parent = Parent()) Message.Result = parent->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
      return;
    case CM_FOCUSCHANGED:
      // Broadcast down: every control may show where the focus is.
      for (TControl* c : std::vector<TControl*>(controls_)) c->Perform(CM_FOCUSCHANGED, Message.WParam, Message.LParam);
      return;
    case CM_THEMECHANGED:
    case CM_SYSCOLORCHANGE:
      // Windowed children hear of it from Qt themselves; graphic ones through their parent.
      for (TControl* c : std::vector<TControl*>(controls_))
        if (!dynamic_cast<TWinControl*>(c)) c->Perform(Message.Msg, Message.WParam, Message.LParam);
      DefaultHandler(Message);
      return;
    default:
      TControl::Dispatch(Message);
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!g_contexts.empty()) {
    EventContext* c = g_contexts.back();
    if (c->msg == &Message) {
      if (!c->called) {
        c->called = true;
        c->result = (*c->base)(c->event);
      }
      return;
    }
  }
  // Sent or posted by code: no Qt event carries it, so the widget is told directly.
  NativeDefault(Message);
}

bool TWinControl::HostEvent(QWidget* Source, QEvent* e, bool IsClient, const std::function<bool(QEvent*)>& Base) {
  // A disabled window takes no mouse or keyboard input. Qt's own handling
  // ignores such an event (a mouse event then goes on to the parent); input
  // sent straight to the widget must not reach the control's handlers either.
  if (!Source->isEnabled()) {
    switch (e->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ContextMenu:
        return Base(e);
      default: break;
    }
  }
  TMessage m;
  bool accept = false;
  std::optional<TPoint> hintMove;
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(e);
      NoteKeyboardModifiers(me->modifiers());
      qt::NoteMousePos(qt::S(me->globalPosition().toPoint()));
      TPoint p = WidgetToClient(Source, qt::S(me->position().toPoint()), IsClient);
      if (Source == widget_ && nonClient_ != TPadding{}) {
        p = {p.X - nonClient_.Left, p.Y - nonClient_.Top};
        // The frame is no part of the client: a press or a hover there is
        // not the control's. A control holding the mouse hears of it
        // anywhere, and a release ends a press wherever it happens.
        const TRect client = Rect(0, 0, Width() - nonClient_.Left - nonClient_.Right,
                                  Height() - nonClient_.Top - nonClient_.Bottom);
        const TRect window =
            Rect(-nonClient_.Left, -nonClient_.Top, Width() - nonClient_.Left, Height() - nonClient_.Top);
        const bool press = e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick;
        const bool held =
            e->type() == QEvent::MouseButtonRelease || me->buttons() != Qt::NoButton || g_capture == this;
        if (!client.Contains(p) && window.Contains(p) && (press || !held)) {
          // Taken here, so Qt does not hand it on to the parent either.
          e->accept();
          return true;
        }
      }
      m.WParam = MouseKeys(me->buttons(), me->modifiers());
      m.LParam = MakeLParam(p.X, p.Y);
      Qt::MouseButton b = me->button();
      int base = b == Qt::RightButton ? 3 : b == Qt::MiddleButton ? 6 : 0;
      if (e->type() == QEvent::MouseMove) {
        m.Msg = WM_MOUSEMOVE;
        hintMove = p;
      } else if (e->type() == QEvent::MouseButtonPress) {
        m.Msg = WM_LBUTTONDOWN + base;
      } else if (e->type() == QEvent::MouseButtonRelease) {
        m.Msg = WM_LBUTTONUP + base;
      } else {
        // Without double-click support the second press is a plain press.
        m.Msg = (controlStyle_.Contains(csDoubleClicks) ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) + base;
      }
      if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
        lastPressPos_ = p;
        if (Application) Guarded([] { Application->CancelHint(); });
        // The pressed window and each window around it hear of the press
        // first (dock sites repaint their grabbers when a client is clicked).
        auto alive = alive_;
        const LPARAM activate = MakeLParam(HTCLIENT, static_cast<int>(m.Msg));
        std::vector<TWinControl*> chain;
        for (TWinControl* w = this; w; w = w->Parent()) chain.push_back(w);
        TWinControl* top = chain.back();
        for (TWinControl* w : chain) {
          Guarded([&] { w->Perform(WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top), activate); });
          if (!*alive) return true;
        }
      }
      accept = true;
      break;
    }
    case QEvent::ThemeChange:
    case QEvent::StyleChange:
    case QEvent::ApplicationPaletteChange: {
      // The platform's look changed: controls read their colours again.
      if (IsClient) return Base(e);
      bool r = Base(e);
      auto alive = alive_;
      if (e->type() == QEvent::ApplicationPaletteChange) Guarded([this] { Perform(CM_SYSCOLORCHANGE); });
      if (*alive) Guarded([this] { Perform(CM_THEMECHANGED); });
      return r;
    }
    case QEvent::InputMethod: {
      if (!takesComposition_) return Base(e);
      auto* ie = static_cast<QInputMethodEvent*>(e);
      auto alive = alive_;
      if (!composing_ && !ie->preeditString().isEmpty()) {
        composing_ = true;
        Guarded([this] { Perform(WM_IME_STARTCOMPOSITION); });
        if (!*alive) return true;
      }
      // The window may have opened an editor of its own for the text: the
      // composition goes on there.
      QWidget* focus = QApplication::focusWidget();
      if (focus && focus != Source && Source->isAncestorOf(focus)) {
        if (ie->preeditString().isEmpty()) composing_ = false;
        QApplication::sendEvent(focus, e);
        return true;
      }
      for (QChar ch : ie->commitString()) {
        Guarded([this, ch] { Perform(WM_CHAR, ch.unicode()); });
        if (!*alive) return true;
      }
      if (composing_ && ie->preeditString().isEmpty()) {
        composing_ = false;
        Guarded([this] { Perform(WM_IME_ENDCOMPOSITION); });
      }
      e->accept();
      return true;
    }
    case QEvent::Wheel: {
      auto* we = static_cast<QWheelEvent*>(e);
      NoteKeyboardModifiers(we->modifiers());
      int delta = we->angleDelta().y();
      m.Msg = WM_MOUSEWHEEL;
      m.WParam = (MouseKeys(we->buttons(), we->modifiers()) & 0xFFFF) |
                 (static_cast<WPARAM>(static_cast<std::uint16_t>(static_cast<std::int16_t>(delta))) << 16);
      QPoint g = we->globalPosition().toPoint();
      m.LParam = MakeLParam(g.x(), g.y());
      break;
    }
    case QEvent::KeyPress: {
      auto* ke = static_cast<QKeyEvent*>(e);
      NoteKeyEventModifiers(ke->key(), ke->modifiers(), true);
      if (Application) Guarded([] { Application->CancelHint(); });
      std::uint16_t vk = VirtualKeyFromQt(ke->key(), ke->modifiers() & Qt::KeypadModifier);
      bool alt = ke->modifiers() & Qt::AltModifier;
      QString text = ke->text();
      if (vk == VK_DELETE) text.clear();  // no character for Delete
      bool keyWanted = false, charWanted = false;
      std::uint16_t finalKey = vk;
      char16_t finalChar = text.isEmpty() ? 0 : text.at(0).unicode();
      auto alive = alive_;
      Guarded([&] {
        TMessage kd{alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk,
                    static_cast<LPARAM>(1 | (ke->isAutoRepeat() ? (1 << 30) : 0)), 0};
        std::function<bool(QEvent*)> markKey = [&](QEvent*) {
          keyWanted = true;
          return true;
        };
        EventContext ctx{&kd, &markKey, e};
        if (vk != 0) {
          ContextScope scope(&ctx);
          CallWindowProc(kd);
          finalKey = static_cast<std::uint16_t>(kd.WParam);
        } else {
          // Text without a key code of its own (input methods, other scripts).
          keyWanted = true;
        }
        if (!*alive || kd.Result != 0 || text.isEmpty()) return;
        TMessage ch{alt ? WM_SYSCHAR : WM_CHAR, static_cast<WPARAM>(text.at(0).unicode()), 1, 0};
        std::function<bool(QEvent*)> markChar = [&](QEvent*) {
          charWanted = true;
          return true;
        };
        EventContext cctx{&ch, &markChar, e};
        {
          ContextScope scope(&cctx);
          CallWindowProc(ch);
        }
        finalChar = static_cast<char16_t>(ch.WParam);
        // A character beyond the 16-bit range (or text of several) comes as
        // one WM_CHAR per UTF-16 unit; a native control that leaves the text
        // to its own handling still gets it whole below, once.
        for (qsizetype i = 1; *alive && i < text.size(); ++i) {
          TMessage more{ch.Msg, static_cast<WPARAM>(text.at(i).unicode()), 1, 0};
          EventContext mctx{&more, &markChar, e};
          ContextScope scope(&mctx);
          CallWindowProc(more);
        }
      });
      if (!*alive) return true;
      if (keyWanted && (text.isEmpty() || charWanted)) {
        Guarded([&] {
          bool changed = finalKey != vk || (!text.isEmpty() && finalChar != text.at(0).unicode());
          if (!changed) {
            Base(e);
            return;
          }
          int qk = finalKey == vk ? ke->key() : QtKeyFromVirtualKey(finalKey);
          QString t = text.isEmpty() ? QString() : QString(QChar(finalChar));
          QKeyEvent replaced(QEvent::KeyPress, qk, ke->modifiers(), t, ke->isAutoRepeat());
          Base(&replaced);
        });
      }
      e->accept();
      return true;
    }
    case QEvent::KeyRelease: {
      auto* ke = static_cast<QKeyEvent*>(e);
      NoteKeyEventModifiers(ke->key(), ke->modifiers(), false);
      bool alt = ke->modifiers() & Qt::AltModifier;
      m.Msg = alt ? WM_SYSKEYUP : WM_KEYUP;
      m.WParam = VirtualKeyFromQt(ke->key(), ke->modifiers() & Qt::KeypadModifier);
      m.LParam = static_cast<LPARAM>(1 | (3u << 30));
      accept = true;
      break;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
      auto* fe = static_cast<QFocusEvent*>(e);
      TCustomForm* form = GetParentForm(this);
      if (form == this) form = nullptr;
      if (fe->reason() == Qt::ActiveWindowFocusReason || fe->reason() == Qt::PopupFocusReason) {
        // Window activation moves no focus between controls. But Qt hands
        // the first focus of a newly shown window, and a focus set while the
        // window was inactive, over as activation: that control has not been
        // told yet and must enter like any other.
        if (e->type() == QEvent::FocusOut || !form || form->focusTold_ == this) return Base(e);
        // Qt moves the focus on as the windows of controls being freed go.
        for (TControl* c = this; c; c = c->Parent())
          if (c->IsDestroying()) return Base(e);
        if (TWinControl* old = form->focusTold_) {
          form->focusTold_ = nullptr;
          auto alive = alive_;
          Guarded([old] { old->Perform(WM_KILLFOCUS); });
          if (!*alive) return true;
          form = GetParentForm(this);
          if (!form || form == this) return Base(e);
        }
      }
      if (e->type() == QEvent::FocusOut && IsClient && widget_ && Source != widget_ && widget_->hasFocus())
        return Base(e);
      m.Msg = e->type() == QEvent::FocusIn ? WM_SETFOCUS : WM_KILLFOCUS;
      if (form && m.Msg == WM_SETFOCUS) form->focusTold_ = this;
      else if (form && form->focusTold_ == this) form->focusTold_ = nullptr;
      break;
    }
    case QEvent::Resize:
      if (IsClient) return Base(e);
      m.Msg = WM_SIZE;
      m.WParam = SIZE_RESTORED;
      m.LParam = MakeLParam(Source->width(), Source->height());
      break;
    case QEvent::Move:
      if (IsClient) return Base(e);
      m.Msg = WM_MOVE;
      m.LParam = MakeLParam(Source->x(), Source->y());
      break;
    case QEvent::Enter:
      if (IsClient) return Base(e);
      m.Msg = CM_MOUSEENTER;
      break;
    case QEvent::ToolTip:
      // The application times tool tips itself, from the mouse moves; the
      // platform's own timing would show a second one.
      e->accept();
      return true;
    case QEvent::Leave:
      if (IsClient) return Base(e);
      if (Application) Guarded([this] { Application->CancelControlHint(this); });
      m.Msg = CM_MOUSELEAVE;
      if (hoverChild_) {
        TControl* old = hoverChild_;
        hoverChild_ = nullptr;
        Guarded([old] { old->Perform(CM_MOUSELEAVE); });
      }
      break;
    case QEvent::Close:
      if (IsClient) return Base(e);
      m.Msg = WM_CLOSE;
      // The form decides whether and how it closes.
      e->ignore();
      break;
    case QEvent::Show:
    case QEvent::Hide:
      // Spontaneous shows and hides come from minimising and restoring.
      if (IsClient || e->spontaneous() || Source != widget_ || !Source->isWindow()) return Base(e);
      m.Msg = WM_SHOWWINDOW;
      m.WParam = e->type() == QEvent::Show ? 1 : 0;
      break;
    case QEvent::WindowStateChange:
      if (auto* form = dynamic_cast<TCustomForm*>(this); form && !IsClient) {
        bool r = Base(e);
        form->SyncWindowState();
        return r;
      }
      return Base(e);
    default:
      return Base(e);
  }
  auto alive = alive_;
  EventContext ctx{&m, &Base, e};
  Guarded([&] {
    ContextScope scope(&ctx);
    CallWindowProc(m);
  });
  if (!*alive) return true;
  // After the control saw the move, so that it answers for the point the
  // mouse is at now.
  if (hintMove && Application) Guarded([&] { Application->HintMouseMoved(this, *hintMove); });
  if (!*alive) return true;
  // A wheel the control took goes no further up the parents.
  if (accept || (e->type() == QEvent::Wheel && m.Result != 0)) e->accept();
  if (e->type() == QEvent::Close) return true;
  return ctx.called ? ctx.result : true;
}

void TWinControl::HostPaint(QWidget* Source, QEvent* e, const std::function<void()>& Base, bool IsClient) {
  const auto* event = static_cast<QPaintEvent*>(e);
  if (!IsClient && Source == widget_ && nonClient_ != TPadding{}) {
    PaintFramed(Source, e, Base);
    return;
  }
  TRect area = qt::S(event->rect());
  qt::PaintScope scope(Source, event->region());
  if (IsClient) {
    Guarded([&] { PaintClient(Source, area); });
    return;
  }
  SendPaint(e, Source, area, Base);
}

// Windows' order: the frame first, then the client area, which is painted
// moved to its origin and clipped to it.
void TWinControl::PaintFramed(QWidget* Source, QEvent* e, const std::function<void()>& Base) {
  const auto* event = static_cast<QPaintEvent*>(e);
  const QRect client(nonClient_.Left, nonClient_.Top,
                     std::max(0, Width() - nonClient_.Left - nonClient_.Right),
                     std::max(0, Height() - nonClient_.Top - nonClient_.Bottom));
  if (!(event->region() - client).isEmpty()) {
    qt::PaintScope scope(Source, event->region());
    auto alive = alive_;
    Guarded([this] { Perform(WM_NCPAINT, 1, 0); });
    if (!*alive) return;
  }
  const QRegion inside = event->region() & client;
  if (inside.isEmpty()) return;
  qt::PaintScope scope(Source, event->region(), client);
  SendPaint(e, Source, qt::S(inside.boundingRect().translated(-client.topLeft())), Base);
}

void TWinControl::SendPaint(QEvent* e, QWidget* Source, const TRect& Area,
                            const std::function<void()>& Base) {
  TMessage m{WM_PAINT, 0, 0, 0};
  std::function<bool(QEvent*)> paint = [&](QEvent*) {
    PaintWindow(Source, Area, Base);
    return true;
  };
  EventContext ctx{&m, &paint, e};
  Guarded([&] {
    ContextScope scope(&ctx);
    CallWindowProc(m);
  });
}

void TWinControl::PaintWindow(QWidget* Target, const TRect& Area, const std::function<void()>& Base) {
  Base();
  bool graphicChildren = std::any_of(controls_.begin(), controls_.end(),
                                     [](TControl* c) { return dynamic_cast<TGraphicControl*>(c) != nullptr; });
  if (!graphicChildren && overlay_.empty()) return;
  QPainter p(Target);
  qt::ClipToPaint(p);
  PaintControls(p, Area);
  PaintOverlay(p);
}

void TWinControl::PaintClient(QWidget* Target, const TRect& Area) {
  QPainter p(Target);
  qt::ClipToPaint(p);
  p.fillRect(Q(Area), qt::ToQColor(Color()));
  PaintControls(p, Area);
  PaintOverlay(p);
}

void TWinControl::PaintControls(QPainter& p, const TRect& Area) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->Visible()) continue;
    TRect r = g->BoundsRect(), x;
    if (!IntersectRect(x, r, Area)) continue;
    p.save();
    p.translate(r.Left, r.Top);
    p.setClipRect(QRect(0, 0, r.Width(), r.Height()), p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    g->Canvas()->Attach(&p);
    Guarded([g] { g->Perform(WM_PAINT); });
    g->Canvas()->Detach();
    p.restore();
  }
}

void TWinControl::ToggleOverlay(const TOverlayItem& Item) {
  auto it = std::find(overlay_.begin(), overlay_.end(), Item);
  if (it != overlay_.end())
    overlay_.erase(it);
  else
    overlay_.push_back(Item);
  if (widget_) ClientWidget()->update();
}

void TWinControl::ClearOverlay() {
  if (overlay_.empty()) return;
  overlay_.clear();
  if (widget_) ClientWidget()->update();
}

void TWinControl::PaintOverlay(QPainter& Painter) {
  if (overlay_.empty()) return;
  TCanvas c;
  c.Attach(&Painter);
  for (const TOverlayItem& item : overlay_) {
    if (item.kind == TOverlayItem::FocusRect) {
      c.DrawFocusRect(Rect(item.a.X, item.a.Y, item.b.X, item.b.Y));
    } else {
      c.Pen()->SetMode(pmXor);
      c.Pen()->SetColor(item.color);
      c.Pen()->SetWidth(item.width);
      c.MoveTo(item.a.X, item.a.Y);
      c.LineTo(item.b.X, item.b.Y);
    }
  }
  c.Detach();
}

// --- non-client frame ------------------------------------------------------------

bool TWinControl::AskNonClient() {
  const TRect window = BoundsRect();
  TRect client = window;
  Perform(WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&client));
  // An answer outside the window leaves no frame on that side.
  TPadding frame{std::max(0, client.Left - window.Left), std::max(0, client.Top - window.Top),
                 std::max(0, window.Right - client.Right), std::max(0, window.Bottom - client.Bottom)};
  if (frame == nonClient_) return false;
  nonClient_ = frame;
  NonClientChanged();
  return true;
}

void TWinControl::NonClientChanged() { PlaceInsideFrame(); }

void TWinControl::PlaceInsideFrame() {
  if (!widget_) return;
  for (TControl* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w || !w->widget_ || w->widget_->isWindow()) continue;
    const TPoint at = ClientToWidget({w->Left(), w->Top()});
    w->widget_->setGeometry(at.X, at.Y, w->Width(), w->Height());
  }
  SyncScrollBars();
  widget_->update();
}

void TWinControl::SetWindowPos(int X, int Y, int CX, int CY, unsigned Flags) {
  const int oldWidth = Width(), oldHeight = Height();
  const TRect oldClient = ClientRect();
  SetBounds(Flags & SWP_NOMOVE ? Left() : X, Flags & SWP_NOMOVE ? Top() : Y, Flags & SWP_NOSIZE ? Width() : CX,
            Flags & SWP_NOSIZE ? Height() : CY);
  if (!(Flags & SWP_FRAMECHANGED) || !widget_) return;
  AskNonClient();
  // A new frame shows at once; a client of another size is laid out again
  // (a change of the window's size did that already).
  widget_->update();
  if (Width() == oldWidth && Height() == oldHeight && ClientRect() != oldClient) {
    Realign();
    if (!IsLoading()) Resize();
  }
}

void TWinControl::RedrawWindow(const TRect* Update, unsigned Flags) {
  if (!widget_) return;
  if (Flags & RDW_INVALIDATE) {
    if (Flags & RDW_FRAME)
      widget_->update();
    else
      InvalidateRect(Update ? *Update : ClientRect());
  }
  if (Flags & RDW_UPDATENOW) this->Update();
}

TWindowCanvas::TWindowCanvas(TWinControl* Control) {
  if (!Control || !Control->HandleAllocated()) return;
  QWidget* w = Control->Widget();
  const QRegion* painting = qt::PaintRegionOf(w);
  if (!painting || w->paintingActive()) return;
  painter_ = std::make_unique<QPainter>(w);
  painter_->setClipRegion(*painting);
  Attach(painter_.get());
}

TWindowCanvas::~TWindowCanvas() {
  if (!painter_) return;
  Detach();
  painter_->end();
}

// --- TCustomControl ----------------------------------------------------------------

const TClassInfo& TCustomControl::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticClassInfo()).Build();
  return info;
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TCustomControl::~TCustomControl() { BeginDestroy(); }

void TCustomControl::PaintWindow(QWidget* Target, const TRect& Area, const std::function<void()>&) {
  QPainter p(Target);
  // Paint sees the area to repaint as its canvas's clip: a partial
  // invalidate repaints only what lies in it.
  qt::ClipToPaint(p);
  if (!controlStyle_.Contains(csOpaque)) p.fillRect(Q(Area), qt::ToQColor(Color()));
  canvas_->Attach(&p);
  try {
    Paint();
  } catch (...) {
    canvas_->Detach();
    throw;
  }
  canvas_->Detach();
  PaintControls(p, Area);
  PaintOverlay(p);
}

}  // namespace ui
