// Run-loop performs and timers, notification posts and property-list coding.
#include <benchmark/benchmark.h>

#include <atomic>

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Thread.h"

using namespace foundation;

namespace {

// A perform to another thread's loop and back: the cost of one hop each way.
void BM_PerformRoundTrip(benchmark::State& state) {
  auto worker = Thread::start("bench");
  auto home = RunLoop::current();
  for (auto _ : state) {
    bool done = false;
    worker->perform([&] { home->perform([&] { done = true; }); });
    while (!done) home->runOnce(kDefaultRunLoopMode, 1);
  }
  worker->stopAndJoin();
}
BENCHMARK(BM_PerformRoundTrip);

// Many performs queued on the loop's own thread, then drained.
void BM_PerformBatch(benchmark::State& state) {
  auto loop = RunLoop::current();
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    int ran = 0;
    for (int i = 0; i < n; ++i) loop->perform([&] { ++ran; });
    while (ran < n) loop->runOnce();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PerformBatch)->Arg(1000);

// Timers stepped by the manual clock: the per-pass scan over scheduled timers.
void BM_ManualClockTimers(benchmark::State& state) {
  Clock::setManual();
  auto loop = RunLoop::current();
  std::vector<std::shared_ptr<Timer>> timers;
  int fires = 0;
  for (int i = 0; i < state.range(0); ++i)
    timers.push_back(Timer::schedule(0.01 * (i + 1), true, [&](Timer&) { ++fires; }));
  for (auto _ : state) loop->runFor(0.1);
  for (auto& t : timers) t->invalidate();
  loop->runOnce();
  Clock::setReal();
  state.counters["fires"] = fires;
}
BENCHMARK(BM_ManualClockTimers)->Arg(10)->Arg(100);

void BM_PostToObservers(benchmark::State& state) {
  NotificationCenter center;
  int calls = 0;
  for (int i = 0; i < state.range(0); ++i)
    center.addObserver(nullptr, "SelfStock", [&](const Notification&) { ++calls; });
  Value info = Dictionary{{"Data_ID", Value::data("0123456789", 10)}};
  for (auto _ : state) center.post("SelfStock", nullptr, info);
  benchmark::DoNotOptimize(calls);
}
BENCHMARK(BM_PostToObservers)->Arg(1)->Arg(20);

Value sampleList(int n) {
  Array rows;
  for (int i = 0; i < n; ++i) {
    rows.push_back(Dictionary{{"code", std::to_string(600000 + i)},
                              {"market", 1},
                              {"name", "浦发银行"},
                              {"price", 10.25 + i}});
  }
  return Dictionary{{"rows", Value(std::move(rows))}};
}

void BM_PropertyListWrite(benchmark::State& state) {
  Value v = sampleList(1000);
  auto format = state.range(0) ? PropertyListFormat::Binary : PropertyListFormat::Xml;
  std::string out;
  for (auto _ : state) PropertyList::serialize(v, format, out);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}
BENCHMARK(BM_PropertyListWrite)->Arg(0)->Arg(1);

void BM_PropertyListRead(benchmark::State& state) {
  auto format = state.range(0) ? PropertyListFormat::Binary : PropertyListFormat::Xml;
  std::string bytes;
  PropertyList::serialize(sampleList(1000), format, bytes);
  for (auto _ : state) benchmark::DoNotOptimize(PropertyList::parse(bytes));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_PropertyListRead)->Arg(0)->Arg(1);

}  // namespace
