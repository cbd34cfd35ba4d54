// Balloon hint: a borderless top-most window near a screen point showing a
// short message, as a plain rectangle or as a speech balloon whose tail
// points at the point, hidden again after a pause.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/hint_window.h"
#include "platform/ui/ui.h"

namespace aux {

enum THintPosition { hpUpLeft, hpUpRight, hpDownLeft, hpDownRight };
enum THintStyle { hsNormal, hsBalloonHint, hsAuto };

class TAuxInternalHintWindow;

// Settings shared by the hint windows (colours, font, glyph, title, drawing
// events). Creating or loading one makes the balloon window the class of the
// application's tool tips.
class TAuxHint : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TAuxHint(ui::TComponent* AOwner);
  ~TAuxHint() override;
  void Loaded() override;

  ui::TAlignment Alignment = ui::taLeftJustify;
  ui::TColor BackColor = ui::clInfoBk;
  ui::TColor BorderColor = ui::clBlack;
  THintPosition HintPosition = hpDownRight;
  THintStyle HintStyle = hsAuto;
  ui::String Title;
  ui::TFont* Font() const { return font_.get(); }
  void SetFont(ui::TFont* Value);
  ui::TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(ui::TBitmap* Value);

  std::function<void(ui::TObject*, ui::TRect&, ui::String&)> OnBeforeHint;
  std::function<void(ui::TObject*, ui::TRect&, ui::String&)> OnMeasureRect;
  std::function<void(ui::TObject*, ui::TCanvas*, const ui::String&, const ui::TRect&)> OnOwnerDraw;

  // Every live hint component, oldest first.
  static const std::vector<TAuxHint*>& Instances();

 private:
  // Makes the balloon window the application's tool-tip class, has the
  // application make its tool-tip window anew and hands the font to every
  // hint window.
  void TakeOverApplicationHint();
  void FontChanged();

  // Accessors of the published properties.
  ui::TAlignment GetAlignment() const { return Alignment; }
  void PutAlignment(ui::TAlignment V) { Alignment = V; }
  ui::TColor GetBackColor() const { return BackColor; }
  void PutBackColor(ui::TColor V) { BackColor = V; }
  ui::TColor GetBorderColor() const { return BorderColor; }
  void PutBorderColor(ui::TColor V) { BorderColor = V; }
  THintPosition GetHintPosition() const { return HintPosition; }
  void PutHintPosition(THintPosition V) { HintPosition = V; }
  THintStyle GetHintStyle() const { return HintStyle; }
  void PutHintStyle(THintStyle V) { HintStyle = V; }
  ui::String GetTitle() const { return Title; }
  void PutTitle(const ui::String& V) { Title = V; }

  std::unique_ptr<ui::TFont> font_;
  std::unique_ptr<ui::TBitmap> glyph_;
};

// Where the body and tail of a hint go, in screen coordinates.
struct THintLayout {
  THintPosition Position = hpUpLeft;
  ui::TRect Window;              // the whole window
  ui::TRect Body;                // the rounded body or rectangle
  std::vector<ui::TPoint> Tail;  // three points for a balloon, else empty
};

// Chooses the side for a body of W x H at P inside WorkArea and lays it out.
// CursorBelow is the height of the cursor image below its hot spot.
THintLayout LayoutHint(ui::TPoint P, int W, int H, bool Balloon, THintPosition Preferred, const ui::TRect& WorkArea,
                       int CursorBelow);
// The window rectangle moved (not resized) to lie inside WorkArea.
ui::TRect KeepOnScreen(ui::TRect R, const ui::TRect& WorkArea);

class TAuxInternalHintWindow : public ui::THintWindow {
 public:
  explicit TAuxInternalHintWindow(ui::TComponent* AOwner);
  ~TAuxInternalHintWindow() override;

  void ActivateHint(const ui::TRect& Rect, const ui::String& Hint) override;
  // HidePause: 0 the default pause, below 0 shown until replaced or released.
  void ActivateHintFromPos(ui::TPoint P, const ui::String& Hint, const ui::String& Title, int HidePause);
  virtual void DoCancelHint();
  void StopHideTimer() { timer_->SetEnabled(false); }
  void ReleaseHandle() override;
  void Dispatch(ui::TMessage& Message) override;
  // Whether the window is inside the loop of its watch message.
  bool Watching() const { return watching_ != nullptr; }

  THintPosition HintPosition() const { return position_; }
  void SetHintPosition(THintPosition Value, bool FromWindow);
  ui::TAlignment Alignment = ui::taLeftJustify;
  THintStyle HintStyle = hsAuto;
  ui::TBitmap* Glyph() const { return glyph_.get(); }
  TAuxHint* Hint() const { return hint_; }
  ui::TBitmap* Picture() const { return bitmap_.get(); }
  const THintLayout& Layout() const { return layout_; }
  bool TimerRunning() const { return timer_ && timer_->Enabled(); }
  std::uint64_t LastActive() const { return lastActive_; }

  ui::TNotifyEvent OnCancelHint;

  static const std::vector<TAuxInternalHintWindow*>& Instances();
  // A hint component going away is forgotten by every window that used it.
  static void ForgetHint(TAuxHint* Hint);

 protected:
  void Paint() override;

 private:
  void MeasureHintText(const ui::String& Text, int GW, bool Title, bool Balloon, int GH, int& W, int& H);
  void DrawHintText(ui::TCanvas* C, const ui::String& Text, const ui::TRect& Body, bool Balloon);
  void TimerFired(ui::TObject*);
  void Watch(ui::TPoint P);

  std::unique_ptr<ui::TTimer> timer_;
  std::unique_ptr<ui::TBitmap> bitmap_;
  std::unique_ptr<ui::TBitmap> glyph_;
  std::uint64_t lastActive_ = 0;
  TAuxHint* hint_ = nullptr;
  THintPosition position_ = hpDownRight;
  bool modified_ = false;
  bool firstLineAsTitle_ = false;
  THintLayout layout_;
  int hidePause_ = 0;
  // Set while the watch loop runs; cleared (through the pointer) when the
  // window goes meanwhile.
  bool* watching_ = nullptr;
};

// Posted to a shown hint window with a hide pause; LParam holds the point.
constexpr std::uint32_t AUX_WM_WATCHHINT = 0x757;

class TAuxHintWindow : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TAuxHintWindow(ui::TComponent* AOwner);
  ~TAuxHintWindow() override;

  void ActivateHint(const ui::String& Hint, const ui::String& Title);
  void ActivateHintFromPos(ui::TPoint P, const ui::String& Hint, const ui::String& Title, int HidePause);
  void ReleaseHandle();

  THintPosition HintPosition() const { return window_->HintPosition(); }
  void SetHintPosition(THintPosition Value) { window_->SetHintPosition(Value, true); }
  ui::TAlignment Alignment() const { return window_->Alignment; }
  void SetAlignment(ui::TAlignment Value) { window_->Alignment = Value; }
  THintStyle HintStyle() const { return window_->HintStyle; }
  void SetHintStyle(THintStyle Value) { window_->HintStyle = Value; }
  ui::TBitmap* Glyph() const { return window_->Glyph(); }
  void SetGlyph(ui::TBitmap* Value);
  TAuxInternalHintWindow* HintWindow() const { return window_; }

  ui::TNotifyEvent OnCancelHint;

 private:
  TAuxInternalHintWindow* window_;
};

}  // namespace aux
