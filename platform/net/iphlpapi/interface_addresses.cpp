#include "platform/net/iphlpapi/interface_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace platform::net {
namespace {

using namespace ws;

constexpr std::size_t Align8(std::size_t n) { return (n + 7) & ~std::size_t{7}; }

std::uint8_t PrefixOfMask(const ::sockaddr* mask) {
  if (!mask || mask->sa_family != AF_INET) return 0;
  std::uint32_t m = ntohl(reinterpret_cast<const ::sockaddr_in*>(mask)->sin_addr.s_addr);
  std::uint8_t n = 0;
  while (m & 0x80000000u) {
    ++n;
    m <<= 1;
  }
  return n;
}

// IPv6 addresses with their duplicate-address state, which getifaddrs does
// not tell: /proc/net/if_inet6 lines read
// "address(32 hex) index prefix scope flags name".
struct Inet6Line {
  std::uint8_t address[16];
  std::uint32_t index;
  std::uint8_t prefix;
  std::uint32_t flags;
  std::string name;
};
std::vector<Inet6Line> ReadInet6() {
  std::vector<Inet6Line> out;
  std::ifstream in("/proc/net/if_inet6");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string hex, name;
    unsigned index = 0, prefix = 0, scope = 0, flags = 0;
    if (!(s >> hex >> std::hex >> index >> prefix >> scope >> flags >> name) || hex.size() != 32) continue;
    Inet6Line l{};
    bool ok = true;
    for (int i = 0; i < 16 && ok; ++i) {
      unsigned b = 0;
      ok = std::sscanf(hex.c_str() + 2 * i, "%2x", &b) == 1;
      l.address[i] = static_cast<std::uint8_t>(b);
    }
    if (!ok) continue;
    l.index = index;
    l.prefix = static_cast<std::uint8_t>(prefix);
    l.flags = flags;
    l.name = name;
    out.push_back(l);
  }
  return out;
}

int DadStateOf(std::uint32_t flags) {
  constexpr std::uint32_t kTentative = 0x40, kDadFailed = 0x08, kDeprecated = 0x20;
  if (flags & kDadFailed) return WS_IpDadStateDuplicate;
  if (flags & kTentative) return WS_IpDadStateTentative;
  if (flags & kDeprecated) return WS_IpDadStateDeprecated;
  return WS_IpDadStatePreferred;
}

// Adapters in the order their first address was seen.
std::vector<std::vector<const InterfaceAddress*>> ByAdapter(const std::vector<InterfaceAddress>& addresses) {
  std::vector<std::vector<const InterfaceAddress*>> groups;
  std::map<std::string, std::size_t> at;
  for (const InterfaceAddress& a : addresses) {
    auto it = at.find(a.adapter);
    if (it == at.end()) {
      at[a.adapter] = groups.size();
      groups.push_back({&a});
    } else {
      groups[it->second].push_back(&a);
    }
  }
  return groups;
}

void CopyText(char* to, std::size_t room, const std::string& text) {
  std::snprintf(to, room, "%s", text.c_str());
}

std::string Ipv4Text(std::uint32_t networkOrder) {
  char text[16];
  const auto* b = reinterpret_cast<const std::uint8_t*>(&networkOrder);
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}

std::uint32_t MaskOf(std::uint8_t prefix) {
  const std::uint32_t host = prefix == 0 ? 0 : (prefix >= 32 ? 0xFFFFFFFFu : ~((1u << (32 - prefix)) - 1));
  return htonl(host);
}

}  // namespace

std::vector<InterfaceAddress> ListInterfaceAddresses() {
  std::vector<InterfaceAddress> out;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return out;
  std::map<std::string, bool> loopback;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_name) continue;
    loopback[i->ifa_name] = (i->ifa_flags & IFF_LOOPBACK) != 0;
    if (!i->ifa_addr || !(i->ifa_flags & IFF_UP) || i->ifa_addr->sa_family != AF_INET) continue;
    InterfaceAddress a{};
    a.adapter = i->ifa_name;
    a.index = ::if_nametoindex(i->ifa_name);
    a.loopback = (i->ifa_flags & IFF_LOOPBACK) != 0;
    a.family = WS_AF_INET;
    std::memcpy(a.address, &reinterpret_cast<const ::sockaddr_in*>(i->ifa_addr)->sin_addr, 4);
    a.prefixLength = PrefixOfMask(i->ifa_netmask);
    a.dadState = WS_IpDadStatePreferred;
    out.push_back(a);
  }
  ::freeifaddrs(list);
  for (const Inet6Line& l : ReadInet6()) {
    InterfaceAddress a{};
    a.adapter = l.name;
    a.index = l.index;
    auto it = loopback.find(l.name);
    a.loopback = it != loopback.end() && it->second;
    a.family = WS_AF_INET6;
    std::memcpy(a.address, l.address, 16);
    a.prefixLength = l.prefix;
    a.dadState = DadStateOf(l.flags);
    out.push_back(a);
  }
  return out;
}

std::uint32_t FillAdaptersAddresses(const std::vector<InterfaceAddress>& addresses, IP_ADAPTER_ADDRESSES* buffer,
                                    std::uint32_t* size) {
  if (!size) return WS_ERROR_INVALID_PARAMETER;
  if (addresses.empty()) return WS_ERROR_NO_DATA;
  const auto groups = ByAdapter(addresses);
  std::size_t need = 0;
  for (const auto& g : groups) {
    need += Align8(sizeof(IP_ADAPTER_ADDRESSES)) + Align8(g.front()->adapter.size() + 1);
    need += g.size() * (Align8(sizeof(IP_ADAPTER_UNICAST_ADDRESS)) + Align8(sizeof(ws::sockaddr_in6)));
  }
  if (!buffer || *size < need) {
    *size = static_cast<std::uint32_t>(need);
    return WS_ERROR_BUFFER_OVERFLOW;
  }
  std::memset(buffer, 0, need);
  auto* p = reinterpret_cast<std::uint8_t*>(buffer);
  IP_ADAPTER_ADDRESSES* previous = nullptr;
  for (const auto& g : groups) {
    auto* adapter = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(p);
    p += Align8(sizeof(IP_ADAPTER_ADDRESSES));
    adapter->Length = sizeof(IP_ADAPTER_ADDRESSES);
    adapter->IfIndex = g.front()->index;
    adapter->Ipv6IfIndex = g.front()->index;
    adapter->IfType = g.front()->loopback ? WS_IF_TYPE_SOFTWARE_LOOPBACK : 6;  // 6: Ethernet
    adapter->OperStatus = 1;
    adapter->AdapterName = reinterpret_cast<char*>(p);
    std::memcpy(p, g.front()->adapter.c_str(), g.front()->adapter.size() + 1);
    p += Align8(g.front()->adapter.size() + 1);
    IP_ADAPTER_UNICAST_ADDRESS* last = nullptr;
    for (const InterfaceAddress* a : g) {
      auto* u = reinterpret_cast<IP_ADAPTER_UNICAST_ADDRESS*>(p);
      p += Align8(sizeof(IP_ADAPTER_UNICAST_ADDRESS));
      u->Length = sizeof(IP_ADAPTER_UNICAST_ADDRESS);
      u->DadState = a->dadState;
      u->OnLinkPrefixLength = a->prefixLength;
      if (a->family == WS_AF_INET) {
        auto* sin = reinterpret_cast<ws::sockaddr_in*>(p);
        sin->sin_family = WS_AF_INET;
        std::memcpy(&sin->sin_addr, a->address, 4);
        u->Address = {reinterpret_cast<ws::sockaddr*>(sin), sizeof(ws::sockaddr_in)};
      } else {
        auto* sin6 = reinterpret_cast<ws::sockaddr_in6*>(p);
        sin6->sin6_family = WS_AF_INET6;
        std::memcpy(&sin6->sin6_addr, a->address, 16);
        u->Address = {reinterpret_cast<ws::sockaddr*>(sin6), sizeof(ws::sockaddr_in6)};
      }
      p += Align8(sizeof(ws::sockaddr_in6));
      (last ? last->Next : adapter->FirstUnicastAddress) = u;
      last = u;
    }
    if (previous) previous->Next = adapter;
    previous = adapter;
  }
  return WS_ERROR_SUCCESS;
}

std::uint32_t FillAdaptersInfo(const std::vector<InterfaceAddress>& addresses, IP_ADAPTER_INFO* buffer,
                               std::uint32_t* size) {
  if (!size) return WS_ERROR_INVALID_PARAMETER;
  std::vector<InterfaceAddress> v4;
  for (const InterfaceAddress& a : addresses)
    if (a.family == WS_AF_INET && !a.loopback) v4.push_back(a);
  if (v4.empty()) return WS_ERROR_NO_DATA;
  const auto groups = ByAdapter(v4);
  std::size_t need = 0;
  for (const auto& g : groups) need += Align8(sizeof(IP_ADAPTER_INFO)) + (g.size() - 1) * Align8(sizeof(IP_ADDR_STRING));
  if (!buffer || *size < need) {
    *size = static_cast<std::uint32_t>(need);
    return WS_ERROR_BUFFER_OVERFLOW;
  }
  std::memset(buffer, 0, need);
  auto* p = reinterpret_cast<std::uint8_t*>(buffer);
  IP_ADAPTER_INFO* previous = nullptr;
  for (const auto& g : groups) {
    auto* info = reinterpret_cast<IP_ADAPTER_INFO*>(p);
    p += Align8(sizeof(IP_ADAPTER_INFO));
    CopyText(info->AdapterName, sizeof info->AdapterName, g.front()->adapter);
    CopyText(info->Description, sizeof info->Description, g.front()->adapter);
    info->Index = g.front()->index;
    info->ComboIndex = g.front()->index;
    info->Type = 6;
    IP_ADDR_STRING* last = nullptr;
    for (const InterfaceAddress* a : g) {
      IP_ADDR_STRING* entry = &info->IpAddressList;
      if (last) {
        entry = reinterpret_cast<IP_ADDR_STRING*>(p);
        p += Align8(sizeof(IP_ADDR_STRING));
        last->Next = entry;
      }
      std::uint32_t raw;
      std::memcpy(&raw, a->address, 4);
      CopyText(entry->IpAddress, sizeof entry->IpAddress, Ipv4Text(raw));
      CopyText(entry->IpMask, sizeof entry->IpMask, Ipv4Text(MaskOf(a->prefixLength)));
      last = entry;
    }
    if (previous) previous->Next = info;
    previous = info;
  }
  return WS_ERROR_SUCCESS;
}

std::uint32_t FillIpAddrTable(const std::vector<InterfaceAddress>& addresses, MIB_IPADDRTABLE* buffer,
                              std::uint32_t* size) {
  if (!size) return WS_ERROR_INVALID_PARAMETER;
  std::vector<const InterfaceAddress*> v4;
  for (const InterfaceAddress& a : addresses)
    if (a.family == WS_AF_INET) v4.push_back(&a);
  const std::size_t need = sizeof(std::uint32_t) * 2 + v4.size() * sizeof(MIB_IPADDRROW);
  if (!buffer || *size < need) {
    *size = static_cast<std::uint32_t>(need);
    return WS_ERROR_INSUFFICIENT_BUFFER;
  }
  std::memset(buffer, 0, need);
  buffer->dwNumEntries = static_cast<std::uint32_t>(v4.size());
  for (std::size_t i = 0; i < v4.size(); ++i) {
    MIB_IPADDRROW& row = buffer->table[i];
    std::memcpy(&row.dwAddr, v4[i]->address, 4);
    row.dwIndex = v4[i]->index;
    row.dwMask = MaskOf(v4[i]->prefixLength);
    row.dwBCastAddr = 1;
    row.dwReasmSize = 0xFFFF;
  }
  return WS_ERROR_SUCCESS;
}

// This platform has no receive-only adapters.
std::uint32_t FillUniDirectionalAdapterInfo(IP_UNIDIRECTIONAL_ADAPTER_ADDRESS* buffer, std::uint32_t* size) {
  if (!size) return WS_ERROR_INVALID_PARAMETER;
  if (!buffer || *size < sizeof(IP_UNIDIRECTIONAL_ADAPTER_ADDRESS)) {
    *size = sizeof(IP_UNIDIRECTIONAL_ADAPTER_ADDRESS);
    return WS_ERROR_MORE_DATA;
  }
  buffer->NumAdapters = 0;
  return WS_ERROR_SUCCESS;
}

std::uint32_t LengthToIpv4Mask(std::uint32_t length, std::uint32_t* mask) {
  if (!mask) return WS_ERROR_INVALID_PARAMETER;
  if (length > 32) {
    *mask = 0xFFFFFFFFu;
    return WS_ERROR_INVALID_PARAMETER;
  }
  *mask = MaskOf(static_cast<std::uint8_t>(length));
  return WS_ERROR_SUCCESS;
}

}  // namespace platform::net
