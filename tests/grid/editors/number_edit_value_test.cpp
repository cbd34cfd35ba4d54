// The number editor's value side: valid characters, limits, rounding (ties
// to even, huge values untouched), grouping while typing, edit formats from
// display formats, stepping, and defaults taken from a field.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/data/data_source.h"
#include "platform/runtime/exceptions.h"
#include "components/extended/data/ext_memory_data.h"
#include "grid/editors/number_edit_value_ex.h"
#include "tests/grid/editors/editor_test_text.h"

using namespace grid;
using rtl::String;
using rtl::Variant;

namespace {



TNumberEditValueEx Editor() {
  TNumberEditValueEx e;
  e.SetFormatSettings(Settings());
  return e;
}

struct CharCase {
  const char16_t* text;
  int selStart, selLength;
  char16_t key;
  bool valid;
};

TEST(NumberEditValue, ValidCharacters) {
  TNumberEditValueEx e = Editor();
  const CharCase cases[] = {
      {u"1.2", 3, 0, u'3', true},  {u"1.23", 4, 0, u'4', false}, {u"", 0, 0, u'-', true},
      {u"-", 1, 0, u'5', true},    {u"12", 2, 0, u'.', true},    {u"12", 2, 0, u',', true},
      {u"12", 2, 0, u'x', false},  {u"1.2", 1, 0, u'.', false},  {u"1.2", 0, 3, u'7', true},
      // The exponent is not counted as a decimal.
      {u"1.2E5", 3, 0, u'3', true}, {u"1.23E5", 4, 0, u'4', false},
      // Grouped text is read without its separators.
      {u"1,234", 5, 0, u'5', true}, {u"", 0, 0, u'.', false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.text) + " + " + Utf8(String(1, c.key)));
    EXPECT_EQ(e.IsValidChar(c.text, c.selStart, c.selLength, c.key), c.valid);
  }
  e.SetDecimalPlaces(0);
  EXPECT_TRUE(e.IsValidChar(u"1", 1, 0, u'.'));
  EXPECT_FALSE(e.IsValidChar(u"1.", 2, 0, u'5'));
  // A non-negative range refuses a minus sign before a digit.
  e.SetMinValue(0);
  e.SetMaxValue(100);
  EXPECT_TRUE(e.IsValidChar(u"", 0, 0, u'-'));
  EXPECT_FALSE(e.IsValidChar(u"-", 1, 0, u'1'));
}

TEST(NumberEditValue, Limits) {
  struct Case {
    long double min, max, in, out;
  } cases[] = {
      {0, 100, 150, 100}, {0, 100, -5, 0}, {5, 0, 3, 5}, {5, 0, 1e9, 1e9},
      {0, -10, -20, -20}, {0, -10, 7, -10}, {3, 3, 99, 99}, {-2, -9, 50, 50},
  };
  for (const auto& c : cases) {
    TNumberEditValueEx e = Editor();
    e.SetMinValue(c.min);
    e.SetMaxValue(c.max);
    EXPECT_EQ(e.CheckValue(c.in), c.out) << static_cast<double>(c.min) << ".." << static_cast<double>(c.max);
  }
  // Typed text over the limit: the value is limited, the text is the typist's.
  TNumberEditValueEx e = Editor();
  e.SetMinValue(0);
  e.SetMaxValue(100);
  e.UpdateValueFromText(u"150");
  EXPECT_EQ(e.Value().AsDouble(), 100);
  e.UpdateValueFromText(u"-");
  EXPECT_EQ(e.Value().AsDouble(), 0);
  e.UpdateValueFromText(u"  ");
  EXPECT_TRUE(e.Value().IsNull());
}

TEST(NumberEditValue, RoundingTiesToEvenAndLeavesHugeValues) {
  EXPECT_DOUBLE_EQ(static_cast<double>(RoundToDecimals(2.675, 2)), 2.67);
  EXPECT_DOUBLE_EQ(static_cast<double>(RoundToDecimals(0.125, 2)), 0.12);
  EXPECT_DOUBLE_EQ(static_cast<double>(RoundToDecimals(0.375, 2)), 0.38);
  EXPECT_EQ(RoundToDecimals(2.5, 0), 2);
  EXPECT_EQ(RoundToDecimals(-3.5, 0), -4);
  // Scaled beyond 2^53 the value already has no fraction to round.
  EXPECT_EQ(RoundToDecimals(1e300, 2), static_cast<long double>(1e300));
  EXPECT_EQ(RoundToDecimals(-1e300, 0), static_cast<long double>(-1e300));
  EXPECT_EQ(RoundToDecimals(1.5, 19), 1.5L);
  EXPECT_EQ(RoundToDecimals(1.25, 37), 1.25L);
  EXPECT_EQ(RoundToDecimals(1.23456, 38), static_cast<long double>(1.23456));

  TNumberEditValueEx e = Editor();
  e.SetDecimalPlaces(25);
  e.UpdateValueFromText(u"0.1");
  EXPECT_DOUBLE_EQ(e.Value().AsDouble(), 0.1);
  e.SetDecimalPlaces(2);
  e.UpdateValueFromText(u"1E300");
  EXPECT_EQ(e.Value().AsDouble(), 1e300);
}

TEST(NumberEditValue, GroupingAndNormalising) {
  const rtl::TFormatSettings fs = Settings();
  EXPECT_EQ(Utf8(GroupThousands(u"1234567.891", true, fs)), "1,234,567.891");
  EXPECT_EQ(Utf8(GroupThousands(u"-123456", true, fs)), "-123,456");
  EXPECT_EQ(Utf8(GroupThousands(u"+1234E5678", true, fs)), "+1,234E5678");
  EXPECT_EQ(Utf8(GroupThousands(u"123", true, fs)), "123");
  EXPECT_EQ(Utf8(GroupThousands(u"1234", false, fs)), "1234");
  EXPECT_EQ(Utf8(NormalizeNumberText(u" \t1,234.5 ", fs)), "1234.5");
  const rtl::TFormatSettings de = Settings(u',', u'.');
  EXPECT_EQ(Utf8(NormalizeNumberText(u"1.234,5", de)), "1234,5");
  const rtl::TFormatSettings blank = Settings(u',', u' ');
  EXPECT_EQ(Utf8(NormalizeNumberText(u"1 234.5", blank)), "1234,5");

  TNumberEditValueEx e = Editor();
  e.SetDisplayFormat(u"#,##0.00");
  e.UpdateEditFormat();
  EXPECT_EQ(Utf8(e.FormatTextWhileTyping(u"1234")), "1,234");
  EXPECT_EQ(Utf8(e.FormatTextWhileTyping(u"1,2345.6")), "12,345.6");
  EXPECT_EQ(Utf8(e.FormatTextWhileTyping(u"-")), "-");
  e.SetValue(Variant(1234567.5));
  EXPECT_EQ(Utf8(e.DisplayText()), "1,234,567.50");
  EXPECT_EQ(Utf8(e.EditText()), "1,234,567.50");
}

TEST(NumberEditValue, EditFormatFromDisplayFormat) {
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"#,##0.00", "#,##0.00"},
      {u"'Total: '0.0 \"kg\"", "0.0"},
      {u"0.00;(0.00)", "0.00"},
      {u"0.0E+00", "0.00"},
      {u"0.0E+0000000", "0.0000"},
      {u"$#,##0", "#,##0"},
  };
  for (const auto& [display, edit] : cases) EXPECT_EQ(Utf8(EditFormatFromDisplayFormat(display)), edit) << Utf8(display);
  EXPECT_EQ(Utf8(DefaultCurrencyEditFormat(Settings())), ",#.00");
}

TEST(NumberEditValue, Stepping) {
  TNumberEditValueEx e = Editor();
  e.SetIncrement(0.5);
  ASSERT_TRUE(e.IncrementValue(false));
  EXPECT_EQ(e.Value().AsDouble(), 0.5);
  e.SetValue(Variant::Null());
  e.IncrementValue(true);
  EXPECT_EQ(e.Value().AsDouble(), 0.5);
  e.IncrementValue(true);
  e.IncrementValue(true);
  EXPECT_EQ(e.Value().AsDouble(), 1.5);
  e.SetMinValue(0);
  e.SetMaxValue(1);
  e.IncrementValue(true);
  EXPECT_EQ(e.Value().AsDouble(), 1);
  e.SetIncrement(0);
  EXPECT_FALSE(e.IncrementValue(true));
}

TEST(NumberEditValue, TextAndDisplay) {
  TNumberEditValueEx e = Editor();
  e.PutText(u"1,234.5");
  EXPECT_EQ(e.Value().AsDouble(), 1234.5);
  EXPECT_THROW(e.PutText(u"abc"), rtl::EConvertError);
  EXPECT_EQ(e.Value().AsDouble(), 1234.5);
  EXPECT_EQ(Utf8(e.DisplayText()), "1234.5");
  e.SetCurrency(true);
  e.UpdateEditFormat();
  EXPECT_EQ(Utf8(e.EditFormat()), ",#.00");
  EXPECT_EQ(Utf8(e.EditText()), "1,234.50");
  e.PutText(u"");
  EXPECT_TRUE(e.Value().IsNull());
  EXPECT_EQ(e.DisplayText(), u"");
}

TEST(NumberEditValue, DefaultsFollowTheField) {
  ext::TExtMemoryData ds;
  ds.FieldDefs().Add(u"F", db::ftFloat);
  ds.FieldDefs().Add(u"I", db::ftInteger);
  ds.FieldDefs().Add(u"S", db::ftString, 10);
  ds.Open();
  auto* f = dynamic_cast<db::TFloatField*>(ds.FieldByName(u"F"));
  ASSERT_NE(f, nullptr);
  f->SetMinValue(1);
  f->SetMaxValue(10);
  f->SetCurrency(true);
  f->SetDisplayFormat(u"0.0");
  TNumberEditValueEx e = Editor();
  e.SetField(f);
  EXPECT_TRUE(e.Currency());
  EXPECT_EQ(Utf8(e.DisplayFormat()), "0.0");
  EXPECT_EQ(e.CheckValue(50), 10);
  e.SetMaxValue(20);
  EXPECT_EQ(e.CheckValue(50), 20);
  EXPECT_EQ(e.AssignedValues(), static_cast<unsigned>(evMaxValueEx));

  ds.FieldByName(u"S")->SetDisplayFormat(u"ignored");
  e.SetField(ds.FieldByName(u"S"));
  EXPECT_FALSE(e.Currency());
  EXPECT_EQ(e.DisplayFormat(), u"");
  EXPECT_EQ(e.MinValue(), 0);
}

}  // namespace
