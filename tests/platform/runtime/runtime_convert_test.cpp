#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "platform/runtime/convert.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format.h"
#include "platform/runtime/format_settings.h"
#include "tests/platform/runtime/runtime_test_util.h"

using namespace rtl;

namespace {

TFormatSettings Dot() { return TFormatSettings::Invariant(); }

using rtl_test::Comma;

// Installs settings for one test and restores the old ones.
class WithSettings {
 public:
  explicit WithSettings(const TFormatSettings& fs) : old_(FormatSettings()) { FormatSettings() = fs; }
  ~WithSettings() { FormatSettings() = old_; }

 private:
  TFormatSettings old_;
};

}  // namespace

TEST(Convert, StrToIntForms) {
  struct Case {
    const char16_t* text;
    bool ok;
    std::int32_t value;
  } cases[] = {
      {u"42", true, 42},          {u"  -17", true, -17},       {u"+5", true, 5},
      {u"$FF", true, 255},        {u"0x1F", true, 31},         {u"0X1f", true, 31},
      {u"$FFFFFFFF", true, -1},   {u"2147483647", true, 2147483647},
      {u"-2147483648", true, INT32_MIN},
      {u"2147483648", false, 0},  {u"12 ", false, 0},          {u"", false, 0},
      {u"1.5", false, 0},         {u"abc", false, 0},          {u"$", false, 0},
      {u"$100000000", false, 0},
  };
  for (const auto& c : cases) {
    std::int32_t v = 0;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << StringToUtf8(c.text);
    if (c.ok) {
      EXPECT_EQ(v, c.value) << StringToUtf8(c.text);
    }
  }
  EXPECT_EQ(StrToInt64(u"9223372036854775807"), INT64_MAX);
  try {
    StrToInt(u"x1");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'x1' is not a valid integer value");
  }
}

TEST(Convert, StrToFloatUnderBothSeparators) {
  struct Case {
    const char16_t* text;
    bool okDot, okComma;
    double value;
  } cases[] = {
      {u"1.5", true, true, 1.5},       // '.' is accepted everywhere
      {u"1,5", false, true, 1.5},
      {u" -2.25e3 ", true, true, -2250},
      {u"1e-400", true, true, 0.0},
      {u".5", true, true, 0.5},
      {u"7.", true, true, 7.0},
      {u"1,000.5", false, false, 0},   // no grouping on input
      {u"1e", false, false, 0},
      {u"1e999", false, false, 0},
      {u"", false, false, 0},
      {u"abc", false, false, 0},
  };
  for (const auto& c : cases) {
    double v = -1;
    EXPECT_EQ(TryStrToFloat(c.text, v, Dot()), c.okDot) << StringToUtf8(c.text);
    if (c.okDot) {
      EXPECT_DOUBLE_EQ(v, c.value);
    }
    EXPECT_EQ(TryStrToFloat(c.text, v, Comma()), c.okComma) << StringToUtf8(c.text);
    if (c.okComma) {
      EXPECT_DOUBLE_EQ(v, c.value);
    }
  }
  EXPECT_THROW(StrToFloat(u"x", Dot()), EConvertError);
}

TEST(Convert, FloatToStrGeneralForm) {
  struct Case {
    double value;
    const char16_t* dot;
    const char16_t* comma;
  } cases[] = {
      {0, u"0", u"0"},
      {8888, u"8888", u"8888"},
      {2.5, u"2.5", u"2,5"},
      {-0.1, u"-0.1", u"-0,1"},
      {1.0 / 3, u"0.333333333333333", u"0,333333333333333"},
      {123456789012345.0, u"123456789012345", u"123456789012345"},
      {1234567890123456.0, u"1.23456789012346E15", u"1,23456789012346E15"},
      {0.0001, u"0.0001", u"0,0001"},
      {0.00001, u"0.00001", u"0,00001"},
      {0.000001, u"1E-6", u"1E-6"},
      {1e20, u"1E20", u"1E20"},
      {0.1 + 0.2, u"0.3", u"0,3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloatToStr(c.value, Dot()), c.dot);
    EXPECT_EQ(FloatToStr(c.value, Comma()), c.comma);
  }
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity(), Dot()), u"INF");
  // What is written reads back exactly enough to print the same again.
  for (double v : {1.0 / 7, 6400.0 / 4000.0, -123.456, 1e-7}) {
    EXPECT_EQ(FloatToStr(StrToFloat(FloatToStr(v, Comma()), Comma()), Comma()), FloatToStr(v, Comma()));
  }
}

TEST(Convert, FormatFloatPatterns) {
  struct Case {
    const char16_t* pattern;
    double value;
    const char16_t* dot;
    const char16_t* comma;
  } cases[] = {
      {u"0.000000", 1.5, u"1.500000", u"1,500000"},
      {u"0.000000", -0.0000004, u"0.000000", u"0,000000"},
      {u",0.##", 1234567.891, u"1,234,567.89", u"1.234.567,89"},
      {u",0.##", 12.5, u"12.5", u"12,5"},
      {u",0.##", 12, u"12", u"12"},
      {u"0.00", 1.005, u"1.01", u"1,01"},       // halves away from zero, decimal view
      {u"0.00", 2.675, u"2.68", u"2,68"},
      {u"#.##", 0.5, u".5", u",5"},
      {u"000", 7, u"007", u"007"},
      {u"0", -2.5, u"-3", u"-3"},
      {u"0.0 'mm'", 3.25, u"3.3 mm", u"3,3 mm"},
      {u"0.00;(0.00);zero", -1.5, u"(1.50)", u"(1,50)"},
      {u"0.00;(0.00);zero", 0.001, u"zero", u"zero"},
      {u"0.00E+00", 12345, u"1.23E+04", u"1,23E+04"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFloat(c.pattern, c.value, Dot()), c.dot) << StringToUtf8(c.pattern);
    EXPECT_EQ(FormatFloat(c.pattern, c.value, Comma()), c.comma) << StringToUtf8(c.pattern);
  }
  // A negative value that rounds to zero shows no minus sign.
  EXPECT_EQ(FormatFloat(u"0.00", -0.001, Dot()), u"0.00");
}

TEST(Convert, FloatToStrFForms) {
  EXPECT_EQ(FloatToStrF(1234.5678, TFloatFormat::ffFixed, 15, 2, Dot()), u"1234.57");
  EXPECT_EQ(FloatToStrF(1234.5678, TFloatFormat::ffNumber, 15, 2, Comma()), u"1.234,57");
  EXPECT_EQ(FloatToStrF(1234.5, TFloatFormat::ffExponent, 4, 2, Dot()), u"1.235E+03");
  EXPECT_EQ(FloatToStrF(0.5, TFloatFormat::ffFixed, 15, 0, Dot()), u"1");
}

TEST(Convert, RoundHalfToEvenAndMulDiv) {
  struct Case {
    double v;
    std::int64_t r;
  } cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2}, {-0.6, -1}};
  for (const auto& c : cases) EXPECT_EQ(Round(c.v), c.r) << c.v;
  EXPECT_THROW(Round(std::nan("")), EInvalidOp);
  EXPECT_THROW(Round(1e30), EInvalidOp);
  EXPECT_EQ(MulDiv(10, 3, 4), 8);     // 7.5 -> 8
  EXPECT_EQ(MulDiv(-10, 3, 4), -8);
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
  EXPECT_EQ(MulDiv(INT32_MAX, 4, 2), -1);
}

TEST(Convert, FormatDirectives) {
  const TFormatSettings dot = Dot(), comma = Comma();
  EXPECT_EQ(Format(u"%d/%u/%s", {-5, 7u, u"x"}, dot), u"-5/7/x");
  EXPECT_EQ(Format(u"Value must be between %0:g and %1:g", {1.5, 100}, comma),
            u"Value must be between 1,5 and 100");
  EXPECT_EQ(Format(u"%1:s%0:s%s", {u"a", u"b"}, dot), u"bab");
  EXPECT_EQ(Format(u"%.8x", {0xBEEF}, dot), u"0000BEEF");
  EXPECT_EQ(Format(u"%.*x", {2, 10}, dot), u"0A");
  EXPECT_EQ(Format(u"%x", {-1}, dot), u"FFFFFFFF");
  EXPECT_EQ(Format(u"[%5d][%-5s][%.3d]", {42, u"ab", 7}, dot), u"[   42][ab   ][007]");
  EXPECT_EQ(Format(u"%.2f %g 100%%", {2.345, 0.1}, dot), u"2.35 0.1 100%");
  EXPECT_EQ(Format(u"%s", {"UTF-8 文字"}, dot), U("UTF-8 文字"));
  EXPECT_EQ(Format(u"%p", {reinterpret_cast<const void*>(0x1234)}, dot).size(), sizeof(void*) * 2);
  EXPECT_THROW(Format(u"%d", {u"text"}, dot), EConvertError);
  EXPECT_THROW(Format(u"%d %d", {1}, dot), EConvertError);
  EXPECT_THROW(Format(u"%q", {1}, dot), EConvertError);
  // Formatted exception messages.
  const ERangeError e(u"Value must be between %0:g and %1:g", {0, 10});
  EXPECT_STREQ(e.what(), "Value must be between 0 and 10");
}

TEST(DateTime, EncodeDecodeAroundTheBase) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2024, 2, 29), 45351.0);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  int y, m, d, h, n, s, ms;
  DecodeDateTime(-1.25, y, m, d, h, n, s, ms);
  EXPECT_EQ((std::array<int, 5>{y, m, d, h, n}), (std::array<int, 5>{1899, 12, 29, 6, 0}));
  DecodeDateTime(EncodeDateTime(2024, 12, 31, 23, 59, 59, 999), y, m, d, h, n, s, ms);
  EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, ms}), (std::array<int, 7>{2024, 12, 31, 23, 59, 59, 999}));
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);  // a Monday
  const TDateTime now = Now();
  EXPECT_GT(now, EncodeDate(2020, 1, 1));
}

TEST(DateTime, FormatWithLiteralsAndSeparators) {
  const TDateTime t = EncodeDateTime(2024, 3, 5, 14, 7, 9, 45);
  EXPECT_EQ(FormatDateTime(u"yyyy-mm-dd hh:nn:ss", t, Dot()), u"2024-03-05 14:07:09");
  EXPECT_EQ(FormatDateTime(u"yyyy'年'm'月'd'日' h:mm", t, Dot()), U("2024年3月5日 14:07"));
  EXPECT_EQ(FormatDateTime(u"dd/mm/yy \"at\" hh:nn:ss.zzz", t, Comma()), u"05.03.24 at 14:07:09.045");
  EXPECT_EQ(FormatDateTime(u"h:nn am/pm, ddd mmm", t, Dot()), u"2:07 pm, Tue Mar");
  EXPECT_EQ(FormatDateTime(u"ddddd", t, Comma()), u"05.03.2024");
}

TEST(DateTime, ReadBackInBothSettings) {
  const TDateTime t = EncodeDateTime(2024, 3, 5, 14, 7, 9, 0);
  TDateTime v;
  ASSERT_TRUE(TryStrToDateTime(u"2024-03-05 14:07:09", v, Dot()));
  EXPECT_NEAR(v, t, 1e-9);
  ASSERT_TRUE(TryStrToDateTime(u"03/05/2024 2:07:09 PM", v, Dot()));
  EXPECT_NEAR(v, t, 1e-9);
  ASSERT_TRUE(TryStrToDateTime(u"05.03.2024 14:07:09", v, Comma()));
  EXPECT_NEAR(v, t, 1e-9);
  EXPECT_FALSE(TryStrToDateTime(u"31.02.2024", v, Comma()));
  EXPECT_FALSE(TryStrToDateTime(u"2024-03-05 25:00", v, Dot()));
  WithSettings ws(Comma());
  EXPECT_NEAR(StrToDate(DateToStr(t)), EncodeDate(2024, 3, 5), 1e-9);
  EXPECT_THROW(StrToDateTime(u"soon"), EConvertError);
}
