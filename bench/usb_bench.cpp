// One USB command against the simulated HID backend at several reader poll periods,
// and the library's own cost per call on a slot without a link.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "JQ_API.h"
#include "sim.h"

namespace {

using Clock = std::chrono::steady_clock;

void Report_Latencies(benchmark::State& state, std::vector<double>& us) {
  if (us.empty()) return;
  std::sort(us.begin(), us.end());
  double sum = 0;
  for (double v : us) sum += v;
  state.counters["mean_us"] = sum / static_cast<double>(us.size());
  state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
}

void BM_USB_Transaction(benchmark::State& state) {
  jqsim::Controller sim;
  JQ_Init();
  jqsim::AttachHid(jqsim::HidDeviceInfo{}, sim);
  JQ_Open_USB();
  JQ_Set_Thread_Timeout(static_cast<int32_t>(state.range(0)));
  std::vector<double> us;
  int failures = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    failures += JQ_Check() != 0;
    us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  Report_Latencies(state, us);
  state.counters["failures"] = failures;
  JQ_DeInit();
  jqsim::DetachAllHid();
}
BENCHMARK(BM_USB_Transaction)->Arg(5)->Arg(1)->Arg(0)->ArgName("poll_ms")->Iterations(300)
    ->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Send_Command_Link_None(benchmark::State& state) {
  JQ_Init();
  int32_t v;
  for (auto _ : state) benchmark::DoNotOptimize(JQ_M_Get_Axis_Num(5, &v));
  JQ_DeInit();
}
BENCHMARK(BM_Send_Command_Link_None)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
