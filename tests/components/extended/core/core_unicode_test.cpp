#include <gtest/gtest.h>

#include "platform/runtime/codepage.h"
#include "components/extended/core/core_unicode.h"

using namespace ext;

TEST(CoreUnicode, ComparisonsAndCodePages) {
  struct Row {
    rtl::String a, b;
    int expected;
  };
  const Row rows[] = {
      {u"Hello", u"hELLO", 0}, {u"", u"x", -1}, {u"x", u"", 1}, {u"apple", u"Banana", -1},
      {u"中文", u"中文", 0},    {u"COM10", u"com2", -1},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CompareTextWide(r.a, r.b, 0x409), r.expected) << rtl::StringToUtf8(r.a);
    EXPECT_EQ(CompareTextNarrow(r.a, r.b, 0x804), r.expected) << rtl::StringToUtf8(r.a);
  }
  // Characters past the first byte count still take part: in GBK each of
  // these takes two bytes, so cutting the texts at their length in
  // characters would have made them compare equal.
  EXPECT_NE(CompareTextNarrow(u"中文一", u"中文二", 0x804), 0);
  EXPECT_EQ(LocaleAnsiCodePage(0x409), 1252u);
  EXPECT_EQ(LocaleAnsiCodePage(0x804), 936u);
  EXPECT_EQ(LocaleAnsiCodePage(0x7FFF), rtl::SystemCodePage());
}

TEST(CoreUnicode, BlockTable) {
  const auto& t = UnicodeBlockTable();
  EXPECT_EQ(rtl::String(t[0].Name), u"No-block");
  EXPECT_GT(t[0].Range.RangeStart, t[0].Range.RangeEnd);
  EXPECT_EQ(t[1].Range.RangeStart, 0u);
  EXPECT_EQ(rtl::String(t[1].Name), u"Basic Latin");
  EXPECT_EQ(rtl::String(t[154].Name), u"Supplementary Private Use Area-B");
  EXPECT_EQ(t[154].Range.RangeEnd, 0x10FFFFu);
  for (int i = 1; i < UnicodeBlockCount; ++i) {
    EXPECT_LE(t[i].Range.RangeStart, t[i].Range.RangeEnd) << i;
    if (i > 1) {
      EXPECT_GT(t[i].Range.RangeStart, t[i - 1].Range.RangeEnd) << i;
    }
  }
  int cjk = 0;
  for (const auto& b : t)
    if (0x4E2D >= b.Range.RangeStart && 0x4E2D <= b.Range.RangeEnd) {
      ++cjk;
      EXPECT_EQ(rtl::String(b.Name), u"CJK Unified Ideographs");
    }
  EXPECT_EQ(cjk, 1);
}

TEST(CoreUnicode, UnitStartAndEnd) {
  SetUpUnicodeUnit(2);
  ASSERT_NE(UnicodeDataLock(), nullptr);
  EXPECT_EQ(CompareTextNoCase(), &CompareTextWide);
  TCoreCriticalSection* lock = UnicodeDataLock();
  SetUpUnicodeUnit(1);  // a second start keeps the lock
  EXPECT_EQ(UnicodeDataLock(), lock);
  EXPECT_EQ(CompareTextNoCase(), &CompareTextNarrow);
  lock->Enter();
  lock->Enter();  // re-entrant
  UnicodeCharData().CodeIndex.push_back(1);
  lock->Leave();
  lock->Leave();
  TearDownUnicodeUnit();
  EXPECT_EQ(UnicodeDataLock(), nullptr);
  EXPECT_TRUE(UnicodeCharData().CodeIndex.empty());
  SetUpUnicodeUnit();
  EXPECT_EQ(CompareTextNoCase(), &CompareTextWide);
  TearDownUnicodeUnit();
}

TEST(CoreSynch, AtomicSwapIfEqual) {
  int a = 0, b = 0;
  void* target = &a;
  EXPECT_EQ(AtomicSwapIfEqual(target, &b, nullptr), &a);  // not equal: unchanged
  EXPECT_EQ(target, &a);
  EXPECT_EQ(AtomicSwapIfEqual(target, &b, &a), &a);
  EXPECT_EQ(target, &b);
}
