// The departure clearance text that the "pdc" command puts on the clipboard.
//
// Pure function; any thread.
#pragma once

#include <string>

#include "platform/system_time.h"

namespace kestrava {

// What the clearance says about the aircraft: the callsign as the controller typed it, the
// flight plan's fields and the assigned squawk, each taken as the host gives it.
struct ClearanceFields {
  std::string callsign;
  std::string origin;
  std::string destination;
  std::string departure_runway;
  std::string sid;
  std::string squawk;
  std::string estimated_departure_time;
  std::string actual_departure_time;
};

// Four lines separated by CR LF, the last one unterminated:
//   CLD <hhmm> <ddmmyyyy> <origin> PDC 000
//   <callsign> CLRD TO <destination> OFF <runway> VIA <sid>
//   SQUAWK <squawk> ADT <estimated>/<actual> NEXT FREQ UNK
//   ATIS TEST
// Hour, minute, day and month of `now` (UTC) take at least two digits and the year at least four,
// with leading zeros. The fields are copied whole, whatever their length.
std::string ComposeClearanceText(const ClearanceFields& fields, const SystemTime& now);

}  // namespace kestrava
