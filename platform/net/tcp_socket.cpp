#include "tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform::net {
namespace {

Net_Error Error(int code) {
  if (code == Net_Timed_Out) return {code, "timed out"};
  if (code == Net_Closed) return {code, "connection closed"};
  return {code, std::strerror(code)};
}

// poll() that restarts after signals and keeps the overall deadline.
// timeout_ms < 0 waits without limit; 0 only looks.
int Wait_For(int fd, short events, int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int wait = -1;
    if (timeout_ms >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      wait = left.count() < 0 ? 0 : static_cast<int>(left.count());
    }
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, wait);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -errno;
    return n == 0 ? 0 : p.revents;
  }
}

}  // namespace

Tcp_Socket::~Tcp_Socket() { Close(); }

Net_Error Tcp_Socket::Connect(const std::string& host, uint16_t port, int timeout_ms) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
    return {Net_Unresolved, "host not found: " + host};
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  ::freeaddrinfo(found);
  address.sin_port = htons(port);

  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return Error(errno);
  int result = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  if (result < 0 && errno == EINPROGRESS) {
    const int ready = Wait_For(fd, POLLOUT, timeout_ms > 0 ? timeout_ms : -1);
    if (ready == 0) {
      ::close(fd);
      return Error(Net_Timed_Out);
    }
    int so_error = 0;
    socklen_t len = sizeof so_error;
    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &len);
    result = so_error ? -1 : 0;
    errno = so_error;
  }
  if (result < 0) {
    const int code = errno;
    ::close(fd);
    return Error(code);
  }
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  fd_ = fd;
  return {};
}

void Tcp_Socket::Close() {
  if (fd_ < 0) return;
  ::shutdown(fd_, SHUT_RDWR);
  ::close(fd_);
  fd_ = -1;
}

bool Tcp_Socket::Is_Connected() {
  if (fd_ < 0) return false;
  const int ready = Wait_For(fd_, POLLIN, 0);
  if (ready < 0 || (ready & (POLLERR | POLLNVAL))) return false;
  if (ready & (POLLIN | POLLHUP)) {
    uint8_t probe;
    const ssize_t n = ::recv(fd_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0) return false;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
  }
  return true;
}

Net_Error Tcp_Socket::Write_All(const uint8_t* data, size_t size) {
  if (fd_ < 0) return Error(Net_Closed);
  size_t sent = 0;
  while (sent < size) {
    const ssize_t n = ::send(fd_, data + sent, size - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (Wait_For(fd_, POLLOUT, 1000) == 0) return Error(Net_Timed_Out);
    } else if (n < 0 && errno != EINTR) {
      return Error(errno);
    }
  }
  return {};
}

Net_Error Tcp_Socket::Read_Some(uint8_t* data, size_t size, int timeout_ms, size_t& got) {
  got = 0;
  if (fd_ < 0) return Error(Net_Closed);
  for (;;) {
    const int ready = Wait_For(fd_, POLLIN, timeout_ms > 0 ? timeout_ms : -1);
    if (ready == 0) return Error(Net_Timed_Out);
    if (ready < 0) return Error(-ready);
    const ssize_t n = ::recv(fd_, data, size, MSG_DONTWAIT);
    if (n > 0) {
      got = static_cast<size_t>(n);
      return {};
    }
    if (n == 0) return Error(Net_Closed);
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return Error(errno);
  }
}

size_t Tcp_Socket::Discard_Received() {
  if (fd_ < 0) return 0;
  // Only what is queued now: a peer that keeps sending must not hold us here.
  int queued = 0;
  if (::ioctl(fd_, FIONREAD, &queued) != 0) return 0;
  uint8_t sink[512];
  size_t dropped = 0;
  while (queued > 0) {
    const ssize_t n = ::recv(fd_, sink, std::min(sizeof sink, static_cast<size_t>(queued)), MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    // Nothing left, or the link ended: the next check or read reports that.
    if (n <= 0) break;
    queued -= static_cast<int>(n);
    dropped += static_cast<size_t>(n);
  }
  return dropped;
}

}  // namespace platform::net
