// The SOCKS client against a scripted peer that checks every request byte
// and answers with chosen replies: connect for each version and address
// type, the reply tables, login, bind and the UDP relay's edges.
#include <gtest/gtest.h>

#include "transport/tcp/core/net_exception.h"
#include "tests/transport/tcp/proxy/net_proxy_fixture.h"
#include "tests/platform/net/posix_helpers.h"
#include "tests/transport/tcp/proxy/socks_test_peers.h"

namespace {

using namespace net;
using testposix::Bytes;
using testposix::ScriptedPeer;
using Step = ScriptedPeer::Step;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}
Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }

class SocksPeerTest : public NetProxyFixture {
 protected:
  // The handler's target is host:port; its socket goes to the peer.
  void ConnectThrough(const ScriptedPeer& peer, TSocksVersion version, const rtl::String& host, std::uint16_t port) {
    proxy_->SetPort(static_cast<std::uint16_t>(peer.Port()));
    proxy_->SetVersion(version);
    handler_->SetTransparentProxy(proxy_);
    handler_->SetHost(host);
    handler_->SetPort(port);
    handler_->OpenHandler();
  }
  // The message of what the call raised, empty when it returned.
  template <class F>
  static rtl::String Failure(F&& call) {
    try {
      call();
    } catch (const ENetException& e) {
      return rtl::String(e.Message());
    }
    return {};
  }
};

const Bytes kGranted4{0, 90, 0, 0, 0, 0, 0, 0};
const Bytes kGranted5{5, 0, 0, 1, 127, 0, 0, 1, 4, 56};

TEST_F(SocksPeerTest, Socks4RequestsCarryTheAddressAndUserId) {
  struct Case {
    TSocksVersion version;
    const char16_t* host;
    const char16_t* user;
    Bytes request;
  };
  const Case cases[] = {
      {svSocks4A, u"10.0.0.5", u"ops", Concat({{4, 1, 0, 80, 0, 0, 0, 1}, Text("ops"), {0}, Text("10.0.0.5"), {0}})},
      {svSocks4A, u"node7", u"", Concat({{4, 1, 0, 80, 0, 0, 0, 1, 0}, Text("node7"), {0}})},
      {svSocks4, u"127.0.0.1", u"ops", Concat({{4, 1, 0, 80, 127, 0, 0, 1}, Text("ops"), {0}})},
      {svSocks4, u"localhost", u"", {4, 1, 0, 80, 127, 0, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.host));
    ScriptedPeer peer({{static_cast<int>(c.request.size()), kGranted4}});
    proxy_->SetUsername(c.user);
    ConnectThrough(peer, c.version, c.host, 80);
    handler_->WriteText(u"after");
    handler_->CloseHandler();
    EXPECT_EQ(peer.Received(), Concat({c.request, Text("after")})) << "the stream goes on to the target";
  }
}

TEST_F(SocksPeerTest, Socks4ReplyCodes) {
  const std::pair<Bytes, const char16_t*> cases[] = {
      {{0, 90, 1, 2, 3, 4, 5, 6}, u""},
      {{4, 91, 0, 0, 0, 0, 0, 0}, u"Request rejected or failed."},
      {{0, 92, 0, 0, 0, 0, 0, 0}, u"Request rejected because SOCKS server cannot connect."},
      {{0, 93, 0, 0, 0, 0, 0, 0},
       u"Request rejected because the client program and identd report different user-ids."},
      {{0, 94, 0, 0, 0, 0, 0, 0}, u"Unknown socks error."},
  };
  for (const auto& [reply, message] : cases) {
    SCOPED_TRACE(reply[1]);
    ScriptedPeer peer({{9, reply}});
    EXPECT_EQ(Failure([&] { ConnectThrough(peer, svSocks4, u"127.0.0.1", 80); }), message);
    handler_->CloseHandler();
  }
}

TEST_F(SocksPeerTest, Socks5ConnectForEachAddressType) {
  Bytes nameReply{5, 0, 0, 3, 12};
  nameReply.insert(nameReply.end(), 14, 'r');
  Bytes ipv6Reply{5, 0, 0, 4};
  ipv6Reply.insert(ipv6Reply.end(), 18, 0);
  struct Case {
    const char16_t* host;
    Bytes address;
    Bytes reply;
  };
  const Case cases[] = {
      {u"::1", {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, kGranted5},
      {u"192.168.1.9", {1, 192, 168, 1, 9}, nameReply},
      {u"node7", Concat({{3, 5}, Text("node7")}), ipv6Reply},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.host));
    const Bytes request = Concat({{5, 1, 0}, c.address, {0, 21}});
    ScriptedPeer peer({{3, {5, 0}}, {static_cast<int>(request.size()), Concat({c.reply, Text("Z")})}});
    ConnectThrough(peer, svSocks5, c.host, 21);
    TNetBytes first;
    handler_->ReadBlock(first, 1);
    EXPECT_EQ(first, Text("Z")) << "the whole bound address was read, and nothing more";
    EXPECT_TRUE(handler_->InBufferEmpty());
    handler_->CloseHandler();
    EXPECT_EQ(peer.Received(), Concat({{5, 1, 0}, request}));
  }
}

// The socket speaks to the proxy, so it takes the proxy's address family,
// whatever family the target has.
TEST_F(SocksPeerTest, AnIPv6TargetThroughAnIPv4Proxy) {
  const Bytes request{5, 1, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 21};
  ScriptedPeer peer({{3, {5, 0}}, {static_cast<int>(request.size()), kGranted5}});
  handler_->SetIPVersion(Id_IPv6);
  proxy_->SetIPVersion(Id_IPv4);
  ConnectThrough(peer, svSocks5, u"::1", 21);
  EXPECT_TRUE(handler_->IsConnected());
  handler_->CloseHandler();
  EXPECT_EQ(peer.Received(), Concat({{5, 1, 0}, request}));
}

TEST_F(SocksPeerTest, Socks5ReplyCodesAndAddressTypes) {
  const std::pair<Bytes, const char16_t*> cases[] = {
      {{5, 1, 0, 1}, u"General SOCKS server failure."},
      {{5, 2, 0, 1}, u"Connection not allowed by ruleset."},
      {{5, 3, 0, 1}, u"Network unreachable."},
      {{5, 4, 0, 1}, u"Host unreachable."},
      {{5, 5, 0, 1}, u"Connection refused."},
      {{5, 6, 0, 1}, u"TTL expired."},
      {{5, 7, 0, 1}, u"Command not supported."},
      {{5, 8, 0, 1}, u"Address type not supported."},
      {{5, 9, 0, 1}, u"Unknown socks error."},
      // An address type that does not say how long the address is.
      {{5, 0, 0, 9, 1, 2, 3, 4, 5, 6}, u"Socks server did not respond."},
  };
  for (const auto& [reply, message] : cases) {
    SCOPED_TRACE(reply[1] * 100 + reply[3]);
    ScriptedPeer peer({{3, {5, 0}}, {10, reply}});
    EXPECT_EQ(Failure([&] { ConnectThrough(peer, svSocks5, u"127.0.0.1", 80); }), message);
    handler_->CloseHandler();
  }
}

TEST_F(SocksPeerTest, Socks5MethodAndLogin) {
  const std::string longName(300, 'u');
  struct Case {
    TSocksAuthentication authentication;
    std::string user;
    std::vector<Step> script;
    Bytes sent;
    const char16_t* message;
  };
  const Bytes longLogin = Concat({{1, 255}, Bytes(255, 'u'), {2}, Text("pw")});
  const Case cases[] = {
      {saUsernamePassword, "ops", {{3, {5, 0}}}, {5, 1, 2}, u"Invalid socks authentication method."},
      {saNoAuthentication, "ops", {{3, {5, 255}}}, {5, 1, 0}, u"Invalid socks authentication method."},
      {saUsernamePassword, "ops", {{3, {5, 2}}, {8, {1, 1}}}, Concat({{5, 1, 2, 1, 3}, Text("ops"), {2}, Text("pw")}),
       u"Authentication error to socks server."},
      {saUsernamePassword, longName, {{3, {5, 2}}, {static_cast<int>(longLogin.size()), {1, 0}}, {10, kGranted5}},
       Concat({{5, 1, 2}, longLogin, {5, 1, 0, 1, 127, 0, 0, 1, 0, 80}}), u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent.size());
    ScriptedPeer peer(c.script);
    proxy_->SetAuthentication(c.authentication);
    proxy_->SetUsername(rtl::String(c.user.begin(), c.user.end()));
    proxy_->SetPassword(u"pw");
    EXPECT_EQ(Failure([&] { ConnectThrough(peer, svSocks5, u"127.0.0.1", 80); }), c.message);
    handler_->CloseHandler();
    EXPECT_EQ(peer.Received(), c.sent);
  }
}

TEST_F(SocksPeerTest, ASilentServerDidNotRespond) {
  handler_->SetReadTimeout(200);
  ScriptedPeer peer({{3, {5, 0}}, {10, {}}});
  try {
    ConnectThrough(peer, svSocks5, u"127.0.0.1", 80);
    FAIL() << "connected without a reply";
  } catch (const ENetSocksServerRespondError& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"Socks server did not respond.");
  }
  handler_->CloseHandler();
}

TEST_F(SocksPeerTest, Socks4BindThroughTheHandlersOwnProxy) {
  // The proxy the handler made for itself runs the bind that takes it off
  // the handler for a moment; it must survive that.
  auto* own = dynamic_cast<TNetSocksInfo*>(handler_->TransparentProxy());
  ASSERT_NE(own, nullptr);
  own->SetHost(u"127.0.0.1");
  own->SetUsername(u"ops");
  own->SetVersion(svSocks4);
  const Bytes request = Concat({{4, 2, 0, 21, 192, 168, 0, 3}, Text("ops"), {0}});
  // Both replies in one write: the second is already buffered when the wait starts.
  ScriptedPeer peer(
      {{static_cast<int>(request.size()), {0, 90, 31, 144, 10, 0, 0, 7, 0, 90, 0, 80, 192, 168, 0, 3}}});
  own->SetPort(static_cast<std::uint16_t>(peer.Port()));

  own->RequestBind(*handler_, u"192.168.0.3", 21, Id_IPv4);
  EXPECT_EQ(handler_->AssignedProxy(), own);
  TNetSocketHandle& handle = *handler_->SocketBinding();
  EXPECT_EQ(handle.IP(), u"10.0.0.7");
  EXPECT_EQ(handle.Port(), 8080);
  EXPECT_EQ(handle.IPVersion(), Id_IPv4);

  EXPECT_TRUE(own->WaitForInbound(*handler_, 3000));
  EXPECT_EQ(handle.RemoteIP(), u"192.168.0.3");
  EXPECT_EQ(handle.RemotePort(), 80);
  handler_->CloseHandler();
  EXPECT_EQ(peer.Received(), request);
}

TEST_F(SocksPeerTest, Socks5BindStoresTheBoundAddressAsThePeer) {
  Bytes reply{5, 0, 0, 4, 32, 1, 13, 184};
  reply.insert(reply.end(), 11, 0);
  reply.insert(reply.end(), {1, 0, 21});
  const Bytes request{5, 2, 0, 1, 127, 0, 0, 1, 0, 0};
  ScriptedPeer peer({{3, {5, 0}}, {10, reply}});
  proxy_->SetPort(static_cast<std::uint16_t>(peer.Port()));
  proxy_->SetVersion(svSocks5);
  handler_->SetTransparentProxy(proxy_);

  proxy_->RequestBind(*handler_, u"127.0.0.1", 0, Id_IPv4);
  EXPECT_EQ(handler_->AssignedProxy(), proxy_);
  TNetSocketHandle& handle = *handler_->SocketBinding();
  EXPECT_EQ(handle.RemoteIP(), u"2001:0DB8:0000:0000:0000:0000:0000:0001");
  EXPECT_EQ(handle.RemotePort(), 21);
  EXPECT_EQ(handle.IPVersion(), Id_IPv6);
  EXPECT_FALSE(proxy_->WaitForInbound(*handler_, 100)) << "nothing came in";
  handler_->CloseHandler();
  EXPECT_EQ(peer.Received(), Concat({{5, 1, 0}, request}));
}

TEST_F(SocksPeerTest, BindFailures) {
  proxy_->SetVersion(svSocks5);
  {
    ScriptedPeer peer({{3, {5, 0}}, {10, {5, 7, 0, 1, 0, 0, 0, 0, 0, 0}}});
    proxy_->SetPort(static_cast<std::uint16_t>(peer.Port()));
    handler_->SetTransparentProxy(proxy_);
    EXPECT_EQ(Failure([&] { proxy_->RequestBind(*handler_, u"127.0.0.1", 0, Id_IPv4); }), u"Command not supported.");
    EXPECT_TRUE(handler_->HasSocket()) << "still connected to the proxy server";
    EXPECT_EQ(handler_->AssignedProxy(), proxy_);
    handler_->CloseHandler();
  }
  {
    // The rest of the refusing reply is still unread there.
    auto* fresh = NetCreate<TNetIOHandlerStack>(owner_);
    fresh->SetTransparentProxy(proxy_);
    int closedPort = 0;
    testposix::CloseFd(testposix::ListenLoopback(1, closedPort));
    proxy_->SetPort(static_cast<std::uint16_t>(closedPort));
    EXPECT_THROW(proxy_->RequestBind(*fresh, u"127.0.0.1", 0, Id_IPv4), ENetSocketError);
    EXPECT_EQ(fresh->AssignedProxy(), nullptr);
    EXPECT_EQ(proxy_->Host(), u"127.0.0.1") << "the caller's proxy is left whole";
  }
  proxy_->SetVersion(svNoSocks);
  EXPECT_NO_THROW(proxy_->RequestBind(*handler_, u"127.0.0.1", 0, Id_IPv4));
  EXPECT_FALSE(proxy_->WaitForInbound(*handler_, -1));
}

TEST_F(SocksPeerTest, BindKeepsTheHandlersTimeOuts) {
  handler_->SetReadTimeout(300);
  handler_->SetConnectTimeout(4000);
  // The server takes the request and never answers.
  ScriptedPeer peer({Step{9, {}}});
  proxy_->SetPort(static_cast<std::uint16_t>(peer.Port()));
  proxy_->SetVersion(svSocks4);
  EXPECT_THROW(proxy_->RequestBind(*handler_, u"127.0.0.1", 21, Id_IPv4), ENetReadTimeout);
  EXPECT_EQ(handler_->ReadTimeout(), 300);
  EXPECT_EQ(handler_->ConnectTimeout(), 4000);
  handler_->CloseHandler();
}

class SocksUdpTest : public SocksPeerTest {
 protected:
  void SetUp() override {
    SocksPeerTest::SetUp();
    socket_ = std::make_unique<TNetSocketHandle>();
    socket_->OpenSocket(Id_SOCK_DGRAM);
    socket_->SetIP(u"127.0.0.1");
    socket_->BindLocal();
    socket_->RefreshLocalAddress();
  }
  void TearDown() override {
    socket_.reset();
    SocksPeerTest::TearDown();
  }
  std::unique_ptr<TNetSocketHandle> socket_;
  rtl::String ip_ = u"unset";
  std::uint16_t port_ = 9;
  TNetIPVersion version_ = Id_IPv6;
};

TEST_F(SocksUdpTest, ReceiveCopiesNoMoreThanTheBufferHolds) {
  proxy_->SetVersion(svSocks5);
  Bytes datagram{0, 0, 0, 1, 10, 0, 0, 9, 0, 123};
  for (int i = 0; i < 50; ++i) datagram.push_back(static_cast<std::uint8_t>(i));
  ASSERT_TRUE(testposix::SendDatagram(socket_->Port(), datagram));
  TNetBytes buffer(8, 0xEE);
  EXPECT_EQ(proxy_->ReceiveUDPFrom(*socket_, buffer, ip_, port_, version_, 2000), 8);
  EXPECT_EQ(buffer, (Bytes{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(ip_, u"10.0.0.9");
  EXPECT_EQ(port_, 123);
  EXPECT_EQ(version_, Id_IPv4);

  // Too short for a header: the sender as the socket saw it.
  ASSERT_TRUE(testposix::SendDatagram(socket_->Port(), {1, 2, 3, 4}));
  EXPECT_EQ(proxy_->ReceiveUDPFrom(*socket_, buffer, ip_, port_, version_, 2000), 0);
  EXPECT_EQ(ip_, u"127.0.0.1");

  EXPECT_EQ(proxy_->ReceiveUDPFrom(*socket_, buffer, ip_, port_, version_, 50), 0);
  EXPECT_EQ(ip_, u"");
  EXPECT_EQ(port_, 0);
  EXPECT_EQ(version_, Id_IPv4);
}

TEST_F(SocksUdpTest, Socks4HasNoUDP) {
  TNetBytes buffer(4);
  for (TSocksVersion version : {svSocks4, svSocks4A}) {
    proxy_->SetVersion(version);
    const std::function<void()> calls[] = {
        [&] { proxy_->OpenUDPRelay(*socket_, u"h", 1, Id_IPv4); },
        [&] { proxy_->CloseUDPRelay(*socket_); },
        [&] { proxy_->ReceiveUDPFrom(*socket_, buffer, ip_, port_, version_, 0); },
        [&] { proxy_->SendUDPTo(*socket_, u"h", 1, Id_IPv4, buffer); },
    };
    for (const auto& call : calls)
      EXPECT_EQ(Failure(call), u"UDP is not support in this SOCKS version.");
  }
  proxy_->SetVersion(svNoSocks);
  EXPECT_NO_THROW(proxy_->OpenUDPRelay(*socket_, u"h", 1, Id_IPv4));
  EXPECT_FALSE(proxy_->RelayControl().HasSocket());
}

TEST_F(SocksUdpTest, OpenRelayPointsTheHandleAtTheServer) {
  proxy_->SetVersion(svSocks5);
  ScriptedPeer peer({{3, {5, 0}}, {10, {5, 0, 0, 1, 0, 0, 0, 0, 4, 56}}});
  proxy_->SetPort(static_cast<std::uint16_t>(peer.Port()));
  proxy_->RelayControl().SetReadTimeout(3000);
  proxy_->OpenUDPRelay(*socket_, u"", 0, Id_IPv4);
  EXPECT_EQ(socket_->RemoteIP(), u"127.0.0.1") << "the server's own address, not the one it named";
  EXPECT_EQ(socket_->RemotePort(), 1080);
  EXPECT_TRUE(proxy_->RelayControl().HasSocket());
  proxy_->CloseUDPRelay(*socket_);
  EXPECT_FALSE(proxy_->RelayControl().HasSocket());
  EXPECT_EQ(peer.Received(), (Bytes{5, 1, 0, 5, 3, 0, 1, 0, 0, 0, 0, 0, 0}));

  ScriptedPeer odd({{3, {5, 0}}, {10, {5, 0, 0, 7, 0, 0, 0, 0, 4, 56}}});
  proxy_->SetPort(static_cast<std::uint16_t>(odd.Port()));
  EXPECT_EQ(Failure([&] { proxy_->OpenUDPRelay(*socket_, u"", 0, Id_IPv4); }), u"Socks server did not respond.");
  EXPECT_FALSE(proxy_->RelayControl().HasSocket()) << "a failed relay closes its control connection";
}

}  // namespace
