// The module's dialogs as the scripted person met them, before the event of the step that opened
// them:
//   "dialog_opened"  {dialog, controls}      once the dialog is initialised
//   "dialog_message" {dialog, text}          a validation message (acknowledged at once)
//   "colour_dialog"  {initial, full_open, answer}   answer: the colour chosen, null: cancelled
//   "file_dialog"    {initial, extension, filter, answer}   answer: the path, null: cancelled
//   "dialog_closed"  {dialog, result, controls}     result 1 (OK) or 2 (Cancel)
// "dialog" is the caption. "controls" maps each control id (as text, in template order) to what
// a person sees of it: {checked} check boxes, {text} edits, {items, selected} drop-down lists,
// {rows: [{texts, checked, selected}]} list views, {colour} colour swatches, {position} up-down
// controls. Colours are colour references (red + 256 * green + 65536 * blue).
#include <memory>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

Json StateOf(const ControlState& control) {
  switch (control.kind) {
    case ControlState::Kind::CheckBox: return Json{{"checked", control.checked}};
    case ControlState::Kind::Edit: return Json{{"text", control.text}};
    case ControlState::Kind::DropDown:
      return Json{{"items", control.items}, {"selected", control.selected}};
    case ControlState::Kind::ListView: {
      Json rows = Json::array();
      for (const ControlState::Row& row : control.rows) {
        rows.push_back(
            Json{{"texts", row.texts}, {"checked", row.checked}, {"selected", row.selected}});
      }
      return Json{{"rows", rows}};
    }
    case ControlState::Kind::ColourButton: return Json{{"colour", control.colour}};
    case ControlState::Kind::UpDown: return Json{{"position", control.position}};
  }
  return Json::object();
}

Json Controls(const std::vector<ControlState>& controls) {
  Json state = Json::object();
  for (const ControlState& control : controls) state[std::to_string(control.id)] = StateOf(control);
  return state;
}

Json OrNull(const auto& answer) { return answer ? Json(*answer) : Json(nullptr); }

class DialogEvents final : public SimEnv::Listener {
 public:
  explicit DialogEvents(Simulation& sim) : sim_(sim) {}
  void DialogOpened(const std::string& caption,
                    const std::vector<ControlState>& controls) override {
    sim_.Event("dialog_opened", Json{{"dialog", caption}, {"controls", Controls(controls)}});
  }
  void DialogMessage(const std::string& caption, const std::string& text) override {
    sim_.Event("dialog_message", Json{{"dialog", caption}, {"text", text}});
  }
  void ColourDialogShown(const ColourRequest& request, std::optional<ColorRef> answer) override {
    sim_.Event("colour_dialog", Json{{"initial", request.initial},
                                     {"full_open", request.full_open},
                                     {"answer", OrNull(answer)}});
  }
  void SaveFileDialogShown(const SaveFileRequest& request,
                           const std::optional<std::string>& answer) override {
    sim_.Event("file_dialog", Json{{"initial", request.initial},
                                   {"extension", request.default_extension},
                                   {"filter", request.filter},
                                   {"answer", OrNull(answer)}});
  }
  void DialogClosed(const std::string& caption, int result,
                    const std::vector<ControlState>& controls) override {
    sim_.Event("dialog_closed",
               Json{{"dialog", caption}, {"result", result}, {"controls", Controls(controls)}});
  }

 private:
  Simulation& sim_;
};

}  // namespace

void RegisterDialogEvents(Extensions& extensions) {
  extensions.event_sources.push_back(
      [](Simulation& sim) { sim.AddListener(std::make_unique<DialogEvents>(sim)); });
}

}  // namespace kestrava::sim
