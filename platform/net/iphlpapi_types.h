// Records of the adapter-listing interface (IP helper), in the layout its
// callers walk. The listing module fills them from the machine's interfaces.
#pragma once

#include <cstdint>

#include "platform/net/winsock_types.h"

namespace ws {

inline constexpr std::uint32_t WS_ERROR_SUCCESS = 0;
inline constexpr std::uint32_t WS_ERROR_NOT_SUPPORTED = 50;
inline constexpr std::uint32_t WS_ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t WS_ERROR_BUFFER_OVERFLOW = 111;
inline constexpr std::uint32_t WS_ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr std::uint32_t WS_ERROR_NO_DATA = 232;
inline constexpr std::uint32_t WS_ERROR_MORE_DATA = 234;
inline constexpr std::uint32_t WS_ERROR_ADDRESS_NOT_ASSOCIATED = 1228;

inline constexpr std::uint32_t WS_IF_TYPE_SOFTWARE_LOOPBACK = 24;
inline constexpr std::uint32_t WS_IP_ADAPTER_RECEIVE_ONLY = 0x08;
inline constexpr int WS_IpDadStateTentative = 1, WS_IpDadStateDuplicate = 2, WS_IpDadStateDeprecated = 3,
                     WS_IpDadStatePreferred = 4;

struct SOCKET_ADDRESS {
  sockaddr* lpSockaddr;
  int iSockaddrLength;
};

struct IP_ADAPTER_UNICAST_ADDRESS {
  std::uint32_t Length;
  std::uint32_t Flags;
  IP_ADAPTER_UNICAST_ADDRESS* Next;
  SOCKET_ADDRESS Address;
  int PrefixOrigin;
  int SuffixOrigin;
  int DadState;
  std::uint32_t ValidLifetime;
  std::uint32_t PreferredLifetime;
  std::uint32_t LeaseLifetime;
  std::uint8_t OnLinkPrefixLength;
};

struct IP_ADAPTER_ADDRESSES {
  std::uint32_t Length;
  std::uint32_t IfIndex;
  IP_ADAPTER_ADDRESSES* Next;
  char* AdapterName;
  IP_ADAPTER_UNICAST_ADDRESS* FirstUnicastAddress;
  void* FirstAnycastAddress;
  void* FirstMulticastAddress;
  void* FirstDnsServerAddress;
  char16_t* DnsSuffix;
  char16_t* Description;
  char16_t* FriendlyName;
  std::uint8_t PhysicalAddress[8];
  std::uint32_t PhysicalAddressLength;
  std::uint32_t Flags;
  std::uint32_t Mtu;
  std::uint32_t IfType;
  int OperStatus;
  std::uint32_t Ipv6IfIndex;
};

struct IP_ADDR_STRING {
  IP_ADDR_STRING* Next;
  char IpAddress[16];
  char IpMask[16];
  std::uint32_t Context;
};

struct IP_ADAPTER_INFO {
  IP_ADAPTER_INFO* Next;
  std::uint32_t ComboIndex;
  char AdapterName[260];
  char Description[132];
  std::uint32_t AddressLength;
  std::uint8_t Address[8];
  std::uint32_t Index;
  std::uint32_t Type;
  std::uint32_t DhcpEnabled;
  IP_ADDR_STRING* CurrentIpAddress;
  IP_ADDR_STRING IpAddressList;
  IP_ADDR_STRING GatewayList;
};

struct IP_UNIDIRECTIONAL_ADAPTER_ADDRESS {
  std::uint32_t NumAdapters;
  in_addr Address[1];
};

struct MIB_IPADDRROW {
  std::uint32_t dwAddr;
  std::uint32_t dwIndex;
  std::uint32_t dwMask;
  std::uint32_t dwBCastAddr;
  std::uint32_t dwReasmSize;
  std::uint16_t unused1;
  std::uint16_t wType;
};

struct MIB_IPADDRTABLE {
  std::uint32_t dwNumEntries;
  MIB_IPADDRROW table[1];
};

}  // namespace ws
