// The test server's market: how long it takes to build at the clock (the server's start), to move
// on a minute (each market minute of a played session), to answer the radar, a day's trend and a
// security's first bars of a period, and the memory its process holds at the peak.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "testserver/Market.h"

namespace {

constexpr uint64_t kSeed = 20151217;

// The process's peak resident memory in KiB (0 where /proc is not there).
double PeakKiB() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return 0;
  char line[256];
  double kib = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::atof(line + 6);
  std::fclose(f);
  return kib;
}

// A Wednesday in the morning session, at night after the close and with the night session
// open, and a Monday past midnight before the open.
void Clocks(benchmark::internal::Benchmark* b) {
  b->Args({20261209, 10 * 60 + 30})->Args({20261209, 22 * 60})->Args({20261207, 1 * 60 + 30});
}

void BM_MarketBuild(benchmark::State& state) {
  const auto date = static_cast<int32_t>(state.range(0));
  const auto minute = static_cast<int>(state.range(1));
  for (auto _ : state) {
    testserver::Market m(kSeed, date, minute);
    benchmark::DoNotOptimize(m.securities().data());
  }
  state.counters["peak_kib"] = PeakKiB();
}
BENCHMARK(BM_MarketBuild)->Apply(Clocks)->Unit(benchmark::kMillisecond);

void BM_MarketMinute(benchmark::State& state) {
  testserver::Market m(kSeed, 20261209, 9 * 60 + 30);
  int minute = 9 * 60 + 30;
  for (auto _ : state) {
    if (++minute > 15 * 60) {
      state.PauseTiming();
      m.setMinute(minute = 9 * 60 + 31);
      state.ResumeTiming();
    }
    m.setMinute(minute);
  }
}
BENCHMARK(BM_MarketMinute)->Unit(benchmark::kMicrosecond);

void BM_RadarAfterAMinute(benchmark::State& state) {
  testserver::Market m(kSeed, 20261209, 10 * 60);
  int minute = 10 * 60;
  for (auto _ : state) {
    m.setMinute(++minute > 15 * 60 ? (minute = 10 * 60) : minute);
    benchmark::DoNotOptimize(m.radar().size());
  }
}
BENCHMARK(BM_RadarAfterAMinute)->Unit(benchmark::kMicrosecond);

void BM_TrendAndTicks(benchmark::State& state) {
  const testserver::Market m(kSeed, 20261209, 15 * 60);
  const testserver::Security* s = m.find(1, "600000");
  for (auto _ : state) {
    benchmark::DoNotOptimize(m.trend(*s).size());
    benchmark::DoNotOptimize(m.trades(*s, 200).size());
  }
}
BENCHMARK(BM_TrendAndTicks)->Unit(benchmark::kMicrosecond);

// The first answer of a security's bars of a period (a fresh market each time: nothing made for an
// earlier answer is kept), for a share and for an index, whose days are made of its members', with
// the main force (the past days' trades played again) or without.
void BM_FirstBars(benchmark::State& state) {
  const int period = static_cast<int>(state.range(0));
  const bool index = state.range(1) != 0;
  const bool mainForce = state.range(2) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    const testserver::Market m(kSeed, 20261209, 15 * 60);
    const testserver::Security* s = index ? m.find(1, "000001") : m.find(1, "600000");
    state.ResumeTiming();
    benchmark::DoNotOptimize(m.bars(*s, period, 100, mainForce).size());
  }
}
BENCHMARK(BM_FirstBars)->ArgsProduct({{1, 3, 4}, {0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
