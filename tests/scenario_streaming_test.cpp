// Scenarios read streaming: generated traffic (reproducible, and good scenarios), and the steps
// the reading thread holds while a scenario plays, which do not grow with its length.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/scenario.h"
#include "tools/kestrava-sim/step_feed.h"
#include "tools/kestrava-sim/traffic_generator.h"

namespace kestrava::sim {
namespace {

namespace fs = std::filesystem;

std::string Traffic(const TrafficOptions& options) {
  std::ostringstream text;
  WriteTraffic(options, text);
  return text.str();
}

fs::path WriteFile(const std::string& name, const std::string& text) {
  const fs::path path = fs::temp_directory_path() / ("kestrava-streaming-" + name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(GeneratedTraffic, IsTheSameForTheSameSeedAndPassesTheCheck) {
  const Extensions extensions = BuiltInExtensions();
  struct Case {
    int aircraft;
    double hours;
    std::vector<std::string> airports;
    bool squawks;
  };
  const Case cases[] = {{40, 2, {}, false}, {7, 0.5, {"EGLL", "EIDW"}, true}};
  for (const Case& c : cases) {
    TrafficOptions options;
    options.aircraft = c.aircraft;
    options.hours = c.hours;
    options.airports = c.airports;
    options.squawks = c.squawks;
    options.seed = 42;
    const std::string text = Traffic(options);
    EXPECT_EQ(Traffic(options), text);
    options.seed = 43;
    EXPECT_NE(Traffic(options), text);

    const fs::path path = WriteFile("generated.json", text);
    const Scenario scenario = CheckScenario(path.string(), extensions.steps);
    fs::remove(path);
    // Every aircraft reports every 5 s while connected: most of the time.
    EXPECT_GT(scenario.step_count, c.aircraft * c.hours * 720 * 0.7);
    EXPECT_LE(scenario.end_millis, c.hours * 3600 * 1000);
    for (const char* kind : {"\"flightplan\"", "\"ground_state\"", "\"disconnect\""}) {
      EXPECT_NE(text.find(kind), std::string::npos) << kind;
    }
    EXPECT_EQ(text.find("\"SQK1\"") != std::string::npos, c.squawks);
  }
}

TEST(GeneratedTraffic, BadOptionsAreNamed) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"out.json", "--aircraft", "0"}, "--aircraft must be 1 to 100000"},
      {{"out.json", "--hours", "x"}, "--hours needs a number"},
      {{"out.json", "--airports", "EGLL,KJFK"}, "unknown airport 'KJFK' (known: EGLL, "},
      {{"out.json", "--airports", "EGLL"}, "--airports needs at least two airports"},
      {{}, "no output file given"},
  };
  for (const auto& [args, message] : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(RunGenerate(args, out, err), 2);
    EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
  }
}

// Not timed: the count of steps read and not yet played stays bounded, however long the scenario.
TEST(ScenarioStreaming, TheReadingThreadHoldsABoundedNumberOfSteps) {
  const Extensions extensions = BuiltInExtensions();
  TrafficOptions options;
  options.aircraft = 150;
  options.hours = 1;
  const fs::path path = WriteFile("long.json", Traffic(options));
  const Scenario scenario = CheckScenario(path.string(), extensions.steps);
  ASSERT_GT(scenario.step_count, 5 * StepFeed::kMostHeld);

  std::size_t played = 0;
  std::int64_t last_t = 0;
  StepFeed feed(scenario, extensions.steps);
  for (ScenarioStep step; feed.Next(step); ++played) {
    EXPECT_GE(step.t_millis, last_t);
    last_t = step.t_millis;
  }
  fs::remove(path);
  EXPECT_EQ(played, scenario.step_count);
  EXPECT_EQ(last_t, scenario.end_millis);
  EXPECT_LE(feed.most_held(), StepFeed::kMostHeld);
}

}  // namespace
}  // namespace kestrava::sim
