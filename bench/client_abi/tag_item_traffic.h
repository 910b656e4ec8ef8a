// The traffic both tag item programs ask about, so that the stand-in path and the path through
// the client's ABI answer the same aircraft: kAircraft flights to LKPR with filed departure times,
// on kRoutePoints-point routes whose only table point is the first (item 85 walks the whole
// route). Each is pushed back, then reported standing, rolling and slowed down again, so that its
// off-block, take-off and landing times are recorded as the plug-in records them.
#pragma once

#include <array>
#include <string>

namespace kestrava::bench {

constexpr int kAircraft = 2000;
constexpr int kRoutePoints = 40;
constexpr std::array<int, 5> kItems{85, 86, 87, 88, 89};
// The ground speeds reported one after the other: a take-off, then a landing.
constexpr std::array<int, 3> kGroundSpeeds{0, 140, 30};

constexpr char kDestination[] = "LKPR";
// The settings both plug-ins start with: recorded times with seconds, and a squawk service on a
// closed port, so that the start-up exchange ends at once.
constexpr std::array<std::array<const char*, 2>, 2> kSettings{
    {{"ADTTYPE", "2"}, {"SERVERLOCATION", "http://127.0.0.1:1/"}}};

inline std::string Callsign(int aircraft) { return "AC" + std::to_string(1000 + aircraft); }
inline const char* EstimatedDepartureTime(int aircraft) {
  return aircraft % 2 == 0 ? "1130" : "1230";
}
inline std::string RoutePoint(int index) {
  return index == 0 ? "ORTAC" : "WP" + std::to_string(100 + index);
}

}  // namespace kestrava::bench
