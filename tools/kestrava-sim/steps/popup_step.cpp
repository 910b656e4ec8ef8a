// "popup": {"text"} is the controller typing `text` into the open popup editor and pressing
// Enter; the plug-in gets it under the code the editor was opened with. With no editor open the
// text goes nowhere, as on the host (the "popup_edit" events show when one opened).
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterPopupStep(Extensions& extensions) {
  extensions.steps.Add("popup", [](StepArgs& args) -> StepAction {
    const std::string text = args.Text("text");
    return [text](Simulation& sim) { sim.world().AnswerPopup(text); };
  });
}

}  // namespace kestrava::sim
