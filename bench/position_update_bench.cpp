// Position updates straight into the plug-in: 2,000 aircraft reporting in turn, as the host
// delivers radar updates. Its baseline, BM_HashMapFind, finds the same callsigns in the same
// order in a plain hash map from the standard library: the lookup every update needs at the
// least. An update is to cost at most a small multiple of that (processor time; the bound is in
// scripts/bench_targets.py).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "aircraft/AircraftRegistry.h"
#include "host/world.h"
#include "plugin/QEXPlugin.h"
#include "tests/support/fake_env.h"

namespace kestrava {
namespace {

constexpr int kAircraft = 2000;
// Histories are dropped (outside the timing) after this many reports per aircraft, so memory
// stays bounded while growth of the history is still measured.
constexpr int kReportsPerHistory = 512;

std::string Callsign(int aircraft) { return "AC" + std::to_string(1000 + aircraft); }

void BM_PositionUpdate(benchmark::State& state) {
  testing::FakeEnv env;
  AircraftRegistry registry;
  standin::World world;
  world.settings().Preset("SAVELOG", "1");
  world.settings().Preset("SAVELOGFILE", "stats.csv");
  QEXPlugin plugin(env, registry);
  world.AttachPlugIn(&plugin);
  std::vector<EuroScopePlugIn::CAircraft> handles;
  for (int i = 0; i < kAircraft; ++i) {
    const std::string callsign = Callsign(i);
    standin::Aircraft& aircraft = world.AddOrGetAircraft(callsign);
    aircraft.position = {51.0 + i * 0.001, -0.5 + i * 0.001};
    aircraft.reported_gs = 240;  // cruising: every update is the common path, without an event
    handles.push_back(plugin.AircraftSelect(callsign.c_str()));
  }

  std::size_t next = 0;
  long long until_reset = static_cast<long long>(kAircraft) * kReportsPerHistory;
  for (auto _ : state) {
    plugin.OnAircraftPositionUpdate(handles[next]);
    next = next + 1 == handles.size() ? 0 : next + 1;
    if (--until_reset == 0) {
      state.PauseTiming();
      for (CAircraftData& record : registry) {
        std::vector<EuroScopePlugIn::CPosition>().swap(record.m_Positions);
      }
      until_reset = static_cast<long long>(kAircraft) * kReportsPerHistory;
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["aircraft"] = registry.Count();
}
BENCHMARK(BM_PositionUpdate);

void BM_HashMapFind(benchmark::State& state) {
  std::unordered_map<std::string, int> index;
  std::vector<std::string> callsigns;
  for (int i = 0; i < kAircraft; ++i) {
    callsigns.push_back(Callsign(i));
    index.emplace(callsigns.back(), i);
  }
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(index.find(callsigns[next])->second);
    next = next + 1 == callsigns.size() ? 0 : next + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HashMapFind);

}  // namespace
}  // namespace kestrava
