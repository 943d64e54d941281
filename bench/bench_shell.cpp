// Shell: the action engine's timer thread on the real clock. It should tick about 30 times a
// second; the run fails when the measured rate leaves 10..45 ticks per second.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "platform/foundation/Clock.h"
#include "shell/ThreadAction.h"
#include "shell/ThreadCache.h"

namespace {

void BM_ActionEngineTickRate(benchmark::State& state) {
  foundation::Clock::setReal();
  double ticksPerSecond = 0;
  for (auto _ : state) {
    ThreadCache engine(true);
    // Targetless moves compute every tick without touching any view.
    for (int i = 0; i < 50; ++i)
      engine.addThreadAction(Repeat::create({MoveTo::create(1.0f, {0, 0}, {100, 100})}));
    const auto start = std::chrono::steady_clock::now();
    engine.startAllActions();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const uint64_t ticks = engine.tickCount();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    engine.stop();
    ticksPerSecond = static_cast<double>(ticks) / seconds;
  }
  state.counters["ticks_per_second"] = ticksPerSecond;
  if (ticksPerSecond < 10 || ticksPerSecond > 45)
    state.SkipWithError("the engine does not tick about 30 times a second");
}
BENCHMARK(BM_ActionEngineTickRate)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
