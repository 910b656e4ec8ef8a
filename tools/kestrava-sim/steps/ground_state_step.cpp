// "ground_state": {"callsign", "state"} sets the aircraft's ground state ("PUSH", "TAXI", ...;
// the aircraft is created when new) and reports it as a change of assigned data, type 6.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterGroundStateStep(Extensions& extensions) {
  extensions.steps.Add("ground_state", [](StepArgs& args) -> StepAction {
    const std::string callsign = args.Text("callsign");
    const std::string state = args.Text("state");
    return [callsign, state](Simulation& sim) { sim.world().SetGroundState(callsign, state); };
  });
}

}  // namespace kestrava::sim
