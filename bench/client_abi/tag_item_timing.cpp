#include "bench/client_abi/tag_item_timing.h"

#include <algorithm>
#include <cstdio>

namespace kestrava::bench {
namespace {

double Median(std::array<double, kSamples> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[kSamples / 2];
}

}  // namespace

int ReportTagItems(const char* name, const char* what, const char* results_path,
                   TagItemFigures figures) {
  const double processor = Median(figures.processor_ns);
  const double wall = Median(figures.wall_ns);
  double heap_calls = 0;   // a call, over the five items
  bool allocated = false;  // by items 86 to 89
  std::printf(
      "tag items 85-89, %s: %.1f ns an item (processor), %.1f ns (wall); heap calls a call:", what,
      processor, wall);
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
  std::fprintf(
      results,
      "{\"benchmarks\": [{\"name\": \"%s\", \"run_type\": \"iteration\", "
      "\"iterations\": %d, \"real_time\": %.3f, \"cpu_time\": %.3f, \"time_unit\": \"ns\", "
      "\"allocs_per_call\": %.4f",
      name, kSamples * kPasses * kAircraft * static_cast<int>(kItems.size()), wall, processor,
      heap_calls);
  for (std::size_t item = 0; item < kItems.size(); ++item) {
    std::fprintf(results, ", \"allocs_per_call_item_%d\": %.4f", kItems[item],
                 figures.heap_calls_a_call[item]);
  }
  if (allocated) {
    std::fprintf(results,
                 ", \"error_occurred\": true, "
                 "\"error_message\": \"items 86 to 89 allocated on the heap\"");
  }
  std::fprintf(results, "}]}\n");
  std::fclose(results);
  return allocated ? 1 : 0;
}

}  // namespace kestrava::bench
