// One numeric IPv4 or IPv6 address: tells a host text that is an address
// from a name, and gives its bytes in network order for a SOCKS request.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/classes/classes.h"
#include "transport/tcp/core/net_global.h"

namespace net {

class TNetIPAddress : public ui::TObject {
 public:
  TNetIPAddress() = default;

  // nullptr when the text is no numeric address (a host name). A text both
  // families would take counts as IPv6.
  static std::unique_ptr<TNetIPAddress> ParseAddress(const rtl::String& text);
  // 4 or 16 bytes, most significant first. Needs the global socket stack.
  TNetBytes ToNetworkBytes() const;

  std::uint32_t IPv4Value = 0;
  TNetIPVersion AddressVersion = Id_IPv4;
  TNetIPv6Address IPv6Words{};
};

}  // namespace net
