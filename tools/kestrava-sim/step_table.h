// The scenario's step kinds: a table from kind name to a parser that checks the step's fields
// and returns what the step does.
//
// A parser reads the fields through StepArgs, whose reads throw ScenarioError naming the file,
// the step's index and the field; fields it did not read are rejected after it returns. Parsing
// happens for the whole scenario before anything runs, so a bad scenario never runs halfway, and
// again while the scenario plays (the steps are not kept in between): a parser depends on its
// step's fields and on the ScenarioState only, and may run on any thread. The returned action
// runs later on the simulator's thread (the host's thread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kestrava-sim/event_log.h"
#include "tools/kestrava-sim/step_action.h"
#include "tools/kestrava-sim/step_fields.h"

namespace kestrava::sim {

class Simulation;

// A scenario that cannot be played; the message names the file, the place and the problem.
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the steps so far have left open, checked in step order with the whole scenario: the radar
// displays, by name, with the index of the step that opened each.
class ScenarioState {
 public:
  std::map<std::string, std::size_t>& displays() { return displays_; }
  // The step being read.
  std::size_t step_index = 0;

 private:
  std::map<std::string, std::size_t> displays_;
};

// Where a scenario step is, for messages: "<file>: steps[<index>].<kind>".
struct StepPlace {
  const std::string* file = nullptr;
  std::size_t index = 0;
  std::string_view kind;
};

// The fields of one step (or of another JSON object of the scenario), read by name.
class StepArgs {
 public:
  // `where` prefixes every message, e.g. "day.json: steps[3].position".
  StepArgs(const Json& body, std::string where);
  // The body of a scenario step as read from the file; `state` is the scenario's so far (null:
  // no checks across steps). The message prefix is made only when needed.
  StepArgs(const FieldList& body, const StepPlace& place, ScenarioState* state);

  // Required fields: missing or of the wrong type is an error.
  std::string Text(const std::string& field);
  double Number(const std::string& field);
  int Integer(const std::string& field);
  // Optional fields: nothing when absent; of the wrong type is an error.
  std::optional<std::string> OptionalText(const std::string& field);
  std::optional<double> OptionalNumber(const std::string& field);
  std::optional<int> OptionalInteger(const std::string& field);
  std::optional<bool> OptionalFlag(const std::string& field);
  std::optional<std::vector<std::string>> OptionalTextList(const std::string& field);
  // The raw value of a field, for kinds with their own structure; null when absent.
  const Json* Raw(const std::string& field);

  // Throws ScenarioError "<where>.<field>: <problem>" (or "<where>: <problem>" for "").
  [[noreturn]] void Fail(const std::string& field, const std::string& problem) const;
  // Throws ScenarioError for the first field that was never read.
  void RejectUnreadFields() const;

  // Radar displays by name, the name read from `field`: opening one that is open, or using or
  // closing one that is not, fails. Without a ScenarioState nothing is checked.
  void OpenDisplay(const std::string& field, const std::string& name);
  void UseDisplay(const std::string& field, const std::string& name);
  void CloseDisplay(const std::string& field, const std::string& name);

  const std::string& where() const;

 private:
  const FieldValue* Find(const std::string& field);
  [[noreturn]] void FailType(const std::string& field, const char* expected,
                             const FieldValue& value) const;

  FieldList owned_;  // the fields of a JSON body
  const FieldList& body_;
  StepPlace place_;
  ScenarioState* state_ = nullptr;
  mutable std::string where_;    // made on first use for a step's body
  std::uint64_t read_ = 0;       // fields read, by index (the first 64)
  std::vector<bool> read_more_;  // beyond 64
  std::list<Json> raw_;          // scalar fields handed out by Raw
};

class StepTable {
 public:
  using Parser = std::function<StepAction(StepArgs&)>;
  // A quicker parser for a kind played very often: returns an empty action unless the body is
  // the common good case, for which it gives what the parser gives; otherwise the parser runs.
  using QuickParser = std::function<StepAction(const FieldList& body)>;

  // Adds a kind; adding a name twice is a programming error (std::logic_error).
  void Add(const std::string& kind, Parser parser);
  bool Has(const std::string& kind) const { return parsers_.count(kind) != 0; }
  // The parser of a kind, null when unknown.
  const Parser* Find(std::string_view kind) const;
  void AddQuick(const std::string& kind, QuickParser parser) { quick_[kind] = std::move(parser); }
  // The quick parser of a kind, null when it has none.
  const QuickParser* FindQuick(std::string_view kind) const {
    const auto it = quick_.find(kind);
    return it == quick_.end() ? nullptr : &it->second;
  }
  // Parses one step of a known kind, then rejects fields the parser did not read.
  StepAction Parse(const std::string& kind, StepArgs& args) const;
  static StepAction Parse(const Parser& parser, StepArgs& args);
  // Every kind, sorted by name.
  std::vector<std::string> Kinds() const;

 private:
  std::map<std::string, Parser, std::less<>> parsers_;
  std::map<std::string, QuickParser, std::less<>> quick_;
};

// Short description of a JSON value's type for messages ("a text", "a number", ...).
std::string DescribeJsonType(const Json& value);

}  // namespace kestrava::sim
