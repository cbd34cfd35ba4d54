#include "grid/editor_support/month_calendar.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/format_settings.h"
#include "platform/ui/popup_window.h"

namespace grid {

using namespace ui;
using rtl::TDateTime;

namespace {

constexpr int kMargin = 4;

String IntText(int V) { return rtl::Utf8ToString(std::to_string(V)); }

int DaysIn(int Year, int Month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Month == 2 && rtl::IsLeapYear(Year) ? 29 : days[Month - 1];
}

}  // namespace

// --- the calendar ----------------------------------------------------------------

TMonthCalendarEx::TMonthCalendarEx(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clWindow);
  SetTabStop(true);
  date_ = std::floor(Today());
  ShowMonthOf(date_);
  TRect r = MinRequiredRect();
  SetBounds(0, 0, r.Width(), r.Height());
}

TDateTime TMonthCalendarEx::Today() const { return std::floor(TodayProvider ? TodayProvider() : rtl::Date()); }

int TMonthCalendarEx::CellWidth() const {
  TCanvas c;
  c.SetFont(Font());
  return std::max(c.TextWidth(u"Wed"), c.TextWidth(u"00")) + 8;
}

int TMonthCalendarEx::RowHeight() const {
  TCanvas c;
  c.SetFont(Font());
  return c.TextHeight(u"0") + 4;
}

TRect TMonthCalendarEx::MinRequiredRect() const {
  const int w = 7 * CellWidth() + 2 * kMargin;
  const int h = TitleHeight() + RowHeight() * 8 + kMargin;
  return Rect(0, 0, w, h);
}

void TMonthCalendarEx::SetAutoSize(bool Value) {
  autoSize_ = Value;
  if (Value) AdjustToAutoSize();
}

void TMonthCalendarEx::AdjustToAutoSize() {
  TRect r = MinRequiredRect();
  SetBounds(Left(), Top(), r.Width(), r.Height());
}

void TMonthCalendarEx::FontChanged() {
  TCustomControl::FontChanged();
  if (autoSize_) AdjustToAutoSize();
}

void TMonthCalendarEx::ShowMonthOf(TDateTime D) {
  int y, m, d;
  rtl::DecodeDate(D, y, m, d);
  shownYear_ = y;
  shownMonth_ = m;
}

void TMonthCalendarEx::StepShown(int Months) {
  int index = shownYear_ * 12 + (shownMonth_ - 1) + Months;
  shownYear_ = std::clamp(index / 12, 1753, 9999);
  shownMonth_ = index % 12 + 1;
  Invalidate();
}

void TMonthCalendarEx::SetDate(TDateTime Value) {
  Value = std::floor(Value);
  if (Value == date_) return;
  date_ = Value;
  ShowMonthOf(Value);
  Invalidate();
  if (OnChange) OnChange(this);
}

void TMonthCalendarEx::SetCurrentView(int Value) {
  if (Value == view_) return;
  view_ = std::clamp(Value, MCMV_MONTH, MCMV_DECADE);
  Invalidate();
}

TDateTime TMonthCalendarEx::FirstShownDay() const {
  TDateTime first = rtl::EncodeDate(shownYear_, shownMonth_, 1);
  int dow = rtl::DayOfWeek(first) - 1;  // 0 = Sunday
  // A month starting on Sunday still shows a row of the month before.
  if (dow == 0) dow = 7;
  return first - dow;
}

TRect TMonthCalendarEx::TitleTextRect(bool YearPart) const {
  TCanvas c;
  c.SetFont(Font());
  const int w = 7 * CellWidth() + 2 * kMargin;
  const String month = rtl::FormatSettings().LongMonthNames[shownMonth_ - 1];
  const String year = IntText(view_ == MCMV_DECADE ? shownYear_ / 10 * 10 : shownYear_);
  const int mw = view_ == MCMV_MONTH ? c.TextWidth(month) + 4 : 0, yw = c.TextWidth(year) + 4;
  const int left = (w - mw - yw) / 2;
  if (!YearPart) return Rect(left, 0, left + mw, TitleHeight());
  return Rect(left + mw, 0, left + mw + yw, TitleHeight());
}

TRect TMonthCalendarEx::DayRect(TDateTime Day) const {
  const int index = static_cast<int>(std::floor(Day) - FirstShownDay());
  if (index < 0 || index >= 42) return {};
  const int top = TitleHeight() + RowHeight();
  return Bounds(kMargin + index % 7 * CellWidth(), top + index / 7 * RowHeight(), CellWidth(), RowHeight());
}

TRect TMonthCalendarEx::ZoomCellRect(int Index) const {
  const int cw = 7 * CellWidth() / 4, rh = RowHeight() * 7 / 3;
  return Bounds(kMargin + Index % 4 * cw, TitleHeight() + Index / 4 * rh, cw, rh);
}

bool TMonthCalendarEx::DateAt(TPoint P, TDateTime& Out) const {
  if (view_ != MCMV_MONTH) return false;
  const int x = P.X - kMargin, y = P.Y - TitleHeight() - RowHeight();
  if (x < 0 || y < 0 || x >= 7 * CellWidth() || y >= 6 * RowHeight()) return false;
  Out = FirstShownDay() + (y / RowHeight()) * 7 + x / CellWidth();
  return true;
}

unsigned TMonthCalendarEx::HitTest(TPoint P) const {
  const int w = 7 * CellWidth() + 2 * kMargin;
  if (P.X < 0 || P.Y < 0 || P.X >= w) return MCHT_NOWHERE;
  const int y = P.Y;
  if (y < TitleHeight()) {
    const int btn = CellWidth();
    if (P.X < btn) return MCHT_TITLEBTNPREV;
    if (P.X >= w - btn) return MCHT_TITLEBTNNEXT;
    if (view_ == MCMV_MONTH && TitleTextRect(false).Contains(P)) return MCHT_TITLEMONTH;
    if (TitleTextRect(true).Contains(P)) return MCHT_TITLEYEAR;
    return MCHT_TITLEBK;
  }
  const int todayTop = TitleHeight() + 7 * RowHeight();
  if (y >= todayTop && y < todayTop + RowHeight()) return MCHT_TODAYLINK;
  if (view_ != MCMV_MONTH) {
    for (int i = 0; i < 12; ++i)
      if (ZoomCellRect(i).Contains(P)) return MCHT_CALENDARDATE;
    return y < todayTop ? MCHT_CALENDARBK : MCHT_NOWHERE;
  }
  if (y < TitleHeight() + RowHeight()) return MCHT_CALENDARDAY;
  TDateTime d;
  if (DateAt(P, d)) {
    int yy, mm, dd;
    rtl::DecodeDate(d, yy, mm, dd);
    if (yy * 12 + mm < shownYear_ * 12 + shownMonth_) return MCHT_CALENDARDATEPREV;
    if (yy * 12 + mm > shownYear_ * 12 + shownMonth_) return MCHT_CALENDARDATENEXT;
    return MCHT_CALENDARDATE;
  }
  return y < todayTop ? MCHT_CALENDARBK : MCHT_NOWHERE;
}

void TMonthCalendarEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  pressCode_ = HitTest(Point(X, Y));
  // Days and the scroll buttons act on the press; view changes on the release.
  if (pressCode_ == MCHT_TITLEBTNPREV || pressCode_ == MCHT_TITLEBTNNEXT) {
    const int step = view_ == MCMV_MONTH ? 1 : view_ == MCMV_YEAR ? 12 : 120;
    StepShown(pressCode_ == MCHT_TITLEBTNPREV ? -step : step);
    return;
  }
  if ((pressCode_ & MCHT_CALENDARDATE) == MCHT_CALENDARDATE && (pressCode_ & 0xFFFF) == 1 && view_ == MCMV_MONTH) {
    TDateTime d;
    if (DateAt(Point(X, Y), d)) SetDate(d);
  }
}

void TMonthCalendarEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const unsigned code = HitTest(Point(X, Y));
  const unsigned pressed = pressCode_;
  pressCode_ = MCHT_NOWHERE;
  if (code != pressed) return;
  if (code == MCHT_TITLEMONTH) {
    SetCurrentView(MCMV_YEAR);
  } else if (code == MCHT_TITLEYEAR && view_ < MCMV_DECADE) {
    SetCurrentView(view_ + 1);
  } else if (code == MCHT_TODAYLINK) {
    SetCurrentView(MCMV_MONTH);
    SetDate(Today());
  } else if (code == MCHT_CALENDARDATE && view_ != MCMV_MONTH) {
    for (int i = 0; i < 12; ++i) {
      if (!ZoomCellRect(i).Contains(Point(X, Y))) continue;
      if (view_ == MCMV_YEAR) {
        shownMonth_ = i + 1;
        SetCurrentView(MCMV_MONTH);
      } else {
        shownYear_ = std::clamp(shownYear_ / 10 * 10 - 1 + i, 1753, 9999);
        SetCurrentView(MCMV_YEAR);
      }
      Invalidate();
      break;
    }
  }
}

void TMonthCalendarEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::DoKeyDown(Key, Shift);
  int days = 0;
  switch (Key) {
    case VK_LEFT: days = -1; break;
    case VK_RIGHT: days = 1; break;
    case VK_UP: days = -7; break;
    case VK_DOWN: days = 7; break;
    case VK_PRIOR:
    case VK_NEXT: {
      int y, m, d;
      rtl::DecodeDate(date_, y, m, d);
      int index = y * 12 + (m - 1) + (Key == VK_PRIOR ? -1 : 1);
      y = index / 12;
      m = index % 12 + 1;
      SetDate(rtl::EncodeDate(y, m, std::min(d, DaysIn(y, m))));
      Key = 0;
      return;
    }
    default: return;
  }
  SetDate(date_ + days);
  Key = 0;
}

void TMonthCalendarEx::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->SetFont(Font());
  const int cw = CellWidth(), rh = RowHeight(), th = TitleHeight();
  const int w = 7 * cw + 2 * kMargin;
  // Title: the scroll arrows and the month and year.
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(Rect(0, 0, w, th));
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(clBtnText);
  auto centred = [&](const TRect& r, const String& text) {
    c->TextOut(r.Left + (r.Width() - c->TextWidth(text)) / 2, r.Top + (r.Height() - c->TextHeight(text)) / 2, text);
  };
  centred(Rect(0, 0, cw, th), u"<");
  centred(Rect(w - cw, 0, w, th), u">");
  if (view_ == MCMV_MONTH) centred(TitleTextRect(false), rtl::FormatSettings().LongMonthNames[shownMonth_ - 1]);
  const int decade = shownYear_ / 10 * 10;
  centred(TitleTextRect(true), view_ == MCMV_DECADE ? IntText(decade) + u"-" + IntText(decade + 9) : IntText(shownYear_));
  c->Font()->SetColor(Font()->Color());
  if (view_ == MCMV_MONTH) {
    for (int i = 0; i < 7; ++i)
      centred(Bounds(kMargin + i * cw, th, cw, rh), rtl::FormatSettings().ShortDayNames[i]);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(clBtnShadow);
    c->FillRect(Rect(kMargin, th + rh - 1, w - kMargin, th + rh));
    const TDateTime first = FirstShownDay();
    for (int i = 0; i < 42; ++i) {
      const TDateTime d = first + i;
      int yy, mm, dd;
      rtl::DecodeDate(d, yy, mm, dd);
      const TRect r = DayRect(d);
      const bool selected = d == date_;
      if (selected) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clHighlight);
        c->FillRect(r);
      }
      c->Brush()->SetStyle(bsClear);
      c->Font()->SetColor(selected ? clHighlightText : (mm == shownMonth_ ? Font()->Color() : clGrayText));
      centred(r, IntText(dd));
      if (d == Today()) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clRed);
        c->FrameRect(r);
      }
    }
  } else {
    for (int i = 0; i < 12; ++i) {
      const TRect r = ZoomCellRect(i);
      const String text = view_ == MCMV_YEAR ? rtl::FormatSettings().ShortMonthNames[i] : IntText(decade - 1 + i);
      const bool current = view_ == MCMV_YEAR ? i + 1 == shownMonth_ : decade - 1 + i == shownYear_;
      if (current) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clHighlight);
        c->FillRect(r);
      }
      c->Brush()->SetStyle(bsClear);
      c->Font()->SetColor(current ? clHighlightText : Font()->Color());
      centred(r, text);
    }
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(Font()->Color());
  int ty, tm, td;
  rtl::DecodeDate(Today(), ty, tm, td);
  centred(Rect(0, th + 7 * rh, w, th + 8 * rh),
          IntText(ty) + u"-" + (tm < 10 ? u"0" : u"") + IntText(tm) + u"-" + (td < 10 ? u"0" : u"") + IntText(td));
  c->Brush()->SetStyle(bsSolid);
}

// --- the popup -------------------------------------------------------------------

TPopupMonthCalendarEx::TPopupMonthCalendarEx(TComponent* AOwner) : TMonthCalendarEx(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  SetVisible(false);
  SetAutoSize(true);
}

QWidget* TPopupMonthCalendarEx::CreateWidget(QWidget*) {
  QWidget* w = TMonthCalendarEx::CreateWidget(nullptr);
  MakePopupWidget(w, true);
  return w;
}

void TPopupMonthCalendarEx::InitWidget() {
  TMonthCalendarEx::InitWidget();
  AdjustToAutoSize();
}

int TPopupMonthCalendarEx::FrameWidth() const { return (ctl3D_ ? 0 : 1) + borderWidth_; }

// The calendar fills the client area; the frame is added round it.
void TPopupMonthCalendarEx::AdjustToAutoSize() {
  const TRect r = MinRequiredRect();
  SetBounds(Left(), Top(), r.Width() + 2 * FrameWidth(), r.Height() + 2 * FrameWidth());
}

void TPopupMonthCalendarEx::SetCtl3D(bool Value) {
  if (Value == ctl3D_) return;
  ctl3D_ = Value;
  borderWidth_ = Value ? 2 : 0;
  AdjustToAutoSize();
  // The frame is the window's, so it comes with a new window.
  if (HandleAllocated()) RecreateWnd();
}

// Without the 3D look the window has a plain line round it; with it the
// raised edge of BorderWidth.
void TPopupMonthCalendarEx::PaintBorder() {
  TWindowCanvas dc(this);
  TRect r = Rect(0, 0, Width(), Height());
  if (!ctl3D_) {
    dc.Brush()->SetColor(clWindowFrame);
    dc.FrameRect(r);
    return;
  }
  dc.DrawEdge(r, BDR_RAISEDOUTER, BF_RECT);
  r.Inflate(-1, -1);
  dc.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
}

void TPopupMonthCalendarEx::CloseUp(bool Accept) {
  if (auto* owner = dynamic_cast<IPopupOwnerEx*>(Owner())) owner->CloseUp(Accept);
}

void TPopupMonthCalendarEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  auto alive = alive_;
  TMonthCalendarEx::DoKeyDown(Key, Shift);
  if (!*alive) return;
  if (Key == VK_RETURN || Key == VK_ESCAPE) {
    const bool accept = Key == VK_RETURN;
    Key = 0;
    CloseUp(accept);
  }
}

void TPopupMonthCalendarEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  auto alive = alive_;
  TMonthCalendarEx::MouseDown(Button, Shift, X, Y);
  if (!*alive) return;
  if (!Rect(0, 0, Width(), Height()).Contains(Point(X, Y))) {
    CloseUp(false);
    return;
  }
  downViewType_ = CurrentView();
}

void TPopupMonthCalendarEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool inside = Rect(0, 0, Width(), Height()).Contains(Point(X, Y));
  const unsigned code = HitTest(Point(X, Y));
  auto alive = alive_;
  TMonthCalendarEx::MouseUp(Button, Shift, X, Y);
  if (!*alive || !inside || !dynamic_cast<IPopupOwnerEx*>(Owner())) return;
  const bool accepting = (code & 0x1) != 0 || (code & 0x20000) != 0;
  const bool excluded = code == MCHT_CALENDARDAY || code == MCHT_TITLEBTNNEXT || code == MCHT_TITLEBTNPREV;
  if (accepting && !excluded && downViewType_ == MCMV_MONTH) CloseUp(true);
}

bool TPopupMonthCalendarEx::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!handled) {
    if (WheelDelta < 0 && OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    if (WheelDelta > 0 && OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  }
  if (!handled) SetDate(Date() + (WheelDelta < 0 ? 1 : -1));
  return true;
}

void TPopupMonthCalendarEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TMonthCalendarEx::Dispatch(Message);
      Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS;
      return;
    case CM_WANTSPECIALKEY:
      if (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) {
        Message.Result = 1;
        CloseUp(Message.WParam == VK_RETURN);
        return;
      }
      TMonthCalendarEx::Dispatch(Message);
      return;
    case WM_NCCALCSIZE:
      TMonthCalendarEx::Dispatch(Message);
      reinterpret_cast<TRect*>(Message.LParam)->Inflate(-FrameWidth(), -FrameWidth());
      return;
    case WM_NCPAINT:
      TMonthCalendarEx::Dispatch(Message);
      PaintBorder();
      return;
    case WM_KILLFOCUS: {
      auto alive = alive_;
      TMonthCalendarEx::Dispatch(Message);
      // Closing waits until the focus change has finished.
      if (*alive) PostMessage(this, WM_POPUPCLOSEUP, 0, 0);
      return;
    }
    case WM_POPUPCLOSEUP:
      // The focus went to a part of the calendar itself: it stays open.
      for (int i = 0; i < ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w && w->Focused()) return;
      if (Focused()) return;
      CloseUp(false);
      return;
    default:
      TMonthCalendarEx::Dispatch(Message);
  }
}

}  // namespace grid
