// Measures one path's answers to tag items 85 to 89 on the calling thread, and reports them: a
// line on the standard output and a results file in Google Benchmark's JSON form (a repetition a
// sample, times in ns an item), which scripts/bench_targets.py reads beside the other benchmarks'.
//
// First a counting pass: each item once for every aircraft, counting the heap calls of the
// watched modules (heap_calls.h). Items 86 to 89 must make none: when they do, the run is
// reported as failed. Then kSamples timed samples of kPasses passes over every aircraft and
// item, in processor time of the thread and in wall time.
//
// The two paths' programs run side by side and take turns (Turns): one measures while the other
// waits, sample by sample, so that other load on the machine falls on both alike.
#pragma once

#include <windows.h>

#include <array>

#include "bench/client_abi/heap_calls.h"
#include "bench/client_abi/tag_item_traffic.h"

namespace kestrava::bench {

constexpr int kSamples = 6;
// About 1.5 s a sample of 5 M calls: the processor clock's 10 ms tick is 2 ns an item.
constexpr int kPasses = 500;

// Turns taken with the other path's program through two named events, the two programs' turns
// one after the other. Without a name, every turn is this program's at once. A program takes a
// turn to set up, one for each sample and one to report; the turn it holds at its end is passed
// on however it ends, so that the other program never waits for one that failed.
class Turns {
 public:
  // `first`: this program's turn comes first. Both programs name the same events and give them
  // the same first states, so it does not matter which makes them.
  Turns(const char* name, bool first);
  ~Turns();
  Turns(const Turns&) = delete;
  Turns& operator=(const Turns&) = delete;

  // Waits for this program's turn; false when the other program has not passed it within two
  // minutes (it failed), or the events could not be made.
  bool Take();
  // Gives the turn to the other program.
  void Pass();

 private:
  HANDLE mine_ = nullptr;
  HANDLE theirs_ = nullptr;
  bool failed_ = false;
};

struct TagItemFigures {
  std::array<double, kItems.size()> heap_calls_a_call{};
  std::array<double, kSamples> processor_ns{};  // an item, one figure a sample
  std::array<double, kSamples> wall_ns{};
};

// Prints and writes the figures as benchmark `name` (`what`: the path, for the line) to
// `results_path`, a repetition a sample. Returns the program's exit status: 1 when items 86 to 89
// allocated.
int ReportTagItems(const char* name, const char* what, const char* results_path,
                   TagItemFigures figures);

// The thread's processor time in 100 ns units.
inline long long ThreadTime() {
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  const auto units = [](const FILETIME& time) {
    return static_cast<long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
  };
  return units(kernel) + units(user);
}

// `ask(aircraft, item_code)` asks the path for one item of one aircraft (0 <= aircraft <
// kAircraft). Called in this program's turn, which it passes on; each sample is measured in a
// turn of its own, and the turn after the last one (to tear down and report) is taken before it
// returns. Returns false when a turn did not come.
template <class Ask>
bool MeasureTagItems(Ask ask, Turns& turns, TagItemFigures& figures) {
  CountHeapCallsOnThisThread();
  for (std::size_t item = 0; item < kItems.size(); ++item) {
    const long long before = HeapCalls();
    for (int aircraft = 0; aircraft < kAircraft; ++aircraft) ask(aircraft, kItems[item]);
    figures.heap_calls_a_call[item] = static_cast<double>(HeapCalls() - before) / kAircraft;
  }
  turns.Pass();
  constexpr double kCalls = static_cast<double>(kPasses) * kAircraft * kItems.size();
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int sample = 0; sample < kSamples; ++sample) {
    if (!turns.Take()) return false;
    LARGE_INTEGER wall_start, wall_end;
    const long long processor_start = ThreadTime();
    QueryPerformanceCounter(&wall_start);
    for (int pass = 0; pass < kPasses; ++pass) {
      for (int aircraft = 0; aircraft < kAircraft; ++aircraft) {
        for (int item : kItems) ask(aircraft, item);
      }
    }
    QueryPerformanceCounter(&wall_end);
    figures.processor_ns[sample] =
        static_cast<double>(ThreadTime() - processor_start) * 100.0 / kCalls;
    figures.wall_ns[sample] = static_cast<double>(wall_end.QuadPart - wall_start.QuadPart) * 1e9 /
                              static_cast<double>(frequency.QuadPart) / kCalls;
    turns.Pass();
  }
  return turns.Take();
}

}  // namespace kestrava::bench
