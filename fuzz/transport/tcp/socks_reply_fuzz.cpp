// Replies of a SOCKS server (version 4, 4A and 5, with and without user and
// password) to a connect request, and the header of a datagram from a
// SOCKS 5 UDP relay.
// Input: settings byte (version, authentication, target host kind), chunk
// size (0: all at once), then the server's bytes; the whole input is also
// read as a relayed datagram.
#include <cstddef>
#include <cstdint>

#include "fuzz/support/fuzz_support.h"
#include "fuzz/transport/tcp/fuzz_io_handler.h"
#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/proxy/net_socks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::UseSocketModules();
  {
    net::TNetBytes datagram(data, data + size);
    rtl::String address = u"kept";
    std::uint16_t port = 7;
    net::TNetIPVersion version = net::Id_IPv4;
    net::TNetBytes payload;
    net::TNetSocksInfo::UnpackUDPDatagram(datagram, address, port, version, payload);
    if (payload.size() > datagram.size()) __builtin_trap();
  }
  fuzz::Bytes in(data, size);
  const uint8_t settings = in.Byte();
  const std::size_t chunk = in.Byte();
  static const net::TSocksVersion versions[] = {net::svSocks4, net::svSocks4A, net::svSocks5, net::svSocks5};
  static const char16_t* hosts[] = {u"192.0.2.7", u"example.com", u"2001:db8::1", u"例子.测试"};
  // A version 4 client resolves the name itself: only names it resolves
  // without asking a name server, or each input would wait on the network.
  static const char16_t* localHosts[] = {u"192.0.2.7", u"localhost", u"127.0.0.1", u"LocalHost"};
  auto* socks = net::NetCreate<net::TNetSocksInfo>(nullptr);
  socks->SetVersion(versions[settings & 3]);
  socks->SetAuthentication(settings & 4 ? net::saUsernamePassword : net::saNoAuthentication);
  socks->SetUsername(u"user");
  socks->SetPassword(u"secret");
  socks->SetHost(u"127.0.0.1");
  socks->SetPort(1080);
  auto* handler = net::NetCreate<fuzz::TFuzzIOHandler>(nullptr);
  handler->SetPeer(in.Take(in.Left()), chunk);
  handler->OpenHandler();
  try {
    const char16_t* host = (socks->Version() == net::svSocks4 ? localHosts : hosts)[(settings >> 3) & 3];
    socks->RequestConnect(*handler, host, 80, settings & 32 ? net::Id_IPv6 : net::Id_IPv4);
  } catch (const net::ENetException&) {
    // A refusal, a bad reply or a peer that closed: the SOCKS client's errors.
  }
  ui::Free(handler);
  ui::Free(socks);
  return 0;
}
