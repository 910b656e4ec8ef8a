// The run report's model: what a row per aircraft and the chart are made of, and its bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/kestrava-sim/report/report_model.h"

namespace kestrava::sim::report {
namespace {

constexpr std::int64_t kStart = 1717567200000;  // 2024-06-05 06:00:00 UTC

FieldList Body(const Json& object) { return FieldList::FromJson(object); }

std::vector<std::string> Timeline(const AircraftRecord& aircraft) {
  std::vector<std::string> lines;
  for (const TimelineEntry& entry : aircraft.timeline) {
    std::string line = ClockText(kStart, entry.t);
    line += ' ';
    line += entry.text;
    lines.push_back(std::move(line));
  }
  return lines;
}

TEST(ReportModel, TimelineOfADepartureWithSquawkDelays) {
  ReportModel model(kStart, 600000);
  model.Step(10, "flightplan",
             Body({{"callsign", "BAW1"},
                   {"origin", "EGLL"},
                   {"sid", "CPT3G"},
                   {"type", "A320"},
                   {"route", {"CPT", "SAM"}},
                   {"destination", "LEMD"}}));
  model.Step(20, "ground_state", Body({{"callsign", "BAW1"}, {"state", "PUSH"}}));
  model.Step(90, "flightplan", Body({{"callsign", "BAW1"}, {"route", {"CPT"}}}));
  model.Step(500, "disconnect", Body({{"callsign", "BAW1"}}));
  // A request refused at 10 s, answered at 90 s; a recycling answered at once.
  model.Event({{"t", 10}, {"event", "cleared_altitude_set"}, {"callsign", "BAW1"}, {"feet", 6000}});
  model.Event({{"t", 90}, {"event", "squawk_set"}, {"callsign", "BAW1"}, {"code", "4001"}});
  model.Event({{"t", 200}, {"event", "squawk_set"}, {"callsign", "BAW1"}, {"code", "0200"}});
  model.Event({{"t", 200}, {"event", "squawk_set"}, {"callsign", "BAW1"}, {"code", "4002"}});
  model.Event({{"t", 300},
               {"event", "tags"},
               {"callsign", "BAW1"},
               {"items", {{"85", {{"text", "H"}}}, {"86", {{"text", "06:05"}, {"rgb", 180}}}}}});
  model.LogLine(
      {"BAW1", "Tom", "A320", "EGLL", "27R", "CPT3G", "LEMD", "", "", "D", "05/06/2024 06:07:30"});
  model.Finish();

  ASSERT_EQ(model.aircraft().size(), 1u);
  const AircraftRecord& aircraft = model.aircraft()[0];
  EXPECT_EQ(aircraft.route, "EGLL CPT3G CPT LEMD");  // the amended points
  EXPECT_EQ(aircraft.squawk, "4002");
  const std::vector<std::string> expected = {
      "06:00:10 flight plan filed",
      "06:00:10 initial altitude 6000 ft set",
      "06:00:20 off-block (push-back)",
      "06:01:30 flight plan amended",
      "06:01:30 squawk 4001 set, 80 s after it was asked for",
      "06:03:20 squawk 0200 set: recycled, a new code asked for",
      "06:03:20 squawk 4002 set, 0 s after it was asked for",
      "06:07:30 take-off (statistics log)",
      "06:08:20 disconnected",
  };
  EXPECT_EQ(Timeline(aircraft), expected);
  ASSERT_EQ(aircraft.tags.size(), 1u);
  EXPECT_EQ(aircraft.tags[0].items[1].text, "06:05");
  EXPECT_EQ(aircraft.tags[0].items[1].rgb, 180u);
  EXPECT_FALSE(aircraft.tags[0].items[0].rgb);
  EXPECT_EQ(model.codes_set(), 2u);
  EXPECT_EQ(model.departures(), 1u);
}

TEST(ReportModel, StaysBoundedOnLongRuns) {
  ReportModel model(kStart, 86400000);
  const std::size_t aircraft = kMostAircraftShown + 50;
  constexpr std::size_t kAsks = kMostTimelineEntries + 6;
  for (std::size_t i = 0; i < aircraft; ++i) {
    std::string callsign = "A";
    callsign += std::to_string(i);
    model.Step(static_cast<double>(i), "position", Body({{"callsign", callsign}}));
    for (std::size_t ask = 0; ask < kAsks; ++ask) {
      model.Event({{"t", static_cast<double>(i + ask)},
                   {"event", "tags"},
                   {"callsign", callsign},
                   {"items", {{"85", {{"text", std::to_string(ask)}}}}}});
      model.Step(static_cast<double>(i), "ground_state",
                 Body({{"callsign", callsign}, {"state", "TAXI"}}));
    }
  }
  model.Finish();
  EXPECT_EQ(model.aircraft_count(), aircraft);
  ASSERT_EQ(model.aircraft().size(), kMostAircraftShown);
  const AircraftRecord& first = model.aircraft()[0];
  EXPECT_EQ(first.timeline.size(), kMostTimelineEntries);
  EXPECT_EQ(first.timeline_left_out, 6u);
  ASSERT_EQ(first.tags.size(), kMostTagSamples);
  EXPECT_EQ(first.tags.back().items[0].text, std::to_string(kAsks - 1));  // the latest ask is kept
  EXPECT_EQ(model.on_frequency().size(), kChartIntervals);
  EXPECT_EQ(model.on_frequency().back(), static_cast<int>(aircraft));
}

}  // namespace
}  // namespace kestrava::sim::report
