#include "grid/editors/db_number_edit_ex.h"

#include "platform/ui/clipboard.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/ui/keys.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/classes/scoped_change.h"

namespace grid {

using namespace ui;

namespace {

bool Within(TControl* C, TControl* Container) {
  for (; C; C = C->Parent())
    if (C == Container) return true;
  return false;
}

}  // namespace

TCustomDBNumberEditEx::TCustomDBNumberEditEx(TComponent* AOwner) : TCustomDBEditEx(AOwner) {
  SetControlStyle(ControlStyle() - csSetCaption);
  SetMaxLength(0);
  value_.SetDecimalPlaces(2);
  value_.SetIncrement(1);
  DataChanged();
}

TCustomDBNumberEditEx::~TCustomDBNumberEditEx() { BeginDestroy(); }

void TCustomDBNumberEditEx::SetFormatSettings(const rtl::TFormatSettings& Settings) {
  value_.SetFormatSettings(Settings);
  if (dropDownCalculator_) dropDownCalculator_->SetFormatSettings(Settings);
  DataChanged();
}

void TCustomDBNumberEditEx::SetCurrency(bool Value) {
  value_.SetCurrency(Value);
  Invalidate();
  DataChanged();
}

void TCustomDBNumberEditEx::SetDecimalPlaces(unsigned Value) {
  value_.SetDecimalPlaces(Value);
  Invalidate();
  DataChanged();
}

void TCustomDBNumberEditEx::SetDisplayFormat(const String& Value) {
  value_.SetDisplayFormat(Value);
  Invalidate();
  DataChanged();
}

void TCustomDBNumberEditEx::SetMaxValue(long double Value) {
  if (Value == value_.MaxValue() && (value_.AssignedValues() & evMaxValueEx)) return;
  value_.SetMaxValue(Value);
  if (!IsLoading() && DataIndepended()) UpdateData();
}

void TCustomDBNumberEditEx::SetMinValue(long double Value) {
  if (Value == value_.MinValue() && (value_.AssignedValues() & evMinValueEx)) return;
  value_.SetMinValue(Value);
  if (!IsLoading() && DataIndepended()) UpdateData();
}

std::unique_ptr<TEditButtonEx> TCustomDBNumberEditEx::CreateEditButton() {
  return std::make_unique<TDropDownEditButtonEx>(this);
}

TAlignment TCustomDBNumberEditEx::DefaultAlignment() const {
  return Field() ? TCustomDBEditEx::DefaultAlignment() : taRightJustify;
}

void TCustomDBNumberEditEx::ReadValue(Variant& Value) const { Value = value_.Value(); }

bool TCustomDBNumberEditEx::IsValidChar(char16_t Key) const {
  return value_.IsValidChar(Text(), SelStart(), SelLength(), Key);
}

void TCustomDBNumberEditEx::SetInternalText(const String& Value) {
  ui::TScopedValue internal(internalTextSetting_, true);
  TCustomDBEditEx::PutText(Value);
}

void TCustomDBNumberEditEx::FormatTextWhileTyping(const String& S) {
  const String text = value_.FormatTextWhileTyping(S);
  const String current = Text();
  if (text == current) return;
  // Grouping adds and removes separators ahead of the caret: keep its
  // distance from the end, where the typing happens.
  const int fromEnd = static_cast<int>(current.size()) - SelStart();
  SetInternalText(text);
  if (Focused() && !Designing()) SetSelStart(std::max(0, static_cast<int>(text.size()) - fromEnd));
}

void TCustomDBNumberEditEx::PutValue(const Variant& Value) {
  if (Value.IsNull() || Value.IsEmpty()) {
    SetInternalText(String());
    value_.SetValue(Variant::Null());
    return;
  }
  value_.SetValue(Value);
  DataLink()->Modified();
  if (IsFocusedEditor() && DataLink()->CanModify())
    FormatTextWhileTyping(value_.EditText());
  else
    SetInternalText(value_.DisplayText());
}

void TCustomDBNumberEditEx::PutText(const String& Value) {
  value_.PutText(Value);
  PutValue(value_.Value());
}

void TCustomDBNumberEditEx::WriteFieldText() { DataLink()->SetValue(value_.Value()); }

void TCustomDBNumberEditEx::ApplyWindowAlignment() {
  // A number stays right-aligned while it is typed, too.
  TAlignment a = Alignment();
  if (UseRightToLeftAlignment() && a != taCenter) a = a == taLeftJustify ? taRightJustify : taLeftJustify;
  SetTextAlignment(a);
}

void TCustomDBNumberEditEx::InitWidget() {
  TCustomDBEditEx::InitWidget();
  ApplyWindowAlignment();
}

void TCustomDBNumberEditEx::DataChanged() {
  value_.SetField(Field());
  value_.UpdateEditFormat();
  ApplyWindowAlignment();
  // Starting to edit reloads the same value; the selection the key that
  // started it works on must survive that.
  const int selStart = SelStart(), selLength = SelLength();
  const String before = Text();
  if (db::TField* f = Field())
    PutValue(f->Value());
  else if (DataIndepended())
    PutValue(DataLink()->DataIndependentValue);
  else
    PutValue(Variant::Null());
  if (Text() == before && HandleAllocated()) {
    SetSelStart(selStart);
    SetSelLength(selLength);
  }
  UpdateEditReadOnly();
  SetModified(false);
  DataLink()->SetModified(false);
}

void TCustomDBNumberEditEx::UpdateValueFromText() {
  try {
    value_.UpdateValueFromText(Text());
  } catch (...) {
    if (!pasting_) throw;
    pasteFailed_ = true;
  }
}

void TCustomDBNumberEditEx::Change() {
  if (!internalTextSetting_) {
    FormatTextWhileTyping(Text());
    UpdateValueFromText();
  }
  TCustomDBEditEx::Change();
}

void TCustomDBNumberEditEx::IncrementValue(bool IsIncrease) {
  if (value_.Increment() == 0 || !CanModifyText()) return;
  value_.IncrementValue(IsIncrease);
  PutValue(value_.Value());
  if (Focused()) SelectAll();
}

void TCustomDBNumberEditEx::DefaultButtonDown(bool IsDownButton) {
  if (!MainButtonUpDown()) {
    TCustomDBEditEx::DefaultButtonDown(IsDownButton);
    return;
  }
  if (!ReadOnly()) IncrementValue(!IsDownButton);
}

void TCustomDBNumberEditEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  auto alive = alive_;
  TCustomDBEditEx::DoKeyDown(Key, Shift);
  if (!*alive || Key == 0) return;
  if ((Key == VK_UP || Key == VK_DOWN) && !ReadOnly()) {
    IncrementValue(Key == VK_UP);
    Key = 0;
  }
}

void TCustomDBNumberEditEx::DoKeyPress(char16_t& Key) {
  if (calculatorVisible_ && (Key == 13 || Key == 27)) {
    CloseUp(Key == 13);
    Key = 0;
    return;
  }
  const rtl::TFormatSettings& fs = value_.FormatSettings();
  if (Key == 8 && SelLength() == 0 && SelStart() > 0) {
    const String text = Text();
    const int at = SelStart() - 1;
    if (at < static_cast<int>(text.size()) && text[at] == fs.ThousandSeparator) {
      SetSelStart(at);
      Key = 0;
      return;
    }
  }
  auto alive = alive_;
  TCustomDBEditEx::DoKeyPress(Key);
  if (!*alive || Key == 0) return;
  if (Key == u'.' || Key == u',') Key = fs.DecimalSeparator;
  if (Key >= 32 && !IsValidChar(Key)) {
    MessageBeep();
    Key = 0;
    return;
  }
  if (Key == 27) {
    Reset();
    Key = 0;
  }
}

bool TCustomDBNumberEditEx::StepByWheel(bool Up, TShiftState Shift) {
  if (!Shift.Empty() || ReadOnly() || !DataLink()->Edit()) return false;
  IncrementValue(Up);
  return true;
}

bool TCustomDBNumberEditEx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEx::DoMouseWheelDown(Shift, MousePos)) return true;
  return StepByWheel(false, Shift);
}

bool TCustomDBNumberEditEx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEx::DoMouseWheelUp(Shift, MousePos)) return true;
  return StepByWheel(true, Shift);
}

TWinControl* TCustomDBNumberEditEx::DropDownCalculator() {
  if (!dropDownCalculator_) {
    dropDownCalculator_ = new TPopupCalculatorEx(this);
    dropDownCalculator_->SetVisible(false);
    dropDownCalculator_->SetFormatSettings(value_.FormatSettings());
    if (HandleAllocated()) dropDownCalculator_->HandleNeeded();
  }
  return dropDownCalculator_;
}

void TCustomDBNumberEditEx::DropDown() {
  TCustomDBEditEx::DropDown();
  if (calculatorVisible_) return;
  auto alive = alive_;
  if (OnDropDown) OnDropDown(this);
  if (!*alive) return;
  DropDownCalculator();
  IPopupCalculatorEx* calc = dropDownCalculator_;
  calc->SetValue(value_.Value().IsNull() ? Variant(0.0) : value_.Value());
  calc->ApplyFlat(Flat());
  const TPoint at =
      CalcEditDropDownPosition(this, dropDownCalculator_, UseRightToLeftAlignment() ? daRight : daLeft);
  dropDownCalculator_->SetBounds(at.X, at.Y, dropDownCalculator_->Width(), dropDownCalculator_->Height());
  dropDownCalculator_->Show();
  calculatorVisible_ = true;
  droppedDown_ = true;
  // Keys go to the calculator now: no caret may suggest they reach the text.
  HideCaret();
  SetSelLength(0);
}

void TCustomDBNumberEditEx::CloseUp(bool Accept) {
  if (!calculatorVisible_) return;
  if (MouseCapture()) SetMouseCapture(false);
  dropDownCalculator_->Hide();
  ShowCaret();
  calculatorVisible_ = false;
  droppedDown_ = false;
  TCustomDBEditEx::CloseUp(Accept);
  if (HandleAllocated()) {
    const int tag = ButtonControlCount() > 0 ? static_cast<int>(ButtonControl(0).EditButtonControl->Tag()) : 0;
    PostMessage(this, WM_POPUPCLOSEDUP_NOTIFY, static_cast<WPARAM>(tag), 0);
  }
  auto alive = alive_;
  if (Accept && !ReadOnly() && DataLink()->Edit()) {
    const Variant v = static_cast<IPopupCalculatorEx*>(dropDownCalculator_)->GetValue();
    // "Error" on the display gives no value.
    if (!v.IsError()) PutValue(v);
    if (Focused()) SelectAll();
  }
  if (*alive && OnCloseUp) OnCloseUp(this, Accept);
}

bool TCustomDBNumberEditEx::PassToCalculator(TMessage& Message) {
  if (!calculatorVisible_) return false;
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR: {
      const WPARAM key = Message.WParam;
      if (key == 8 || key == 13 || (key >= 32 && key <= 126)) {
        Message.Result = dropDownCalculator_->Perform(Message.Msg, Message.WParam, Message.LParam);
        return true;
      }
      return false;
    }
    case CM_WANTSPECIALKEY:
      if (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) {
        Message.Result = 1;
        return true;
      }
      return false;
    case WM_MOUSEWHEEL:
      dropDownCalculator_->Perform(Message.Msg, Message.WParam, Message.LParam);
      Message.Result = 1;
      return true;
    case WM_KILLFOCUS:
      // The calculator never takes the focus, so it went elsewhere.
      CloseUp(false);
      return false;
    case CM_CANCELMODE: {
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      const bool fromCalculator = Within(sender, dropDownCalculator_);
      const bool fromInside = sender != this && Within(sender, this);
      if (!fromCalculator && !fromInside) CloseUp(false);
      return false;
    }
    default:
      return false;
  }
}

void TCustomDBNumberEditEx::Paste(TMessage& Message) {
  const String kept = Text();
  pasting_ = true;
  pasteFailed_ = false;
  try {
    TCustomDBEditEx::Dispatch(Message);
    if (!pasteFailed_) value_.UpdateValueFromText(Text());
  } catch (...) {
    pasteFailed_ = true;
  }
  pasting_ = false;
  if (!pasteFailed_) return;
  // The paste is undone as a whole; the error is not passed on.
  SetInternalText(kept);
  value_.UpdateValueFromText(kept);
  SelectAll();
  if (CanFocus()) SetFocus();
}

void TCustomDBNumberEditEx::Dispatch(TMessage& Message) {
  if (PassToCalculator(Message)) return;
  if (Message.Msg == WM_PASTE) {
    Paste(Message);
    return;
  }
  TCustomDBEditEx::Dispatch(Message);
}

// --- published ------------------------------------------------------------------------

const TClassInfo& TDBNumberEditEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBNumberEditEx>("TDBNumberEditEx", &TCustomMaskEdit::StaticClassInfo())
          .Boolean("currency", &TCustomDBNumberEditEx::Currency, &TCustomDBNumberEditEx::SetCurrency)
          .Integer("DecimalPlaces", &TDBNumberEditEx::DecimalPlacesProp, &TDBNumberEditEx::SetDecimalPlacesProp, 2)
          .Str("DisplayFormat", &TCustomDBNumberEditEx::DisplayFormat, &TCustomDBNumberEditEx::SetDisplayFormat)
          .Float("Increment", &TDBNumberEditEx::IncrementProp, &TDBNumberEditEx::SetIncrementProp)
          .Float("MaxValue", &TDBNumberEditEx::MaxValueProp, &TDBNumberEditEx::SetMaxValueProp)
          .Float("MinValue", &TDBNumberEditEx::MinValueProp, &TDBNumberEditEx::SetMinValueProp)
          .WideChar("PasswordChar", &TEdit::PasswordChar, &TCustomDBEditEx::SetPasswordChar)
          .Var("Value", &TDBNumberEditEx::GetValueProp, &TDBNumberEditEx::SetValueProp)
          .Unit("DBCtrlsEx")
          .Build();
  return info;
}

}  // namespace grid
