// One network-link transaction (JQ_Check over JQ_Open_Net) against the
// simulator's listener, next to a plain socket client doing the same 13-byte
// request and 14-byte reply against the same listener. Prints both per-call
// times and their ratio (goal: the link costs at most 10 % over the plain
// client).
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "JQ_API.h"
#include "command.h"
#include "frames.h"
#include "sim.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Calls = 2000;

double g_link_us = 0;
double g_plain_us = 0;

double MicrosPerCall(Clock::time_point start, int calls) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls;
}

int ConnectPlain(uint16_t port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// The same exchange the link makes: write the frame, read exactly 14 bytes.
bool PlainExchange(int fd, const jq::TRequest_Frame& frame) {
  if (send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(frame.size())) return false;
  uint8_t reply[jq::Reply_Frame_Size];
  size_t got = 0;
  while (got < sizeof reply) {
    const ssize_t n = recv(fd, reply + got, sizeof reply - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  jq::TReply_Block block;
  return jq::Accept_Reply_Frame(frame, reply, got, block);
}

void BM_Net_Link_Check(benchmark::State& state) {
  jqsim::Controller sim;
  jqsim::TcpListener listener(sim);
  JQ_Init();
  if (JQ_Open_Net(127, 0, 0, 1, listener.port()) != 0) {
    state.SkipWithError("cannot open the network link");
    JQ_DeInit();
    return;
  }
  int failures = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    for (int i = 0; i < Calls; ++i) failures += JQ_Check() != 0;
    g_link_us = MicrosPerCall(start, Calls);
    sim.ClearLog();
  }
  JQ_Close_Net();
  JQ_DeInit();
  state.counters["us_per_call"] = g_link_us;
  state.counters["failures"] = failures;
}
BENCHMARK(BM_Net_Link_Check)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Plain_Socket_Check(benchmark::State& state) {
  jqsim::Controller sim;
  jqsim::TcpListener listener(sim);
  const int fd = ConnectPlain(listener.port());
  if (fd < 0) {
    state.SkipWithError("cannot connect");
    return;
  }
  const jq::TRequest_Frame frame = jq::Build_Request_Frame(jq::TCommand_Request{});
  int failures = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    for (int i = 0; i < Calls; ++i) failures += !PlainExchange(fd, frame);
    g_plain_us = MicrosPerCall(start, Calls);
    sim.ClearLog();
  }
  close(fd);
  state.counters["us_per_call"] = g_plain_us;
  state.counters["failures"] = failures;
  state.counters["link_us_per_call"] = g_link_us;
  state.counters["link_over_plain"] = g_plain_us > 0 ? g_link_us / g_plain_us : 0;
}
BENCHMARK(BM_Plain_Socket_Check)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_plain_us > 0)
    std::printf("network link %.2f us/call, plain socket client %.2f us/call, ratio %.3f\n", g_link_us, g_plain_us,
                g_link_us / g_plain_us);
  return 0;
}
