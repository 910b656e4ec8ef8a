// A position-style lookup and update of the aircraft registry at growing traffic.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "aircraft/AircraftRegistry.h"

namespace kestrava {
namespace {

void BM_RegistryLookupAndUpdate(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  AircraftRegistry registry;
  std::vector<std::string> callsigns;
  for (int i = 0; i < count; ++i) {
    callsigns.push_back("AC" + std::to_string(1000 + i));
    registry.AddAircraft(CAircraftData(callsigns.back()));
  }
  std::size_t next = 0;
  for (auto _ : state) {
    const std::string& callsign = callsigns[next];
    next = next + 1 == callsigns.size() ? 0 : next + 1;
    const int index = registry.FindAircraft(callsign);
    CAircraftData& record = registry.GetAircraft(index);
    record.m_LastGroundSpeed = static_cast<int>(next & 127);
    benchmark::DoNotOptimize(record);
  }
}
BENCHMARK(BM_RegistryLookupAndUpdate)->Arg(10)->Arg(100)->Arg(1000)->Arg(2000);

}  // namespace
}  // namespace kestrava
