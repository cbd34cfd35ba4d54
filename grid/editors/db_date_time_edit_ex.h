// TCustomDBDateTimeEditEx: the data-aware date and time editor. Its value is
// a date (or Null) kept apart from the text; the text is a masked edit built
// from an edit format such as DD/MM/YYYY HH:NN, and every user change is
// read back into the value. The arrow keys, the wheel and an up-down button
// step the element under the caret; the main button drops down a calendar.
#pragma once

#include "grid/editors/custom_db_edit_ex.h"
#include "grid/editors/date_time_edit_format.h"
#include "grid/editor_support/month_calendar.h"

namespace grid {

enum TDateTimeKindEx { dtkDateEx, dtkTimeEx, dtkDateTimeEx, dtkCustomEx };

class TCustomDBDateTimeEditEx : public TCustomDBEditEx {
 public:
  explicit TCustomDBDateTimeEditEx(ui::TComponent* AOwner);
  ~TCustomDBDateTimeEditEx() override;

  TDateTimeKindEx Kind() const { return kind_; }
  void SetKind(TDateTimeKindEx Value);
  const String& EditFormat() const { return editFormat_; }
  // Makes the editor a custom one even when the format is the one in force.
  void SetEditFormat(const String& Value);
  // The format the value is shown in, derived from the edit format.
  const String& DateTimeFormat() const { return dateTimeFormat_; }
  const TDateTimeElementsMaskPosEx& DateTimeMaskPos() const { return maskPos_; }
  bool FourDigitYear() const { return fourDigitYear_; }
  bool CalendarVisible() const { return calendarVisible_; }
  // The calendar, made on first use.
  TPopupMonthCalendarEx* DropDownCalendar();

  // Layout storage: Kind unless custom, the format only when custom.
  bool IsKindStored() const { return kind_ != dtkCustomEx; }
  bool IsEditFormatStored() const { return kind_ == dtkCustomEx; }

  virtual void UpdateFourDigitYear();
  virtual void UpdateMask();
  void ValidateEdit() override;
  void DropDown() override;
  void CloseUp(bool Accept) override;
  String DisplayTextForPaintCopy() const override;
  // A recent value is offered when it starts with what was typed so far.
  void FilterMRUItem(const String& AText, bool& Accept) override;

  ui::TNotifyEvent OnDropDown;
  TCloseUpEventEx OnCloseUp;

 protected:
  std::unique_ptr<TEditButtonEx> CreateEditButton() override;
  void DefaultButtonDown(bool IsDownButton) override;
  // A press on the main button dragged into the open calendar goes on there.
  void EditButtonMouseMove(ui::TObject* Sender, ui::TShiftState Shift, int X, int Y) override;
  void DataChanged() override;
  void PutText(const String& Value) override;
  void PutValue(const Variant& Value) override;
  void WriteFieldText() override;
  void ReadValue(Variant& Value) const override;

  void Change() override;
  void DoEnter() override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  bool DoMouseWheelDown(ui::TShiftState Shift, ui::TPoint MousePos) override;
  bool DoMouseWheelUp(ui::TShiftState Shift, ui::TPoint MousePos) override;
  void Dispatch(ui::TMessage& Message) override;

 private:
  // Writes text that already matches the value, without reading it back.
  void PutInternalText(const String& Value);
  // The elements of the text go into the value (Null when they form no date).
  void MergeTextIntoValue(bool FillMissing);
  void ReparseText();
  // Steps the element at the caret; false when there is none there.
  bool StepElement(bool Up);
  bool StepAllowed(ui::TShiftState Shift);
  // OnKeyDown and the holder's hook see an arrow before the editor acts on it.
  void KeyDownHooks(std::uint16_t& Key, ui::TShiftState Shift);
  bool KeyGoesToCalendar(std::uint16_t Key, ui::TShiftState Shift) const;
  bool CalendarHasFocus() const;
  String FormatValue(const Variant& Value) const;

  bool calendarVisible_ = false;
  TPopupMonthCalendarEx* dropDownCalendar_ = nullptr;
  bool editValidating_ = false;
  bool internalTextSetting_ = false;
  TDateTimeKindEx kind_ = dtkDateEx;
  Variant value_;
  String editFormat_;
  String dateTimeFormat_;
  TDateTimeElementsMaskPosEx maskPos_;
  bool fourDigitYear_ = false;
};

class TDBDateTimeEditEx : public TCustomDBDateTimeEditEx {
 public:
  explicit TDBDateTimeEditEx(ui::TComponent* AOwner) : TCustomDBDateTimeEditEx(AOwner) {}
};

}  // namespace grid
