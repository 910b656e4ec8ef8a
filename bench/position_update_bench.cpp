// Position updates straight into the plug-in: 2,000 aircraft reporting in turn, as the host
// delivers radar updates. Target: at least 5 million updates per second (items_per_second).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
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
    const std::string callsign = "AC" + std::to_string(1000 + i);
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

}  // namespace
}  // namespace kestrava
