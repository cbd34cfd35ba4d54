// The spin edit: a numeric edit with a spin button, bounds, steps from the
// button, the arrow keys and the wheel, and hexadecimal or grouped display.
// Also the spin button, the up-down variant and the shared button images.
#pragma once

#include <memory>
#include <vector>

#include "components/extended/ext_base_mask.h"
#include "platform/ui/updown.h"

namespace ext {

enum TValueType { vtInteger, vtFloat, vtHex };
enum TExtCheckOption { coCheckOnChange, coCheckOnExit, coCropBeyondLimit };
using TExtCheckOptions = ui::TSet<TExtCheckOption>;
enum TSpinButtonKind { bkStandard, bkDiagonal, bkClassic };
enum TExtSpinButtonStyle { sbsDefault, sbsClassic };
enum TSpinButtonState { sbNotDown, sbTopDown, sbBottomDown };

// The system's vertical scroll-bar width, at most 15.
int SpinScrollBarWidth();

// Six pre-drawn faces of one button size and style.
class TSpinButtonBitmaps {
 public:
  enum Face { TopDown, BottomDown, NoneDown, Disabled, TopHot, BottomHot, FaceCount };
  TSpinButtonBitmaps(int Width, int Height, TExtSpinButtonStyle Style, bool Custom);
  ~TSpinButtonBitmaps();
  int Width() const { return width_; }
  int Height() const { return height_; }
  TExtSpinButtonStyle Style() const { return style_; }
  bool Custom() const { return custom_; }
  void AddClient() { ++clients_; }
  // Frees this entry (leaving the manager's list) at zero clients.
  void RemoveClient();
  void Draw(ui::TCanvas* Canvas, int X, int Y, Face F);
  // Compares by width, height, style and custom flag, in that order.
  int Compare(int Width, int Height, TExtSpinButtonStyle Style, bool Custom) const;

 private:
  void Build();
  int width_, height_;
  TExtSpinButtonStyle style_;
  bool custom_;
  int clients_ = 0;
  bool built_ = false;
  bool builtThemed_ = false;
  std::uint32_t builtFace_ = 0;
  std::unique_ptr<ui::TBitmap> faces_[FaceCount];
};

class TSpinButtonBitmapsManager {
 public:
  // The one manager, made on first use; freed at zero clients.
  static TSpinButtonBitmapsManager* Instance(bool Create = true);
  void AddClient() { ++clients_; }
  void RemoveClient();
  // The entry for the size, style and custom flag (found by bisection or
  // inserted at its place), with one more client.
  TSpinButtonBitmaps* WantButtons(int Width, int Height, bool Custom, TExtSpinButtonStyle Style);
  void Remove(TSpinButtonBitmaps* Entry);
  int Count() const { return static_cast<int>(list_.size()); }

 private:
  std::vector<TSpinButtonBitmaps*> list_;
  int clients_ = 0;
};

class TExtSpinButton : public TExtBaseGraphicControl {
  JQ_UI_CLASSINFO
 public:
  explicit TExtSpinButton(ui::TComponent* AOwner);
  ~TExtSpinButton() override;

  TExtSpinButtonStyle ButtonStyle() const { return style_; }
  void SetButtonStyle(TExtSpinButtonStyle Value);
  TSpinButtonState State() const { return state_; }
  ui::TWinControl* FocusControl() const { return static_cast<ui::TWinControl*>(focusControl_); }
  void SetFocusControl(ui::TWinControl* Value);
  unsigned InitRepeatPause() const { return initRepeatPause_; }
  void SetInitRepeatPause(unsigned Value) { initRepeatPause_ = Value; }
  unsigned RepeatPause() const { return repeatPause_; }
  void SetRepeatPause(unsigned Value) { repeatPause_ = Value; }
  ui::TBitmap* UpGlyph() const { return upGlyph_.get(); }
  ui::TBitmap* DownGlyph() const { return downGlyph_.get(); }
  void SetUpGlyph(const ui::TBitmap* Value);
  void SetDownGlyph(const ui::TBitmap* Value);
  // Whether a point lies in the bottom half.
  bool InBottomHalf(int X, int Y) const;

  ui::TNotifyEvent OnTopClick;
  ui::TNotifyEvent OnBottomClick;

  void Dispatch(TMessage& M) override;

 protected:
  void Paint() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void NotifyMouseLeave(ui::TControl* Control) override;
  virtual void TopClick();
  virtual void BottomClick();

 private:
  void TimerExpired(ui::TObject*);
  void SetState(TSpinButtonState Value);
  void SetGlyph(std::unique_ptr<ui::TBitmap>& Glyph, const ui::TBitmap* Value);
  TExtSpinButtonStyle style_ = sbsDefault;
  TSpinButtonState state_ = sbNotDown;
  TSpinButtonState firstDown_ = sbNotDown;
  TSpinButtonState hot_ = sbNotDown;
  ui::TComponent* focusControl_ = nullptr;
  unsigned initRepeatPause_ = 400;
  unsigned repeatPause_ = 100;
  ui::TTimer* repeatTimer_ = nullptr;
  std::unique_ptr<ui::TBitmap> upGlyph_, downGlyph_;
  TSpinButtonBitmaps* images_ = nullptr;
  bool leftDown_ = false;
};

class TExtUpDown : public ui::TCustomUpDown {
  JQ_UI_CLASSINFO
 public:
  explicit TExtUpDown(ui::TComponent* AOwner);
  ~TExtUpDown() override;
  void Dispatch(TMessage& M) override;

 private:
  bool changing_ = false;
};

class TExtCustomSpinEdit : public TExtBaseCustomMaskEdit {
  JQ_UI_CLASSINFO
 public:
  explicit TExtCustomSpinEdit(ui::TComponent* AOwner);
  ~TExtCustomSpinEdit() override;

  virtual double Value() const;
  virtual void SetValue(double NewValue);
  // Value truncated toward zero, held to the 32-bit range.
  std::int32_t AsInteger() const;
  void SetAsInteger(std::int32_t Value) { SetValue(Value); }

  double MinValue() const { return minValue_; }
  void SetMinValue(double Value);
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double Value);
  bool CheckMinValue() const { return checkMinValue_; }
  void SetCheckMinValue(bool Value);
  bool CheckMaxValue() const { return checkMaxValue_; }
  void SetCheckMaxValue(bool Value);
  TExtCheckOptions CheckOptions() const { return checkOptions_; }
  void SetCheckOptions(TExtCheckOptions Value);
  // The set as a bit mask, for property stores.
  std::uint64_t CheckOptionBits() const { return checkOptions_.Bits(); }
  void SetCheckOptionBits(std::uint64_t Value) { SetCheckOptions(TExtCheckOptions::FromBits(Value)); }
  double Increment() const { return increment_; }
  void SetIncrement(double Value) { increment_ = Value; }
  int Decimal() const { return decimal_; }
  void SetDecimal(int Value);
  TValueType ValueType() const { return valueType_; }
  virtual void SetValueType(TValueType Value);
  bool Thousands() const { return thousands_; }
  void SetThousands(bool Value);
  const String& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& Value);
  static String StandardDisplayFormat() { return u",0.##"; }
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool Value) { editorEnabled_ = Value; }
  bool ArrowKeys() const { return arrowKeys_; }
  void SetArrowKeys(bool Value);
  bool ShowButton() const { return showButton_; }
  void SetShowButton(bool Value);
  TSpinButtonKind ButtonKind() const { return buttonKind_; }
  void SetButtonKind(TSpinButtonKind Value);
  ui::TAlignment Alignment() const { return alignment_; }
  void SetAlignment(ui::TAlignment Value);

  TExtSpinButton* Button() const { return button_; }
  ui::TWinControl* ButtonWindow() const { return btnWindow_; }
  TExtUpDown* UpDown() const { return upDown_; }

  virtual void StepUp();
  virtual void StepDown();
  virtual bool AcceptsChar(char16_t Key);
  double ClampValue(double X) const;
  // Clamped value; raises ERangeError when asked and the value is outside.
  double ValidateRange(double X, bool Raise) const;
  int MinimumHeight() const;

  ui::TNotifyEvent OnTopClick;
  ui::TNotifyEvent OnBottomClick;

  void Dispatch(TMessage& M) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  virtual void ShowEditFormat();
  void Change() override;
  void Loaded() override;
  void InitWidget() override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void NotifyBoundsChanged() override;
  void NotifyFocusGained(ui::TWinControl* Previous) override;
  void NotifyFocusLost(ui::TWinControl* Next) override;
  void NotifyFontChanged() override;
  void NotifyEnabledChanged() override;
  void BuildButton();
  void LayoutButton();

 private:
  void SetFocusState(bool Focused);
  void SetBound(bool Upper, double Value);
  void TextChangeSteps();
  void Step(double Delta, const ui::TNotifyEvent& Event);
  bool showButton_ = true;
  bool checkMaxValue_ = false;
  bool checkMinValue_ = false;
  TExtCheckOptions checkOptions_{coCheckOnChange, coCheckOnExit, coCropBeyondLimit};
  String displayFormat_;
  bool focused_ = false;
  bool lCheckMaxValue_ = true, lCheckMinValue_ = true;
  ui::TAlignment alignment_ = ui::taLeftJustify;
  double minValue_ = 0, maxValue_ = 0;
  double oldValue_ = 0;
  double increment_ = 1.0;
  int decimal_ = 2;
  bool changing_ = false;
  bool editorEnabled_ = true;
  TValueType valueType_ = vtInteger;
  TExtSpinButton* button_ = nullptr;
  ui::TWinControl* btnWindow_ = nullptr;
  bool arrowKeys_ = true;
  TExtUpDown* upDown_ = nullptr;
  bool thousands_ = false;
  bool isNegative_ = false;
  TSpinButtonKind buttonKind_ = bkDiagonal;
  bool destroying_ = false;
};

class TExtSpinEdit : public TExtCustomSpinEdit {
  JQ_UI_CLASSINFO
 public:
  explicit TExtSpinEdit(ui::TComponent* AOwner);
  ~TExtSpinEdit() override;
};

}  // namespace ext
