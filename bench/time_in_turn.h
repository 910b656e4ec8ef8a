// A figure and its baseline timed in turn within one benchmark: each iteration runs both, the
// order swapped every time, so that whatever else loads the machine falls on both alike. Each
// side's figure is its least time over the run, the least disturbed: the counters
// "figure_seconds" and "baseline_seconds", which scripts/bench_targets.py divides.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <limits>

namespace kestrava::bench {

// `figure()` and `baseline()` each do one measured piece of work; their results, if any, are
// the caller's to keep from the optimiser.
template <class Figure, class Baseline>
void TimeInTurn(benchmark::State& state, Figure&& figure, Baseline&& baseline) {
  using Clock = std::chrono::steady_clock;
  const auto timed = [](auto& work) {
    const Clock::time_point begin = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - begin).count();
  };
  double least_figure = std::numeric_limits<double>::infinity();
  double least_baseline = least_figure;
  bool figure_first = true;
  for (auto _ : state) {
    if (figure_first) {
      least_figure = std::min(least_figure, timed(figure));
      least_baseline = std::min(least_baseline, timed(baseline));
    } else {
      least_baseline = std::min(least_baseline, timed(baseline));
      least_figure = std::min(least_figure, timed(figure));
    }
    figure_first = !figure_first;
  }
  state.counters["figure_seconds"] = least_figure;
  state.counters["baseline_seconds"] = least_baseline;
}

}  // namespace kestrava::bench
