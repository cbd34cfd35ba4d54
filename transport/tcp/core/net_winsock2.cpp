#include "transport/tcp/core/net_winsock2.h"

#include "platform/net/dynamic_library.h"
#include "platform/runtime/exceptions.h"
#include "transport/tcp/core/net_global.h"

namespace net::winsock {
namespace {

std::atomic<void*> g_winsockLibrary{nullptr};
std::atomic<void*> g_extensionLibrary{nullptr};

[[noreturn]] void RaiseCallError(std::uint32_t code, const char* name) {
  throw ENetWinsockStubError::CreateWithCode(code, NetResourceString("rswinsockcallerror"), {name});
}
[[noreturn]] void RaiseLoadError(std::uint32_t code, const char* library) {
  throw ENetWinsockStubError::CreateWithCode(code, NetResourceString("rswinsockloaderror"), {library});
}

// First-call stub of a "WS2_32.DLL" export.
template <auto* Var, const char* Name, class Sig>
struct LibraryStub;
template <auto* Var, const char* Name, class R, class... A>
struct LibraryStub<Var, Name, R(A...)> {
  static R Call(A... a) {
    void* lib = g_winsockLibrary.load();
    if (!lib) RaiseCallError(WSANOTINITIALISED, Name);
    void* p = LoadLibFunction(lib, Name);
    if (!p) RaiseCallError(WSAEINVAL, Name);
    Var->SetAddress(p);
    return reinterpret_cast<R (*)(A...)>(p)(a...);
  }
};

// First-call stub of an extension: the provider of the socket in the first
// argument (for WSAPoll, of the first entry of the array) hands it out.
template <auto* Var, const char* Name, const GUID* Guid, class Sig>
struct ExtensionStub;
template <auto* Var, const char* Name, const GUID* Guid, class R, class First, class... A>
struct ExtensionStub<Var, Name, Guid, R(First, A...)> {
  static R Call(First first, A... a) {
    SOCKET s;
    if constexpr (std::is_same_v<First, WSAPOLLFD*>)
      s = first ? first[0].fd : INVALID_SOCKET;
    else
      s = first;
    void* p = LookupExtensionFunction(s, Name, Guid);
    Var->SetAddress(p);
    return reinterpret_cast<R (*)(First, A...)>(p)(first, a...);
  }
};

int AcceptExStub(SOCKET listenSocket, SOCKET acceptSocket, void* buffer, std::uint32_t dataLength,
                 std::uint32_t localLength, std::uint32_t remoteLength, std::uint32_t* received, void* overlapped);
int WSARecvExStub(SOCKET s, char* buf, int len, int* flags);

}  // namespace

#define NET_WINSOCK_DEFINE(var, name, R, PARAMS)          \
  namespace {                                             \
  constexpr char kName_##var[] = name;                    \
  }                                                       \
  WsFunction<R PARAMS> var{&LibraryStub<&var, kName_##var, R PARAMS>::Call};
NET_WINSOCK_FUNCTIONS(NET_WINSOCK_DEFINE)
#undef NET_WINSOCK_DEFINE

#define NET_WINSOCK_DEFINE_EXT(var, guid, R, PARAMS)      \
  namespace {                                             \
  constexpr char kName_##var[] = #var;                    \
  }                                                       \
  WsFunction<R PARAMS> var{&ExtensionStub<&var, kName_##var, &ws::guid, R PARAMS>::Call};
NET_WINSOCK_EXTENSIONS(NET_WINSOCK_DEFINE_EXT)
#undef NET_WINSOCK_DEFINE_EXT

decltype(AcceptEx) AcceptEx{&AcceptExStub};
decltype(GetAcceptExSockaddrs) GetAcceptExSockaddrs{nullptr};
decltype(WSARecvEx) WSARecvEx{&WSARecvExStub};

namespace {

int AcceptExStub(SOCKET listenSocket, SOCKET acceptSocket, void* buffer, std::uint32_t dataLength,
                 std::uint32_t localLength, std::uint32_t remoteLength, std::uint32_t* received, void* overlapped) {
  GetAcceptExSockaddrs.SetAddress(
      LookupExtensionFunction(listenSocket, "GetAcceptExSockaddrs", &WSAID_GETACCEPTEXSOCKADDRS));
  AcceptEx.SetAddress(LookupExtensionFunction(listenSocket, "AcceptEx", &WSAID_ACCEPTEX));
  return AcceptEx(listenSocket, acceptSocket, buffer, dataLength, localLength, remoteLength, received, overlapped);
}

int WSARecvExStub(SOCKET s, char* buf, int len, int* flags) {
  void* lib = g_extensionLibrary.load();
  if (!lib) {
    lib = platform::net::LoadLibraryByName("MSWSOCK.DLL");
    if (!lib) RaiseLoadError(rtl::GetLastError(), "MSWSOCK.DLL");
    void* expected = nullptr;
    if (!g_extensionLibrary.compare_exchange_strong(expected, lib)) {
      platform::net::FreeLibraryHandle(lib);  // another thread loaded it first
      lib = expected;
    }
  }
  void* p = LoadLibFunction(lib, "WSARecvEx");
  if (!p) RaiseCallError(WSAEINVAL, "WSARecvEx");
  WSARecvEx.SetAddress(p);
  return reinterpret_cast<int (*)(SOCKET, char*, int, int*)>(p)(s, buf, len, flags);
}

}  // namespace

std::size_t WinsockFunctionCount() {
  std::size_t n = 0;
#define NET_WINSOCK_COUNT(var, name, R, PARAMS) ++n;
  NET_WINSOCK_FUNCTIONS(NET_WINSOCK_COUNT)
  NET_WINSOCK_EXTENSIONS(NET_WINSOCK_COUNT)
#undef NET_WINSOCK_COUNT
  return n + 3;  // AcceptEx, GetAcceptExSockaddrs, WSARecvEx
}

bool IsWinsockLoaded() { return g_winsockLibrary.load() != nullptr; }
void* WinsockLibraryHandle() { return g_winsockLibrary.load(); }
void* ExtensionLibraryHandle() { return g_extensionLibrary.load(); }

void LoadWinsockLibrary() {
  if (g_winsockLibrary.load()) return;
  void* lib = platform::net::LoadLibraryByName("WS2_32.DLL");
  g_winsockLibrary.store(lib);
  if (!lib) RaiseLoadError(rtl::GetLastError(), "WS2_32.DLL");
  WSADATA data{};
  const int rc = WSAStartup(0x0202, &data);
  if (rc != 0) {
    g_winsockLibrary.store(nullptr);
    InstallWinsockStubs();  // nothing may keep an address in the freed library
    platform::net::FreeLibraryHandle(lib);
    RaiseLoadError(static_cast<std::uint32_t>(rc), "WS2_32.DLL");
  }
}

void UnloadWinsockLibrary() {
  if (void* ext = g_extensionLibrary.exchange(nullptr)) platform::net::FreeLibraryHandle(ext);
  if (g_winsockLibrary.load()) {
    try {
      WSACleanup();
    } catch (const ENetException&) {
    }
    void* lib = g_winsockLibrary.exchange(nullptr);
    InstallWinsockStubs();
    platform::net::FreeLibraryHandle(lib);
  } else {
    WSARecvEx.Reset();
  }
}

void InstallWinsockStubs() {
#define NET_WINSOCK_RESET(var, name, R, PARAMS) var.Reset();
  NET_WINSOCK_FUNCTIONS(NET_WINSOCK_RESET)
  NET_WINSOCK_EXTENSIONS(NET_WINSOCK_RESET)
#undef NET_WINSOCK_RESET
  AcceptEx.Reset();
  GetAcceptExSockaddrs.Reset();
  WSARecvEx.Reset();
}

void* LookupExtensionFunction(SOCKET s, const char* name, const GUID* guid) {
  void* fn = nullptr;
  std::uint32_t returned = 0;
  GUID g = *guid;
  // The output length names the pointer's size, which here is 8 bytes.
  const int rc = WSAIoctl(s, SIO_GET_EXTENSION_FUNCTION_POINTER, &g, sizeof g, &fn, sizeof fn, &returned, nullptr,
                          nullptr);
  if (rc != 0) RaiseCallError(static_cast<std::uint32_t>(WSAGetLastError()), name);
  return fn;
}

}  // namespace net::winsock
