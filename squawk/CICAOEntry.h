// One airport of the squawk airport list.
#pragma once

#include <string>

namespace kestrava {

struct CICAOEntry {
  std::string m_Icao;  // upper case
  bool m_Enabled = false;

  friend bool operator==(const CICAOEntry&, const CICAOEntry&) = default;
};

}  // namespace kestrava
