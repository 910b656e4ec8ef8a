// Squawk codes in the simulator: the squawk service the plug-in asks (started on 127.0.0.1, by
// the scenario's "squawk_rules" file when it names one, unless the scenario's settings name a
// "SERVERLOCATION"), and the "squawk_set" {callsign, code} event for every code the plug-in
// sets, also shown in the summary's "Squawk" column.
#include <memory>
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/local_squawk_service.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

constexpr char kServiceSetting[] = "SERVERLOCATION";
// Where the plug-in is pointed when no local service can be had: a closed local port, so that
// a run never reaches beyond this machine.
constexpr char kNoService[] = "http://127.0.0.1:9/qex/";

class SquawkEvents final : public standin::WorldObserver {
 public:
  explicit SquawkEvents(Simulation& sim) : sim_(sim) {}

  void SquawkSet(const std::string& callsign, const std::string& code) override {
    sim_.Event("squawk_set", Json{{"callsign", callsign}, {"code", code}});
    sim_.summary().Set(callsign, "Squawk", code);
  }

 private:
  Simulation& sim_;
};

bool NamesTheService(const Simulation& sim) {
  for (const auto& [key, value] : sim.scenario_settings()) {
    if (key == kServiceSetting) return true;
  }
  return false;
}

}  // namespace

void RegisterSquawkEvents(Extensions& extensions) {
  extensions.summary_columns.push_back("Squawk");
  extensions.event_sources.push_back([](Simulation& sim) {
    if (!NamesTheService(sim)) {
      std::string error;
      std::unique_ptr<LocalSquawkService> service =
          LocalSquawkService::Start(sim.squawk_rules(), error);
      if (!service) sim.diagnostics() << "kestrava-sim: warning: " << error << "\n";
      // Preset before the scenario's settings, which come at load.
      sim.world().settings().Preset(kServiceSetting, service ? service->BaseUrl() : kNoService);
      sim.KeepSquawkService(std::move(service));
    }
    sim.AddObserver(std::make_unique<SquawkEvents>(sim));
  });
}

}  // namespace kestrava::sim
