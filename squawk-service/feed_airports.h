// The airports file: where each departure airport lies, so that only aircraft near it count
// when choosing its code. One airport a line, "ICAO LAT LON" (degrees, north and east positive,
// such as "EGLL 51.4706 -0.461941"), separated by blanks or tabs; blank lines and lines starting
// with '#' are skipped. ICAO codes are 2 to 4 letters or digits, kept upper-case.
//
// Thread: any; no state.
#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

namespace squawk_service {

struct AirportPosition {
  double latitude = 0;   // degrees, -90..90
  double longitude = 0;  // degrees, -180..180
};

using AirportPositions = std::unordered_map<std::string, AirportPosition>;

// A fault of the file: its message names the file and the line ("airports.txt:12: latitude
// \"91.5\" is not between -90 and 90").
class AirportsFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads every line of `in`; `name` names the file in messages. An airport given twice is an
// error. Throws AirportsFileError at the first fault.
AirportPositions ReadAirports(std::istream& in, std::string_view name);

// Reads the file at `path`; a file that cannot be opened is an AirportsFileError too.
AirportPositions ReadAirportsFile(const std::string& path);

}  // namespace squawk_service
