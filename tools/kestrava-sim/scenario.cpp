#include "tools/kestrava-sim/scenario.h"

#include <cmath>
#include <filesystem>

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

standin::Controller ParseController(const Json& body, const std::string& file) {
  standin::Controller controller;
  StepArgs args(body, file + ": controller");
  if (auto callsign = args.OptionalText("callsign")) controller.callsign = *callsign;
  if (auto name = args.OptionalText("name")) controller.full_name = *name;
  if (auto facility = args.OptionalInteger("facility")) controller.facility = *facility;
  args.RejectUnreadFields();
  return controller;
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

namespace {

// Pass one: the top level's fields and every step, checked.
class ScenarioCheck final : public ScenarioVisitor {
 public:
  ScenarioCheck(Scenario& scenario, const StepTable& table)
      : scenario_(scenario), steps_(scenario.file, table) {}

  void TopLevelField(const std::string& key, const Json& value) override {
    if (key == "start") {
      if (!value.is_string()) Fail("start", "expected a text, got " + DescribeJsonType(value));
      const std::string text = value.get<std::string>();
      const auto start_millis = ParseUtcTime(text);
      if (!start_millis) {
        std::string problem = "\"";
        problem.append(text).append("\" is not a UTC time such as \"2024-06-05T14:00:00Z\"");
        Fail("start", problem);
      }
      scenario_.start_unix_millis = *start_millis;
      has_start_ = true;
    } else if (key == "description") {
      if (!value.is_string()) {
        Fail("description", "expected a text, got " + DescribeJsonType(value));
      }
    } else if (key == "controller") {
      if (!value.is_object()) {
        Fail("controller", "expected an object, got " + DescribeJsonType(value));
      }
      scenario_.controller = ParseController(value, scenario_.file);
    } else if (key == "squawk_rules") {
      if (!value.is_string() || value.get<std::string>().empty()) {
        Fail("squawk_rules", "expected the path of a rules file, got " + DescribeJsonType(value));
      }
      const std::filesystem::path rules = value.get<std::string>();
      scenario_.squawk_rules =
          rules.is_absolute()
              ? rules.string()
              : (std::filesystem::path(scenario_.file).parent_path() / rules).string();
    } else if (key == "settings") {
      if (!value.is_object())
        Fail("settings", "expected an object, got " + DescribeJsonType(value));
      scenario_.settings.clear();
      for (const auto& [name, text] : value.items()) {
        if (!text.is_string()) {
          Fail("settings." + name, "expected a text, got " + DescribeJsonType(text) +
                                       " (settings values are texts, e.g. \"1\")");
        }
        scenario_.settings.emplace_back(name, text.get<std::string>());
      }
    }
  }

  bool Step(RawStep& raw) override {
    const ScenarioStep step = steps_.Check(raw);
    ++scenario_.step_count;
    scenario_.end_millis = step.t_millis;
    return true;
  }

  bool has_start() const { return has_start_; }

 private:
  [[noreturn]] void Fail(const std::string& field, const std::string& problem) const {
    throw ScenarioError(scenario_.file + ": " + field + ": " + problem);
  }

  Scenario& scenario_;
  StepChecker steps_;
  bool has_start_ = false;
};

// Pass two: the steps only.
class ScenarioPlay final : public ScenarioVisitor {
 public:
  ScenarioPlay(const Scenario& scenario, const StepTable& table,
               const std::function<bool(ScenarioStep&&)>& play)
      : steps_(scenario.file, table), play_(play) {}
  void TopLevelField(const std::string&, const Json&) override {}
  bool Step(RawStep& raw) override { return play_(steps_.Check(raw)); }

 private:
  StepChecker steps_;
  const std::function<bool(ScenarioStep&&)>& play_;
};

}  // namespace

void StepChecker::Fail(const RawStep& raw, const std::string& field,
                       const std::string& problem) const {
  throw ScenarioError(file_ + ": steps[" + std::to_string(raw.index) + "]" +
                      (field.empty() ? "" : "." + field) + ": " + problem);
}

ScenarioStep StepChecker::Check(const RawStep& raw) {
  if (unloaded_at_) {
    Fail(raw, "",
         "the plug-in is unloaded at steps[" + std::to_string(*unloaded_at_) +
             "]; no step may follow");
  }
  if (!raw.has_t) Fail(raw, "t", "missing (a number is required)");
  if (!raw.t.IsNumber()) Fail(raw, "t", "expected a number, got " + raw.t.Describe());
  const double t = raw.t.Number();
  if (t < 0 || t > kLongestScenarioSeconds) {
    Fail(raw, "t", "must lie between 0 and 1e9 seconds, got " + raw.t.ToJson().dump());
  }
  ScenarioStep result;
  result.t_millis = std::llround(t * 1000.0);
  if (previous_t_ && result.t_millis < *previous_t_) {
    Fail(raw, "t",
         "time goes backwards: " + TimeText(result.t_millis) + " is before the previous step's " +
             TimeText(*previous_t_));
  }
  if (!raw.second_kind.empty()) {
    Fail(raw, "", "holds two step kinds, \"" + raw.kind + "\" and \"" + raw.second_kind + "\"");
  }
  if (raw.kind.empty()) Fail(raw, "", "has no step kind beside \"t\"");
  if (last_parser_ == nullptr || raw.kind != last_kind_) {
    last_parser_ = table_.Find(raw.kind);
    last_quick_ = table_.FindQuick(raw.kind);
    last_kind_ = raw.kind;
  }
  const StepTable::Parser* parser = last_parser_;
  if (parser == nullptr) {
    std::string known;
    for (const std::string& kind : table_.Kinds()) known += (known.empty() ? "" : ", ") + kind;
    Fail(raw, "", "unknown step kind \"" + raw.kind + "\" (known kinds: " + known + ")");
  }
  if (!raw.body_is_object) Fail(raw, raw.kind, "expected an object, got " + raw.body_type);
  if (raw.body_is_object && last_quick_ != nullptr) result.action = (*last_quick_)(raw.body);
  if (!result.action) {
    state_.step_index = raw.index;
    StepArgs args(raw.body, StepPlace{&file_, raw.index, raw.kind}, &state_);
    result.action = StepTable::Parse(*parser, args);
  }
  previous_t_ = result.t_millis;
  if (raw.kind == kUnloadKind) unloaded_at_ = raw.index;
  return result;
}

Scenario CheckScenario(const std::string& path, const StepTable& table) {
  Scenario scenario;
  scenario.file = path;
  ScenarioCheck check(scenario, table);
  bool has_steps = false;
  ReadScenarioFile(path, check, has_steps);
  if (!check.has_start()) {
    throw ScenarioError(path + ": start: missing (a UTC time such as \"2024-06-05T14:00:00Z\")");
  }
  if (!has_steps) throw ScenarioError(path + ": steps: missing (a list of steps is required)");
  return scenario;
}

bool ReadScenarioSteps(const Scenario& scenario, const StepTable& table,
                       const std::function<bool(ScenarioStep&&)>& play) {
  ScenarioPlay visitor(scenario, table, play);
  bool has_steps = false;
  return ReadScenarioFile(scenario.file, visitor, has_steps);
}

}  // namespace kestrava::sim
