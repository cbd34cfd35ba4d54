// The pocket calculator control: a display line above a block of flat keys,
// worked with the mouse, the keyboard and the wheel over the calculator's
// key machine. Its children come from a stored layout (TCALCULATOREH) that is
// scaled to the screen's text height when it is loaded.
//
// TPopupCalculatorEx is the same calculator as a drop-down window: it never
// takes the focus and hands its result to its owner through IPopupOwnerEx;
// the editors that drop it down talk to it through IPopupCalculatorEx only.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "grid/editors/calculator_engine_ex.h"
#include "grid/editor_support/month_calendar.h"
#include "platform/ui/panels.h"
#include "platform/ui/label.h"
#include "grid/editor_support/speed_button_ex.h"
#include "platform/ui/ui.h"
#include "platform/runtime/variant.h"

namespace grid {

// Window and class styles the calculator's frame is worked out from.
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_BORDER = 0x00800000u;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080u;
constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x00000200u;
constexpr std::uint32_t CS_SAVEBITS = 0x00000800u;
// WM_MOUSEACTIVATE: leave the activation (and the focus) where it is.
constexpr ui::LRESULT MA_NOACTIVATE = 3;

struct TCalcCreateParamsEx {
  std::uint32_t Style = 0;
  std::uint32_t ExStyle = 0;
  std::uint32_t WindowClassStyle = 0;
};

// What AdjustWindowRectEx adds to an empty rectangle's height for a style.
int WindowFrameExtent(std::uint32_t Style, std::uint32_t ExStyle);

// One child of the stored layout.
struct TCalculatorLayoutItemEx {
  const char16_t* Name;
  const char16_t* Caption;
  int Left, Top, Width, Height;
  ui::TColor FontColor;
  int Tag;
};

// The stored layout as it was drawn: geometry at PixelsPerInch with a text
// height of TextHeight; the keys sit on the form, the display in Panel1.
struct TCalculatorLayoutEx {
  int ClientWidth = 0, ClientHeight = 0;
  int PixelsPerInch = 0;
  int TextHeight = 0;
  ui::TColor Color = ui::clBtnFace;
  int FontHeight = 0;
  ui::TColor FontColor = ui::clWindowText;
  ui::TBorderStyle BorderStyle = ui::bsNone;
  ui::TRect Panel;
  ui::TRect Display;
  std::vector<TCalculatorLayoutItemEx> Buttons;
};

// The layout named TCALCULATOREH.
const TCalculatorLayoutEx& CalculatorLayout();

class TCalculatorEx : public ui::TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TCalculatorEx(ui::TComponent* AOwner);
  // Built from another layout than the stored one.
  TCalculatorEx(ui::TComponent* AOwner, const TCalculatorLayoutEx& Layout);
  ~TCalculatorEx() override;

  // Layout children.
  ui::TPanel* Panel1 = nullptr;
  ui::TLabel* TextBox = nullptr;
  TSpeedButtonEx* spEqual = nullptr;
  // A key button by its layout name ("SpeedButton7"), or nil.
  TSpeedButtonEx* Button(const String& Name) const;

  // Every button, typed character and the Delete key end here.
  virtual void ProcessKey(char16_t Key);
  void DoCopy();
  void Paste();
  void SpeedButtonClick(ui::TObject* Sender);

  String DisplayText() const;
  void SetDisplayText(const String& Value);
  long double DisplayValue() const { return engine_.DisplayValue(); }
  void SetDisplayValue(long double Value);
  TCalcStateEx Status() const { return engine_.Status(); }
  void SetFormatSettings(const rtl::TFormatSettings& Settings) { engine_.SetFormatSettings(Settings); }

  ui::TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(ui::TBorderStyle Value);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool Value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  int LayoutClientWidth() const;
  void SetLayoutClientWidth(int Value);
  int LayoutClientHeight() const;
  void SetLayoutClientHeight(int Value);
  int PixelsPerInch() const;
  void SetPixelsPerInch(int Value);
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}
  int TextHeightOfLayout() const { return textHeight_; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(ui::TMessage& Message) override;

  // The frame its window style gives it, added to each of width and height.
  virtual int BorderExtent() const;
  virtual void PrepareCreateParams(TCalcCreateParamsEx& Params) const;

 protected:
  // Reads a layout into the control and scales it from the layout's text
  // height to the one the control's font has here.
  virtual void LoadFromReader(const TCalculatorLayoutEx& Layout);
  virtual void AdjustAutoSize();
  // Room the frame takes on each side of the client area.
  virtual int NonClientInset() const;
  // Sets the size the automatic sizing asks for.
  void ApplyAutoSize(int AWidth, int AHeight);
  // Fits the size to a new frame and gives the window the frame.
  void FrameChanged();
  // Paints the border the window style gives (a line or a sunken client
  // edge) on the window's canvas.
  void PaintWindowFrame();
  int GetTextHeight() const;
  void UpdateDisplay();
  TCalculatorEngineEx& Engine() { return engine_; }
  // The client size the automatic size keeps.
  int AutoClientWidth() const { return clientWidth_; }
  int AutoClientHeight() const { return clientHeight_; }

  void DoKeyPress(char16_t& Key) override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  bool DoMouseWheelDown(ui::TShiftState Shift, ui::TPoint MousePos) override;
  bool DoMouseWheelUp(ui::TShiftState Shift, ui::TPoint MousePos) override;

 private:
  void ScaleChildren(int M, int D);
  void SetLayoutClientSize(int& Size, bool& Scale, int Value);

  TCalculatorEngineEx engine_;
  ui::TBorderStyle borderStyle_ = ui::bsNone;
  bool ctl3D_ = true;
  bool autoSize_ = false;
  bool adjusting_ = false;
  int clientWidth_ = 0, clientHeight_ = 0;
  bool scaleClientWidth_ = false, scaleClientHeight_ = false;
  int pixelsPerInch_ = 0;
  int textHeight_ = 0;
};

// {697F81AD-0E0F-4A4A-A016-A713620660DE}
inline constexpr std::array<std::uint8_t, 16> IID_IPopupCalculatorEx = {
    0xAD, 0x81, 0x7F, 0x69, 0x0F, 0x0E, 0x4A, 0x4A, 0xA0, 0x16, 0xA7, 0x13, 0x62, 0x06, 0x60, 0xDE};

// What an editor asks of its drop-down calculator. The owner frees the popup;
// nothing here counts references.
class IPopupCalculatorEx {
 public:
  virtual ~IPopupCalculatorEx() = default;
  // True while Enter accepts the display (the equals key reads "Ok").
  virtual bool ReadyToAccept() = 0;
  virtual bool GetFlat() = 0;
  // The display as a double, or an error value (code -1) after "Error".
  virtual rtl::Variant GetValue() = 0;
  virtual void ApplyFlat(bool Value) = 0;
  // Clears the calculator and shows the value.
  virtual void SetValue(const rtl::Variant& Value) = 0;
};

class TPopupCalculatorEx : public TCalculatorEx, public IPopupCalculatorEx {
  JQ_UI_CLASSINFO
 public:
  explicit TPopupCalculatorEx(ui::TComponent* AOwner);
  ~TPopupCalculatorEx() override;

  bool Flat() const { return flat_; }
  void SetFlat(bool Value) { ApplyFlat(Value); }
  int BorderWidth() const { return borderWidth_; }
  bool CanFocus() const override { return false; }
  void ProcessKey(char16_t Key) override;
  void Dispatch(ui::TMessage& Message) override;
  void PrepareCreateParams(TCalcCreateParamsEx& Params) const override;

  bool ReadyToAccept() override;
  bool GetFlat() override { return flat_; }
  rtl::Variant GetValue() override;
  void ApplyFlat(bool Value) override;
  void SetValue(const rtl::Variant& Value) override;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void AdjustAutoSize() override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  // The raised frame round the client area, on the window's own canvas.
  virtual void PaintBorder();

 private:
  // Tells the owner, when it listens, that the drop-down ends.
  void OwnerCloseUp(bool Accept);
  void UpdateBorderWidth();

  int borderWidth_ = 0;
  bool flat_ = true;
};

}  // namespace grid
