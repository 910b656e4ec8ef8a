#include "tools/kestrava-sim/scenario.h"

#include <cmath>
#include <fstream>
#include <sstream>

#include "platform/system_time.h"

namespace kestrava::sim {
namespace {

constexpr char kUnloadKind[] = "unload";
constexpr double kLongestScenarioSeconds = 1e9;  // about 31 years

std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::string TimeText(std::int64_t millis) {
  const Json seconds = EventLog::Seconds(millis);
  return seconds.dump();
}

ScenarioStep ParseStep(const Json& entry, std::size_t index, const std::string& file,
                       const StepTable& table, std::optional<std::int64_t> previous_t) {
  const std::string where = file + ": steps[" + std::to_string(index) + "]";
  if (!entry.is_object()) {
    throw ScenarioError(where + ": expected an object {\"t\": ..., \"<kind>\": {...}}, got " +
                        DescribeJsonType(entry));
  }
  StepArgs step(entry, where);
  const double t = step.Number("t");
  if (t < 0 || t > kLongestScenarioSeconds) {
    step.Fail("t", "must lie between 0 and 1e9 seconds, got " + entry.at("t").dump());
  }
  ScenarioStep result;
  result.t_millis = std::llround(t * 1000.0);
  if (previous_t && result.t_millis < *previous_t) {
    step.Fail("t", "time goes backwards: " + TimeText(result.t_millis) +
                       " is before the previous step's " + TimeText(*previous_t));
  }
  for (const auto& [key, value] : entry.items()) {
    if (key == "t") continue;
    if (!result.kind.empty()) {
      step.Fail("", "holds two step kinds, \"" + result.kind + "\" and \"" + key + "\"");
    }
    result.kind = key;
  }
  if (result.kind.empty()) step.Fail("", "has no step kind beside \"t\"");
  if (!table.Has(result.kind)) {
    std::string known;
    for (const std::string& kind : table.Kinds()) known += (known.empty() ? "" : ", ") + kind;
    step.Fail("", "unknown step kind \"" + result.kind + "\" (known kinds: " + known + ")");
  }
  const Json& body = entry.at(result.kind);
  if (!body.is_object()) {
    step.Fail(result.kind, "expected an object, got " + DescribeJsonType(body));
  }
  StepArgs args(body, where + "." + result.kind);
  result.action = table.Parse(result.kind, args);
  return result;
}

standin::Controller ParseController(const Json& body, const std::string& file) {
  standin::Controller controller;
  StepArgs args(body, file + ": controller");
  if (auto callsign = args.OptionalText("callsign")) controller.callsign = *callsign;
  if (auto name = args.OptionalText("name")) controller.full_name = *name;
  if (auto facility = args.OptionalInteger("facility")) controller.facility = *facility;
  args.RejectUnreadFields();
  return controller;
}

const Json* FieldOf(const Json& object, const char* name) {
  const auto it = object.find(name);
  return it == object.end() ? nullptr : &*it;
}

}  // namespace

std::optional<std::int64_t> ParseUtcTime(std::string_view text) {
  // 2024-06-05T14:00:00Z or 2024-06-05T14:00:00.250Z
  if (text.size() != 20 && text.size() != 24) return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':' ||
      text.back() != 'Z') {
    return std::nullopt;
  }
  const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2);
  const auto second = Digits(text, 17, 2);
  std::optional<int> millis = 0;
  if (text.size() == 24) millis = text[19] == '.' ? Digits(text, 20, 3) : std::nullopt;
  if (!year || !month || !day || !hour || !minute || !second || !millis) return std::nullopt;
  if (*year < 1601 || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  SystemTime time;
  time.wYear = static_cast<std::uint16_t>(*year);
  time.wMonth = static_cast<std::uint16_t>(*month);
  time.wDay = static_cast<std::uint16_t>(*day);
  time.wHour = static_cast<std::uint16_t>(*hour);
  time.wMinute = static_cast<std::uint16_t>(*minute);
  time.wSecond = static_cast<std::uint16_t>(*second);
  time.wMilliseconds = static_cast<std::uint16_t>(*millis);
  if (time.wMonth < 1 || time.wMonth > 12 || time.wDay < 1) return std::nullopt;
  const std::int64_t unix_millis = UnixMillisFromSystemTime(time);
  // A day past the month's end (30 February) comes back as another date.
  const SystemTime back = SystemTimeFromUnixMillis(unix_millis);
  if (back.wYear != time.wYear || back.wMonth != time.wMonth || back.wDay != time.wDay) {
    return std::nullopt;
  }
  return unix_millis;
}

Scenario ParseScenario(std::string_view text, const std::string& file, const StepTable& table) {
  Json root;
  try {
    root = Json::parse(text);
  } catch (const Json::parse_error& error) {
    throw ScenarioError(file + ": invalid JSON: " + error.what());
  }
  if (!root.is_object()) {
    throw ScenarioError(file + ": expected a JSON object, got " + DescribeJsonType(root));
  }
  Scenario scenario;
  scenario.file = file;
  const auto fail = [&](const std::string& field, const std::string& problem) {
    throw ScenarioError(file + ": " + field + ": " + problem);
  };

  for (const auto& [key, value] : root.items()) {
    if (key != "start" && key != "description" && key != "controller" && key != "settings" &&
        key != "steps") {
      fail(key, "unknown field (known: start, description, controller, settings, steps)");
    }
  }

  const Json* start = FieldOf(root, "start");
  if (start == nullptr) fail("start", "missing (a UTC time such as \"2024-06-05T14:00:00Z\")");
  if (!start->is_string()) fail("start", "expected a text, got " + DescribeJsonType(*start));
  const auto start_millis = ParseUtcTime(start->get<std::string>());
  if (!start_millis) {
    fail("start", "\"" + start->get<std::string>() +
                      "\" is not a UTC time such as \"2024-06-05T14:00:00Z\"");
  }
  scenario.start_unix_millis = *start_millis;

  if (const Json* description = FieldOf(root, "description");
      description != nullptr && !description->is_string()) {
    fail("description", "expected a text, got " + DescribeJsonType(*description));
  }

  if (const Json* controller = FieldOf(root, "controller")) {
    if (!controller->is_object()) {
      fail("controller", "expected an object, got " + DescribeJsonType(*controller));
    }
    scenario.controller = ParseController(*controller, file);
  }

  if (const Json* settings = FieldOf(root, "settings")) {
    if (!settings->is_object())
      fail("settings", "expected an object, got " + DescribeJsonType(*settings));
    for (const auto& [key, value] : settings->items()) {
      if (!value.is_string()) {
        fail("settings." + key, "expected a text, got " + DescribeJsonType(value) +
                                    " (settings values are texts, e.g. \"1\")");
      }
      scenario.settings.emplace_back(key, value.get<std::string>());
    }
  }

  const Json* steps = FieldOf(root, "steps");
  if (steps == nullptr) fail("steps", "missing (a list of steps is required)");
  if (!steps->is_array()) fail("steps", "expected a list, got " + DescribeJsonType(*steps));
  std::optional<std::int64_t> previous_t;
  std::optional<std::size_t> unloaded_at;
  for (std::size_t i = 0; i < steps->size(); ++i) {
    if (unloaded_at) {
      fail("steps[" + std::to_string(i) + "]", "the plug-in is unloaded at steps[" +
                                                   std::to_string(*unloaded_at) +
                                                   "]; no step may follow");
    }
    ScenarioStep step = ParseStep((*steps)[i], i, file, table, previous_t);
    previous_t = step.t_millis;
    if (step.kind == kUnloadKind) unloaded_at = i;
    scenario.steps.push_back(std::move(step));
  }

  return scenario;
}

Scenario LoadScenario(const std::string& path, const StepTable& table) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScenarioError(path + ": cannot read the scenario file");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw ScenarioError(path + ": cannot read the scenario file");
  return ParseScenario(text.str(), path, table);
}

}  // namespace kestrava::sim
