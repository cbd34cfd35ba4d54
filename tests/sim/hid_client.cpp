// libjqsim_hid_client.so: hidapi's calls for a program that is to find the
// simulator's USB device instead of real ones. Preloaded (LD_PRELOAD) into the
// unchanged program, its hid_* functions take the place of the system's hidapi
// and reach jqsim-cli over the Unix socket named by JQSIM_HID_SOCKET (see
// hid_wire.h). Without that variable, or without a simulator behind it, no
// device is found. Every wait is bounded, so a simulator that stops answering
// reads as a device that went away.
#include "tests/sim/hid_device_list.h"
#include "tests/sim/hid_wire.h"

#include <hidapi/hidapi.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

struct hid_device_ {
  int fd = -1;
  bool nonblocking = false;
};

namespace {

using jqsim::hidwire::Answer_Timeout_ms;

// A connection to the simulator with the question asked; -1 when there is none.
int Ask(const std::string& question) {
  const char* path = std::getenv("JQSIM_HID_SOCKET");
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  if (!path || !*path || std::strlen(path) >= sizeof a.sun_path) return -1;
  std::strcpy(a.sun_path, path);
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const timeval limit{Answer_Timeout_ms / 1000, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::send(fd, question.data(), question.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(question.size())) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// One message: its length, 0 when none came within `timeout_ms` (-1: wait
// without end), -1 when the simulator closed the connection or failed.
int Receive(int fd, unsigned char* data, size_t length, int timeout_ms) {
  pollfd p{fd, POLLIN, 0};
  while (true) {
    const int r = ::poll(&p, 1, timeout_ms);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) return 0;
    // A report longer than the caller's buffer is cut, as hidapi does.
    const ssize_t n = ::recv(fd, data, length, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    return n > 0 ? static_cast<int>(n) : -1;
  }
}

std::wstring Wide(const std::string& text) {
  std::wstring out;
  for (unsigned char c : text) out.push_back(c);
  return out;
}

std::vector<jqsim::hidwire::Device> Devices() {
  std::vector<jqsim::hidwire::Device> out;
  const int fd = Ask(jqsim::hidwire::Enumerate);
  if (fd < 0) return out;
  unsigned char buf[jqsim::hidwire::Max_Message];
  while (true) {
    const int n = Receive(fd, buf, sizeof buf, Answer_Timeout_ms);
    if (n <= 0) break;
    jqsim::hidwire::Device d;
    if (jqsim::hidwire::Parse(std::string(reinterpret_cast<char*>(buf), static_cast<size_t>(n)), d))
      out.push_back(std::move(d));
  }
  ::close(fd);
  return out;
}

}  // namespace

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void) { return 0; }
int HID_API_EXPORT HID_API_CALL hid_exit(void) { return 0; }

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_enumerate(unsigned short vendor_id,
                                                                 unsigned short product_id) {
  std::vector<jqsim::hidlist::Entry> all;
  for (const auto& d : Devices())
    all.push_back({d.path, Wide(d.manufacturer), Wide(d.product), Wide(d.serial), d.vendor_id, d.product_id});
  return jqsim::hidlist::List(all, vendor_id, product_id);
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info* devs) {
  jqsim::hidlist::Free(devs);
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open_path(const char* path) {
  if (!path) return nullptr;
  const int fd = Ask(jqsim::hidwire::Open_Prefix + std::string(path));
  if (fd < 0) return nullptr;
  unsigned char answer[16];
  const int n = Receive(fd, answer, sizeof answer, Answer_Timeout_ms);
  if (n != 2 || std::memcmp(answer, jqsim::hidwire::Opened, 2) != 0) {
    ::close(fd);
    return nullptr;
  }
  auto* h = new hid_device_;
  h->fd = fd;
  return h;
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open(unsigned short vendor_id, unsigned short product_id,
                                                 const wchar_t* serial_number) {
  hid_device_info* list = hid_enumerate(vendor_id, product_id);
  hid_device* h = nullptr;
  for (hid_device_info* d = list; d && !h; d = d->next)
    if (!serial_number || (d->serial_number && std::wcscmp(d->serial_number, serial_number) == 0))
      h = hid_open_path(d->path);
  hid_free_enumeration(list);
  return h;
}

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device* dev, int nonblock) {
  if (!dev) return -1;
  dev->nonblocking = nonblock != 0;
  return 0;
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device* dev, const unsigned char* data, size_t length) {
  if (!dev || !data || length == 0 || length > jqsim::hidwire::Max_Message) return -1;
  return ::send(dev->fd, data, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length) ? static_cast<int>(length) : -1;
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device* dev, unsigned char* data, size_t length,
                                                 int milliseconds) {
  if (!dev || !data) return -1;
  return Receive(dev->fd, data, length, milliseconds < 0 ? -1 : milliseconds);
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device* dev, unsigned char* data, size_t length) {
  if (!dev) return -1;
  return hid_read_timeout(dev, data, length, dev->nonblocking ? 0 : -1);
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device* dev) {
  if (!dev) return;
  ::close(dev->fd);
  delete dev;
}

const wchar_t* HID_API_EXPORT_CALL hid_error(hid_device* dev) {
  (void)dev;
  return L"no answer from the controller simulator (JQSIM_HID_SOCKET)";
}

}  // extern "C"
