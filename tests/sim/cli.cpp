// jqsim-cli: one simulated controller on a pty and a loopback TCP port, for manual
// trials and demos (scripts/run).
//
//   jqsim-cli [--seconds N] [--port P] [--axes N] [--pace] [--verbose]
//
// Prints "pty: <slave path>" and "tcp: <port>" on their own lines, then serves until
// N seconds have passed, or until SIGINT/SIGTERM.
#include "tests/sim/sim.h"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {
void Usage() {
  std::fprintf(stderr,
               "usage: jqsim-cli [--seconds N] [--port P] [--axes N] [--pace] [--verbose]\n"
               "  --seconds N  exit after N seconds (default: until SIGINT/SIGTERM)\n"
               "  --port P     TCP port on 127.0.0.1 (default: an ephemeral one)\n"
               "  --axes N     axis count answered to command 100 (default 4)\n"
               "  --pace       pace pty replies like 115200 baud\n"
               "  --verbose    print every request\n");
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

  try {
    jqsim::Controller controller;
    controller.SetAxisCount(axes);
    jqsim::PtyPort pty(controller, pace);
    jqsim::TcpListener tcp(controller, static_cast<uint16_t>(port));
    std::printf("pty: %s\ntcp: %u\n", pty.slave_path().c_str(), tcp.port());
    std::fflush(stdout);

    const uint64_t start = jqsim::MonotonicUs();
    size_t shown = 0;
    while (true) {
      if (seconds >= 0 && jqsim::MonotonicUs() - start >= static_cast<uint64_t>(seconds * 1e6)) break;
      timespec ts{0, 100 * 1000 * 1000};
      const int sig = sigtimedwait(&set, nullptr, &ts);
      if (sig == SIGINT || sig == SIGTERM) break;
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
