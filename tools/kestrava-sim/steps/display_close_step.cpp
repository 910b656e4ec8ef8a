// "display_close": {"display"} has the display's screen object save its settings (see the
// "display_settings_saved" events), then closes the display, which must be open.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterDisplayCloseStep(Extensions& extensions) {
  extensions.steps.Add("display_close", [](StepArgs& args) -> StepAction {
    const std::string display = args.Text("display");
    args.CloseDisplay("display", display);
    return [display](Simulation& sim) {
      sim.world().displays().SaveSettings(display);
      sim.world().displays().Close(display);
    };
  });
}

}  // namespace kestrava::sim
