// Reading an ISO 8601 date and time as the network's feed writes it:
// "YYYY-MM-DDTHH:MM:SS", an optional fraction of a second of any length, then "Z" or an offset
// "+HH:MM" / "-HH:MM" (no zone reads as UTC). A blank may stand for the "T".
//
// Thread: any; no state.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrava::network_feed {

// Unix seconds of the instant (the fraction dropped); nothing for any other text or an
// impossible date (month 13, 31 April, 29 February of a common year, hour 24, ...).
std::optional<std::int64_t> ParseIsoTime(std::string_view text);

}  // namespace kestrava::network_feed
