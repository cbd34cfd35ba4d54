#include "platform/net/ws2_32/winsock_shim.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/runtime/exceptions.h"

namespace wsshim {

// The Windows records by their plain names; the POSIX ones are written ::x.
using ws::addrinfo;
using ws::fd_set;
using ws::hostent;
using ws::in_addr;
using ws::protoent;
using ws::servent;
using ws::sockaddr;
using ws::sockaddr_storage;

namespace {

thread_local int t_lastError = 0;
std::atomic<int> g_startups{0};

int Fail(int code) {
  t_lastError = code;
  return SOCKET_ERROR;
}
int FailErrno() { return Fail(SocketErrorFromErrno(errno)); }

bool Started() {
  if (g_startups.load() > 0) return true;
  t_lastError = WSANOTINITIALISED;
  return false;
}

int Fd(SOCKET s) { return s > 0x7FFFFFFF ? -1 : static_cast<int>(s); }

int FamilyToPosix(int af) {
  switch (af) {
    case WS_AF_UNSPEC: return AF_UNSPEC;
    case WS_AF_INET: return AF_INET;
    case WS_AF_INET6: return AF_INET6;
    default: return -1;
  }
}
int FamilyFromPosix(int af) { return af == AF_INET6 ? WS_AF_INET6 : af == AF_INET ? WS_AF_INET : af; }

// A Windows address in, a POSIX address out (the layouts differ only in the
// family number).
bool AddressIn(const sockaddr* name, int namelen, sockaddr_storage& out, socklen_t& len) {
  if (!name || namelen < static_cast<int>(sizeof(std::uint16_t)) || namelen > static_cast<int>(sizeof(out))) {
    t_lastError = WSAEFAULT;
    return false;
  }
  std::memset(&out, 0, sizeof out);
  std::memcpy(&out, name, static_cast<std::size_t>(namelen));
  auto* sa = reinterpret_cast<::sockaddr*>(&out);
  const int af = FamilyToPosix(name->sa_family);
  if (af < 0) {
    t_lastError = WSAEAFNOSUPPORT;
    return false;
  }
  sa->sa_family = static_cast<sa_family_t>(af);
  if ((af == AF_INET && namelen < 16) || (af == AF_INET6 && namelen < 28)) {
    t_lastError = WSAEFAULT;
    return false;
  }
  len = static_cast<socklen_t>(namelen);
  return true;
}

// A POSIX address out to a Windows buffer; WSAEFAULT when it does not fit.
bool AddressOut(const ::sockaddr_storage& in, socklen_t len, sockaddr* name, int* namelen) {
  if (!name || !namelen) return true;
  if (*namelen < 0 || static_cast<socklen_t>(*namelen) < len) {
    t_lastError = WSAEFAULT;
    return false;
  }
  std::memcpy(name, &in, len);
  name->sa_family = static_cast<std::uint16_t>(FamilyFromPosix(in.ss_family));
  *namelen = static_cast<int>(len);
  return true;
}

bool FlagsToPosix(int flags, int& out) {
  out = MSG_NOSIGNAL;  // a reset peer is an error result, never a signal
  if (flags & WS_MSG_OOB) out |= MSG_OOB;
  if (flags & WS_MSG_PEEK) out |= MSG_PEEK;
  if (flags & WS_MSG_DONTROUTE) out |= MSG_DONTROUTE;
  if (flags & WS_MSG_WAITALL) out |= MSG_WAITALL;
  if (flags & ~(WS_MSG_OOB | WS_MSG_PEEK | WS_MSG_DONTROUTE | WS_MSG_WAITALL)) {
    t_lastError = WSAEOPNOTSUPP;
    return false;
  }
  return true;
}

// EAGAIN on a blocking socket: its receive time-out (SO_RCVTIMEO) passed,
// which the Windows calls report as WSAETIMEDOUT, not as "would block".
bool ReceiveTimedOut(int fd) {
  const int fl = ::fcntl(fd, F_GETFL);
  return fl >= 0 && !(fl & O_NONBLOCK);
}

int ClampLen(int len) { return len < 0 ? 0 : len; }

// --- per-thread records of the classic lookups ---------------------------
// Copies a null-ended list of texts and makes the list of pointers to them.
void CopyList(char** src, std::vector<std::string>& texts, std::vector<char*>& ptrs) {
  for (char** a = src; a && *a; ++a) texts.emplace_back(*a);
  for (auto& t : texts) ptrs.push_back(t.data());
  ptrs.push_back(nullptr);
}

struct HostRecord {
  hostent h{};
  std::string name;
  std::vector<std::string> aliases;
  std::vector<char*> aliasPtrs;
  std::vector<std::vector<char>> addrs;
  std::vector<char*> addrPtrs;
};
thread_local HostRecord t_host;

hostent* FillHost(const ::hostent* src) {
  HostRecord& r = t_host;
  r = HostRecord();
  r.name = src->h_name ? src->h_name : "";
  CopyList(src->h_aliases, r.aliases, r.aliasPtrs);
  for (char** a = src->h_addr_list; a && *a; ++a) r.addrs.emplace_back(*a, *a + src->h_length);
  for (auto& a : r.addrs) r.addrPtrs.push_back(a.data());
  r.addrPtrs.push_back(nullptr);
  r.h.h_name = r.name.data();
  r.h.h_aliases = r.aliasPtrs.data();
  r.h.h_addrtype = static_cast<std::int16_t>(FamilyFromPosix(src->h_addrtype));
  r.h.h_length = static_cast<std::int16_t>(src->h_length);
  r.h.h_addr_list = r.addrPtrs.data();
  return &r.h;
}

int HostError(int herr) {
  switch (herr) {
    case HOST_NOT_FOUND: return WSAHOST_NOT_FOUND;
    case TRY_AGAIN: return WSATRY_AGAIN;
    case NO_RECOVERY: return WSANO_RECOVERY;
    case NO_DATA: return WSANO_DATA;
    default: return WSAHOST_NOT_FOUND;
  }
}

struct ServRecord {
  servent s{};
  std::string name, proto;
  std::vector<std::string> aliases;
  std::vector<char*> aliasPtrs;
};
thread_local ServRecord t_serv;

servent* FillServ(const ::servent* src) {
  ServRecord& r = t_serv;
  r = ServRecord();
  r.name = src->s_name ? src->s_name : "";
  r.proto = src->s_proto ? src->s_proto : "";
  CopyList(src->s_aliases, r.aliases, r.aliasPtrs);
  r.s.s_name = r.name.data();
  r.s.s_aliases = r.aliasPtrs.data();
  r.s.s_proto = r.proto.data();
  r.s.s_port = static_cast<std::int16_t>(src->s_port);
  return &r.s;
}

struct ProtoRecord {
  protoent p{};
  std::string name;
  std::vector<std::string> aliases;
  std::vector<char*> aliasPtrs;
};
thread_local ProtoRecord t_proto;

protoent* FillProto(const ::protoent* src) {
  ProtoRecord& r = t_proto;
  r = ProtoRecord();
  r.name = src->p_name ? src->p_name : "";
  CopyList(src->p_aliases, r.aliases, r.aliasPtrs);
  r.p.p_name = r.name.data();
  r.p.p_aliases = r.aliasPtrs.data();
  r.p.p_proto = static_cast<std::int16_t>(src->p_proto);
  return &r.p;
}

int EaiToWsa(int rc) {
  switch (rc) {
    case 0: return 0;
    case EAI_AGAIN: return WSATRY_AGAIN;
    case EAI_BADFLAGS: return WSAEINVAL;
    case EAI_FAIL: return WSANO_RECOVERY;
    case EAI_FAMILY: return WSAEAFNOSUPPORT;
    case EAI_MEMORY: return WSA_NOT_ENOUGH_MEMORY;
    case EAI_SERVICE: return WSATYPE_NOT_FOUND;
    case EAI_SOCKTYPE: return WSAESOCKTNOSUPPORT;
    case EAI_SYSTEM: return SocketErrorFromErrno(errno);
    default: return WSAHOST_NOT_FOUND;  // EAI_NONAME, EAI_NODATA, EAI_ADDRFAMILY
  }
}

// Socket option numbers: Windows (level, name) -> POSIX (level, name).
struct OptionRow {
  int level, name, posixLevel, posixName;
};
constexpr OptionRow kOptions[] = {
    {WS_SOL_SOCKET, WS_SO_DEBUG, SOL_SOCKET, SO_DEBUG},
    {WS_SOL_SOCKET, WS_SO_ACCEPTCONN, SOL_SOCKET, SO_ACCEPTCONN},
    {WS_SOL_SOCKET, WS_SO_REUSEADDR, SOL_SOCKET, SO_REUSEADDR},
    {WS_SOL_SOCKET, WS_SO_KEEPALIVE, SOL_SOCKET, SO_KEEPALIVE},
    {WS_SOL_SOCKET, WS_SO_DONTROUTE, SOL_SOCKET, SO_DONTROUTE},
    {WS_SOL_SOCKET, WS_SO_BROADCAST, SOL_SOCKET, SO_BROADCAST},
    {WS_SOL_SOCKET, WS_SO_LINGER, SOL_SOCKET, SO_LINGER},
    {WS_SOL_SOCKET, WS_SO_DONTLINGER, SOL_SOCKET, SO_LINGER},
    {WS_SOL_SOCKET, WS_SO_OOBINLINE, SOL_SOCKET, SO_OOBINLINE},
    {WS_SOL_SOCKET, WS_SO_SNDBUF, SOL_SOCKET, SO_SNDBUF},
    {WS_SOL_SOCKET, WS_SO_RCVBUF, SOL_SOCKET, SO_RCVBUF},
    {WS_SOL_SOCKET, WS_SO_SNDLOWAT, SOL_SOCKET, SO_SNDLOWAT},
    {WS_SOL_SOCKET, WS_SO_RCVLOWAT, SOL_SOCKET, SO_RCVLOWAT},
    {WS_SOL_SOCKET, WS_SO_SNDTIMEO, SOL_SOCKET, SO_SNDTIMEO},
    {WS_SOL_SOCKET, WS_SO_RCVTIMEO, SOL_SOCKET, SO_RCVTIMEO},
    {WS_SOL_SOCKET, WS_SO_ERROR, SOL_SOCKET, SO_ERROR},
    {WS_SOL_SOCKET, WS_SO_TYPE, SOL_SOCKET, SO_TYPE},
    {WS_IPPROTO_IP, WS_IP_OPTIONS, IPPROTO_IP, IP_OPTIONS},
    {WS_IPPROTO_IP, WS_IP_HDRINCL, IPPROTO_IP, IP_HDRINCL},
    {WS_IPPROTO_IP, WS_IP_TOS, IPPROTO_IP, IP_TOS},
    {WS_IPPROTO_IP, WS_IP_TTL, IPPROTO_IP, IP_TTL},
    {WS_IPPROTO_IP, WS_IP_MULTICAST_IF, IPPROTO_IP, IP_MULTICAST_IF},
    {WS_IPPROTO_IP, WS_IP_MULTICAST_TTL, IPPROTO_IP, IP_MULTICAST_TTL},
    {WS_IPPROTO_IP, WS_IP_MULTICAST_LOOP, IPPROTO_IP, IP_MULTICAST_LOOP},
    {WS_IPPROTO_IP, WS_IP_ADD_MEMBERSHIP, IPPROTO_IP, IP_ADD_MEMBERSHIP},
    {WS_IPPROTO_IP, WS_IP_DROP_MEMBERSHIP, IPPROTO_IP, IP_DROP_MEMBERSHIP},
    {WS_IPPROTO_IP, WS_IP_PKTINFO, IPPROTO_IP, IP_PKTINFO},
    {WS_IPPROTO_IPV6, WS_IPV6_UNICAST_HOPS, IPPROTO_IPV6, IPV6_UNICAST_HOPS},
    {WS_IPPROTO_IPV6, WS_IPV6_MULTICAST_IF, IPPROTO_IPV6, IPV6_MULTICAST_IF},
    {WS_IPPROTO_IPV6, WS_IPV6_MULTICAST_HOPS, IPPROTO_IPV6, IPV6_MULTICAST_HOPS},
    {WS_IPPROTO_IPV6, WS_IPV6_MULTICAST_LOOP, IPPROTO_IPV6, IPV6_MULTICAST_LOOP},
    {WS_IPPROTO_IPV6, WS_IPV6_ADD_MEMBERSHIP, IPPROTO_IPV6, IPV6_ADD_MEMBERSHIP},
    {WS_IPPROTO_IPV6, WS_IPV6_DROP_MEMBERSHIP, IPPROTO_IPV6, IPV6_DROP_MEMBERSHIP},
    {WS_IPPROTO_IPV6, WS_IPV6_PKTINFO, IPPROTO_IPV6, IPV6_RECVPKTINFO},
    {WS_IPPROTO_IPV6, WS_IPV6_V6ONLY, IPPROTO_IPV6, IPV6_V6ONLY},
    {WS_IPPROTO_TCP, WS_TCP_NODELAY, IPPROTO_TCP, TCP_NODELAY},
    // Seconds on both sides.
    {WS_IPPROTO_TCP, WS_TCP_KEEPALIVE, IPPROTO_TCP, TCP_KEEPIDLE},
    {WS_IPPROTO_TCP, WS_TCP_KEEPCNT, IPPROTO_TCP, TCP_KEEPCNT},
    {WS_IPPROTO_TCP, WS_TCP_KEEPINTVL, IPPROTO_TCP, TCP_KEEPINTVL},
};

const OptionRow* FindOption(int level, int name) {
  for (const auto& r : kOptions)
    if (r.level == level && r.name == name) return &r;
  return nullptr;
}

// Blocks SIGPIPE on this thread for calls that cannot take MSG_NOSIGNAL and
// swallows one that became pending meanwhile.
class SigPipeGuard {
 public:
  SigPipeGuard() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set_, &old_);
  }
  ~SigPipeGuard() {
    const timespec zero{0, 0};
    while (sigtimedwait(&set_, nullptr, &zero) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }

 private:
  sigset_t set_, old_;
};

}  // namespace

int SocketErrorFromErrno(int err) {
  switch (err) {
    case 0: return 0;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAENOTSOCK;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEWOULDBLOCK;  // a non-blocking connect under way
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case ENETDOWN: return WSAENETDOWN;
    case ENETRESET: return WSAENETRESET;
    case ENOBUFS: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ESHUTDOWN:
    case EPIPE: return WSAESHUTDOWN;
    case ETOOMANYREFS: return WSAETOOMANYREFS;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ELOOP: return WSAELOOP;
    case ENAMETOOLONG: return WSAENAMETOOLONG;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case ENOTEMPTY: return WSAENOTEMPTY;
    default:
      // The runtime's map knows the connection codes and the general ones.
      return static_cast<int>(rtl::WinErrorFromErrno(err));
  }
}

int GetLastErr() { return t_lastError; }
void SetLastErr(int code) { t_lastError = code; }

int Startup(std::uint16_t version, WSADATA* data) {
  const int major = version & 0xFF, minor = version >> 8;
  if (!data) return WSAEFAULT;
  if (major < 1 || (major == 1 && minor < 1)) return WSAVERNOTSUPPORTED;
  std::memset(data, 0, sizeof *data);
  data->wVersion = major > 2 || (major == 2 && minor > 2) ? 0x0202 : version;
  data->wHighVersion = 0x0202;
  std::strcpy(data->szDescription, "WinSock 2.0");
  std::strcpy(data->szSystemStatus, "Running");
  g_startups.fetch_add(1);
  return 0;
}

int Cleanup() {
  int n = g_startups.load();
  while (n > 0 && !g_startups.compare_exchange_weak(n, n - 1)) {
  }
  if (n <= 0) return Fail(WSANOTINITIALISED);
  return 0;
}

SOCKET Socket(int af, int type, int protocol) { return WsaSocket(af, type, protocol, nullptr, 0, 0); }

SOCKET WsaSocket(int af, int type, int protocol, void*, std::uint32_t, std::uint32_t) {
  if (!Started()) return INVALID_SOCKET;
  const int paf = FamilyToPosix(af);
  if (paf < 0 || paf == AF_UNSPEC) {
    t_lastError = WSAEAFNOSUPPORT;
    return INVALID_SOCKET;
  }
  const int fd = ::socket(paf, type | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    FailErrno();
    return INVALID_SOCKET;
  }
  return static_cast<SOCKET>(fd);
}

int CloseSocket(SOCKET s) {
  if (!Started()) return SOCKET_ERROR;
  return ::close(Fd(s)) == 0 ? 0 : FailErrno();
}

int Bind(SOCKET s, const sockaddr* name, int namelen) {
  if (!Started()) return SOCKET_ERROR;
  sockaddr_storage a;
  socklen_t len;
  if (!AddressIn(name, namelen, a, len)) return SOCKET_ERROR;
  return ::bind(Fd(s), reinterpret_cast<::sockaddr*>(&a), len) == 0 ? 0 : FailErrno();
}

int Connect(SOCKET s, const sockaddr* name, int namelen) {
  if (!Started()) return SOCKET_ERROR;
  sockaddr_storage a;
  socklen_t len;
  if (!AddressIn(name, namelen, a, len)) return SOCKET_ERROR;
  int rc;
  do rc = ::connect(Fd(s), reinterpret_cast<::sockaddr*>(&a), len);
  while (rc != 0 && errno == EINTR);
  return rc == 0 ? 0 : FailErrno();
}

int Listen(SOCKET s, int backlog) {
  if (!Started()) return SOCKET_ERROR;
  return ::listen(Fd(s), backlog) == 0 ? 0 : FailErrno();
}

SOCKET Accept(SOCKET s, sockaddr* addr, int* addrlen) {
  if (!Started()) return INVALID_SOCKET;
  ::sockaddr_storage a{};
  socklen_t len = sizeof a;
  int fd;
  do fd = ::accept4(Fd(s), reinterpret_cast<::sockaddr*>(&a), &len, SOCK_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    FailErrno();
    return INVALID_SOCKET;
  }
  if (!AddressOut(a, len, addr, addrlen)) {
    ::close(fd);
    return INVALID_SOCKET;
  }
  return static_cast<SOCKET>(fd);
}

int Shutdown(SOCKET s, int how) {
  if (!Started()) return SOCKET_ERROR;
  if (how < WS_SD_RECEIVE || how > WS_SD_BOTH) return Fail(WSAEINVAL);
  return ::shutdown(Fd(s), how) == 0 ? 0 : FailErrno();
}

int Send(SOCKET s, const char* buf, int len, int flags) { return SendTo(s, buf, len, flags, nullptr, 0); }

int SendTo(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
  if (!Started()) return SOCKET_ERROR;
  int pf;
  if (!FlagsToPosix(flags, pf)) return SOCKET_ERROR;
  sockaddr_storage a;
  socklen_t alen = 0;
  if (to && !AddressIn(to, tolen, a, alen)) return SOCKET_ERROR;
  ssize_t n;
  do n = ::sendto(Fd(s), buf, static_cast<std::size_t>(ClampLen(len)), pf, to ? reinterpret_cast<::sockaddr*>(&a) : nullptr,
                  alen);
  while (n < 0 && errno == EINTR);
  return n < 0 ? FailErrno() : static_cast<int>(n);
}

// Without an address to fill: a connected stream's read asks for none.
int Recv(SOCKET s, char* buf, int len, int flags) {
  if (!Started()) return SOCKET_ERROR;
  int pf;
  if (!FlagsToPosix(flags, pf)) return SOCKET_ERROR;
  ssize_t n;
  do n = ::recv(Fd(s), buf, static_cast<std::size_t>(ClampLen(len)), pf & ~MSG_NOSIGNAL);
  while (n < 0 && errno == EINTR);
  if (n < 0) return errno == EAGAIN && ReceiveTimedOut(Fd(s)) ? Fail(WSAETIMEDOUT) : FailErrno();
  return static_cast<int>(n);
}

int RecvFrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
  if (!Started()) return SOCKET_ERROR;
  int pf;
  if (!FlagsToPosix(flags, pf)) return SOCKET_ERROR;
  ::sockaddr_storage a{};
  socklen_t alen = sizeof a;
  ssize_t n;
  do n = ::recvfrom(Fd(s), buf, static_cast<std::size_t>(ClampLen(len)), pf & ~MSG_NOSIGNAL,
                    reinterpret_cast<::sockaddr*>(&a), &alen);
  while (n < 0 && errno == EINTR);
  if (n < 0) return errno == EAGAIN && ReceiveTimedOut(Fd(s)) ? Fail(WSAETIMEDOUT) : FailErrno();
  if (from && fromlen && alen > 0 && !AddressOut(a, alen, from, fromlen)) return SOCKET_ERROR;
  return static_cast<int>(n);
}

int RecvEx(SOCKET s, char* buf, int len, int* flags) {
  const int n = RecvFrom(s, buf, len, flags ? (*flags & ~WS_MSG_PARTIAL) : 0, nullptr, nullptr);
  if (n >= 0 && flags) *flags = 0;
  return n;
}

// select over poll: any descriptor number works, the sets hold at most 64.
int Select(int, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const ws::timeval* timeout) {
  if (!Started()) return SOCKET_ERROR;
  struct Entry {
    SOCKET s;
    int which;
  };
  // On the stack: a select per read must not cost two allocations.
  pollfd polls[3 * WS_FD_SETSIZE];
  Entry entries[3 * WS_FD_SETSIZE];
  std::size_t count = 0;
  fd_set* sets[3] = {readfds, writefds, exceptfds};
  const short events[3] = {POLLIN, POLLOUT, POLLPRI};
  for (int w = 0; w < 3; ++w) {
    if (!sets[w]) continue;
    if (sets[w]->fd_count > WS_FD_SETSIZE) return Fail(WSAEINVAL);
    for (std::uint32_t i = 0; i < sets[w]->fd_count; ++i) {
      const int fd = Fd(sets[w]->fd_array[i]);
      if (fd < 0) return Fail(WSAENOTSOCK);
      polls[count] = {fd, events[w], 0};
      entries[count++] = {sets[w]->fd_array[i], w};
    }
  }
  if (count == 0) return Fail(WSAEINVAL);
  int ms = -1;
  if (timeout) {
    if (timeout->tv_sec < 0 || timeout->tv_usec < 0) return Fail(WSAEINVAL);
    const long long t = static_cast<long long>(timeout->tv_sec) * 1000 + (timeout->tv_usec + 999) / 1000;
    ms = t > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(t);
  }
  int rc;
  do rc = ::poll(polls, count, ms);
  while (rc < 0 && errno == EINTR);
  if (rc < 0) return FailErrno();
  for (std::size_t i = 0; i < count; ++i)
    if (polls[i].revents & POLLNVAL) return Fail(WSAENOTSOCK);
  for (auto* set : sets)
    if (set) set->fd_count = 0;
  int total = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const short r = polls[i].revents;
    const int w = entries[i].which;
    // A closed or failed socket reads as ready (the read then reports it);
    // a failed connect shows in the exception set, as there.
    bool ready = false;
    if (w == 0) ready = r & (POLLIN | POLLHUP | POLLERR);
    if (w == 1) ready = r & POLLOUT;
    if (w == 2) ready = r & (POLLPRI | POLLERR);
    if (ready) {
      fd_set* set = sets[w];
      set->fd_array[set->fd_count++] = entries[i].s;
      ++total;
    }
  }
  return total;
}

int FDIsSet(SOCKET s, fd_set* set) {
  if (!set) return 0;
  const std::uint32_t n = set->fd_count > WS_FD_SETSIZE ? WS_FD_SETSIZE : set->fd_count;
  for (std::uint32_t i = 0; i < n; ++i)
    if (set->fd_array[i] == s) return 1;
  return 0;
}

int IoctlSocket(SOCKET s, long cmd, std::uint32_t* argp) {
  if (!Started()) return SOCKET_ERROR;
  if (!argp) return Fail(WSAEFAULT);
  const int fd = Fd(s);
  if (cmd == WS_FIONBIO) {
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl < 0) return FailErrno();
    return ::fcntl(fd, F_SETFL, *argp ? (fl | O_NONBLOCK) : (fl & ~O_NONBLOCK)) == 0 ? 0 : FailErrno();
  }
  if (cmd == WS_FIONREAD) {
    int n = 0;
    if (::ioctl(fd, FIONREAD, &n) != 0) return FailErrno();
    *argp = static_cast<std::uint32_t>(n);
    return 0;
  }
  if (cmd == WS_SIOCATMARK) {
    const int m = ::sockatmark(fd);
    if (m < 0) return FailErrno();
    // TRUE means no urgent data is waiting to be read.
    *argp = m ? 0 : 1;
    return 0;
  }
  return Fail(WSAEINVAL);
}

int GetSockOpt(SOCKET s, int level, int optname, char* optval, int* optlen) {
  if (!Started()) return SOCKET_ERROR;
  if (!optval || !optlen || *optlen < 0) return Fail(WSAEFAULT);
  const OptionRow* row = FindOption(level, optname);
  if (!row) return Fail(WSAENOPROTOOPT);
  const int fd = Fd(s);
  if (row->posixName == SO_LINGER) {
    ::linger l{};
    socklen_t len = sizeof l;
    if (::getsockopt(fd, SOL_SOCKET, SO_LINGER, &l, &len) != 0) return FailErrno();
    if (optname == WS_SO_DONTLINGER) {
      if (*optlen < 4) return Fail(WSAEFAULT);
      const int v = l.l_onoff ? 0 : 1;
      std::memcpy(optval, &v, 4);
      *optlen = 4;
      return 0;
    }
    if (*optlen < static_cast<int>(sizeof(ws::linger))) return Fail(WSAEFAULT);
    const ws::linger w{static_cast<std::uint16_t>(l.l_onoff), static_cast<std::uint16_t>(l.l_linger)};
    std::memcpy(optval, &w, sizeof w);
    *optlen = sizeof w;
    return 0;
  }
  if (row->posixName == SO_RCVTIMEO || row->posixName == SO_SNDTIMEO) {
    ::timeval tv{};
    socklen_t len = sizeof tv;
    if (::getsockopt(fd, SOL_SOCKET, row->posixName, &tv, &len) != 0) return FailErrno();
    if (*optlen < 4) return Fail(WSAEFAULT);
    const std::uint32_t ms = static_cast<std::uint32_t>(tv.tv_sec * 1000 + tv.tv_usec / 1000);
    std::memcpy(optval, &ms, 4);
    *optlen = 4;
    return 0;
  }
  if (row->posixLevel == IPPROTO_IP && row->posixName == IP_OPTIONS) {
    socklen_t len = static_cast<socklen_t>(*optlen);
    if (::getsockopt(fd, IPPROTO_IP, IP_OPTIONS, optval, &len) != 0) return FailErrno();
    *optlen = static_cast<int>(len);
    return 0;
  }
  int v = 0;
  socklen_t len = sizeof v;
  if (::getsockopt(fd, row->posixLevel, row->posixName, &v, &len) != 0) return FailErrno();
  if (row->posixName == SO_ERROR && row->posixLevel == SOL_SOCKET) v = SocketErrorFromErrno(v);
  if (row->posixName == SO_TYPE && row->posixLevel == SOL_SOCKET) v &= 0xF;
  if (*optlen < 1) return Fail(WSAEFAULT);
  const int n = *optlen < 4 ? *optlen : 4;
  std::memcpy(optval, &v, static_cast<std::size_t>(n));
  *optlen = n;
  return 0;
}

int SetSockOpt(SOCKET s, int level, int optname, const char* optval, int optlen) {
  if (!Started()) return SOCKET_ERROR;
  if (!optval || optlen < 0) return Fail(WSAEFAULT);
  const OptionRow* row = FindOption(level, optname);
  if (!row) return Fail(WSAENOPROTOOPT);
  const int fd = Fd(s);
  auto readInt = [&](int& v) {
    v = 0;
    if (optlen >= 4) std::memcpy(&v, optval, 4);
    else if (optlen >= 1) v = static_cast<unsigned char>(optval[0]);  // one-byte BOOL
    else return false;
    return true;
  };
  if (row->posixName == SO_LINGER && row->posixLevel == SOL_SOCKET) {
    ::linger l{};
    if (optname == WS_SO_DONTLINGER) {
      int v;
      if (!readInt(v)) return Fail(WSAEFAULT);
      l.l_onoff = v ? 0 : 1;
    } else {
      if (optlen < static_cast<int>(sizeof(ws::linger))) return Fail(WSAEFAULT);
      ws::linger w;
      std::memcpy(&w, optval, sizeof w);
      l.l_onoff = w.l_onoff;
      l.l_linger = w.l_linger;
    }
    return ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l) == 0 ? 0 : FailErrno();
  }
  if (row->posixName == SO_RCVTIMEO || row->posixName == SO_SNDTIMEO) {
    int v;
    if (!readInt(v)) return Fail(WSAEFAULT);
    const std::uint32_t ms = static_cast<std::uint32_t>(v);
    ::timeval tv{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
    return ::setsockopt(fd, SOL_SOCKET, row->posixName, &tv, sizeof tv) == 0 ? 0 : FailErrno();
  }
  const bool structured = (row->posixLevel == IPPROTO_IP &&
                           (row->posixName == IP_ADD_MEMBERSHIP || row->posixName == IP_DROP_MEMBERSHIP ||
                            row->posixName == IP_OPTIONS || row->posixName == IP_MULTICAST_IF)) ||
                          (row->posixLevel == IPPROTO_IPV6 &&
                           (row->posixName == IPV6_ADD_MEMBERSHIP || row->posixName == IPV6_DROP_MEMBERSHIP));
  if (structured)
    return ::setsockopt(fd, row->posixLevel, row->posixName, optval, static_cast<socklen_t>(optlen)) == 0
               ? 0
               : FailErrno();
  int v;
  if (!readInt(v)) return Fail(WSAEFAULT);
  return ::setsockopt(fd, row->posixLevel, row->posixName, &v, sizeof v) == 0 ? 0 : FailErrno();
}

int GetPeerName(SOCKET s, sockaddr* name, int* namelen) {
  if (!Started()) return SOCKET_ERROR;
  if (!name || !namelen) return Fail(WSAEFAULT);
  ::sockaddr_storage a{};
  socklen_t len = sizeof a;
  if (::getpeername(Fd(s), reinterpret_cast<::sockaddr*>(&a), &len) != 0) return FailErrno();
  return AddressOut(a, len, name, namelen) ? 0 : SOCKET_ERROR;
}

int GetSockName(SOCKET s, sockaddr* name, int* namelen) {
  if (!Started()) return SOCKET_ERROR;
  if (!name || !namelen) return Fail(WSAEFAULT);
  ::sockaddr_storage a{};
  socklen_t len = sizeof a;
  if (::getsockname(Fd(s), reinterpret_cast<::sockaddr*>(&a), &len) != 0) return FailErrno();
  return AddressOut(a, len, name, namelen) ? 0 : SOCKET_ERROR;
}

// The whole name or WSAEFAULT: a name cut to fit would be a wrong name.
int GetHostName(char* name, int namelen) {
  if (!Started()) return SOCKET_ERROR;
  if (!name || namelen <= 0) return Fail(WSAEFAULT);
  utsname u{};
  if (::uname(&u) != 0) return FailErrno();
  const std::size_t len = std::strlen(u.nodename);
  if (len + 1 > static_cast<std::size_t>(namelen)) return Fail(WSAEFAULT);
  std::memcpy(name, u.nodename, len + 1);
  return 0;
}

hostent* GetHostByName(const char* name) {
  if (!Started()) return nullptr;
  if (!name) {
    t_lastError = WSAEFAULT;
    return nullptr;
  }
  ::hostent h{};
  ::hostent* result = nullptr;
  int herr = 0;
  std::vector<char> buf(16384);
  while (::gethostbyname_r(name, &h, buf.data(), buf.size(), &result, &herr) == ERANGE && buf.size() < (1u << 22))
    buf.resize(buf.size() * 2);
  if (!result) {
    t_lastError = HostError(herr);
    return nullptr;
  }
  return FillHost(result);
}

hostent* GetHostByAddr(const char* addr, int len, int type) {
  if (!Started()) return nullptr;
  const int af = FamilyToPosix(type);
  if (!addr || af <= 0 || (af == AF_INET && len < 4) || (af == AF_INET6 && len < 16)) {
    t_lastError = !addr ? WSAEFAULT : WSAEAFNOSUPPORT;
    return nullptr;
  }
  ::hostent h{};
  ::hostent* result = nullptr;
  int herr = 0;
  std::vector<char> buf(16384);
  while (::gethostbyaddr_r(addr, static_cast<socklen_t>(len), af, &h, buf.data(), buf.size(), &result, &herr) ==
             ERANGE &&
         buf.size() < (1u << 22))
    buf.resize(buf.size() * 2);
  if (!result) {
    t_lastError = HostError(herr);
    return nullptr;
  }
  return FillHost(result);
}

servent* GetServByName(const char* name, const char* proto) {
  if (!Started()) return nullptr;
  ::servent s{};
  ::servent* result = nullptr;
  char buf[4096];
  if (!name || ::getservbyname_r(name, proto, &s, buf, sizeof buf, &result) != 0 || !result) {
    t_lastError = WSANO_DATA;
    return nullptr;
  }
  return FillServ(result);
}

servent* GetServByPort(int port, const char* proto) {
  if (!Started()) return nullptr;
  ::servent s{};
  ::servent* result = nullptr;
  char buf[4096];
  if (::getservbyport_r(port, proto, &s, buf, sizeof buf, &result) != 0 || !result) {
    t_lastError = WSANO_DATA;
    return nullptr;
  }
  return FillServ(result);
}

protoent* GetProtoByName(const char* name) {
  if (!Started()) return nullptr;
  ::protoent p{};
  ::protoent* result = nullptr;
  char buf[4096];
  if (!name || ::getprotobyname_r(name, &p, buf, sizeof buf, &result) != 0 || !result) {
    t_lastError = WSANO_DATA;
    return nullptr;
  }
  return FillProto(result);
}

protoent* GetProtoByNumber(int number) {
  if (!Started()) return nullptr;
  ::protoent p{};
  ::protoent* result = nullptr;
  char buf[4096];
  if (::getprotobynumber_r(number, &p, buf, sizeof buf, &result) != 0 || !result) {
    t_lastError = WSANO_DATA;
    return nullptr;
  }
  return FillProto(result);
}

std::uint32_t InetAddr(const char* cp) {
  if (!cp || !*cp) return WS_INADDR_NONE;
  ::in_addr a{};
  if (::inet_aton(cp, &a) == 0) return WS_INADDR_NONE;
  return a.s_addr;
}

char* InetNtoa(in_addr in) {
  thread_local char text[INET_ADDRSTRLEN];
  ::in_addr a{in.s_addr};
  ::inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

int InetPton(int family, const char* src, void* dst) {
  const int af = FamilyToPosix(family);
  if (af != AF_INET && af != AF_INET6) return Fail(WSAEAFNOSUPPORT);
  if (!src || !dst) return Fail(WSAEFAULT);
  return ::inet_pton(af, src, dst);
}

const char* InetNtop(int family, const void* src, char* dst, std::size_t size) {
  const int af = FamilyToPosix(family);
  if (af != AF_INET && af != AF_INET6) {
    t_lastError = WSAEAFNOSUPPORT;
    return nullptr;
  }
  const char* r = ::inet_ntop(af, src, dst, static_cast<socklen_t>(size));
  if (!r) t_lastError = errno == ENOSPC ? WSAEINVAL : SocketErrorFromErrno(errno);
  return r;
}

// Results in the Windows layout, each entry and its parts allocated apart so
// FreeAddrInfo releases exactly what was made here.
int GetAddrInfo(const char* node, const char* service, const addrinfo* hints, addrinfo** res) {
  if (!res) return WSAEINVAL;
  *res = nullptr;
  if (!Started()) return WSANOTINITIALISED;
  ::addrinfo h{};
  if (hints) {
    const int af = FamilyToPosix(hints->ai_family);
    if (af < 0) return t_lastError = WSAEAFNOSUPPORT;
    h.ai_family = af;
    h.ai_socktype = hints->ai_socktype;
    h.ai_protocol = hints->ai_protocol;
    int f = hints->ai_flags;
    h.ai_flags = (f & (WS_AI_PASSIVE | WS_AI_CANONNAME | WS_AI_NUMERICHOST)) | ((f & WS_AI_NUMERICSERV) ? AI_NUMERICSERV : 0) |
                 ((f & WS_AI_ALL) ? AI_ALL : 0) | ((f & WS_AI_ADDRCONFIG) ? AI_ADDRCONFIG : 0) |
                 ((f & WS_AI_V4MAPPED) ? AI_V4MAPPED : 0);
  }
  ::addrinfo* list = nullptr;
  const int rc = ::getaddrinfo(node, service, hints ? &h : nullptr, &list);
  if (rc != 0) return t_lastError = EaiToWsa(rc);
  addrinfo** tail = res;
  for (::addrinfo* p = list; p; p = p->ai_next) {
    auto* e = static_cast<addrinfo*>(std::calloc(1, sizeof(addrinfo)));
    if (!e) {
      ::freeaddrinfo(list);
      FreeAddrInfo(*res);
      *res = nullptr;
      return t_lastError = WSA_NOT_ENOUGH_MEMORY;
    }
    *tail = e;
    tail = &e->ai_next;
    e->ai_flags = p->ai_flags & (WS_AI_PASSIVE | WS_AI_CANONNAME | WS_AI_NUMERICHOST);
    e->ai_family = FamilyFromPosix(p->ai_family);
    e->ai_socktype = p->ai_socktype;
    e->ai_protocol = p->ai_protocol;
    if (p->ai_addr && p->ai_addrlen > 0) {
      e->ai_addr = static_cast<sockaddr*>(std::calloc(1, p->ai_addrlen));
      if (e->ai_addr) {
        std::memcpy(e->ai_addr, p->ai_addr, p->ai_addrlen);
        e->ai_addr->sa_family = static_cast<std::uint16_t>(e->ai_family);
        e->ai_addrlen = p->ai_addrlen;
      }
    }
    if (p->ai_canonname) e->ai_canonname = ::strdup(p->ai_canonname);
  }
  ::freeaddrinfo(list);
  return 0;
}

void FreeAddrInfo(addrinfo* ai) {
  while (ai) {
    addrinfo* next = ai->ai_next;
    std::free(ai->ai_canonname);
    std::free(ai->ai_addr);
    std::free(ai);
    ai = next;
  }
}

int GetNameInfo(const sockaddr* sa, int salen, char* host, std::uint32_t hostlen, char* serv, std::uint32_t servlen,
                int flags) {
  if (!Started()) return WSANOTINITIALISED;
  sockaddr_storage a;
  socklen_t len;
  if (!AddressIn(sa, salen, a, len)) return t_lastError == WSAEAFNOSUPPORT ? WSAEAFNOSUPPORT : WSAEFAULT;
  const int pf = ((flags & WS_NI_NOFQDN) ? NI_NOFQDN : 0) | ((flags & WS_NI_NUMERICHOST) ? NI_NUMERICHOST : 0) |
                 ((flags & WS_NI_NAMEREQD) ? NI_NAMEREQD : 0) | ((flags & WS_NI_NUMERICSERV) ? NI_NUMERICSERV : 0) |
                 ((flags & WS_NI_DGRAM) ? NI_DGRAM : 0);
  const int rc = ::getnameinfo(reinterpret_cast<::sockaddr*>(&a), len, host, host ? hostlen : 0, serv,
                               serv ? servlen : 0, pf);
  if (rc == EAI_OVERFLOW) return t_lastError = WSAEFAULT;
  return rc == 0 ? 0 : (t_lastError = EaiToWsa(rc));
}

namespace {
// The local address the system would send from towards a destination: a
// datagram socket connected there (which sends nothing) is asked its name.
// The per-socket keep-alive times. The system counts whole seconds (1 to
// 32767): a time in ms is rounded up into that range, so a short time never
// turns into "use the system's default" and none is refused for its size.
int KeepAliveSeconds(std::uint32_t ms) {
  const std::uint64_t seconds = (static_cast<std::uint64_t>(ms) + 999) / 1000;
  return static_cast<int>(seconds < 1 ? 1 : seconds > 32767 ? 32767 : seconds);
}

int KeepAliveValues(int fd, const void* in, std::uint32_t inlen, std::uint32_t* returned) {
  if (!in || inlen < sizeof(tcp_keepalive)) return Fail(WSAEFAULT);
  tcp_keepalive values;
  std::memcpy(&values, in, sizeof values);
  const int on = values.onoff ? 1 : 0;
  if (on) {
    const int idle = KeepAliveSeconds(values.keepalivetime);
    const int interval = KeepAliveSeconds(values.keepaliveinterval);
    if (::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) != 0 ||
        ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) != 0)
      return FailErrno();
  }
  if (::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0) return FailErrno();
  if (returned) *returned = 0;
  return 0;
}

int RoutingInterfaceQuery(void* in, std::uint32_t inlen, void* out, std::uint32_t outlen, std::uint32_t* returned) {
  sockaddr_storage destination;
  socklen_t length;
  if (!AddressIn(static_cast<const sockaddr*>(in), static_cast<int>(inlen), destination, length)) return SOCKET_ERROR;
  const int probe = ::socket(destination.ss_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return FailErrno();
  ::sockaddr_storage local{};
  socklen_t localLength = sizeof local;
  const bool ok = ::connect(probe, reinterpret_cast<::sockaddr*>(&destination), length) == 0 &&
                  ::getsockname(probe, reinterpret_cast<::sockaddr*>(&local), &localLength) == 0;
  const int err = errno;
  ::close(probe);
  if (!ok) return Fail(SocketErrorFromErrno(err));
  int outLength = static_cast<int>(outlen);
  if (!AddressOut(local, localLength, static_cast<sockaddr*>(out), &outLength)) return SOCKET_ERROR;
  if (returned) *returned = static_cast<std::uint32_t>(outLength);
  return 0;
}
}  // namespace

namespace {
struct ProtocolRow {
  int family, type, protocol;
  std::uint32_t flags;
  const char* name;
};
constexpr std::uint32_t kStreamFlags =
    XP1_GUARANTEED_DELIVERY | XP1_GUARANTEED_ORDER | XP1_GRACEFUL_CLOSE | XP1_EXPEDITED_DATA | XP1_IFS_HANDLES;
constexpr std::uint32_t kDatagramFlags =
    XP1_CONNECTIONLESS | XP1_MESSAGE_ORIENTED | XP1_SUPPORT_BROADCAST | XP1_SUPPORT_MULTIPOINT | XP1_IFS_HANDLES;
constexpr ProtocolRow kProtocols[] = {
    {WS_AF_INET, WS_SOCK_STREAM, WS_IPPROTO_TCP, kStreamFlags, "TCP/IP"},
    {WS_AF_INET, WS_SOCK_DGRAM, WS_IPPROTO_UDP, kDatagramFlags, "UDP/IP"},
    {WS_AF_INET6, WS_SOCK_STREAM, WS_IPPROTO_TCP, kStreamFlags, "TCP/IPv6"},
    {WS_AF_INET6, WS_SOCK_DGRAM, WS_IPPROTO_UDP, kDatagramFlags, "UDP/IPv6"},
};

// Asked afresh each time: a machine may lose or gain IPv6 while we run.
bool CanOpen(const ProtocolRow& row) {
  const int fd = ::socket(FamilyToPosix(row.family), (row.type == WS_SOCK_STREAM ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC,
                          row.protocol);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool Wanted(const ProtocolRow& row, const int* protocols) {
  if (!protocols) return true;
  for (; *protocols != 0; ++protocols)
    if (*protocols == row.protocol) return true;
  return false;
}

template <typename Info>
int EnumProtocols(const int* protocols, Info* buffer, std::uint32_t* length) {
  if (!Started()) return SOCKET_ERROR;
  if (!length) return Fail(WSAEFAULT);
  std::vector<const ProtocolRow*> rows;
  for (const ProtocolRow& row : kProtocols)
    if (Wanted(row, protocols) && CanOpen(row)) rows.push_back(&row);
  const std::uint32_t need = static_cast<std::uint32_t>(rows.size() * sizeof(Info));
  if (!buffer || *length < need) {
    *length = need;
    return Fail(WSAENOBUFS);
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ProtocolRow& row = *rows[i];
    Info info{};
    info.dwServiceFlags1 = row.flags;
    info.dwCatalogEntryId = static_cast<std::uint32_t>(1001 + (&row - kProtocols));
    info.ProtocolChain.ChainLen = 1;  // a base protocol
    info.iVersion = 2;
    info.iAddressFamily = row.family;
    info.iMaxSockAddr = info.iMinSockAddr = row.family == WS_AF_INET6 ? 28 : 16;
    info.iSocketType = row.type;
    info.iProtocol = row.protocol;
    info.dwMessageSize = row.type == WS_SOCK_STREAM ? 0 : row.family == WS_AF_INET6 ? 65527 : 65507;
    for (std::size_t k = 0; row.name[k]; ++k) info.szProtocol[k] = static_cast<std::remove_reference_t<decltype(info.szProtocol[0])>>(row.name[k]);
    std::memcpy(&buffer[i], &info, sizeof info);
  }
  *length = need;
  return static_cast<int>(rows.size());
}
}  // namespace

int EnumProtocolsA(const int* protocols, WSAPROTOCOL_INFOA* buffer, std::uint32_t* length) {
  return EnumProtocols(protocols, buffer, length);
}
int EnumProtocolsW(const int* protocols, WSAPROTOCOL_INFOW* buffer, std::uint32_t* length) {
  return EnumProtocols(protocols, buffer, length);
}

int WsaIoctl(SOCKET s, std::uint32_t code, void* in, std::uint32_t inlen, void* out, std::uint32_t outlen,
             std::uint32_t* returned, void*, void*) {
  if (!Started()) return SOCKET_ERROR;
  if (code == SIO_ROUTING_INTERFACE_QUERY) return RoutingInterfaceQuery(in, inlen, out, outlen, returned);
  if (code == SIO_KEEPALIVE_VALS) return KeepAliveValues(Fd(s), in, inlen, returned);
  if (code != SIO_GET_EXTENSION_FUNCTION_POINTER) return Fail(WSAEOPNOTSUPP);
  int type = 0;
  socklen_t tl = sizeof type;
  if (::getsockopt(Fd(s), SOL_SOCKET, SO_TYPE, &type, &tl) != 0) return FailErrno();
  if (!in || inlen < sizeof(GUID) || !out || outlen < sizeof(void*)) return Fail(WSAEFAULT);
  GUID g;
  std::memcpy(&g, in, sizeof g);
  void* fn = nullptr;
  if (g == WSAID_TRANSMITFILE) fn = reinterpret_cast<void*>(&TransmitFile);
  else if (g == WSAID_WSARECVMSG) fn = reinterpret_cast<void*>(&WsaRecvMsg);
  else if (g == WSAID_WSASENDMSG) fn = reinterpret_cast<void*>(&WsaSendMsg);
  else if (g == WSAID_WSAPOLL) fn = reinterpret_cast<void*>(&WsaPoll);
  // The overlapped-I/O extensions have no counterpart here.
  if (!fn) return Fail(WSAEINVAL);
  std::memcpy(out, &fn, sizeof fn);
  if (returned) *returned = sizeof fn;
  return 0;
}

int WsaPoll(WSAPOLLFD* fds, std::uint32_t count, int timeout) {
  if (!Started()) return SOCKET_ERROR;
  if (!fds && count) return Fail(WSAEFAULT);
  // On the stack for the usual few sockets: a poll per read must not allocate.
  pollfd few[8];
  std::vector<pollfd> many(count > std::size(few) ? count : 0);
  pollfd* p = many.empty() ? few : many.data();
  for (std::uint32_t i = 0; i < count; ++i) {
    const short e = fds[i].events;
    p[i].fd = Fd(fds[i].fd);
    p[i].events = static_cast<short>(((e & WS_POLLRDNORM) ? POLLIN : 0) | ((e & WS_POLLRDBAND) ? POLLPRI : 0) |
                                     ((e & WS_POLLPRI) ? POLLPRI : 0) | ((e & WS_POLLWRNORM) ? POLLOUT : 0) |
                                     ((e & WS_POLLWRBAND) ? POLLWRBAND : 0));
  }
  int rc;
  do rc = ::poll(p, count, timeout);
  while (rc < 0 && errno == EINTR);
  if (rc < 0) return FailErrno();
  for (std::uint32_t i = 0; i < count; ++i) {
    const short r = p[i].revents;
    fds[i].revents = static_cast<std::int16_t>(((r & POLLIN) ? WS_POLLRDNORM : 0) | ((r & POLLPRI) ? WS_POLLRDBAND : 0) |
                                               ((r & POLLOUT) ? WS_POLLWRNORM : 0) | ((r & POLLERR) ? WS_POLLERR : 0) |
                                               ((r & POLLHUP) ? WS_POLLHUP : 0) | ((r & POLLNVAL) ? WS_POLLNVAL : 0));
  }
  return rc;
}

namespace {
std::vector<iovec> Buffers(const WSAMSG* msg) {
  std::vector<iovec> v(msg->dwBufferCount);
  for (std::uint32_t i = 0; i < msg->dwBufferCount; ++i) v[i] = {msg->lpBuffers[i].buf, msg->lpBuffers[i].len};
  return v;
}
}  // namespace

// Data, peer address and flags; of the control messages the packet
// information, whose layout differs, is handed on translated.
int WsaRecvMsg(SOCKET s, WSAMSG* msg, std::uint32_t* received, void*, void*) {
  if (!Started()) return SOCKET_ERROR;
  if (!msg || (msg->dwBufferCount && !msg->lpBuffers)) return Fail(WSAEFAULT);
  std::vector<iovec> iov = Buffers(msg);
  ::sockaddr_storage a{};
  alignas(cmsghdr) char control[512];
  msghdr m{};
  m.msg_name = msg->name ? &a : nullptr;
  m.msg_namelen = msg->name ? sizeof a : 0;
  m.msg_iov = iov.data();
  m.msg_iovlen = iov.size();
  m.msg_control = msg->Control.buf ? control : nullptr;
  m.msg_controllen = msg->Control.buf ? sizeof control : 0;
  ssize_t n;
  do n = ::recvmsg(Fd(s), &m, 0);
  while (n < 0 && errno == EINTR);
  if (n < 0) return FailErrno();
  if (msg->name) {
    int len = msg->namelen;
    if (!AddressOut(a, m.msg_namelen, msg->name, &len)) return SOCKET_ERROR;
    msg->namelen = len;
  }
  std::uint32_t used = 0;
  if (msg->Control.buf) {
    for (cmsghdr* c = CMSG_FIRSTHDR(&m); c; c = CMSG_NXTHDR(&m, c)) {
      if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
        const auto* pi = reinterpret_cast<const in_pktinfo*>(CMSG_DATA(c));
        struct {
          std::size_t len;
          int level, type;
          std::uint32_t addr, ifindex;
        } w{sizeof(std::size_t) + 2 * sizeof(int) + 8, WS_IPPROTO_IP, WS_IP_PKTINFO, pi->ipi_addr.s_addr,
            static_cast<std::uint32_t>(pi->ipi_ifindex)};
        if (used + sizeof w <= msg->Control.len) {
          std::memcpy(msg->Control.buf + used, &w, sizeof w);
          used += sizeof w;
        } else {
          msg->dwFlags |= WS_MSG_CTRUNC;
        }
      }
    }
    msg->Control.len = used;
  }
  msg->dwFlags = ((m.msg_flags & MSG_TRUNC) ? WS_MSG_TRUNC : 0) | ((m.msg_flags & MSG_CTRUNC) ? WS_MSG_CTRUNC : 0) |
                 (msg->dwFlags & WS_MSG_CTRUNC);
  if (received) *received = static_cast<std::uint32_t>(n);
  return 0;
}

int WsaSendMsg(SOCKET s, WSAMSG* msg, std::uint32_t flags, std::uint32_t* sent, void*, void*) {
  if (!Started()) return SOCKET_ERROR;
  if (!msg || (msg->dwBufferCount && !msg->lpBuffers)) return Fail(WSAEFAULT);
  int pf;
  if (!FlagsToPosix(static_cast<int>(flags), pf)) return SOCKET_ERROR;
  std::vector<iovec> iov = Buffers(msg);
  sockaddr_storage a;
  socklen_t alen = 0;
  if (msg->name && !AddressIn(msg->name, msg->namelen, a, alen)) return SOCKET_ERROR;
  msghdr m{};
  m.msg_name = msg->name ? &a : nullptr;
  m.msg_namelen = alen;
  m.msg_iov = iov.data();
  m.msg_iovlen = iov.size();
  ssize_t n;
  do n = ::sendmsg(Fd(s), &m, pf);
  while (n < 0 && errno == EINTR);
  if (n < 0) return FailErrno();
  if (sent) *sent = static_cast<std::uint32_t>(n);
  return 0;
}

// Head, the file from its current position (all of it when bytes is 0),
// tail; TRUE (1) when all went, FALSE with the error otherwise.
int TransmitFile(SOCKET s, HANDLE file, std::uint32_t bytes, std::uint32_t, void*, TRANSMIT_FILE_BUFFERS* buffers,
                 std::uint32_t) {
  if (!Started()) return 0;
  const int fd = Fd(s);
  auto sendAll = [&](const void* p, std::size_t n) {
    const char* c = static_cast<const char*>(p);
    while (n > 0) {
      const ssize_t k = ::send(fd, c, n, MSG_NOSIGNAL);
      if (k < 0) {
        if (errno == EINTR) continue;
        FailErrno();
        return false;
      }
      c += k;
      n -= static_cast<std::size_t>(k);
    }
    return true;
  };
  if (buffers && buffers->Head && buffers->HeadLength && !sendAll(buffers->Head, buffers->HeadLength)) return 0;
  if (file >= 0) {
    std::uint64_t left = bytes;
    if (bytes == 0) {
      struct stat st{};
      if (::fstat(static_cast<int>(file), &st) != 0) return FailErrno(), 0;
      const off_t pos = ::lseek(static_cast<int>(file), 0, SEEK_CUR);
      left = st.st_size > pos ? static_cast<std::uint64_t>(st.st_size - pos) : 0;
    }
    SigPipeGuard guard;
    while (left > 0) {
      const ssize_t k = ::sendfile(fd, static_cast<int>(file), nullptr, left);
      if (k < 0) {
        if (errno == EINTR) continue;
        FailErrno();
        return 0;
      }
      if (k == 0) break;
      left -= static_cast<std::uint64_t>(k);
    }
  }
  if (buffers && buffers->Tail && buffers->TailLength && !sendAll(buffers->Tail, buffers->TailLength)) return 0;
  return 1;
}

}  // namespace wsshim
