#include <gtest/gtest.h>

#include <vector>

#include "platform/net/dynamic_library.h"
#include "platform/runtime/exceptions.h"
#include "platform/system/last_error.h"
#include "transport/tcp/core/net_idn.h"

using namespace net::idn;

namespace {

class Idn : public ::testing::Test {
 protected:
  void TearDown() override {
    UnloadIdnFunctions();
    platform::net::SetLibraryFile("Normaliz.dll", "libidn2.so.0");
  }
};

TEST_F(Idn, WithoutTheLibraryNothingIsBoundOrRaised) {
  platform::net::SetLibraryFile("Normaliz.dll", "/nonexistent/libidn2.so.0");
  EXPECT_NO_THROW(LoadIdnFunctions());
  EXPECT_TRUE(IdnToAscii.IsEmpty());
  EXPECT_TRUE(IdnToUnicode.IsEmpty());
  EXPECT_TRUE(DownlevelVerifyScripts.IsEmpty());  // IdnDL.dll has no counterpart here
  EXPECT_FALSE(CanUseIdnConversion());
  EXPECT_EQ(HostNameToAscii(u"bücher.example"), "");
}

TEST_F(Idn, ConvertsWithLibidn2) {
  LoadIdnFunctions();
  if (IdnToAscii.IsEmpty()) GTEST_SKIP() << "libidn2 is not installed";
  EXPECT_FALSE(IdnToUnicode.IsEmpty());
  EXPECT_TRUE(CanUseIdnConversion());
  EXPECT_FALSE(CanUseIdnConversionOn(6, 2));
  EXPECT_FALSE(CanUseIdnConversionOn(10, 0));
  EXPECT_TRUE(CanUseIdnConversionOn(6, 1));
  EXPECT_EQ(HostNameToAscii(u"bücher.example"), "xn--bcher-kva.example");
  EXPECT_EQ(HostNameToAscii(u"plain.example"), "plain.example");
  // A name that is not a valid international name raises, with no partial result.
  try {
    HostNameToAscii(u"\u00E4" + rtl::String(70, u'a') + u".example");  // label longer than 63
    FAIL();
  } catch (const rtl::EOSError& e) {
    EXPECT_NE(e.ErrorCode, 0u);
  }
  UnloadIdnFunctions();
  EXPECT_TRUE(IdnToAscii.IsEmpty());
  UnloadIdnFunctions();
}

// The normalisation calls Normaliz.dll binds, in the platform's forms.
TEST_F(Idn, NormalisesNames) {
  LoadIdnFunctions();
  if (NormalizeString.IsEmpty()) GTEST_SKIP() << "libidn2 or ICU is not installed";
  ASSERT_FALSE(IsNormalizedString.IsEmpty());
  ASSERT_FALSE(IdnToNameprepUnicode.IsEmpty());
  constexpr int C = 1, D = 2, KC = 5, KD = 6;
  struct Case {
    int form;
    std::u16string in, out;
  };
  const Case table[] = {
      {C, u"Bu\u0308cher", u"B\u00FCcher"},         // composed
      {D, u"B\u00FCcher", u"Bu\u0308cher"},         // decomposed
      {KC, u"\uFB01le", u"file"},                    // the ligature is compatibility text
      {C, u"\uFB01le", u"\uFB01le"},                // ... which the canonical forms keep
      {KD, u"\u212B", u"A\u030A"},                  // Angstrom sign
      {C, u"\u212B", u"\u00C5"},
      {KC, u"\u2460-\uFF21", u"1-A"},               // circled one, full-width A
      {C, u"plain.example", u"plain.example"},
      {C, u"\U0001D400", u"\U0001D400"},            // a pair stays a pair
  };
  for (const Case& c : table) {
    SCOPED_TRACE(testing::Message() << "form " << c.form << " length " << c.in.size());
    const int in = static_cast<int>(c.in.size());
    const int need = NormalizeString(c.form, c.in.data(), in, nullptr, 0);
    ASSERT_GE(need, static_cast<int>(c.out.size()));
    std::u16string out(static_cast<std::size_t>(need), u'\0');
    const int written = NormalizeString(c.form, c.in.data(), in, out.data(), need);
    ASSERT_GT(written, 0);
    out.resize(static_cast<std::size_t>(written));
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(IsNormalizedString(c.form, c.out.data(), static_cast<int>(c.out.size())), 1);
    EXPECT_EQ(IsNormalizedString(c.form, c.in.data(), in), c.in == c.out ? 1 : 0);
  }

  // A zero-ended input gives a zero-ended output counted with its zero.
  char16_t ended[16] = {};
  EXPECT_EQ(NormalizeString(C, u"Bu\u0308", -1, ended, 16), 3);
  EXPECT_EQ(std::u16string(ended), u"B\u00FC");
  // Failures: a short buffer answers the size needed, negated; an unpaired
  // surrogate its index, negated; an unknown form is a bad argument.
  char16_t small[2];
  EXPECT_EQ(NormalizeString(D, u"\u00FC\u00FC", 2, small, 2), -4);
  EXPECT_EQ(rtl::GetLastError(), 122u);
  const std::u16string lone = u"ab" + std::u16string(1, char16_t{0xD800}) + u"c";
  EXPECT_EQ(NormalizeString(C, lone.data(), 4, ended, 16), -2);
  EXPECT_EQ(rtl::GetLastError(), 1113u);
  EXPECT_EQ(IsNormalizedString(C, u"\xDC00", 1), 0);
  EXPECT_EQ(rtl::GetLastError(), 1113u);
  EXPECT_EQ(NormalizeString(3, u"a", 1, ended, 16), 0);
  EXPECT_EQ(rtl::GetLastError(), 87u);

  // Name preparation: case folded, compatibility forms and soft hyphens gone;
  // a name with a prohibited character is refused.
  char16_t prepared[64] = {};
  const std::u16string name = u"B\u00DCCHER\u00AD.\uFF25xample";
  const int n = IdnToNameprepUnicode(0, name.data(), static_cast<int>(name.size()), prepared, 64);
  EXPECT_EQ(std::u16string(prepared, static_cast<std::size_t>(n > 0 ? n : 0)), u"b\u00FCcher.example");
  EXPECT_EQ(IdnToNameprepUnicode(0, u"a\uE000b", 3, prepared, 64), 0);  // private use
  EXPECT_EQ(rtl::GetLastError(), 123u);
}

}  // namespace
