// Generated traffic: a scenario of aircraft flying legs between named airports for a number of
// hours, written as it is made (a day of 2,000 aircraft is about 3 GB: it is never held).
//
// Each aircraft has one callsign and flies legs one after another: it connects at the gate of
// its airport with a flight plan (SID, runways, a route through the destination's arrival points,
// the estimated departure time), reports its position every 5 s, pushes back ("PUSH"), taxis
// ("TAXI"), takes off, flies a straight path to the destination, lands, taxis in, parks and
// disconnects; a turnaround later it connects again for the next leg from there. At the start
// every aircraft is somewhere in a leg (in the air, at the gate, or between legs), so traffic is
// even from the first minute. The same options give the same bytes.
//
// Thread: any.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace kestrava::sim {

struct TrafficOptions {
  int aircraft = 100;
  double hours = 1;
  std::uint64_t seed = 1;
  std::vector<std::string> airports;  // ICAO codes of KnownAirports(); empty: DefaultAirports()
  bool squawks = false;  // the airports on the squawk list, so departures ask for codes
  std::string start = "2024-06-05T06:00:00Z";
};

struct TrafficSummary {
  std::int64_t steps = 0;
  std::int64_t legs = 0;  // legs begun
};

// Checks the options; returns a message for the first bad one, "" when they are good.
std::string CheckTrafficOptions(const TrafficOptions& options);
// Writes the scenario to `out`, stopping early when `out` fails.
TrafficSummary WriteTraffic(const TrafficOptions& options, std::ostream& out);

// kestrava-sim generate FILE [--aircraft N] [--hours H] [--seed S] [--airports A,B,...]
// [--squawks] [--start TIME]: writes the scenario to FILE ("-": standard output). Exit codes as
// the simulator's: 0 done, 1 not writable, 2 bad command line.
int RunGenerate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrava::sim
