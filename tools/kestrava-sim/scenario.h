// A scenario file: the simulated start time, the controller, the plug-in settings before loading
// and the timed steps.
//
//   {
//     "start": "2024-06-05T14:00:00Z",          UTC at t = 0 (required)
//     "description": "...",                     optional, ignored
//     "controller": {"callsign", "name", "facility"},   optional, each field optional
//     "settings": {"KEY": "value", ...},        optional, texts
//     "steps": [{"t": 0, "<kind>": {...}}, ...] t in seconds (fractions allowed), never decreasing
//   }
//
// Nothing after an "unload" step. A scenario is read twice, streaming, and its steps are never
// held together: CheckScenario reads and checks the whole file (every step's fields, the order of
// times, the displays opened and closed), then ScenarioSteps reads the steps again as they are
// played. Failures throw ScenarioError naming the file and the place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/world.h"
#include "tools/kestrava-sim/scenario_reader.h"
#include "tools/kestrava-sim/step_table.h"

namespace kestrava::sim {

struct ScenarioStep {
  std::int64_t t_millis = 0;  // simulated time since the start
  StepAction action;
};

// What is kept of a checked scenario: everything but its steps.
struct Scenario {
  std::string file;
  std::int64_t start_unix_millis = 0;
  standin::Controller controller;
  std::vector<std::pair<std::string, std::string>> settings;  // in the file's order
  // The rules file of the local squawk service (beside the scenario when relative); empty: the
  // service's default rules.
  std::string squawk_rules;
  std::size_t step_count = 0;
  std::int64_t end_millis = 0;  // the last step's time
};

// Reads and checks the whole file; runs nothing.
Scenario CheckScenario(const std::string& path, const StepTable& steps);

// Turns the steps of a scenario, in order, into timed actions, with the checks across steps (times
// never decreasing, nothing after "unload", displays open when used).
class StepChecker {
 public:
  StepChecker(const std::string& file, const StepTable& table) : file_(file), table_(table) {}
  ScenarioStep Check(const RawStep& raw);

 private:
  [[noreturn]] void Fail(const RawStep& raw, const std::string& field,
                         const std::string& problem) const;

  const std::string& file_;
  const StepTable& table_;
  std::string last_kind_;  // the kind of the step before and its parser
  const StepTable::Parser* last_parser_ = nullptr;
  const StepTable::QuickParser* last_quick_ = nullptr;
  std::optional<std::int64_t> previous_t_;
  std::optional<std::size_t> unloaded_at_;
  ScenarioState state_;
};

// Reads the steps of a checked scenario again, handing each to `play` in order until it returns
// false. Returns false when stopped so.
bool ReadScenarioSteps(const Scenario& scenario, const StepTable& steps,
                       const std::function<bool(ScenarioStep&&)>& play);

// "YYYY-MM-DDTHH:MM:SSZ", optionally with ".fff" milliseconds before the Z, as milliseconds
// since 1970-01-01 UTC; nothing when the text is not such a time or names no real date.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);

}  // namespace kestrava::sim
