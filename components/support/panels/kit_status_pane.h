// Status panes: windowless controls on a status bar showing one caption in
// a frame; field panes draw a label in front of the caption. Blinking panes
// share one timer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "components/support/panels/kit_common.h"
#include "components/support/panels/kit_frame_controller.h"

namespace kit {

class TKitCustomStatusPane;

// Notices of the shared blink timer to the panes.
constexpr std::uint32_t CM_BLINKQUERY = 0xB3E8;  // answer 1: the pane blinks
constexpr std::uint32_t CM_BLINKSTATE = 0xB3E9;  // WParam: the list's new TBlinkState

// One per process while any pane exists: the timer every blinking pane follows.
class TKitBlinkingControlsList {
 public:
  TKitBlinkingControlsList();
  ~TKitBlinkingControlsList();
  void Add(TKitCustomStatusPane* Pane);
  void Remove(TKitCustomStatusPane* Pane);
  int Count() const { return static_cast<int>(FControls.size()); }
  TBlinkState BlinkState() const { return FBlinkState; }
  std::uint16_t IntervalOff() const { return FIntervalOff; }
  // 0 pauses the blink while that period runs; a later non-zero value
  // starts the timer again.
  void SetIntervalOff(std::uint16_t Value);
  std::uint16_t IntervalOn() const { return FIntervalOn; }
  void SetIntervalOn(std::uint16_t Value);
  void TimerFired();
  // Whether the timer runs (false while paused by a zero interval).
  bool Running() const;

  // The shared list, or nullptr when no pane exists.
  static TKitBlinkingControlsList* Instance();

 private:
  TBlinkState FBlinkState = bsOff;
  std::vector<TKitCustomStatusPane*> FControls;
  std::unique_ptr<ui::TTimer> FTimer;
  std::uint16_t FIntervalOff = 500;
  std::uint16_t FIntervalOn = 500;
  // Which interval the running period uses: the lit one (On) or the other.
  bool FWaitingOn = false;
  void IntervalChanged(bool IsOn, std::uint16_t Value);
};

class TKitCustomStatusPane : public ui::TGraphicControl, public IFrameControllerNotification {
  JQ_UI_CLASSINFO
 public:
  explicit TKitCustomStatusPane(ui::TComponent* AOwner);
  ~TKitCustomStatusPane() override;

  // Themed when the parent is a status bar in the XP style and themes are on.
  bool UseThemes() const;
  // With AutoHint, the hint action's text becomes the caption.
  bool ExecuteAction(ui::TBasicAction* Action) override;
  void FrameControllerChanged(TKitFrameController* Controller) override;

  ui::TAlignment Alignment() const { return FAlignment; }
  virtual void SetAlignment(ui::TAlignment Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool AutoHint() const { return FAutoHint; }
  void SetAutoHint(bool Value) { FAutoHint = Value; }
  int DefaultWidth() const { return FDefaultWidth; }
  virtual void SetDefaultWidth(int Value);
  bool Blinking() const { return FBlinking; }
  virtual void SetBlinking(bool Value);
  TColor BlinkColor() const { return FBlinkColor; }
  virtual void SetBlinkColor(TColor Value);
  TBlinkState BlinkState() const { return FBlinkState; }
  virtual unsigned BlinkIntervalOff() const;
  virtual void SetBlinkIntervalOff(unsigned Value);
  virtual unsigned BlinkIntervalOn() const;
  virtual void SetBlinkIntervalOn(unsigned Value);
  int BorderWidth() const { return FBorderWidth; }
  virtual void SetBorderWidth(int Value);
  String Caption() const { return GetText(); }
  virtual void SetCaption(const String& Value) { SetText(Value); }
  int CaptionOffset() const { return FCaptionOffset; }
  virtual void SetCaptionOffset(int Value);
  TColor FillColor() const { return FFillColor; }
  virtual void SetFillColor(TColor Value);
  bool ParentFillColor() const { return FParentFillColor; }
  virtual void SetParentFillColor(bool Value);
  TColor FlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor Value);
  int FlatColorAdjustment() const { return FFlatColorAdjustment; }
  // Raises ERangeError beyond +-255.
  virtual void SetFlatColorAdjustment(int Value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value);
  TKitFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TKitFrameController* Value);
  TKitFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TKitFrameControllerNotifications Value) {
    FFrameControllerNotifications = Value;
  }
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  // The colour the caption is drawn in now (the font's, or the blink colour).
  TColor CurrentColor() const { return FCurrentColor; }

 protected:
  virtual int CalcPaneWidth();
  virtual TRect CalcTextRect();
  virtual void DrawCaption(const String& Text);
  virtual void DrawPaneFrame();
  virtual void ApplyFrameController();
  virtual void Blink(TBlinkState State);
  // Whether the point (pane coordinates) lies where the bar's grip works.
  virtual bool InSizeGripArea(ui::TPoint P);
  // Measures and sets Width (AutoSize, outside loading).
  void AdjustSize();
  int TextWidthOf(const String& Text);
  TRect BaseTextRect();
  // Draws one line of text at (X, Y) clipped to R, in the pane's reading order.
  void DrawTextLine(const TRect& R, int X, int Y, unsigned Align, TColor Color, const String& Text);

  void Paint() override;
  void Loaded() override;
  void FontChanged() override;
  void ColorChanged() override;
  void TextChanged() override;
  void Dispatch(ui::TMessage& Message) override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  std::uint64_t NotificationBits() const { return FFrameControllerNotifications.Bits(); }
  void SetNotificationBits(std::uint64_t v) {
    SetFrameControllerNotifications(TKitFrameControllerNotifications::FromBits(v));
  }
  friend class TKitCustomFieldStatus;
  friend class TKitStatusPane;

  ui::TAlignment FAlignment = ui::taLeftJustify;
  bool FAutoSize = false;
  bool FAutoHint = false;
  int FDefaultWidth = 40;
  TColor FBlinkColor = ui::clHighlight;
  TBlinkState FBlinkState = bsOff;
  bool FBlinking = false;
  TColor FFontColor;
  int FBorderWidth = 1;
  int FCaptionOffset = 2;
  bool FParentFillColor = true;
  TColor FFillColor = ui::clBtnFace;
  TColor FFlatColor = ui::clBtnShadow;
  int FFlatColorAdjustment = 30;
  TFrameStyle FFrameStyle = fsFlat;
  TKitFrameController* FFrameController = nullptr;
  TKitFrameControllerNotifications FFrameControllerNotifications = fccAll;
  bool FTransparent = true;
  TColor FCurrentColor;
};

class TKitStatusPane : public TKitCustomStatusPane {
  JQ_UI_CLASSINFO
 public:
  using TKitCustomStatusPane::TKitCustomStatusPane;
};

// A pane that draws a label in front of its caption.
class TKitCustomFieldStatus : public TKitCustomStatusPane {
  JQ_UI_CLASSINFO
 public:
  explicit TKitCustomFieldStatus(ui::TComponent* AOwner);

  const String& FieldLabel() const { return FFieldLabel; }
  virtual void SetFieldLabel(const String& Value);
  TColor FieldLabelColor() const { return FFieldLabelColor; }
  virtual void SetFieldLabelColor(TColor Value);

 protected:
  int CalcPaneWidth() override;
  TRect CalcTextRect() override;
  void DrawCaption(const String& Text) override;

 private:
  String FFieldLabel;
  TColor FFieldLabelColor = ui::clHighlight;
};

}  // namespace kit
