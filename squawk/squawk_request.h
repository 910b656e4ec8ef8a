// What an assignment worker is handed: one request for a squawk code, and the completion that
// sets the code once the service has answered.
//
// Every text is a copy taken during the host call that made the request. The worker owns the
// record; the completion runs on the host's thread (the worker hands it over), with the
// record's callsign and plug-in.
#pragma once

#include <string>

#include "aircraft/CAircraftData.h"

namespace kestrava {

class QEXPlugin;

// The code a controller sets to have an aircraft's code replaced.
inline constexpr char kRecycleSquawkCode[] = "0200";

using SquawkCompletion = void (*)(const std::string& callsign, const std::string& code,
                                  QEXPlugin& plugin);

struct SquawkRequest {
  std::string aircraft_callsign;    // "acftcs"; the completion finds the aircraft by it
  std::string pilot_name;           // "acftname"
  std::string controller_callsign;  // "ctrlcs"
  std::string controller_name;      // "ctrlname"
  std::string origin;               // "depicao", upper case
  std::string destination;          // "arricao", upper case
  SquawkCompletion completion = nullptr;
  QEXPlugin* plugin = nullptr;  // handed back to the completion, on the host's thread only
  bool override_code = false;   // "ovr": the aircraft had the recycle code
  bool ground = false;          // "gnd": below the ground-speed threshold
};

// Sets `code` on the aircraft `callsign`; does nothing when the host no longer knows it.
// Host's thread only.
void OnSquawkAssigned(const std::string& callsign, const std::string& code, QEXPlugin& plugin);

}  // namespace kestrava
