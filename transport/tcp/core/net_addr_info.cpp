#include "transport/tcp/core/net_addr_info.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/runtime/convert.h"
#include "platform/net/dynamic_library.h"
#include "platform/runtime/exceptions.h"
#include "transport/tcp/core/net_global.h"

namespace net::winsock {

decltype(getaddrinfo) getaddrinfo{nullptr};
decltype(getnameinfo) getnameinfo{nullptr};
decltype(freeaddrinfo) freeaddrinfo{nullptr};
decltype(inet_pton) inet_pton{nullptr};
decltype(inet_ntop) inet_ntop{nullptr};
decltype(GetAddrInfoExA) GetAddrInfoExA{nullptr};
decltype(SetAddrInfoExA) SetAddrInfoExA{nullptr};
decltype(FreeAddrInfoEx) FreeAddrInfoEx{nullptr};
decltype(WSASetSocketSecurity) WSASetSocketSecurity{nullptr};
decltype(WSAQuerySocketSecurity) WSAQuerySocketSecurity{nullptr};
decltype(WSASetSocketPeerTargetName) WSASetSocketPeerTargetName{nullptr};
decltype(WSADeleteSocketPeerTargetName) WSADeleteSocketPeerTargetName{nullptr};
decltype(WSAImpersonateSocketPeer) WSAImpersonateSocketPeer{nullptr};
decltype(WSARevertImpersonation) WSARevertImpersonation{nullptr};

namespace {

std::atomic<void*> g_source{nullptr};
std::atomic<void*> g_wship6{nullptr};
std::atomic<void*> g_fwpuclnt{nullptr};

constexpr int kEaiNoName = 11001, kEaiAgain = 11002, kEaiFail = 11003, kEaiBadFlags = 10022, kEaiFamily = 10047,
              kEaiSockType = 10044, kEaiService = 10109, kEaiMemory = 8;

int MapLookupError(int code) {
  if (code == kEaiAgain || code == kEaiFail) return code;
  return kEaiNoName;
}

char* HeapCopy(const char* text) {
  const std::size_t n = std::strlen(text) + 1;
  char* p = static_cast<char*>(std::calloc(1, n));
  if (p) std::memcpy(p, text, n);
  return p;
}

// Copies with its terminator, cut to fit a buffer of `size` bytes.
void CopyCut(char* dst, std::size_t size, const char* src) {
  std::size_t n = src ? std::strlen(src) : 0;
  if (n >= size) n = size - 1;
  if (n) std::memcpy(dst, src, n);
  dst[n] = 0;
}

ws::addrinfo* NewIPv4AddrInfo(int socktype, int protocol, std::uint16_t port, std::uint32_t address) {
  auto* ai = static_cast<ws::addrinfo*>(std::calloc(1, sizeof(ws::addrinfo)));
  auto* sin = static_cast<ws::sockaddr_in*>(std::calloc(1, sizeof(ws::sockaddr_in)));
  if (!ai || !sin) {
    std::free(ai);
    std::free(sin);
    return nullptr;
  }
  sin->sin_family = WS_AF_INET;
  sin->sin_port = port;
  sin->sin_addr.s_addr = address;
  ai->ai_family = WS_AF_INET;
  ai->ai_socktype = socktype;
  ai->ai_protocol = protocol;
  ai->ai_addrlen = sizeof(ws::sockaddr_in);
  ai->ai_addr = reinterpret_cast<ws::sockaddr*>(sin);
  return ai;
}

bool ParseDottedIPv4(const char* text, std::uint32_t& address) {
  int dots = 0;
  for (const char* p = text; *p; ++p) dots += *p == '.';
  if (dots != 3) return false;
  const std::uint32_t a = inet_addr(text);
  if (a == WS_INADDR_NONE) return false;
  address = a;
  return true;
}

int QueryHostByName(const char* name, int socktype, int protocol, std::uint16_t port, char* alias,
                    ws::addrinfo** result) {
  *result = nullptr;
  alias[0] = 0;
  const ws::hostent* h = gethostbyname(name);
  if (!h) return MapLookupError(WSAGetLastError());
  if (h->h_addrtype == WS_AF_INET && h->h_length == 4) {
    ws::addrinfo** tail = result;
    for (char** a = h->h_addr_list; a && *a; ++a) {
      std::uint32_t address;
      std::memcpy(&address, *a, 4);
      ws::addrinfo* e = NewIPv4AddrInfo(socktype, protocol, port, address);
      if (!e) return kEaiMemory;
      *tail = e;
      tail = &e->ai_next;
    }
  }
  CopyCut(alias, WS_NI_MAXHOST, h->h_name);
  return 0;
}

int LookupHostName(const char* node, int socktype, int protocol, std::uint16_t port, bool wantCanonical,
                   ws::addrinfo** result) {
  char bufA[WS_NI_MAXHOST] = {}, bufB[WS_NI_MAXHOST] = {};
  char* name = bufA;
  char* alias = bufB;
  CopyCut(name, WS_NI_MAXHOST, node);
  int error = 0;
  for (int counter = 0;;) {
    error = QueryHostByName(node, socktype, protocol, port, alias, result);
    if (error != 0 || *result) break;
    if (!alias[0] || std::strcmp(alias, name) == 0) {
      error = kEaiFail;
      break;
    }
    if (++counter == 16) {
      error = kEaiFail;
      break;
    }
    std::swap(name, alias);
  }
  if (error == 0 && wantCanonical) {
    (*result)->ai_canonname = HeapCopy(alias);
    if (!(*result)->ai_canonname) error = kEaiMemory;
  }
  return error;
}

int AddDatagramClones(std::uint16_t udpPort, ws::addrinfo* list) {
  for (ws::addrinfo* e = list; e;) {
    const auto* sin = reinterpret_cast<const ws::sockaddr_in*>(e->ai_addr);
    ws::addrinfo* clone = NewIPv4AddrInfo(WS_SOCK_DGRAM, e->ai_protocol, udpPort, sin->sin_addr.s_addr);
    if (!clone) return kEaiMemory;
    clone->ai_next = e->ai_next;
    e->ai_next = clone;
    e = clone->ai_next;
  }
  return 0;
}

}  // namespace

int EmulatedGetAddrInfo(const char* node, const char* service, const ws::addrinfo* hints, ws::addrinfo** res) {
  int flags = 0, socktype = 0, protocol = 0;
  std::uint16_t port = 0, udpPort = 0, tcpPort = 0;
  std::uint32_t address = 0;
  bool clone = false;
  int error = 0;
  if (!res) return kEaiFail;
  *res = nullptr;
  if (!node && !service) return kEaiNoName;
  if (hints) {
    if (hints->ai_addrlen != 0 || hints->ai_canonname || hints->ai_addr || hints->ai_next) return kEaiFail;
    flags = hints->ai_flags;
    if ((flags & WS_AI_CANONNAME) && !node) return kEaiBadFlags;
    if (hints->ai_family != WS_AF_UNSPEC && hints->ai_family != WS_AF_INET) return kEaiFamily;
    socktype = hints->ai_socktype;
    if (socktype < 0 || socktype > WS_SOCK_RAW) return kEaiSockType;
    protocol = hints->ai_protocol;
  }
  if (service) {
    std::int32_t value = 0;
    if (rtl::TryStrToInt(rtl::Utf8ToString(service), value) && value >= 0) {
      port = htons(static_cast<std::uint16_t>(value & 0xFFFF));
      udpPort = port;
      if (socktype == 0) {
        clone = true;
        socktype = WS_SOCK_STREAM;
      }
    } else {
      if (socktype == 0 || socktype == WS_SOCK_DGRAM) {
        if (const ws::servent* s = getservbyname(service, "udp")) {
          port = static_cast<std::uint16_t>(s->s_port);
          udpPort = port;
        }
      }
      if (socktype == 0 || socktype == WS_SOCK_STREAM) {
        if (const ws::servent* s = getservbyname(service, "tcp")) {
          port = static_cast<std::uint16_t>(s->s_port);
          tcpPort = port;
        }
      }
      if (port == 0) return socktype != 0 ? kEaiService : kEaiNoName;
      if (socktype == 0) {
        socktype = tcpPort != 0 ? WS_SOCK_STREAM : WS_SOCK_DGRAM;
        clone = tcpPort != 0 && udpPort != 0;
      }
    }
  }
  if (!node || ParseDottedIPv4(node, address)) {
    if (!node) address = htonl((flags & WS_AI_PASSIVE) ? 0 : 0x7F000001);
    *res = NewIPv4AddrInfo(socktype, protocol, port, address);
    if (!*res) {
      error = kEaiMemory;
    } else if (node) {
      (*res)->ai_flags |= WS_AI_NUMERICHOST;
      if (flags & WS_AI_CANONNAME) {
        ws::in_addr a{address};
        (*res)->ai_canonname = HeapCopy(inet_ntoa(a));
        if (!(*res)->ai_canonname) error = kEaiMemory;
      }
    }
  } else if (flags & WS_AI_NUMERICHOST) {
    error = kEaiNoName;
  } else {
    error = LookupHostName(node, socktype, protocol, port, (flags & WS_AI_CANONNAME) != 0, res);
  }
  if (error == 0 && clone) error = AddDatagramClones(udpPort, *res);
  if (error != 0) {
    EmulatedFreeAddrInfo(*res);
    *res = nullptr;
  }
  return error;
}

void EmulatedFreeAddrInfo(ws::addrinfo* ai) {
  while (ai) {
    ws::addrinfo* next = ai->ai_next;
    std::free(ai->ai_canonname);
    std::free(ai->ai_addr);
    std::free(ai);
    ai = next;
  }
}

int EmulatedGetNameInfo(const ws::sockaddr* sa, int salen, char* host, std::uint32_t hostlen, char* serv,
                        std::uint32_t servlen, int flags) {
  if (!sa || salen < static_cast<int>(sizeof(ws::sockaddr_in))) return kEaiFail;
  if (sa->sa_family != WS_AF_INET) return kEaiFamily;
  const bool wantHost = host && hostlen > 0, wantServ = serv && servlen > 0;
  if (!wantHost && !wantServ) return kEaiNoName;
  if ((flags & WS_NI_NUMERICHOST) && (flags & WS_NI_NAMEREQD)) return kEaiBadFlags;
  const auto* sin = reinterpret_cast<const ws::sockaddr_in*>(sa);
  if (wantServ) {
    char number[6];
    const char* text = nullptr;
    auto decimal = [&] {
      std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(ntohs(sin->sin_port)));
      return number;
    };
    if (flags & WS_NI_NUMERICSERV) {
      text = decimal();
    } else {
      const ws::servent* s = getservbyport(sin->sin_port, (flags & WS_NI_DGRAM) ? "udp" : nullptr);
      text = s && s->s_name ? s->s_name : decimal();
    }
    if (std::strlen(text) >= servlen) return kEaiFail;
    std::memcpy(serv, text, std::strlen(text) + 1);
  }
  if (wantHost) {
    const char* text = nullptr;
    if (flags & WS_NI_NUMERICHOST) {
      text = inet_ntoa(sin->sin_addr);
    } else {
      ws::hostent* h = gethostbyaddr(reinterpret_cast<const char*>(&sin->sin_addr), 4, WS_AF_INET);
      if (h && h->h_name) {
        if (flags & WS_NI_NOFQDN) {
          if (char* dot = std::strchr(h->h_name, '.')) *dot = 0;
        }
        text = h->h_name;
      } else if (flags & WS_NI_NAMEREQD) {
        return MapLookupError(WSAGetLastError());
      } else {
        text = inet_ntoa(sin->sin_addr);
      }
    }
    if (std::strlen(text) >= hostlen) return kEaiFail;
    std::memcpy(host, text, std::strlen(text) + 1);
  }
  return 0;
}

std::int32_t MapAddrInfoError(std::int32_t code) {
  switch (code) {
    case 1: return 0;
    case 2: return 11002;
    case 3: return 10022;
    case 4: return 11003;
    case 5: return 10047;
    case 6: return 8;
    case 7: return 11004;
    case 8: return 11001;
    case 9: return 10109;
    case 10: return 10044;
    case 11: rtl::RaiseLastOSError();
    default: return code;
  }
}

void* AddrInfoSource() { return g_source.load(); }
bool AddrInfoEmulated() { return getaddrinfo.Get() == &EmulatedGetAddrInfo; }

void LoadAddrInfoFunctions() {
  if (!IsWinsockLoaded()) LoadWinsockLibrary();
  void* source = WinsockLibraryHandle();
  g_source.store(source);
  void* gai = LoadLibFunction(source, "getaddrinfo");
  if (!gai) {
    void* wship6 = platform::net::LoadLibraryByName("Wship6.dll");
    if (void* old = g_wship6.exchange(wship6)) platform::net::FreeLibraryHandle(old);
    source = wship6;
    g_source.store(source);
    gai = source ? LoadLibFunction(source, "getaddrinfo") : nullptr;
  }
  void* gni = gai ? LoadLibFunction(source, "getnameinfo") : nullptr;
  void* fai = gni ? LoadLibFunction(source, "freeaddrinfo") : nullptr;
  if (!gai || !gni || !fai) {
    UnloadAddrInfoFunctions();
    getaddrinfo.Set(&EmulatedGetAddrInfo);
    getnameinfo.Set(&EmulatedGetNameInfo);
    freeaddrinfo.Set(&EmulatedFreeAddrInfo);
    return;
  }
  getaddrinfo.SetAddress(gai);
  getnameinfo.SetAddress(gni);
  freeaddrinfo.SetAddress(fai);
  inet_pton.SetAddress(LoadLibFunction(source, "inet_pton"));
  inet_ntop.SetAddress(LoadLibFunction(source, "inet_ntop"));
  GetAddrInfoExA.SetAddress(LoadLibFunction(source, "GetAddrInfoExA"));
  SetAddrInfoExA.SetAddress(LoadLibFunction(source, "SetAddrInfoExA"));
  FreeAddrInfoEx.SetAddress(LoadLibFunction(source, "FreeAddrInfoEx"));
  void* fwp = platform::net::LoadLibraryByName("Fwpuclnt.dll");
  if (void* old = g_fwpuclnt.exchange(fwp)) platform::net::FreeLibraryHandle(old);
  if (fwp) {
    WSASetSocketSecurity.SetAddress(LoadLibFunction(fwp, "WSASetSocketSecurity"));
    WSAQuerySocketSecurity.SetAddress(LoadLibFunction(fwp, "WSAQuerySocketSecurity"));
    WSASetSocketPeerTargetName.SetAddress(LoadLibFunction(fwp, "WSASetSocketPeerTargetName"));
    WSADeleteSocketPeerTargetName.SetAddress(LoadLibFunction(fwp, "WSADeleteSocketPeerTargetName"));
    WSAImpersonateSocketPeer.SetAddress(LoadLibFunction(fwp, "WSAImpersonateSocketPeer"));
    WSARevertImpersonation.SetAddress(LoadLibFunction(fwp, "WSARevertImpersonation"));
  }
}

void UnloadAddrInfoFunctions() {
  if (void* h = g_wship6.exchange(nullptr)) platform::net::FreeLibraryHandle(h);
  if (void* h = g_fwpuclnt.exchange(nullptr)) platform::net::FreeLibraryHandle(h);
  g_source.store(nullptr);
  getaddrinfo.Reset();
  getnameinfo.Reset();
  freeaddrinfo.Reset();
  inet_pton.Reset();
  inet_ntop.Reset();
  GetAddrInfoExA.Reset();
  SetAddrInfoExA.Reset();
  FreeAddrInfoEx.Reset();
  WSASetSocketSecurity.Reset();
  WSAQuerySocketSecurity.Reset();
  WSASetSocketPeerTargetName.Reset();
  WSADeleteSocketPeerTargetName.Reset();
  WSAImpersonateSocketPeer.Reset();
  WSARevertImpersonation.Reset();
}

}  // namespace net::winsock
