#include <gtest/gtest.h>

#include "platform/runtime/codepage.h"
#include "platform/runtime/rtl_string.h"

using namespace rtl;

TEST(CodePage, GbkRoundTripOfChineseText) {
  const String tip = U("提示");
  const std::string gbk = StringToAnsi(tip);
  EXPECT_EQ(gbk, std::string("\xCC\xE1\xCA\xBE"));
  EXPECT_EQ(AnsiToString(gbk), tip);
  const String mixed = U("第1轴 mm 负/正");
  EXPECT_EQ(AnsiToString(StringToAnsi(mixed)), mixed);
}

TEST(CodePage, BadInputIsReplacedNotDropped) {
  // A lone lead byte at the end, and a character GBK cannot hold.
  EXPECT_EQ(AnsiToString(std::string("ab\xCC")), u"ab\uFFFD");
  EXPECT_EQ(StringToAnsi(u"a\u0E01b"), "a?b");            // Thai letter
  EXPECT_EQ(StringToAnsi(u"x\U0001F600y"), "x?y");       // one '?' per character
  EXPECT_EQ(Utf8ToString("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToString("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong form
}

TEST(Utf8, AsciiBeforeAndAfterOtherText) {
  const struct {
    std::string utf8;
    String text;
  } cases[] = {
      {"", u""},
      {"/tmp/registry/HKEY_CURRENT_USER.reg", u"/tmp/registry/HKEY_CURRENT_USER.reg"},
      {"ab\xC3\xA9" "cd", u"ab\u00E9cd"},
      {"\xE6\x8F\x90x", u"\u63D0x"},
      {"x\xF0\x9F\x98\x80y", u"x\U0001F600y"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToString(c.utf8), c.text) << c.utf8;
    EXPECT_EQ(StringToUtf8(c.text), c.utf8) << c.utf8;
  }
  const char16_t lone[] = {u'a', u'b', 0xD800, u'c', 0};
  EXPECT_EQ(StringToUtf8(lone), "ab\xEF\xBF\xBD" "c");
}

TEST(CodePage, OtherPagesByNumber) {
  EXPECT_EQ(EncodeText(u"\u00E9", 1252), "\xE9");
  EXPECT_EQ(DecodeText("\x80", 1252), u"\u20AC");
  EXPECT_EQ(EncodeText(u"\u00E9", 20127), "?");
  EXPECT_EQ(EncodeText(u"A\u00E9", CP_UTF8), "A\xC3\xA9");
  EXPECT_EQ(EncodeText(u"A", CP_UTF16BE), std::string("\0A", 2));
  EXPECT_EQ(DecodeText(std::string("A\0\0\0", 4), CP_UTF32LE), u"A");
  EXPECT_EQ(MaxCharSize(CP_ACP), 2);
  EXPECT_EQ(CodePageOfLocale(0x0409), 1252u);
  EXPECT_EQ(CodePageOfLocale(0x0804), 936u);
  EXPECT_EQ(CodePageOfLocale(0x0411), SystemCodePage());
}

TEST(CodePage, SystemPageIsOneSetting) {
  SetSystemCodePage(1252);
  EXPECT_EQ(StringToAnsi(u"\u00E9"), "\xE9");
  SetSystemCodePage(CP_GBK);
  EXPECT_EQ(StringToAnsi(U("提")), "\xCC\xE1");
}

TEST(CodePage, FileTextIsTheSystemPageUnlessAMarkSaysOtherwise) {
  struct Case {
    std::string bytes;
    String text;
    TextEncoding enc;
  } cases[] = {
      {"\xCC\xE1\xCA\xBE", U("提示"), TextEncoding::System},
      // GBK that is also well-formed UTF-8 stays GBK: "Z位" is not "Zλ"...
      {"Z\xCE\xBB", U("Z位"), TextEncoding::System},
      {"\xD6\xB0\xC4\xDC", U("职能"), TextEncoding::System},
      // ...and UTF-8 without its mark is read as the system page says.
      {"\xE6\x8F\x90", U("鎻\uFFFD"), TextEncoding::System},
      {"\xEF\xBB\xBF\xE6\x8F\x90", U("提"), TextEncoding::Utf8Bom},
      {"\xEF\xBB\xBFZ\xCE\xBB", U("Zλ"), TextEncoding::Utf8Bom},
      {std::string("\xFF\xFE\xD0\x63", 4), U("提"), TextEncoding::Utf16LE},
      {std::string("\xFE\xFF\x63\xD0", 4), U("提"), TextEncoding::Utf16BE},
      {"plain", u"plain", TextEncoding::System},
      {"", u"", TextEncoding::System},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    TextEncoding found;
    EXPECT_EQ(DecodeFileText(c.bytes, &found), c.text);
    EXPECT_EQ(found, c.enc);
  }
  EXPECT_EQ(EncodeFileText(U("提"), TextEncoding::Utf16LE), std::string("\xFF\xFE\xD0\x63", 4));
  EXPECT_EQ(EncodeFileText(U("提"), TextEncoding::System), "\xCC\xE1");
}

TEST(Strings, Utf16SurrogatesSurviveUtf8) {
  const String s = u"a\U0001F600b";
  EXPECT_EQ(Utf8ToString(StringToUtf8(s)), s);
  EXPECT_EQ(StringToUtf8(String(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Strings, CaseAndCompare) {
  EXPECT_EQ(UpperCase(u"abc\u00E9\u0434"), u"ABC\u00C9\u0414");
  EXPECT_EQ(LowerCase(u"ABC\u00C9"), u"abc\u00E9");
  EXPECT_TRUE(SameText(u"cbb_Port.Text", u"CBB_PORT.TEXT"));
  EXPECT_LT(AnsiCompareText(u"COM10", u"com2"), 0);
  EXPECT_EQ(AnsiCompareText(u"Abc", u"aBC"), 0);
  // Case-sensitive locale order: lower case first, then upper, then next letter.
  EXPECT_LT(AnsiCompareStr(u"a", u"A"), 0);
  EXPECT_LT(AnsiCompareStr(u"A", u"b"), 0);
  EXPECT_LT(CompareStr(u"A", u"a"), 0);
  EXPECT_EQ(Trim(u"\t  x y \r\n"), u"x y");
  EXPECT_EQ(StringReplaceAll(u"aXbxc", u"x", u"-", true), u"a-b-c");
  EXPECT_EQ(IntToHex(255, 4), u"00FF");
}
