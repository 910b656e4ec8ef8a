// "disconnect": {"callsign"} reports that the aircraft left, and the host forgets it.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterDisconnectStep(Extensions& extensions) {
  extensions.summary_columns.push_back("Left");
  extensions.steps.Add("disconnect", [](StepArgs& args) -> StepAction {
    const std::string callsign = args.Text("callsign");
    return [callsign](Simulation& sim) {
      if (sim.summary().HasRow(callsign)) {
        sim.summary().Set(callsign, "Left",
                          "t=" + EventLog::Seconds(sim.env().ElapsedMillis()).dump());
      }
      sim.world().Disconnect(callsign);
    };
  });
}

}  // namespace kestrava::sim
