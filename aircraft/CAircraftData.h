// The plug-in's own record of one aircraft: its position history and the moments it went off
// blocks, took off and landed, the departure time a controller typed, and the last ground speed
// seen. A plain value: copies never share a history.
#pragma once

#include <string>
#include <vector>

#include "platform/system_time.h"
#include "plugin/EuroScopePlugIn.h"

namespace kestrava {

// No ground speed seen yet.
constexpr int kNoGroundSpeed = -1000;

// The one ground-speed threshold, in knots of reported ground speed: below it an aircraft counts
// as on the ground for squawk requests and initial altitudes, from it on trails are drawn, and a
// rise from at most it to above it is a take-off (a fall the other way a landing).
constexpr int kGroundSpeedThresholdKnots = 60;

class CAircraftData {
 public:
  CAircraftData() = default;
  explicit CAircraftData(std::string callsign) : m_Callsign(std::move(callsign)) {}

  std::string GetCallsign() const { return m_Callsign; }
  std::string GetEditedDepTime() const { return m_EditedDepTime; }
  void SetEditedDepTime(std::string text) { m_EditedDepTime = std::move(text); }

  std::string m_Callsign;
  std::vector<EuroScopePlugIn::CPosition> m_Positions;  // oldest first
  bool m_TakenOff = false;
  bool m_Landed = false;
  bool m_OffBlock = false;
  SystemTime m_TakeOffTime;
  SystemTime m_LandingTime;
  SystemTime m_OffBlockTime;
  std::string m_EditedDepTime;  // empty: none typed
  int m_LastGroundSpeed = kNoGroundSpeed;
};

}  // namespace kestrava
