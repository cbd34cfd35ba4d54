// The proxy pieces that need no server: the IP-address object, the proxy
// chain, copying settings, the handler's hold on its proxy, and the SOCKS 5
// request and UDP header encodings.
#include <gtest/gtest.h>

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/client/net_io_handler_stack.h"
#include "transport/tcp/proxy/net_ip_address.h"
#include "transport/tcp/proxy/net_socks.h"
#include "tests/transport/tcp/net_stack_fixture.h"

namespace {

using namespace net;
using Bytes = std::vector<std::uint8_t>;

class ProxyTest : public NetStackFixture {
 protected:
  void SetUp() override {
    NetStackFixture::SetUp();
    owner_ = ui::Create<ui::TComponent>(nullptr);
  }
  void TearDown() override {
    ui::Free(owner_);
    NetStackFixture::TearDown();
  }
  TNetSocksInfo* OwnedSocks() { return NetCreate<TNetSocksInfo>(owner_); }

  ui::TComponent* owner_ = nullptr;
};

// Records the connect requests of one link of a chain.
struct ConnectCall {
  const TNetCustomTransparentProxy* proxy;
  rtl::String host;
  std::uint16_t port;
  TNetIPVersion version;
  bool operator==(const ConnectCall&) const = default;
};

class RecordingProxy : public TNetCustomTransparentProxy {
 public:
  RecordingProxy(ui::TComponent* owner, std::vector<ConnectCall>& calls)
      : TNetCustomTransparentProxy(owner), calls_(calls) {}
  bool IsEnabled() const override { return enabled; }
  void RequestConnect(TNetIOHandler&, const rtl::String& host, std::uint16_t port, TNetIPVersion version) override {
    calls_.push_back({this, host, port, version});
  }
  TNetCustomTransparentProxy* CreateSameKind(ui::TComponent* owner) const override {
    return NetCreate<RecordingProxy>(owner, calls_);
  }
  bool enabled = true;

 private:
  std::vector<ConnectCall>& calls_;
};

TEST_F(ProxyTest, AddressParseTable) {
  struct Case {
    const char16_t* text;
    bool numeric;
    TNetIPVersion version;
    Bytes bytes;
  };
  const Bytes loopback6{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  const Case cases[] = {
      {u"192.168.1.9", true, Id_IPv4, {192, 168, 1, 9}},
      {u"0.0.0.0", true, Id_IPv4, {0, 0, 0, 0}},
      {u"::1", true, Id_IPv6, loopback6},
      {u"::0", true, Id_IPv6, Bytes(16, 0)},
      {u"2001:db8::ff00:42", true, Id_IPv6, {0x20, 0x01, 0x0D, 0xB8, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0x00, 0, 0x42}},
      {u"::ffff:10.1.2.3", true, Id_IPv6, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 10, 1, 2, 3}},
      {u"node7", false, Id_IPv4, {}},
      {u"example.com", false, Id_IPv4, {}},
      {u"1:2", false, Id_IPv4, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text));
    const std::unique_ptr<TNetIPAddress> address = TNetIPAddress::ParseAddress(c.text);
    ASSERT_EQ(address != nullptr, c.numeric);
    if (!address) continue;
    EXPECT_EQ(address->AddressVersion, c.version);
    EXPECT_EQ(address->ToNetworkBytes(), c.bytes);
  }
  EXPECT_EQ(TNetIPAddress().ToNetworkBytes(), Bytes(4, 0)) << "a new object is 0.0.0.0";
}

TEST_F(ProxyTest, ChainLinksRefuseLoopsAndLetGoOfFreedProxies) {
  TNetSocksInfo* a = OwnedSocks();
  TNetSocksInfo* b = OwnedSocks();
  try {
    a->SetChainedProxy(a);
    FAIL() << "a proxy chained to itself";
  } catch (const ENetTransparentProxyCircularLink& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"TNetSocksInfo: Circular links are not allowed");
  }
  EXPECT_EQ(a->ChainedProxy(), nullptr);

  a->SetChainedProxy(b);
  EXPECT_THROW(b->SetChainedProxy(a), ENetTransparentProxyCircularLink);
  EXPECT_EQ(b->ChainedProxy(), nullptr);
  EXPECT_NO_THROW(a->SetChainedProxy(b));
  EXPECT_EQ(a->ChainedProxy(), b);

  ui::Free(b);
  EXPECT_EQ(a->ChainedProxy(), nullptr);
}

TEST_F(ProxyTest, ConnectToTargetWalksTheEnabledChain) {
  std::vector<ConnectCall> calls;
  auto* a = NetCreate<RecordingProxy>(owner_, calls);
  auto* b = NetCreate<RecordingProxy>(owner_, calls);
  EXPECT_EQ(a->Port(), 0);
  EXPECT_EQ(a->IPVersion(), Id_IPv4);
  b->SetHost(u"second.proxy");
  b->SetPort(1090);
  b->SetIPVersion(Id_IPv6);
  a->SetChainedProxy(b);
  auto* handler = NetCreate<TNetIOHandlerStack>(owner_);

  a->ConnectToTarget(*handler, u"target", 80, Id_IPv6);
  EXPECT_EQ(calls, (std::vector<ConnectCall>{{a, u"second.proxy", 1090, Id_IPv4}, {b, u"target", 80, Id_IPv6}}))
      << "the hop to the next proxy goes by IPv4";

  calls.clear();
  b->enabled = false;
  a->ConnectToTarget(*handler, u"target", 80, Id_IPv6);
  EXPECT_EQ(calls, (std::vector<ConnectCall>{{a, u"target", 80, Id_IPv6}})) << "a disabled link ends the chain";
}

template <class E>
void ExpectEach(std::initializer_list<std::function<void()>> calls, const char16_t* message) {
  for (const auto& call : calls) {
    try {
      call();
      ADD_FAILURE() << "returned without raising";
    } catch (const E& e) {
      EXPECT_EQ(rtl::String(e.Message()), message);
    }
  }
}

TEST_F(ProxyTest, TheBaseRefusesBindAndUDP) {
  std::vector<ConnectCall> calls;
  auto* proxy = NetCreate<RecordingProxy>(owner_, calls);
  auto* handler = NetCreate<TNetIOHandlerStack>(owner_);
  TNetSocketHandle handle;
  TNetBytes buffer(4);
  rtl::String ip;
  std::uint16_t port = 0;
  TNetIPVersion version = Id_IPv4;
  ExpectEach<ENetTransparentProxyCantBind>(
      {
          [&] { proxy->RequestBind(*handler, u"h", 1, Id_IPv4); },
          [&] { proxy->WaitForInbound(*handler, 0); },
      },
      u"Transparent proxy cannot bind.");
  ExpectEach<ENetTransparentProxyUDPNotSupported>(
      {
          [&] { proxy->OpenUDPRelay(handle, u"h", 1, Id_IPv4); },
          [&] { proxy->CloseUDPRelay(handle); },
          [&] { proxy->ReceiveUDPFrom(handle, buffer, ip, port, version, 0); },
          [&] { proxy->SendUDPTo(handle, u"h", 1, Id_IPv4, buffer); },
      },
      u"UDP Not supported by this proxy.");
}

TEST_F(ProxyTest, SocksDefaultsAndCopy) {
  TNetSocksInfo* from = OwnedSocks();
  EXPECT_EQ(from->Version(), svNoSocks);
  EXPECT_FALSE(from->IsEnabled());
  EXPECT_EQ(from->Port(), 1080);
  EXPECT_EQ(from->Authentication(), saNoAuthentication);
  EXPECT_EQ(from->IPVersion(), Id_IPv4);
  EXPECT_EQ(ui::GetPropInfo(from, "Port")->Default, 1080);

  from->SetHost(u"proxy.lan");
  from->SetPassword(u"secret");
  from->SetPort(1081);
  from->SetIPVersion(Id_IPv6);
  from->SetUsername(u"ops");
  from->SetVersion(svSocks5);
  from->SetAuthentication(saUsernamePassword);
  from->SetChainedProxy(OwnedSocks());
  TNetSocksInfo* to = OwnedSocks();
  TNetSocksInfo* kept = OwnedSocks();
  to->SetChainedProxy(kept);
  to->Assign(from);
  EXPECT_EQ(to->Host(), u"proxy.lan");
  EXPECT_EQ(to->Password(), u"secret");
  EXPECT_EQ(to->Port(), 1081);
  EXPECT_EQ(to->IPVersion(), Id_IPv6);
  EXPECT_EQ(to->Username(), u"ops");
  EXPECT_EQ(to->Version(), svSocks5);
  EXPECT_EQ(to->Authentication(), saUsernamePassword);
  EXPECT_EQ(to->ChainedProxy(), kept) << "the chain is not copied";
  EXPECT_TRUE(to->IsEnabled());

  EXPECT_THROW(to->Assign(owner_), rtl::EConvertError);
}

TEST_F(ProxyTest, TheHandlerOwnsOnlyTheProxiesItMade) {
  auto* handler = NetCreate<TNetIOHandlerStack>(owner_);
  EXPECT_EQ(handler->AssignedProxy(), nullptr);
  TNetCustomTransparentProxy* own = handler->TransparentProxy();
  ASSERT_NE(dynamic_cast<TNetSocksInfo*>(own), nullptr) << "reading makes a SOCKS proxy";
  EXPECT_TRUE(handler->OwnsProxy());
  EXPECT_FALSE(own->IsEnabled());
  EXPECT_EQ(handler->TransparentProxy(), own);
  handler->SetTransparentProxy(own);
  EXPECT_EQ(handler->AssignedProxy(), own) << "setting the proxy in use again keeps it";
  EXPECT_TRUE(handler->OwnsProxy());

  // One the caller owns is used as it is, and setting none leaves it whole.
  TNetSocksInfo* callers = OwnedSocks();
  callers->SetHost(u"kept");
  handler->SetTransparentProxy(callers);
  EXPECT_EQ(handler->AssignedProxy(), callers);
  EXPECT_FALSE(handler->OwnsProxy());
  handler->SetTransparentProxy(nullptr);
  EXPECT_EQ(handler->AssignedProxy(), nullptr);
  EXPECT_EQ(callers->Host(), u"kept");
  handler->SetTransparentProxy(callers);
  ui::Free(callers);
  EXPECT_EQ(handler->AssignedProxy(), nullptr) << "a freed proxy is let go";

  // One without an owner is copied into a proxy of the handler's own.
  auto* loose = NetCreate<TNetSocksInfo>(nullptr);
  loose->SetVersion(svSocks4A);
  loose->SetHost(u"loose");
  handler->SetTransparentProxy(loose);
  ui::Free(loose);
  auto* copy = dynamic_cast<TNetSocksInfo*>(handler->AssignedProxy());
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(handler->OwnsProxy());
  EXPECT_EQ(copy->Host(), u"loose");
  EXPECT_EQ(copy->Version(), svSocks4A);
  EXPECT_EQ(copy->Owner(), handler);
}

TEST_F(ProxyTest, Socks5RequestsAreSizedToTheirAddress) {
  const std::string name250(250, 'n');
  const std::string name300(300, 'n');
  struct Case {
    rtl::String host;
    Bytes address;  // type and address
  };
  const Case cases[] = {
      {u"::1", {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
      {u"192.168.1.9", {1, 192, 168, 1, 9}},
      {u"node7", {3, 5, 'n', 'o', 'd', 'e', '7'}},
      {rtl::String(name250.begin(), name250.end()), [&] {
         Bytes b{3, 250};
         b.insert(b.end(), name250.begin(), name250.end());
         return b;
       }()},
      {rtl::String(name300.begin(), name300.end()), [&] {
         Bytes b{3, 255};
         b.insert(b.end(), name300.begin(), name300.begin() + 255);
         return b;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address.size());
    Bytes expected{5, 1, 0};
    expected.insert(expected.end(), c.address.begin(), c.address.end());
    expected.insert(expected.end(), {0x1F, 0x90});
    EXPECT_EQ(TNetSocksInfo::BuildSocks5Request(c.host, 8080, 1), expected);
  }
}

TEST_F(ProxyTest, UDPHeaders) {
  EXPECT_EQ(TNetSocksInfo::PackUDPDatagram({7, 8, 9}, u"192.168.0.20", 53),
            (Bytes{0, 0, 0, 1, 192, 168, 0, 20, 0, 53, 7, 8, 9}));
  EXPECT_EQ(TNetSocksInfo::PackUDPDatagram({}, u"node", 7), (Bytes{0, 0, 0, 3, 4, 'n', 'o', 'd', 'e', 0, 7}));

  struct Case {
    Bytes datagram;
    rtl::String address;
    std::uint16_t port;
    TNetIPVersion version;
    Bytes data;
  };
  Bytes ipv6{0, 0, 0, 4, 0x20, 0x01, 0x0D, 0xB8};
  ipv6.insert(ipv6.end(), 11, 0);
  ipv6.insert(ipv6.end(), {1, 0, 21, 'x'});
  const Case cases[] = {
      {{0, 0, 0, 1, 10, 0, 0, 9, 0, 123, 1, 2, 3, 4}, u"10.0.0.9", 123, Id_IPv4, {1, 2, 3, 4}},
      {{0, 0, 0, 3, 4, 'n', 'o', 'd', 'e', 0, 7, 'd', 'a', 't', 'a'}, u"node", 7, Id_IPv6, {'d', 'a', 't', 'a'}},
      {ipv6, u"2001:0DB8:0000:0000:0000:0000:0000:0001", 21, Id_IPv6, {'x'}},
      // Too short for any header, or for the one its type names: nothing changes.
      {{0, 0, 0, 1}, u"relay", 1080, Id_IPv6, {}},
      {{0, 0, 0, 1, 10, 0, 0, 9, 0}, u"relay", 1080, Id_IPv6, {}},
      {{0, 0, 0, 3, 9, 'n', 'o'}, u"relay", 1080, Id_IPv6, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.datagram.size());
    rtl::String address = u"relay";
    std::uint16_t port = 1080;
    TNetIPVersion version = Id_IPv6;
    TNetBytes data{0xEE};
    TNetSocksInfo::UnpackUDPDatagram(c.datagram, address, port, version, data);
    EXPECT_EQ(address, c.address);
    EXPECT_EQ(port, c.port);
    EXPECT_EQ(version, c.version);
    EXPECT_EQ(data, c.data);
  }
}

}  // namespace
