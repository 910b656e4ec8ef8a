// The reference squawk service's configuration: which codes each departure airport hands out.
//
// The configuration text has one range per line, "ICAO FIRST-LAST", with four-digit octal codes
// ("EGLL 2301-2377"); "*" instead of an airport code is the range for every airport without one
// of its own. Blank lines and lines starting with "#" are ignored. An airport may have several
// ranges; they are used in the order given. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace squawk_service {

struct CodeRange {
  std::string airport;  // upper case, or "*"
  int first = 0;        // codes as numbers 0 to 4095 (octal digits read as a base-8 number)
  int last = 0;

  friend bool operator==(const CodeRange&, const CodeRange&) = default;
};

struct RangeConfig {
  std::vector<CodeRange> ranges;
  std::string error;  // empty when the text was read whole; otherwise "line N: reason"
};

RangeConfig ParseRangeConfig(std::string_view text);

// The ranges used when no configuration is given: one shared range for every airport.
std::vector<CodeRange> DefaultRanges();

// "2301" <-> 1217. Text of exactly four octal digits; -1 for anything else.
int CodeNumber(std::string_view code);
std::string CodeText(int number);

}  // namespace squawk_service
