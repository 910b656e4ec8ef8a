#include "tools/kestrava-sim/report/report_model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/system_time.h"

namespace kestrava::sim::report {
namespace {

constexpr char kRecycledCode[] = "0200";
constexpr int kFirstTagItem = 85;

std::string TextField(const FieldList& body, std::string_view key) {
  const std::size_t at = body.Find(key);
  return at != FieldList::npos && body.value(at).type == FieldValue::Type::kText
             ? body.value(at).text
             : std::string();
}

// The parts of the route a flight plan step gives (the others stay as they were): origin, SID,
// points, STAR, destination.
void TakeRouteParts(const FieldList& body, std::array<std::string, 5>& parts) {
  const char* const keys[] = {"origin", "sid", "route", "star", "destination"};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t at = body.Find(keys[i]);
    if (at == FieldList::npos) continue;
    const FieldValue& value = body.value(at);
    if (value.type == FieldValue::Type::kText) {
      parts[i] = value.text;
    } else if (value.compound.is_array()) {
      parts[i].clear();
      for (const Json& point : value.compound) {
        if (!point.is_string()) continue;
        if (!parts[i].empty()) parts[i] += ' ';
        parts[i] += point.get<std::string>();
      }
    }
  }
}

// "DD/MM/YYYY HH:MM:SS" as Unix milliseconds; nothing when it is not such a text.
std::optional<std::int64_t> LogTime(const std::string& text) {
  unsigned day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%2u/%2u/%4u %2u:%2u:%2u%c", &day, &month, &year, &hour, &minute,
                  &second, &tail) != 6 ||
      month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return std::nullopt;
  }
  SystemTime time{};
  time.wYear = static_cast<std::uint16_t>(year);
  time.wMonth = static_cast<std::uint16_t>(month);
  time.wDay = static_cast<std::uint16_t>(day);
  time.wHour = static_cast<std::uint16_t>(hour);
  time.wMinute = static_cast<std::uint16_t>(minute);
  time.wSecond = static_cast<std::uint16_t>(second);
  return UnixMillisFromSystemTime(time);
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f s", seconds);
  return text;
}

}  // namespace

std::string ClockText(std::int64_t start_unix_millis, double t) {
  const SystemTime time =
      SystemTimeFromUnixMillis(start_unix_millis + static_cast<std::int64_t>(t * 1000.0));
  char text[24];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned{time.wHour}, unsigned{time.wMinute},
                unsigned{time.wSecond});
  return text;
}

ReportModel::ReportModel(std::int64_t start_unix_millis, std::int64_t end_millis)
    : start_unix_millis_(start_unix_millis),
      end_seconds_(static_cast<double>(end_millis) / 1000.0),
      interval_seconds_(std::max(1.0, end_seconds_ / static_cast<double>(kChartIntervals))),
      on_frequency_(kChartIntervals, 0),
      codes_per_interval_(kChartIntervals, 0) {}

AircraftRecord* ReportModel::Shown(const std::string& callsign) {
  const auto it = shown_index_.find(callsign);
  return it == shown_index_.end() ? nullptr : &shown_[it->second];
}

AircraftRecord* ReportModel::Seen(const std::string& callsign) {
  if (seen_.insert(callsign).second && shown_.size() < kMostAircraftShown) {
    shown_index_.emplace(callsign, shown_.size());
    shown_.push_back(AircraftRecord{});
    shown_.back().callsign = callsign;
  }
  return Shown(callsign);
}

void ReportModel::Add(AircraftRecord& aircraft, double t, std::string text) {
  if (aircraft.timeline.size() < kMostTimelineEntries) {
    aircraft.timeline.push_back({t, std::move(text)});
  } else {
    ++aircraft.timeline_left_out;
  }
}

std::size_t ReportModel::IntervalOf(double t) const {
  const auto interval = static_cast<std::size_t>(std::max(0.0, t) / interval_seconds_);
  return std::min(interval, kChartIntervals - 1);
}

void ReportModel::MoveTo(double t) {
  const std::size_t now = IntervalOf(t);
  const int count = static_cast<int>(connected_.size());
  while (interval_ < now) on_frequency_[++interval_] = count;
}

void ReportModel::Connect(const std::string& callsign) {
  if (!connected_.insert(callsign).second) return;
  int& most = on_frequency_[interval_];
  most = std::max(most, static_cast<int>(connected_.size()));
}

void ReportModel::Step(double t, const std::string& kind, const FieldList& body) {
  MoveTo(t);
  const std::string callsign = TextField(body, "callsign");
  if (callsign.empty()) return;
  if (kind == "flightplan") {
    Connect(callsign);
    AircraftRecord* aircraft = Seen(callsign);
    if (aircraft == nullptr) return;
    const bool first = aircraft->plans.empty() && aircraft->type.empty();
    if (const std::string type = TextField(body, "type"); !type.empty()) aircraft->type = type;
    TakeRouteParts(body, aircraft->route_parts);
    if (aircraft->plans.size() < kMostTimelineEntries) aircraft->plans.push_back(t);
    Add(*aircraft, t, first ? "flight plan filed" : "flight plan amended");
  } else if (kind == "position") {
    Connect(callsign);
    Seen(callsign);
  } else if (kind == "ground_state") {
    if (AircraftRecord* aircraft = Seen(callsign)) {
      const std::string state = TextField(body, "state");
      Add(*aircraft, t, state == "PUSH" ? "off-block (push-back)" : "ground state " + state);
    }
  } else if (kind == "disconnect") {
    connected_.erase(callsign);
    if (AircraftRecord* aircraft = Shown(callsign)) Add(*aircraft, t, "disconnected");
  }
}

void ReportModel::SquawkSet(double t, const std::string& callsign, const std::string& code) {
  if (code != kRecycledCode) {
    ++codes_set_;
    ++codes_per_interval_[IntervalOf(t)];
  }
  AircraftRecord* aircraft = Seen(callsign);
  if (aircraft == nullptr) return;
  aircraft->squawk = code;
  // The request pending: the first plan since the last code, or the recycling.
  while (aircraft->next_plan < aircraft->plans.size() &&
         aircraft->plans[aircraft->next_plan] <= t) {
    if (!aircraft->asked) aircraft->asked = aircraft->plans[aircraft->next_plan];
    ++aircraft->next_plan;
  }
  if (code == kRecycledCode) {
    Add(*aircraft, t, "squawk 0200 set: recycled, a new code asked for");
    aircraft->asked = t;
    return;
  }
  std::string text = "squawk " + code + " set";
  if (aircraft->asked) text += ", " + Seconds(t - *aircraft->asked) + " after it was asked for";
  aircraft->asked.reset();
  Add(*aircraft, t, std::move(text));
}

void ReportModel::Tags(double t, const Json& event) {
  const Json& items = event.value("items", Json::object());
  AircraftRecord* aircraft = Shown(event.value("callsign", ""));
  if (aircraft == nullptr || !items.is_object() || items.empty()) return;
  if (aircraft->tags.size() == kMostTagSamples) {
    // Keep the first samples and the latest: the last one shown is replaced.
    aircraft->tags.pop_back();
    ++aircraft->tags_left_out;
  }
  TagSample sample;
  sample.t = t;
  for (std::size_t i = 0; i < sample.items.size(); ++i) {
    const auto item = items.find(std::to_string(kFirstTagItem + static_cast<int>(i)));
    if (item == items.end() || !item->is_object()) continue;
    sample.items[i].text = item->value("text", "");
    if (const auto rgb = item->find("rgb");
        rgb != item->end() && rgb->is_number_integer() && rgb->get<std::int64_t>() >= 0) {
      sample.items[i].rgb = rgb->get<std::uint32_t>();
    }
  }
  aircraft->tags.push_back(std::move(sample));
}

void ReportModel::Event(const Json& event) {
  const double t = event.value("t", 0.0);
  const std::string name = event.value("event", "");
  if (name == "squawk_set") {
    SquawkSet(t, event.value("callsign", ""), event.value("code", ""));
  } else if (name == "cleared_altitude_set") {
    if (AircraftRecord* aircraft = Shown(event.value("callsign", ""))) {
      Add(*aircraft, t, "initial altitude " + std::to_string(event.value("feet", 0)) + " ft set");
    }
  } else if (name == "tags") {
    Tags(t, event);
  } else if (name == "user_message") {
    if (messages_.size() < kMostTimelineEntries) {
      messages_.push_back({t, event.value("sender", "") + ": " + event.value("message", "")});
    } else {
      ++messages_left_out_;
    }
  } else if (name == "clipboard") {
    // The clearance text names its aircraft on its second line; shown in the header's messages.
    if (messages_.size() < kMostTimelineEntries) {
      messages_.push_back({t, "clearance text put on the clipboard:\n" + event.value("text", "")});
    } else {
      ++messages_left_out_;
    }
  } else if (name == "alarm") {
    ++alarms_;
  }
}

void ReportModel::LogLine(const std::vector<std::string>& fields) {
  if (fields.size() < 3) return;
  const std::optional<std::int64_t> when = LogTime(fields.back());
  const std::string& kind = fields[fields.size() - 2];
  if (!when || (kind != "A" && kind != "D")) return;
  (kind == "D" ? departures_ : arrivals_) += 1;
  if (AircraftRecord* aircraft = Shown(fields.front())) {
    Add(*aircraft, static_cast<double>(*when - start_unix_millis_) / 1000.0,
        kind == "D" ? "take-off (statistics log)" : "landing (statistics log)");
  }
}

void ReportModel::Finish() {
  MoveTo(end_seconds_);
  for (AircraftRecord& aircraft : shown_) {
    for (const std::string& part : aircraft.route_parts) {
      if (part.empty()) continue;
      if (!aircraft.route.empty()) aircraft.route += ' ';
      aircraft.route += part;
    }
    std::stable_sort(aircraft.timeline.begin(), aircraft.timeline.end(),
                     [](const TimelineEntry& a, const TimelineEntry& b) { return a.t < b.t; });
  }
}

}  // namespace kestrava::sim::report
