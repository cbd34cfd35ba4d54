// Loopback TCP front end: frames over accepted connections, one thread each.
#include "tests/sim/sim_internal.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace jqsim {

struct TcpListener::Impl {
  uint16_t port = 0;
  std::unique_ptr<detail::Acceptor> acceptor;
};

TcpListener::TcpListener(Controller& controller, uint16_t port)
    : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  const int listen_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listen_fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  const int on = 1;
  ::setsockopt(listen_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  if (::bind(listen_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_fd, 16) != 0) {
    const int e = errno;
    ::close(listen_fd);
    throw std::runtime_error(std::string("bind/listen: ") + std::strerror(e));
  }
  socklen_t len = sizeof a;
  ::getsockname(listen_fd, reinterpret_cast<sockaddr*>(&a), &len);
  d.port = ntohs(a.sin_port);
  const std::string device = "tcp:" + std::to_string(d.port);
  d.acceptor = std::make_unique<detail::Acceptor>(
      listen_fd, SOCK_CLOEXEC | SOCK_NONBLOCK, [&controller, device](detail::Connection& c) {
        const int on = 1;
        ::setsockopt(c.fd.load(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        const detail::LinkEnd end = detail::ServeFrames(c.fd.load(), c.stop_fd, controller, device, false);
        if (end == detail::LinkEnd::Reset) {
          // A zero linger makes close send RST instead of FIN.
          const int fd = c.fd.exchange(-1);
          if (fd >= 0) {
            const linger hard{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            ::close(fd);
          }
        } else {
          // Hang-up or peer gone: close our side now (the fd itself is closed by the acceptor).
          const int fd = c.fd.load();
          if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
        }
      });
}

TcpListener::~TcpListener() = default;

uint16_t TcpListener::port() const { return impl_->port; }

void TcpListener::DropConnections() { impl_->acceptor->DropConnections(); }

int TcpListener::Connections() const { return impl_->acceptor->Connections(); }

}  // namespace jqsim
