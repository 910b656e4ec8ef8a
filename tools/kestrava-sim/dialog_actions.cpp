#include "tools/kestrava-sim/dialog_actions.h"

#include <cstdint>
#include <cstdlib>

namespace kestrava::sim {
namespace {

using Kind = DialogAction::Kind;

struct ActionName {
  const char* key;
  Kind kind;
};
constexpr ActionName kActions[] = {
    {"type", Kind::Type},
    {"keys", Kind::Keys},
    {"paste", Kind::Paste},
    {"check", Kind::Check},
    {"select", Kind::Select},
    {"spin", Kind::Spin},
    {"select_row", Kind::SelectRow},
    {"tick", Kind::Tick},
    {"double_click", Kind::DoubleClick},
    {"click", Kind::Click},
    {"press", Kind::PressEnter},
    {"close", Kind::Close},
    {"snapshot", Kind::Snapshot},
};

constexpr int kLargestControlId = 0xFFFF;  // ids are 16 bits in a dialog template
constexpr int kMostArrowPresses = 1000;
constexpr std::int64_t kLargestColour = 0xFFFFFF;

std::string ActionList() {
  std::string list;
  for (const ActionName& action : kActions)
    list += (list.empty() ? "" : ", ") + std::string(action.key);
  return list;
}

int ControlId(StepArgs& args, const char* field) {
  const int id = args.Integer(field);
  if (id < 1 || id > kLargestControlId) {
    args.Fail(field, "a control id must be 1 to " + std::to_string(kLargestControlId));
  }
  return id;
}

bool Flag(StepArgs& args, const char* field) {
  const std::optional<bool> value = args.OptionalFlag(field);
  if (!value) args.Fail(field, "missing (true or false is required)");
  return *value;
}

// A row or entry index: 0 and up, or -1 for none when `none_allowed`.
int Index(StepArgs& args, const char* field, bool none_allowed) {
  const int index = args.Integer(field);
  if (index < (none_allowed ? -1 : 0)) {
    args.Fail(field, none_allowed ? "must be 0 or more, or -1 for none" : "must be 0 or more");
  }
  return index;
}

std::optional<ColorRef> Colour(StepArgs& args, const char* field) {
  const Json* value = args.Raw(field);
  if (value == nullptr || value->is_null()) return std::nullopt;
  if (!value->is_number_integer() || value->get<std::int64_t>() < 0 ||
      value->get<std::int64_t>() > kLargestColour) {
    args.Fail(field,
              "expected a colour 0 to 16777215 (red + 256 * green + 65536 * blue) or null, "
              "got " +
                  value->dump());
  }
  return static_cast<ColorRef>(value->get<std::int64_t>());
}

std::optional<std::string> FileAnswer(StepArgs& args, const char* field) {
  const Json* value = args.Raw(field);
  if (value == nullptr || value->is_null()) return std::nullopt;
  if (!value->is_string()) {
    args.Fail(field, "expected a file path or null, got " + DescribeJsonType(*value));
  }
  if (value->get<std::string>().empty()) {
    args.Fail(field, "must not be empty (null cancels the file dialog)");
  }
  return value->get<std::string>();
}

DialogAction ParseAction(const Json& body, const std::string& where) {
  if (!body.is_object()) {
    throw ScenarioError(where + ": expected an object such as {\"click\": 1}, got " +
                        DescribeJsonType(body));
  }
  StepArgs args(body, where);
  const ActionName* name = nullptr;
  for (const ActionName& candidate : kActions) {
    if (!body.contains(candidate.key)) continue;
    if (name != nullptr) {
      args.Fail("", std::string("holds two actions, \"") + name->key + "\" and \"" + candidate.key +
                        "\"");
    }
    name = &candidate;
  }
  if (name == nullptr) args.Fail("", "names no action (one of: " + ActionList() + ")");

  DialogAction action;
  action.kind = name->kind;
  action.where = where;
  switch (action.kind) {
    case Kind::Type:
    case Kind::Paste:
      action.id = ControlId(args, name->key);
      action.text = args.Text("text");
      break;
    case Kind::Keys: action.text = args.Text("keys"); break;
    case Kind::Check:
      action.id = ControlId(args, "check");
      action.value = Flag(args, "value");
      break;
    case Kind::Select:
      action.id = ControlId(args, "select");
      action.number = Index(args, "index", true);
      break;
    case Kind::Spin:
      action.id = ControlId(args, "spin");
      action.number = args.Integer("delta");
      if (std::abs(action.number) > kMostArrowPresses) {
        args.Fail("delta", "at most " + std::to_string(kMostArrowPresses) + " presses either way");
      }
      break;
    case Kind::SelectRow:
    case Kind::DoubleClick:
      action.id = ControlId(args, name->key);
      action.number = Index(args, "row", true);
      break;
    case Kind::Tick:
      action.id = ControlId(args, "tick");
      action.number = Index(args, "row", false);
      action.value = Flag(args, "value");
      break;
    case Kind::Click:
      action.id = ControlId(args, "click");
      action.colour = Colour(args, "colour");
      action.file = FileAnswer(args, "file");
      break;
    case Kind::PressEnter:
      if (args.Text("press") != "enter") args.Fail("press", "the only key is \"enter\"");
      break;
    case Kind::Close:
      if (!Flag(args, "close")) args.Fail("close", "must be true");
      break;
    case Kind::Snapshot:
      action.text = args.Text("snapshot");
      if (action.text.empty()) args.Fail("snapshot", "must not be empty");
      break;
  }
  args.RejectUnreadFields();
  return action;
}

}  // namespace

std::vector<DialogAction> ParseDialogActions(StepArgs& args, const std::string& field) {
  std::vector<DialogAction> actions;
  const Json* list = args.Raw(field);
  if (list == nullptr) return actions;
  if (!list->is_array()) {
    args.Fail(field, "expected a list of actions, got " + DescribeJsonType(*list));
  }
  for (std::size_t i = 0; i < list->size(); ++i) {
    actions.push_back(
        ParseAction((*list)[i], args.where() + "." + field + "[" + std::to_string(i) + "]"));
  }
  return actions;
}

}  // namespace kestrava::sim
