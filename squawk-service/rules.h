// The operator's rules: which codes a departure gets, which are never handed out, how long a code
// is held and how much one client may ask for.
//
// A request's candidates, in the order tried: the origin-destination rules that match (in the
// order written), the departure airport's own ranges (in the order written), the regional pools
// whose ICAO prefix starts the airport's code (longest prefix first), then the general pool "*".
// Reserved codes (the defaults below plus the operator's own) are never handed out.
//
// Two file formats. TOML:
//
//   hold_minutes = 120                 # since the callsign last asked, without a feed
//   max_codes_per_macid = 100
//   requests_per_second = 5.0          # per client address and per macid; 0: no limit
//   request_burst = 30
//   reserved = ["7001", "7777"]       # in addition to the defaults
//   general = ["4001-4777"]           # the pool "*"
//   [airports]
//   EGLL = ["2301-2377", "4001-4017"]
//   [regions]                          # ICAO prefixes of 1 to 4 characters
//   EG = ["3701-3777"]
//   [[pairs]]
//   from = "EG"
//   to = "EG"
//   codes = ["4101-4177"]
//
// and the shorthand of one range a line, "ICAO FIRST-LAST" ("*" for the general pool), for
// airport ranges only (code_ranges.h). A text with a line holding "=" or starting with "[" is
// TOML. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "squawk-service/storage.h"

namespace squawk_service {

// 0000, 0200, 1000, 1200, 2000, 2200, 7000, 7500, 7600, 7700.
const std::unordered_set<int>& DefaultReservedCodes();

struct PairRule {
  std::string from;  // ICAO prefix of the departure
  std::string to;    // ICAO prefix of the destination
  std::vector<CodeSpan> spans;
};

struct Rules {
  std::map<std::string, std::vector<CodeSpan>> airports;  // by ICAO code
  std::map<std::string, std::vector<CodeSpan>> regions;   // by ICAO prefix
  std::vector<PairRule> pairs;
  std::vector<CodeSpan> general;
  std::unordered_set<int> reserved = DefaultReservedCodes();
  std::int64_t hold_seconds = 2 * 60 * 60;
  int max_per_macid = 100;
  double requests_per_second = 5.0;  // 0: no limit
  int request_burst = 30;
  std::string version;  // a digest of the text the rules were read from

  // The spans to try for a departure from `origin` to `destination` (upper case; the
  // destination may be empty), in order.
  std::vector<CodeSpan> Candidates(std::string_view origin, std::string_view destination) const;
  // Every span, for the status page and the metrics.
  std::vector<CodeSpan> AllSpans() const;
};

// The rules used without a file: the general pool 4001-4777.
Rules DefaultRules();

struct RulesReading {
  std::optional<Rules> rules;       // when the whole text is good
  std::vector<std::string> errors;  // otherwise: "line N: reason", in the order found
};

RulesReading ReadRules(std::string_view text);

}  // namespace squawk_service
