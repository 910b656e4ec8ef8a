// The intention code of a flight (tag item 85): where it is heading, in one to four characters.
//
// Computed afresh from the host's flight plan and extracted route on every request; nothing is
// stored. Tests, first that applies: the upper-cased destination beginning "EG" (its last two
// characters), "EB", "EIDW" (DW), "EH" with CLN (AM) or DVR (AS) anywhere on the route; then the
// route walked from its last point back to the host's calculated index, the latest point that
// stands in the code table giving its code; else the first four characters of the destination as
// filed.
//
// Thread: the host's thread (host handles). Never throws; allocates nothing for destinations of
// up to 15 characters.
#pragma once

#include <string>
#include <string_view>

#include "plugin/EuroScopePlugIn.h"

namespace kestrava {

// True when any point of the whole route (index 0 to count - 1) is named exactly `name`; the
// scan stops at the first match. An empty or invalid route gives false.
bool RouteContainsPoint(const EuroScopePlugIn::CAircraftExtractedRoute& route,
                        std::string_view name);

// The intention code for the flight plan's destination (as filed) and the route; empty when the
// destination is empty and no route point matches.
std::string IntentionCode(std::string_view destination,
                          const EuroScopePlugIn::CAircraftExtractedRoute& route);

}  // namespace kestrava
