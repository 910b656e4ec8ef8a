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
// The airport of that code, null when unknown.
const Airport* FindAirport(const std::string& icao);
// The runway's magnetic heading in degrees, from its number ("27R" gives 270).
double RunwayHeading(const std::string& runway);

}  // namespace kestrava::sim
