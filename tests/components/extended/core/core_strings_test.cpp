#include "components/extended/core/core_strings.h"

#include <gtest/gtest.h>

#include "platform/runtime/char_types.h"
#include "platform/runtime/exceptions.h"

using namespace ext;

TEST(CoreStrings, TablesClassifyAndMapCase) {
  EXPECT_TRUE(IsUpperChar(u'A'));
  EXPECT_TRUE(IsLowerChar(u'a'));
  EXPECT_FALSE(IsUpperChar(u'1'));
  EXPECT_TRUE(CharTypeTable()[u'7'] & rtl::C1_DIGIT);
  EXPECT_TRUE(CharTypeTable()[u' '] & rtl::C1_SPACE);
  EXPECT_TRUE(CharTypeTable()[u'F'] & rtl::C1_XDIGIT);
  EXPECT_TRUE(CharTypeTable()[u'\u00C9'] & rtl::C1_UPPER);
  EXPECT_TRUE(CaseMapReady());
  const char16_t* map = CaseMapTable();
  EXPECT_EQ(map[CaseMapSwap + u'a'], u'A');
  EXPECT_EQ(map[CaseMapSwap + u'A'], u'a');
  EXPECT_EQ(map[CaseMapSwap + u'1'], u'1');
  EXPECT_EQ(map[CaseMapLower + u'\u00C9'], u'\u00E9');
  EXPECT_TRUE(IsAnsiUpperChar('Q'));
  EXPECT_TRUE(IsAnsiLowerChar('q'));
  EXPECT_EQ(AnsiCaseMapTable()[AnsiCaseMapSwap + 'q'], 'Q');
  // GBK lead bytes are not characters by themselves.
  EXPECT_EQ(AnsiCharTypeTable()[0xB0], 0);
  EXPECT_EQ(AnsiReplacementChar(), '?');
}

TEST(CoreStrings, Operations) {
  EXPECT_EQ(CountCharOccurrences(u"1,234,567", u','), 2);
  EXPECT_EQ(CountCharOccurrences(u"", u','), 0);
  String s = u"192.168.1.5";
  EXPECT_EQ(TakeToken(s, u'.'), u"192");
  EXPECT_EQ(s, u"168.1.5");
  s = u"abc";
  EXPECT_EQ(TakeToken(s, u'.'), u"abc");
  EXPECT_EQ(s, u"");
  EXPECT_EQ(TakeToken(s, u'.'), u"");
  EXPECT_EQ(FindCharBackward(u"1.2.3", u'.', 1), 4);
  EXPECT_EQ(FindCharForward(u"1.2.3", u'.', 3), 4);
  EXPECT_EQ(FindCharForward(u"1.2.3", u'.', 0), 0);
  EXPECT_EQ(FindCharBackward(u"1.2.3", u'.', 6), 0);
  EXPECT_EQ(EnsureTrailingText(u"\\", u"dir\\"), u"dir\\");
  EXPECT_EQ(EnsureTrailingText(u"\\", u"dir"), u"dir\\");
  EXPECT_EQ(FindTextNoCase(u"LO", u"hello"), 4);
  EXPECT_EQ(FindTextNoCaseFrom(u"l", u"hello", 4), 4);
  EXPECT_EQ(FindTextNoCaseFrom(u"", u"hello", 1), 0);
  EXPECT_EQ(TextBeforeDelimiter(u"X", u"abxcd"), u"ab");
  EXPECT_EQ(TextBeforeDelimiter(u"z", u"abc"), u"abc");
  EXPECT_EQ(MiddlePart(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(MiddlePart(u"abc", 3, 10), u"c");
  EXPECT_EQ(RestFrom(u"abcdef", 5), u"ef");
  EXPECT_EQ(LeftPart(u"abc", 2), u"ab");
  EXPECT_EQ(ReplaceCharCopy(u"a-b-c", u'-', u'+'), u"a+b+c");
  String z = String(u"ab") + u'\0' + u"cd";
  CutAtFirstNull(z);
  EXPECT_EQ(z, u"ab");
  EXPECT_EQ(UpperCaseCopy(u"aBc\u00e9"), u"ABC\u00c9");
}

TEST(CoreStrings, SplitText) {
  ui::TStringList l;
  SplitText(u"a,,b,", u",", &l, false);
  ASSERT_EQ(l.Count(), 2);
  EXPECT_EQ(l[0], u"a");
  EXPECT_EQ(l[1], u"b");
  SplitText(u"a,,b,", u",", &l, true);
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l[1], u"");
  EXPECT_EQ(l[2], u"b");
  // An empty separator finds nothing: the text is one piece (it used to loop for ever).
  SplitText(u"abc", u"", &l, true);
  ASSERT_EQ(l.Count(), 1);
  EXPECT_EQ(l[0], u"abc");
  EXPECT_THROW(SplitText(u"a", u",", nullptr, false), rtl::EAssertionFailed);
}

TEST(CoreStrings, CopyCharsIntoChecksItsBounds) {
  String d = u"xxxxx";
  CopyCharsInto(u"abc", 1, d, 2, 2);
  EXPECT_EQ(d, u"xxbcx");
  CopyCharsInto(d, 0, d, 1, 3);  // overlapping copy in one string
  EXPECT_EQ(d, u"xxxbx");
  // Outside either string: an error, and the destination is untouched.
  for (auto [si, di, n] : {std::tuple{2, 0, 2}, std::tuple{0, 4, 2}, std::tuple{-1, 0, 1}, std::tuple{0, 0, -1}}) {
    String before = d;
    EXPECT_THROW(CopyCharsInto(u"abc", si, d, di, n), rtl::ERangeError) << si << " " << di << " " << n;
    EXPECT_EQ(d, before);
  }
}

TEST(CoreStrings, BitArray) {
  std::uint32_t words[3] = {};
  SetBitInArray(words, 0);
  SetBitInArray(words, 33);
  SetBitInArray(words, 95);
  EXPECT_EQ(words[0], 1u);
  EXPECT_EQ(words[1], 2u);
  EXPECT_EQ(words[2], 0x80000000u);
  EXPECT_TRUE(TestBitInArray(words, 33));
  EXPECT_FALSE(TestBitInArray(words, 32));
}
