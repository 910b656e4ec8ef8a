// "snapshot": {"display", "file"} redraws the display and writes it as a PNG file (a relative
// path is taken in the output folder).
#include <stdexcept>
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterSnapshotStep(Extensions& extensions) {
  extensions.steps.Add("snapshot", [](StepArgs& args) -> StepAction {
    const std::string display = args.Text("display");
    const std::string file = args.Text("file");
    if (file.empty()) args.Fail("file", "must not be empty");
    const std::string where = args.where();
    return [display, file, where](Simulation& sim) {
      if (sim.world().displays().Find(display) == nullptr) {
        throw ScenarioError(where + ": no display named '" + display + "' is open");
      }
      const std::string path = sim.env().ResolvePath(file);
      if (!sim.world().displays().Snapshot(display, path)) {
        throw std::runtime_error(where + ": cannot write the snapshot '" + path + "'");
      }
    };
  });
}

}  // namespace kestrava::sim
