// The byte-level pieces the SOCKS client's connect, bind and UDP relay
// share: reply tables, address fields and the "server did not respond" rule.
#pragma once

#include <cstdint>

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/core/net_global.h"

namespace net {
class TNetIOHandler;
}

namespace net::detail {

// Raise the table's exception for a reply code other than success.
void CheckSocks4Reply(std::uint8_t code);
void CheckSocks5Reply(std::uint8_t code);

// Address type, address and port as a SOCKS 5 request or UDP header holds them.
void AppendSocks5Address(TNetBytes& out, const rtl::String& host);
void AppendPort(TNetBytes& out, std::uint16_t port);
inline std::uint16_t PortAt(const TNetBytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] * 256 + bytes[at + 1]);
}
rtl::String IPv4TextAt(const TNetBytes& bytes, std::size_t at);
// Eight groups of four upper-case digits, none left out.
rtl::String IPv6TextAt(const TNetBytes& bytes, std::size_t at);

struct TSocks5Address {
  std::uint8_t type = 0;
  TNetBytes address;  // 4 or 16 bytes, or the name's bytes
  std::uint16_t port = 0;
};
// Reads the address and port that follow a reply's address-type byte. An
// unknown type does not say how long the field is, so it is refused
// rather than guessed.
TSocks5Address ReadSocks5Address(TNetIOHandler& handler, std::uint8_t type);
rtl::String Socks5AddressText(const TSocks5Address& address);

// Runs a step of the exchange; whatever it raises becomes
// ENetSocksServerRespondError.
template <class F>
decltype(auto) ServerMustRespond(F&& step) {
  try {
    return step();
  } catch (...) {
    RaiseNet<ENetSocksServerRespondError>("rssocksserverresponderror");
  }
}

}  // namespace net::detail
