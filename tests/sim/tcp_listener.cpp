// Loopback TCP front end: frames over accepted connections, one thread each.
#include "tests/sim/sim_internal.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <list>
#include <stdexcept>
#include <thread>

namespace jqsim {

namespace {
struct Conn {
  // Taken (set to -1) by whoever closes it: Reap, or the serving thread on a reset.
  std::atomic<int> fd{-1};
  int stop_fd = -1;  // per connection, so DropConnections can end them alone
  std::thread thread;
  std::atomic<bool> finished{false};
};
}  // namespace

struct TcpListener::Impl {
  Controller& controller;
  int listen_fd = -1;
  int stop_fd = -1;
  uint16_t port = 0;
  mutable std::mutex mu;
  std::list<Conn> conns;  // stable addresses
  std::thread accept_thread;

  explicit Impl(Controller& c) : controller(c) {}

  // Joins and closes connections; all of them when `all`, else the finished ones. mu held.
  void Reap(bool all) {
    for (auto it = conns.begin(); it != conns.end();) {
      if (all || it->finished.load()) {
        const uint64_t one = 1;
        if (::write(it->stop_fd, &one, sizeof one) < 0) { /* eventfd */ }
        const int fd = it->fd.exchange(-1);
        if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
        if (it->thread.joinable()) it->thread.join();
        if (fd >= 0) ::close(fd);
        ::close(it->stop_fd);
        it = conns.erase(it);
      } else {
        ++it;
      }
    }
  }

  void AcceptLoop() {
    while (true) {
      pollfd p[2] = {{listen_fd, POLLIN, 0}, {stop_fd, POLLIN, 0}};
      const int r = ::poll(p, 2, 200);
      if (r < 0 && errno != EINTR) return;
      if (r > 0 && (p[1].revents & POLLIN)) return;
      {
        std::lock_guard lk(mu);
        Reap(false);
      }
      if (r <= 0 || !(p[0].revents & POLLIN)) continue;
      const int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (fd < 0) continue;
      const int on = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      std::lock_guard lk(mu);
      Conn& c = conns.emplace_back();
      c.fd = fd;
      c.stop_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
      Conn* cp = &c;
      c.thread = std::thread([this, cp] {
        const detail::LinkEnd end = detail::ServeFrames(cp->fd.load(), cp->stop_fd, controller,
                                                        "tcp:" + std::to_string(port), false);
        if (end == detail::LinkEnd::Reset) {
          // A zero linger makes close send RST instead of FIN.
          const int fd = cp->fd.exchange(-1);
          if (fd >= 0) {
            const linger hard{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            ::close(fd);
          }
        } else {
          // Hang-up or peer gone: close our side now (the fd itself is closed by Reap).
          const int fd = cp->fd.load();
          if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
        }
        cp->finished = true;
      });
    }
  }
};

TcpListener::TcpListener(Controller& controller, uint16_t port)
    : impl_(std::make_unique<Impl>(controller)) {
  Impl& d = *impl_;
  d.listen_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (d.listen_fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  const int on = 1;
  ::setsockopt(d.listen_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (::bind(d.listen_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(d.listen_fd, 16) != 0) {
    const int e = errno;
    ::close(d.listen_fd);
    throw std::runtime_error(std::string("bind/listen: ") + std::strerror(e));
  }
  socklen_t len = sizeof a;
  ::getsockname(d.listen_fd, reinterpret_cast<sockaddr*>(&a), &len);
  d.port = ntohs(a.sin_port);
  d.stop_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  d.accept_thread = std::thread([&d] { d.AcceptLoop(); });
}

TcpListener::~TcpListener() {
  Impl& d = *impl_;
  const uint64_t one = 1;
  if (::write(d.stop_fd, &one, sizeof one) < 0) { /* eventfd */ }
  if (d.accept_thread.joinable()) d.accept_thread.join();
  {
    std::lock_guard lk(d.mu);
    d.Reap(true);
  }
  ::close(d.listen_fd);
  ::close(d.stop_fd);
}

uint16_t TcpListener::port() const { return impl_->port; }

void TcpListener::DropConnections() {
  std::lock_guard lk(impl_->mu);
  impl_->Reap(true);
}

int TcpListener::Connections() const {
  std::lock_guard lk(impl_->mu);
  int n = 0;
  for (const Conn& c : impl_->conns) n += c.finished.load() ? 0 : 1;
  return n;
}

}  // namespace jqsim
