// The shim module's exports under their Windows names. This file sees no
// POSIX header, so the names do not meet the C library's declarations; the
// module is loaded with local binding, so it never stands in for the C
// library's own functions either.
#include "platform/net/ws2_32/winsock_shim.h"

#define WS_EXPORT extern "C" __attribute__((visibility("default")))

using namespace ws;

WS_EXPORT int WSAStartup(std::uint16_t version, WSADATA* data) {
#ifdef JQ_WS_STARTUP_RESULT
  (void)version;
  (void)data;
  return JQ_WS_STARTUP_RESULT;
#else
  return wsshim::Startup(version, data);
#endif
}
WS_EXPORT int WSACleanup() { return wsshim::Cleanup(); }
WS_EXPORT int WSAGetLastError() { return wsshim::GetLastErr(); }
WS_EXPORT void WSASetLastError(int code) { wsshim::SetLastErr(code); }
WS_EXPORT SOCKET socket(int af, int type, int protocol) { return wsshim::Socket(af, type, protocol); }
WS_EXPORT SOCKET WSASocketA(int af, int type, int protocol, void* info, std::uint32_t g, std::uint32_t flags) {
  return wsshim::WsaSocket(af, type, protocol, info, g, flags);
}
WS_EXPORT SOCKET WSASocketW(int af, int type, int protocol, void* info, std::uint32_t g, std::uint32_t flags) {
  return wsshim::WsaSocket(af, type, protocol, info, g, flags);
}
WS_EXPORT int WSAEnumProtocolsA(int* protocols, WSAPROTOCOL_INFOA* buffer, std::uint32_t* length) {
  return wsshim::EnumProtocolsA(protocols, buffer, length);
}
WS_EXPORT int WSAEnumProtocolsW(int* protocols, WSAPROTOCOL_INFOW* buffer, std::uint32_t* length) {
  return wsshim::EnumProtocolsW(protocols, buffer, length);
}
WS_EXPORT int closesocket(SOCKET s) { return wsshim::CloseSocket(s); }
WS_EXPORT int bind(SOCKET s, const sockaddr* name, int namelen) { return wsshim::Bind(s, name, namelen); }
WS_EXPORT int connect(SOCKET s, const sockaddr* name, int namelen) { return wsshim::Connect(s, name, namelen); }
#ifndef JQ_WS_OMIT_LISTEN
WS_EXPORT int listen(SOCKET s, int backlog) { return wsshim::Listen(s, backlog); }
#endif
WS_EXPORT SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen) { return wsshim::Accept(s, addr, addrlen); }
WS_EXPORT int shutdown(SOCKET s, int how) { return wsshim::Shutdown(s, how); }
WS_EXPORT int send(SOCKET s, const char* buf, int len, int flags) { return wsshim::Send(s, buf, len, flags); }
WS_EXPORT int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
  return wsshim::SendTo(s, buf, len, flags, to, tolen);
}
WS_EXPORT int recv(SOCKET s, char* buf, int len, int flags) { return wsshim::Recv(s, buf, len, flags); }
WS_EXPORT int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
  return wsshim::RecvFrom(s, buf, len, flags, from, fromlen);
}
WS_EXPORT int WSARecvEx(SOCKET s, char* buf, int len, int* flags) { return wsshim::RecvEx(s, buf, len, flags); }
WS_EXPORT int select(int nfds, fd_set* r, fd_set* w, fd_set* e, const ws::timeval* t) {
  return wsshim::Select(nfds, r, w, e, t);
}
WS_EXPORT int __WSAFDIsSet(SOCKET s, fd_set* set) { return wsshim::FDIsSet(s, set); }
WS_EXPORT int ioctlsocket(SOCKET s, long cmd, std::uint32_t* argp) { return wsshim::IoctlSocket(s, cmd, argp); }
WS_EXPORT int getsockopt(SOCKET s, int level, int name, char* val, int* len) {
  return wsshim::GetSockOpt(s, level, name, val, len);
}
WS_EXPORT int setsockopt(SOCKET s, int level, int name, const char* val, int len) {
  return wsshim::SetSockOpt(s, level, name, val, len);
}
WS_EXPORT int getpeername(SOCKET s, sockaddr* name, int* len) { return wsshim::GetPeerName(s, name, len); }
WS_EXPORT int getsockname(SOCKET s, sockaddr* name, int* len) { return wsshim::GetSockName(s, name, len); }
WS_EXPORT int gethostname(char* name, int len) { return wsshim::GetHostName(name, len); }
WS_EXPORT hostent* gethostbyname(const char* name) { return wsshim::GetHostByName(name); }
WS_EXPORT hostent* gethostbyaddr(const char* addr, int len, int type) {
  return wsshim::GetHostByAddr(addr, len, type);
}
WS_EXPORT servent* getservbyname(const char* name, const char* proto) { return wsshim::GetServByName(name, proto); }
WS_EXPORT servent* getservbyport(int port, const char* proto) { return wsshim::GetServByPort(port, proto); }
WS_EXPORT protoent* getprotobyname(const char* name) { return wsshim::GetProtoByName(name); }
WS_EXPORT protoent* getprotobynumber(int number) { return wsshim::GetProtoByNumber(number); }
WS_EXPORT std::uint32_t inet_addr(const char* cp) { return wsshim::InetAddr(cp); }
WS_EXPORT char* inet_ntoa(in_addr in) { return wsshim::InetNtoa(in); }
WS_EXPORT int inet_pton(int family, const char* src, void* dst) { return wsshim::InetPton(family, src, dst); }
WS_EXPORT const char* inet_ntop(int family, const void* src, char* dst, std::size_t size) {
  return wsshim::InetNtop(family, src, dst, size);
}
static std::uint32_t Swap32(std::uint32_t v) { return __builtin_bswap32(v); }
static std::uint16_t Swap16(std::uint16_t v) { return __builtin_bswap16(v); }
WS_EXPORT std::uint32_t htonl(std::uint32_t v) { return Swap32(v); }
WS_EXPORT std::uint32_t ntohl(std::uint32_t v) { return Swap32(v); }
WS_EXPORT std::uint16_t htons(std::uint16_t v) { return Swap16(v); }
WS_EXPORT std::uint16_t ntohs(std::uint16_t v) { return Swap16(v); }
WS_EXPORT int WSAHtonl(SOCKET, std::uint32_t v, std::uint32_t* out) {
  if (!out) return wsshim::SetLastErr(WSAEFAULT), SOCKET_ERROR;
  *out = Swap32(v);
  return 0;
}
WS_EXPORT int WSANtohl(SOCKET s, std::uint32_t v, std::uint32_t* out) { return WSAHtonl(s, v, out); }
WS_EXPORT int WSAHtons(SOCKET, std::uint16_t v, std::uint16_t* out) {
  if (!out) return wsshim::SetLastErr(WSAEFAULT), SOCKET_ERROR;
  *out = Swap16(v);
  return 0;
}
WS_EXPORT int WSANtohs(SOCKET s, std::uint16_t v, std::uint16_t* out) { return WSAHtons(s, v, out); }
WS_EXPORT int WSAIoctl(SOCKET s, std::uint32_t code, void* in, std::uint32_t inlen, void* out, std::uint32_t outlen,
                       std::uint32_t* returned, void* overlapped, void* completion) {
  return wsshim::WsaIoctl(s, code, in, inlen, out, outlen, returned, overlapped, completion);
}
#ifndef JQ_WS_OMIT_ADDRINFO
WS_EXPORT int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** res) {
  return wsshim::GetAddrInfo(node, service, hints, res);
}
WS_EXPORT void freeaddrinfo(addrinfo* ai) { wsshim::FreeAddrInfo(ai); }
WS_EXPORT int getnameinfo(const sockaddr* sa, int salen, char* host, std::uint32_t hostlen, char* serv,
                          std::uint32_t servlen, int flags) {
  return wsshim::GetNameInfo(sa, salen, host, hostlen, serv, servlen, flags);
}
#endif
