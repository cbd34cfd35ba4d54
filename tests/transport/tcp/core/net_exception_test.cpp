#include <gtest/gtest.h>

#include "transport/tcp/core/net_exception.h"

using namespace net;

TEST(NetException, EveryFamilyIsCaughtAsTheRoot) {
  auto caughtAsRoot = [](auto thrower) {
    try {
      thrower();
    } catch (const ENetException&) {
      return true;
    } catch (...) {
    }
    return false;
  };
  EXPECT_TRUE(caughtAsRoot([] { throw ENetSocksServerTTLExpiredError(u"x"); }));
  EXPECT_TRUE(caughtAsRoot([] { throw ENetNotASocket(10038, u"x"); }));
  EXPECT_TRUE(caughtAsRoot([] { throw ENetIPVersionUnsupported(u"x"); }));
  EXPECT_TRUE(caughtAsRoot([] { throw ENetReplyRFCError(500, u"x"); }));
  EXPECT_TRUE(caughtAsRoot([] { throw ENetWinsockStubError::CreateWithCode(0, u"%s", {"f"}); }));
}

TEST(NetException, OnlyAGracefulCloseIsSilent) {
  EXPECT_TRUE((std::is_base_of_v<ENetSilentException, ENetConnClosedGracefully>));
  EXPECT_FALSE((std::is_base_of_v<ENetSilentException, ENetClosedSocket>));
  EXPECT_FALSE((std::is_base_of_v<ENetSilentException, ENetReadTimeout>));
  EXPECT_FALSE((std::is_base_of_v<ENetSilentException, ENetSocketError>));
}

TEST(NetException, ReplacedTextReachesTheNextRaise) {
  try {
    RaiseNet<ENetNotConnected>("rsnotconnected");
  } catch (const ENetNotConnected& e) {
    EXPECT_EQ(e.Message(), u"Not Connected");
  }
  ASSERT_TRUE(SetNetResourceString("rsnotconnected", u"未连接"));
  try {
    RaiseNet<ENetNotConnected>("rsnotconnected");
  } catch (const ENetNotConnected& e) {
    EXPECT_EQ(e.Message(), u"未连接");
  }
  ResetNetResourceStrings();
  // The host and port texts are fixed where they are raised, not entries.
  EXPECT_FALSE(SetNetResourceString("A Host is required", u"x"));
  EXPECT_TRUE(IsNetResourceString("netresourcestringscore", "rsnotconnected"));
  EXPECT_TRUE(IsNetResourceString("netresourcestrings", "rswinsockcallerror"));
  EXPECT_FALSE(IsNetResourceString("netresourcestrings", "rsnotconnected"));
}

TEST(NetException, FormattedEntries) {
  try {
    RaiseNet<ENetInvalidPortRange>("rsinvalidportrange", {10, 5});
  } catch (const ENetException& e) {
    EXPECT_EQ(e.Message(), u"Invalid Port Range (10 - 5)");
  }
}

TEST(NetException, StubErrorWithAndWithoutCode) {
  const auto plain = ENetWinsockStubError::CreateWithCode(0, u"Error on call to Winsock2 library function %s", {"connect"});
  EXPECT_EQ(plain.Message(), u"Error on call to Winsock2 library function connect");
  EXPECT_TRUE(plain.ErrorCodeText.empty());
  const auto coded =
      ENetWinsockStubError::CreateWithCode(10093, u"Error on call to Winsock2 library function %s", {"connect"});
  EXPECT_EQ(coded.ErrorCode, 10093u);
  EXPECT_EQ(coded.Title, u"Error on call to Winsock2 library function connect");
  EXPECT_FALSE(coded.ErrorCodeText.empty());
  EXPECT_EQ(coded.Message(), coded.Title + u": " + coded.ErrorCodeText);
}
