// "command": {"line"} is a line typed into the host's command line, offered to the plug-in; the
// "command" event {"line", "handled"} tells whether it took it. What the command did (a clipboard
// text, saved settings) comes in its own events before that one.
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterCommandStep(Extensions& extensions) {
  extensions.steps.Add("command", [](StepArgs& args) -> StepAction {
    const std::string line = args.Text("line");
    return [line](Simulation& sim) {
      const bool handled = sim.world().CompileCommand(line);
      sim.Event("command", Json{{"line", line}, {"handled", handled}});
    };
  });
}

}  // namespace kestrava::sim
