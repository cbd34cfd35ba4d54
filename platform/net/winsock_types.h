// Structures and numbers of the Windows socket interface, in the layout the
// socket library's callers use (64-bit). The shim module translates them to
// and from POSIX sockets. Names carry a WS_ prefix where the POSIX headers
// define a macro of the same name.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ws {

using SOCKET = std::uintptr_t;
inline constexpr SOCKET INVALID_SOCKET = ~static_cast<SOCKET>(0);
inline constexpr int SOCKET_ERROR = -1;
using HANDLE = std::intptr_t;  // a file descriptor here

struct WSADATA {
  std::uint16_t wVersion;
  std::uint16_t wHighVersion;
  std::uint16_t iMaxSockets;
  std::uint16_t iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[257];
  char szSystemStatus[129];
};

inline constexpr std::uint32_t WS_FD_SETSIZE = 64;
struct fd_set {
  std::uint32_t fd_count;
  SOCKET fd_array[WS_FD_SETSIZE];
};
struct timeval {
  std::int32_t tv_sec;
  std::int32_t tv_usec;
};

struct in_addr {
  std::uint32_t s_addr;  // network order
};
struct sockaddr {
  std::uint16_t sa_family;
  char sa_data[14];
};
struct sockaddr_in {
  std::int16_t sin_family;
  std::uint16_t sin_port;
  in_addr sin_addr;
  char sin_zero[8];
};
struct in6_addr {
  std::uint8_t s6_addr[16];
};
struct sockaddr_in6 {
  std::int16_t sin6_family;
  std::uint16_t sin6_port;
  std::uint32_t sin6_flowinfo;
  in6_addr sin6_addr;
  std::uint32_t sin6_scope_id;
};
struct sockaddr_storage {
  std::int16_t ss_family;
  char ss_pad[126];
};
static_assert(sizeof(sockaddr_in) == 16 && sizeof(sockaddr_in6) == 28 && sizeof(sockaddr_storage) == 128);

struct hostent {
  char* h_name;
  char** h_aliases;
  std::int16_t h_addrtype;
  std::int16_t h_length;
  char** h_addr_list;
};
struct servent {
  char* s_name;
  char** s_aliases;
  char* s_proto;
  std::int16_t s_port;  // network order
};
struct protoent {
  char* p_name;
  char** p_aliases;
  std::int16_t p_proto;
};
struct addrinfo {
  int ai_flags;
  int ai_family;
  int ai_socktype;
  int ai_protocol;
  std::size_t ai_addrlen;
  char* ai_canonname;
  sockaddr* ai_addr;
  addrinfo* ai_next;
};
struct linger {
  std::uint16_t l_onoff;
  std::uint16_t l_linger;
};
struct WSABUF {
  std::uint32_t len;
  char* buf;
};
struct WSAMSG {
  sockaddr* name;
  int namelen;
  WSABUF* lpBuffers;
  std::uint32_t dwBufferCount;
  WSABUF Control;
  std::uint32_t dwFlags;
};
struct WSAPOLLFD {
  SOCKET fd;
  std::int16_t events;
  std::int16_t revents;
};
struct TRANSMIT_FILE_BUFFERS {
  void* Head;
  std::uint32_t HeadLength;
  void* Tail;
  std::uint32_t TailLength;
};
struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

// Extension functions handed out through WSAIoctl.
inline constexpr GUID WSAID_ACCEPTEX = {0xb5367df1, 0xcbac, 0x11cf, {0x95, 0xca, 0x00, 0x80, 0x5f, 0x48, 0xa1, 0x92}};
inline constexpr GUID WSAID_CONNECTEX = {0x25a207b9, 0xddf3, 0x4660, {0x8e, 0xe9, 0x76, 0xe5, 0x8c, 0x74, 0x06, 0x3e}};
inline constexpr GUID WSAID_DISCONNECTEX = {0x7fda2e11, 0x8630, 0x436f, {0xa0, 0x31, 0xf5, 0x36, 0xa6, 0xee, 0xc1, 0x57}};
inline constexpr GUID WSAID_GETACCEPTEXSOCKADDRS = {
    0xb5367df2, 0xcbac, 0x11cf, {0x95, 0xca, 0x00, 0x80, 0x5f, 0x48, 0xa1, 0x92}};
inline constexpr GUID WSAID_TRANSMITFILE = {0xb5367df0, 0xcbac, 0x11cf, {0x95, 0xca, 0x00, 0x80, 0x5f, 0x48, 0xa1, 0x92}};
inline constexpr GUID WSAID_TRANSMITPACKETS = {
    0xd9689da0, 0x1f90, 0x11d3, {0x99, 0x71, 0x00, 0xc0, 0x4f, 0x68, 0xc8, 0x76}};
inline constexpr GUID WSAID_WSAPOLL = {0x18C76F85, 0xDC66, 0x4964, {0x97, 0x2E, 0x23, 0xC2, 0x72, 0x38, 0x31, 0x2B}};
inline constexpr GUID WSAID_WSARECVMSG = {0xf689d7c8, 0x6f1f, 0x436b, {0x8a, 0x53, 0xe5, 0x4f, 0xe3, 0x51, 0xc3, 0x22}};
inline constexpr GUID WSAID_WSASENDMSG = {0xa441e712, 0x754f, 0x43ca, {0x84, 0xa7, 0x0d, 0xee, 0x44, 0xcf, 0x60, 0x6d}};

// One entry of the protocol list (WSAEnumProtocols), in its 8-bit and wide
// forms.
struct WSAPROTOCOLCHAIN {
  int ChainLen;
  std::uint32_t ChainEntries[7];
};
template <typename Char>
struct WSAPROTOCOL_INFO_T {
  std::uint32_t dwServiceFlags1;
  std::uint32_t dwServiceFlags2;
  std::uint32_t dwServiceFlags3;
  std::uint32_t dwServiceFlags4;
  std::uint32_t dwProviderFlags;
  GUID ProviderId;
  std::uint32_t dwCatalogEntryId;
  WSAPROTOCOLCHAIN ProtocolChain;
  int iVersion;
  int iAddressFamily;
  int iMaxSockAddr;
  int iMinSockAddr;
  int iSocketType;
  int iProtocol;
  int iProtocolMaxOffset;
  int iNetworkByteOrder;
  int iSecurityScheme;
  std::uint32_t dwMessageSize;
  std::uint32_t dwProviderReserved;
  Char szProtocol[256];
};
using WSAPROTOCOL_INFOA = WSAPROTOCOL_INFO_T<char>;
using WSAPROTOCOL_INFOW = WSAPROTOCOL_INFO_T<char16_t>;
static_assert(sizeof(WSAPROTOCOL_INFOA) == 372 && sizeof(WSAPROTOCOL_INFOW) == 628);
static_assert(offsetof(WSAPROTOCOL_INFOA, iAddressFamily) == 76);
inline constexpr std::uint32_t XP1_CONNECTIONLESS = 0x1, XP1_GUARANTEED_DELIVERY = 0x2, XP1_GUARANTEED_ORDER = 0x4,
                               XP1_MESSAGE_ORIENTED = 0x8, XP1_GRACEFUL_CLOSE = 0x20, XP1_EXPEDITED_DATA = 0x40,
                               XP1_SUPPORT_BROADCAST = 0x200, XP1_SUPPORT_MULTIPOINT = 0x400,
                               XP1_IFS_HANDLES = 0x20000;

// Families, types, levels and options.
inline constexpr int WS_AF_UNSPEC = 0, WS_AF_INET = 2, WS_AF_INET6 = 23;
inline constexpr int WS_SOCK_STREAM = 1, WS_SOCK_DGRAM = 2, WS_SOCK_RAW = 3;
inline constexpr int WS_IPPROTO_IP = 0, WS_IPPROTO_TCP = 6, WS_IPPROTO_UDP = 17, WS_IPPROTO_IPV6 = 41;
inline constexpr int WS_SOL_SOCKET = 0xFFFF;
inline constexpr int WS_SO_DEBUG = 0x0001, WS_SO_ACCEPTCONN = 0x0002, WS_SO_REUSEADDR = 0x0004,
                     WS_SO_KEEPALIVE = 0x0008, WS_SO_DONTROUTE = 0x0010, WS_SO_BROADCAST = 0x0020,
                     WS_SO_LINGER = 0x0080, WS_SO_OOBINLINE = 0x0100, WS_SO_DONTLINGER = ~0x0080,
                     WS_SO_SNDBUF = 0x1001, WS_SO_RCVBUF = 0x1002, WS_SO_SNDLOWAT = 0x1003,
                     WS_SO_RCVLOWAT = 0x1004, WS_SO_SNDTIMEO = 0x1005, WS_SO_RCVTIMEO = 0x1006,
                     WS_SO_ERROR = 0x1007, WS_SO_TYPE = 0x1008;
inline constexpr int WS_IP_OPTIONS = 1, WS_IP_HDRINCL = 2, WS_IP_TOS = 3, WS_IP_TTL = 4, WS_IP_MULTICAST_IF = 9,
                     WS_IP_MULTICAST_TTL = 10, WS_IP_MULTICAST_LOOP = 11, WS_IP_ADD_MEMBERSHIP = 12,
                     WS_IP_DROP_MEMBERSHIP = 13, WS_IP_PKTINFO = 19;
inline constexpr int WS_IPV6_UNICAST_HOPS = 4, WS_IPV6_MULTICAST_IF = 9, WS_IPV6_MULTICAST_HOPS = 10,
                     WS_IPV6_MULTICAST_LOOP = 11, WS_IPV6_ADD_MEMBERSHIP = 12, WS_IPV6_DROP_MEMBERSHIP = 13,
                     WS_IPV6_PKTINFO = 19, WS_IPV6_V6ONLY = 27;
inline constexpr int WS_TCP_NODELAY = 1, WS_TCP_KEEPALIVE = 3, WS_TCP_KEEPCNT = 16, WS_TCP_KEEPINTVL = 17;
inline constexpr int WS_MSG_OOB = 1, WS_MSG_PEEK = 2, WS_MSG_DONTROUTE = 4, WS_MSG_WAITALL = 8,
                     WS_MSG_PARTIAL = 0x8000, WS_MSG_TRUNC = 0x0100, WS_MSG_CTRUNC = 0x0200;
inline constexpr int WS_SD_RECEIVE = 0, WS_SD_SEND = 1, WS_SD_BOTH = 2;
inline constexpr long WS_FIONBIO = static_cast<long>(0x8004667EL), WS_FIONREAD = 0x4004667FL,
                      WS_SIOCATMARK = 0x40047307L;
inline constexpr std::uint32_t SIO_GET_EXTENSION_FUNCTION_POINTER = 0xC8000006u;
inline constexpr std::uint32_t SIO_ROUTING_INTERFACE_QUERY = 0xC8000014u;
inline constexpr std::uint32_t SIO_KEEPALIVE_VALS = 0x98000004u;
// The record of SIO_KEEPALIVE_VALS: on/off, idle time and probe interval in ms.
struct tcp_keepalive {
  std::uint32_t onoff;
  std::uint32_t keepalivetime;
  std::uint32_t keepaliveinterval;
};
inline constexpr std::int16_t WS_POLLERR = 0x0001, WS_POLLHUP = 0x0002, WS_POLLNVAL = 0x0004,
                              WS_POLLWRNORM = 0x0010, WS_POLLWRBAND = 0x0020, WS_POLLRDNORM = 0x0100,
                              WS_POLLRDBAND = 0x0200, WS_POLLPRI = 0x0400;
inline constexpr std::uint32_t WS_INADDR_NONE = 0xFFFFFFFFu;

// Name-resolution flags.
inline constexpr int WS_AI_PASSIVE = 0x01, WS_AI_CANONNAME = 0x02, WS_AI_NUMERICHOST = 0x04,
                     WS_AI_NUMERICSERV = 0x08, WS_AI_ALL = 0x0100, WS_AI_ADDRCONFIG = 0x0400,
                     WS_AI_V4MAPPED = 0x0800;
inline constexpr int WS_NI_NOFQDN = 0x01, WS_NI_NUMERICHOST = 0x02, WS_NI_NAMEREQD = 0x04,
                     WS_NI_NUMERICSERV = 0x08, WS_NI_DGRAM = 0x10;
inline constexpr int WS_NI_MAXHOST = 1025, WS_NI_MAXSERV = 32;

// Error numbers.
enum : int {
  WSA_NOT_ENOUGH_MEMORY = 8,
  WSAEINTR = 10004,
  WSAEBADF = 10009,
  WSAEACCES = 10013,
  WSAEFAULT = 10014,
  WSAEINVAL = 10022,
  WSAEMFILE = 10024,
  WSAEWOULDBLOCK = 10035,
  WSAEINPROGRESS = 10036,
  WSAEALREADY = 10037,
  WSAENOTSOCK = 10038,
  WSAEDESTADDRREQ = 10039,
  WSAEMSGSIZE = 10040,
  WSAEPROTOTYPE = 10041,
  WSAENOPROTOOPT = 10042,
  WSAEPROTONOSUPPORT = 10043,
  WSAESOCKTNOSUPPORT = 10044,
  WSAEOPNOTSUPP = 10045,
  WSAEPFNOSUPPORT = 10046,
  WSAEAFNOSUPPORT = 10047,
  WSAEADDRINUSE = 10048,
  WSAEADDRNOTAVAIL = 10049,
  WSAENETDOWN = 10050,
  WSAENETUNREACH = 10051,
  WSAENETRESET = 10052,
  WSAECONNABORTED = 10053,
  WSAECONNRESET = 10054,
  WSAENOBUFS = 10055,
  WSAEISCONN = 10056,
  WSAENOTCONN = 10057,
  WSAESHUTDOWN = 10058,
  WSAETOOMANYREFS = 10059,
  WSAETIMEDOUT = 10060,
  WSAECONNREFUSED = 10061,
  WSAELOOP = 10062,
  WSAENAMETOOLONG = 10063,
  WSAEHOSTDOWN = 10064,
  WSAEHOSTUNREACH = 10065,
  WSAENOTEMPTY = 10066,
  WSASYSNOTREADY = 10091,
  WSAVERNOTSUPPORTED = 10092,
  WSANOTINITIALISED = 10093,
  WSATYPE_NOT_FOUND = 10109,
  WSAHOST_NOT_FOUND = 11001,
  WSATRY_AGAIN = 11002,
  WSANO_RECOVERY = 11003,
  WSANO_DATA = 11004,
};

}  // namespace ws
