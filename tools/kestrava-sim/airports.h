// A handful of busy airports for generated traffic: reference point, the runways in use (westerly
// operations), standard departures with the point each ends at, and the route points by which
// flights come in (among them points of the intention-code table).
#pragma once

#include <string>
#include <vector>

namespace kestrava::sim {

struct Departure {
  const char* sid;
  const char* exit_point;
};

struct Airport {
  const char* icao;
  double lat;
  double lon;
  const char* departure_runway;
  const char* arrival_runway;
  std::vector<Departure> departures;
  std::vector<const char*> arrival_points;  // in flying order
};

// Every known airport, in a fixed order.
const std::vector<Airport>& KnownAirports();
// The airports generated traffic flies between unless others are named: a close cluster
// (legs under about 220 nm), so an aircraft is connected for under an hour per leg and the
// traffic settles within its first hour. The others of KnownAirports() are farther out.
const std::vector<const Airport*>& DefaultAirports();
// The airport of that code, null when unknown.
const Airport* FindAirport(const std::string& icao);
// The runway's magnetic heading in degrees, from its number ("27R" gives 270).
double RunwayHeading(const std::string& runway);

}  // namespace kestrava::sim
