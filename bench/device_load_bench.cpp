// The device library under load, in one run:
//  - 2, 4 and 8 threads on as many TCP slots: throughput next to one thread's
//    (goal: 8 threads reach 0.9 x one thread, on all cores and under
//    `taskset -c 0,1`) and the p99 and worst call time counted in single-thread
//    exchanges (goal: at most 8 exchanges of waiting); the eight-slot figures are
//    printed again at the end, with the times a thread gave up its core per
//    call and the machine's load average. Every slot has a peer of its own
//    (its own listener, connection and answering thread), like eight
//    controllers, and every rate is the calls of all callers together; each
//    caller runs on one processor with its peer (slot k on the k-th usable
//    processor), in every case alike. The raw peer, in the same rounds: plain
//    socket clients of the same peers, placed the same way, one alone and
//    then as many as the callers taking turns through a bare lock in arrival
//    order whose waiters never sleep (the cheapest hand-over there is). Its
//    ratio is what the machine allows any one lock held across the exchange;
//    the library's ratio is printed next to it, with the two's quotient;
//  - USB back-to-back commands against a simulated device that answers after 1 ms,
//    at poll periods 5, 1 and 0: time over the device's own reply time (goal: 0.3 ms);
//  - the USB reader with no device open: wake-ups and CPU time while idle (goal: none);
//  - the library's own cost per call on a slot without a link.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "include/JQ_API.h"
#include "bench/plain_client.h"
#include "device_api/command.h"
#include "device_api/frames.h"
#include "tests/sim/sim.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(static_cast<double>(v.size()) * p))];
}

// ---------------- threads on TCP slots ----------------

struct Tcp_Figures {
  double one_thread_calls_per_s = 0;
  double one_thread_lowest = 0, one_thread_highest = 0;  // the baseline's spread over the rounds
  double rotating_calls_per_s = 0;
  double eight_calls_per_s = 0;
  double eight_p99_wait = 0;
  double eight_worst_wait = 0;
  double one_thread_sleeps_per_call = 0;
  double eight_sleeps_per_call = 0;
  double plain_ratio = 0;  // the raw peer's eight clients over its one
};
Tcp_Figures g_tcp;

double Median(std::vector<double> v) { return Percentile(std::move(v), 0.5); }

// Times the threads of this process (callers and the simulator's peers) gave
// up their core: a figure that, unlike the rate, hardly moves with the
// machine's load. One exchange costs two (the caller waits for the reply, the
// peer for the next request); whatever more a hand-over of the lock costs
// shows here.
long Process_Sleeps() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return u.ru_nvcsw;
}

std::string Load_Average() {
  std::ifstream in("/proc/loadavg");
  std::string one;
  in >> one;
  return one.empty() ? "?" : one;
}

// The processors this process may use (its affinity set, e.g. under taskset).
std::vector<int> Usable_Processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  std::vector<int> cpus;
  if (::sched_getaffinity(0, sizeof set, &set) == 0)
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
      if (CPU_ISSET(cpu, &set)) cpus.push_back(cpu);
  return cpus;
}

// Where the caller of a slot and that slot's peer run: together on one of the
// usable processors, slot k on the k-th (round the set). A loopback exchange
// between two processors costs several times one on a single processor (on a
// virtual machine a sleeping processor wakes slowly), and left to the
// scheduler the pair lands now on one, now on two: one thread's rate, the
// baseline of every ratio, then swings by a factor of four from round to
// round. Pinned alike in every case, each exchange costs the same with one
// caller as with eight, and what the ratio shows is the lock's hand-over.
std::vector<int> g_slot_cpu;

void Pin_To(int cpu) {
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(cpu, &one);
  ::sched_setaffinity(0, sizeof one, &one);
}

// `threads` callers on slots 0..threads-1, Calls_Per_Thread each, each making
// `call(slot)` (true when it succeeded); returns calls/s and adds every call's
// duration to `call_us`. With `rotate`, one caller that turns to the next of
// `threads` slots with each call.
constexpr int Calls_Per_Thread = 1000;
template <class Call>
double Run_Callers(int threads, const Call& call, std::vector<double>& call_us, std::atomic<int>& failures,
                   bool rotate = false) {
  if (rotate) {
    const auto start = Clock::now();
    for (int i = 0; i < Calls_Per_Thread; ++i)
      if (!call(i % threads)) ++failures;
    return Calls_Per_Thread / (Micros(Clock::now() - start) / 1e6);
  }
  std::vector<std::vector<double>> per_thread(threads);
  const auto start = Clock::now();
  std::vector<std::thread> workers;
  for (int slot = 0; slot < threads; ++slot)
    workers.emplace_back([&, slot] {
      if (slot < static_cast<int>(g_slot_cpu.size())) Pin_To(g_slot_cpu[slot]);
      per_thread[slot].reserve(Calls_Per_Thread);
      for (int i = 0; i < Calls_Per_Thread; ++i) {
        const auto t = Clock::now();
        if (!call(slot)) ++failures;
        per_thread[slot].push_back(Micros(Clock::now() - t));
      }
    });
  for (auto& w : workers) w.join();
  const double seconds = Micros(Clock::now() - start) / 1e6;
  for (auto& v : per_thread) call_us.insert(call_us.end(), v.begin(), v.end());
  return threads * Calls_Per_Thread / seconds;
}

bool Library_Call(int slot) { return JQ_M_Check(slot) == 0; }

// The raw peer's lock: turns in arrival order, each waiter awake and giving
// its core to whatever else may run between two looks.
class Bare_Turn_Lock {
 public:
  void lock() {
    const uint64_t ticket = next_.fetch_add(1);
    while (serving_.load(std::memory_order_acquire) != ticket) ::sched_yield();
  }
  void unlock() { serving_.fetch_add(1, std::memory_order_release); }

 private:
  std::atomic<uint64_t> next_{0}, serving_{0};
};

// Each round runs one thread on one slot, one thread turning over all the
// slots, then `threads` threads on as many slots, so that a busy moment of the
// machine falls on all alike; the figures are medians of the rounds. The wait
// of a call is its time less one single-thread exchange, counted in such
// exchanges. The turning thread shows what the peers cost without any lock
// contention: on a machine where a peer that has been idle a while wakes
// slowly, its exchanges are slower than those with one busy peer.
void BM_TCP_Slots(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  JQ_Init();
  // A peer's threads (its listener's, then the one serving the connection)
  // inherit the processor of the thread that starts them.
  cpu_set_t all;
  ::sched_getaffinity(0, sizeof all, &all);
  const std::vector<int> cpus = Usable_Processors();
  g_slot_cpu.clear();
  std::vector<std::unique_ptr<jqsim::Controller>> sims;
  std::vector<std::unique_ptr<jqsim::TcpListener>> listeners;
  std::vector<int> plain;  // the raw peer's connections, one per slot
  bool opened = true;
  for (int slot = 0; slot < threads && opened; ++slot) {
    g_slot_cpu.push_back(cpus.empty() ? 0 : cpus[static_cast<size_t>(slot) % cpus.size()]);
    if (!cpus.empty()) Pin_To(g_slot_cpu.back());
    sims.push_back(std::make_unique<jqsim::Controller>());
    listeners.push_back(std::make_unique<jqsim::TcpListener>(*sims.back()));
    opened = JQ_M_Open_Net(slot, 127, 0, 0, 1, listeners.back()->port()) == 0;
    plain.push_back(bench::ConnectPlain(listeners.back()->port()));
    opened = opened && plain.back() >= 0;
    // A connection is served once accepted: wait for both while still pinned.
    for (int wait = 0; opened && listeners.back()->Connections() < 2 && wait < 1000; ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::sched_setaffinity(0, sizeof all, &all);
  const auto close_plain = [&] {
    for (int fd : plain)
      if (fd >= 0) ::close(fd);
  };
  if (!opened) {
    state.SkipWithError("cannot open a TCP slot");
    close_plain();
    JQ_DeInit();
    return;
  }
  const jq::TRequest_Frame frame = jq::Build_Request_Frame(jq::TCommand_Request{});
  Bare_Turn_Lock bare_lock;
  const auto plain_call = [&](int slot) { return bench::PlainExchange(plain[slot], frame); };
  const auto plain_turn_call = [&](int slot) {
    std::lock_guard turn(bare_lock);
    return bench::PlainExchange(plain[slot], frame);
  };
  std::vector<double> one_rates, rotating_rates, many_rates, ratios, p99_waits, worst_waits, one_sleeps,
      many_sleeps, plain_ratios;
  std::atomic<int> failures{0};
  for (auto _ : state) {
    std::vector<double> one_us, many_us;
    long sleeps = Process_Sleeps();
    const double one = Run_Callers(1, Library_Call, one_us, failures);
    one_sleeps.push_back(static_cast<double>(Process_Sleeps() - sleeps) / Calls_Per_Thread);
    std::vector<double> unused;
    rotating_rates.push_back(Run_Callers(threads, Library_Call, unused, failures, true));
    sleeps = Process_Sleeps();
    const double many = Run_Callers(threads, Library_Call, many_us, failures);
    many_sleeps.push_back(static_cast<double>(Process_Sleeps() - sleeps) / (threads * Calls_Per_Thread));
    const double plain_one = Run_Callers(1, plain_call, unused, failures);
    plain_ratios.push_back(Run_Callers(threads, plain_turn_call, unused, failures) / plain_one);
    const double exchange_us = Median(one_us);
    one_rates.push_back(one);
    many_rates.push_back(many);
    ratios.push_back(many / one);
    p99_waits.push_back((Percentile(many_us, 0.99) - exchange_us) / exchange_us);
    worst_waits.push_back((*std::max_element(many_us.begin(), many_us.end()) - exchange_us) / exchange_us);
    for (auto& sim : sims) sim->ClearLog();
  }
  close_plain();
  JQ_DeInit();
  state.counters["calls_per_s"] = Median(many_rates);
  state.counters["one_thread_calls_per_s"] = Median(one_rates);
  state.counters["one_thread_turning_calls_per_s"] = Median(rotating_rates);
  state.counters["x_one_thread"] = Median(ratios);
  state.counters["p99_wait_exchanges"] = Median(p99_waits);
  state.counters["worst_wait_exchanges"] = *std::max_element(worst_waits.begin(), worst_waits.end());
  state.counters["failures"] = failures.load();
  state.counters["one_thread_sleeps_per_call"] = Median(one_sleeps);
  state.counters["sleeps_per_call"] = Median(many_sleeps);
  state.counters["plain_x_one_client"] = Median(plain_ratios);
  if (threads == 8) {
    g_tcp.one_thread_sleeps_per_call = Median(one_sleeps);
    g_tcp.eight_sleeps_per_call = Median(many_sleeps);
    g_tcp.one_thread_calls_per_s = Median(one_rates);
    g_tcp.one_thread_lowest = *std::min_element(one_rates.begin(), one_rates.end());
    g_tcp.one_thread_highest = *std::max_element(one_rates.begin(), one_rates.end());
    g_tcp.rotating_calls_per_s = Median(rotating_rates);
    g_tcp.eight_calls_per_s = Median(many_rates);
    g_tcp.eight_p99_wait = Median(p99_waits);
    g_tcp.eight_worst_wait = *std::max_element(worst_waits.begin(), worst_waits.end());
    g_tcp.plain_ratio = Median(plain_ratios);
  }
}
BENCHMARK(BM_TCP_Slots)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->ArgName("threads")
    ->Iterations(9)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// ---------------- USB back-to-back ----------------

constexpr double Device_Reply_us = 1000;

void BM_USB_Back_To_Back(benchmark::State& state) {
  jqsim::Controller sim;
  JQ_Init();
  jqsim::AttachHid(jqsim::HidDeviceInfo{}, sim);
  JQ_Open_USB();
  JQ_Set_Thread_Timeout(static_cast<int32_t>(state.range(0)));
  sim.SetFault({jqsim::FaultKind::Delay, static_cast<int>(Device_Reply_us / 1000)});
  std::vector<double> us;
  int failures = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    failures += JQ_Check() != 0;
    us.push_back(Micros(Clock::now() - start));
  }
  JQ_DeInit();
  jqsim::DetachAllHid();
  double mean = 0;
  for (double v : us) mean += v;
  mean /= std::max<size_t>(us.size(), 1);
  state.counters["mean_us"] = mean;
  state.counters["device_reply_us"] = Device_Reply_us;
  state.counters["over_device_ms"] = (mean - Device_Reply_us) / 1000;
  state.counters["p99_us"] = Percentile(us, 0.99);
  state.counters["failures"] = failures;
}
BENCHMARK(BM_USB_Back_To_Back)->Arg(5)->Arg(1)->Arg(0)->ArgName("poll_ms")->Iterations(300)
    ->Unit(benchmark::kMicrosecond)->UseRealTime();

// ---------------- idle reader ----------------

// Context switches of every thread of the process but the calling one.
long Other_Threads_Switches() {
  const long self = static_cast<long>(::syscall(SYS_gettid));
  long total = 0;
  DIR* dir = ::opendir("/proc/self/task");
  if (!dir) return 0;
  while (dirent* e = ::readdir(dir)) {
    if (e->d_name[0] == '.' || std::stol(e->d_name) == self) continue;
    std::ifstream status(std::string("/proc/self/task/") + e->d_name + "/status");
    std::string line;
    while (std::getline(status, line))
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
        total += std::stol(line.substr(line.find(':') + 1));
  }
  ::closedir(dir);
  return total;
}

double Process_Cpu_ms() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void BM_Idle_Reader_No_Device(benchmark::State& state) {
  JQ_Init();
  JQ_Set_Thread_Timeout(static_cast<int32_t>(state.range(0)));
  constexpr int Idle_ms = 500;
  long switches = 0;
  double cpu_ms = 0;
  for (auto _ : state) {
    const long s0 = Other_Threads_Switches();
    const double c0 = Process_Cpu_ms();
    std::this_thread::sleep_for(std::chrono::milliseconds(Idle_ms));
    switches += Other_Threads_Switches() - s0;
    cpu_ms += Process_Cpu_ms() - c0;
  }
  JQ_DeInit();
  const double seconds = Idle_ms / 1000.0 * static_cast<double>(state.iterations());
  state.counters["wakeups_per_s"] = static_cast<double>(switches) / seconds;
  state.counters["cpu_ms_per_s"] = cpu_ms / seconds;
}
BENCHMARK(BM_Idle_Reader_No_Device)->Arg(5)->Arg(0)->ArgName("poll_ms")->Iterations(2)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------- the library's own cost ----------------

void BM_Send_Command_Link_None(benchmark::State& state) {
  JQ_Init();
  int32_t v;
  for (auto _ : state) benchmark::DoNotOptimize(JQ_M_Get_Axis_Num(5, &v));
  JQ_DeInit();
}
BENCHMARK(BM_Send_Command_Link_None)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string load_before = Load_Average();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_tcp.one_thread_calls_per_s > 0 && g_tcp.eight_calls_per_s > 0) {
    std::printf(
        "eight threads on eight slots %.0f calls/s, one thread on one slot %.0f calls/s, ratio %.3f "
        "(median of rounds); wait p99 %.1f, worst %.1f exchanges\n",
        g_tcp.eight_calls_per_s, g_tcp.one_thread_calls_per_s,
        g_tcp.eight_calls_per_s / g_tcp.one_thread_calls_per_s, g_tcp.eight_p99_wait, g_tcp.eight_worst_wait);
    std::printf("one thread on one slot over the rounds: lowest %.0f, highest %.0f calls/s\n",
                g_tcp.one_thread_lowest, g_tcp.one_thread_highest);
    std::printf(
        "one thread turning over the eight slots %.0f calls/s; eight threads next to it: ratio %.3f\n",
        g_tcp.rotating_calls_per_s, g_tcp.eight_calls_per_s / g_tcp.rotating_calls_per_s);
    std::printf("threads giving up their core per call: one thread %.2f, eight threads %.2f\n",
                g_tcp.one_thread_sleeps_per_call, g_tcp.eight_sleeps_per_call);
    const double ratio = g_tcp.eight_calls_per_s / g_tcp.one_thread_calls_per_s;
    std::printf(
        "raw peer, plain sockets to the same peers: eight clients taking turns through a bare lock in arrival "
        "order next to one client, ratio %.3f; the library's ratio over it %.3f\n",
        g_tcp.plain_ratio, g_tcp.plain_ratio > 0 ? ratio / g_tcp.plain_ratio : 0);
  }
  std::printf("load average %s before, %s after\n", load_before.c_str(), Load_Average().c_str());
  return 0;
}
