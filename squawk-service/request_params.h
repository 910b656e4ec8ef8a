// Reading and checking the parameters of a request's target.
//
// Pure functions; any thread.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace squawk_service {

struct Target {
  std::string path;                           // percent-decoded
  std::map<std::string, std::string> params;  // percent-decoded; "+" is a blank; last one wins
};

// "/qex/sqk_assign.php?acftcs=BAW1&ovr=1". Nothing for a bad percent-escape, or a path or
// parameter holding a NUL.
std::optional<Target> ReadTarget(std::string_view target);

// A callsign: 1 to 16 printable ASCII characters, no blank.
bool IsCallsign(std::string_view text);

// An ICAO airport code of 2 to 4 letters or digits, starting with a letter, in upper case;
// nothing for any other text.
std::optional<std::string> IcaoCode(std::string_view text);

// A client identifier (macid) or a controller's callsign: up to 64 printable ASCII characters.
bool IsShortText(std::string_view text);

}  // namespace squawk_service
