// The side-by-side timing of the frame benchmarks against the plain programs.
#pragma once

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <string>

#include "bench/FrameCompare.h"

namespace plain {

// Times the project's frame against the plain program's, side by side in this thread, after
// checking on six frames that both draw the same pixels (a benchmark whose frames differ times
// nothing; the later ones are drawn from kept pixels or in their changed places). `next` makes the change each frame brings; the counters give both times and
// their ratio.
template <typename Next, typename Mine, typename Plain>
void TimeAgainstPlain(benchmark::State& state, cairo_surface_t* mine, cairo_surface_t* other,
                      Next&& next, Mine&& drawMine, Plain&& drawPlain) {
  for (int i = 0; i < 6; ++i) {
    next();
    drawMine();
    drawPlain();
    const long diff = DifferentPixels(mine, other);
    if (diff != 0) {
      state.SkipWithError(("frames differ in " + std::to_string(diff) + " pixels").c_str());
      return;
    }
  }
  double mineSeconds = 0, plainSeconds = 0;
  for (auto _ : state) {
    next();
    const double t0 = ThreadSeconds();
    drawMine();
    const double t1 = ThreadSeconds();
    drawPlain();
    const double t2 = ThreadSeconds();
    mineSeconds += t1 - t0;
    plainSeconds += t2 - t1;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["chart_us"] = mineSeconds / n * 1e6;
  state.counters["plain_us"] = plainSeconds / n * 1e6;
  state.counters["ratio"] = plainSeconds > 0 ? mineSeconds / plainSeconds : 0;
}

}  // namespace plain
