// One network-link transaction (JQ_Check over JQ_Open_Net) against the
// simulator's listener, next to a plain socket client doing the same 13-byte
// request and 14-byte reply against the same listener. Prints both per-call
// times (medians of alternating rounds) and their ratio (goal: the link costs
// at most 10 % over the plain client). The process pins itself to one core
// first: with the simulator's thread on the same core, every exchange is the
// same pair of hand-overs, so the ratio repeats from run to run. A third
// client polls before each request as the link's connected test does; it
// shows what of the link's cost is that test's system call.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "include/JQ_API.h"
#include "device_api/command.h"
#include "device_api/frames.h"
#include "tests/sim/sim.h"
#include "bench/pin_core.h"
#include "bench/plain_client.h"

namespace {

using bench::ConnectPlain;
using bench::PlainExchange;
using Clock = std::chrono::steady_clock;
constexpr int Calls = 500;

double g_link_us = 0;
double g_plain_us = 0;
double g_plain_poll_us = 0;

double MicrosPerCall(Clock::time_point start, int calls) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Both clients on one listener, in alternating rounds, so that a busy moment of
// the machine falls on both alike; each figure is the median of its rounds.
void BM_Net_Link_Next_To_Plain_Client(benchmark::State& state) {
  jqsim::Controller sim;
  jqsim::TcpListener listener(sim);
  JQ_Init();
  const int fd = ConnectPlain(listener.port());
  if (JQ_Open_Net(127, 0, 0, 1, listener.port()) != 0 || fd < 0) {
    state.SkipWithError("cannot connect");
    if (fd >= 0) close(fd);
    JQ_DeInit();
    return;
  }
  const jq::TRequest_Frame frame = jq::Build_Request_Frame(jq::TCommand_Request{});
  std::vector<double> link_rounds, plain_rounds, plain_poll_rounds;
  int failures = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    for (int i = 0; i < Calls; ++i) failures += JQ_Check() != 0;
    link_rounds.push_back(MicrosPerCall(start, Calls));
    start = Clock::now();
    for (int i = 0; i < Calls; ++i) failures += !PlainExchange(fd, frame);
    plain_rounds.push_back(MicrosPerCall(start, Calls));
    start = Clock::now();
    for (int i = 0; i < Calls; ++i) failures += !PlainExchange(fd, frame, true);
    plain_poll_rounds.push_back(MicrosPerCall(start, Calls));
    sim.ClearLog();
  }
  close(fd);
  JQ_Close_Net();
  JQ_DeInit();
  g_link_us = Median(link_rounds);
  g_plain_us = Median(plain_rounds);
  g_plain_poll_us = Median(plain_poll_rounds);
  state.counters["link_us_per_call"] = g_link_us;
  state.counters["plain_us_per_call"] = g_plain_us;
  state.counters["plain_with_poll_us_per_call"] = g_plain_poll_us;
  state.counters["link_over_plain"] = g_plain_us > 0 ? g_link_us / g_plain_us : 0;
  state.counters["failures"] = failures;
}
BENCHMARK(BM_Net_Link_Next_To_Plain_Client)->Iterations(15)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  const int core = PinToOneCore();
  std::printf("pinned to core %d\n", core);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_plain_us > 0) {
    std::printf("network link %.2f us/call, plain socket client %.2f us/call, ratio %.3f\n", g_link_us, g_plain_us,
                g_link_us / g_plain_us);
    std::printf("plain client with a zero-wait poll before each request %.2f us/call, ratio %.3f to the plain "
                "client; the link next to it: ratio %.3f\n",
                g_plain_poll_us, g_plain_poll_us / g_plain_us, g_link_us / g_plain_poll_us);
  }
  return 0;
}
