#include "grid/editors/db_date_time_edit_ex.h"

#include <cmath>

#include "platform/ui/application.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/runtime/exceptions.h"
#include "grid/foundation/grid_platform_shims.h"
#include "grid/editors/inplace_edit_intf_ex.h"
#include "platform/ui/keys.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/classes/scoped_change.h"

namespace grid {

using namespace ui;

namespace {

// The masked edit shows '/' and ':' as written; the text must carry the
// locale's separators, the same as the display format gives.
String WithLocaleSeparators(const String& Mask) {
  const rtl::TFormatSettings& fs = rtl::FormatSettings();
  String out;
  for (std::size_t i = 0; i < Mask.size(); ++i) {
    const char16_t c = Mask[i];
    if (c == u'\\' && i + 1 < Mask.size()) {
      out += c;
      out += Mask[++i];
      continue;
    }
    if (c == u';') {
      out += Mask.substr(i);
      break;
    }
    const char16_t sep = c == u'/' ? fs.DateSeparator : c == u':' ? fs.TimeSeparator : 0;
    if (sep && sep != c) {
      out += u'\\';
      out += sep;
    } else {
      out += c;
    }
  }
  return out;
}

bool IsNullValue(const Variant& V) { return V.IsNull() || V.IsEmpty(); }

bool HasDateParts(const TDateTimeElementsMaskPosEx& M) {
  return M.Year.Present || M.Month.Present || M.Day.Present || M.Hour.Present || M.Min.Present || M.Sec.Present;
}

bool Inside(TControl* C, TWinControl* W) {
  for (; C && W; C = C->Parent())
    if (C == W) return true;
  return false;
}

}  // namespace

TCustomDBDateTimeEditEx::TCustomDBDateTimeEditEx(TComponent* AOwner) : TCustomDBEditEx(AOwner) {
  // The text is a date, never the component's name.
  SetControlStyle(ControlStyle() - csSetCaption);
  value_ = Variant::Null();
  UpdateFourDigitYear();
  UpdateMask();
}

TCustomDBDateTimeEditEx::~TCustomDBDateTimeEditEx() {
  delete dropDownCalendar_;
  dropDownCalendar_ = nullptr;
}

// --- format and mask ----------------------------------------------------------------

void TCustomDBDateTimeEditEx::SetKind(TDateTimeKindEx Value) {
  if (kind_ == Value) return;
  kind_ = Value;
  UpdateMask();
  DataChanged();
  UpdateEditButtonControlsState();
}

void TCustomDBDateTimeEditEx::SetEditFormat(const String& Value) {
  // A format that cannot be read is refused before anything changes.
  if (!Value.empty()) {
    TDateTimeElementsMaskPosEx pos;
    String mask;
    EditFormatToMask(Value, pos, mask);
  }
  kind_ = dtkCustomEx;
  if (editFormat_ == Value) return;
  editFormat_ = Value;
  UpdateMask();
  DataChanged();
  UpdateEditButtonControlsState();
}

void TCustomDBDateTimeEditEx::UpdateFourDigitYear() {
  const bool four = rtl::UpperCase(rtl::FormatSettings().ShortDateFormat).find(u"YYY") != String::npos;
  if (four == fourDigitYear_) return;
  fourDigitYear_ = four;
  UpdateMask();
}

void TCustomDBDateTimeEditEx::UpdateMask() {
  switch (kind_) {
    case dtkDateEx:
      editFormat_ = DefaultDateEditFormat(fourDigitYear_);
      break;
    case dtkTimeEx:
      editFormat_ = DefaultTimeEditFormat();
      break;
    case dtkDateTimeEx:
      editFormat_ = DefaultDateEditFormat(fourDigitYear_) + u" " + DefaultTimeEditFormat();
      break;
    case dtkCustomEx:
      break;
  }
  if (editFormat_.empty()) {
    dateTimeFormat_.clear();
    maskPos_ = TDateTimeElementsMaskPosEx{};
    TCustomMaskEdit::SetEditMask(String());
    return;
  }
  TDateTimeElementsMaskPosEx pos;
  String mask;
  EditFormatToMask(editFormat_, pos, mask);
  dateTimeFormat_ = EditFormatToDisplayFormat(editFormat_);
  maskPos_ = pos;
  TCustomMaskEdit::SetEditMask(WithLocaleSeparators(mask));
}

// --- value and text -----------------------------------------------------------------

String TCustomDBDateTimeEditEx::FormatValue(const Variant& Value) const {
  if (IsNullValue(Value)) return String();
  const rtl::TDateTime dt = Value.AsDateTime();
  return IsMasked() ? rtl::FormatDateTime(dateTimeFormat_, dt) : rtl::DateTimeToStr(dt);
}

void TCustomDBDateTimeEditEx::ReadValue(Variant& Value) const { Value = value_; }

void TCustomDBDateTimeEditEx::PutInternalText(const String& Value) {
  // Rewriting the text it already shows is no change: leaving the editor
  // must not store into a dataset that is not editing.
  const String before = EditText();
  const bool linkModified = DataLink()->IsModified(), modified = Modified();
  {
    ui::TScopedValue internal(internalTextSetting_, true);
    TCustomDBEditEx::PutText(Value);
  }
  if (EditText() != before) return;
  DataLink()->SetModified(linkModified);
  SetModified(modified);
}

void TCustomDBDateTimeEditEx::PutValue(const Variant& Value) {
  value_ = IsNullValue(Value) ? Variant::Null() : Variant::FromDate(Value.AsDateTime());
  PutInternalText(FormatValue(value_));
}

void TCustomDBDateTimeEditEx::PutText(const String& Value) {
  Variant v = value_;
  if (IsMasked()) {
    TDateTimeElementsEx elements;
    TextToElements(Value, maskPos_, elements);
    if (!MergeElementsIntoValue(elements, maskPos_, v, false))
      throw rtl::EConvertError(u"Invalid datetime: \"" + Value + u"\"");
  } else {
    v = Value.empty() ? Variant::Null() : Variant::FromDate(rtl::StrToDateTime(Value));
  }
  value_ = v;
  PutInternalText(Value);
}

void TCustomDBDateTimeEditEx::MergeTextIntoValue(bool FillMissing) {
  TDateTimeElementsEx elements;
  TextToElements(EditText(), maskPos_, elements);
  Variant v = value_;
  MergeElementsIntoValue(elements, maskPos_, v, FillMissing);
  value_ = v;
}

void TCustomDBDateTimeEditEx::ReparseText() {
  if (IsMasked()) {
    MergeTextIntoValue(false);
    return;
  }
  rtl::TDateTime dt = 0;
  value_ = rtl::TryStrToDateTime(EditText(), dt) ? Variant::FromDate(dt) : Variant::Null();
}

void TCustomDBDateTimeEditEx::Change() {
  if (!internalTextSetting_) {
    try {
      ReparseText();
    } catch (const rtl::EConvertError&) {
      value_ = Variant::Null();
    }
  }
  TCustomDBEditEx::Change();
}

void TCustomDBDateTimeEditEx::DataChanged() {
  // Starting to edit reloads the same text; the user's selection must
  // survive it, or the key that started editing lands in the wrong place.
  const int selStart = SelStart(), selLength = SelLength();
  const String before = EditText();
  if (db::TField* f = Field()) {
    if (IsAlignmentStored() && DefaultAlignment() != Alignment()) Invalidate();
    PutValue(f->IsNull() ? Variant::Null() : f->Value());
  } else if (DataIndepended()) {
    PutValue(DataLink()->DataIndependentValue);
  } else {
    PutValue(Variant::Null());
  }
  if (EditText() == before) {
    SetSelStart(selStart);
    SetSelLength(selLength);
  }
  UpdateEditReadOnly();
  SetModified(false);
  DataLink()->SetModified(false);
}

void TCustomDBDateTimeEditEx::WriteFieldText() {
  Variant target;
  if (DataIndepended())
    target = DataLink()->DataIndependentValue;
  else if (Field())
    target = Field()->Value();
  if (IsMasked()) {
    // Parts the format does not show keep what the field holds.
    TDateTimeElementsEx elements;
    ValueToElements(value_, elements);
    MergeElementsIntoValue(elements, maskPos_, target, true);
  } else {
    target = Text().empty() ? Variant::Null() : Variant::FromDate(rtl::StrToDateTime(Text()));
  }
  DataLink()->SetValue(target);
}

void TCustomDBDateTimeEditEx::ValidateEdit() {
  if (editValidating_) return;
  ui::TScopedValue validating(editValidating_, true);
  TCustomDBEditEx::ValidateEdit();
  if (IsMasked()) {
    MergeTextIntoValue(true);
    PutInternalText(FormatValue(value_));
  }
}

String TCustomDBDateTimeEditEx::DisplayTextForPaintCopy() const {
  if (Designing() && !DataLink()->Active()) return Name();
  db::TField* f = Field();
  if (f && ControlState().Contains(csPaintCopy)) {
    if (f->IsNull()) return String();
    return IsMasked() ? rtl::FormatDateTime(dateTimeFormat_, f->AsDateTime()) : rtl::DateTimeToStr(f->AsDateTime());
  }
  return EditText();
}

void TCustomDBDateTimeEditEx::FilterMRUItem(const String& AText, bool& Accept) {
  String typed = Text();
  const char16_t sep = rtl::FormatSettings().DateSeparator;
  while (!typed.empty() && (typed.back() == u' ' || typed.back() == sep)) typed.pop_back();
  Accept = typed.size() <= AText.size() && CompareTextLocale(AText.substr(0, typed.size()), typed) == 0;
}

// --- stepping and keys ----------------------------------------------------------------

bool TCustomDBDateTimeEditEx::StepElement(bool Up) {
  const String text = EditText();
  String stepped;
  int length = 0, pos = SelStart() + 1;
  StepDateTimeElement(text, EditFormatToTemplate(editFormat_), Up, stepped, length, pos);
  if (length <= 0) return false;
  PutInternalText(stepped);
  // The change notice above skipped reading the text; a step is a user edit.
  Change();
  SetSelStart(pos - 1);
  SetSelLength(length);
  return true;
}

bool TCustomDBDateTimeEditEx::StepAllowed(TShiftState Shift) {
  return Shift.Empty() && !ReadOnly() && IsMasked();
}

std::unique_ptr<TEditButtonEx> TCustomDBDateTimeEditEx::CreateEditButton() {
  return std::make_unique<TVisibleEditButtonEx>(this);
}

void TCustomDBDateTimeEditEx::DefaultButtonDown(bool IsDownButton) {
  if (!MainButtonUpDown()) {
    TCustomDBEditEx::DefaultButtonDown(IsDownButton);
    return;
  }
  if (IsMasked() && !ReadOnly() && DataLink()->Edit()) StepElement(!IsDownButton);
}

void TCustomDBDateTimeEditEx::KeyDownHooks(std::uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  if (Key == 0 || !InplaceMode()) return;
  if (auto* holder = dynamic_cast<IInplaceEditHolderEx*>(InplaceEditHolder()))
    holder->InplaceEditKeyDown(this, Key, Shift);
}

void TCustomDBDateTimeEditEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  if (IsMasked() && Shift.Empty()) {
    if ((Key == VK_UP || Key == VK_DOWN) && !ReadOnly()) {
      KeyDownHooks(Key, Shift);
      if (Key != 0 && DataLink()->Edit()) StepElement(Key == VK_UP);
    } else if ((Key == VK_LEFT || Key == VK_RIGHT) && SelLength() > 1) {
      KeyDownHooks(Key, Shift);
      if (Key != 0) {
        const int start = SelStart(), length = SelLength();
        SetSelStart(Key == VK_LEFT ? start : start + length - 1);
        SetSelLength(0);
      }
    }
  }
  if (Key == 0) return;
  TCustomDBEditEx::DoKeyDown(Key, Shift);
}

void TCustomDBDateTimeEditEx::DoKeyPress(char16_t& Key) {
  if (calendarVisible_ && (Key == 13 || Key == 27)) {
    CloseUp(Key == 13);
    Key = 0;
    return;
  }
  TCustomDBEditEx::DoKeyPress(Key);
  if (Key == 0 || !IsMasked()) return;
  const rtl::TFormatSettings& fs = rtl::FormatSettings();
  if (Key != fs.DateSeparator && Key != fs.TimeSeparator) return;
  // The separator jumps to the element after the next separator of its kind.
  const String text = EditText();
  const std::size_t from = static_cast<std::size_t>(std::max(0, SelStart()));
  const std::size_t at = from < text.size() ? text.find(Key, from) : String::npos;
  int pos = at == String::npos ? 1 : static_cast<int>(at) + 1 + 2;
  int length = 0;
  FindElementAt(EditFormatToTemplate(editFormat_), pos, length);
  SetSelStart(pos - 1);
  SetSelLength(length);
  Key = 0;
}

bool TCustomDBDateTimeEditEx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEx::DoMouseWheelDown(Shift, MousePos)) return true;
  if (!StepAllowed(Shift) || !DataLink()->Edit()) return false;
  return StepElement(false);
}

bool TCustomDBDateTimeEditEx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEx::DoMouseWheelUp(Shift, MousePos)) return true;
  if (!StepAllowed(Shift) || !DataLink()->Edit()) return false;
  return StepElement(true);
}

void TCustomDBDateTimeEditEx::DoEnter() {
  // The locale may have changed while the editor was not in use.
  UpdateFourDigitYear();
  TCustomDBEditEx::DoEnter();
}

// --- the calendar -----------------------------------------------------------------------

TPopupMonthCalendarEx* TCustomDBDateTimeEditEx::DropDownCalendar() {
  if (!dropDownCalendar_) {
    dropDownCalendar_ = new TPopupMonthCalendarEx(this);
    dropDownCalendar_->SetVisible(false);
  }
  return dropDownCalendar_;
}

void TCustomDBDateTimeEditEx::DropDown() {
  TCustomDBEditEx::DropDown();
  if (calendarVisible_) return;
  if (OnDropDown) OnDropDown(this);
  TPopupMonthCalendarEx* cal = DropDownCalendar();
  cal->SetDate(IsNullValue(value_) ? rtl::Date() : value_.AsDateTime());
  const TPoint at = CalcEditDropDownPosition(this, cal, UseRightToLeftAlignment() ? daRight : daLeft);
  cal->SetBounds(at.X, at.Y, cal->Width(), cal->Height());
  cal->SetVisible(true);
  calendarVisible_ = true;
}

bool TCustomDBDateTimeEditEx::CalendarHasFocus() const {
  if (!dropDownCalendar_) return false;
  if (dropDownCalendar_->Focused()) return true;
  for (int i = 0; i < dropDownCalendar_->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(dropDownCalendar_->Controls(i)); w && w->Focused()) return true;
  return false;
}

void TCustomDBDateTimeEditEx::CloseUp(bool Accept) {
  if (!calendarVisible_) return;
  if (MouseCapture()) SetMouseCapture(false);
  if (CalendarHasFocus()) SetFocus();
  dropDownCalendar_->SetVisible(false);
  calendarVisible_ = false;
  TCustomDBEditEx::CloseUp(Accept);
  PostMessage(this, WM_POPUPCLOSEDUP_NOTIFY, 0, 0);
  if (Accept && !ReadOnly() && DataLink()->Edit()) {
    rtl::TDateTime chosen = std::floor(dropDownCalendar_->Date());
    // The calendar picks a day; the time of day stays what it was.
    if (!IsNullValue(value_)) {
      const rtl::TDateTime old = value_.AsDateTime();
      const rtl::TDateTime time = std::fabs(old - std::trunc(old));
      chosen = chosen >= 0 ? chosen + time : chosen - time;
    }
    Variant v = value_;
    if (HasDateParts(maskPos_)) {
      TDateTimeElementsEx elements;
      ValueToElements(Variant::FromDate(chosen), elements);
      MergeElementsIntoValue(elements, maskPos_, v, true);
    } else {
      // Free text has no elements to merge: the picked date is the value.
      v = Variant::FromDate(chosen);
    }
    PutValue(v);
    if (Focused()) SelectAll();
  }
  if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBDateTimeEditEx::EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
  TCustomDBEditEx::EditButtonMouseMove(Sender, Shift, X, Y);
  auto* button = dynamic_cast<TControl*>(Sender);
  if (!calendarVisible_ || !button || !button->MouseCapture()) return;
  const TPoint p = dropDownCalendar_->ScreenToClient(button->ClientToScreen(Point(X, Y)));
  if (!dropDownCalendar_->ClientRect().Contains(p)) return;
  button->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(this));
  dropDownCalendar_->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(p.X, p.Y));
}

bool TCustomDBDateTimeEditEx::KeyGoesToCalendar(std::uint16_t Key, TShiftState Shift) const {
  // Alt+Down and the like still press their button (and close the calendar).
  return !IsEditButtonShortCut(Key, Shift) && IsDropDownNavigationKey(Key, Shift, true);
}

void TCustomDBDateTimeEditEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // Only key-down messages go to the open calendar: a typed character
      // shares its code with a navigation key ('(' is Down) and belongs in
      // the text.
      if (calendarVisible_ && KeyGoesToCalendar(static_cast<std::uint16_t>(Message.WParam), CurrentShiftState())) {
        dropDownCalendar_->Perform(WM_KEYDOWN, Message.WParam, Message.LParam);
        Message.Result = 1;
        return;
      }
      break;
    case WM_CHAR: {
      const auto ch = static_cast<char16_t>(Message.WParam);
      if (calendarVisible_ && (ch == 13 || ch == 27)) {
        CloseUp(ch == 13);
        Message.Result = 0;
        return;
      }
      break;
    }
    case CM_WANTSPECIALKEY:
      if (calendarVisible_ && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOUSEWHEEL:
      if (calendarVisible_) {
        dropDownCalendar_->Perform(Message.Msg, Message.WParam, Message.LParam);
        Message.Result = 1;
        return;
      }
      break;
    case WM_KILLFOCUS:
      if (calendarVisible_ && !CalendarHasFocus()) CloseUp(false);
      break;
    case CM_CANCELMODE: {
      auto* sender = reinterpret_cast<TControl*>(Message.LParam);
      if (calendarVisible_ && !Inside(sender, this) && !Inside(sender, dropDownCalendar_)) CloseUp(false);
      break;
    }
    default:
      break;
  }
  TCustomDBEditEx::Dispatch(Message);
}

}  // namespace grid
