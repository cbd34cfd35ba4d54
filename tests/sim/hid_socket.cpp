// HID socket front end: the simulated HID devices, enumerated and opened from
// another process over a Unix socket. One thread per connection; an open handle
// has a second thread that carries the device's input reports back.
#include "tests/sim/sim_internal.h"
#include "tests/sim/hid_wire.h"

#include <hidapi/hidapi.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace jqsim {

// Named, not anonymous: the simulator is built as one unity file.
namespace hidsocket {

bool SendMessage(int fd, const void* data, size_t n) {
  return ::send(fd, data, n, MSG_NOSIGNAL) == static_cast<ssize_t>(n);
}
bool SendText(int fd, const std::string& text) { return SendMessage(fd, text.data(), text.size()); }

std::string Ascii(const wchar_t* text) {
  std::string out;
  for (; text && *text; ++text) out.push_back(*text > 0 && *text < 0x80 && *text != L'\n' ? char(*text) : '?');
  return out;
}

constexpr ssize_t Ended = -1, Timed_Out = -2;

// Waits for a message on fd: its length, Timed_Out, or Ended when we stop or
// the peer left.
ssize_t ReceiveMessage(int fd, int stop_fd, uint8_t* buf, size_t size, int timeout_ms) {
  pollfd p[2] = {{fd, POLLIN, 0}, {stop_fd, POLLIN, 0}};
  while (true) {
    const int r = ::poll(p, 2, timeout_ms);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 || (p[1].revents & POLLIN)) return Ended;
    if (r == 0) return Timed_Out;
    const ssize_t n = ::recv(fd, buf, size, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    return n > 0 ? n : Ended;
  }
}

void AnswerEnumerate(int fd) {
  hid_device_info* list = hid_enumerate(0, 0);
  for (hid_device_info* d = list; d; d = d->next) {
    const hidwire::Device dev{d->path ? d->path : "", Ascii(d->manufacturer_string), Ascii(d->product_string),
                              Ascii(d->serial_number), d->vendor_id, d->product_id};
    if (!SendText(fd, hidwire::Describe(dev))) break;
  }
  hid_free_enumeration(list);
}

// Serves one open handle until the peer closes it, the device fails or we stop.
void ServeHandle(int fd, int stop_fd, hid_device* handle) {
  std::atomic<bool> done{false};
  std::thread input([&] {
    uint8_t report[65];
    while (!done) {
      const int n = hid_read_timeout(handle, report, sizeof report, 20);
      if (n < 0 || (n > 0 && !SendMessage(fd, report, static_cast<size_t>(n)))) break;
    }
    // An unplugged device: the other side reads the end of the connection.
    done = true;
    ::shutdown(fd, SHUT_RDWR);
  });
  uint8_t report[hidwire::Max_Message];
  while (!done) {
    // The time-out only lets the loop see that the input side has ended.
    const ssize_t n = ReceiveMessage(fd, stop_fd, report, sizeof report, 100);
    if (n == Timed_Out) continue;
    if (n == Ended) break;
    if (hid_write(handle, report, static_cast<size_t>(n)) < 0) break;
  }
  done = true;
  input.join();
  hid_close(handle);
}

// Answers the question a connection starts with; serves an opened handle until
// it ends.
void Serve(int fd, int stop_fd) {
  uint8_t buf[hidwire::Max_Message];
  const ssize_t n = ReceiveMessage(fd, stop_fd, buf, sizeof buf, hidwire::Answer_Timeout_ms);
  if (n <= 0) return;
  const std::string question(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
  const size_t prefix = sizeof hidwire::Open_Prefix - 1;
  if (question == hidwire::Enumerate) {
    AnswerEnumerate(fd);
  } else if (question.compare(0, prefix, hidwire::Open_Prefix) == 0) {
    hid_device* handle = hid_open_path(question.substr(prefix).c_str());
    if (!SendText(fd, handle ? hidwire::Opened : hidwire::Not_Opened)) {
      if (handle) hid_close(handle);
      return;
    }
    if (handle) ServeHandle(fd, stop_fd, handle);
  }
}

}  // namespace hidsocket

struct HidSocket::Impl {
  std::string path;
  std::unique_ptr<detail::Acceptor> acceptor;
};

HidSocket::HidSocket(const std::string& socket_path) : impl_(std::make_unique<Impl>()) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  if (socket_path.empty() || socket_path.size() >= sizeof a.sun_path)
    throw std::runtime_error("HID socket path is empty or too long: " + socket_path);
  std::memcpy(a.sun_path, socket_path.c_str(), socket_path.size() + 1);
  const int listen_fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listen_fd < 0) throw std::runtime_error(std::string("socket: ") + std::strerror(errno));
  if (::bind(listen_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(listen_fd, 16) != 0) {
    const int e = errno;
    ::close(listen_fd);
    throw std::runtime_error("HID socket " + socket_path + ": " + std::strerror(e));
  }
  impl_->path = socket_path;
  // Blocking sockets, so that a reply waits for room; a peer that stops reading
  // must not hold it (or the end) forever.
  impl_->acceptor = std::make_unique<detail::Acceptor>(listen_fd, SOCK_CLOEXEC, [](detail::Connection& c) {
    const int fd = c.fd.load();
    const timeval limit{hidwire::Answer_Timeout_ms / 1000, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    hidsocket::Serve(fd, c.stop_fd);
    ::shutdown(fd, SHUT_RDWR);
  });
}

HidSocket::~HidSocket() {
  impl_->acceptor.reset();
  ::unlink(impl_->path.c_str());
}

int HidSocket::Connections() const { return impl_->acceptor->Connections(); }

}  // namespace jqsim
