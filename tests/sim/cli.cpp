// jqsim-cli: one simulated controller on a pty, a loopback TCP port and, when
// asked, a simulated USB device, for manual trials and demos (scripts/run).
//
//   jqsim-cli [--seconds N] [--port P] [--hid-socket PATH] [--exit-with-parent]
//             [--axes N] [--pace] [--verbose]
//
// Prints "pty: <slave path>", "tcp: <port>" and, with --hid-socket, "usb: <device
// path>" on their own lines, then serves until N seconds have passed, the process
// that started it has ended (when asked), or SIGINT/SIGTERM arrives.
#include "tests/sim/sim.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {
void Usage() {
  std::fprintf(stderr,
               "usage: jqsim-cli [--seconds N] [--port P] [--hid-socket PATH] [--exit-with-parent]\n"
               "                 [--axes N] [--pace] [--verbose]\n"
               "  --seconds N        exit after N seconds (default: until SIGINT/SIGTERM)\n"
               "  --port P           TCP port on 127.0.0.1 (default: an ephemeral one)\n"
               "  --hid-socket PATH  offer a simulated USB device at this Unix socket to programs\n"
               "                     started with libjqsim_hid_client.so preloaded and\n"
               "                     JQSIM_HID_SOCKET=PATH\n"
               "  --exit-with-parent exit once the process that started it has ended\n"
               "  --axes N           axis count answered to command 100 (default 4)\n"
               "  --pace             pace pty replies like 115200 baud\n"
               "  --verbose          print every request\n");
}

void PrintNew(const jqsim::Controller& c, size_t& shown) {
  const auto log = c.Log();
  for (; shown < log.size(); ++shown) {
    const auto& e = log[shown];
    std::printf("%s code %u index %u value %d%s\n", e.device.c_str(), e.code, e.index, e.value,
                e.unknown ? " (unknown code)" : "");
  }
  std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
  double seconds = -1;
  long port = 0;
  int axes = 4;
  bool pace = false, verbose = false;
  std::string hid_socket;
  bool exit_with_parent = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> const char* {
      if (i + 1 >= argc) {
        Usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--seconds") {
      seconds = std::atof(next());
    } else if (a == "--port") {
      port = std::strtol(next(), nullptr, 10);
      if (port < 0 || port > 65535) {
        Usage();
        return 2;
      }
    } else if (a == "--hid-socket") {
      hid_socket = next();
    } else if (a == "--exit-with-parent") {
      exit_with_parent = true;
    } else if (a == "--axes") {
      axes = std::atoi(next());
    } else if (a == "--pace") {
      pace = true;
    } else if (a == "--verbose") {
      verbose = true;
    } else if (a == "-h" || a == "--help") {
      Usage();
      return 0;
    } else {
      Usage();
      return 2;
    }
  }

  // Block the stop signals before any thread starts; the main thread waits for them.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);

  // A parent that ends hands us to another process at once, even while it is
  // not yet reaped.
  const pid_t parent = ::getppid();
  try {
    jqsim::Controller controller;
    controller.SetAxisCount(axes);
    jqsim::PtyPort pty(controller, pace);
    jqsim::TcpListener tcp(controller, static_cast<uint16_t>(port));
    std::unique_ptr<jqsim::HidSocket> usb;
    const jqsim::HidDeviceInfo usb_device;
    if (!hid_socket.empty()) {
      jqsim::AttachHid(usb_device, controller);
      usb = std::make_unique<jqsim::HidSocket>(hid_socket);
    }
    std::printf("pty: %s\ntcp: %u\n", pty.slave_path().c_str(), tcp.port());
    if (usb) std::printf("usb: %s\n", usb_device.path.c_str());
    std::fflush(stdout);

    const uint64_t start = jqsim::MonotonicUs();
    size_t shown = 0;
    while (true) {
      if (seconds >= 0 && jqsim::MonotonicUs() - start >= static_cast<uint64_t>(seconds * 1e6)) break;
      timespec ts{0, 100 * 1000 * 1000};
      const int sig = sigtimedwait(&set, nullptr, &ts);
      if (sig == SIGINT || sig == SIGTERM) break;
      if (exit_with_parent && ::getppid() != parent) break;
      if (verbose) PrintNew(controller, shown);
    }
    if (verbose) PrintNew(controller, shown);
    std::printf("requests: %zu\n", controller.Log().size());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "jqsim-cli: %s\n", e.what());
    return 1;
  }
  return 0;
}
