#include "transport/tcp/proxy/net_ip_address.h"

#include "transport/tcp/stack/net_stack.h"

namespace net {

std::unique_ptr<TNetIPAddress> TNetIPAddress::ParseAddress(const rtl::String& text) {
  auto address = std::make_unique<TNetIPAddress>();
  bool failed = false;
  IPv6TextToAddress(text, address->IPv6Words, failed);
  if (!failed) {
    address->AddressVersion = Id_IPv6;
    return address;
  }
  address->IPv6Words.fill(0);
  const std::uint32_t value = IPv4TextToNumber(text, failed);
  if (failed) return nullptr;
  address->IPv4Value = value;
  address->AddressVersion = Id_IPv4;
  return address;
}

TNetBytes TNetIPAddress::ToNetworkBytes() const {
  TNetStack& stack = *GlobalStack();
  TNetBytes bytes;
  if (AddressVersion == Id_IPv4) {
    const std::uint32_t net = stack.HostToNet32(IPv4Value);
    bytes = RawToBytes(&net, sizeof net);
  } else {
    bytes.reserve(16);
    for (const std::uint16_t word : IPv6Words) {
      const std::uint16_t net = stack.HostToNet16(word);
      const TNetBytes pair = RawToBytes(&net, sizeof net);
      bytes.insert(bytes.end(), pair.begin(), pair.end());
    }
  }
  return bytes;
}

}  // namespace net
