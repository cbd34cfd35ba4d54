// The socket calls of the shim module, Windows-shaped over POSIX sockets.
// winsock_shim_exports.cpp exports them under their Windows names.
#pragma once

#include "platform/net/winsock_types.h"

namespace wsshim {

using namespace ws;

int Startup(std::uint16_t version, WSADATA* data);
int Cleanup();
int GetLastErr();
void SetLastErr(int code);
// errno -> Windows socket error number.
int SocketErrorFromErrno(int err);

SOCKET Socket(int af, int type, int protocol);
int CloseSocket(SOCKET s);
int Bind(SOCKET s, const sockaddr* name, int namelen);
int Connect(SOCKET s, const sockaddr* name, int namelen);
int Listen(SOCKET s, int backlog);
SOCKET Accept(SOCKET s, sockaddr* addr, int* addrlen);
int Shutdown(SOCKET s, int how);
int Send(SOCKET s, const char* buf, int len, int flags);
int SendTo(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen);
int Recv(SOCKET s, char* buf, int len, int flags);
int RecvFrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen);
int RecvEx(SOCKET s, char* buf, int len, int* flags);
int Select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const ws::timeval* timeout);
int FDIsSet(SOCKET s, fd_set* set);
int IoctlSocket(SOCKET s, long cmd, std::uint32_t* argp);
int GetSockOpt(SOCKET s, int level, int optname, char* optval, int* optlen);
int SetSockOpt(SOCKET s, int level, int optname, const char* optval, int optlen);
int GetPeerName(SOCKET s, sockaddr* name, int* namelen);
int GetSockName(SOCKET s, sockaddr* name, int* namelen);
int GetHostName(char* name, int namelen);
hostent* GetHostByName(const char* name);
hostent* GetHostByAddr(const char* addr, int len, int type);
servent* GetServByName(const char* name, const char* proto);
servent* GetServByPort(int port, const char* proto);
protoent* GetProtoByName(const char* name);
protoent* GetProtoByNumber(int number);
std::uint32_t InetAddr(const char* cp);
char* InetNtoa(in_addr in);
int InetPton(int family, const char* src, void* dst);
const char* InetNtop(int family, const void* src, char* dst, std::size_t size);
int GetAddrInfo(const char* node, const char* service, const addrinfo* hints, addrinfo** res);
void FreeAddrInfo(addrinfo* ai);
int GetNameInfo(const sockaddr* sa, int salen, char* host, std::uint32_t hostlen, char* serv, std::uint32_t servlen,
                int flags);
int WsaIoctl(SOCKET s, std::uint32_t code, void* in, std::uint32_t inlen, void* out, std::uint32_t outlen,
             std::uint32_t* returned, void* overlapped, void* completion);
// The protocol list: one entry per family and socket type this module can
// open now, optionally only those of the protocols in the zero-ended list.
int EnumProtocolsA(const int* protocols, WSAPROTOCOL_INFOA* buffer, std::uint32_t* length);
int EnumProtocolsW(const int* protocols, WSAPROTOCOL_INFOW* buffer, std::uint32_t* length);
SOCKET WsaSocket(int af, int type, int protocol, void* info, std::uint32_t group, std::uint32_t flags);
int WsaPoll(WSAPOLLFD* fds, std::uint32_t count, int timeout);
int WsaRecvMsg(SOCKET s, WSAMSG* msg, std::uint32_t* received, void* overlapped, void* completion);
int WsaSendMsg(SOCKET s, WSAMSG* msg, std::uint32_t flags, std::uint32_t* sent, void* overlapped, void* completion);
int TransmitFile(SOCKET s, HANDLE file, std::uint32_t bytes, std::uint32_t perSend, void* overlapped,
                 TRANSMIT_FILE_BUFFERS* buffers, std::uint32_t flags);

}  // namespace wsshim
