// The tool-tip window: a borderless top-most window showing a short text at
// a screen rectangle, without taking the focus or activating anything.
// Subclasses change its size (CalcHintRect) and look (Paint).
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/bitmap.h"
#include "platform/ui/controls.h"

class QRegion;

namespace ui {

class THintWindow;

// Makes a tool-tip window of a chosen class, owned by Owner.
using THintWindowClass = std::function<THintWindow*(TComponent* Owner)>;

// A tool tip about to show, offered to its control as CM_HINTSHOW's LParam.
// The control may change the text, place, window class or data; a non-zero
// result refuses the tool tip.
struct THintInfo {
  TControl* HintControl = nullptr;
  // Empty: the application's tool-tip window.
  THintWindowClass HintWindowClass;
  // Screen point of the window's top left.
  TPoint HintPos;
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  String HintStr;
  // Handed to the window's CalcHintRect and ActivateHintData.
  void* HintData = nullptr;
  // Client rectangle of HintControl the tip belongs to: the tip goes when
  // the mouse leaves it. Empty: the whole control.
  TRect CursorRect{};
  // > 0: the control is asked again after this many ms while its tip shows.
  int ReshowTimeout = 0;
  // > 0: the tip goes after this many ms (offered as the application's
  // HintHidePause); otherwise it stays until the mouse leaves it.
  int HideTimeout = -1;
};

class THintWindow : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit THintWindow(TComponent* AOwner);
  ~THintWindow() override;

  // Shows Hint in the screen rectangle (moved onto the screen when it sticks out).
  virtual void ActivateHint(const TRect& Rect, const String& Hint);
  // The same with data a subclass may use (the caller's hint data).
  virtual void ActivateHintData(const TRect& Rect, const String& Hint, void* Data);
  // The rectangle (at 0, 0) the text needs, broken into lines no wider than MaxWidth.
  virtual TRect CalcHintRect(int MaxWidth, const String& Hint, void* Data);
  // Hides the window.
  virtual void ReleaseHandle();
  bool IsHintShown() const { return shown_; }
  // A see-through window: pixels the paint leaves clear show what lies below.
  void SetTranslucent(bool Value);
  // The window's shape: the pixels of Shape whose colour is not Key; input
  // and paint outside it fall through to what lies below. A nil Shape gives
  // the whole rectangle back.
  void SetWindowShape(TBitmap* Shape, TColor Key);
  bool HasWindowShape() const { return shape_ != nullptr; }
  // Whether the client point P lies inside the shape (everywhere without one).
  bool WindowShapeContains(TPoint P) const;
  bool CanFocus() const override { return false; }

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  QWidget* CreateWidget(QWidget* Parent) override;
  bool WidgetShouldBeVisible() const override;

 private:
  bool shown_ = false;
  bool translucent_ = false;
  std::unique_ptr<QRegion> shape_;
};

}  // namespace ui
