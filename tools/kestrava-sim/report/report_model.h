// What a run report shows, gathered in one streaming pass over each of the run's records: the
// scenario's steps (flight plans, ground states, position reports, disconnects), the event log
// (squawk codes, initial altitudes, tag items, messages) and the statistics log's lines (take-offs
// and landings). Nothing is kept per step or per event: memory grows with the aircraft shown
// (at most kMostAircraftShown, each with a bounded timeline), the aircraft on frequency at once
// and the chart's fixed number of intervals, not with the run's length.
//
// The squawk request of an aircraft is taken as the first flight plan (filed or amended) or
// recycled code (0200) after its last code; its delay is the time until the next code.
//
// Thread: one thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tools/kestrava-sim/event_log.h"
#include "tools/kestrava-sim/step_fields.h"

namespace kestrava::sim::report {

inline constexpr std::size_t kMostAircraftShown = 200;
inline constexpr std::size_t kMostTimelineEntries = 24;
inline constexpr std::size_t kMostTagSamples = 6;
inline constexpr std::size_t kChartIntervals = 120;

struct TimelineEntry {
  double t = 0;  // simulated seconds
  std::string text;
};

// The tag items 85 to 89 as the plug-in gave them once: text, and colour when it set one.
struct TagSample {
  double t = 0;
  struct Item {
    std::string text;
    std::optional<std::uint32_t> rgb;  // 0x00BBGGRR
  };
  std::array<Item, 5> items;
};

struct AircraftRecord {
  std::string callsign;
  std::string type;
  std::string route;  // origin, SID, points, STAR, destination (made by Finish)
  // The parts of the route as the flight plans gave them, the latest of each.
  std::array<std::string, 5> route_parts;
  std::vector<TimelineEntry> timeline;
  std::size_t timeline_left_out = 0;
  std::vector<TagSample> tags;
  std::size_t tags_left_out = 0;
  std::string squawk;           // the last code set
  std::vector<double> plans;    // when flight plans came (at most kMostTimelineEntries)
  std::size_t next_plan = 0;    // the first plan not yet matched to a code
  std::optional<double> asked;  // when the pending squawk request was made
};

// The UTC time of day `t` simulated seconds after `start_unix_millis`: "HH:MM:SS".
std::string ClockText(std::int64_t start_unix_millis, double t);

class ReportModel {
 public:
  // The run's period: its start (Unix milliseconds) and its last step's time.
  ReportModel(std::int64_t start_unix_millis, std::int64_t end_millis);

  // Feed the scenario's steps first, then the events, then the log's lines, each in order.
  void Step(double t, const std::string& kind, const FieldList& body);
  void Event(const Json& event);
  // One line of a statistics log, as fields (callsign first, "A" or "D" and the date and time
  // "DD/MM/YYYY HH:MM:SS" last).
  void LogLine(const std::vector<std::string>& fields);
  // Orders every timeline; call once after the last input.
  void Finish();

  const std::vector<AircraftRecord>& aircraft() const { return shown_; }
  std::size_t aircraft_count() const { return seen_.size(); }
  std::size_t departures() const { return departures_; }
  std::size_t arrivals() const { return arrivals_; }
  std::size_t codes_set() const { return codes_set_; }
  const std::vector<TimelineEntry>& messages() const { return messages_; }
  std::size_t messages_left_out() const { return messages_left_out_; }
  std::size_t alarms() const { return alarms_; }
  // Per chart interval: the most aircraft on frequency, and the squawk codes set.
  const std::vector<int>& on_frequency() const { return on_frequency_; }
  const std::vector<int>& codes_per_interval() const { return codes_per_interval_; }
  double interval_seconds() const { return interval_seconds_; }
  std::int64_t start_unix_millis() const { return start_unix_millis_; }
  double end_seconds() const { return end_seconds_; }

 private:
  AircraftRecord* Shown(const std::string& callsign);
  AircraftRecord* Seen(const std::string& callsign);  // counts it; its record when shown
  void Add(AircraftRecord& aircraft, double t, std::string text);
  std::size_t IntervalOf(double t) const;
  void MoveTo(double t);
  void Connect(const std::string& callsign);
  void SquawkSet(double t, const std::string& callsign, const std::string& code);
  void Tags(double t, const Json& event);

  std::int64_t start_unix_millis_;
  double end_seconds_;
  double interval_seconds_;
  std::vector<AircraftRecord> shown_;
  std::unordered_map<std::string, std::size_t> shown_index_;
  std::unordered_set<std::string> seen_;
  std::unordered_set<std::string> connected_;
  std::vector<int> on_frequency_;
  std::vector<int> codes_per_interval_;
  std::size_t interval_ = 0;  // the interval the scenario's steps have reached
  std::vector<TimelineEntry> messages_;
  std::size_t messages_left_out_ = 0;
  std::size_t departures_ = 0;
  std::size_t arrivals_ = 0;
  std::size_t codes_set_ = 0;
  std::size_t alarms_ = 0;
};

}  // namespace kestrava::sim::report
