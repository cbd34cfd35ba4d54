#include "tests/platform/net/posix_helpers.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>

namespace testposix {
int MoveAbove(int fd, int min) {
  const int high = fcntl(fd, F_DUPFD_CLOEXEC, min);
  if (high >= 0) close(fd);
  return high;
}
long RaiseDescriptorLimit(long want) {
  rlimit lim{};
  getrlimit(RLIMIT_NOFILE, &lim);
  if (static_cast<long>(lim.rlim_cur) < want) {
    lim.rlim_cur = std::min<rlim_t>(lim.rlim_max, static_cast<rlim_t>(want));
    setrlimit(RLIMIT_NOFILE, &lim);
    getrlimit(RLIMIT_NOFILE, &lim);
  }
  return static_cast<long>(lim.rlim_cur);
}
bool KeepAliveSettings(int fd, bool& on, int& idleSeconds, int& intervalSeconds) {
  int enabled = 0;
  socklen_t len = sizeof enabled;
  if (getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &enabled, &len) != 0) return false;
  on = enabled != 0;
  len = sizeof idleSeconds;
  if (getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, &len) != 0) return false;
  len = sizeof intervalSeconds;
  return getsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds, &len) == 0;
}
std::string NodeName() {
  utsname u{};
  uname(&u);
  return u.nodename;
}
void DefaultSigPipe() { signal(SIGPIPE, SIG_DFL); }
void SleepMs(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }
}  // namespace testposix

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace testposix {
int ListenLoopback(int backlog, int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    return -1;
  }
  port = ntohs(addr.sin_port);
  return fd;
}
int AcceptWithin(int listener, int timeoutMs) {
  pollfd p{listener, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) != 1) return -1;
  return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
bool SendAll(int fd, const void* data, int size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = send(fd, p, static_cast<size_t>(size), MSG_NOSIGNAL);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<int>(n);
  }
  return true;
}
int ReceiveWithin(int fd, void* data, int size, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, timeoutMs) != 1) return 0;
  return static_cast<int>(recv(fd, data, static_cast<size_t>(size), 0));
}
void CloseFd(int fd) {
  if (fd >= 0) close(fd);
}
void CloseWithReset(int fd) {
  linger l{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  close(fd);
}
int ThreadCount() {
  int count = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++count;
    closedir(d);
  }
  return count;
}
int ConnectPending(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  return fd;
}
}  // namespace testposix
