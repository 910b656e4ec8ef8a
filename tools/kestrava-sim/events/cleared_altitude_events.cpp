// "cleared_altitude_set" {callsign, feet}: every cleared altitude the plug-in sets; the summary's
// "Alt" column shows the last one.
#include <memory>
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

class ClearedAltitudeEvents final : public standin::WorldObserver {
 public:
  explicit ClearedAltitudeEvents(Simulation& sim) : sim_(sim) {}
  void ClearedAltitudeSet(const std::string& callsign, int feet) override {
    sim_.Event("cleared_altitude_set", Json{{"callsign", callsign}, {"feet", feet}});
    sim_.summary().Set(callsign, "Alt", std::to_string(feet));
  }

 private:
  Simulation& sim_;
};

}  // namespace

void RegisterClearedAltitudeEvents(Extensions& extensions) {
  extensions.summary_columns.push_back("Alt");
  extensions.event_sources.push_back(
      [](Simulation& sim) { sim.AddObserver(std::make_unique<ClearedAltitudeEvents>(sim)); });
}

}  // namespace kestrava::sim
