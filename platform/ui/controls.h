// Controls: the base of everything on a window. Windowed controls own a
// QWidget (created on demand); graphic controls have none and are painted
// by their parent. Qt events arrive as messages through WndProc/Dispatch;
// DefaultHandler lets Qt do what the toolkit would have done.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/canvas.h"
#include "platform/classes/classes.h"
#include "platform/ui/graphics.h"
#include "platform/classes/messages.h"
#include "platform/ui/scroll_bars.h"

class QWidget;
class QObject;
class QEvent;

namespace ui {

class TWinControl;
class TCustomForm;
class TBasicAction;

// Dragging one control onto another (drag_drop.h has the drag objects).
class TDragObject;
enum TDragMode { dmManual, dmAutomatic };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;

// A window procedure: where a control's messages go.
using TWndMethod = std::function<void(TMessage& Message)>;

using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
  csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
  csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
  csParentBackground
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
  csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateItem>;

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

// Reading order and alignment of a control's texts.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// How a windowed control wants the input method while it has the focus.
enum TImeMode {
  imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
  imSHanguel, imHanguel
};

// Room kept free inside a windowed control's client area when its aligned
// children are laid out.
struct TPadding {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TPadding&) const = default;
};

class TControl : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* AParent);
  // A control read from a layout goes into the windowed control that stored it.
  void SetParentComponent(TComponent* Value) override;

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int Value) { SetBounds(Value, top_, width_, height_); }
  void SetTop(int Value) { SetBounds(left_, Value, width_, height_); }
  void SetWidth(int Value) { SetBounds(left_, top_, Value, height_); }
  void SetHeight(int Value) { SetBounds(left_, top_, width_, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  // (0, 0, ClientWidth, ClientHeight)
  virtual TRect ClientRect() const;
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  virtual void SetClientWidth(int Value);
  virtual void SetClientHeight(int Value);
  // Screen position of the client area's top left.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint P) const;
  TPoint ScreenToClient(TPoint P) const;

  TAlign Align() const { return align_; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors Value) { anchors_ = Value; }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible here and in every parent, up to a shown window.
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool Value);

  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool Value);
  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* Value) { font_->Assign(Value); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool Value);

  String Caption() const { return GetText(); }
  void SetCaption(const String& Value) { SetText(Value); }
  String Text() const { return GetText(); }
  void SetText(const String& Value);

  const String& Hint() const { return hint_; }
  void SetHint(const String& Value);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value);

  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode Value);
  // True: the control takes its parent's BiDiMode (and follows changes).
  bool ParentBiDiMode() const { return parentBiDiMode_; }
  void SetParentBiDiMode(bool Value);
  // Texts read right to left (every mode but bdLeftToRight).
  bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight; }
  // Left and right alignments of texts trade places (bdRightToLeft only).
  bool UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft; }

  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle Value) { controlStyle_ = Value; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState Value) { controlState_ = Value; }
  bool MouseCapture() const;
  void SetMouseCapture(bool Value);

  virtual void Invalidate();
  void Repaint();
  // Paints what is invalid now (not the whole control).
  void Update();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  // Sends a message to this control at once and returns its result.
  LRESULT Perform(std::uint32_t Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  virtual void WndProc(TMessage& Message);
  // The procedure every message to the control goes through: its own
  // WndProc until another object hooks it. A hook keeps the value it
  // replaced and passes on what it does not take itself; setting that value
  // back unhooks (the control's own procedure is recognised as such).
  TWndMethod WindowProc() const;
  void SetWindowProc(TWndMethod Value);
  bool HasOwnWindowProc() const { return !windowProc_; }
  // Passes the message through WindowProc.
  void CallWindowProc(TMessage& Message);
  void Dispatch(TMessage& Message) override;

  // --- dragging onto other controls (drag_drop.cpp). In automatic mode a
  // left press starts a drag (Mouse's threshold and immediate flag) instead
  // of reaching the control. A drag that is not immediate starts once the
  // mouse has moved Threshold pixels (negative: Mouse's) on either axis.
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode Value) { dragMode_ = Value; }
  // The cursor over a target that accepts.
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor Value) { dragCursor_ = Value; }
  void BeginDrag(bool Immediate, int Threshold = -1);
  // This control is the source of the drag under way.
  bool Dragging() const;
  // Drops on the target under the mouse when it accepts (Drop), else cancels.
  void EndDrag(bool Drop);
  // A target's answer and the drop; X and Y are client coordinates.
  virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  virtual void DragDrop(TObject* Source, int X, int Y);
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;
  // The drag is over; Target is null when nothing took the drop.
  virtual void DoEndDrag(TObject* Target, int X, int Y);

  // Carries out an action offered to the control, or updates it from the
  // control; true when it took it. By default: when the action handles the
  // control as its target (actions.cpp).
  virtual bool ExecuteAction(TBasicAction* Action);
  virtual bool UpdateAction(TBasicAction* Action);

  // Runs OnClick (even when disabled: code may click a control directly).
  virtual void Click();
  virtual void DblClick();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

  // The window whose paint draws this control (itself for windowed controls).
  virtual TWinControl* PaintTarget();

 protected:
  virtual String GetText() const { return text_; }
  virtual void SetTextInternal(const String& Value);
  // The drag starts: a handler may supply its own drag object.
  virtual void DoStartDrag(TDragObject*& DragObject);
  // CM_DRAG: the drag machinery asks a target (drag_drop.cpp).
  void DragMessage(TMessage& Message);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void Resize();
  void Loaded() override;
  // Bounds changed: move the widget or repaint the parent.
  virtual void BoundsChanged(const TRect& OldBounds);
  // Size changed (after BoundsChanged).
  virtual void SizeChanged(int OldWidth, int OldHeight);
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void EnabledChanged();
  virtual void VisibleChanged();
  virtual void TextChanged();
  void RequestAlign();
  // Parent's font or colour as this control's own, when it follows the parent.
  void AdoptParentFont();
  void AdoptParentColor();
  // The control's mouse-button messages, shared by windowed and graphic controls.
  void HandleMouseMessage(TMessage& Message);

  String text_;
  TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState controlState_;

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool adoptingFont_ = false;
  String hint_;
  bool showHint_ = false;
  TCursor cursor_ = crDefault;
  TBiDiMode biDiMode_ = bdLeftToRight;
  bool parentBiDiMode_ = true;
  void AdoptParentBiDiMode();
  int buttonsDown_ = 0;  // mouse buttons pressed on this control

 protected:
  // False once the control is being destroyed: handlers may free the control
  // whose event they handle, and the code after them must not touch it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

 private:
  TWndMethod windowProc_;  // empty: WndProc
  TDragMode dragMode_ = dmManual;
  TCursor dragCursor_ = crDrag;
  TMouseButton lastButton_ = mbLeft;
  bool pressCancelled_ = false;  // the release of a press ended by cancel mode is not reported again
};

// A windowless control: drawn by Paint on its parent's surface.
class TGraphicControl : public TControl {
  JQ_UI_CLASSINFO
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

class TWinControl : public TControl {
  JQ_UI_CLASSINFO
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  // Children in creation order (also their z order).
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(const TControl* Control) const;
  // Topmost visible (and, unless AllowDisabled, enabled) child at a client point.
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled = false, bool AllowWinControls = false) const;
  TControl* FindChildControl(const String& ControlName) const;

  bool HandleAllocated() const { return widget_ != nullptr; }
  // Creates the window (and its parents' and children's) when missing.
  void HandleNeeded();
  void RecreateWnd();
  // The widget; created on demand. For the platform layer and test harness.
  QWidget* Widget();
  // The widget children are placed in (differs for scrolling controls).
  virtual QWidget* ClientWidget() { return Widget(); }

  // Lays out the aligned children inside the client rectangle.
  void Realign();
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();
  bool AlignDisabled() const { return alignDisabled_ > 0; }

  const TPadding& Padding() const { return padding_; }
  void SetPadding(const TPadding& Value);

  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool Value);
  int TabOrder() const;
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  TWinControl* PaintTarget() override { return this; }
  bool Showing() const override;
  void SetVisible(bool Value) override;
  void Invalidate() override;
  void InvalidateRect(const TRect& R);
  // Graphic children draw themselves; windowed children are not painted over.
  void PaintControls(QPainter& Painter, const TRect& Area);

  // Feedback drawn outside a paint (XOR lines, focus frames); a second
  // toggle of the same item removes it.
  void ToggleOverlay(const TOverlayItem& Item);
  const std::vector<TOverlayItem>& Overlay() const { return overlay_; }
  void ClearOverlay();

  // Input-method settings (ime.cpp). Qt cannot open an input method or
  // pick one by name: ImeName is kept for whoever asks, and the mode goes
  // to the widget as far as Qt's input-method hints reach.
  TImeMode ImeMode() const { return imeMode_; }
  void SetImeMode(TImeMode Value);
  const String& ImeName() const { return imeName_; }
  void SetImeName(const String& Value) { imeName_ = Value; }
  // Whether an input method composes in this window itself: it then hears
  // WM_IME_STARTCOMPOSITION and WM_IME_ENDCOMPOSITION, gets the composed
  // text as WM_CHAR, and a composition it hands to a child window it has
  // focused goes on there. Qt keeps input methods away from other windows.
  void SetTakesComposition(bool Value);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // --- window scroll bars (SB_HORZ, SB_VERT), 32-bit ranges (scroll_bars.cpp)
  // Returns the position after clamping. A bar shows while its range does not
  // all fit in the page (SIF_DISABLENOSCROLL: disabled instead of hidden).
  int SetScrollInfo(int Bar, const TScrollInfo& Info, bool Redraw = true);
  bool GetScrollInfo(int Bar, TScrollInfo& Info) const;
  int GetScrollPos(int Bar) const;
  // Returns the previous position.
  int SetScrollPos(int Bar, int Pos, bool Redraw = true);
  bool ShowScrollBar(int Bar, bool Show);
  bool EnableScrollBar(int Bar, unsigned Arrows);
  bool ScrollBarVisible(int Bar) const;
  // Moves the pixels of Scroll (default: the client) by (DX, DY), kept inside
  // Clip; what is uncovered is painted by the next paint.
  void ScrollWindowEx(int DX, int DY, const TRect* Scroll, const TRect* Clip, unsigned Flags);
  // The client area, without the frame and the window scroll bars shown.
  TRect ClientRect() const override;
  struct ScrollBars;

  // --- non-client frame. A control that answers WM_NCCALCSIZE (LParam: a
  // TRect*, the window rectangle in the parent's client coordinates, to be
  // narrowed to the client rectangle) with a smaller rectangle gets a frame:
  // its client area (paint, mouse, ClientRect, children, scrolling) sits
  // inside it, and the band around is painted on WM_NCPAINT through a
  // TWindowCanvas. Asked when the window is made, when its size changes and
  // on SWP_FRAMECHANGED; without a window there is no frame.
  // Widths of the frame on each side (all 0 without one).
  const TPadding& NonClientMargins() const { return nonClient_; }
  // Moves and sizes (unless SWP_NOMOVE, SWP_NOSIZE); SWP_FRAMECHANGED asks
  // for the frame again and repaints it. Other flags change nothing here.
  void SetWindowPos(int X, int Y, int CX, int CY, unsigned Flags);
  // RDW_INVALIDATE invalidates Update (null: the client area), and with
  // RDW_FRAME the frame as well; RDW_UPDATENOW paints what is invalid at once.
  void RedrawWindow(const TRect* Update, unsigned Flags);

  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;

  // --- platform side: called by the widget that hosts this control ---------
  bool HostEvent(QWidget* Source, QEvent* Event, bool IsClient, const std::function<bool(QEvent*)>& Base);
  void HostPaint(QWidget* Source, QEvent* Event, const std::function<void()>& Base, bool IsClient);
  // Paints the client widget of scrolling controls (background and graphic children).
  virtual void PaintClient(QWidget* Target, const TRect& Area);

 protected:
  // Makes the widget. Parent is the parent's client widget (or none).
  virtual QWidget* CreateWidget(QWidget* Parent);
  // Copies the control's state into a new widget.
  virtual void InitWidget();
  virtual void DestroyHandle();
  // The frame (NonClientMargins) changed: the client area moves inside it.
  // Controls whose client is a widget of its own (scroll boxes) move that.
  virtual void NonClientChanged();
  // Before Qt paints (background) and after (children, overlay). Custom
  // controls paint themselves here.
  virtual void PaintWindow(QWidget* Target, const TRect& Area, const std::function<void()>& Base);
  // Overlay items over everything else (end of every paint).
  void PaintOverlay(QPainter& Painter);
  // Shrinks the rectangle aligned children fill (borders, captions).
  virtual void AdjustClientRect(TRect& Rect);
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void DoKeyDown(std::uint16_t& Key, TShiftState Shift);
  virtual void DoKeyUp(std::uint16_t& Key, TShiftState Shift);
  virtual void DoKeyPress(char16_t& Key);
  // The focus came to this control: the form records who holds it. False
  // leaves the focus message unanswered (no OnEnter).
  virtual bool TellFormOfFocus(TCustomForm* Form);
  virtual void DoEnter();
  virtual void DoExit();
  // The wheel: OnMouseWheel first, then one Down or Up per whole notch (120).
  // True when handled; otherwise the parent gets the message.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  // Whether the control takes this key itself (WM_GETDLGCODE answers).
  bool WantsKey(std::uint16_t Key, TShiftState Shift);
  void BoundsChanged(const TRect& OldBounds) override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void FontChanged() override;
  void ColorChanged() override;
  void EnabledChanged() override;
  void VisibleChanged() override;
  void TextChanged() override;
  // Palette role the control's Color fills (edits: base; others: window).
  virtual int ColorRole() const;
  // Mouse position inside the client widget -> client coordinates.
  virtual TPoint WidgetToClient(QWidget* Source, TPoint P, bool IsClient);
  // Whether Qt should show the widget now.
  virtual bool WidgetShouldBeVisible() const;
  // Installs routing of key, focus and mouse events on an inner widget of a
  // composite Qt control (the edit part of a combo box).
  void RouteInnerWidget(QWidget* Inner);
  // A child was added, removed, moved or resized.
  virtual void ChildBoundsChanged(TControl* Child);
  void ApplyFontToWidget();
  void ApplyColorToWidget();
  // What the native widget does with a message no Qt event brought: keys,
  // characters, text, clipboard and selection messages (native_messages.cpp).
  virtual void NativeDefault(TMessage& Message);

  QWidget* widget_ = nullptr;

 private:
  friend class TControl;
  friend class TGraphicControl;
  void CreateHandle();
  void ApplyAnchors(int OldWidth, int OldHeight);
  bool RouteMouseToChild(TMessage& Message);

  ScrollBars& ScrollState();
  void SyncScrollBars();
  void SendScrollCode(int Bar, int Code, std::int64_t Pos);
  void WheelMessage(TMessage& Message, TShiftState Shift);

  void ApplyImeToWidget();

  std::vector<TControl*> controls_;
  std::shared_ptr<ScrollBars> scrollBars_;
  TImeMode imeMode_ = imDontCare;
  String imeName_;
  bool takesComposition_ = false;
  bool composing_ = false;
  int wheelAccumulator_ = 0;
  int alignDisabled_ = 0;
  bool aligning_ = false;
  bool tabStop_ = false;
  TPadding padding_;
  std::vector<TOverlayItem> overlay_;
  TControl* mouseChild_ = nullptr;   // graphic child holding the mouse
  TControl* hoverChild_ = nullptr;   // graphic child under the mouse
  std::unique_ptr<QObject> innerFilter_;
  bool syncingFromWidget_ = false;
  TPoint lastPressPos_;
  TPadding nonClient_;
  void PaintFramed(QWidget* Source, QEvent* Event, const std::function<void()>& Base);
  void SendPaint(QEvent* Event, QWidget* Source, const TRect& Area, const std::function<void()>& Base);
  // Sends WM_NCCALCSIZE; true when the frame changed.
  bool AskNonClient();
  // Puts the children's windows and the scroll bars where the frame leaves them.
  void PlaceInsideFrame();
  // Client coordinates of this control -> coordinates in its widget.
  TPoint ClientToWidget(TPoint P) const { return {P.X + nonClient_.Left, P.Y + nonClient_.Top}; }
};

// The window's device context: draws on the whole window rectangle, frame
// included, with (0, 0) at the window's top left, clipped to what is being
// painted. Qt lets a widget be drawn on only while it paints, and by one
// painter at a time: this canvas draws inside the window's WM_NCPAINT (and
// anywhere in its paint where no other canvas of the window is drawing);
// elsewhere it draws nothing. It is released when it goes.
class TWindowCanvas : public TCanvas {
 public:
  explicit TWindowCanvas(TWinControl* Control);
  ~TWindowCanvas() override;
  TWindowCanvas(const TWindowCanvas&) = delete;
  TWindowCanvas& operator=(const TWindowCanvas&) = delete;
  // Whether drawing reaches the window now.
  bool Drawing() const { return painter_ != nullptr; }

 private:
  std::unique_ptr<QPainter> painter_;
};

// A windowed control that paints itself on its Canvas.
class TCustomControl : public TWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(QWidget* Target, const TRect& Area, const std::function<void()>& Base) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// Form that (eventually) holds the control, or nullptr.
TCustomForm* GetParentForm(const TControl* Control);
// Control that receives mouse input while a button is held, or nullptr.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// Sends WM_CANCELMODE to the control holding the mouse (modal windows,
// message boxes and focus loss end a press).
void CancelMouseCapture();
// Tells a windowed control's parent of a notification (BN_CLICKED,
// EN_CHANGE...): WM_COMMAND with the code in the high word of WParam and the
// control in LParam.
void SendCommandToParent(TWinControl* Control, std::uint16_t Code);
// Control owning a widget (nullptr when not ours).
TWinControl* FindControl(const QWidget* Widget);

}  // namespace ui
