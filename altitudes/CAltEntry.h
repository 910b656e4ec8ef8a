// One row of the initial altitude table: an airport and SID and the first cleared altitude.
#pragma once

#include <cstdint>
#include <string>

namespace kestrava {

struct CAltEntry {
  std::string m_Icao;
  std::string m_Sid;
  std::int32_t m_Altitude = 0;  // feet
  bool m_Enabled = false;

  friend bool operator==(const CAltEntry&, const CAltEntry&) = default;
};

}  // namespace kestrava
