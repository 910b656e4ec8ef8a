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
// Nothing after an "unload" step. Failures throw ScenarioError naming the file and the place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/world.h"
#include "tools/kestrava-sim/step_table.h"

namespace kestrava::sim {

struct ScenarioStep {
  std::int64_t t_millis = 0;  // simulated time since the start
  std::string kind;
  StepAction action;
};

struct Scenario {
  std::string file;
  std::int64_t start_unix_millis = 0;
  standin::Controller controller;
  std::vector<std::pair<std::string, std::string>> settings;  // in the file's order
  std::vector<ScenarioStep> steps;
};

// Reads and checks the file.
Scenario LoadScenario(const std::string& path, const StepTable& steps);
// Checks the text of a scenario; `file` names it in messages.
Scenario ParseScenario(std::string_view text, const std::string& file, const StepTable& steps);

// "YYYY-MM-DDTHH:MM:SSZ", optionally with ".fff" milliseconds before the Z, as milliseconds
// since 1970-01-01 UTC; nothing when the text is not such a time or names no real date.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);

}  // namespace kestrava::sim
