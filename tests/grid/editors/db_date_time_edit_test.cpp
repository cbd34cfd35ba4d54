// The date-time editor over the in-memory dataset: the mask each kind gives
// for the locale, format errors, two-digit years, stepping the element at
// the caret, validation on leaving, writing into a date field, and the
// calendar that drops down under it.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/data/data_source.h"
#include "platform/runtime/datetime.h"
#include "grid/editors/db_date_time_edit_ex.h"
#include "platform/ui/edits.h"
#include "platform/runtime/exceptions.h"
#include "components/extended/data/ext_memory_data.h"
#include "platform/runtime/format_settings.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"
#include "grid/editors/inplace_edit_intf_ex.h"
#include "platform/ui/keys.h"
#include "tests/grid/editors/editor_test_text.h"

using namespace db;
using ext::TExtMemoryData;
using grid::TDBDateTimeEditEx;
using rtl::Variant;
using ui::String;

namespace {

constexpr ui::WPARAM kWheelDown = static_cast<ui::WPARAM>(static_cast<std::uint16_t>(-120)) << 16;


rtl::TDateTime DT(int Y, int M, int D, int H = 0, int N = 0, int S = 0) {
  return rtl::EncodeDateTime(Y, M, D, H, N, S, 0);
}

// A holder that takes the Up key for its own navigation.
class UpTakingHolder : public ui::TCustomControl, public grid::IInplaceEditHolderEx {
 public:
  explicit UpTakingHolder(ui::TComponent* Owner) : TCustomControl(Owner) {}
  bool InplaceEditCanModify(ui::TControl*) override { return true; }
  bool GetMouseDownInfo(ui::TPoint&, std::uint32_t&) override { return false; }
  void InplaceEditWndProc(ui::TControl*, ui::TMessage&) override {}
  void InplaceEditKeyDown(ui::TControl*, std::uint16_t& Key, ui::TShiftState) override {
    if (Key == ui::VK_UP) Key = 0;
  }
  void InplaceEditKeyPress(ui::TControl*, char16_t&) override {}
  void InplaceEditKeyUp(ui::TControl*, std::uint16_t&, ui::TShiftState) override {}
};

struct DBDateTimeEdit : ::testing::Test {
  uitest::Harness h;
  rtl::TFormatSettings saved = rtl::FormatSettings();
  TExtMemoryData ds{nullptr};
  TDataSource src{nullptr};
  ui::TForm* form = nullptr;
  TDBDateTimeEditEx* edit = nullptr;
  ui::TEdit* other = nullptr;

  void SetUp() override {
    // Month-day-year with four-digit years, '/' and ':' as separators.
    rtl::FormatSettings() = rtl::TFormatSettings::Invariant();
    ds.FieldDefs().Add(u"D", ftDateTime);
    ds.FieldDefs().Add(u"N", ftInteger);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"D")->SetAsDateTime(DT(2020, 5, 6, 8, 15, 30));
    ds.FieldByName(u"N")->SetAsInteger(1);
    ds.Post();
    src.SetDataSet(&ds);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(100, 100, 320, 260);
    edit = new TDBDateTimeEditEx(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 150, 21);
    other = new ui::TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 220, 120, 21);
  }
  void TearDown() override { rtl::FormatSettings() = saved; }
  void Bind() {
    edit->SetDataSource(&src);
    edit->SetDataField(u"D");
  }
  void Focus() {
    // Enters from the other edit, as a user moving in would.
    h.Show(form);
    other->SetFocus();
    h.ProcessEvents();
    edit->SetFocus();
    h.ProcessEvents();
    ASSERT_TRUE(edit->Focused());
  }
  TField* F() { return ds.FieldByName(u"D"); }
  rtl::TDateTime Value() { return edit->Value().AsDateTime(); }
  void Caret(int At) {
    edit->SetSelStart(At);
    edit->SetSelLength(0);
  }
};

TEST_F(DBDateTimeEdit, EachKindTakesItsMaskFromTheLocale) {
  struct Case {
    const char16_t* shortDate;
    char16_t dateSep;
    grid::TDateTimeKindEx kind;
    const char16_t* format;
    const char16_t* mask;
    const char16_t* shown;  // 2020-05-06 07:08:09
  } cases[] = {
      {u"dd.MM.yyyy", u'/', grid::dtkDateEx, u"DD/MM/YYYY", u"!99/99/9999;1; ", u"06/05/2020"},
      {u"M/d/yy", u'/', grid::dtkDateEx, u"MM/DD/YY", u"!99/99/99;1; ", u"05/06/20"},
      {u"yyyy-mm-dd", u'/', grid::dtkDateEx, u"YYYY/MM/DD", u"!9999/99/99;1; ", u"2020/05/06"},
      {u"mm/dd/yyyy", u'/', grid::dtkTimeEx, u"HH:NN:SS", u"!99:99:99;1; ", u"07:08:09"},
      {u"dd/mm/yyyy", u'/', grid::dtkDateTimeEx, u"DD/MM/YYYY HH:NN:SS", u"!99/99/9999 99:99:99;1; ",
       u"06/05/2020 07:08:09"},
      // The text carries the locale's separator, the same as the display.
      {u"dd.mm.yyyy", u'.', grid::dtkDateEx, u"DD/MM/YYYY", u"!99\\.99\\.9999;1; ", u"06.05.2020"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.format));
    rtl::FormatSettings().ShortDateFormat = c.shortDate;
    rtl::FormatSettings().DateSeparator = c.dateSep;
    TDBDateTimeEditEx e(nullptr);
    e.SetKind(c.kind);
    EXPECT_EQ(Utf8(e.EditFormat()), Utf8(c.format));
    EXPECT_EQ(Utf8(e.EditMask()), Utf8(c.mask));
    e.SetValue(Variant::FromDate(DT(2020, 5, 6, 7, 8, 9)));
    EXPECT_EQ(Utf8(e.EditText()), Utf8(c.shown));
    // Read back from the text, the shown parts give the value again.
    e.SetText(e.EditText());
    EXPECT_EQ(Utf8(e.EditText()), Utf8(c.shown));
  }
  // A custom editor without a format works on free text.
  TDBDateTimeEditEx e(nullptr);
  e.SetEditFormat(String());
  EXPECT_EQ(e.Kind(), grid::dtkCustomEx);
  EXPECT_TRUE(e.EditMask().empty());
  EXPECT_TRUE(e.DateTimeFormat().empty());
}

TEST_F(DBDateTimeEdit, EditFormatMakesTheEditorCustomAndRefusesBadFormats) {
  EXPECT_EQ(edit->Kind(), grid::dtkDateEx);
  EXPECT_TRUE(edit->IsKindStored());
  EXPECT_FALSE(edit->IsEditFormatStored());
  edit->SetEditFormat(edit->EditFormat());  // unchanged text
  EXPECT_EQ(edit->Kind(), grid::dtkCustomEx);
  EXPECT_FALSE(edit->IsKindStored());
  EXPECT_TRUE(edit->IsEditFormatStored());

  edit->SetEditFormat(u"YYYY-MM-DD HH:NN");
  edit->SetValue(Variant::FromDate(DT(2021, 3, 4, 5, 6)));
  const std::pair<const char16_t*, const char16_t*> bad[] = {
      {u"MMM", u"Element in EditFormat: \"MMM\" is too long. Pos: 3"},
      {u"DD/MM/DD", u"Duplicating datetime format element: \"D\""},
      {u"D/MM/YY", u"Invalid datetime format element length: \"D\""},
  };
  for (const auto& [format, message] : bad) {
    try {
      edit->SetEditFormat(format);
      ADD_FAILURE() << Utf8(format) << " was taken";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(Utf8(e.Message()), Utf8(message));
    }
    // The refused format leaves the editor as it was.
    EXPECT_EQ(Utf8(edit->EditFormat()), "YYYY-MM-DD HH:NN");
    EXPECT_EQ(Utf8(edit->EditText()), "2021-03-04 05:06");
  }
}

TEST_F(DBDateTimeEdit, TwoDigitYearsLandInTheWindowAndStepWithoutGrowing) {
  edit->SetEditFormat(u"DD/MM/YY");
  int year = 0, month = 0, day = 0;
  rtl::DecodeDate(rtl::Date(), year, month, day);
  // The hundred years start sixty years back.
  const int first = year - 60;
  edit->SetText(rtl::Format(u"01/02/%.2d", {first % 100}));
  rtl::DecodeDate(Value(), year, month, day);
  EXPECT_EQ(year, first);
  edit->SetText(rtl::Format(u"01/02/%.2d", {(first + 99) % 100}));
  rtl::DecodeDate(Value(), year, month, day);
  EXPECT_EQ(year, first + 99);

  Focus();
  edit->SetText(u"01/02/99");
  Caret(6);
  h.Key(edit, ui::VK_UP);
  EXPECT_EQ(Utf8(edit->EditText()), "01/02/00");
  EXPECT_EQ(edit->SelStart(), 6);
  EXPECT_EQ(edit->SelLength(), 2);
  h.Key(edit, ui::VK_DOWN);
  EXPECT_EQ(Utf8(edit->EditText()), "01/02/99");
}

TEST_F(DBDateTimeEdit, ArrowsWheelAndButtonStepTheElementAtTheCaret) {
  edit->SetKind(grid::dtkDateTimeEx);  // MM/DD/YYYY HH:NN:SS
  Focus();
  struct Case {
    rtl::TDateTime from;
    int caret;
    std::uint16_t key;
    const char16_t* text;
    int selStart, selLength;
  } cases[] = {
      {DT(2020, 12, 5), 0, ui::VK_UP, u"01/05/2020 00:00:00", 0, 2},     // month 12 wraps to 01
      {DT(2020, 2, 1), 4, ui::VK_DOWN, u"02/31/2020 00:00:00", 3, 2},    // day 01 wraps to 31, any month
      {DT(2020, 2, 1), 11, ui::VK_DOWN, u"02/01/2020 23:00:00", 11, 2},  // hour 00 wraps to 23
      {DT(2020, 2, 1, 0, 59), 15, ui::VK_UP, u"02/01/2020 00:00:00", 14, 2},
      {DT(9999, 2, 1), 7, ui::VK_UP, u"02/01/0001 00:00:00", 6, 4},
      {DT(2020, 2, 1), 2, ui::VK_UP, u"02/02/2020 00:00:00", 3, 2},  // on a separator: the next element
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    edit->SetValue(Variant::FromDate(c.from));
    Caret(c.caret);
    h.Key(edit, c.key);
    EXPECT_EQ(Utf8(edit->EditText()), Utf8(c.text));
    EXPECT_EQ(edit->SelStart(), c.selStart);
    EXPECT_EQ(edit->SelLength(), c.selLength);
  }
  // The stepped text is read back: February 31 is no date until it is validated.
  edit->SetValue(Variant::FromDate(DT(2021, 2, 1)));
  Caret(3);
  h.Key(edit, ui::VK_DOWN);
  EXPECT_TRUE(edit->Value().IsNull());
  edit->ValidateEdit();
  EXPECT_EQ(Value(), DT(2021, 2, 28));

  // The wheel steps too; read-only or shifted it does not.
  edit->SetValue(Variant::FromDate(DT(2020, 6, 1)));
  Caret(0);
  edit->Perform(ui::WM_MOUSEWHEEL, kWheelDown, 0);
  EXPECT_EQ(Utf8(edit->EditText().substr(0, 2)), "05");
  edit->SetReadOnly(true);
  Caret(0);
  h.Key(edit, ui::VK_UP);
  EXPECT_EQ(Utf8(edit->EditText().substr(0, 2)), "05");
  edit->SetReadOnly(false);
  h.Key(edit, ui::VK_UP, ui::TShiftState{ui::ssShift});
  EXPECT_EQ(Utf8(edit->EditText().substr(0, 2)), "05");

  // A holder that takes the key, or an OnKeyDown handler that clears it, stops the step.
  auto* holder = new UpTakingHolder(form);
  holder->SetParent(form);
  edit->SetInplaceEditHolder(holder);
  Caret(0);
  h.Key(edit, ui::VK_UP);
  EXPECT_EQ(Utf8(edit->EditText().substr(0, 2)), "05");
  h.Key(edit, ui::VK_DOWN);
  EXPECT_EQ(Utf8(edit->EditText().substr(0, 2)), "04");
  edit->SetInplaceEditHolder(nullptr);
  edit->OnKeyDown = [](ui::TObject*, std::uint16_t& Key, ui::TShiftState) { Key = 0; };
  Caret(0);
  h.Key(edit, ui::VK_UP);
  EXPECT_EQ(Utf8(edit->EditText().substr(0, 2)), "04");
}

TEST_F(DBDateTimeEdit, LeftAndRightLeaveASelectedElementAtItsEdges) {
  edit->SetValue(Variant::FromDate(DT(2020, 5, 6)));
  Focus();
  for (std::uint16_t key : {ui::VK_LEFT, ui::VK_RIGHT}) {
    edit->SetSelStart(3);
    edit->SetSelLength(2);
    h.Key(edit, key);
    EXPECT_EQ(edit->SelLength(), 0);
    EXPECT_EQ(edit->SelStart(), key == ui::VK_LEFT ? 2 : 5);
  }
  EXPECT_EQ(Utf8(edit->EditText()), "05/06/2020");
}

TEST_F(DBDateTimeEdit, SeparatorKeySelectsTheNextElement) {
  edit->SetKind(grid::dtkDateTimeEx);
  Focus();
  edit->SetValue(Variant::FromDate(DT(2020, 5, 6, 7, 8, 9)));
  struct Case {
    int caret;
    char16_t key;
    int selStart, selLength;
  } cases[] = {
      {0, u'/', 3, 2},   // month -> day
      {3, u'/', 6, 4},   // day -> year
      {6, u'/', 0, 2},   // no further '/': back to the first element
      {11, u':', 14, 2},  // hour -> minutes, in the time part of the text
      {14, u':', 17, 2},
  };
  for (const Case& c : cases) {
    Caret(c.caret);
    h.Type(edit, String(1, c.key));
    EXPECT_EQ(edit->SelStart(), c.selStart) << c.caret;
    EXPECT_EQ(edit->SelLength(), c.selLength) << c.caret;
  }
  EXPECT_EQ(Utf8(edit->EditText()), "05/06/2020 07:08:09");
}

TEST_F(DBDateTimeEdit, TypedTextIsReadBackAndLeavingFillsWhatIsMissing) {
  edit->SetEditFormat(u"DD/MM/YYYY");
  Focus();
  int year = 0, month = 0, day = 0;
  rtl::DecodeDate(rtl::Date(), year, month, day);

  // A half-typed date has no value yet; leaving takes month and year from today.
  edit->SelectAll();
  h.Type(edit, u"3");
  EXPECT_TRUE(edit->Value().IsNull());
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(Value(), rtl::EncodeDate(year, month, 3));
  EXPECT_EQ(Utf8(edit->EditText()), Utf8(rtl::FormatDateTime(u"DD'/'MM'/'YYYY", Value())));

  // The day is clamped to its month.
  edit->SetFocus();
  h.ProcessEvents();
  edit->SelectAll();
  h.Type(edit, u"3102");
  EXPECT_TRUE(edit->Value().IsNull());
  edit->ValidateEdit();
  EXPECT_EQ(Value(), rtl::EncodeDate(year, 2, rtl::DaysInAMonth(year, 2)));

  // Code writing text that is no date is refused.
  try {
    edit->SetText(u"05/  /2020");
    ADD_FAILURE() << "taken";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(Utf8(e.Message()), "Invalid datetime: \"05/  /2020\"");
  }
  EXPECT_EQ(Value(), rtl::EncodeDate(year, 2, rtl::DaysInAMonth(year, 2)));
}

TEST_F(DBDateTimeEdit, WritesOnlyTheShownPartsIntoTheDateField) {
  edit->SetEditFormat(u"HH:NN");
  Bind();
  EXPECT_EQ(Utf8(edit->EditText()), "08:15");
  Focus();
  edit->SelectAll();
  h.Type(edit, u"1045");
  EXPECT_EQ(ds.State(), dsEdit);
  EXPECT_EQ(Utf8(edit->EditText()), "10:45");
  EXPECT_EQ(Value(), DT(2020, 5, 6, 10, 45, 30));
  other->SetFocus();
  h.ProcessEvents();
  ds.Post();
  EXPECT_EQ(F()->AsDateTime(), DT(2020, 5, 6, 10, 45, 30));

  // A value from code goes straight in; the field's time of day stays.
  edit->SetKind(grid::dtkDateEx);
  EXPECT_EQ(Utf8(edit->EditText()), "05/06/2020");
  edit->SetText(u"07/08/2021");
  ds.Post();
  EXPECT_EQ(F()->AsDateTime(), DT(2021, 7, 8, 10, 45, 30));
  edit->SetValue(Variant::Null());
  EXPECT_TRUE(F()->IsNull());
  EXPECT_EQ(Utf8(edit->EditText()), "  /  /    ");
}

TEST_F(DBDateTimeEdit, LocaleYearDigitsAreNoticedOnFocus) {
  EXPECT_TRUE(edit->FourDigitYear());
  edit->SetValue(Variant::FromDate(DT(2020, 5, 6)));
  rtl::FormatSettings().ShortDateFormat = u"d/m/yy";
  EXPECT_EQ(Utf8(edit->EditFormat()), "MM/DD/YYYY");
  Focus();
  EXPECT_FALSE(edit->FourDigitYear());
  EXPECT_EQ(Utf8(edit->EditFormat()), "DD/MM/YY");
  EXPECT_EQ(Value(), DT(2020, 5, 6));
  EXPECT_EQ(Utf8(edit->EditText()), "06/05/20");
}

TEST_F(DBDateTimeEdit, RecentValuesAndCopiesFollowTheFormat) {
  edit->SetKind(grid::dtkDateTimeEx);
  Bind();
  // A copy painted for another record shows that record's field.
  edit->SetControlState(edit->ControlState() + ui::csPaintCopy);
  EXPECT_EQ(Utf8(edit->DisplayTextForPaintCopy()), "05/06/2020 08:15:30");
  ds.Edit();
  F()->Clear();
  EXPECT_EQ(Utf8(edit->DisplayTextForPaintCopy()), "");
  ds.Cancel();
  edit->SetControlState(edit->ControlState() - ui::csPaintCopy);
  EXPECT_EQ(Utf8(edit->DisplayTextForPaintCopy()), "05/06/2020 08:15:30");

  // Typed so far: "05/0", blanks and separators at the end do not count.
  edit->SetEditFormat(u"MM/DD/YYYY");
  edit->SetDataSource(nullptr);
  edit->SetDataField(String());
  Focus();
  edit->SelectAll();
  h.Type(edit, u"050");
  ASSERT_EQ(Utf8(edit->EditText()), "05/0 /    ");
  const std::pair<const char16_t*, bool> items[] = {
      {u"05/06/2020", true}, {u"05/16/2020", false}, {u"06/05/2020", false}, {u"05/0", true}, {u"05", false}};
  for (const auto& [item, accepted] : items) {
    bool accept = !accepted;
    edit->FilterMRUItem(item, accept);
    EXPECT_EQ(accept, accepted) << Utf8(item);
  }
}

TEST_F(DBDateTimeEdit, FailedExitKeepsTheFocusAndTheField) {
  edit->SetEditFormat(String());  // free text
  Bind();
  Focus();
  int exits = 0;
  edit->OnExit = [&](ui::TObject*) { ++exits; };
  edit->SelectAll();
  h.Type(edit, u"someday");
  EXPECT_TRUE(edit->Value().IsNull());
  h.AnswerMessageBox(1);
  other->SetFocus();
  h.ProcessEvents();
  ASSERT_EQ(h.MessageBoxes().size(), 1u);
  EXPECT_EQ(exits, 1);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->SelLength(), static_cast<int>(edit->Text().size()));
  ds.Cancel();
  EXPECT_EQ(F()->AsDateTime(), DT(2020, 5, 6, 8, 15, 30));
}

TEST_F(DBDateTimeEdit, CalendarPicksTheDayAndKeepsTheTimeOfDay) {
  edit->SetKind(grid::dtkDateTimeEx);
  Bind();
  Focus();
  std::vector<bool> closes;
  int drops = 0;
  edit->OnDropDown = [&](ui::TObject*) { ++drops; };
  edit->OnCloseUp = [&](ui::TObject*, bool Accept) { closes.push_back(Accept); };

  edit->DropDown();
  ASSERT_TRUE(edit->CalendarVisible());
  EXPECT_EQ(drops, 1);
  grid::TPopupMonthCalendarEx* cal = edit->DropDownCalendar();
  EXPECT_TRUE(cal->Visible());
  EXPECT_EQ(cal->Date(), DT(2020, 5, 6));
  // It hangs below the editor, the editor keeps the focus.
  EXPECT_EQ(cal->Top(), edit->ClientToScreen(ui::Point(0, edit->Height())).Y);
  EXPECT_TRUE(edit->Focused());

  h.Key(edit, ui::VK_RIGHT);
  h.Key(edit, ui::VK_DOWN);
  EXPECT_EQ(cal->Date(), DT(2020, 5, 14));
  h.Key(edit, ui::VK_RETURN);
  EXPECT_FALSE(edit->CalendarVisible());
  EXPECT_FALSE(cal->Visible());
  EXPECT_EQ(closes, std::vector<bool>{true});
  EXPECT_EQ(Value(), DT(2020, 5, 14, 8, 15, 30));
  EXPECT_EQ(Utf8(edit->EditText()), "05/14/2020 08:15:30");
  EXPECT_EQ(edit->SelLength(), static_cast<int>(edit->EditText().size()));
  other->SetFocus();
  h.ProcessEvents();
  ds.Post();
  EXPECT_EQ(F()->AsDateTime(), DT(2020, 5, 14, 8, 15, 30));

  // Escape, focus loss and a cancel from elsewhere close without taking the day.
  edit->SetFocus();
  h.ProcessEvents();
  for (int way = 0; way < 3; ++way) {
    edit->DropDown();
    h.Key(edit, ui::VK_DOWN);
    if (way == 0) h.Key(edit, ui::VK_ESCAPE);
    if (way == 1) {
      other->SetFocus();
      h.ProcessEvents();
    }
    if (way == 2) edit->Perform(ui::CM_CANCELMODE, 0, reinterpret_cast<ui::LPARAM>(other));
    EXPECT_FALSE(edit->CalendarVisible()) << way;
    EXPECT_EQ(Value(), DT(2020, 5, 14, 8, 15, 30)) << way;
    edit->SetFocus();
    h.ProcessEvents();
  }
  EXPECT_EQ(closes, (std::vector<bool>{true, false, false, false}));

  // A cancel from the calendar itself keeps it open; an empty editor starts at today.
  edit->SetValue(Variant::Null());
  edit->DropDown();
  edit->Perform(ui::CM_CANCELMODE, 0, reinterpret_cast<ui::LPARAM>(cal));
  EXPECT_TRUE(edit->CalendarVisible());
  EXPECT_EQ(cal->Date(), rtl::Date());
  edit->CloseUp(false);
}

TEST_F(DBDateTimeEdit, ButtonAndAltDownOpenAndCloseTheCalendar) {
  edit->SetValue(Variant::FromDate(DT(2020, 5, 6)));
  Focus();
  auto* button = edit->ButtonControl(0).EditButtonControl;
  ASSERT_TRUE(button->Visible());
  EXPECT_GT(edit->ButtonWidth(), 0);
  h.Click(button);
  EXPECT_TRUE(edit->CalendarVisible());  // the click ending the opening press keeps it open
  h.Click(button);
  EXPECT_FALSE(edit->CalendarVisible());
  h.Key(edit, ui::VK_DOWN, ui::TShiftState{ui::ssAlt});
  EXPECT_TRUE(edit->CalendarVisible());
  h.Key(edit, ui::VK_DOWN, ui::TShiftState{ui::ssAlt});
  EXPECT_FALSE(edit->CalendarVisible());
  EXPECT_EQ(Value(), DT(2020, 5, 6));

  // Pressing the button and dragging onto a day picks it on release.
  h.MouseDown(button, ui::Point(3, 3));
  ASSERT_TRUE(edit->CalendarVisible());
  grid::TPopupMonthCalendarEx* cal = edit->DropDownCalendar();
  const ui::TRect day = cal->DayRect(DT(2020, 5, 20));
  const ui::TPoint centre = ui::Point((day.Left + day.Right) / 2, (day.Top + day.Bottom) / 2);
  const ui::TPoint onDay = button->ScreenToClient(cal->ClientToScreen(centre));
  h.MouseMove(button, onDay, ui::TShiftState{ui::ssLeft});
  EXPECT_FALSE(button->MouseCapture());
  EXPECT_EQ(cal->Date(), DT(2020, 5, 20));
  h.MouseUp(cal, centre);
  EXPECT_FALSE(edit->CalendarVisible());
  EXPECT_EQ(Value(), DT(2020, 5, 20));
}

TEST_F(DBDateTimeEdit, UpDownButtonStepsTheElementAtTheCaret) {
  edit->EditButton()->SetStyle(grid::ebsUpDownEx);
  edit->SetValue(Variant::FromDate(DT(2020, 5, 6)));
  Focus();
  auto* button = edit->ButtonControl(0).EditButtonControl;
  Caret(3);
  h.Click(button, ui::Point(3, 2));  // upper half
  EXPECT_EQ(Utf8(edit->EditText()), "05/07/2020");
  EXPECT_EQ(edit->SelStart(), 3);
  EXPECT_EQ(edit->SelLength(), 2);
  h.Click(button, ui::Point(3, button->Height() - 2));
  h.Click(button, ui::Point(3, button->Height() - 2));
  EXPECT_EQ(Utf8(edit->EditText()), "05/05/2020");
  EXPECT_FALSE(edit->CalendarVisible());
  edit->SetReadOnly(true);
  h.Click(button, ui::Point(3, 2));
  EXPECT_EQ(Utf8(edit->EditText()), "05/05/2020");
}

TEST_F(DBDateTimeEdit, TypedCharactersGoToTheTextWhileTheCalendarIsOpen) {
  // The characters share their codes with navigation keys: ! Page Up,
  // " Page Down, & Up, ( Down, % Left, ' Right.
  edit->SetEditFormat(String());
  edit->SetValue(Variant::FromDate(DT(2020, 5, 6)));
  Focus();
  edit->DropDown();
  grid::TPopupMonthCalendarEx* cal = edit->DropDownCalendar();
  Caret(static_cast<int>(edit->Text().size()));
  h.Type(edit, u"!\"&(%'");
  EXPECT_EQ(Utf8(edit->Text().substr(edit->Text().size() - 6)), "!\"&(%'");
  for (char16_t ch : {u'!', u'('}) edit->Perform(ui::WM_CHAR, ch);
  EXPECT_EQ(Utf8(edit->Text().substr(edit->Text().size() - 2)), "!(");
  EXPECT_EQ(cal->Date(), DT(2020, 5, 6));
  EXPECT_TRUE(edit->CalendarVisible());
  // The real keys and the wheel still reach the calendar.
  h.Key(edit, ui::VK_NEXT);
  EXPECT_EQ(cal->Date(), DT(2020, 6, 6));
  h.Key(edit, ui::VK_END, ui::TShiftState{ui::ssCtrl});
  edit->Perform(ui::WM_MOUSEWHEEL, kWheelDown, 0);
  EXPECT_EQ(cal->Date(), DT(2020, 6, 7));
  edit->CloseUp(false);
}

TEST_F(DBDateTimeEdit, ScreenshotWithTheCalendarOpen) {
  edit->SetKind(grid::dtkDateTimeEx);
  edit->SetValue(Variant::FromDate(DT(2026, 3, 17, 9, 30)));
  Focus();
  edit->DropDown();
  h.ProcessEvents();
  grid::TPopupMonthCalendarEx* cal = edit->DropDownCalendar();
  ASSERT_TRUE(cal->Visible());
  // The chosen day is highlighted.
  const ui::TRect day = cal->DayRect(DT(2026, 3, 17));
  EXPECT_EQ(h.PixelAt(cal, day.Left + 2, day.Top + 2), ui::ColorToRGB(ui::clHighlight));
  EXPECT_FALSE(h.SaveScreenshot(form, "db_date_time_edit").empty());
  EXPECT_FALSE(h.SaveScreenshot(cal, "db_date_time_edit_calendar").empty());
  edit->CloseUp(false);
}

}  // namespace
