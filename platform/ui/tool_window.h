// A top-level tool window used only as visual feedback while dragging: no
// frame, above the other windows, never activated and never focused. It can
// be partly see-through (an opacity, or a colour key whose pixels let what
// lies below show).
#pragma once

#include "platform/ui/controls.h"

namespace ui {

class TToolWindow : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TToolWindow(TComponent* AOwner);
  ~TToolWindow() override;

  // Places the window at a screen rectangle and shows it on top, without
  // activating it.
  void ShowAt(const TRect& ScreenRect);
  // Hides the window (it keeps its place and size).
  void HideWindow();
  bool IsShown() const { return shown_; }
  bool CanFocus() const override { return false; }

  // 255: opaque.
  int AlphaBlendValue() const { return alpha_; }
  void SetAlphaBlendValue(int Value);
  // 0: no colour key; otherwise pixels of this colour are not part of the window.
  TColor TransparentColorValue() const { return colorKey_; }
  void SetTransparentColorValue(TColor Value);
  // Applies opacity and colour key to the window (again after its content changed).
  void ApplyLayering();

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  bool WidgetShouldBeVisible() const override { return shown_; }
  void SizeChanged(int OldWidth, int OldHeight) override;

 private:
  bool shown_ = false;
  int alpha_ = 255;
  TColor colorKey_ = 0;
};

// Interval in which a second click counts as a double click, in ms.
unsigned DoubleClickTime();

}  // namespace ui
