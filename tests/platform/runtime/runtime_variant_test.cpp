// Variant: conversions under the format settings, comparison, arithmetic,
// Null and Unassigned, arrays.
#include <gtest/gtest.h>

#include <string>

#include "platform/runtime/variant.h"
#include "tests/platform/runtime/runtime_test_util.h"

using namespace rtl;

namespace {

using rtl_test::Comma;

TEST(Variant, ConversionTable) {
  const TFormatSettings fs = Comma();
  struct Case {
    const char* name;
    Variant v;
    const char16_t* text;  // AsString under the comma settings
    double number;         // AsDouble
    bool boolean;
  } cases[] = {
      {"empty", Variant(), u"", 0, false},
      {"true", Variant(true), u"True", -1, true},
      {"false", Variant(false), u"False", 0, false},
      {"smallint", Variant(std::int16_t{-7}), u"-7", -7, true},
      {"integer", Variant(42), u"42", 42, true},
      {"int64", Variant(std::int64_t{1} << 40), u"1099511627776", 1099511627776.0, true},
      {"double", Variant(2.5), u"2,5", 2.5, true},
      {"currency", Variant(Currency::FromDouble(12.3456)), u"12,3456", 12.3456, true},
      {"date", Variant::FromDate(EncodeDate(2024, 1, 15)), u"15.01.2024", 45306, true},
      {"text number", Variant(u"1.25"), u"1.25", 1.25, true},
      {"text true", Variant(u"true"), u"true", -1, true},
      {"ansi", Variant::FromAnsi("7"), u"7", 7, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.v.AsString(fs), c.text);
    if (std::u16string_view(c.text) == u"true") {
      EXPECT_THROW(c.v.AsDouble(fs), EVariantError);
    } else {
      EXPECT_DOUBLE_EQ(c.v.AsDouble(fs), c.number);
    }
    EXPECT_EQ(c.v.AsBoolean(), c.boolean);
  }
  // The decimal point is always read as well.
  EXPECT_DOUBLE_EQ(Variant(u"1.5").AsDouble(fs), 1.5);
  // Integers round half to even, text included.
  EXPECT_EQ(Variant(2.5).AsInteger(), 2);
  EXPECT_EQ(Variant(3.5).AsInteger(), 4);
  EXPECT_EQ(Variant(Currency::FromDouble(-2.5)).AsInt64(), -2);
  EXPECT_EQ(Variant(u"12").AsInteger(), 12);
  EXPECT_EQ(Variant(u"$FF").AsInteger(), 255);
  // Dates read from text under the settings.
  EXPECT_DOUBLE_EQ(Variant(u"15.01.2024").AsDateTime(fs), EncodeDate(2024, 1, 15));
  EXPECT_EQ(Variant(EncodeDate(2024, 1, 15)).AsType(varDate).VarType(), varDate);
}

TEST(Variant, NullAndBadTextRaiseTheVariantError) {
  const Variant null = Null();
  EXPECT_TRUE(VarIsNull(null));
  EXPECT_TRUE(VarIsClear(null));
  EXPECT_TRUE(VarIsClear(Unassigned()));
  EXPECT_FALSE(VarIsNull(Unassigned()));
  EXPECT_EQ(VarToStr(null), u"");
  EXPECT_EQ(VarToStrDef(null, u"-"), u"-");
  EXPECT_EQ(VarToStrDef(Variant(0), u"-"), u"0");
  try {
    null.AsInteger();
    FAIL();
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), u"Could not convert variant of type (Null) into type (Integer)");
  }
  try {
    Variant(u"abc").AsDouble();
    FAIL();
  } catch (const EVariantError& e) {
    EXPECT_EQ(e.Message(), u"Could not convert variant of type (UnicodeString) into type (Double)");
  }
  EXPECT_THROW(Variant(u"abc").AsInteger(), EVariantError);
  EXPECT_THROW(Variant(u"x").AsBoolean(), EVariantError);
  EXPECT_THROW(Variant(u"x").AsDateTime(), EVariantError);
  EXPECT_THROW(Variant(1e30).AsInt64(), EVariantError);
  EXPECT_THROW(Variant(std::int64_t{1} << 40).AsInteger(), EVariantError);
  EXPECT_THROW(Variant(70000).AsType(varSmallint), EVariantError);
  EXPECT_EQ(null.AsType(varEmpty).VarType(), varEmpty);
}

TEST(Variant, ComparisonTable) {
  using R = TVariantRelationship;
  const Variant d1 = Variant::FromDate(EncodeDate(2024, 1, 1));
  struct Case {
    const char* name;
    Variant a, b;
    R rel;
  } cases[] = {
      {"ints", Variant(1), Variant(2), R::vrLessThan},
      {"int and double", Variant(2), Variant(2.0), R::vrEqual},
      {"int64 and int", Variant(std::int64_t{5}), Variant(4), R::vrGreaterThan},
      {"currency and int", Variant(Currency::FromDouble(3)), Variant(3), R::vrEqual},
      {"currency and double", Variant(Currency::FromDouble(1.5)), Variant(1.25), R::vrGreaterThan},
      {"text case matters", Variant(u"abc"), Variant(u"ABC"), R::vrLessThan},
      {"same text", Variant(u"第1轴"), Variant(u"第1轴"), R::vrEqual},
      {"ansi and wide", Variant::FromAnsi("abc"), Variant(u"abc"), R::vrEqual},
      {"numeric text and int", Variant(u"10"), Variant(9), R::vrGreaterThan},
      {"bool order", Variant(false), Variant(true), R::vrLessThan},
      {"bool and int", Variant(true), Variant(-1), R::vrEqual},  // True counts -1
      {"empty and zero", Variant(), Variant(0), R::vrEqual},
      {"empty and text", Variant(), Variant(u""), R::vrEqual},
      {"null and value", Null(), Variant(0), R::vrNotEqual},
      {"value and null", Variant(u""), Null(), R::vrNotEqual},
      {"null and null", Null(), Null(), R::vrEqual},
      {"date and text", d1, Variant(u"01/02/2024"), R::vrLessThan},
      {"date and double", d1, Variant(EncodeDate(2024, 1, 1)), R::vrEqual},
  };
  const TFormatSettings saved = FormatSettings();
  FormatSettings() = TFormatSettings::Invariant();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(VarCompareValue(c.a, c.b), c.rel);
    EXPECT_EQ(c.a == c.b, c.rel == R::vrEqual);
  }
  FormatSettings() = saved;
  // Equality never raises; ordering of incomparable values does.
  EXPECT_FALSE(Variant(u"abc") == Variant(1));
  EXPECT_THROW((void)(Variant(u"abc") < Variant(1)), EVariantError);
  EXPECT_THROW((void)(Null() < Variant(1)), EVariantError);
  EXPECT_TRUE(Variant(1) < Variant(1.5));
  EXPECT_TRUE(VarArrayOf({1, u"a"}) == VarArrayOf({1.0, u"a"}));
  EXPECT_FALSE(VarArrayOf({1, u"a"}) == VarArrayOf({1, u"b"}));
}

TEST(Variant, ArithmeticTable) {
  struct Case {
    const char* name;
    Variant result;
    TVarType type;
    Variant expected;
  } cases[] = {
      {"int + int", Variant(2) + Variant(3), varInteger, Variant(5)},
      {"int overflow widens", Variant(INT32_MAX) + Variant(1), varInt64, Variant(std::int64_t{INT32_MAX} + 1)},
      {"int64 overflow to double", Variant(INT64_MAX) + Variant(1), varDouble, Variant(9223372036854775808.0)},
      {"int * double", Variant(3) * Variant(0.5), varDouble, Variant(1.5)},
      {"division is double", Variant(7) / Variant(2), varDouble, Variant(3.5)},
      {"text joins", Variant(u"ab") + Variant(u"cd"), varUString, Variant(u"abcd")},
      {"ansi joins", Variant::FromAnsi("a") + Variant::FromAnsi("b"), varString, Variant(u"ab")},
      {"numeric text adds", Variant(u"1") + Variant(2), varInteger, Variant(3)},
      {"empty is zero", Variant() + Variant(4), varInteger, Variant(4)},
      {"empty joins text", Variant() + Variant(u"x"), varUString, Variant(u"x")},
      {"null spreads", Null() + Variant(1), varNull, Null()},
      {"null spreads through text", Variant(u"a") + Null(), varNull, Null()},
      {"currency sum", Variant(Currency::FromDouble(0.1)) + Variant(Currency::FromDouble(0.2)), varCurrency,
       Variant(Currency::FromDouble(0.3))},
      {"currency * int", Variant(Currency::FromDouble(1.25)) * Variant(3), varCurrency,
       Variant(Currency::FromDouble(3.75))},
      {"date + days", Variant::FromDate(10) + Variant(2), varDate, Variant::FromDate(12)},
      {"date - date", Variant::FromDate(10) - Variant::FromDate(7.5), varDouble, Variant(2.5)},
      {"neg", -Variant(5), varInteger, Variant(-5)},
      {"neg null", -Null(), varNull, Null()},
      {"and booleans", Variant(true) & Variant(false), varBoolean, Variant(false)},
      {"or booleans", Variant(true) | Variant(false), varBoolean, Variant(true)},
      {"and integers", Variant(12) & Variant(10), varInteger, Variant(8)},
      {"or integers", Variant(12) | Variant(3), varInteger, Variant(15)},
      {"not boolean", !Variant(true), varBoolean, Variant(false)},
      {"not integer", !Variant(0), varInteger, Variant(-1)},
      {"not text boolean", !Variant(u"False"), varBoolean, Variant(true)},
      {"and null", Null() & Variant(true), varNull, Null()},
      {"int div", Variant(7).IntDiv(Variant(2)), varInteger, Variant(3)},
      {"mod", Variant(-7).Mod(Variant(3)), varInteger, Variant(-1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.result.VarType(), c.type);
    EXPECT_TRUE(c.result == c.expected) << StringToUtf8(c.result.AsString());
  }
  EXPECT_THROW(Variant(u"abc") + Variant(1), EVariantError);
  EXPECT_THROW(Variant(1) / Variant(0), EZeroDivide);
  EXPECT_THROW(Variant(1).IntDiv(Variant(0)), EDivByZero);
  EXPECT_THROW(VarArrayOf({1}) + Variant(1), EVariantError);
  EXPECT_THROW(Variant(Currency{INT64_MAX}) + Variant(Currency{1}), EVariantError);
}

TEST(Variant, ArraysAreValuesWithBounds) {
  Variant a = VarArrayCreate(1, 2);
  EXPECT_TRUE(VarIsArray(a));
  EXPECT_EQ(VarType(a), varArray | varVariant);
  EXPECT_EQ(VarArrayLowBound(a), 1);
  EXPECT_EQ(VarArrayHighBound(a), 2);
  a[1] = 10;
  a[2] = u"x";
  Variant copy = a;
  copy[1] = 20;  // the copy writes its own elements
  EXPECT_EQ(a[1].AsInteger(), 10);
  VarArrayRedim(a, 4);
  EXPECT_EQ(VarArrayHighBound(a), 4);
  EXPECT_EQ(a[2].AsString(), u"x");
  EXPECT_TRUE(VarIsEmpty(a[4]));
  VarArrayRedim(a, 1);
  EXPECT_EQ(VarArrayHighBound(a), 1);
  EXPECT_THROW(a[2], EVariantError);
  EXPECT_THROW(a[0], EVariantError);
  EXPECT_THROW(a.AsString(), EVariantError);
  EXPECT_THROW(Variant(1)[0], EVariantError);
  EXPECT_EQ(VarTypeAsText(VarType(a)), u"Array Variant");
}

}  // namespace
