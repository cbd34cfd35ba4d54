// The SOCKS 5 UDP relay: a control connection asks for the relay, the
// caller's UDP handle is pointed at it, and every datagram carries the
// relay header with the real peer's address.
#include <algorithm>

#include "transport/tcp/client/net_io_handler_stack.h"
#include "transport/tcp/proxy/net_socks.h"
#include "transport/tcp/proxy/net_socks_wire.h"

namespace net {

using namespace detail;

namespace {
constexpr std::uint8_t kCommandUDPAssociate = 3;
// A relay header is at most this much longer than its data.
constexpr std::size_t kHeaderRoom = 200;
}  // namespace

void TNetSocksInfo::CheckUDPVersion() const {
  if (version_ == svSocks4 || version_ == svSocks4A)
    RaiseNet<ENetSocksUDPNotSupportedBySOCKSVersion>("rssocksudpnotsupported");
}

void TNetSocksInfo::OpenUDPRelay(TNetSocketHandle& handle, const rtl::String&, std::uint16_t, TNetIPVersion) {
  CheckUDPVersion();
  if (version_ == svSocks5) OpenSocks5Relay(handle);
}

void TNetSocksInfo::CloseUDPRelay(TNetSocketHandle&) {
  CheckUDPVersion();
  if (version_ == svSocks5) CloseSocks5Relay();
}

void TNetSocksInfo::OpenSocks5Relay(TNetSocketHandle& handle) {
  TNetIOHandlerStack& control = *relayControl_;
  control.SetHost(Host());
  control.SetPort(Port());
  control.SetIPVersion(IPVersion());
  control.OpenHandler();
  try {
    NegotiateSocks5(control);
    // Any address and port: the server takes our datagrams from wherever
    // the handle sends them.
    control.WriteBlock(
        BuildSocks5Request(IPVersion() == Id_IPv4 ? u"0.0.0.0" : u"::0", 0, kCommandUDPAssociate));
    TNetBytes head;
    ServerMustRespond([&] { control.ReadBlock(head, 2); });
    CheckSocks5Reply(head[1]);
    control.ReadBlock(head, 2);
    ServerMustRespond([&] {
      const TSocks5Address relay = ReadSocks5Address(control, head[1]);
      const TNetIPVersion version = relay.type == 1 ? Id_IPv4 : relay.type == 4 ? Id_IPv6 : IPVersion();
      // The relay runs on the server we reached, whatever address it names.
      handle.SetPeerAddress(control.SocketBinding()->RemoteIP(), relay.port, version);
      handle.ConnectPeer();
    });
  } catch (...) {
    control.CloseHandler();
    throw;
  }
}

void TNetSocksInfo::CloseSocks5Relay() { relayControl_->CloseHandler(); }

TNetBytes TNetSocksInfo::PackUDPDatagram(const TNetBytes& data, const rtl::String& host, std::uint16_t port) {
  TNetBytes datagram{0, 0, 0};
  AppendSocks5Address(datagram, host);
  AppendPort(datagram, port);
  datagram.insert(datagram.end(), data.begin(), data.end());
  return datagram;
}

void TNetSocksInfo::UnpackUDPDatagram(const TNetBytes& datagram, rtl::String& address, std::uint16_t& port,
                                      TNetIPVersion& version, TNetBytes& data) {
  data.clear();
  if (datagram.size() < 5) return;
  std::size_t start;
  switch (datagram[3]) {
    case 1:
      start = 10;
      if (datagram.size() < start) return;
      address = IPv4TextAt(datagram, 4);
      version = Id_IPv4;
      break;
    case 3: {
      const std::size_t length = datagram[4];
      start = 7 + length;
      if (datagram.size() < start) return;
      address = TextEncodingFor(EncodingDefault)->DecodeToText(datagram, 5, static_cast<std::int32_t>(length));
      break;
    }
    default:
      start = 22;
      if (datagram.size() < start) return;
      address = IPv6TextAt(datagram, 4);
      version = Id_IPv6;
      break;
  }
  port = PortAt(datagram, start - 2);
  data.assign(datagram.begin() + static_cast<std::ptrdiff_t>(start), datagram.end());
}

void TNetSocksInfo::SendUDPTo(TNetSocketHandle& handle, const rtl::String& host, std::uint16_t port, TNetIPVersion,
                              const TNetBytes& data) {
  CheckUDPVersion();
  handle.SendBytes(PackUDPDatagram(data, host, port));
}

std::int32_t TNetSocksInfo::ReceiveUDPFrom(TNetSocketHandle& handle, TNetBytes& buffer, rtl::String& peerIP,
                                           std::uint16_t& peerPort, TNetIPVersion& version, std::int32_t wait) {
  CheckUDPVersion();
  if (!handle.WaitReadable(wait)) {
    peerIP.clear();
    peerPort = 0;
    version = Id_IPv4;
    return 0;
  }
  TNetBytes datagram(buffer.size() + kHeaderRoom);
  const std::int32_t received = handle.ReceiveFromPeer(datagram, peerIP, peerPort, version);
  datagram.resize(static_cast<std::size_t>(std::max(received, 0)));
  TNetBytes data;
  UnpackUDPDatagram(datagram, peerIP, peerPort, version, data);
  // Never past the caller's buffer: what does not fit is dropped.
  const std::size_t count = std::min(data.size(), buffer.size());
  std::copy_n(data.begin(), count, buffer.begin());
  return static_cast<std::int32_t>(count);
}

}  // namespace net
