// The month calendar the date editors drop down. TMonthCalendarEx is the
// calendar itself (month, year and decade views, drawn by the control, with
// the hit codes of the classic calendar); TPopupMonthCalendarEx makes it a
// popup that closes on Enter, Escape, a click on a day, a click outside or
// focus loss, and reports the close to its owner.
#pragma once

#include <functional>

#include "platform/runtime/datetime.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/ui/ui.h"

namespace grid {

// What lies under a point of the calendar.
constexpr unsigned MCHT_TITLE = 0x00010000;
constexpr unsigned MCHT_CALENDAR = 0x00020000;
constexpr unsigned MCHT_TODAYLINK = 0x00030000;
constexpr unsigned MCHT_NEXT = 0x01000000;
constexpr unsigned MCHT_PREV = 0x02000000;
constexpr unsigned MCHT_NOWHERE = 0x00000000;
constexpr unsigned MCHT_TITLEBK = MCHT_TITLE;
constexpr unsigned MCHT_TITLEMONTH = MCHT_TITLE | 0x0001;
constexpr unsigned MCHT_TITLEYEAR = MCHT_TITLE | 0x0002;
constexpr unsigned MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003;
constexpr unsigned MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003;
constexpr unsigned MCHT_CALENDARBK = MCHT_CALENDAR;
constexpr unsigned MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001;
constexpr unsigned MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT;
constexpr unsigned MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV;
constexpr unsigned MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002;
constexpr unsigned MCHT_CALENDARWEEKNUM = MCHT_CALENDAR | 0x0003;

// Views: days of a month, months of a year, years of a decade.
constexpr int MCMV_MONTH = 0;
constexpr int MCMV_YEAR = 1;
constexpr int MCMV_DECADE = 2;

class TMonthCalendarEx : public ui::TCustomControl {
 public:
  explicit TMonthCalendarEx(ui::TComponent* AOwner);

  rtl::TDateTime Date() const { return date_; }
  void SetDate(rtl::TDateTime Value);
  int CurrentView() const { return view_; }
  void SetCurrentView(int Value);
  // The month shown (year and month of its first day).
  int ShownYear() const { return shownYear_; }
  int ShownMonth() const { return shownMonth_; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  // Smallest size that shows the whole calendar.
  ui::TRect MinRequiredRect() const;
  unsigned HitTest(ui::TPoint P) const;
  // The date under a point of the month view's days (false elsewhere).
  bool DateAt(ui::TPoint P, rtl::TDateTime& Out) const;
  // Where a day is drawn in the month view (empty when not shown).
  ui::TRect DayRect(rtl::TDateTime Day) const;
  // The cell of a month (year view) or year (decade view), 0..11.
  ui::TRect ZoomCellRect(int Index) const;
  rtl::TDateTime Today() const;
  std::function<rtl::TDateTime()> TodayProvider;

  ui::TNotifyEvent OnChange;

 protected:
  void Paint() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void FontChanged() override;
  virtual void AdjustToAutoSize();

  int CellWidth() const;
  int RowHeight() const;
  int TitleHeight() const { return RowHeight() + 4; }

 private:
  void ShowMonthOf(rtl::TDateTime D);
  void StepShown(int Months);
  rtl::TDateTime FirstShownDay() const;
  ui::TRect TitleTextRect(bool YearPart) const;

  rtl::TDateTime date_;
  int view_ = MCMV_MONTH;
  int shownYear_ = 2000, shownMonth_ = 1;
  bool autoSize_ = false;
  unsigned pressCode_ = MCHT_NOWHERE;
};

// Told when the popup closes (the date editors implement it).
class IPopupOwnerEx {
 public:
  virtual ~IPopupOwnerEx() = default;
  virtual void CloseUp(bool Accept) = 0;
};

class TPopupMonthCalendarEx : public TMonthCalendarEx {
 public:
  explicit TPopupMonthCalendarEx(ui::TComponent* AOwner);

  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool Value);
  int BorderWidth() const { return borderWidth_; }
  int DownViewType() const { return downViewType_; }
  void Dispatch(ui::TMessage& Message) override;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  bool DoMouseWheel(ui::TShiftState Shift, int WheelDelta, ui::TPoint MousePos) override;
  void AdjustToAutoSize() override;

 private:
  void CloseUp(bool Accept);
  // The window's frame on each side: the line without the 3D look, and BorderWidth.
  int FrameWidth() const;
  // Paints the frame on the window's canvas.
  void PaintBorder();
  int borderWidth_ = 0;
  bool ctl3D_ = true;
  int downViewType_ = MCMV_MONTH;
};

}  // namespace grid
