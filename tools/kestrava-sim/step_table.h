// The scenario's step kinds: a table from kind name to a parser that checks the step's fields
// and returns what the step does.
//
// A parser reads the fields through StepArgs, whose reads throw ScenarioError naming the file,
// the step's index and the field; fields it did not read are rejected after it returns. Parsing
// happens for the whole scenario before anything runs, so a bad scenario never runs halfway.
// The returned action runs later on the simulator's thread (the host's thread).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/kestrava-sim/event_log.h"

namespace kestrava::sim {

class Simulation;

// A scenario that cannot be played; the message names the file, the place and the problem.
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using StepAction = std::function<void(Simulation&)>;

// The fields of one step (or of another JSON object of the scenario), read by name.
class StepArgs {
 public:
  // `where` prefixes every message, e.g. "day.json: steps[3].position".
  StepArgs(const Json& body, std::string where);

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

  const std::string& where() const { return where_; }

 private:
  const Json* Find(const std::string& field);

  const Json& body_;
  std::string where_;
  std::set<std::string> read_;
};

class StepTable {
 public:
  using Parser = std::function<StepAction(StepArgs&)>;

  // Adds a kind; adding a name twice is a programming error (std::logic_error).
  void Add(const std::string& kind, Parser parser);
  bool Has(const std::string& kind) const { return parsers_.count(kind) != 0; }
  // Parses one step of a known kind, then rejects fields the parser did not read.
  StepAction Parse(const std::string& kind, StepArgs& args) const;
  // Every kind, sorted by name.
  std::vector<std::string> Kinds() const;

 private:
  std::map<std::string, Parser> parsers_;
};

// Short description of a JSON value's type for messages ("a text", "a number", ...).
std::string DescribeJsonType(const Json& value);

}  // namespace kestrava::sim
