// Upper-casing as the squawk service compares callsigns and ICAO codes: the ASCII letters a to z,
// every other byte as it is (no locale).
//
// Thread: any; no state.
#pragma once

#include <string>
#include <string_view>

namespace squawk_service {

inline std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

}  // namespace squawk_service
