#include <gtest/gtest.h>

#include "platform/net/dynamic_library.h"
#include "platform/runtime/exceptions.h"
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
  EXPECT_TRUE(NormalizeString.IsEmpty());  // no counterpart
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

}  // namespace
