// The stored form of one initial-altitude row: "ICAO:SID:feet:flag" under the keys ALT1, ALT2, …
//
// Pure functions; any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "altitudes/CAltEntry.h"

namespace kestrava {

// Only this many leading characters of a stored value are read.
inline constexpr std::size_t kAltitudeRowReadLimit = 255;

// Reads a stored row. The first 255 characters are split at ':' (leading and repeated separators
// skipped); the row needs four fields and an altitude whose leading integer is not 0. Airport and
// SID are taken exactly as stored; the row is enabled when the fourth field's leading integer is 1.
// Fields after the fourth are ignored. Nothing when the row is unusable.
std::optional<CAltEntry> ParseAltitudeRow(std::string_view stored);

// The stored text of a row: airport, SID, the altitude as unsigned decimal (a negative altitude as
// the unsigned form of its 32 bits), and "1" or "0", joined by ':'. Written whole, however long
// airport and SID are, so every row that was loaded can be saved again; and so that it also loads
// again as the same row, a negative altitude is written with its sign ("-1", not "4294967295")
// when the unsigned form would carry the row past the 255 characters that are read.
std::string AltitudeRowText(const CAltEntry& row);

// The settings key of the n-th row, counted from 1: "ALT1", "ALT2", …
std::string AltitudeRowKey(int n);

}  // namespace kestrava
