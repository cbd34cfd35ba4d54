// pty front end: the controller answers frames written to the slave side.
#include "tests/sim/sim_internal.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace jqsim {

namespace {
void MakeRaw(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return;
  ::cfmakeraw(&t);  // no IXON/IXOFF, ICRNL, OPOST, ECHO, ICANON, ISIG
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  ::cfsetispeed(&t, B115200);
  ::cfsetospeed(&t, B115200);
  ::tcsetattr(fd, TCSANOW, &t);
}
}  // namespace

struct PtyPort::Impl {
  Controller& controller;
  bool pace;
  int master = -1;
  int slave = -1;  // kept open so the master never sees a hang-up between client opens
  int stop_fd = -1;
  std::string path;
  std::atomic<bool> open{true};
  std::thread thread;

  Impl(Controller& c, bool p) : controller(c), pace(p) {}
};

PtyPort::PtyPort(Controller& controller, bool pace_115200)
    : impl_(std::make_unique<Impl>(controller, pace_115200)) {
  Impl& d = *impl_;
  d.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (d.master < 0) throw std::runtime_error(std::string("posix_openpt: ") + std::strerror(errno));
  char name[128] = {};
  if (::grantpt(d.master) != 0 || ::unlockpt(d.master) != 0 ||
      ::ptsname_r(d.master, name, sizeof name) != 0) {
    ::close(d.master);
    throw std::runtime_error("pty setup failed");
  }
  d.path = name;
  d.slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (d.slave >= 0) MakeRaw(d.slave);
  MakeRaw(d.master);
  ::fcntl(d.master, F_SETFL, ::fcntl(d.master, F_GETFL) | O_NONBLOCK);
  d.stop_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  d.thread = std::thread([&d] {
    const detail::LinkEnd end =
        detail::ServeFrames(d.master, d.stop_fd, d.controller, "pty:" + d.path, d.pace);
    if (end != detail::LinkEnd::Stopped) {
      // The link goes away: close both sides so the client sees a hang-up.
      d.open = false;
      ::close(d.master);
      d.master = -1;
      if (d.slave >= 0) ::close(d.slave);
      d.slave = -1;
    }
  });
}

PtyPort::~PtyPort() {
  Impl& d = *impl_;
  const uint64_t one = 1;
  if (::write(d.stop_fd, &one, sizeof one) < 0) { /* cannot fail for an eventfd here */ }
  if (d.thread.joinable()) d.thread.join();
  if (d.master >= 0) ::close(d.master);
  if (d.slave >= 0) ::close(d.slave);
  ::close(d.stop_fd);
}

const std::string& PtyPort::slave_path() const { return impl_->path; }

bool PtyPort::open() const { return impl_->open.load(); }

}  // namespace jqsim
