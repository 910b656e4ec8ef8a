#include "bench/client_abi/tag_item_timing.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace kestrava::bench {
namespace {

constexpr DWORD kTurnWaitMs = 120'000;

double Median(std::array<double, kSamples> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[kSamples / 2];
}

}  // namespace

Turns::Turns(const char* name, bool first) {
  if (name == nullptr || *name == '\0') return;
  // Auto-reset events: a turn taken is gone until it is passed back.
  const std::string first_turn = std::string(name) + "-first";
  const std::string second_turn = std::string(name) + "-second";
  const HANDLE first_event = CreateEventA(nullptr, FALSE, TRUE, first_turn.c_str());
  const HANDLE second_event = CreateEventA(nullptr, FALSE, FALSE, second_turn.c_str());
  mine_ = first ? first_event : second_event;
  theirs_ = first ? second_event : first_event;
  failed_ = mine_ == nullptr || theirs_ == nullptr;
}

Turns::~Turns() {
  Pass();
  if (mine_ != nullptr) CloseHandle(mine_);
  if (theirs_ != nullptr) CloseHandle(theirs_);
}

bool Turns::Take() {
  if (failed_) return false;
  return mine_ == nullptr || WaitForSingleObject(mine_, kTurnWaitMs) == WAIT_OBJECT_0;
}

void Turns::Pass() {
  if (theirs_ != nullptr) SetEvent(theirs_);
}

int ReportTagItems(const char* name, const char* what, const char* results_path,
                   TagItemFigures figures) {
  double heap_calls = 0;   // a call, over the five items
  bool allocated = false;  // by items 86 to 89
  std::printf(
      "tag items 85-89, %s: %.1f ns an item (processor, the least of %d samples; median %.1f), "
      "%.1f ns (wall, median); heap calls a call:",
      what, *std::min_element(figures.processor_ns.begin(), figures.processor_ns.end()), kSamples,
      Median(figures.processor_ns), Median(figures.wall_ns));
  for (std::size_t item = 0; item < kItems.size(); ++item) {
    std::printf(" %d: %.2f", kItems[item], figures.heap_calls_a_call[item]);
    heap_calls += figures.heap_calls_a_call[item] / kItems.size();
    allocated |= item > 0 && figures.heap_calls_a_call[item] > 0;
  }
  std::printf("\n");
  if (allocated) std::printf("FAILED: items 86 to 89 allocated on the heap\n");

  std::FILE* results = std::fopen(results_path, "w");
  if (results == nullptr) {
    std::printf("FAILED: cannot write %s\n", results_path);
    return 1;
  }
  std::fprintf(results, "{\"benchmarks\": [");
  for (int sample = 0; sample < kSamples; ++sample) {
    std::fprintf(results,
                 "%s\n{\"name\": \"%s\", \"run_type\": \"iteration\", \"iterations\": %d, "
                 "\"real_time\": %.3f, \"cpu_time\": %.3f, \"time_unit\": \"ns\", "
                 "\"allocs_per_call\": %.4f",
                 sample == 0 ? "" : ",", name,
                 kPasses * kAircraft * static_cast<int>(kItems.size()), figures.wall_ns[sample],
                 figures.processor_ns[sample], heap_calls);
    for (std::size_t item = 0; item < kItems.size(); ++item) {
      std::fprintf(results, ", \"allocs_per_call_item_%d\": %.4f", kItems[item],
                   figures.heap_calls_a_call[item]);
    }
    if (allocated) {
      std::fprintf(results,
                   ", \"error_occurred\": true, "
                   "\"error_message\": \"items 86 to 89 allocated on the heap\"");
    }
    std::fprintf(results, "}");
  }
  std::fprintf(results, "]}\n");
  std::fclose(results);
  return allocated ? 1 : 0;
}

}  // namespace kestrava::bench
