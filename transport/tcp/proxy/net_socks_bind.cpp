// Bind through the SOCKS server: the server listens for one inbound
// connection on our behalf, tells where in its first reply and who came in
// its second.
#include "transport/tcp/client/net_io_handler_stack.h"
#include "transport/tcp/proxy/net_socks.h"
#include "transport/tcp/proxy/net_socks_wire.h"
#include "transport/tcp/stack/net_stack.h"
#include "transport/tcp/client/net_tcp_client.h"

namespace net {

using namespace detail;

namespace {
constexpr std::uint8_t kCommandBind = 2;

// The temporary client that connects the handler to the proxy server; it
// lets go of the handler, unclosed, whatever happens.
struct TControlClient {
  TNetTCPClient* client = NetCreate<TNetTCPClient>(nullptr);
  ~TControlClient() {
    client->SetIOHandler(nullptr);
    ui::Free(client);
  }
};

void StoreSocks4Address(const TNetBytes& tail, TNetSocketHandle& handle, bool asPeer) {
  const rtl::String address = IPv4TextAt(tail, 2);
  const std::uint16_t port = PortAt(tail, 0);
  if (asPeer)
    handle.SetPeerAddress(address, port, Id_IPv4);
  else
    handle.SetLocalAddress(address, port, Id_IPv4);
}

void StoreSocks5Peer(TNetIOHandlerSocket& handler, const TSocks5Address& bound) {
  TNetIPVersion version = bound.type == 4 ? Id_IPv6 : Id_IPv4;
  rtl::String address = Socks5AddressText(bound);
  if (bound.type == 3) {
    version = handler.IPVersion();
    address = GlobalStack()->ResolveAddress(address, version);
  }
  handler.SocketBinding()->SetPeerAddress(address, bound.port, version);
}

// Data that came with an earlier reply is already in the input buffer and
// no longer makes the socket readable.
bool ReplyWaiting(TNetIOHandlerSocket& handler, std::int32_t wait) {
  return !handler.InBufferEmpty() || handler.SocketBinding()->WaitReadable(wait);
}
}  // namespace

void TNetSocksInfo::RequestBind(TNetIOHandlerSocket& handler, const rtl::String& host, std::uint16_t port,
                                TNetIPVersion) {
  switch (version_) {
    case svSocks4:
    case svSocks4A:
      BindSocks4(handler, host, port);
      break;
    case svSocks5:
      BindSocks5(handler, host, port);
      break;
    case svNoSocks:
      break;
  }
}

bool TNetSocksInfo::WaitForInbound(TNetIOHandlerSocket& handler, std::int32_t wait) {
  switch (version_) {
    case svSocks4:
    case svSocks4A:
      return WaitSocks4Inbound(handler, wait);
    case svSocks5:
      return WaitSocks5Inbound(handler, wait);
    case svNoSocks:
      break;
  }
  return false;
}

void TNetSocksInfo::OpenControlConnection(TNetIOHandlerSocket& handler, bool useProxyIPVersion) {
  TControlClient control;
  TNetTCPClient& client = *control.client;
  // This proxy may be the one the handler made for itself: it is taken off,
  // never freed, while the handler connects straight to the proxy server.
  if (handler.AssignedProxy() == this)
    handler.DetachTransparentProxy();
  else
    handler.SetTransparentProxy(nullptr);
  // The client hands its settings to the handler it takes; those of the
  // caller's handler are the ones to keep.
  client.SetConnectTimeout(handler.ConnectTimeout());
  client.SetReadTimeout(handler.ReadTimeout());
  client.SetBoundIP(handler.BoundIP());
  client.SetBoundPort(handler.BoundPort());
  client.SetBoundPortMin(handler.BoundPortMin());
  client.SetBoundPortMax(handler.BoundPortMax());
  client.SetReuseSocket(handler.ReuseSocket());
  client.SetUseNagle(handler.UseNagle());
  client.SetIOHandler(&handler);
  client.SetHost(Host());
  client.SetPort(Port());
  if (useProxyIPVersion) client.SetIPVersion(IPVersion());
  client.ConnectToHost();
  handler.SetTransparentProxy(this);
}

void TNetSocksInfo::BindSocks4(TNetIOHandlerSocket& handler, const rtl::String& host, std::uint16_t port) {
  OpenControlConnection(handler, false);
  WriteSocks4Request(handler, host, port, kCommandBind);
  TNetBytes head;
  handler.ReadBlock(head, 2);
  CheckSocks4Reply(head[1]);
  ServerMustRespond([&] {
    TNetBytes tail;
    handler.ReadBlock(tail, 6);
    StoreSocks4Address(tail, *handler.SocketBinding(), false);
  });
}

void TNetSocksInfo::BindSocks5(TNetIOHandlerSocket& handler, const rtl::String& host, std::uint16_t port) {
  OpenControlConnection(handler, true);
  NegotiateSocks5(handler);
  handler.WriteBlock(BuildSocks5Request(host, port, kCommandBind));
  TNetBytes head;
  ServerMustRespond([&] { handler.ReadBlock(head, 4); });
  CheckSocks5Reply(head[1]);
  ServerMustRespond([&] { StoreSocks5Peer(handler, ReadSocks5Address(handler, head[3])); });
}

bool TNetSocksInfo::WaitSocks4Inbound(TNetIOHandlerSocket& handler, std::int32_t wait) {
  if (!ReplyWaiting(handler, wait)) return false;
  TNetBytes head;
  handler.ReadBlock(head, 2);
  CheckSocks4Reply(head[1]);
  TNetBytes tail;
  handler.ReadBlock(tail, 6);
  StoreSocks4Address(tail, *handler.SocketBinding(), true);
  return true;
}

bool TNetSocksInfo::WaitSocks5Inbound(TNetIOHandlerSocket& handler, std::int32_t wait) {
  if (!ReplyWaiting(handler, wait)) return false;
  TNetBytes head;
  handler.ReadBlock(head, 4);
  CheckSocks5Reply(head[1]);
  StoreSocks5Peer(handler, ReadSocks5Address(handler, head[3]));
  return true;
}

}  // namespace net
