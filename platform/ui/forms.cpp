#include "platform/ui/forms.h"

#include <QEventLoop>
#include <QScrollArea>
#include <QScrollBar>
#include <QWidget>
#include <QWindow>

#include "platform/ui/application.h"
#include "platform/ui/guard.h"
#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui {

// --- TScrollingWinControl ---------------------------------------------------------

const TClassInfo& TScrollingWinControl::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TScrollingWinControl>("TScrollingWinControl", &TCustomControl::StaticClassInfo()).Build();
  return info;
}

// --- TCustomForm -----------------------------------------------------------------------

const TClassInfo& TCustomForm::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomForm>("TCustomForm", &TScrollingWinControl::StaticClassInfo())
          .Str("Caption", &TCustomForm::Caption, &TCustomForm::SetCaption)
          .Integer("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
          .NotStored()
          .Integer("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
          .NotStored()
          .Enum("BorderStyle", "TFormBorderStyle",
                {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
                &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, bsSizeable)
          .Enum("Position", "TPosition",
                {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                 "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"},
                &TCustomForm::Position, &TCustomForm::SetPosition, poDesigned)
          .Enum("WindowState", "TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"},
                &TCustomForm::WindowState, &TCustomForm::SetWindowState, wsNormal)
          .Enum("FormStyle", "TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"},
                &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, fsNormal)
          .Boolean("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, 0)
          .Integer("PixelsPerInch", &TCustomForm::PixelsPerInch, nullptr)
          .Object("ActiveControl", "TWinControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
          .Build();
  return info;
}

TCustomForm::TCustomForm(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  BeginLoading();
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControl::SetVisible(false);
  SetParentFont(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm() {
  BeginDestroy();
  if (modalLoop_) modalLoop_->exit(0);
  if (Application) Application->FormDestroyed(this);
}

void TCustomForm::AfterConstruction() {
  TScrollingWinControl::AfterConstruction();
  DoCreate();
}

void TCustomForm::BeforeDestruction() {
  if (!destroyRaised_) {
    destroyRaised_ = true;
    Guarded([this] { DoDestroy(); });
  }
  TScrollingWinControl::BeforeDestruction();
}

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}
void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}
void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}
void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}
void TCustomForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

QWidget* TCustomForm::CreateWidget(QWidget* Parent) {
  if (Parent) return new qt::Host<QWidget>(this, false, Parent);
  return new qt::Host<QWidget>(this, false, nullptr, Qt::Window);
}

void TCustomForm::InitWidget() {
  widget_->setWindowTitle(qt::Q(text_));
  widget_->setAttribute(Qt::WA_DeleteOnClose, false);
  ApplyWindowFlags();
}

void TCustomForm::ApplyWindowFlags() {
  if (!widget_ || Parent()) return;
  Qt::WindowFlags f = Qt::Window;
  // Naming any title-bar hint turns Qt's defaults off, so only the buttons
  // asked for appear and the window manager offers no other way to them.
  Qt::WindowFlags menu = Qt::WindowFlags();
  if (borderIcons_.Contains(biSystemMenu)) menu = Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  switch (borderStyle_) {
    case bsNone: f |= Qt::FramelessWindowHint; break;
    case bsDialog: f = Qt::Dialog | Qt::WindowTitleHint | menu; break;
    case bsToolWindow:
    case bsSizeToolWin: f = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    case bsSingle:
    case bsSizeable:
      f = Qt::Window | Qt::WindowTitleHint | menu;
      if (borderIcons_.Contains(biSystemMenu) && borderIcons_.Contains(biMinimize)) f |= Qt::WindowMinimizeButtonHint;
      if (borderIcons_.Contains(biSystemMenu) && borderIcons_.Contains(biMaximize)) f |= Qt::WindowMaximizeButtonHint;
      break;
  }
  if (formStyle_ == fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
  bool shown = widget_->isVisible();
  widget_->setWindowFlags(f);
  BoundsChanged(BoundsRect());
  if (shown) widget_->show();
}

void TCustomForm::BoundsChanged(const TRect& OldBounds) {
  TScrollingWinControl::BoundsChanged(OldBounds);
  if (!widget_ || Parent()) return;
  bool fixed = borderStyle_ == bsDialog || borderStyle_ == bsSingle || borderStyle_ == bsToolWindow;
  if (fixed && windowState_ == wsNormal) {
    widget_->setMinimumSize(Width(), Height());
    widget_->setMaximumSize(Width(), Height());
  } else {
    widget_->setMinimumSize(0, 0);
    widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  ApplyWindowFlags();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == borderIcons_) return;
  borderIcons_ = Value;
  ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (Value == formStyle_) return;
  formStyle_ = Value;
  ApplyWindowFlags();
}

TRect TCustomForm::NormalBoundsRect() const {
  if (windowState_ != wsNormal && widget_) {
    const QRect g = widget_->normalGeometry();
    if (g.isValid()) return Bounds(g.x(), g.y(), g.width(), g.height());
  }
  return BoundsRect();
}

void TCustomForm::SetNormalBoundsRect(const TRect& R) {
  if (windowState_ == wsNormal || !widget_) {
    SetBounds(R.Left, R.Top, R.Width(), R.Height());
    return;
  }
  const TWindowState state = windowState_;
  SetWindowState(wsNormal);
  SetBounds(R.Left, R.Top, R.Width(), R.Height());
  SetWindowState(state);
}

void TCustomForm::SetWindowState(TWindowState Value) {
  if (Value == windowState_) return;
  windowState_ = Value;
  if (widget_ && widget_->isVisible()) {
    switch (Value) {
      case wsMaximized: widget_->showMaximized(); break;
      case wsMinimized: widget_->showMinimized(); break;
      default: widget_->showNormal(); break;
    }
  }
}

void TCustomForm::SyncWindowState() {
  if (!widget_) return;
  Qt::WindowStates s = widget_->windowState();
  windowState_ = (s & Qt::WindowMinimized) ? wsMinimized : (s & Qt::WindowMaximized) ? wsMaximized : wsNormal;
}

bool TCustomForm::WidgetShouldBeVisible() const { return Parent() ? Visible() : false; }

bool TCustomForm::Showing() const { return widget_ && widget_->isVisible(); }

void TCustomForm::PlaceOnFirstShow() {
  if (placed_) return;
  placed_ = true;
  TRect area;
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      area = Screen ? Screen->WorkAreaRect() : TRect{};
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* other = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
      if (!other && Application) other = Application->MainForm();
      if (other && other != this && other->Showing())
        area = other->BoundsRect();
      else if (Screen)
        area = Screen->WorkAreaRect();
      break;
    }
    default: return;
  }
  if (area.IsEmpty()) return;
  SetBounds(area.Left + (area.Width() - Width()) / 2, area.Top + (area.Height() - Height()) / 2, Width(), Height());
}

void TCustomForm::VisibleChanged() {
  if (Parent()) {
    TScrollingWinControl::VisibleChanged();
    return;
  }
  // OnShow and OnHide follow the program's own showing and hiding, so a
  // window system minimising and restoring the window raises neither.
  if (Visible()) {
    HandleNeeded();
    PlaceOnFirstShow();
    DoShow();
    if (!Visible() || !widget_) return;  // hidden or freed again by OnShow
    switch (windowState_) {
      case wsMaximized: widget_->showMaximized(); break;
      case wsMinimized: widget_->showMinimized(); break;
      default: widget_->show(); break;
    }
    if (!centredWithFrame_ && position_ >= poScreenCenter) {
      // The frame is known only now: centre the whole window.
      centredWithFrame_ = true;
      QRect frame = widget_->frameGeometry();
      TRect area = Screen ? Screen->WorkAreaRect() : TRect{};
      if (position_ >= poMainFormCenter && Application && Application->MainForm() && Application->MainForm() != this &&
          Application->MainForm()->Showing())
        area = Application->MainForm()->BoundsRect();
      if (!area.IsEmpty())
        widget_->move(area.Left + (area.Width() - frame.width()) / 2, area.Top + (area.Height() - frame.height()) / 2);
    }
    widget_->raise();
    widget_->activateWindow();
    if (activeControl_ && activeControl_->CanFocus()) activeControl_->SetFocus();
  } else if (widget_) {
    if (widget_->isVisible()) DoHide();
    if (widget_ && !Visible()) widget_->hide();
  }
}

void TCustomForm::TextChanged() {
  if (widget_) widget_->setWindowTitle(qt::Q(text_));
  TScrollingWinControl::TextChanged();
}

void TCustomForm::Show() {
  SetVisible(true);
  if (widget_) {
    widget_->raise();
    widget_->activateWindow();
  }
}

void TCustomForm::Hide() { SetVisible(false); }

bool TCustomForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TCustomForm::Close() {
  if (modal_) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::Release() {
  if (releasing_) return;
  releasing_ = true;
  HandleNeeded();
  PostMessage(this, CM_RELEASE);
}

void TCustomForm::SetModalResult(TModalResult Value) {
  modalResult_ = Value;
  if (modal_ && Value != mrNone && modalLoop_) modalLoop_->exit(0);
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  if (CloseQuery()) {
    action = caHide;
    DoClose(action);
  }
  if (action == caNone) modalResult_ = mrNone;
  else if (action == caFree) Release();
}

TModalResult TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || modal_)
    throw rtl::EInvalidOperation(u"Cannot make a visible window modal");
  CancelMouseCapture();
  modal_ = true;
  modalResult_ = mrNone;
  HandleNeeded();
  widget_->setWindowModality(Qt::ApplicationModal);
  QEventLoop loop;
  modalLoop_ = &loop;
  // Handlers run inside the loop may free this form (Release, an owner
  // going away); from then on only the loop on this stack may be touched.
  auto alive = alive_;
  auto finish = [&] {
    if (Application) Application->LeaveModal(&loop);
    if (!*alive) return;
    modalLoop_ = nullptr;
    modal_ = false;
    if (widget_) {
      SetVisible(false);
      widget_->setWindowModality(Qt::NonModal);
    }
  };
  // Kept above the window that opened it, as a modal window must be.
  QWidget* owner = qt::DialogOwner();
  if (owner && owner != widget_) {
    widget_->winId();
    owner->winId();
    widget_->windowHandle()->setTransientParent(owner->windowHandle());
  }
  if (Application) Application->EnterModal(&loop);
  try {
    Show();
    while (*alive) {
      if (Application && Application->Terminated()) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        break;
      }
      if (modalResult_ == mrNone) loop.exec();
      if (!*alive) break;
      if (Application && Application->Terminated()) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        break;
      }
      if (modalResult_ != mrNone) {
        CloseModal();
        if (!*alive || modalResult_ != mrNone) break;
      }
    }
  } catch (...) {
    finish();
    throw;
  }
  if (!*alive) {
    finish();
    return mrCancel;
  }
  TModalResult result = modalResult_;
  finish();
  return result;
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == activeControl_) return;
  activeControl_ = Control;
  if (Control && Showing() && Control->CanFocus() && !Control->Focused()) Control->SetFocus();
}

bool TCustomForm::Active() const { return widget_ && widget_->isActiveWindow(); }

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (!Control || Control == this || IsDestroying() || GetParentForm(Control) != this) return false;
  activeControl_ = Control;
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
  return true;
}

void TCustomForm::ForgetControl(TControl* Removed) {
  if (!Removed) return;
  auto* w = dynamic_cast<TWinControl*>(Removed);
  for (TWinControl** held : {&activeControl_, &focusTold_})
    if (*held && (*held == Removed || (w && w->ContainsControl(*held)))) *held = nullptr;
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == activeControl_) activeControl_ = nullptr;
  if (Operation == opRemove && AComponent == focusTold_) focusTold_ = nullptr;
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SHOWWINDOW:
      DefaultHandler(Message);
      SyncWindowState();
      return;
    case WM_CLOSE:
      Close();
      return;
    case CM_RELEASE:
      Free(this);
      return;
    case CM_DIALOGKEY: {
      // Offered to every control of the form until one takes it (buttons).
      std::function<bool(TWinControl*)> offer = [&](TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
          TControl* c = parent->Controls(i);
          TMessage m{CM_DIALOGKEY, Message.WParam, Message.LParam, 0};
          c->CallWindowProc(m);
          if (m.Result != 0) return true;
          if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible() && offer(w)) return true;
        }
        return false;
      };
      Message.Result = offer(this) ? 1 : 0;
      return;
    }
    default:
      TScrollingWinControl::Dispatch(Message);
  }
}

// --- TFrame -------------------------------------------------------------------------------

const TClassInfo& TForm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TForm>("TForm", &TCustomForm::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TFrame::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TFrame>("TFrame", &TScrollingWinControl::StaticClassInfo()).Build();
  return info;
}

TFrame::TFrame(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  BeginLoading();
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetParentColor(true);
  SetBounds(0, 0, 320, 240);
}

// --- TScrollBox -------------------------------------------------------------------------

const TClassInfo& TScrollBox::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TScrollBox>("TScrollBox", &TScrollingWinControl::StaticClassInfo())
                                     .Enum("BorderStyle", "TBorderStyle", {"bsNone", "bsSingle"},
                                           &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle, bsSingle)
                                     .Build();
  return info;
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetParentColor(true);
  SetBounds(0, 0, 185, 41);
}

TScrollBox::~TScrollBox() { BeginDestroy(); }

namespace {
// Qt keeps the viewport's margins to the scroll area's subclasses.
class FramedScrollArea : public qt::Host<QScrollArea> {
 public:
  using qt::Host<QScrollArea>::Host;
  void SetMargins(const TPadding& P) { setViewportMargins(P.Left, P.Top, P.Right, P.Bottom); }
};
}  // namespace

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  ApplyFrame();
  // A control drawing its own frame is asked for it again.
  SetWindowPos(0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
  Realign();
}

// With a frame of the control's own (WM_NCCALCSIZE) the control draws the
// border itself and the viewport sits inside that frame; otherwise Qt draws
// the border.
void TScrollBox::ApplyFrame() {
  auto* area = dynamic_cast<FramedScrollArea*>(widget_);
  if (!area) return;
  const bool own = NonClientMargins() != TPadding{};
  area->setFrameShape(own || borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
  area->SetMargins(NonClientMargins());
}

void TScrollBox::NonClientChanged() {
  ApplyFrame();
  UpdateContentSize();
  if (widget_) widget_->update();
}

QWidget* TScrollBox::CreateWidget(QWidget* Parent) {
  auto* area = new FramedScrollArea(this, false, Parent);
  area->setWidgetResizable(false);
  area->setFrameShape(borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
  content_ = new qt::Host<QWidget>(this, true);
  area->setWidget(content_);
  return area;
}

void TScrollBox::InitWidget() { UpdateContentSize(); }

void TScrollBox::DestroyHandle() {
  content_ = nullptr;
  TScrollingWinControl::DestroyHandle();
}

QWidget* TScrollBox::ClientWidget() {
  HandleNeeded();
  return content_;
}

TRect TScrollBox::ClientRect() const {
  auto* area = dynamic_cast<QScrollArea*>(widget_);
  if (area && area->isVisible()) {
    QSize s = area->viewport()->size();
    return Rect(0, 0, s.width(), s.height());
  }
  const TPadding& own = NonClientMargins();
  if (own != TPadding{})
    return Rect(0, 0, std::max(0, Width() - own.Left - own.Right), std::max(0, Height() - own.Top - own.Bottom));
  int frame = borderStyle_ == bsNone ? 0 : 2;
  return Rect(0, 0, std::max(0, Width() - 2 * frame), std::max(0, Height() - 2 * frame));
}

TPoint TScrollBox::ClientOrigin() const {
  if (content_) return qt::S(content_->mapToGlobal(QPoint(0, 0)));
  return TScrollingWinControl::ClientOrigin();
}

void TScrollBox::ChildBoundsChanged(TControl*) { UpdateContentSize(); }

void TScrollBox::SizeChanged(int OldWidth, int OldHeight) {
  TScrollingWinControl::SizeChanged(OldWidth, OldHeight);
  UpdateContentSize();
}

void TScrollBox::UpdateContentSize() {
  if (!content_) return;
  TRect client = ClientRect();
  int w = client.Width(), h = client.Height();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != alNone) continue;
    w = std::max(w, c->Left() + c->Width());
    h = std::max(h, c->Top() + c->Height());
  }
  content_->resize(w, h);
}

}  // namespace ui
