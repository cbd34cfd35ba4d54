// Protocol-independent name resolution, bound once when the stack is first
// made: from the socket library, else from the IPv6 support library, else an
// IPv4-only emulation over the classic lookups.
#pragma once

#include <cstdint>

#include "transport/tcp/core/net_winsock2.h"

namespace net::winsock {

using GetAddrInfoFn = int (*)(const char*, const char*, const ws::addrinfo*, ws::addrinfo**);
using GetNameInfoFn = int (*)(const ws::sockaddr*, int, char*, std::uint32_t, char*, std::uint32_t, int);
using FreeAddrInfoFn = void (*)(ws::addrinfo*);

// Empty until LoadAddrInfoFunctions; then all three from one library or all
// three the emulation's.
extern WsFunction<int(const char*, const char*, const ws::addrinfo*, ws::addrinfo**)> getaddrinfo;
extern WsFunction<int(const ws::sockaddr*, int, char*, std::uint32_t, char*, std::uint32_t, int)> getnameinfo;
extern WsFunction<void(ws::addrinfo*)> freeaddrinfo;
// Optional; nothing here calls them.
extern WsFunction<int(int, const char*, void*)> inet_pton;
extern WsFunction<const char*(int, const void*, char*, std::size_t)> inet_ntop;
extern WsFunction<int(const char*, const char*, std::uint32_t, GUID*, const void*, void**, void*, void*, void*, void**)>
    GetAddrInfoExA;
extern WsFunction<int(const char*, const char*, void*, std::uint32_t, void*, std::uint32_t, GUID*, void*, void*, void*,
                      void**)>
    SetAddrInfoExA;
extern WsFunction<void(void*)> FreeAddrInfoEx;
extern WsFunction<int(SOCKET, const void*, std::uint32_t)> WSASetSocketSecurity;
extern WsFunction<int(SOCKET, const void*, std::uint32_t, void*, std::uint32_t*, void*, void*)> WSAQuerySocketSecurity;
extern WsFunction<int(SOCKET, const ws::sockaddr*, std::uint32_t, void*, void*)> WSASetSocketPeerTargetName;
extern WsFunction<int(SOCKET, const ws::sockaddr*, std::uint32_t, void*, void*)> WSADeleteSocketPeerTargetName;
extern WsFunction<int(SOCKET, const ws::sockaddr*, std::uint32_t)> WSAImpersonateSocketPeer;
extern WsFunction<int()> WSARevertImpersonation;

void LoadAddrInfoFunctions();
void UnloadAddrInfoFunctions();
// The module the three were taken from (the socket library or "Wship6.dll"),
// nullptr when emulated or unbound.
void* AddrInfoSource();
bool AddrInfoEmulated();

// Address-information result -> socket error code; 11 raises the runtime's
// operating-system error for the last system error.
std::int32_t MapAddrInfoError(std::int32_t code);

int EmulatedGetAddrInfo(const char* node, const char* service, const ws::addrinfo* hints, ws::addrinfo** res);
int EmulatedGetNameInfo(const ws::sockaddr* sa, int salen, char* host, std::uint32_t hostlen, char* serv,
                        std::uint32_t servlen, int flags);
void EmulatedFreeAddrInfo(ws::addrinfo* ai);

}  // namespace net::winsock
