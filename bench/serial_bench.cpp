// One serial transaction over a pty against the simulated controller: through
// the library (JQ_Check) and as a plain write + read of the same frames on the
// same pty. Unpaced, the ratio of the two is the library's cost; paced like a
// 115200 baud line, the library is compared with the wire limit of 2.34 ms
// (27 bytes x 10 bits per exchange).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "include/JQ_API.h"
#include "tests/sim/sim.h"

namespace {

constexpr double Wire_Limit_us = 27 * 10 * 1e6 / 115200.0;

struct Bench_Pty {
  jqsim::Controller sim;
  std::unique_ptr<jqsim::PtyPort> pty;
};

Bench_Pty& Pty(bool paced) {
  static std::map<bool, std::unique_ptr<Bench_Pty>> ptys;
  auto& p = ptys[paced];
  if (!p) {
    p = std::make_unique<Bench_Pty>();
    p->pty = std::make_unique<jqsim::PtyPort>(p->sim, paced);
  }
  return *p;
}

void Report_Wire_Ratio(benchmark::State& state, std::chrono::steady_clock::duration elapsed) {
  const double per_exchange_us =
      std::chrono::duration<double, std::micro>(elapsed).count() / static_cast<double>(state.iterations());
  state.counters["per_exchange_us"] = per_exchange_us;
  state.counters["x_wire_limit"] = per_exchange_us / Wire_Limit_us;
}

void BM_Library_Transaction(benchmark::State& state) {
  const bool paced = state.range(0) != 0;
  Bench_Pty& p = Pty(paced);
  JQ_Init();
  if (JQ_Open_UART(p.pty->slave_path().c_str()) != 0 || JQ_Check() != 0) {
    state.SkipWithError("no answer over the pty");
    JQ_DeInit();
    return;
  }
  int failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) failures += JQ_Check() != 0;
  const auto elapsed = std::chrono::steady_clock::now() - start;
  JQ_Close_UART();
  JQ_DeInit();
  p.sim.ClearLog();
  state.counters["failures"] = failures;
  Report_Wire_Ratio(state, elapsed);
}

bool Read_Exact(int fd, uint8_t* buf, size_t count, int timeout_ms) {
  size_t got = 0;
  while (got < count) {
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, timeout_ms) <= 0) return false;
    const ssize_t n = ::read(fd, buf + got, count - got);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

void BM_Plain_Write_Read(benchmark::State& state) {
  const bool paced = state.range(0) != 0;
  Bench_Pty& p = Pty(paced);
  const int fd = ::open(p.pty->slave_path().c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) {
    state.SkipWithError("cannot open the pty");
    return;
  }
  termios t{};
  ::tcgetattr(fd, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(fd, TCSANOW, &t);
  ::tcflush(fd, TCIOFLUSH);
  const std::vector<uint8_t> frame = jqsim::EncodeRequestFrame(0, 0, 0);
  uint8_t reply[14];
  int failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size()) ||
        !Read_Exact(fd, reply, sizeof reply, 500))
      ++failures;
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ::close(fd);
  p.sim.ClearLog();
  state.counters["failures"] = failures;
  Report_Wire_Ratio(state, elapsed);
}

}  // namespace

// Arg 0: unpaced pty; arg 1: paced like 115200 baud.
BENCHMARK(BM_Library_Transaction)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Plain_Write_Read)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
