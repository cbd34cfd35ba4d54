// The layer between the window toolkit's controls and the extended
// controls: the toolkit's notices become overridable operations whose
// defaults pass the notice on, plus mouse enter and leave events, an
// inheritable hint colour, dialog codes as a set, and (windowed bases) a
// thin focus frame.
#pragma once

#include <functional>

#include "platform/ui/ui.h"
#include "platform/ui/themes.h"

namespace ext {

using rtl::String;
using ui::LPARAM;
using ui::LRESULT;
using ui::TColor;
using ui::TMessage;
using ui::WPARAM;

// Hint colour: ask the parent, or the application's hint colour.
constexpr TColor clHintFromParent = static_cast<TColor>(0x20000000);
constexpr TColor clAppHintColor = static_cast<TColor>(0x1FFFFFFF);
// Frame colours of the focus frame.
constexpr TColor clFocusFrame = static_cast<TColor>(0x733800);
constexpr TColor clIdleFrame = static_cast<TColor>(0x808080);
// Asks whether a control implements the designer's selection interface.
constexpr std::uint32_t CM_ISDESIGNSELECTABLE = 47056;

enum TDialogCode { dcWantAllKeys, dcWantArrows, dcWantChars, dcButton, dcHasSetSel, dcWantTab, dcNative };
using TDialogCodes = ui::TSet<TDialogCode>;
TDialogCodes DialogCodesFromResult(LRESULT Codes);
LRESULT DialogCodesToResult(TDialogCodes Codes);
// Key data word of a forwarded dialog character.
LPARAM KeyDataFromShiftState(ui::TShiftState Shift);
ui::TShiftState ShiftStateFromKeyData(LPARAM KeyData);

// Record of a hint about to show (CM_HINTSHOW's LParam).
using ui::THintInfo;

// Theme services: whether themed drawing is on.
inline bool ThemeServicesEnabled() { return ui::ThemesEnabled(); }

// The operations and message table every base shares. Windowed decides
// whether the Windows messages (focus, size, dialog codes) take part.
template <class Base, bool Windowed>
class TExtBaseMixin : public Base {
 public:
  explicit TExtBaseMixin(ui::TComponent* AOwner) : Base(AOwner) {}

  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor Value) { hintColor_ = Value; }
  bool MouseOver() const { return mouseOver_; }
  const ui::THintWindowClass& HintWindowClass() const { return hintWindowClass_; }
  void SetHintWindowClass(const ui::THintWindowClass& Value) { hintWindowClass_ = Value; }

  // Mouse enter and leave raise the toolkit's OnMouseEnter and OnMouseLeave.
  ui::TNotifyEvent OnParentColorChanged;

  void Dispatch(TMessage& M) override {
    switch (M.Msg) {
      case ui::CM_DIALOGCHAR: {
        char16_t c = static_cast<char16_t>(M.WParam);
        M.Result = WantsDialogChar(static_cast<std::uint16_t>(M.WParam), ShiftStateFromKeyData(M.LParam),
                                   String(1, c)) ? 1 : 0;
        return;
      }
      case ui::CM_FOCUSCHANGED: NotifyFocusChanged(reinterpret_cast<ui::TWinControl*>(M.LParam)); Keep(M); return;
      case ui::CM_PARENTFONTCHANGED: NotifyParentFontChanged(); Keep(M); return;
      case ui::CM_PARENTCOLORCHANGED: NotifyParentColorChanged(); Keep(M); return;
      case ui::CM_HITTEST: M.Result = HitTestAt(ui::XPos(M.LParam), ui::YPos(M.LParam)); return;
      case ui::CM_VISIBLECHANGED: NotifyVisibleChanged(); Keep(M); return;
      case ui::CM_ENABLEDCHANGED: NotifyEnabledChanged(); Keep(M); return;
      case ui::CM_COLORCHANGED: NotifyColorChanged(); Keep(M); return;
      case ui::CM_FONTCHANGED: NotifyFontChanged(); Keep(M); return;
      case ui::CM_TEXTCHANGED: NotifyTextChanged(); Keep(M); return;
      case ui::CM_MOUSEENTER: NotifyMouseEnter(reinterpret_cast<ui::TControl*>(M.LParam)); Keep(M); return;
      case ui::CM_MOUSELEAVE: NotifyMouseLeave(reinterpret_cast<ui::TControl*>(M.LParam)); Keep(M); return;
      case ui::CM_PARENTSHOWHINTCHANGED: NotifyParentShowHintChanged(); Keep(M); return;
      case ui::CM_HINTSHOW: M.Result = PrepareHint(reinterpret_cast<THintInfo*>(M.LParam)); return;
      case CM_ISDESIGNSELECTABLE: M.Result = 0; return;
      default: break;
    }
    if constexpr (Windowed) {
      switch (M.Msg) {
        case ui::WM_MOVE:
        case ui::WM_SIZE:
          Base::Dispatch(M);
          NotifyBoundsChanged();
          return;
        case ui::WM_SETFOCUS: NotifyFocusGained(nullptr); Keep(M); AfterFrameEvent(); return;
        case ui::WM_KILLFOCUS: NotifyFocusLost(nullptr); Keep(M); AfterFrameEvent(); return;
        case ui::WM_GETDLGCODE: {
          Base::Dispatch(M);
          TDialogCodes codes = DialogCodesFromResult(M.Result);
          codes.Include(dcNative);
          TDialogCodes before = codes;
          AdjustDialogCodes(codes);
          if (!codes.Contains(dcNative) || codes != before) M.Result = DialogCodesToResult(codes);
          return;
        }
        case ui::CM_CURSORCHANGED: NotifyCursorChanged(); Keep(M); return;
        case ui::CM_SHOWINGCHANGED: NotifyShowingChanged(); Keep(M); return;
        case ui::CM_SHOWHINTCHANGED: NotifyShowHintChanged(); Keep(M); return;
        case ui::CM_CONTROLLISTCHANGE:
          if (M.LParam) NotifyControlListChanging(reinterpret_cast<ui::TControl*>(M.WParam), true);
          else NotifyControlListChanged(reinterpret_cast<ui::TControl*>(M.WParam), false);
          Keep(M);
          return;
        case ui::CM_CONTROLCHANGE:
          if (M.LParam) NotifyControlListChanged(reinterpret_cast<ui::TControl*>(M.WParam), true);
          else NotifyControlListChanging(reinterpret_cast<ui::TControl*>(M.WParam), false);
          Keep(M);
          return;
        default: break;
      }
    }
    Base::Dispatch(M);
  }

 protected:
  // Every default passes the message being handled on to the toolkit.
  virtual void NotifyTextChanged() { Forward(); }
  virtual bool WantsDialogChar(std::uint16_t CharCode, ui::TShiftState Shift, const String& Text) {
    (void)Text;
    TMessage m{ui::CM_DIALOGCHAR, CharCode, KeyDataFromShiftState(Shift), 0};
    Base::Dispatch(m);
    return m.Result != 0;
  }
  virtual LRESULT HitTestAt(int X, int Y) {
    TMessage m{ui::CM_HITTEST, 0, ui::MakeLParam(X, Y), 0};
    Base::Dispatch(m);
    return m.Result;
  }
  virtual void NotifyBoundsChanged() {}
  virtual void AdjustDialogCodes(TDialogCodes& Codes) { (void)Codes; }
  virtual void NotifyFocusGained(ui::TWinControl* Previous) { (void)Previous; Forward(); }
  virtual void NotifyFocusLost(ui::TWinControl* Next) { (void)Next; Forward(); }
  virtual void NotifyFocusChanged(ui::TWinControl* Control) { (void)Control; Forward(); }
  virtual void NotifyVisibleChanged() { Forward(); }
  virtual void NotifyEnabledChanged() { Forward(); }
  virtual void NotifyColorChanged() { Forward(); }
  virtual void NotifyFontChanged() { Forward(); }
  virtual void NotifyParentFontChanged() { Forward(); }
  virtual void NotifyParentColorChanged() {
    Forward();
    if (OnParentColorChanged) OnParentColorChanged(this);
  }
  virtual void NotifyParentShowHintChanged() { Forward(); }
  virtual void NotifyMouseEnter(ui::TControl* Control) {
    (void)Control;
    mouseOver_ = true;
    Forward();
    if constexpr (Windowed) AfterFrameEvent();
  }
  virtual void NotifyMouseLeave(ui::TControl* Control) {
    (void)Control;
    mouseOver_ = false;
    Forward();
    if constexpr (Windowed) AfterFrameEvent();
  }
  virtual void NotifyCursorChanged() { Forward(); }
  virtual void NotifyShowingChanged() { Forward(); }
  virtual void NotifyShowHintChanged() { Forward(); }
  virtual void NotifyControlListChanging(ui::TControl* Control, bool Inserting) {
    (void)Control;
    ForwardAs(Inserting ? ui::CM_CONTROLLISTCHANGE : ui::CM_CONTROLCHANGE);
  }
  virtual void NotifyControlListChanged(ui::TControl* Control, bool Inserting) {
    (void)Control;
    ForwardAs(Inserting ? ui::CM_CONTROLCHANGE : ui::CM_CONTROLLISTCHANGE);
  }
  virtual LRESULT PrepareHint(THintInfo* Info) {
    if (Info) {
      if (hintColor_ == clAppHintColor) {
        Info->HintColor = ui::Application ? ui::Application->HintColor() : ui::clInfoBk;
      } else if (hintColor_ != clHintFromParent) {
        Info->HintColor = hintColor_;
      } else if (this->Parent()) {
        THintInfo copy = *Info;
        this->Parent()->Perform(ui::CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&copy));
        Info->HintColor = copy.HintColor;
      }
      if (hintWindowClass_) Info->HintWindowClass = hintWindowClass_;
    }
    TMessage m{ui::CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(Info), 0};
    Base::Dispatch(m);
    return m.Result;
  }
  // After focus and hover changes (focus frame of the windowed bases).
  virtual void AfterFrameEvent() {}

  // The message being handled, passed on by the default operations.
  void Forward() {
    if (current_) Base::Dispatch(*current_);
  }
  void ForwardAs(std::uint32_t Msg) {
    if (!current_) return;
    TMessage m = *current_;
    m.Msg = Msg;
    Base::Dispatch(m);
    current_->Result = m.Result;
  }

 private:
  // Runs the operation already called with M as the message to forward.
  void Keep(TMessage&) {}
  struct CurrentScope {
    CurrentScope(TExtBaseMixin* o, TMessage* m) : owner(o), saved(o->current_) { o->current_ = m; }
    ~CurrentScope() { owner->current_ = saved; }
    TExtBaseMixin* owner;
    TMessage* saved;
  };

 public:
  void WndProc(TMessage& M) override {
    CurrentScope scope(this, &M);
    Base::WndProc(M);
  }

 private:
  TColor hintColor_ = clHintFromParent;
  bool mouseOver_ = false;
  ui::THintWindowClass hintWindowClass_;
  TMessage* current_ = nullptr;
};

class TExtBaseGraphicControl : public TExtBaseMixin<ui::TGraphicControl, false> {
  JQ_UI_CLASSINFO
 public:
  explicit TExtBaseGraphicControl(ui::TComponent* AOwner);
  ~TExtBaseGraphicControl() override;
};

// Focus frame shared by the windowed bases.
class TExtFocusFrame {
 public:
  // Draws the frame over the control's outer rectangle after its own paint.
  void PaintOver(QWidget* Target, ui::TWinControl* Control, bool MouseOver) const;
  bool on_ = false;

 private:
  void Draw(ui::TCanvas* Canvas, ui::TWinControl* Control, bool MouseOver) const;
};

class TExtBaseCustomControl : public TExtBaseMixin<ui::TCustomControl, true> {
  JQ_UI_CLASSINFO
 public:
  explicit TExtBaseCustomControl(ui::TComponent* AOwner);
  ~TExtBaseCustomControl() override;
  bool DotNetHighlighting() const { return frame_.on_; }
  void SetDotNetHighlighting(bool Value);

 protected:
  void PaintWindow(QWidget* Target, const ui::TRect& Area, const std::function<void()>& Base) override;
  void AfterFrameEvent() override;

 private:
  TExtFocusFrame frame_;
};

}  // namespace ext
