// Edit formats of the date-time editor: masks and element tables, display
// formats, the three format errors, two-digit years, merging typed text
// into a value and stepping one element.
#include <gtest/gtest.h>

#include "grid/editors/date_time_edit_format.h"
#include "platform/runtime/exceptions.h"
#include "tests/grid/editors/editor_test_text.h"

using namespace grid;
using rtl::String;
using rtl::Variant;

namespace {


struct MaskCase {
  const char16_t* format;
  const char16_t* mask;
  int year, month, day, hour, min, sec;  // positions, -1 absent
};

TEST(DateTimeEditFormat, MaskTable) {
  const MaskCase cases[] = {
      {u"DD/MM/YYYY", u"!99/99/9999;1; ", 7, 4, 1, -1, -1, -1},
      {u"YYYY-MM-DD HH:NN:SS", u"!9999-99-99 99:99:99;1; ", 1, 6, 9, 12, 15, 18},
      {u"HH.NN", u"!99.99;1; ", -1, -1, -1, 1, 4, -1},
      {u"yy/mm/dd", u"!99/99/99;1; ", 1, 4, 7, -1, -1, -1},
      // A mask directive outside an element stays a literal; escaped, it acts.
      {u"0HH", u"!\\099;1; ", -1, -1, -1, 2, -1, -1},
      {u"\\0HH", u"!099;1; ", -1, -1, -1, 2, -1, -1},
      // An escaped element letter is plain text.
      {u"\\DHH", u"!D99;1; ", -1, -1, -1, 2, -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.format));
    TDateTimeElementsMaskPosEx pos;
    String mask;
    EditFormatToMask(c.format, pos, mask);
    EXPECT_EQ(Utf8(mask), Utf8(c.mask));
    const std::pair<TElementMaskPosEx, int> expected[] = {{pos.Year, c.year}, {pos.Month, c.month}, {pos.Day, c.day},
                                                          {pos.Hour, c.hour}, {pos.Min, c.min},     {pos.Sec, c.sec}};
    for (const auto& [element, at] : expected) {
      EXPECT_EQ(element.Present, at > 0);
      EXPECT_EQ(element.Pos, at);
    }
  }
  TDateTimeElementsMaskPosEx pos;
  String mask;
  EditFormatToMask(u"DD/MM/YYYY", pos, mask);
  EXPECT_EQ(pos.Year.Length, 4);
  EXPECT_EQ(pos.Day.Length, 2);
}

TEST(DateTimeEditFormat, ErrorTexts) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"MMM", u"Element in EditFormat: \"MMM\" is too long. Pos: 3"},
      {u"YYYYY", u"Element in EditFormat: \"YYYYY\" is too long. Pos: 5"},
      {u"DD/MM/DD", u"Duplicating datetime format element: \"D\""},
      {u"D/MM/YY", u"Invalid datetime format element length: \"D\""},
      {u"DD/MM/YYY", u"Invalid datetime format element length: \"Y\""},
  };
  for (const auto& [format, text] : cases) {
    TDateTimeElementsMaskPosEx pos;
    String mask = u"unchanged";
    try {
      EditFormatToMask(format, pos, mask);
      ADD_FAILURE() << Utf8(format);
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(Utf8(e.Message()), Utf8(text));
    }
  }
}

TEST(DateTimeEditFormat, DisplayFormatAndTemplate) {
  EXPECT_EQ(Utf8(EditFormatToDisplayFormat(u"DD.MM.YYYY")), "DD'.'MM'.'YYYY");
  EXPECT_EQ(Utf8(EditFormatToDisplayFormat(u"dd/mm/yy hh:nn")), "DD/MM/YY' 'HH:NN");
  EXPECT_EQ(Utf8(EditFormatToDisplayFormat(u"\\Day DD")), "'Da'Y' 'DD");
  EXPECT_EQ(Utf8(EditFormatToDisplayFormat(u"DD'x")), "DD'''x'");
  EXPECT_EQ(Utf8(EditFormatToTemplate(u"dd.mm.yyyy hh:nn")), "DD MM YYYY HH:NN");
  EXPECT_EQ(Utf8(EditFormatToTemplate(u"\\DHH")), " HH");
}

TEST(DateTimeEditFormat, LocaleDefaults) {
  rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  const std::tuple<const char16_t*, int, const char16_t*, const char16_t*> cases[] = {
      {u"m/d/yyyy", 0, u"MM/DD/YYYY", u"MM/DD/YY"},
      {u"dd.MM.yyyy", 1, u"DD/MM/YYYY", u"DD/MM/YY"},
      {u"yyyy-M-d", 2, u"YYYY/MM/DD", u"YY/MM/DD"},
      {u"--", 1, u"DD/MM/YYYY", u"DD/MM/YY"},
  };
  for (const auto& [shortFormat, order, four, two] : cases) {
    fs.ShortDateFormat = shortFormat;
    EXPECT_EQ(ShortDateOrder(fs), order);
    EXPECT_EQ(DefaultDateEditFormat(true, fs), four);
    EXPECT_EQ(DefaultDateEditFormat(false, fs), two);
  }
  EXPECT_EQ(DefaultTimeEditFormat(), u"HH:NN:SS");
}

TEST(DateTimeEditFormat, DigitsAndTwoDigitYears) {
  EXPECT_EQ(ParseElementDigits(u"  12"), 12);
  EXPECT_EQ(ParseElementDigits(u"1 2"), 12);
  EXPECT_EQ(ParseElementDigits(u"   "), -1);
  EXPECT_EQ(ParseElementDigits(u"1a"), -1);
  EXPECT_EQ(ParseElementDigits(u"99999999999"), -1);
  EXPECT_EQ(ExpandTwoDigitYear(65, 2026), 2065);
  EXPECT_EQ(ExpandTwoDigitYear(66, 2026), 1966);
  EXPECT_EQ(ExpandTwoDigitYear(0, 2026), 2000);
  EXPECT_EQ(ExpandTwoDigitYear(100, 2026), 100);
}

Variant DateOf(int y, int m, int d, int h = 0, int n = 0, int s = 0) {
  return Variant::FromDate(rtl::EncodeDateTime(y, m, d, h, n, s, 0));
}

TEST(DateTimeEditFormat, MergingTypedText) {
  TDateTimeElementsMaskPosEx pos;
  String mask;
  EditFormatToMask(u"DD/MM/YYYY", pos, mask);
  TDateTimeElementsEx e;
  ASSERT_TRUE(TextToElements(u"31/02/2021", pos, e));
  Variant v = DateOf(2000, 1, 1);
  EXPECT_FALSE(MergeElementsIntoValue(e, pos, v, false));
  EXPECT_TRUE(v.IsNull());
  const rtl::TDateTime today = rtl::EncodeDate(2026, 12, 10);
  EXPECT_TRUE(MergeElementsIntoValue(e, pos, v, true, today));
  EXPECT_EQ(v.AsDateTime(), DateOf(2021, 2, 28).AsDateTime());

  // Missing day, month and year come from today when filling.
  EXPECT_FALSE(TextToElements(u"  /  /2020", pos, e));
  EXPECT_TRUE(MergeElementsIntoValue(e, pos, v, true, today));
  EXPECT_EQ(v.AsDateTime(), DateOf(2020, 12, 10).AsDateTime());
  v = DateOf(1999, 3, 3);
  EXPECT_FALSE(MergeElementsIntoValue(e, pos, v, false));

  // An empty text is no value, and that is valid.
  TextToElements(u"  /  /    ", pos, e);
  v = DateOf(1999, 3, 3);
  EXPECT_TRUE(MergeElementsIntoValue(e, pos, v, false));
  EXPECT_TRUE(v.IsNull());
}

TEST(DateTimeEditFormat, TimeFormatKeepsTheDateAndSeconds) {
  TDateTimeElementsMaskPosEx pos;
  String mask;
  EditFormatToMask(u"HH:NN", pos, mask);
  TDateTimeElementsEx e;
  ASSERT_TRUE(TextToElements(u"14:25", pos, e));
  Variant v = DateOf(2020, 5, 6, 1, 2, 30);
  ASSERT_TRUE(MergeElementsIntoValue(e, pos, v, false));
  EXPECT_EQ(v.AsDateTime(), DateOf(2020, 5, 6, 14, 25, 30).AsDateTime());
  // From no value the date is 1900-01-01.
  v = Variant::Null();
  ASSERT_TRUE(MergeElementsIntoValue(e, pos, v, false));
  EXPECT_EQ(v.AsDateTime(), DateOf(1900, 1, 1, 14, 25).AsDateTime());
  // Hours beyond the day are clamped only when filling.
  ASSERT_TRUE(TextToElements(u"25:61", pos, e));
  EXPECT_FALSE(MergeElementsIntoValue(e, pos, v, false));
  v = Variant::Null();
  ASSERT_TRUE(MergeElementsIntoValue(e, pos, v, true));
  int h, n, s, ms;
  rtl::DecodeTime(v.AsDateTime(), h, n, s, ms);
  EXPECT_EQ(h, 23);
  EXPECT_EQ(n, 59);
}

TEST(DateTimeEditFormat, DayFormatOverAShortMonthGivesNoValue) {
  TDateTimeElementsMaskPosEx pos;
  String mask;
  EditFormatToMask(u"DD", pos, mask);
  TDateTimeElementsEx e;
  ASSERT_TRUE(TextToElements(u"31", pos, e));
  Variant v = DateOf(2021, 2, 10);
  EXPECT_FALSE(MergeElementsIntoValue(e, pos, v, false));
  EXPECT_TRUE(v.IsNull());
}

TEST(DateTimeEditFormat, ValueToElements) {
  TDateTimeElementsEx e;
  ValueToElements(DateOf(2024, 2, 29, 23, 59, 58), e);
  EXPECT_EQ(e.Year, 2024);
  EXPECT_EQ(e.Day, 29);
  EXPECT_EQ(e.Sec, 58);
  ValueToElements(Variant::Null(), e);
  EXPECT_EQ(e.Year, -1);
  EXPECT_EQ(e.Hour, -1);
}

struct StepCase {
  const char16_t* text;
  const char16_t* format;
  int caret;
  bool up;
  const char16_t* result;
  int pos, length;
};

TEST(DateTimeEditFormat, Stepping) {
  rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  fs.DateSeparator = u'.';
  const StepCase cases[] = {
      {u"10.12.2021", u"DD/MM/YYYY", 4, true, u"10.01.2021", 4, 2},
      {u"00:15", u"HH:NN", 1, false, u"23:15", 1, 2},
      {u"31.01.2021", u"DD/MM/YYYY", 2, true, u"01.01.2021", 1, 2},
      {u"01.01.2021", u"DD/MM/YYYY", 1, false, u"31.01.2021", 1, 2},
      // On a separator the element to its right steps.
      {u"10.05.2021", u"DD/MM/YYYY", 3, true, u"10.06.2021", 4, 2},
      {u"10.05.9999", u"DD/MM/YYYY", 7, true, u"10.05.0001", 7, 4},
      // Two-digit years stay two digits both ways.
      {u"10.05.99", u"DD/MM/YY", 7, true, u"10.05.00", 7, 2},
      {u"10.05.00", u"DD/MM/YY", 8, false, u"10.05.99", 7, 2},
      // A blank element counts as 0.
      {u"  .05.21", u"DD/MM/YY", 1, true, u"01.05.21", 1, 2},
      // Past the end: the last element.
      {u"12:59", u"HH:NN", 40, true, u"12:00", 4, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text) + " at " + std::to_string(c.caret));
    String out;
    int pos = c.caret, length = -7;
    StepDateTimeElement(c.text, EditFormatToTemplate(c.format), c.up, out, length, pos, fs);
    EXPECT_EQ(Utf8(out), Utf8(c.result));
    EXPECT_EQ(pos, c.pos);
    EXPECT_EQ(length, c.length);
  }
  // Outside an element nothing changes.
  String out;
  int pos = 3, length = -7;
  StepDateTimeElement(u"ab cd", EditFormatToTemplate(u"HH\\xNN"), true, out, length, pos, fs);
  EXPECT_EQ(Utf8(out), "ab cd");
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(length, -7);
}

TEST(DateTimeEditFormat, FindDateElementAt) {
  rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  fs.ShortDateFormat = u"dd/mm/yyyy";
  int pos = 3, length = 0;
  FindDateElementAt(u"", pos, length, true, fs);
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(length, 2);
  pos = 99;
  FindDateElementAt(u"", pos, length, true, fs);
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(length, 4);
}

}  // namespace
