#include "transport/tcp/stack/net_local_addresses.h"

#include <atomic>
#include <cstring>
#include <set>
#include <vector>

#include "platform/net/dynamic_library.h"
#include "platform/runtime/exceptions.h"
#include "transport/tcp/stack/net_stack_windows.h"

namespace net {
namespace {

std::atomic<void*> g_library{nullptr};

constexpr std::uint32_t kInitialSize = 15360;
constexpr std::uint32_t kSkipFlags = 0x2E;  // no anycast, multicast, DNS servers, friendly names

// Memory for the listing records, aligned for the pointers inside them.
class RecordBuffer {
 public:
  explicit RecordBuffer(std::uint32_t size) { Resize(size); }
  void Resize(std::uint32_t size) {
    size_ = size;
    words_.assign((size + 7) / 8 + 1, 0);
  }
  template <class T>
  T* As() {
    return reinterpret_cast<T*>(words_.data());
  }
  std::uint32_t* Size() { return &size_; }

 private:
  std::vector<std::uint64_t> words_;
  std::uint32_t size_;
};

template <auto* Var, const char* Name, auto Fallback, class Sig>
struct IphlpStub;
template <auto* Var, const char* Name, auto Fallback, class R, class... A>
struct IphlpStub<Var, Name, Fallback, R(A...)> {
  static R Call(A... a) {
    void* p = platform::net::LibraryFunction(g_library.load(), Name);
    if (p)
      Var->SetAddress(p);
    else
      Var->Set(Fallback);
    return Var->Get()(a...);
  }
};

std::uint32_t NoIpAddrTable(ws::MIB_IPADDRTABLE*, std::uint32_t* size, int) {
  if (size) *size = 0;
  return ws::WS_ERROR_NOT_SUPPORTED;
}
std::uint32_t NoUniDirectional(ws::IP_UNIDIRECTIONAL_ADAPTER_ADDRESS*, std::uint32_t* size) {
  if (size) *size = 0;
  return ws::WS_ERROR_NOT_SUPPORTED;
}
std::uint32_t NoAdaptersInfo(ws::IP_ADAPTER_INFO*, std::uint32_t* size) {
  if (size) *size = 0;
  return ws::WS_ERROR_NOT_SUPPORTED;
}
std::uint32_t NoAdaptersAddresses(std::uint32_t, std::uint32_t, void*, ws::IP_ADAPTER_ADDRESSES*, std::uint32_t* size) {
  if (size) *size = 0;
  return ws::WS_ERROR_NOT_SUPPORTED;
}
std::uint32_t NoLengthToMask(std::uint32_t length, std::uint32_t* mask) {
  if (mask) *mask = 0xFFFFFFFFu;
  return length <= 32 ? ws::WS_ERROR_NOT_SUPPORTED : ws::WS_ERROR_INVALID_PARAMETER;
}

constexpr char kGetIpAddrTable[] = "GetIpAddrTable";
constexpr char kGetUniDirectionalAdapterInfo[] = "GetUniDirectionalAdapterInfo";
constexpr char kGetAdaptersInfo[] = "GetAdaptersInfo";
constexpr char kGetAdaptersAddresses[] = "GetAdaptersAddresses";
constexpr char kConvertLengthToIpv4Mask[] = "ConvertLengthToIpv4Mask";

rtl::String Ipv4Text(const void* networkOrder) {
  const auto* b = static_cast<const std::uint8_t*>(networkOrder);
  return rtl::IntToStr(b[0]) + u"." + rtl::IntToStr(b[1]) + u"." + rtl::IntToStr(b[2]) + u"." + rtl::IntToStr(b[3]);
}

rtl::String AddressText(const ws::sockaddr* address, TNetIPVersion version) {
  TNetStackWindows* stack = dynamic_cast<TNetStackWindows*>(GlobalStack());
  if (version == Id_IPv4) return Ipv4Text(&reinterpret_cast<const ws::sockaddr_in*>(address)->sin_addr);
  const std::uint8_t* bytes = reinterpret_cast<const ws::sockaddr_in6*>(address)->sin6_addr.s6_addr;
  if (stack) return stack->AddressToText(bytes, Id_IPv6);
  rtl::String text;
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  for (int i = 0; i < 8; ++i) {
    if (i) text += u':';
    std::uint16_t w = static_cast<std::uint16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    rtl::String group;
    do {
      group.insert(group.begin(), kHex[w & 0xF]);
      w >>= 4;
    } while (w);
    text += group;
  }
  return text;
}

// Calls a listing function, growing the buffer while the system asks for
// more. Answers the final result.
template <class Call>
std::uint32_t CallGrowing(RecordBuffer& buffer, std::uint32_t growCode, Call call) {
  std::uint32_t result = call(buffer);
  while (result == growCode && *buffer.Size() > 0) {
    buffer.Resize(*buffer.Size());
    result = call(buffer);
  }
  return result;
}

// Closes an update of a string list or collection on every path out.
template <class T>
struct UpdateGuard {
  T& target;
  explicit UpdateGuard(T& t) : target(t) { target.BeginUpdate(); }
  ~UpdateGuard() { target.EndUpdate(); }
};

}  // namespace

namespace iphlp {
#define NET_IPHLP_DEFINE(var, Sig, fallback) \
  WsFunction<Sig> var{&IphlpStub<&var, k##var, &fallback, Sig>::Call};
NET_IPHLP_DEFINE(GetIpAddrTable, std::uint32_t(ws::MIB_IPADDRTABLE*, std::uint32_t*, int), NoIpAddrTable)
NET_IPHLP_DEFINE(GetUniDirectionalAdapterInfo, std::uint32_t(ws::IP_UNIDIRECTIONAL_ADAPTER_ADDRESS*, std::uint32_t*),
                 NoUniDirectional)
NET_IPHLP_DEFINE(GetAdaptersInfo, std::uint32_t(ws::IP_ADAPTER_INFO*, std::uint32_t*), NoAdaptersInfo)
NET_IPHLP_DEFINE(GetAdaptersAddresses,
                 std::uint32_t(std::uint32_t, std::uint32_t, void*, ws::IP_ADAPTER_ADDRESSES*, std::uint32_t*),
                 NoAdaptersAddresses)
NET_IPHLP_DEFINE(ConvertLengthToIpv4Mask, std::uint32_t(std::uint32_t, std::uint32_t*), NoLengthToMask)
#undef NET_IPHLP_DEFINE

void ResetAll() {
  GetIpAddrTable.Reset();
  GetUniDirectionalAdapterInfo.Reset();
  GetAdaptersInfo.Reset();
  GetAdaptersAddresses.Reset();
  ConvertLengthToIpv4Mask.Reset();
}
}  // namespace iphlp

void LoadIphlpapiLibrary() {
  if (g_library.load()) return;
  g_library.store(platform::net::LoadLibraryByName("IPHLPAPI.DLL"));
  iphlp::ResetAll();
}

void UnloadIphlpapiLibrary() {
  iphlp::ResetAll();
  platform::net::FreeLibraryHandle(g_library.exchange(nullptr));
}

void* IphlpapiLibraryHandle() { return g_library.load(); }

rtl::String MaskFromPrefix(std::uint8_t prefixLength) {
  std::uint32_t mask = 0;
  if (iphlp::ConvertLengthToIpv4Mask(prefixLength, &mask) != ws::WS_ERROR_SUCCESS) return {};
  return Ipv4Text(&mask);
}

void IPv4MaskList(ui::TStrings& list) {
  RecordBuffer buffer(0);
  const std::uint32_t result = CallGrowing(buffer, ws::WS_ERROR_INSUFFICIENT_BUFFER, [](RecordBuffer& b) {
    return iphlp::GetIpAddrTable(*b.Size() ? b.As<ws::MIB_IPADDRTABLE>() : nullptr, b.Size(), 0);
  });
  if (result == ws::WS_ERROR_NOT_SUPPORTED) return;
  if (result != ws::WS_ERROR_SUCCESS) rtl::RaiseLastOSError(result);
  const auto* table = buffer.As<ws::MIB_IPADDRTABLE>();
  for (std::uint32_t i = 0; i < table->dwNumEntries; ++i)
    list.Add(Ipv4Text(&table->table[i].dwAddr) + u"=" + Ipv4Text(&table->table[i].dwMask));
}

void UniDirectionalAddresses(ui::TStrings& list) {
  RecordBuffer buffer(kInitialSize);
  const std::uint32_t result = CallGrowing(buffer, ws::WS_ERROR_MORE_DATA, [](RecordBuffer& b) {
    return iphlp::GetUniDirectionalAdapterInfo(b.As<ws::IP_UNIDIRECTIONAL_ADAPTER_ADDRESS>(), b.Size());
  });
  if (result == ws::WS_ERROR_NOT_SUPPORTED || result == ws::WS_ERROR_NO_DATA) return;
  if (result != ws::WS_ERROR_SUCCESS) rtl::RaiseLastOSError(result);
  const auto* info = buffer.As<ws::IP_UNIDIRECTIONAL_ADAPTER_ADDRESS>();
  for (std::uint32_t i = 0; i < info->NumAdapters; ++i) list.Add(Ipv4Text(&info->Address[i]));
}

bool LocalAddressesFromAdapters(TNetStackLocalAddressList& list) {
  RecordBuffer buffer(kInitialSize);
  const std::uint32_t result = CallGrowing(buffer, ws::WS_ERROR_BUFFER_OVERFLOW, [](RecordBuffer& b) {
    return iphlp::GetAdaptersAddresses(0, kSkipFlags, nullptr, b.As<ws::IP_ADAPTER_ADDRESSES>(), b.Size());
  });
  if (result == ws::WS_ERROR_NOT_SUPPORTED) return false;
  if (result == ws::WS_ERROR_NO_DATA || result == ws::WS_ERROR_ADDRESS_NOT_ASSOCIATED) return true;
  if (result != ws::WS_ERROR_SUCCESS) rtl::RaiseLastOSError(result);

  const bool maskFromPrefix = WindowsVersionAtLeast(6, 0);
  const bool ipv6Index = WindowsVersionAtLeast(5, 1);
  ui::TStringList masks;
  bool masksRead = false;
  UpdateGuard<TNetStackLocalAddressList> update(list);
  for (const auto* adapter = buffer.As<ws::IP_ADAPTER_ADDRESSES>(); adapter; adapter = adapter->Next) {
    if (adapter->IfType == ws::WS_IF_TYPE_SOFTWARE_LOOPBACK || (adapter->Flags & ws::WS_IP_ADAPTER_RECEIVE_ONLY))
      continue;
    const rtl::String adapterName = adapter->AdapterName ? rtl::Utf8ToString(adapter->AdapterName) : rtl::String();
    for (const auto* u = adapter->FirstUnicastAddress; u; u = u->Next) {
      if (u->DadState != ws::WS_IpDadStatePreferred || !u->Address.lpSockaddr) continue;
      TNetStackLocalAddress* item = nullptr;
      if (u->Address.lpSockaddr->sa_family == ws::WS_AF_INET) {
        const rtl::String text = AddressText(u->Address.lpSockaddr, Id_IPv4);
        rtl::String mask;
        if (maskFromPrefix) {
          mask = MaskFromPrefix(u->OnLinkPrefixLength);
        } else {
          if (!masksRead) {
            IPv4MaskList(masks);
            masksRead = true;
          }
          mask = masks.Values(text);
        }
        item = new TNetStackLocalAddressIPv4(&list, text, mask);
        item->SetAdapterIndex(static_cast<std::int32_t>(adapter->IfIndex));
      } else if (u->Address.lpSockaddr->sa_family == ws::WS_AF_INET6) {
        item = new TNetStackLocalAddressIPv6(&list, AddressText(u->Address.lpSockaddr, Id_IPv6));
        if (ipv6Index) item->SetAdapterIndex(static_cast<std::int32_t>(adapter->Ipv6IfIndex));
      }
      if (item) item->SetAdapterName(adapterName);
    }
  }
  return true;
}

void LocalIPv4FromAdapterInfo(TNetStackLocalAddressList& list) {
  RecordBuffer buffer(kInitialSize);
  const std::uint32_t result = CallGrowing(buffer, ws::WS_ERROR_BUFFER_OVERFLOW, [](RecordBuffer& b) {
    return iphlp::GetAdaptersInfo(b.As<ws::IP_ADAPTER_INFO>(), b.Size());
  });
  if (result == ws::WS_ERROR_NOT_SUPPORTED || result == ws::WS_ERROR_NO_DATA) return;
  if (result != ws::WS_ERROR_SUCCESS) rtl::RaiseLastOSError(result);
  ui::TStringList receiveOnly;
  if (WindowsVersionAtLeast(5, 1)) UniDirectionalAddresses(receiveOnly);
  UpdateGuard<TNetStackLocalAddressList> update(list);
  for (const auto* adapter = buffer.As<ws::IP_ADAPTER_INFO>(); adapter; adapter = adapter->Next) {
    for (const ws::IP_ADDR_STRING* a = &adapter->IpAddressList; a; a = a->Next) {
      const std::string text(a->IpAddress, strnlen(a->IpAddress, sizeof a->IpAddress));
      if (text.empty() || text == "0.0.0.0") continue;
      const rtl::String address = rtl::Utf8ToString(text);
      if (receiveOnly.IndexOf(address) >= 0) continue;
      auto* item = new TNetStackLocalAddressIPv4(
          &list, address, rtl::Utf8ToString(std::string(a->IpMask, strnlen(a->IpMask, sizeof a->IpMask))));
      item->SetAdapterName(rtl::Utf8ToString(std::string(adapter->AdapterName,
                                                         strnlen(adapter->AdapterName, sizeof adapter->AdapterName))));
      item->SetAdapterIndex(static_cast<std::int32_t>(adapter->Index));
    }
  }
}

void CollectStackLocalAddresses(TNetStackLocalAddressList& list) {
  if (!LocalAddressesFromAdapters(list)) LocalIPv4FromAdapterInfo(list);
}

}  // namespace net
