// Tag items 85 to 89 as the host asks for them, with 2,000 tracked aircraft on 40-point routes.
// Items 86 to 89 must not touch the heap: the run fails when they allocate on the measured thread
// (the plug-in's own workers, such as its start-up exchange, may allocate meanwhile).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "aircraft/AircraftRegistry.h"
#include "host/world.h"
#include "plugin/QEXPlugin.h"
#include "tests/support/fake_env.h"

namespace {
// Allocations made by the calling thread only.
thread_local long long heap_allocations = 0;
}  // namespace

// Counting replacements of the global allocation functions (the array forms forward here). The
// functions stay out of line so the compiler does not pair an inlined malloc or free with a
// new-expression.
[[gnu::noinline]] void* operator new(std::size_t size) {
  ++heap_allocations;
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* block) noexcept { std::free(block); }
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace kestrava {
namespace {

constexpr int kAircraft = 2000;
constexpr int kRoutePoints = 40;

// A plug-in in a stand-in host with kAircraft flights: filed departure times, every time
// recorded, and routes whose only table point is the first, so item 85 walks the whole route.
struct Traffic {
  Traffic() {
    world.settings().Preset("ADTTYPE", "2");
    plugin = std::make_unique<QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
    env.SetUtc(2026, 12, 7, 12, 0, 0);
    for (int i = 0; i < kAircraft; ++i) {
      const std::string callsign = "AC" + std::to_string(1000 + i);
      standin::Aircraft& aircraft = world.AddOrGetAircraft(callsign);
      aircraft.flight_plan.destination = "LKPR";
      aircraft.flight_plan.estimated_departure_time = i % 2 == 0 ? "1130" : "1230";
      aircraft.route.push_back("ORTAC");
      for (int p = 1; p < kRoutePoints; ++p)
        aircraft.route.push_back("WP" + std::to_string(100 + p));
      CAircraftData record(callsign);
      record.m_OffBlock = record.m_TakenOff = record.m_Landed = true;
      record.m_OffBlockTime = env.NowUtc();
      record.m_TakeOffTime = env.NowUtc();
      record.m_LandingTime = env.NowUtc();
      registry.AddAircraft(std::move(record));
      handles.push_back(plugin->AircraftSelect(callsign.c_str()));
    }
  }

  testing::FakeEnv env;
  AircraftRegistry registry;
  standin::World world;
  std::unique_ptr<QEXPlugin> plugin;
  std::vector<EuroScopePlugIn::CAircraft> handles;
};

void BM_TagItem(benchmark::State& state) {
  const int item = static_cast<int>(state.range(0));
  Traffic traffic;
  char text[EuroScopePlugIn::TAG_ITEM_TEXT_SIZE];
  int colour_code = 0;
  EuroScopePlugIn::ColorRef rgb = 0;
  double font_size = 0.0;
  std::size_t next = 0;
  const long long allocations_before = heap_allocations;
  for (auto _ : state) {
    traffic.plugin->OnGetTagItem(traffic.handles[next], item, 0, text, &colour_code, &rgb,
                                 &font_size);
    benchmark::DoNotOptimize(text);
    next = next + 1 == traffic.handles.size() ? 0 : next + 1;
  }
  const long long allocations = heap_allocations - allocations_before;
  state.counters["allocs_per_call"] =
      benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
  if (item != kItemIntentionCode && allocations != 0) {
    state.SkipWithError("items 86 to 89 allocated on the heap");
  }
}
BENCHMARK(BM_TagItem)
    ->ArgName("item")
    ->Arg(kItemIntentionCode)
    ->Arg(kItemEstimatedDepTime)
    ->Arg(kItemOffBlockTime)
    ->Arg(kItemTakeOffTime)
    ->Arg(kItemLandingTime);

}  // namespace
}  // namespace kestrava
