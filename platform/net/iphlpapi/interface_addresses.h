// The machine's interface addresses as the operating system reports them,
// and the adapter-listing calls in their Windows shape built on them (the
// listing module exports those under their Windows names).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/net/iphlpapi_types.h"

namespace platform::net {

struct InterfaceAddress {
  std::string adapter;   // interface name
  std::uint32_t index;   // interface index
  bool loopback;
  int family;            // ws::WS_AF_INET or ws::WS_AF_INET6
  std::uint8_t address[16];  // network order; 4 bytes used for IPv4
  std::uint8_t prefixLength;
  int dadState;          // ws::WS_IpDadState...
};

// Every address of every interface that is up.
std::vector<InterfaceAddress> ListInterfaceAddresses();

// Windows-shaped listing over a given address list (tests feed their own).
std::uint32_t FillAdaptersAddresses(const std::vector<InterfaceAddress>& addresses, ws::IP_ADAPTER_ADDRESSES* buffer,
                                    std::uint32_t* size);
std::uint32_t FillAdaptersInfo(const std::vector<InterfaceAddress>& addresses, ws::IP_ADAPTER_INFO* buffer,
                               std::uint32_t* size);
std::uint32_t FillIpAddrTable(const std::vector<InterfaceAddress>& addresses, ws::MIB_IPADDRTABLE* buffer,
                              std::uint32_t* size);
std::uint32_t FillUniDirectionalAdapterInfo(ws::IP_UNIDIRECTIONAL_ADAPTER_ADDRESS* buffer, std::uint32_t* size);
std::uint32_t LengthToIpv4Mask(std::uint32_t length, std::uint32_t* mask);

}  // namespace platform::net
