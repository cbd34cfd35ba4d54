// The socket calls against real loopback sockets, through the binding.
#include <cstring>
#include <string>
#include <vector>

#include "transport/tcp/core/net_global.h"
#include "tests/platform/net/posix_helpers.h"
#include "tests/platform/net/winsock_fixture.h"

using namespace net::winsock;

namespace {

class WinsockShim : public WinsockFixture {
 protected:
  void SetUp() override {
    WinsockFixture::SetUp();
    testposix::DefaultSigPipe();  // a stray SIGPIPE ends the test process
    LoadWinsockLibrary();
  }

  static sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = WS_AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(0x7F000001);
    return a;
  }
  static sockaddr* Sa(sockaddr_in& a) { return reinterpret_cast<sockaddr*>(&a); }

  SOCKET Listener(std::uint16_t& port) {
    const SOCKET l = socket(WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP);
    EXPECT_NE(l, INVALID_SOCKET);
    sockaddr_in a = Loopback(0);
    EXPECT_EQ(bind(l, Sa(a), sizeof a), 0);
    EXPECT_EQ(listen(l, 128), 0);
    int len = sizeof a;
    EXPECT_EQ(getsockname(l, Sa(a), &len), 0);
    EXPECT_EQ(len, 16);
    EXPECT_EQ(a.sin_family, WS_AF_INET);
    port = ntohs(a.sin_port);
    return l;
  }

  // A connected pair: client and the accepted server side.
  void Pair(SOCKET l, std::uint16_t port, SOCKET& client, SOCKET& server) {
    client = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
    sockaddr_in a = Loopback(port);
    ASSERT_EQ(connect(client, Sa(a), sizeof a), 0);
    sockaddr_in peer{};
    int len = sizeof peer;
    server = accept(l, Sa(peer), &len);
    ASSERT_NE(server, INVALID_SOCKET);
    EXPECT_EQ(peer.sin_family, WS_AF_INET);
    EXPECT_EQ(peer.sin_addr.s_addr, htonl(0x7F000001));
  }
};

TEST_F(WinsockShim, ClosedPortIsRefused) {
  std::uint16_t port = 0;
  const SOCKET l = Listener(port);
  closesocket(l);
  const SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
  sockaddr_in a = Loopback(port);
  EXPECT_EQ(connect(s, Sa(a), sizeof a), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
  closesocket(s);
}

TEST_F(WinsockShim, ResetPeerGivesAnErrorAndNoSignal) {
  std::uint16_t port = 0;
  const SOCKET l = Listener(port);
  SOCKET c, s;
  Pair(l, port, c, s);
  const linger hard{1, 0};
  ASSERT_EQ(setsockopt(s, WS_SOL_SOCKET, WS_SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard), 0);
  linger back{};
  int len = sizeof back;
  ASSERT_EQ(getsockopt(s, WS_SOL_SOCKET, WS_SO_LINGER, reinterpret_cast<char*>(&back), &len), 0);
  EXPECT_EQ(back.l_onoff, 1);
  closesocket(s);  // sends a reset
  char buf[16];
  int got = recv(c, buf, sizeof buf, 0);
  EXPECT_EQ(got, SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
  // Sending on the dead connection reports an error instead of raising SIGPIPE.
  int rc = 0;
  for (int i = 0; i < 3 && rc != SOCKET_ERROR; ++i) rc = send(c, "x", 1, 0);
  EXPECT_EQ(rc, SOCKET_ERROR);
  const int err = WSAGetLastError();
  EXPECT_TRUE(err == WSAECONNRESET || err == WSAESHUTDOWN) << err;
  closesocket(c);
  closesocket(l);
}

TEST_F(WinsockShim, DataOptionsAndGracefulClose) {
  std::uint16_t port = 0;
  const SOCKET l = Listener(port);
  SOCKET c, s;
  Pair(l, port, c, s);
  const int on = 1;
  EXPECT_EQ(setsockopt(c, WS_IPPROTO_TCP, WS_TCP_NODELAY, reinterpret_cast<const char*>(&on), 4), 0);
  const std::uint32_t timeout = 1500;
  EXPECT_EQ(setsockopt(c, WS_SOL_SOCKET, WS_SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), 4), 0);
  std::uint32_t read = 0;
  int len = 4;
  EXPECT_EQ(getsockopt(c, WS_SOL_SOCKET, WS_SO_RCVTIMEO, reinterpret_cast<char*>(&read), &len), 0);
  EXPECT_EQ(read, 1500u);
  int type = 0;
  len = 4;
  EXPECT_EQ(getsockopt(c, WS_SOL_SOCKET, WS_SO_TYPE, reinterpret_cast<char*>(&type), &len), 0);
  EXPECT_EQ(type, WS_SOCK_STREAM);
  EXPECT_EQ(setsockopt(c, WS_SOL_SOCKET, 0x7777, reinterpret_cast<const char*>(&on), 4), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOPROTOOPT);

  EXPECT_EQ(send(s, "hello", 5, 0), 5);
  std::uint32_t avail = 0;
  for (int i = 0; i < 100 && avail < 5; ++i) {
    ASSERT_EQ(ioctlsocket(c, WS_FIONREAD, &avail), 0);
    if (avail < 5) testposix::SleepMs(1);
  }
  EXPECT_EQ(avail, 5u);
  char buf[8] = {};
  EXPECT_EQ(recv(c, buf, 8, WS_MSG_PEEK), 5);
  EXPECT_EQ(recv(c, buf, 8, 0), 5);
  EXPECT_EQ(std::string(buf, 5), "hello");
  EXPECT_EQ(shutdown(s, WS_SD_SEND), 0);
  EXPECT_EQ(recv(c, buf, 8, 0), 0);  // graceful close
  std::uint32_t nb = 1;
  EXPECT_EQ(ioctlsocket(s, WS_FIONBIO, &nb), 0);
  EXPECT_EQ(recv(s, buf, 8, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  closesocket(c);
  closesocket(s);
  closesocket(l);
}

TEST_F(WinsockShim, SelectWithSixtyFourSocketsAboveDescriptor1024) {
  const long limit = testposix::RaiseDescriptorLimit(4096);
  if (limit < 1300) GTEST_SKIP() << "descriptor limit too low: " << limit;
  std::uint16_t port = 0;
  const SOCKET l = Listener(port);
  std::vector<SOCKET> clients, servers;
  for (int i = 0; i < 64; ++i) {
    SOCKET c, s;
    Pair(l, port, c, s);
    if (i % 2 == 0) {  // move half of them above 1024
      const int high = testposix::MoveAbove(static_cast<int>(c), 1100);
      ASSERT_GT(high, 1024);
      c = static_cast<SOCKET>(high);
    }
    clients.push_back(c);
    servers.push_back(s);
  }
  // Data for every third client.
  for (int i = 0; i < 64; i += 3) ASSERT_EQ(send(servers[i], "x", 1, 0), 1);
  ws::fd_set set{};
  for (SOCKET c : clients) set.fd_array[set.fd_count++] = c;
  ws::timeval tv{2, 0};
  testposix::SleepMs(20);
  const int n = net::winsock::select(0, &set, nullptr, nullptr, &tv);
  EXPECT_EQ(n, 22);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(__WSAFDIsSet(clients[i], &set) != 0, i % 3 == 0) << i;
  // Writable: all of them.
  ws::fd_set w{};
  for (SOCKET c : clients) w.fd_array[w.fd_count++] = c;
  EXPECT_EQ(net::winsock::select(0, nullptr, &w, nullptr, &tv), 64);
  // Nothing pending on the servers: a zero time-out returns 0 at once.
  ws::fd_set r{};
  for (SOCKET s : servers) r.fd_array[r.fd_count++] = s;
  ws::timeval zero{0, 0};
  EXPECT_EQ(net::winsock::select(0, &r, nullptr, nullptr, &zero), 0);
  EXPECT_EQ(r.fd_count, 0u);
  ws::fd_set bad{};
  bad.fd_count = 65;
  EXPECT_EQ(net::winsock::select(0, &bad, nullptr, nullptr, &zero), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  for (SOCKET c : clients) closesocket(c);
  for (SOCKET s : servers) closesocket(s);
  closesocket(l);
}

TEST_F(WinsockShim, NameResolutionInTheWindowsLayout) {
  // Straight from the module; the stack reaches them through its own binding.
  void* lib = WinsockLibraryHandle();
  auto getaddrinfo = reinterpret_cast<int (*)(const char*, const char*, const addrinfo*, addrinfo**)>(
      net::LoadLibFunction(lib, "getaddrinfo"));
  auto freeaddrinfo = reinterpret_cast<void (*)(addrinfo*)>(net::LoadLibFunction(lib, "freeaddrinfo"));
  auto getnameinfo = reinterpret_cast<int (*)(const sockaddr*, int, char*, std::uint32_t, char*, std::uint32_t, int)>(
      net::LoadLibFunction(lib, "getnameinfo"));
  ASSERT_TRUE(getaddrinfo && freeaddrinfo && getnameinfo);
  addrinfo hints{};
  hints.ai_family = WS_AF_INET;
  hints.ai_socktype = WS_SOCK_STREAM;
  addrinfo* res = nullptr;
  ASSERT_EQ(getaddrinfo("127.0.0.1", "502", &hints, &res), 0);
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(res->ai_family, WS_AF_INET);
  EXPECT_EQ(res->ai_socktype, WS_SOCK_STREAM);
  EXPECT_EQ(res->ai_addrlen, 16u);
  EXPECT_EQ(res->ai_canonname, nullptr);
  const auto* in = reinterpret_cast<const sockaddr_in*>(res->ai_addr);
  EXPECT_EQ(in->sin_family, WS_AF_INET);
  EXPECT_EQ(ntohs(in->sin_port), 502);
  EXPECT_EQ(in->sin_addr.s_addr, htonl(0x7F000001));
  freeaddrinfo(res);

  hints.ai_family = WS_AF_INET6;
  hints.ai_flags = WS_AI_NUMERICHOST;
  ASSERT_EQ(getaddrinfo("::1", "80", &hints, &res), 0);
  EXPECT_EQ(res->ai_family, WS_AF_INET6);
  EXPECT_EQ(res->ai_addrlen, 28u);
  EXPECT_EQ(res->ai_addr->sa_family, WS_AF_INET6);
  char host[WS_NI_MAXHOST] = {}, serv[WS_NI_MAXSERV] = {};
  EXPECT_EQ(getnameinfo(res->ai_addr, static_cast<int>(res->ai_addrlen), host, sizeof host, serv, sizeof serv,
                        WS_NI_NUMERICHOST | WS_NI_NUMERICSERV),
            0);
  EXPECT_STREQ(host, "::1");
  EXPECT_STREQ(serv, "80");
  freeaddrinfo(res);
  EXPECT_EQ(getaddrinfo("not a host name", nullptr, &hints, &res), WSAHOST_NOT_FOUND);

  const hostent* h = gethostbyname("localhost");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->h_addrtype, WS_AF_INET);
  EXPECT_EQ(h->h_length, 4);
  ASSERT_NE(h->h_addr_list[0], nullptr);
  EXPECT_EQ(inet_addr("127.0.0.1"), htonl(0x7F000001));
  EXPECT_EQ(inet_addr("1.2.3"), htonl(0x01020003));  // the classic short forms
  EXPECT_EQ(inet_addr("x"), WS_INADDR_NONE);
  EXPECT_STREQ(inet_ntoa(in_addr{htonl(0xC0A80114)}), "192.168.1.20");
  const servent* sv = getservbyname("http", "tcp");
  if (sv) {
    EXPECT_EQ(ntohs(static_cast<std::uint16_t>(sv->s_port)), 80);
    EXPECT_STREQ(sv->s_proto, "tcp");
  }
}

TEST_F(WinsockShim, HostNameIsWholeOrRefused) {
  const std::string node = testposix::NodeName();
  char name[256];
  ASSERT_EQ(net::winsock::gethostname(name, sizeof name), 0);
  EXPECT_EQ(name, node);
  // Exactly the name without room for its terminator: refused, not cut.
  const int len = static_cast<int>(node.size());
  std::vector<char> small(static_cast<std::size_t>(len), 'Z');
  EXPECT_EQ(net::winsock::gethostname(small.data(), len), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  EXPECT_EQ(small.back(), 'Z');
}

// The protocol list: sized on a first call, one entry per family and socket
// type, each one a socket this module really opens; filtered by protocol; the
// wide form lists the same entries.
TEST_F(WinsockShim, ProtocolListNamesWhatCanBeOpened) {
  std::uint32_t size = 0;
  EXPECT_EQ(WSAEnumProtocols(nullptr, nullptr, &size), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOBUFS);
  ASSERT_GT(size, 0u);
  ASSERT_EQ(size % sizeof(WSAPROTOCOL_INFOA), 0u);
  std::vector<WSAPROTOCOL_INFOA> list(size / sizeof(WSAPROTOCOL_INFOA));
  std::uint32_t small = size - 1;
  EXPECT_EQ(WSAEnumProtocols(nullptr, list.data(), &small), SOCKET_ERROR);
  EXPECT_EQ(small, size);
  ASSERT_EQ(WSAEnumProtocols(nullptr, list.data(), &size), static_cast<int>(list.size()));

  bool tcp4 = false;
  std::vector<std::pair<int, int>> seen;
  for (const WSAPROTOCOL_INFOA& p : list) {
    SCOPED_TRACE(p.szProtocol);
    EXPECT_TRUE(p.iAddressFamily == WS_AF_INET || p.iAddressFamily == WS_AF_INET6);
    EXPECT_EQ(p.iProtocol, p.iSocketType == WS_SOCK_STREAM ? WS_IPPROTO_TCP : WS_IPPROTO_UDP);
    EXPECT_EQ(p.iMaxSockAddr, p.iAddressFamily == WS_AF_INET ? 16 : 28);
    EXPECT_EQ((p.dwServiceFlags1 & XP1_CONNECTIONLESS) != 0, p.iSocketType == WS_SOCK_DGRAM);
    for (const auto& [family, type] : seen) EXPECT_FALSE(family == p.iAddressFamily && type == p.iSocketType);
    seen.emplace_back(p.iAddressFamily, p.iSocketType);
    const SOCKET probe = socket(p.iAddressFamily, p.iSocketType, p.iProtocol);
    EXPECT_NE(probe, INVALID_SOCKET);
    if (probe != INVALID_SOCKET) closesocket(probe);
    tcp4 = tcp4 || (p.iAddressFamily == WS_AF_INET && p.iSocketType == WS_SOCK_STREAM);
  }
  EXPECT_TRUE(tcp4);

  int udpOnly[] = {WS_IPPROTO_UDP, 0};
  std::uint32_t udpSize = 0;
  EXPECT_EQ(WSAEnumProtocols(udpOnly, nullptr, &udpSize), SOCKET_ERROR);
  std::vector<WSAPROTOCOL_INFOA> udp(udpSize / sizeof(WSAPROTOCOL_INFOA));
  ASSERT_EQ(WSAEnumProtocols(udpOnly, udp.data(), &udpSize), static_cast<int>(udp.size()));
  EXPECT_EQ(udp.size() * 2, list.size());
  for (const WSAPROTOCOL_INFOA& p : udp) EXPECT_EQ(p.iProtocol, WS_IPPROTO_UDP);

  std::uint32_t wideSize = 0;
  EXPECT_EQ(WSAEnumProtocolsW(nullptr, nullptr, &wideSize), SOCKET_ERROR);
  std::vector<WSAPROTOCOL_INFOW> wide(wideSize / sizeof(WSAPROTOCOL_INFOW));
  ASSERT_EQ(WSAEnumProtocolsW(nullptr, wide.data(), &wideSize), static_cast<int>(list.size()));
  for (std::size_t i = 0; i < list.size(); ++i)
    EXPECT_EQ(std::u16string(wide[i].szProtocol), rtl::Utf8ToString(list[i].szProtocol));
  EXPECT_EQ(WSAEnumProtocols(nullptr, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

}  // namespace
