// "squawk": {"callsign", "code"} sets the aircraft's squawk as a controller would; the host
// reports it to the plug-in as assigned data of type 1.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterSquawkStep(Extensions& extensions) {
  extensions.steps.Add("squawk", [](StepArgs& args) -> StepAction {
    const std::string callsign = args.Text("callsign");
    const std::string code = args.Text("code");
    return [callsign, code](Simulation& sim) { sim.world().ControllerSetsSquawk(callsign, code); };
  });
}

}  // namespace kestrava::sim
