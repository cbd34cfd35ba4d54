#include <gtest/gtest.h>

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/core/net_text_encoding.h"

using namespace net;

TEST(NetTextEncoding, TheTable) {
  const rtl::String e_acute = u"\u00E9";
  struct Case {
    TNetTextEncodingKind kind;
    TNetBytes encoded;  // U+00E9
    std::uint16_t codePage;
    std::int32_t maxBytes10, maxChars3;
    TNetBytes preamble;
  } cases[] = {
      {EncodingASCII, {0x3F}, 20127, 10, 3, {}},
      {Encoding8Bit, {0xE9}, 28591, 10, 3, {}},
      {EncodingUTF8, {0xC3, 0xA9}, 65001, 33, 4, {0xEF, 0xBB, 0xBF}},
      {EncodingUTF16LE, {0xE9, 0x00}, 1200, 22, 3, {0xFF, 0xFE}},
      {EncodingUTF16BE, {0x00, 0xE9}, 1201, 22, 3, {0xFE, 0xFF}},
      {EncodingUTF7, {'+', 'A', 'O', 'k', '-'}, 65000, 32, 3, {}},
      {EncodingOSDefault, {0xA8, 0xA6}, 936, 22, 3, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.kind));
    const auto enc = TextEncodingFor(c.kind);
    EXPECT_EQ(enc->EncodeChars(e_acute), c.encoded);
    if (c.kind != EncodingASCII) {
      EXPECT_EQ(enc->DecodeToText(c.encoded), e_acute);
    }
    EXPECT_EQ(CodePageOf(enc), c.codePage);
    EXPECT_EQ(enc->MaxByteCountFor(10), c.maxBytes10);
    EXPECT_EQ(enc->MaxCharCountFor(3), c.maxChars3);
    EXPECT_EQ(enc->Preamble(), c.preamble);
    EXPECT_EQ(TextEncodingFor(c.kind), enc);  // one shared instance
  }
}

TEST(NetTextEncoding, InvalidInputIsReplaced) {
  EXPECT_EQ(TextEncodingFor(EncodingASCII)->DecodeToText(TNetBytes{0xE9}), u"\uFFFD");
  EXPECT_EQ(TextEncodingFor(EncodingUTF8)->DecodeToText(TNetBytes{0xE9}), u"\uFFFD");
  // An odd trailing byte of UTF-16 is left out.
  EXPECT_EQ(TextEncodingFor(EncodingUTF16LE)->DecodeToText(TNetBytes{'A', 0, 'B'}), u"A");
  EXPECT_EQ(TextEncodingFor(EncodingUTF16BE)->DecodeToText(TNetBytes{0, 'A', 0}), u"A");
  EXPECT_EQ(TextEncodingFor(Encoding8Bit)->EncodeChars(rtl::String(u"\u4E2D")), TNetBytes{'?'});
}

TEST(NetTextEncoding, BigEndianDecodeStopsAtTheInput) {
  // A capacity larger than the bytes hold must not read past them.
  const std::uint8_t bytes[3] = {0, 'A', 0x77};
  char16_t out[8] = {};
  EXPECT_EQ(TextEncodingFor(EncodingUTF16BE)->DecodeBytes(bytes, 3, out, 8), 1);
  EXPECT_EQ(out[0], u'A');
  EXPECT_EQ(out[1], 0);
}

TEST(NetTextEncoding, DefaultKind) {
  EXPECT_EQ(TextEncodingFor(EncodingDefault), TextEncodingFor(EncodingASCII));
  SetDefaultTextEncodingKind(EncodingUTF8);
  EXPECT_EQ(TextEncodingFor(EncodingDefault), TextEncodingFor(EncodingUTF8));
  SetDefaultTextEncodingKind(0);
  EXPECT_EQ(TextEncodingFor(EncodingDefault), TextEncodingFor(EncodingASCII));
  SetDefaultTextEncodingKind(200);
  EXPECT_EQ(TextEncodingFor(EncodingDefault), TextEncodingFor(EncodingOSDefault));
  SetDefaultTextEncodingKind(EncodingASCII);
}

TEST(NetTextEncoding, CodePages) {
  try {
    TNetMBCSEncoding bad(99999);
    FAIL();
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Invalid codepage (99999)");
  }
  EXPECT_EQ(TNetMBCSEncoding(20127).CodePage(), 20127u);
  EXPECT_TRUE(TNetMBCSEncoding(28591).IsSingleByte());
  EXPECT_FALSE(TNetMBCSEncoding().IsSingleByte());  // GBK
  EXPECT_EQ(TNetMBCSEncoding(1201).Preamble(), (TNetBytes{0xFE, 0xFF}));
  EXPECT_EQ(TNetMBCSEncoding(12001).Preamble(), (TNetBytes{0, 0, 0xFE, 0xFF}));
  const auto utf8 = TextEncodingFor(EncodingUTF8);
  EXPECT_EQ(ConvertBytes(TNetBytes{0xC3, 0xA9}, utf8, utf8), (TNetBytes{0xC3, 0xA9}));
  EXPECT_EQ(ConvertBytes(TNetBytes{0xC3, 0xA9}, utf8, TextEncodingFor(Encoding8Bit)), TNetBytes{0xE9});
}

TEST(NetTextEncoding, ArgumentChecks) {
  const auto enc = TextEncodingFor(EncodingASCII);
  const TNetBytes five{'a', 'b', 'c', 'd', 'e'};
  auto message = [](auto f) -> std::string {
    try {
      f();
    } catch (const ENetException&) {
      return "net";
    } catch (const rtl::Exception& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ(message([&] { enc->DecodeBytes(five, 5, 1); }), "Character index out of bounds (5)");
  EXPECT_EQ(message([&] { enc->DecodeBytes(five, 1, 5); }), "Invalid count (5)");
  EXPECT_EQ(message([&] { enc->DecodeBytes(five, -1, 1); }), "Character index out of bounds (-1)");
  EXPECT_EQ(message([&] { enc->ByteCountOf(rtl::String(u"ab"), 0, 1); }), "Character index out of bounds (0)");
  TNetWideChars two(2);
  EXPECT_EQ(message([&] { enc->DecodeBytes(five, 0, 3, two, 0); }), "Invalid destination array");
  EXPECT_EQ(message([&] { enc->DecodeBytes(five, 0, 1, two, 2); }), "Invalid destination index (2)");
  EXPECT_TRUE(enc->DecodeBytes(five, 2, 0).empty());
  EXPECT_TRUE(enc->DecodeBytes(TNetBytes{}, 7, 7).empty());  // empty array: no checks
  EXPECT_EQ(enc->DecodeBytes(five, 1, 2, two, 0), 2);
  EXPECT_EQ(two, (TNetWideChars{u'b', u'c'}));
  EXPECT_EQ(enc->EncodeChars(rtl::String(u"hello"), 2, 3), (TNetBytes{'e', 'l', 'l'}));
  EXPECT_EQ(TextEncodingFor(EncodingUTF16LE)->CharCountOf(TNetBytes{1, 2, 3}), 1);
}
