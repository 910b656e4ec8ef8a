// Scenarios read streaming: generated traffic (reproducible, and good scenarios), and the steps
// the reading thread holds while a scenario plays, which do not grow with its length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tools/kestrava-sim/airports.h"
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
      {{"out.json", "--hours", "9000"}, "--hours must be above 0 and at most 8784 (366 days)"},
      {{}, "no output file given"},
  };
  for (const auto& [args, message] : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(RunGenerate(args, out, err), 2);
    EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
  }
}

// What the generator promises against its options: each flight plan's departure time 10 to 25
// minutes after the time of day of its step, counted from the start; the arrival runway the
// destination's, the one its landing roll follows; and with --squawks, SQK1..SQKn naming every
// airport once.
TEST(GeneratedTraffic, KeepsItsPromisesAgainstItsOptions) {
  TrafficOptions options;
  options.aircraft = 30;
  options.hours = 2;
  options.start = "2024-06-05T13:47:00Z";  // not at midnight nor on the hour
  options.airports = {"EGLL", "EHAM", "EIDW"};
  options.squawks = true;
  const Json scenario = Json::parse(Traffic(options));

  Json expected_settings = {{"SAVELOG", "1"}, {"SAVELOGFILE", "stats.csv"}};
  for (std::size_t i = 0; i < options.airports.size(); ++i) {
    expected_settings["SQK" + std::to_string(i + 1)] = options.airports[i] + ":1";
  }
  EXPECT_EQ(scenario["settings"], expected_settings);

  constexpr int kStartMinute = 13 * 60 + 47;
  std::map<std::string, std::string> arrival_runway;  // of each callsign's flight plan
  std::map<std::string, Json> last_position;
  std::size_t plans = 0, landings = 0;
  for (const Json& step : scenario["steps"]) {
    const auto t = step["t"].get<std::int64_t>();
    if (step.contains("flightplan")) {
      const Json& plan = step["flightplan"];
      ++plans;
      const std::string etd = plan["etd"];
      const int etd_minute = std::stoi(etd.substr(0, 2)) * 60 + std::stoi(etd.substr(2));
      const int after =
          ((etd_minute - kStartMinute - static_cast<int>(t / 60)) % 1440 + 1440) % 1440;
      EXPECT_GE(after, 10) << plan;
      EXPECT_LE(after, 25) << plan;
      EXPECT_EQ(plan["arr_rwy"], std::string(FindAirport(plan["destination"])->arrival_runway))
          << plan;
      arrival_runway[plan["callsign"]] = plan["arr_rwy"];
    } else if (step.contains("position")) {
      const Json& position = step["position"];
      const std::string callsign = position["callsign"];
      const Json& previous = last_position[callsign];
      // The landing roll slows from 120 to 80 knots along the arrival runway.
      if (position["gs"] == 80 && !previous.is_null() && previous["gs"] == 120) {
        const double lat = position["lat"], lon = position["lon"];
        const double north = lat - previous["lat"].get<double>();
        const double east =
            (lon - previous["lon"].get<double>()) * std::cos(lat * std::numbers::pi / 180);
        const double heading =
            std::fmod(std::atan2(east, north) * 180 / std::numbers::pi + 360, 360);
        EXPECT_NEAR(heading, RunwayHeading(arrival_runway[callsign]), 3) << position;
        ++landings;
      }
      last_position[callsign] = position;
    }
  }
  EXPECT_GT(plans, 30u);
  EXPECT_GT(landings, 10u);
}

// Every aircraft's positions, in order, and where its legs end and begin.
class Tracks final : public ScenarioVisitor {
 public:
  struct Report {
    double t, lat, lon, gs;
    bool leg_begins;  // the first report after connecting again
  };
  void TopLevelField(const std::string&, const Json&) override {}
  bool Step(RawStep& raw) override {
    const std::string callsign = raw.body.value(raw.body.Find("callsign")).text;
    if (raw.kind == "disconnect") {
      offline_.insert(callsign);
    } else if (raw.kind == "position") {
      const auto number = [&](const char* key) {
        return raw.body.value(raw.body.Find(key)).Number();
      };
      tracks[callsign].push_back({raw.t.Number(), number("lat"), number("lon"), number("gs"),
                                  offline_.erase(callsign) > 0});
    }
    return true;
  }
  std::map<std::string, std::vector<Report>> tracks;

 private:
  std::set<std::string> offline_;
};

double DistanceNm(const Tracks::Report& a, const Tracks::Report& b) {
  const double north = (b.lat - a.lat) * 60;
  const double east = (b.lon - a.lon) * 60 * std::cos((a.lat + b.lat) / 2 * std::numbers::pi / 180);
  return std::hypot(north, east);
}

TEST(GeneratedTraffic, IsPhysicallyContinuous) {
  TrafficOptions options;
  options.aircraft = 30;
  options.hours = 6;
  options.airports = {"EGLL", "EHAM", "EIDW", "EDDF"};
  const fs::path path = WriteFile("continuous.json", Traffic(options));
  Tracks tracks;
  bool has_steps = false;
  ReadScenarioFile(path.string(), tracks, has_steps);
  fs::remove(path);
  std::size_t legs_continued = 0;
  for (const auto& [callsign, reports] : tracks.tracks) {
    for (std::size_t i = 1; i < reports.size(); ++i) {
      const Tracks::Report &from = reports[i - 1], &to = reports[i];
      const double nm = DistanceNm(from, to);
      if (to.leg_begins) {
        // Where the last leg parked.
        EXPECT_LT(nm, 0.01) << callsign << " at t = " << to.t;
        ++legs_continued;
        continue;
      }
      // No faster than the faster of the two reported speeds allows, with a margin.
      const double most_nm = std::max(from.gs, to.gs) * (to.t - from.t) / 3600 * 1.25 + 0.05;
      EXPECT_LE(nm, most_nm) << callsign << " from t = " << from.t << " to " << to.t;
    }
  }
  EXPECT_GT(legs_continued, 10u);
}

TEST(GeneratedTraffic, DepartureTimesAreTimesOfDayForStartsBefore1970) {
  TrafficOptions options;
  options.aircraft = 20;
  options.start = "1969-12-31T23:30:00Z";
  const std::string text = Traffic(options);
  const std::regex etd("\"etd\":\"([^\"]*)\"");
  std::size_t seen = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), etd); it != std::sregex_iterator();
       ++it, ++seen) {
    EXPECT_TRUE(std::regex_match((*it)[1].str(), std::regex("([01][0-9]|2[0-3])[0-5][0-9]")))
        << (*it)[1];
  }
  EXPECT_GT(seen, 20u);
  EXPECT_NE(text.find("\"etd\":\"00"), std::string::npos);  // after midnight
}

// Not timed: the count of steps read and not yet played stays bounded, however long the scenario,
// with a player slower than the reading (it lets the reading run ahead before every batch).
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
    if (played % StepFeed::kBatchSteps == 0) feed.WaitWhileReading();
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
