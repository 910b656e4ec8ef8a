// The value of a JSON number from its text, as the streaming JSON reader hands the text over.
// Every number is converted here, one way, whatever reading path met it: exactly rounded to the
// nearest double, with any exponent ("0e104", "-0e-400" and "0e400" are zeros).
//
// Thread: any; no state.
#pragma once

#include <optional>
#include <string_view>

namespace kestrava::json {

// The number's value; nothing when `text` is not one JSON number or its magnitude lies beyond
// the range of a double (such as "1e400"; a value too small for a double reads as zero).
std::optional<double> JsonNumberValue(std::string_view text);

}  // namespace kestrava::json
