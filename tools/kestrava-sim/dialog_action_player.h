// Plays one step's dialog actions (tools/kestrava-sim/dialog_actions.h) on the dialogs the step's
// command opens: the person SimEnv lets act on them.
//
// The actions go in order to the first dialog that opens, each through DialogUser, and stop at
// the first one that cannot be done (the dialog has closed already, it has no such control, the
// row does not exist, the snapshot cannot be written); a later dialog of the same step gets the
// actions still left. The colour and save-file dialogs a click opens are answered from that
// click's "colour" and "file"; any other action's are cancelled. A "colour" or "file" given to a
// click that opens no such dialog is an action that cannot be done.
//
// Thread: the host's thread (inside the modal run). Never throws into the dialog: problems are
// kept for Problem().
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tools/kestrava-sim/dialog_actions.h"
#include "tools/kestrava-sim/sim_env.h"

namespace kestrava::sim {

class DialogActionPlayer final : public SimEnv::DialogPerson {
 public:
  // `where` names the step's list of actions in messages; `env` resolves snapshot paths.
  DialogActionPlayer(const std::vector<DialogAction>& actions, std::string where,
                     const SimEnv& env);

  void Act(DialogUser& user) override;
  std::optional<ColorRef> ColourAnswer() override;
  std::optional<std::string> SaveFileAnswer() override;

  // Once the step's command has returned: why an action was not done ("" when all were).
  std::string Problem() const;

 private:
  bool Apply(DialogUser& user, const DialogAction& action);

  const std::vector<DialogAction>& actions_;
  std::string where_;
  const SimEnv& env_;
  std::size_t next_ = 0;                   // the first action not yet played
  const DialogAction* current_ = nullptr;  // the action being played
  std::vector<bool> colour_asked_;         // per action: a colour dialog asked it for an answer
  std::vector<bool> file_asked_;           // per action: a save-file dialog did
  bool dialog_seen_ = false;
  std::string problem_;
};

}  // namespace kestrava::sim
