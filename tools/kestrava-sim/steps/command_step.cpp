// "command": {"line", "dialog"} is a line typed into the host's command line, offered to the
// plug-in and then to the radar displays; the "command" event {"line", "handled"} tells whether
// one took it. "dialog" (optional) lists what the person does on the dialog the command opens
// (tools/kestrava-sim/dialog_actions.h); a dialog still open when they run out, or opened by a
// command without them, is closed as by its close box. What the command did (dialog events, a
// clipboard text, saved settings) comes in its own events before that one. An action that cannot
// be done, or actions left over, stop the run with a message naming the action.
#include <memory>
#include <string>
#include <vector>

#include "tools/kestrava-sim/dialog_action_player.h"
#include "tools/kestrava-sim/dialog_actions.h"
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

// Sets the person at the dialogs for one command.
class DialogPersonScope {
 public:
  DialogPersonScope(SimEnv& env, SimEnv::DialogPerson& person) : env_(env) {
    env_.SetDialogPerson(&person);
  }
  ~DialogPersonScope() { env_.SetDialogPerson(nullptr); }
  DialogPersonScope(const DialogPersonScope&) = delete;
  DialogPersonScope& operator=(const DialogPersonScope&) = delete;

 private:
  SimEnv& env_;
};

}  // namespace

void RegisterCommandStep(Extensions& extensions) {
  extensions.steps.Add("command", [](StepArgs& args) -> StepAction {
    const std::string line = args.Text("line");
    auto actions =
        std::make_shared<const std::vector<DialogAction>>(ParseDialogActions(args, "dialog"));
    const std::string where = args.where() + ".dialog";
    return [line, actions, where](Simulation& sim) {
      DialogActionPlayer player(*actions, where, sim.env());
      bool handled = false;
      {
        const DialogPersonScope scope(sim.env(), player);
        handled = sim.world().CompileCommand(line);
      }
      sim.Event("command", Json{{"line", line}, {"handled", handled}});
      if (const std::string problem = player.Problem(); !problem.empty()) {
        throw ScenarioError(problem);
      }
    };
  });
}

}  // namespace kestrava::sim
