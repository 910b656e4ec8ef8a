// kestrava-sim import-feed: a scenario from snapshots of the network's public data feed.
//
//   kestrava-sim import-feed SNAPSHOT.json [SNAPSHOT.json ...] --out SCENARIO.json
//                            [--airport ICAO ...]
//
// The snapshots, given in time order, become one scenario starting at the first snapshot's time,
// with steps at each snapshot's time since then:
// - a pilot's flight plan, when first seen and whenever it changes: a "flightplan" step (origin,
//   destination, aircraft type, departure time as "etd", and SID, points and STAR read from the
//   route text as filed_route.h says);
// - the pilot's transponder code when first seen or changed (four octal digits): a "squawk" step;
// - every pilot, every snapshot: a "position" step (latitude, longitude, ground speed);
// - a pilot of the snapshot before who is no longer there: a "disconnect" step.
// `--airport` (repeatable, or codes separated by commas) keeps only pilots departing from or
// arriving at one of the airports, and the controller becomes the first airport's tower; without
// it every pilot is kept and the controller is an observer. The squawk service is the
// simulator's own.
//
// Each snapshot is read as a stream (feed_reader.h) and the scenario written as it is made, so
// memory holds one snapshot's pilots and the last flight plan of each pilot online.
//
// Exit codes: 0 done; 1 the scenario cannot be written; 2 a bad command line or a bad snapshot
// (the message names the file and the field: "feed-2.json: pilots[3].latitude: not a number",
// a truncated document, one larger than kMostSnapshotBytes, or snapshots out of time order).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace kestrava::sim {

inline constexpr std::uint64_t kMostSnapshotBytes = std::uint64_t{256} << 20;

int RunImportFeed(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrava::sim
