// The texts and colours of the departure-time tag items: the recorded-time formats chosen by the
// format number, the estimated-departure-time text with its optional colon, the reading of the
// flight plan's departure time, the reformatting of a time the controller typed, and which colour
// the estimated departure time takes.
//
// Pure functions; any thread. Every text these functions return for the tag items is at most 8
// characters long, so it fits the host's item buffer and the string's own inline storage (no
// heap allocation).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_time.h"
#include "plugin/EuroScopePlugIn.h"

namespace kestrava {

// Recorded off-block, take-off and landing time in the format `adt_type` selects:
// 1 "MM:SS", 2 "HH:MM:SS", 3 "HH:MM", 4 "MMSS", 5 "HHMMSS", 6 "HHMM", 7 "MM"; each field at
// least two digits with leading zeros. Empty for any other `adt_type`. The date is never shown.
std::string FormatActualTime(const SystemTime& time, std::int32_t adt_type);

// "HH:MM" with the separator, "HHMM" without; each of hours and minutes at least two digits.
// Meant for 0 to 99 (see ReadFlightPlanDepartureTime); larger values show all their digits.
std::string FormatEstimatedDepartureTime(int hours, int minutes, bool separator);

// The text to store for a departure time the controller typed: with the separator on, a text of
// exactly four characters whose leading-digit value is above 0 becomes its first two characters,
// ":" and its last two (1230 gives 12:30, 12ab gives 12:ab); any other text is kept as it is.
std::string ReformatTypedTime(std::string_view typed, bool separator);

// Hours and minutes of a flight plan's estimated departure time.
struct DepartureTime {
  int hours = 0;
  int minutes = 0;

  int MinuteOfDay() const { return hours * 60 + minutes; }
  friend bool operator==(const DepartureTime&, const DepartureTime&) = default;
};

// Reads the flight plan's departure time text: nothing when its leading-digit value is 0 (empty,
// 0000, starting with a letter). Otherwise split by length: 4 characters give hours from the
// first two and minutes from the last two, 3 characters hours from the first and minutes from
// the last two, any other length hours 0 and minutes from the whole text; each part read by its
// leading digits. Nothing either when hours or minutes fall outside 0 to 99 (a minus sign, five
// or more digits), which the two-digit text cannot show.
std::optional<DepartureTime> ReadFlightPlanDepartureTime(std::string_view text);

// The colour of the flight plan's departure time at `now`: `late` when its minute of the day is
// before the current one (seconds ignored, no wrap at midnight), else `early`.
EuroScopePlugIn::ColorRef EstimatedDepartureColour(const DepartureTime& departure,
                                                   const SystemTime& now,
                                                   EuroScopePlugIn::ColorRef early,
                                                   EuroScopePlugIn::ColorRef late);

}  // namespace kestrava
