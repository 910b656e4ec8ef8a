// "snapshot": {"display", "file"} redraws the display and writes it as a PNG file (a relative
// path is taken in the output folder). The display must be open.
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
    args.UseDisplay("display", display);
    const std::string where = args.where();
    return [display, file, where](Simulation& sim) {
      const std::string path = sim.env().ResolvePath(file);
      if (!sim.world().displays().Snapshot(display, path)) {
        throw std::runtime_error(where + ": cannot write the snapshot '" + path + "'");
      }
    };
  });
}

}  // namespace kestrava::sim
