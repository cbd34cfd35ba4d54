#include <gtest/gtest.h>

#include "transport/tcp/core/net_global.h"
#include "platform/runtime/ticks.h"

using namespace net;

TEST(NetGlobal, ClampByteCount) {
  const TNetBytes ten(10);
  struct Case { std::int32_t count, index, want; } cases[] = {
      {-1, 4, 6}, {20, 4, 6}, {3, 4, 3}, {-1, 12, 0}, {5, 12, 0}, {-1, 0, 10}, {0, 0, 0}};
  for (const auto& c : cases) EXPECT_EQ(ClampByteCount(ten, c.count, c.index), c.want) << c.count << " " << c.index;
  EXPECT_EQ(ClampTextCount("hello", -1, 1), 5);
  EXPECT_EQ(ClampTextCount("hello", -1, 5), 1);
  EXPECT_EQ(ClampTextCount("hello", 9, 6), 0);
  EXPECT_EQ(PositionInList(3, {1, 3, 3}), 1);
  EXPECT_EQ(PositionInList(3, {}), -1);
}

TEST(NetGlobal, IPv4Texts) {
  struct Case { const char16_t* text; std::uint32_t want; bool failed; } cases[] = {
      {u"0x7f.1", 0x7F000001, false}, {u"010.0.0.1", 0x08000001, false}, {u"127.1", 0x7F000001, false},
      {u"10.1", 0x0A000001, false},   {u"1.2.3.x", 0, true},             {u"192.168.1.20", 0xC0A80114, false},
      {u"2130706433", 0x7F000001, false}, {u"1.2..4", 0x0102, false},     {u"1.2.3.4.5", 0x02030405, false},
      {u"09.1.1.1", 0x09010101, false}};
  for (const auto& c : cases) {
    bool failed = false;
    const std::uint32_t got = IPv4TextToNumber(c.text, failed);
    EXPECT_EQ(failed, c.failed) << rtl::StringToUtf8(c.text);
    if (!c.failed) {
      EXPECT_EQ(got, c.want) << rtl::StringToUtf8(c.text);
    }
  }
}

TEST(NetGlobal, IPv6Texts) {
  struct Case { const char16_t* text; const char16_t* want; } cases[] = {
      {u"::1", u"0:0:0:0:0:0:0:1"},
      {u"fe80::1:2", u"FE80:0:0:0:0:0:1:2"},
      {u"1::2::3", u""},
      {u"::ffff:10.0.0.1", u"0:0:0:0:0:FFFF:0A00:0001"},
      {u"12345::1", u""},
      {u"::", u"0:0:0:0:0:0:0:0"},
      {u"1:2:3:4:5:6:7:8", u"1:2:3:4:5:6:7:8"},
      {u"2001:db8:0:0:0:0:0:0001", u"2001:DB8:0:0:0:0:0:1"},
      {u"1:2:3", u""},  // neither all eight groups nor "::"
      {u"1.2.3.4", u""},
      {u"::1.2.3.256", u""},
      {u"::g", u""},
      {u"", u""},
      {u"1:2:3:4:5:6:7:8:9", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(CanonicalIPv6Text(c.text), c.want) << rtl::StringToUtf8(c.text);
  TNetIPv6Address a{};
  bool failed = true;
  IPv6TextToAddress(u"fe80::1:2", a, failed);
  ASSERT_FALSE(failed);
  EXPECT_EQ(a, (TNetIPv6Address{0xFE80, 0, 0, 0, 0, 0, 1, 2}));
  IPv6TextToAddress(u"1::2::3", a, failed);
  EXPECT_TRUE(failed);
}

TEST(NetGlobal, TicksAcrossTheWrapOfTheNarrowSource) {
  rtl::ManualClock clock(0xFFFFFFFFull - 5);
  rtl::SetClock(&clock);
  ResetTickSourceForTesting(false);
  const std::uint64_t before = Ticks64();
  EXPECT_EQ(before, 0xFFFFFFFFull - 5);
  clock.Advance(10);
  const std::uint64_t after = Ticks64();
  EXPECT_EQ(after, 4u);  // wrapped
  EXPECT_EQ(TicksElapsed(before, after), 10u);
  ResetTickSourceForTesting(true);
  EXPECT_EQ(Ticks64(), 0xFFFFFFFFull + 5);  // the wide source does not wrap
  rtl::SetClock(nullptr);
  EXPECT_EQ(TicksElapsed(5, 9), 4u);
}

TEST(NetGlobal, VersionsTextsAndFormat) {
  EXPECT_TRUE(VersionAtLeast(5, 1, 5, 1));
  EXPECT_TRUE(VersionAtLeast(6, 0, 5, 1));
  EXPECT_FALSE(VersionAtLeast(5, 0, 5, 1));
  EXPECT_TRUE(TextStartsWith(u"LocalHost", u"local"));
  EXPECT_FALSE(TextStartsWith(u"lo", u"local"));
  EXPECT_TRUE(TextEndsWith(u"host.EXAMPLE", u".example"));
  EXPECT_EQ(FindInText("3", "1.2.3"), 5);
  EXPECT_EQ(FindInText("x", "1.2.3"), 0);
  EXPECT_EQ(StrToIntOr(u" 42 ", 7), 42);
  EXPECT_EQ(StrToIntOr(u"4x", 7), 7);
  EXPECT_EQ(FormatInvariant(u"%.2f|%d", {1234.5, 3}), u"1234.50|3");
}

TEST(NetGlobal, TextAndBytes) {
  EXPECT_TRUE(BytesToText({}).empty());
  // The library default is ASCII: a GBK character of the system page becomes "?".
  const TNetBytes b = TextToBytes("a\xD6\xD0");
  EXPECT_EQ(b, (TNetBytes{'a', '?'}));
  const TNetBytes u = TextToBytes("\xD6\xD0", -1, 1, TextEncodingFor(EncodingUTF8));
  EXPECT_EQ(u, (TNetBytes{0xE4, 0xB8, 0xAD}));  // 中
  std::uint16_t cp = 0;
  EXPECT_EQ(BytesToText(u, 0, -1, TextEncodingFor(EncodingUTF8), TextEncodingFor(EncodingOSDefault), &cp),
            "\xD6\xD0");
  EXPECT_EQ(cp, 936);
  EXPECT_EQ(BytesToText(TNetBytes{'a', 'b', 'c'}, 1, 5), "bc");
  EXPECT_EQ(RawToBytes("xy", 2), (TNetBytes{'x', 'y'}));
}

TEST(NetGlobal, StreamRoutines) {
  rtl::TMemoryStream s;
  const TNetBytes data{1, 2, 3, 4};
  EXPECT_EQ(WriteBytesToStream(s, data, 10, 1), 3);
  EXPECT_EQ(WriteBytesToStream(s, {}, 10, 0), 0);
  s.SetPosition(0);
  TNetBytes in{9};
  EXPECT_EQ(ReadBytesFromStream(s, in, -1, 1), 3);
  EXPECT_EQ(in, (TNetBytes{9, 2, 3, 4}));
  EXPECT_EQ(ReadBytesFromStream(s, in, 0), 0);
}
