#include <gtest/gtest.h>

#include <vector>

#include "platform/runtime/exceptions.h"
#include "tests/platform/net/winsock_fixture.h"

using namespace net;
using namespace net::winsock;

namespace {

class AddrInfo : public WinsockFixture {
 protected:
  void SetUp() override {
    WinsockFixture::SetUp();
    LoadWinsockLibrary();
  }
  struct Entry {
    int socktype, flags;
    std::uint16_t port;
    std::uint32_t address;
    bool canon;
  };
  static std::vector<Entry> Entries(const ws::addrinfo* ai) {
    std::vector<Entry> out;
    for (; ai; ai = ai->ai_next) {
      EXPECT_EQ(ai->ai_family, WS_AF_INET);
      EXPECT_EQ(ai->ai_addrlen, 16u);
      const auto* sin = reinterpret_cast<const ws::sockaddr_in*>(ai->ai_addr);
      out.push_back({ai->ai_socktype, ai->ai_flags, ntohs(sin->sin_port), ntohl(sin->sin_addr.s_addr),
                     ai->ai_canonname != nullptr});
    }
    return out;
  }
};

TEST_F(AddrInfo, EmulationResults) {
  ws::addrinfo* res = nullptr;
  ASSERT_EQ(EmulatedGetAddrInfo("192.0.2.10", "502", nullptr, &res), 0);
  auto e = Entries(res);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].socktype, WS_SOCK_STREAM);
  EXPECT_EQ(e[0].flags, WS_AI_NUMERICHOST);
  EXPECT_EQ(e[1].socktype, WS_SOCK_DGRAM);
  EXPECT_EQ(e[1].flags, 0);
  for (const auto& x : e) {
    EXPECT_EQ(x.port, 502);
    EXPECT_EQ(x.address, 0xC000020Au);
    EXPECT_FALSE(x.canon);
  }
  EmulatedFreeAddrInfo(res);

  ws::addrinfo hints{};
  hints.ai_flags = WS_AI_PASSIVE;
  ASSERT_EQ(EmulatedGetAddrInfo(nullptr, "80", &hints, &res), 0);
  e = Entries(res);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].address, 0u);
  EmulatedFreeAddrInfo(res);
  hints.ai_flags = 0;
  ASSERT_EQ(EmulatedGetAddrInfo(nullptr, "80", &hints, &res), 0);
  EXPECT_EQ(Entries(res)[0].address, 0x7F000001u);
  EmulatedFreeAddrInfo(res);

  hints.ai_flags = WS_AI_CANONNAME;
  hints.ai_socktype = WS_SOCK_STREAM;
  ASSERT_EQ(EmulatedGetAddrInfo("10.0.0.1", "1", &hints, &res), 0);
  ASSERT_EQ(Entries(res).size(), 1u);
  EXPECT_STREQ(res->ai_canonname, "10.0.0.1");
  EmulatedFreeAddrInfo(res);

  hints = {};
  hints.ai_socktype = WS_SOCK_STREAM;
  ASSERT_EQ(EmulatedGetAddrInfo("localhost", "7", &hints, &res), 0);
  ASSERT_FALSE(Entries(res).empty());
  EXPECT_EQ(Entries(res)[0].address, 0x7F000001u);
  EmulatedFreeAddrInfo(res);
}

TEST_F(AddrInfo, EmulationErrors) {
  struct Case {
    const char* node;
    const char* service;
    int family, socktype, flags;
    int want;
  } cases[] = {
      {nullptr, nullptr, 0, 0, 0, 11001},
      {"1.2.3.4", "80", 0, 4, 0, 10044},
      {"1.2.3.4", "80", 23, 0, 0, 10047},
      {nullptr, "80", 0, 0, WS_AI_CANONNAME, 10022},
      {"1.2.3.4", "no-such-service-here", 0, 1, 0, 10109},
      {"1.2.3.4", "no-such-service-here", 0, 0, 0, 11001},
      {"not.dotted.example.invalid", "80", 0, 0, WS_AI_NUMERICHOST, 11001},
  };
  for (const auto& c : cases) {
    ws::addrinfo hints{};
    hints.ai_family = c.family;
    hints.ai_socktype = c.socktype;
    hints.ai_flags = c.flags;
    ws::addrinfo* res = reinterpret_cast<ws::addrinfo*>(1);
    EXPECT_EQ(EmulatedGetAddrInfo(c.node, c.service, &hints, &res), c.want) << (c.node ? c.node : "nil");
    EXPECT_EQ(res, nullptr);
  }
  ws::addrinfo bad{};
  bad.ai_addrlen = 16;
  ws::addrinfo* res = nullptr;
  EXPECT_EQ(EmulatedGetAddrInfo("1.2.3.4", "80", &bad, &res), 11003);
}

TEST_F(AddrInfo, EmulatedNameInfo) {
  ws::sockaddr_in a{};
  a.sin_family = WS_AF_INET;
  a.sin_port = htons(8080);
  a.sin_addr.s_addr = htonl(0x7F000001);
  auto* sa = reinterpret_cast<ws::sockaddr*>(&a);
  char host[64], serv[3];
  EXPECT_EQ(EmulatedGetNameInfo(sa, 16, nullptr, 0, serv, 3, WS_NI_NUMERICSERV), 11003);
  char serv6[6];
  EXPECT_EQ(EmulatedGetNameInfo(sa, 16, host, sizeof host, serv6, sizeof serv6, WS_NI_NUMERICSERV | WS_NI_NUMERICHOST),
            0);
  EXPECT_STREQ(serv6, "8080");
  EXPECT_STREQ(host, "127.0.0.1");
  EXPECT_EQ(EmulatedGetNameInfo(sa, 15, host, sizeof host, nullptr, 0, 0), 11003);
  EXPECT_EQ(EmulatedGetNameInfo(sa, 16, nullptr, 0, nullptr, 0, 0), 11001);
  EXPECT_EQ(EmulatedGetNameInfo(sa, 16, host, sizeof host, nullptr, 0, WS_NI_NUMERICHOST | WS_NI_NAMEREQD), 10022);
  a.sin_family = WS_AF_INET6;
  EXPECT_EQ(EmulatedGetNameInfo(sa, 16, host, sizeof host, nullptr, 0, 0), 10047);
}

TEST_F(AddrInfo, MapTable) {
  EXPECT_EQ(MapAddrInfoError(0), 0);
  EXPECT_EQ(MapAddrInfoError(-5), -5);
  EXPECT_EQ(MapAddrInfoError(1), 0);
  EXPECT_EQ(MapAddrInfoError(8), 11001);
  EXPECT_EQ(MapAddrInfoError(11001), 11001);
  EXPECT_EQ(MapAddrInfoError(10), 10044);
  EXPECT_THROW(MapAddrInfoError(11), rtl::EOSError);
}

TEST_F(AddrInfo, BindsFromTheSocketLibrary) {
  LoadAddrInfoFunctions();
  EXPECT_FALSE(AddrInfoEmulated());
  EXPECT_EQ(AddrInfoSource(), WinsockLibraryHandle());
  EXPECT_FALSE(inet_pton.IsEmpty());
  ws::addrinfo* res = nullptr;
  ASSERT_EQ(getaddrinfo("127.0.0.1", "80", nullptr, &res), 0);
  EXPECT_EQ(res->ai_family, WS_AF_INET);
  freeaddrinfo(res);
  UnloadAddrInfoFunctions();
  EXPECT_TRUE(getaddrinfo.IsEmpty());
  UnloadAddrInfoFunctions();
}

TEST_F(AddrInfo, FallsBackToTheEmulation) {
  UnloadWinsockLibrary();
  UseLibrary(JQ_TEST_WS2_32_NO_LISTEN);
  LoadAddrInfoFunctions();  // loads the library itself
  EXPECT_TRUE(IsWinsockLoaded());
  EXPECT_TRUE(AddrInfoEmulated());
  EXPECT_EQ(getnameinfo.Get(), &EmulatedGetNameInfo);
  EXPECT_EQ(freeaddrinfo.Get(), &EmulatedFreeAddrInfo);
  EXPECT_TRUE(inet_pton.IsEmpty());
  ws::addrinfo* res = nullptr;
  ASSERT_EQ(getaddrinfo("127.0.0.1", "80", nullptr, &res), 0);
  freeaddrinfo(res);
}

}  // namespace
