// "drag": {"display", "type", "x", "y", "released"} drags the movable screen object of that type
// drawn last on the display to the pixel (x, y); "released" (default true) tells whether the
// mouse button is let go there. Where no such movable object was drawn, nothing moves. The
// display must be open.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterDragStep(Extensions& extensions) {
  extensions.steps.Add("drag", [](StepArgs& args) -> StepAction {
    const std::string display = args.Text("display");
    const int type = args.Integer("type");
    const int x = args.Integer("x");
    const int y = args.Integer("y");
    const bool released = args.OptionalFlag("released").value_or(true);
    args.UseDisplay("display", display);
    return [display, type, x, y, released](Simulation& sim) {
      sim.world().displays().Drag(display, type, x, y, released);
    };
  });
}

}  // namespace kestrava::sim
