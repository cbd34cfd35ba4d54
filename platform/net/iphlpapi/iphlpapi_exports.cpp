// The adapter-listing module's exports under their Windows names. The socket
// library loads it as IPHLPAPI.DLL and binds each function on first use.
#include "platform/net/iphlpapi/interface_addresses.h"

#define IPHLP_EXPORT extern "C" __attribute__((visibility("default")))

using namespace ws;
using platform::net::ListInterfaceAddresses;

IPHLP_EXPORT std::uint32_t GetAdaptersAddresses(std::uint32_t, std::uint32_t, void*, IP_ADAPTER_ADDRESSES* buffer,
                                                std::uint32_t* size) {
  return platform::net::FillAdaptersAddresses(ListInterfaceAddresses(), buffer, size);
}
IPHLP_EXPORT std::uint32_t GetAdaptersInfo(IP_ADAPTER_INFO* buffer, std::uint32_t* size) {
  return platform::net::FillAdaptersInfo(ListInterfaceAddresses(), buffer, size);
}
IPHLP_EXPORT std::uint32_t GetIpAddrTable(MIB_IPADDRTABLE* buffer, std::uint32_t* size, int) {
  return platform::net::FillIpAddrTable(ListInterfaceAddresses(), buffer, size);
}
IPHLP_EXPORT std::uint32_t GetUniDirectionalAdapterInfo(IP_UNIDIRECTIONAL_ADAPTER_ADDRESS* buffer,
                                                        std::uint32_t* size) {
  return platform::net::FillUniDirectionalAdapterInfo(buffer, size);
}
IPHLP_EXPORT std::uint32_t ConvertLengthToIpv4Mask(std::uint32_t length, std::uint32_t* mask) {
  return platform::net::LengthToIpv4Mask(length, mask);
}
