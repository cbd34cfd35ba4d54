// Forms (top-level windows), frames and scroll boxes.
#pragma once

#include "platform/ui/controls.h"

class QEventLoop;

namespace ui {

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon : std::uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;

// A control that scrolls its children when they do not fit.
class TScrollingWinControl : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  using TCustomControl::TCustomControl;
};

class TCustomForm : public TScrollingWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Finishes loading the layout, then runs OnCreate.
  void AfterConstruction() override;
  // Runs OnDestroy while the form is still whole.
  void BeforeDestruction() override;

  void Show();
  void Hide();
  // Asks OnCloseQuery and OnClose; a modal form ends with mrCancel.
  void Close();
  // Shows the form modally and runs a message loop until ModalResult is set.
  TModalResult ShowModal();
  // Frees the form once the handler that asked has returned.
  void Release();
  bool IsModal() const { return modal_; }

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value);
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle Value);
  // The title bar's buttons. A dialog border never has minimise and
  // maximise buttons; without the system menu there is no close button.
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition Value) { position_ = Value; }
  TWindowState WindowState() const { return windowState_; }
  void SetWindowState(TWindowState Value);
  // Bounds the form has in the normal (not minimised or maximised) state.
  TRect NormalBoundsRect() const;
  void SetNormalBoundsRect(const TRect& R);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle Value);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool Value) { keyPreview_ = Value; }
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* Control);
  // Records Control as the one holding the form's focus and tells every
  // control; the window focus itself stays where it is. False: refused (not
  // a control of this form, or the form is going).
  bool SetFocusedControl(TWinControl* Control);
  bool Active() const;
  int PixelsPerInch() const { return ScreenPixelsPerInch; }

  virtual bool CloseQuery();
  bool Showing() const override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  void Dispatch(TMessage& Message) override;

 protected:
  friend class TWinControl;
  virtual void DoCreate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void DoDestroy();
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  bool WidgetShouldBeVisible() const override;
  void VisibleChanged() override;
  void TextChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void BoundsChanged(const TRect& OldBounds) override;
  void ForgetControl(TControl* Removed);
  void SyncWindowState();

 private:
  void ApplyWindowFlags();
  void PlaceOnFirstShow();
  void CloseModal();

  TModalResult modalResult_ = mrNone;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TWindowState windowState_ = wsNormal;
  TFormStyle formStyle_ = fsNormal;
  bool keyPreview_ = false;
  bool modal_ = false;
  bool placed_ = false;
  bool centredWithFrame_ = false;
  bool destroyRaised_ = false;
  bool releasing_ = false;
  TWinControl* activeControl_ = nullptr;
  // The control last told by the platform that it has the focus (a window
  // activation that gives it the focus again says nothing new).
  TWinControl* focusTold_ = nullptr;
  QEventLoop* modalLoop_ = nullptr;
};

class TForm : public TCustomForm {
  JQ_UI_CLASSINFO
 public:
  using TCustomForm::TCustomForm;
};

// A panel of controls built as a unit and placed on a form at run time.
class TFrame : public TScrollingWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TFrame(TComponent* AOwner);
};

// Holds its children at absolute positions and scrolls when they do not fit.
class TScrollBox : public TScrollingWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TScrollBox(TComponent* AOwner);
  ~TScrollBox() override;
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TRect ClientRect() const override;
  QWidget* ClientWidget() override;
  TPoint ClientOrigin() const override;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  void ChildBoundsChanged(TControl* Child) override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void DestroyHandle() override;
  void NonClientChanged() override;

 private:
  void UpdateContentSize();
  void ApplyFrame();
  TBorderStyle borderStyle_ = bsSingle;
  QWidget* content_ = nullptr;
};

}  // namespace ui
