// "unload": {} calls the module's exit; no step may follow (checked with the scenario).
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterUnloadStep(Extensions& extensions) {
  extensions.steps.Add(
      "unload", [](StepArgs&) -> StepAction { return [](Simulation& sim) { sim.Unload(); }; });
}

}  // namespace kestrava::sim
