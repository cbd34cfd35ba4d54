// The expression parser: its grammar as stored filters read it, its error
// texts, variables and functions, wildcard equality, and robustness.
#include <gtest/gtest.h>

#include <random>

#include "components/extended/data/ext_expr_parser.h"
#include "platform/runtime/format_settings.h"

using ext::TExprParser;
using rtl::String;
using rtl::Variant;

namespace {

struct Row {
  const char16_t* expr;
  const char16_t* value;  // the result as text, or the error message
  bool ok;
};

// X is Null, N is 4, S is 'Abc'.
bool Vars(TExprParser*, const String& name, Variant& v) {
  if (name == u"X") v = Variant::Null();
  else if (name == u"N") v = Variant(4);
  else if (name == u"S") v = Variant(u"Abc");
  else return false;
  return true;
}

TEST(ExprParser, Table) {
  const Row rows[] = {
      {u"1 - 2 - 3", u"2", true},  // right grouping
      {u"2 * 3 + 4", u"14", true},
      {u"2 + 3 * 4", u"14", true},
      {u"(2 * 3) + 4", u"10", true},
      {u"7 / 2", u"3.5", true},
      {u".5 + 1", u"1.5", true},
      {u"-N", u"-4", true},
      {u"+N", u"4", true},
      {u"!(1 = 1)", u"False", true},
      {u"(1 < 2) | (1 = 2)", u"True", true},
      {u"(1 < 2) and (2 > 3)", u"False", true},
      {u"N = 4 and 1", u"False", true},  // read as N = (4 & 1), not (N = 4) & 1
      {u"'ab' + 'cd'", u"abcd", true},
      {u"S + 1", u"Abc1", true},
      {u"\"x\" = 'x'", u"True", true},
      {u"X < 5", u"True", true},
      {u"X > 5", u"False", true},
      {u"X = X", u"True", true},
      {u"X = 1", u"False", true},
      {u"X + 1", u"", true},  // Null spreads
      {u"6 & 3", u"2", true},
      {u"6 | 3", u"7", true},
      {u"", u"Unexpected  End of expression at pos: 1", false},
      {u"1 <= 2", u"Unexpected  Operator: = at pos: 4", false},
      {u"1 +", u"Expression expected after Operator: + at pos: 3", false},
      {u"1 *", u"Expression expected after Operator: * at pos: 3", false},
      {u"(1 + 2", u"Expected closing parenthesis instead of End of expression at pos: 7", false},
      {u"f(1, 2", u"Expected closing parenthesis instead of End of expression at pos: 7", false},
      {u"1 2", u"Unexpected  Integer: 2 at pos: 3", false},
      {u"* 1", u"Unexpected  Operator: * at pos: 1", false},
      {u"'abc", u"No end of string found", false},
      {u"a # b", u"Bad character '#'", false},
      {u"Y + 1", u"Variable Y could not be fetched.", false},
      {u"g(1)", u"Function g could not be executed.", false},
      {u"99999999999", u"'99999999999' is not a valid integer value", false},
      {u"'x' - 1", u"", false},  // text that is no number: an evaluation error
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(rtl::StringToUtf8(r.expr));
    TExprParser p;
    p.OnGetVariable = Vars;
    bool ok = p.Eval(r.expr);
    ASSERT_EQ(ok, r.ok) << rtl::StringToUtf8(p.ErrorMessage());
    if (ok) {
      EXPECT_EQ(rtl::VarToStr(p.Value()), r.value);
      EXPECT_TRUE(p.ErrorMessage().empty());
    } else if (*r.value) {
      EXPECT_EQ(p.ErrorMessage(), r.value);
    } else {
      EXPECT_FALSE(p.ErrorMessage().empty());
    }
  }
}

TEST(ExprParser, FunctionsReceiveTheirArgumentsAsAnArray) {
  TExprParser p;
  int calls = 0;
  p.OnExecuteFunction = [&](TExprParser*, const String& name, const Variant& args, Variant& res) {
    ++calls;
    EXPECT_EQ(name, u"f");
    if (args.HighBound() < 0) {
      res = Variant(0);
      return true;
    }
    EXPECT_EQ(args.LowBound(), 0);
    EXPECT_EQ(args.HighBound(), 1);
    res = args[0] + args[1];
    return true;
  };
  ASSERT_TRUE(p.Eval(u"f(1, 2) * 2"));
  EXPECT_EQ(p.Value().AsInteger(), 6);
  ASSERT_TRUE(p.Eval(u"f()"));
  EXPECT_EQ(calls, 2);
  p.OnExecuteFunction = [](TExprParser*, const String&, const Variant&, Variant&) { return false; };
  EXPECT_FALSE(p.Eval(u"f(1, 2)"));
  EXPECT_EQ(p.ErrorMessage(), u"Function f could not be executed.");
}

TEST(ExprParser, WildcardsMatchOnlyWhenAsked) {
  TExprParser p;
  String name;
  p.OnGetVariable = [&](TExprParser*, const String&, Variant& v) {
    v = Variant(name);
    return true;
  };
  p.SetExpression(u"Name = 'A*'");
  struct Case { const char16_t* name; bool plain, wild; };
  for (Case c : {Case{u"Anna", false, true}, Case{u"alfred", false, true}, Case{u"Bert", false, false},
                 Case{u"A*", true, true}}) {
    name = c.name;
    p.SetEnableWildcardMatching(false);
    ASSERT_TRUE(p.Eval());
    EXPECT_EQ(p.Value().AsBoolean(), c.plain) << rtl::StringToUtf8(name);
    p.SetEnableWildcardMatching(true);
    ASSERT_TRUE(p.Eval());
    EXPECT_EQ(p.Value().AsBoolean(), c.wild) << rtl::StringToUtf8(name);
  }
  EXPECT_TRUE(ext::MatchesMask(u"COM12", u"com1?"));
  EXPECT_TRUE(ext::MatchesMask(u"b7", u"[a-c][!x]"));
  EXPECT_FALSE(ext::MatchesMask(u"d7", u"[a-c]7"));
  EXPECT_TRUE(ext::MatchesMask(u"", u"*"));
  EXPECT_FALSE(ext::MatchesMask(std::u16string(5000, u'a'), std::u16string(30, u'*') + u"b"));
}

// A comma locale used to make every decimal constant fail, and the filter
// then let everything through.
TEST(ExprParser, DecimalConstantsReadTheSameInEveryLocale) {
  rtl::TFormatSettings& fs = rtl::FormatSettings();
  rtl::TFormatSettings saved = fs;
  fs.DecimalSeparator = u',';
  fs.ThousandSeparator = u'.';
  TExprParser p;
  bool ok = p.Eval(u"1.25 * 4");
  fs = saved;
  ASSERT_TRUE(ok) << rtl::StringToUtf8(p.ErrorMessage());
  EXPECT_DOUBLE_EQ(p.Value().AsDouble(), 5.0);
}

TEST(ExprParser, NestingIsCappedWithAParseError) {
  TExprParser p;
  String deep = String(100000, u'(') + u"1" + String(100000, u')');
  EXPECT_FALSE(p.Eval(deep));
  EXPECT_EQ(p.ErrorMessage().rfind(u"Expression nested too deeply", 0), 0u);
  EXPECT_FALSE(p.Eval(String(100000, u'!') + u"1"));
  String chain = u"1";
  for (int i = 0; i < 50000; ++i) chain += u"+1";
  EXPECT_FALSE(p.Eval(chain));
  // Moderate nesting is fine.
  ASSERT_TRUE(p.Eval(String(200, u'(') + u"1" + String(200, u')')));
  EXPECT_EQ(p.Value().AsInteger(), 1);
}

TEST(ExprParser, RandomInputNeverThrows) {
  const char16_t alphabet[] = u"()+-*/<=>|&!,'\" .019aXnd_#\t";
  std::mt19937 rng(1);
  TExprParser p;
  p.OnGetVariable = [](TExprParser*, const String&, Variant& v) {
    v = Variant(1);
    return true;
  };
  for (int i = 0; i < 20000; ++i) {
    String s;
    int len = static_cast<int>(rng() % 24);
    for (int k = 0; k < len; ++k) s += alphabet[rng() % (sizeof(alphabet) / sizeof(char16_t) - 1)];
    bool ok = false;
    EXPECT_NO_THROW(ok = p.Eval(s)) << rtl::StringToUtf8(s);
    if (!ok) {
      EXPECT_FALSE(p.ErrorMessage().empty()) << rtl::StringToUtf8(s);
    }
  }
}

TEST(ExprParser, TokensDescribeThemselves) {
  ext::TScan scan;
  ASSERT_TRUE(scan.Parse(u"ab1 and 'q' 2.5"));
  ASSERT_EQ(scan.Count(), 5);
  EXPECT_EQ(scan[0].Debug(), u"Identifier: ab1 at pos: 1");
  EXPECT_EQ(scan[1].Debug(), u"Operator: & at pos: 5");
  EXPECT_EQ(scan[2].Debug(), u"String: q at pos: 9");
  EXPECT_EQ(scan[3].Debug(), u"Number: 2.5 at pos: 13");
  EXPECT_EQ(scan[4].Debug(), u"End of expression at pos: 16");
  EXPECT_FALSE(scan.Parse(u"1 $"));
  EXPECT_EQ(scan.ErrorMessage(), u"Bad character '$'");
  EXPECT_EQ(scan[scan.Count() - 1].Token(), ext::tkEOF);
}

}  // namespace
