// One snapshot of the network's public data feed: who is online, as the feed says, with every
// field the squawk service and the simulator's feed import use. Values are kept as the feed gives
// them (texts unchanged); fields a pilot or controller lacks keep their defaults below.
//
// Thread: plain values; no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrava::network_feed {

struct FlightPlan {
  std::string flight_rules;    // "I", "V", ...
  std::string aircraft_short;  // "A320"
  std::string departure;       // ICAO code of the departure airport
  std::string arrival;
  std::string alternate;
  std::string altitude;  // cruising level as filed, text ("35000", "FL350")
  std::string deptime;   // "HHMM"
  std::string route;
  std::string remarks;

  bool operator==(const FlightPlan&) const = default;
};

struct Pilot {
  std::string callsign;  // never empty
  std::string name;
  double latitude = 0;           // degrees, -90..90
  double longitude = 0;          // degrees, -180..180
  std::int32_t altitude = 0;     // feet
  std::int32_t groundspeed = 0;  // knots
  std::string transponder;       // as the feed gives it: four octal digits ("2301") when valid
  std::int32_t heading = 0;      // degrees
  std::optional<FlightPlan> flight_plan;  // nothing when the feed gives null or no flight plan

  bool operator==(const Pilot&) const = default;
};

struct Controller {
  std::string callsign;  // never empty
  std::string name;
  std::int32_t facility = 0;
  std::string frequency;  // "118.500"

  bool operator==(const Controller&) const = default;
};

struct Snapshot {
  std::string update_timestamp;  // as the feed gives it ("2026-12-07T19:51:30.1234567Z")
  std::int64_t update_time = 0;  // the same instant, unix seconds (fraction dropped)
  std::vector<Pilot> pilots;
  std::vector<Controller> controllers;

  bool operator==(const Snapshot&) const = default;
};

// The code of a transponder text of exactly four octal digits ("2301" -> 02301 = 1217), 0..4095;
// nothing for any other text.
std::optional<int> TransponderCode(std::string_view transponder);

}  // namespace kestrava::network_feed
