#include "tools/kestrava-sim/dialog_action_player.h"

#include <utility>

namespace kestrava::sim {
namespace {

using Kind = DialogAction::Kind;

// Why an action the dialog refused could not be done, in the scenario's terms.
std::string Refusal(const DialogAction& action, const std::string& path) {
  switch (action.kind) {
    case Kind::Type:
    case Kind::Paste: return "the dialog has no edit " + std::to_string(action.id);
    case Kind::Keys: return "no control has the keyboard focus";
    case Kind::Check: return "the dialog has no check box " + std::to_string(action.id);
    case Kind::Select:
      return "the dialog has no drop-down list " + std::to_string(action.id) + " with an entry " +
             std::to_string(action.number);
    case Kind::Spin: return "the dialog has no up-down control " + std::to_string(action.id);
    case Kind::SelectRow:
    case Kind::Tick:
    case Kind::DoubleClick:
      return "the dialog has no list view " + std::to_string(action.id) + " with a row " +
             std::to_string(action.number);
    case Kind::Click: return "the dialog has no button " + std::to_string(action.id);
    case Kind::PressEnter: return "the dialog has no default button";
    case Kind::Close: return "the dialog cannot be closed";
    case Kind::Snapshot: return "cannot write the snapshot '" + path + "'";
  }
  return "the dialog refused the action";
}

}  // namespace

DialogActionPlayer::DialogActionPlayer(const std::vector<DialogAction>& actions, std::string where,
                                       const SimEnv& env)
    : actions_(actions),
      where_(std::move(where)),
      env_(env),
      colour_asked_(actions.size()),
      file_asked_(actions.size()) {}

void DialogActionPlayer::Act(DialogUser& user) {
  dialog_seen_ = true;
  while (problem_.empty() && next_ < actions_.size()) {
    const DialogAction& action = actions_[next_];
    if (!user.IsOpen()) {
      problem_ = action.where + ": the dialog '" + user.Caption() + "' has closed already";
      return;
    }
    const std::size_t index = next_;
    current_ = &action;
    const bool done = Apply(user, action);
    current_ = nullptr;
    ++next_;
    if (!done) {
      const std::string path = action.kind == Kind::Snapshot ? env_.ResolvePath(action.text) : "";
      problem_ = action.where + ": " + Refusal(action, path) + " ('" + user.Caption() + "')";
    } else if (action.colour && !colour_asked_[index]) {
      problem_ =
          action.where + ".colour: the click opened no colour dialog ('" + user.Caption() + "')";
    } else if (action.file && !file_asked_[index]) {
      problem_ =
          action.where + ".file: the click opened no save-file dialog ('" + user.Caption() + "')";
    }
  }
}

bool DialogActionPlayer::Apply(DialogUser& user, const DialogAction& action) {
  switch (action.kind) {
    case Kind::Type: return user.Type(action.id, action.text);
    case Kind::Keys: return user.Keys(action.text);
    case Kind::Paste: return user.Paste(action.id, action.text);
    case Kind::Check: return user.Check(action.id, action.value);
    case Kind::Select: return user.Select(action.id, action.number);
    case Kind::Spin: return user.Spin(action.id, action.number);
    case Kind::SelectRow: return user.SelectRow(action.id, action.number);
    case Kind::Tick: return user.Tick(action.id, action.number, action.value);
    case Kind::DoubleClick: return user.DoubleClick(action.id, action.number);
    case Kind::Click: return user.Click(action.id);
    case Kind::PressEnter: return user.PressEnter();
    case Kind::Close: return user.Close();
    case Kind::Snapshot: return user.Snapshot(env_.ResolvePath(action.text));
  }
  return false;
}

std::optional<ColorRef> DialogActionPlayer::ColourAnswer() {
  if (current_ == nullptr) return std::nullopt;
  colour_asked_[static_cast<std::size_t>(current_ - actions_.data())] = true;
  return current_->colour;
}

std::optional<std::string> DialogActionPlayer::SaveFileAnswer() {
  if (current_ == nullptr) return std::nullopt;
  file_asked_[static_cast<std::size_t>(current_ - actions_.data())] = true;
  return current_->file;
}

std::string DialogActionPlayer::Problem() const {
  if (!problem_.empty()) return problem_;
  if (next_ < actions_.size()) {
    return dialog_seen_ ? actions_[next_].where + ": the dialog has closed already"
                        : where_ + ": the command opened no dialog";
  }
  return "";
}

}  // namespace kestrava::sim
