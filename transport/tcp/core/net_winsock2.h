// Run-time binding of the system socket library. Each function is reached
// through a variable that starts at a first-call stub: the stub looks the
// function up by name in the loaded library, stores it and calls it, so a
// process binds only what it uses.
#pragma once

#include <atomic>
#include <cstdint>

#include "transport/tcp/core/net_exception.h"
#include "platform/net/winsock_types.h"

namespace net::winsock {

using namespace ws;

// A function variable: the bound address, or the stub until the first call
// that succeeds. Plain loads and stores of one pointer, no lock.
template <class Sig>
class WsFunction;
template <class R, class... A>
class WsFunction<R(A...)> {
 public:
  using Fn = R (*)(A...);
  constexpr WsFunction(Fn stub) : fn_(stub), stub_(stub) {}
  R operator()(A... a) const { return fn_.load(std::memory_order_acquire)(a...); }
  Fn Get() const { return fn_.load(std::memory_order_acquire); }
  void Set(Fn f) { fn_.store(f, std::memory_order_release); }
  void SetAddress(void* p) { Set(reinterpret_cast<Fn>(p)); }
  bool IsBound() const { return Get() != nullptr && Get() != stub_; }
  bool IsEmpty() const { return Get() == nullptr; }
  // Back to the first-call stub (empty for a variable that has none).
  void Reset() { Set(stub_); }

 private:
  std::atomic<Fn> fn_;
  Fn stub_;
};

using HWND = void*;
using WSAEVENT = void*;

// variable, export name, result, parameters. The generic names bind the "A" exports.
#define NET_WINSOCK_FUNCTIONS(X)                                                                                  \
  X(WSAStartup, "WSAStartup", int, (std::uint16_t, WSADATA*))                                                    \
  X(WSACleanup, "WSACleanup", int, ())                                                                           \
  X(accept, "accept", SOCKET, (SOCKET, ws::sockaddr*, int*))                                                         \
  X(bind, "bind", int, (SOCKET, const ws::sockaddr*, int))                                                           \
  X(closesocket, "closesocket", int, (SOCKET))                                                                   \
  X(connect, "connect", int, (SOCKET, const ws::sockaddr*, int))                                                     \
  X(ioctlsocket, "ioctlsocket", int, (SOCKET, long, std::uint32_t*))                                            \
  X(getpeername, "getpeername", int, (SOCKET, ws::sockaddr*, int*))                                                  \
  X(getsockname, "getsockname", int, (SOCKET, ws::sockaddr*, int*))                                                  \
  X(getsockopt, "getsockopt", int, (SOCKET, int, int, char*, int*))                                              \
  X(htonl, "htonl", std::uint32_t, (std::uint32_t))                                                              \
  X(htons, "htons", std::uint16_t, (std::uint16_t))                                                              \
  X(inet_addr, "inet_addr", std::uint32_t, (const char*))                                                        \
  X(inet_ntoa, "inet_ntoa", char*, (ws::in_addr))                                                                    \
  X(listen, "listen", int, (SOCKET, int))                                                                        \
  X(ntohl, "ntohl", std::uint32_t, (std::uint32_t))                                                              \
  X(ntohs, "ntohs", std::uint16_t, (std::uint16_t))                                                              \
  X(recv, "recv", int, (SOCKET, char*, int, int))                                                                \
  X(recvfrom, "recvfrom", int, (SOCKET, char*, int, int, ws::sockaddr*, int*))                                       \
  X(select, "select", int, (int, ws::fd_set*, ws::fd_set*, ws::fd_set*, const ws::timeval*))                                 \
  X(send, "send", int, (SOCKET, const char*, int, int))                                                          \
  X(sendto, "sendto", int, (SOCKET, const char*, int, int, const ws::sockaddr*, int))                                \
  X(setsockopt, "setsockopt", int, (SOCKET, int, int, const char*, int))                                         \
  X(shutdown, "shutdown", int, (SOCKET, int))                                                                    \
  X(socket, "socket", SOCKET, (int, int, int))                                                                   \
  X(gethostbyaddr, "gethostbyaddr", ws::hostent*, (const char*, int, int))                                           \
  X(gethostbyname, "gethostbyname", ws::hostent*, (const char*))                                                     \
  X(gethostname, "gethostname", int, (char*, int))                                                               \
  X(getservbyport, "getservbyport", ws::servent*, (int, const char*))                                                \
  X(getservbyname, "getservbyname", ws::servent*, (const char*, const char*))                                        \
  X(getprotobynumber, "getprotobynumber", ws::protoent*, (int))                                                      \
  X(getprotobyname, "getprotobyname", ws::protoent*, (const char*))                                                  \
  X(WSASetLastError, "WSASetLastError", void, (int))                                                             \
  X(WSAGetLastError, "WSAGetLastError", int, ())                                                                 \
  X(WSAIsBlocking, "WSAIsBlocking", int, ())                                                                     \
  X(WSAUnhookBlockingHook, "WSAUnhookBlockingHook", int, ())                                                     \
  X(WSASetBlockingHook, "WSASetBlockingHook", void*, (void*))                                                    \
  X(WSACancelBlockingCall, "WSACancelBlockingCall", int, ())                                                     \
  X(WSAAsyncGetServByName, "WSAAsyncGetServByName", void*, (HWND, std::uint32_t, const char*, const char*, char*, int)) \
  X(WSAAsyncGetServByPort, "WSAAsyncGetServByPort", void*, (HWND, std::uint32_t, int, const char*, char*, int))  \
  X(WSAAsyncGetProtoByName, "WSAAsyncGetProtoByName", void*, (HWND, std::uint32_t, const char*, char*, int))    \
  X(WSAAsyncGetProtoByNumber, "WSAAsyncGetProtoByNumber", void*, (HWND, std::uint32_t, int, char*, int))        \
  X(WSAAsyncGetHostByName, "WSAAsyncGetHostByName", void*, (HWND, std::uint32_t, const char*, char*, int))      \
  X(WSAAsyncGetHostByAddr, "WSAAsyncGetHostByAddr", void*, (HWND, std::uint32_t, const char*, int, int, char*, int)) \
  X(WSACancelAsyncRequest, "WSACancelAsyncRequest", int, (void*))                                                \
  X(WSAAsyncSelect, "WSAAsyncSelect", int, (SOCKET, HWND, std::uint32_t, long))                                  \
  X(__WSAFDIsSet, "__WSAFDIsSet", int, (SOCKET, ws::fd_set*))                                                        \
  X(WSAAccept, "WSAAccept", SOCKET, (SOCKET, ws::sockaddr*, int*, void*, std::uintptr_t))                            \
  X(WSACloseEvent, "WSACloseEvent", int, (WSAEVENT))                                                             \
  X(WSAConnect, "WSAConnect", int, (SOCKET, const ws::sockaddr*, int, WSABUF*, WSABUF*, void*, void*))               \
  X(WSACreateEvent, "WSACreateEvent", WSAEVENT, ())                                                              \
  X(WSADuplicateSocketA, "WSADuplicateSocketA", int, (SOCKET, std::uint32_t, void*))                             \
  X(WSADuplicateSocketW, "WSADuplicateSocketW", int, (SOCKET, std::uint32_t, void*))                             \
  X(WSADuplicateSocket, "WSADuplicateSocketA", int, (SOCKET, std::uint32_t, void*))                              \
  X(WSAEnumNetworkEvents, "WSAEnumNetworkEvents", int, (SOCKET, WSAEVENT, void*))                                \
  X(WSAEnumProtocolsA, "WSAEnumProtocolsA", int, (int*, void*, std::uint32_t*))                                  \
  X(WSAEnumProtocolsW, "WSAEnumProtocolsW", int, (int*, void*, std::uint32_t*))                                  \
  X(WSAEnumProtocols, "WSAEnumProtocolsA", int, (int*, void*, std::uint32_t*))                                   \
  X(WSAEventSelect, "WSAEventSelect", int, (SOCKET, WSAEVENT, long))                                             \
  X(WSAGetOverlappedResult, "WSAGetOverlappedResult", int, (SOCKET, void*, std::uint32_t*, int, std::uint32_t*)) \
  X(WSAGetQOSByName, "WSAGetQOSByName", int, (SOCKET, WSABUF*, void*))                                           \
  X(WSAHtonl, "WSAHtonl", int, (SOCKET, std::uint32_t, std::uint32_t*))                                          \
  X(WSAHtons, "WSAHtons", int, (SOCKET, std::uint16_t, std::uint16_t*))                                          \
  X(WSAIoctl, "WSAIoctl", int,                                                                                   \
    (SOCKET, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t, std::uint32_t*, void*, void*))           \
  X(WSAJoinLeaf, "WSAJoinLeaf", SOCKET, (SOCKET, const ws::sockaddr*, int, WSABUF*, WSABUF*, void*, void*, std::uint32_t)) \
  X(WSANtohl, "WSANtohl", int, (SOCKET, std::uint32_t, std::uint32_t*))                                          \
  X(WSANtohs, "WSANtohs", int, (SOCKET, std::uint16_t, std::uint16_t*))                                          \
  X(WSARecv, "WSARecv", int, (SOCKET, WSABUF*, std::uint32_t, std::uint32_t*, std::uint32_t*, void*, void*))     \
  X(WSARecvDisconnect, "WSARecvDisconnect", int, (SOCKET, WSABUF*))                                              \
  X(WSARecvFrom, "WSARecvFrom", int,                                                                             \
    (SOCKET, WSABUF*, std::uint32_t, std::uint32_t*, std::uint32_t*, ws::sockaddr*, int*, void*, void*))             \
  X(WSAResetEvent, "WSAResetEvent", int, (WSAEVENT))                                                             \
  X(WSASend, "WSASend", int, (SOCKET, WSABUF*, std::uint32_t, std::uint32_t*, std::uint32_t, void*, void*))      \
  X(WSASendDisconnect, "WSASendDisconnect", int, (SOCKET, WSABUF*))                                              \
  X(WSASendTo, "WSASendTo", int,                                                                                 \
    (SOCKET, WSABUF*, std::uint32_t, std::uint32_t*, std::uint32_t, const ws::sockaddr*, int, void*, void*))         \
  X(WSASetEvent, "WSASetEvent", int, (WSAEVENT))                                                                 \
  X(WSASocketA, "WSASocketA", SOCKET, (int, int, int, void*, std::uint32_t, std::uint32_t))                      \
  X(WSASocketW, "WSASocketW", SOCKET, (int, int, int, void*, std::uint32_t, std::uint32_t))                      \
  X(WSASocket, "WSASocketA", SOCKET, (int, int, int, void*, std::uint32_t, std::uint32_t))                       \
  X(WSAWaitForMultipleEvents, "WSAWaitForMultipleEvents", std::uint32_t,                                         \
    (std::uint32_t, const WSAEVENT*, int, std::uint32_t, int))                                                   \
  X(WSAAddressToStringA, "WSAAddressToStringA", int, (ws::sockaddr*, std::uint32_t, void*, char*, std::uint32_t*))   \
  X(WSAAddressToStringW, "WSAAddressToStringW", int, (ws::sockaddr*, std::uint32_t, void*, char16_t*, std::uint32_t*)) \
  X(WSAAddressToString, "WSAAddressToStringA", int, (ws::sockaddr*, std::uint32_t, void*, char*, std::uint32_t*))    \
  X(WSAStringToAddressA, "WSAStringToAddressA", int, (char*, int, void*, ws::sockaddr*, int*))                       \
  X(WSAStringToAddressW, "WSAStringToAddressW", int, (char16_t*, int, void*, ws::sockaddr*, int*))                   \
  X(WSAStringToAddress, "WSAStringToAddressA", int, (char*, int, void*, ws::sockaddr*, int*))                        \
  X(WSALookupServiceBeginA, "WSALookupServiceBeginA", int, (void*, std::uint32_t, void**))                       \
  X(WSALookupServiceBeginW, "WSALookupServiceBeginW", int, (void*, std::uint32_t, void**))                       \
  X(WSALookupServiceBegin, "WSALookupServiceBeginA", int, (void*, std::uint32_t, void**))                        \
  X(WSALookupServiceNextA, "WSALookupServiceNextA", int, (void*, std::uint32_t, std::uint32_t*, void*))          \
  X(WSALookupServiceNextW, "WSALookupServiceNextW", int, (void*, std::uint32_t, std::uint32_t*, void*))          \
  X(WSALookupServiceNext, "WSALookupServiceNextA", int, (void*, std::uint32_t, std::uint32_t*, void*))           \
  X(WSALookupServiceEnd, "WSALookupServiceEnd", int, (void*))                                                    \
  X(WSANSPIoctl, "WSANSPIoctl", int, (void*, std::uint32_t, void*, std::uint32_t, void*, std::uint32_t, std::uint32_t*, void*)) \
  X(WSAInstallServiceClassA, "WSAInstallServiceClassA", int, (void*))                                            \
  X(WSAInstallServiceClassW, "WSAInstallServiceClassW", int, (void*))                                            \
  X(WSAInstallServiceClass, "WSAInstallServiceClassA", int, (void*))                                             \
  X(WSARemoveServiceClass, "WSARemoveServiceClass", int, (GUID*))                                                \
  X(WSAGetServiceClassInfoA, "WSAGetServiceClassInfoA", int, (GUID*, GUID*, std::uint32_t*, void*))              \
  X(WSAGetServiceClassInfoW, "WSAGetServiceClassInfoW", int, (GUID*, GUID*, std::uint32_t*, void*))              \
  X(WSAGetServiceClassInfo, "WSAGetServiceClassInfoA", int, (GUID*, GUID*, std::uint32_t*, void*))               \
  X(WSAEnumNameSpaceProvidersA, "WSAEnumNameSpaceProvidersA", int, (std::uint32_t*, void*))                      \
  X(WSAEnumNameSpaceProvidersW, "WSAEnumNameSpaceProvidersW", int, (std::uint32_t*, void*))                      \
  X(WSAEnumNameSpaceProviders, "WSAEnumNameSpaceProvidersA", int, (std::uint32_t*, void*))                       \
  X(WSAGetServiceClassNameByClassIdA, "WSAGetServiceClassNameByClassIdA", int, (GUID*, char*, std::uint32_t*))   \
  X(WSAGetServiceClassNameByClassIdW, "WSAGetServiceClassNameByClassIdW", int, (GUID*, char16_t*, std::uint32_t*)) \
  X(WSAGetServiceClassNameByClassId, "WSAGetServiceClassNameByClassIdA", int, (GUID*, char*, std::uint32_t*))    \
  X(WSASetServiceA, "WSASetServiceA", int, (void*, std::uint16_t, std::uint32_t))                                \
  X(WSASetServiceW, "WSASetServiceW", int, (void*, std::uint16_t, std::uint32_t))                                \
  X(WSASetService, "WSASetServiceA", int, (void*, std::uint16_t, std::uint32_t))                                 \
  X(WSAProviderConfigChange, "WSAProviderConfigChange", int, (void**, void*, void*))

// Extension functions handed out by the provider through WSAIoctl.
#define NET_WINSOCK_EXTENSIONS(X)                                                                                 \
  X(TransmitFile, WSAID_TRANSMITFILE, int,                                                                        \
    (SOCKET, HANDLE, std::uint32_t, std::uint32_t, void*, TRANSMIT_FILE_BUFFERS*, std::uint32_t))                 \
  X(ConnectEx, WSAID_CONNECTEX, int, (SOCKET, const ws::sockaddr*, int, void*, std::uint32_t, std::uint32_t*, void*)) \
  X(DisconnectEx, WSAID_DISCONNECTEX, int, (SOCKET, void*, std::uint32_t, std::uint32_t))                        \
  X(WSARecvMsg, WSAID_WSARECVMSG, int, (SOCKET, WSAMSG*, std::uint32_t*, void*, void*))                          \
  X(TransmitPackets, WSAID_TRANSMITPACKETS, int, (SOCKET, void*, std::uint32_t, std::uint32_t, void*, std::uint32_t)) \
  X(WSASendMsg, WSAID_WSASENDMSG, int, (SOCKET, WSAMSG*, std::uint32_t, std::uint32_t*, void*, void*))           \
  X(WSAPoll, WSAID_WSAPOLL, int, (WSAPOLLFD*, std::uint32_t, int))

#define NET_WINSOCK_DECLARE(var, name, R, PARAMS) extern WsFunction<R PARAMS> var;
NET_WINSOCK_FUNCTIONS(NET_WINSOCK_DECLARE)
NET_WINSOCK_EXTENSIONS(NET_WINSOCK_DECLARE)
#undef NET_WINSOCK_DECLARE

extern WsFunction<int(SOCKET, SOCKET, void*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t*, void*)>
    AcceptEx;
// No stub: filled by the first AcceptEx call.
extern WsFunction<void(void*, std::uint32_t, std::uint32_t, std::uint32_t, ws::sockaddr**, int*, ws::sockaddr**, int*)>
    GetAcceptExSockaddrs;
// From "MSWSOCK.DLL", which its stub loads itself.
extern WsFunction<int(SOCKET, char*, int, int*)> WSARecvEx;

// Number of function variables (110 + 8 + WSARecvEx + GetAcceptExSockaddrs).
std::size_t WinsockFunctionCount();

bool IsWinsockLoaded();
void* WinsockLibraryHandle();
void* ExtensionLibraryHandle();
// Loads "WS2_32.DLL" and starts it at version 2.2; nothing when loaded.
// ENetWinsockStubError on failure, leaving the library unloaded.
void LoadWinsockLibrary();
// Frees "MSWSOCK.DLL", cleans up and frees "WS2_32.DLL". The variables go
// back to their stubs, so nothing can call into a freed library and a later
// load binds afresh.
void UnloadWinsockLibrary();
// Points every stubbed variable at its stub (done at start-up).
void InstallWinsockStubs();
// The address of an extension function from the provider of a socket.
void* LookupExtensionFunction(SOCKET s, const char* name, const GUID* guid);

inline std::uint32_t AlignControlMessageLength(std::uint32_t n) { return (n + 3) & ~3u; }

}  // namespace net::winsock
