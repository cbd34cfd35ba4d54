// The SOCKS client against the Debian servers, each started by the test on a
// free loopback port: danted for SOCKS 4 and 5 connect, bind and the UDP
// relay; microsocks for the SOCKS 5 login.
#include <gtest/gtest.h>

#include "transport/tcp/core/net_exception.h"
#include "tests/transport/tcp/proxy/net_proxy_fixture.h"
#include "transport/tcp/client/net_tcp_client.h"
#include "tests/platform/net/posix_helpers.h"
#include "tests/transport/tcp/proxy/socks_test_peers.h"

namespace {

using namespace net;
using testposix::Bytes;
using testposix::SocksServer;

class SocksServerTest : public NetProxyFixture {
 protected:
  void TearDown() override {
    NetProxyFixture::TearDown();
    server_.reset();
  }
  void StartServer(SocksServer::Kind kind, std::string user = {}, std::string password = {}) {
    server_ = std::make_unique<SocksServer>(kind, std::move(user), std::move(password));
    const std::string why = server_->Start();
    ASSERT_TRUE(why.empty()) << why;
    proxy_->SetPort(static_cast<std::uint16_t>(server_->Port()));
  }
  // Connects a TCP client through the proxy to the echo server and checks
  // that a line comes back.
  void EchoThrough(TSocksVersion version) {
    testposix::TcpEcho echo;
    proxy_->SetVersion(version);
    handler_->SetTransparentProxy(proxy_);
    auto* client = NetCreate<TNetTCPClient>(owner_);
    client->SetIOHandler(handler_);
    client->SetHost(u"127.0.0.1");
    client->SetPort(static_cast<std::uint16_t>(echo.Port()));
    client->SetConnectTimeout(5000);
    client->SetReadTimeout(5000);
    client->ConnectToHost();
    handler_->WriteLine(u"through the proxy");
    EXPECT_EQ(handler_->ReadLine(), u"through the proxy");
    client->CloseConnection();
    client->SetIOHandler(nullptr);
  }

  std::unique_ptr<SocksServer> server_;
};

TEST_F(SocksServerTest, DanteConnectsBySocks4And5) {
  StartServer(SocksServer::Dante);
  for (TSocksVersion version : {svSocks4, svSocks5}) {
    SCOPED_TRACE(static_cast<int>(version));
    EchoThrough(version);
  }
}

TEST_F(SocksServerTest, DanteBindsAndAnnouncesTheInboundConnection) {
  StartServer(SocksServer::Dante);
  for (TSocksVersion version : {svSocks4, svSocks5}) {
    SCOPED_TRACE(static_cast<int>(version));
    proxy_->SetVersion(version);
    proxy_->RequestBind(*handler_, u"127.0.0.1", 0, Id_IPv4);
    TNetSocketHandle& handle = *handler_->SocketBinding();
    // SOCKS 4 tells where the server listens as our own address, SOCKS 5 as the peer's.
    const int listening = version == svSocks4 ? handle.Port() : handle.RemotePort();
    ASSERT_GT(listening, 0);
    EXPECT_FALSE(proxy_->WaitForInbound(*handler_, 50)) << "nobody came yet";

    const int inbound = testposix::ConnectLoopback(listening, 3000);
    ASSERT_GE(inbound, 0);
    ASSERT_TRUE(proxy_->WaitForInbound(*handler_, 5000));
    EXPECT_EQ(handle.RemoteIP(), u"127.0.0.1");
    EXPECT_EQ(handle.RemotePort(), testposix::LocalPort(inbound));

    ASSERT_TRUE(testposix::SendAll(inbound, "ping", 4));
    TNetBytes got;
    handler_->ReadBlock(got, 4);
    EXPECT_EQ(got, (Bytes{'p', 'i', 'n', 'g'}));
    handler_->WriteText(u"pong");
    char back[4] = {};
    EXPECT_EQ(testposix::ReceiveWithin(inbound, back, 4, 3000), 4);
    EXPECT_EQ(std::string(back, 4), "pong");
    testposix::CloseFd(inbound);
    handler_->CloseHandler();
  }
}

TEST_F(SocksServerTest, DanteRelaysUDP) {
  StartServer(SocksServer::Dante);
  testposix::UdpEcho echo;
  proxy_->SetVersion(svSocks5);
  proxy_->RelayControl().SetReadTimeout(5000);
  TNetSocketHandle handle;
  handle.OpenSocket(Id_SOCK_DGRAM);
  handle.SetIP(u"127.0.0.1");
  handle.BindLocal();
  proxy_->OpenUDPRelay(handle, u"", 0, Id_IPv4);
  const TNetBytes data{'e', 'c', 'h', 'o'};
  proxy_->SendUDPTo(handle, u"127.0.0.1", static_cast<std::uint16_t>(echo.Port()), Id_IPv4, data);
  TNetBytes buffer(64);
  rtl::String ip;
  std::uint16_t port = 0;
  TNetIPVersion version = Id_IPv6;
  ASSERT_EQ(proxy_->ReceiveUDPFrom(handle, buffer, ip, port, version, 5000), 4);
  buffer.resize(4);
  EXPECT_EQ(buffer, data);
  EXPECT_EQ(ip, u"127.0.0.1") << "the sender named in the relay header";
  EXPECT_EQ(port, echo.Port());
  EXPECT_EQ(version, Id_IPv4);
  proxy_->CloseUDPRelay(handle);
  handle.ShutSocket();
}

TEST_F(SocksServerTest, MicrosocksLogin) {
  StartServer(SocksServer::MicroSocks, "ops", "s3cret");
  proxy_->SetAuthentication(saUsernamePassword);
  proxy_->SetUsername(u"ops");
  proxy_->SetPassword(u"s3cret");
  EchoThrough(svSocks5);

  testposix::TcpEcho echo;
  struct Case {
    TSocksAuthentication authentication;
    const char16_t* password;
    const char16_t* message;
  };
  for (const Case& c : {Case{saUsernamePassword, u"wrong", u"Authentication error to socks server."},
                        Case{saNoAuthentication, u"", u"Invalid socks authentication method."}}) {
    SCOPED_TRACE(rtl::StringToUtf8(c.message));
    proxy_->SetAuthentication(c.authentication);
    proxy_->SetPassword(c.password);
    handler_->SetTransparentProxy(proxy_);
    handler_->SetHost(u"127.0.0.1");
    handler_->SetPort(echo.Port());
    try {
      handler_->OpenHandler();
      FAIL() << "connected without the right login";
    } catch (const ENetSocksError& e) {
      EXPECT_EQ(rtl::String(e.Message()), c.message);
    }
    handler_->CloseHandler();
  }
}

}  // namespace
