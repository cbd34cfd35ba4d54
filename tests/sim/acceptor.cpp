// The listening half shared by the TCP and HID socket front ends.
#include "tests/sim/sim_internal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace jqsim::detail {

namespace {
void Signal(int event_fd) {
  const uint64_t one = 1;
  if (::write(event_fd, &one, sizeof one) < 0) { /* eventfd */ }
}
}  // namespace

Acceptor::Acceptor(int listen_fd, int accept_flags, std::function<void(Connection&)> serve)
    : listen_fd_(listen_fd),
      accept_flags_(accept_flags),
      stop_fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      serve_(std::move(serve)),
      accept_thread_([this] { AcceptLoop(); }) {}

Acceptor::~Acceptor() {
  Signal(stop_fd_);
  if (accept_thread_.joinable()) accept_thread_.join();
  {
    std::lock_guard lk(mu_);
    Reap(true);
  }
  ::close(listen_fd_);
  ::close(stop_fd_);
}

void Acceptor::DropConnections() {
  std::lock_guard lk(mu_);
  Reap(true);
}

int Acceptor::Connections() const {
  std::lock_guard lk(mu_);
  int n = 0;
  for (const Connection& c : conns_) n += c.finished.load() ? 0 : 1;
  return n;
}

void Acceptor::Reap(bool all) {
  for (auto it = conns_.begin(); it != conns_.end();) {
    if (all || it->finished.load()) {
      Signal(it->stop_fd);
      const int fd = it->fd.exchange(-1);
      if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
      if (it->thread.joinable()) it->thread.join();
      if (fd >= 0) ::close(fd);
      ::close(it->stop_fd);
      it = conns_.erase(it);
    } else {
      ++it;
    }
  }
}

void Acceptor::AcceptLoop() {
  while (true) {
    pollfd p[2] = {{listen_fd_, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
    const int r = ::poll(p, 2, 200);
    if (r < 0 && errno != EINTR) return;
    if (r > 0 && (p[1].revents & POLLIN)) return;
    std::lock_guard lk(mu_);
    Reap(false);
    if (r <= 0 || !(p[0].revents & POLLIN)) continue;
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, accept_flags_);
    if (fd < 0) continue;
    Connection& c = conns_.emplace_back();
    c.fd = fd;
    c.stop_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    Connection* cp = &c;
    c.thread = std::thread([this, cp] {
      serve_(*cp);
      cp->finished = true;
    });
  }
}

}  // namespace jqsim::detail
