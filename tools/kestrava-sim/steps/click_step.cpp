// "click": {"display", "type", "button"} is a click with the mouse button (1 left, 2 middle,
// 3 right) on the screen object of that type drawn last on the display. Where no such object was
// drawn, the click meets nothing, as on the host. The display must be open.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterClickStep(Extensions& extensions) {
  extensions.steps.Add("click", [](StepArgs& args) -> StepAction {
    const std::string display = args.Text("display");
    const int type = args.Integer("type");
    const int button = args.Integer("button");
    if (button < EuroScopePlugIn::BUTTON_LEFT || button > EuroScopePlugIn::BUTTON_RIGHT) {
      args.Fail("button", "must be 1 (left), 2 (middle) or 3 (right)");
    }
    args.UseDisplay("display", display);
    return [display, type, button](Simulation& sim) {
      sim.world().displays().Click(display, type, button);
    };
  });
}

}  // namespace kestrava::sim
