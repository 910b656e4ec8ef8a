// The status page for the group's staff (GET /status): every range and pool with its size, its
// held and free codes as a bar, the recent assignments, and the holds with a search by callsign.
// One self-contained HTML document: its style and its one small script are inline, nothing is
// fetched, and it works without a script too (the search is a GET form: "?callsign=BAW" shows
// the holds whose callsign contains the text; with the script the table filters as one types).
//
// Rendered from a plain snapshot the service fills in; every text from outside is escaped.
//
// Thread: any; no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace squawk_service {

struct StatusPool {
  std::string name;   // "EGLL", "EG", "EG>EG", "*"
  std::string kind;   // "airport", "pair", "prefix", "general"
  std::string codes;  // the ranges as the rules give them: "2301-2377, 2401-2477"
  int size = 0;       // codes in the pool (reserved codes aside)
  int held = 0;       // held now
};

struct StatusHold {
  std::string callsign;
  int code = 0;  // 0..4095, shown as four octal digits
  std::string airport;
  std::string controller;
  std::string pool;
  std::int64_t since = 0;       // unix seconds
  std::int64_t last_asked = 0;  // unix seconds
};

struct StatusSnapshot {
  std::int64_t now = 0;  // unix seconds, shown in UTC
  std::string rules_version;
  std::optional<std::int64_t> feed_age;  // seconds; nothing without a feed or before its first
  bool feed_failing = false;
  std::vector<StatusPool> pools;   // in the order of the rules
  std::vector<StatusHold> recent;  // newest first (a handful)
  std::vector<StatusHold> holds;   // every hold, by callsign
  std::string search;              // the callsign text searched for ("" shows every hold)
};

std::string RenderStatusPage(const StatusSnapshot& snapshot);

}  // namespace squawk_service
