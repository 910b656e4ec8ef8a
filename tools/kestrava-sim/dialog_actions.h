// A person's actions on the dialog a step opens, as a scenario gives them: the "dialog" field,
// a list of objects, each naming one action by its key (ids are the dialog's control ids):
//
//   {"type": ID, "text": T}        select the edit's whole text and type T key by key
//   {"keys": T}                    type T into the focused control
//   {"paste": ID, "text": T}       replace the edit's text, without the typing filters
//   {"check": ID, "value": B}      tick or clear a check box
//   {"select": ID, "index": N}     choose a drop-down entry (-1: none)
//   {"spin": ID, "delta": N}       press an up-down control's arrows N times (negative: down)
//   {"select_row": ID, "row": N}   select a list-view row (-1: none)
//   {"tick": ID, "row": N, "value": B}   tick or clear a list-view row's check box
//   {"double_click": ID, "row": N}       double-click a list-view row (-1: empty space)
//   {"click": ID}                  click a button (1 OK, 2 Cancel); "colour": RGB answers the
//                                  colour dialog the click opens and "file": PATH the save-file
//                                  dialog (absent or null: that dialog is cancelled)
//   {"press": "enter"}             the default button
//   {"close": true}                the title bar's close box
//   {"snapshot": FILE}             a PNG picture of the dialog as it looks now (a relative path
//                                  is taken in the output folder)
//
// RGB is a colour reference: a whole number 0 to 16777215, red in the low byte, blue in the
// third (as the plug-in stores colours). Everything is checked when the scenario is read.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/drawing.h"
#include "tools/kestrava-sim/step_table.h"

namespace kestrava::sim {

struct DialogAction {
  enum class Kind {
    Type,
    Keys,
    Paste,
    Check,
    Select,
    Spin,
    SelectRow,
    Tick,
    DoubleClick,
    Click,
    PressEnter,
    Close,
    Snapshot,
  };
  Kind kind = Kind::Click;
  int id = 0;                       // the control, where the action names one
  std::string text;                 // Type, Keys, Paste; Snapshot: the file
  int number = 0;                   // Select: index; Spin: delta; list views: row
  bool value = false;               // Check, Tick
  std::optional<ColorRef> colour;   // Click: the colour dialog's answer (none: cancelled)
  std::optional<std::string> file;  // Click: the save-file dialog's answer (none: cancelled)
  std::string where;                // names the action in messages, e.g. "...dialog[2]"
};

// Reads the list in field `field` of `args` (absent: no actions). Throws ScenarioError naming
// the action's index and field.
std::vector<DialogAction> ParseDialogActions(StepArgs& args, const std::string& field);

}  // namespace kestrava::sim
