// How much faster than real time a scenario runs: virtual seconds per wall
// second for a `wait 1h` on the default panel, with and without a trace or
// an event log.
//
//   build/bench/qx40-bench-scenario

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "scenario/runner.h"
#include "qt/offscreen.h"

namespace {

constexpr double scriptVirtualSeconds = 3600;

void RunHour(benchmark::State& state, const scenario::RunOptions& options) {
  const std::string script = (std::filesystem::temp_directory_path() / "qx40-bench-hour.qxs").string();
  std::ofstream(script) << "wait 1h\n";
  for (auto _ : state) {
    std::ostringstream out;
    if (scenario::RunScripts({script}, options, out) != scenario::allPassed) state.SkipWithError("the script failed");
  }
  state.counters["virtual_s_per_wall_s"] =
      benchmark::Counter(scriptVirtualSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_WaitOneHour(benchmark::State& state) { RunHour(state, {}); }
BENCHMARK(BM_WaitOneHour)->Unit(benchmark::kMillisecond);

void BM_WaitOneHourTraced(benchmark::State& state) {
  scenario::RunOptions options;
  options.trace = "/dev/null";
  RunHour(state, options);
}
BENCHMARK(BM_WaitOneHourTraced)->Unit(benchmark::kMillisecond);

// The event log's cost: a sample after every 5 ms step.
void BM_WaitOneHourLogged(benchmark::State& state) {
  scenario::RunOptions options;
  options.log = "/dev/null";
  RunHour(state, options);
}
BENCHMARK(BM_WaitOneHourLogged)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  OffscreenGui gui(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
