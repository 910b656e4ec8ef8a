// "function": {"code"} is the controller invoking the tag function `code` on the selected
// aircraft, as from its tag (36 recycle squawk, 37 reset initial altitude, 38 both, 39 edit the
// departure time, 41 clear it).
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterFunctionStep(Extensions& extensions) {
  extensions.steps.Add("function", [](StepArgs& args) -> StepAction {
    const int code = args.Integer("code");
    return [code](Simulation& sim) { sim.world().CallFunction(code); };
  });
}

}  // namespace kestrava::sim
