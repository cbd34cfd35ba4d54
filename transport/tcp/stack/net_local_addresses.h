// The machine's own addresses with their adapters, read through the five
// adapter-listing functions of IPHLPAPI.DLL. Each binds on its first call;
// a function the system lacks is replaced by a fallback that answers "not
// supported".
#pragma once

#include <cstdint>

#include "platform/net/iphlpapi_types.h"
#include "transport/tcp/stack/net_stack.h"
#include "transport/tcp/core/net_winsock2.h"

namespace net {

namespace iphlp {
using winsock::WsFunction;
extern WsFunction<std::uint32_t(ws::MIB_IPADDRTABLE*, std::uint32_t*, int)> GetIpAddrTable;
extern WsFunction<std::uint32_t(ws::IP_UNIDIRECTIONAL_ADAPTER_ADDRESS*, std::uint32_t*)> GetUniDirectionalAdapterInfo;
extern WsFunction<std::uint32_t(ws::IP_ADAPTER_INFO*, std::uint32_t*)> GetAdaptersInfo;
extern WsFunction<std::uint32_t(std::uint32_t, std::uint32_t, void*, ws::IP_ADAPTER_ADDRESSES*, std::uint32_t*)>
    GetAdaptersAddresses;
extern WsFunction<std::uint32_t(std::uint32_t, std::uint32_t*)> ConvertLengthToIpv4Mask;
}  // namespace iphlp

// Loads the library (a missing one leaves every function to its fallback);
// unloading points the variables back at their stubs.
void LoadIphlpapiLibrary();
void UnloadIphlpapiLibrary();
void* IphlpapiLibraryHandle();

// The stack's CollectLocalAddresses: the adapter-address path, or the
// adapter-information path (IPv4 only) when the first is not supported.
void CollectStackLocalAddresses(TNetStackLocalAddressList& list);
bool LocalAddressesFromAdapters(TNetStackLocalAddressList& list);
void LocalIPv4FromAdapterInfo(TNetStackLocalAddressList& list);
void UniDirectionalAddresses(ui::TStrings& list);
void IPv4MaskList(ui::TStrings& list);
rtl::String MaskFromPrefix(std::uint8_t prefixLength);

}  // namespace net
