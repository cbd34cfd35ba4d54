// A panel docked at the bottom of a window that holds status panes side by
// side and draws a size grip.
#pragma once

#include <memory>

#include "components/support/panels/kit_panel.h"

namespace kit {

class TKitStatusBar : public TKitCustomPanel {
  JQ_UI_CLASSINFO
 public:
  explicit TKitStatusBar(ui::TComponent* AOwner);
  ~TKitStatusBar() override;

  bool AutoScalePanes() const { return FAutoScalePanes; }
  void SetAutoScalePanes(bool Value) { FAutoScalePanes = Value; }
  bool AutoStyle() const { return FAutoStyle; }
  void SetAutoStyle(bool Value) { FAutoStyle = Value; }
  bool ShowSizeGrip() const { return FShowSizeGrip; }
  virtual void SetShowSizeGrip(bool Value);
  const String& SimpleCaption() const { return FSimpleCaption; }
  virtual void SetSimpleCaption(const String& Value);
  bool SimpleStatus() const { return FSimpleStatus; }
  virtual void SetSimpleStatus(bool Value);
  TFrameStyle SimpleFrameStyle() const { return FSimpleFrameStyle; }
  virtual void SetSimpleFrameStyle(TFrameStyle Value);

  void SetBorderInner(TFrameStyleEx Value) override;
  void SetBorderOuter(TFrameStyleEx Value) override;
  void SetBorderSides(TSides Value) override;

  // The client area: one row below the bar and a pixel beyond each side
  // without themes, so the panes' frames meet the window's edges.
  TRect ClientRect() const override;
  // Whether the window holding the bar lets itself be sized from a grip now.
  bool SizeGripValid();
  // Whether the bar draws with the platform's themes.
  bool UseThemes() const;
  // The grip area: the rightmost 13 pixels, full height.
  bool InSizeGrip(int X) const { return X >= Width() - 13; }

 protected:
  virtual void DrawSimpleFrame(TRect R);
  virtual void ApplyStatusBarStyle();
  void GetGradientColors(TColor& First, TColor& Second) override;
  void Paint() override;
  void PaintWindow(QWidget* Target, const TRect& Area, const std::function<void()>& Base) override;
  void Loaded() override;
  void Resize() override;
  void Dispatch(ui::TMessage& Message) override;
  void WndProc(ui::TMessage& Message) override;

 private:
  void DrawSizeGrip();
  void UpdateGripCursor(int X);

  bool FAutoStyle = true;
  std::unique_ptr<ui::TControlCanvas> FSizeGripCanvas;
  bool FSimpleStatus = false;
  String FSimpleCaption;
  TFrameStyle FSimpleFrameStyle = fsFlat;
  bool FSizeGripValid = false;
  bool FShowSizeGrip = true;
  bool FAutoScalePanes = false;
  bool FFirst = true;
  int FDelta = 0;
  int FLastWidth = 0;
  bool FGripCursor = false;
};

}  // namespace kit
