// A top-level window that drops down from an editor without taking the
// keyboard focus: the editor keeps it (and forwards keys), the popup still
// takes clicks and hover. A press anywhere outside it closes it.
#pragma once

#include <memory>

#include "platform/ui/controls.h"

class QObject;

namespace ui {

// Turns a control's new, parentless widget into a window like TPopupWindow's
// (on top, shown without activation, never focused), for controls that
// drop down yet derive from another class (list boxes, calendars). With
// TakesFocus the window is a frameless tool window that can hold the focus
// (a calendar that handles its own keys).
void MakePopupWidget(QWidget* Widget, bool TakesFocus = false);
// Whether MakePopupWidget made the widget a drop-down window: such a window
// shows when its control is visible, with or without a parent control.
bool IsPopupWidget(const QWidget* Widget);

class TPopupWindow : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TPopupWindow(TComponent* AOwner);
  ~TPopupWindow() override;

  // Shows the window at a screen rectangle, on top, without activating it.
  void Popup(const TRect& ScreenRect);
  // Hides it; OnCloseUp runs once per shown popup (Accept false when closed
  // by an outside press or cancel mode).
  void CloseUp(bool Accept);
  bool IsPopupShown() const;
  bool CanFocus() const override { return false; }

  std::function<void(TObject* Sender, bool Accept)> OnCloseUp;

  void Dispatch(TMessage& Message) override;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  bool WidgetShouldBeVisible() const override;

 private:
  std::unique_ptr<QObject> pressFilter_;
  bool shown_ = false;
};

}  // namespace ui
