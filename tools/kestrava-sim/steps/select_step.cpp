// "select": {"callsign"} makes the aircraft the controller's selected one, on which tag functions
// act; "callsign": null selects none. A callsign the host does not know selects none either.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterSelectStep(Extensions& extensions) {
  extensions.steps.Add("select", [](StepArgs& args) -> StepAction {
    const Json* callsign = args.Raw("callsign");
    if (callsign == nullptr) args.Fail("callsign", "missing (a text, or null for none)");
    if (!callsign->is_null() && !callsign->is_string()) {
      args.Fail("callsign", "expected a text or null, got " + DescribeJsonType(*callsign));
    }
    const std::string selected = callsign->is_null() ? "" : callsign->get<std::string>();
    return [selected](Simulation& sim) { sim.world().Select(selected); };
  });
}

}  // namespace kestrava::sim
