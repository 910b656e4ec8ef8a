// The client's operations on an aircraft (a flight plan and its radar target) and on a
// controller, for the logic's handles. Client-facing half only.
#include "client/bridge.h"
#include "client/client_handles.h"

using kestrava::client::FlightPlanOf;
using kestrava::client::RadarTargetOf;

namespace {

EuroScopePlugIn::CFlightPlanExtractedRoute RouteOf(const KestravaRouteRef& route) {
  return kestrava::client::HandleFrom<EuroScopePlugIn::CFlightPlanExtractedRoute>(route.route);
}

}  // namespace

extern "C" {

const char* KestravaClientAircraftText(const KestravaAircraftRef* aircraft,
                                       KestravaAircraftText text) {
  const EuroScopePlugIn::CFlightPlan flight_plan = FlightPlanOf(*aircraft);
  if (!flight_plan.IsValid()) {
    // Without a flight plan only the radar target's callsign is known.
    const EuroScopePlugIn::CRadarTarget target = RadarTargetOf(*aircraft);
    return text == KESTRAVA_CALLSIGN && target.IsValid() ? target.GetCallsign() : "";
  }
  const char* value = nullptr;
  switch (text) {
    case KESTRAVA_CALLSIGN: value = flight_plan.GetCallsign(); break;
    case KESTRAVA_PILOT_NAME: value = flight_plan.GetPilotName(); break;
    case KESTRAVA_GROUND_STATE: value = flight_plan.GetGroundState(); break;
    case KESTRAVA_ORIGIN: value = flight_plan.GetFlightPlanData().GetOrigin(); break;
    case KESTRAVA_DESTINATION: value = flight_plan.GetFlightPlanData().GetDestination(); break;
    case KESTRAVA_SID_NAME: value = flight_plan.GetFlightPlanData().GetSidName(); break;
    case KESTRAVA_STAR_NAME: value = flight_plan.GetFlightPlanData().GetStarName(); break;
    case KESTRAVA_DEPARTURE_RWY: value = flight_plan.GetFlightPlanData().GetDepartureRwy(); break;
    case KESTRAVA_ARRIVAL_RWY: value = flight_plan.GetFlightPlanData().GetArrivalRwy(); break;
    case KESTRAVA_AIRCRAFT_FP_TYPE:
      value = flight_plan.GetFlightPlanData().GetAircraftFPType();
      break;
    case KESTRAVA_ESTIMATED_DEPARTURE_TIME:
      value = flight_plan.GetFlightPlanData().GetEstimatedDepartureTime();
      break;
    case KESTRAVA_ACTUAL_DEPARTURE_TIME:
      value = flight_plan.GetFlightPlanData().GetActualDepartureTime();
      break;
    case KESTRAVA_SQUAWK: value = flight_plan.GetControllerAssignedData().GetSquawk(); break;
  }
  return value != nullptr ? value : "";
}

bool KestravaClientAircraftPosition(const KestravaAircraftRef* aircraft, double* latitude,
                                    double* longitude, int* ground_speed) {
  const EuroScopePlugIn::CRadarTarget target = RadarTargetOf(*aircraft);
  if (!target.IsValid()) return false;
  const EuroScopePlugIn::CRadarTargetPositionData data = target.GetPosition();
  if (!data.IsValid()) return false;
  const EuroScopePlugIn::CPosition position = data.GetPosition();
  *latitude = position.m_Latitude;
  *longitude = position.m_Longitude;
  *ground_speed = data.GetReportedGS();
  return true;
}

bool KestravaClientSetSquawk(const KestravaAircraftRef* aircraft, const char* squawk) {
  const EuroScopePlugIn::CFlightPlan flight_plan = FlightPlanOf(*aircraft);
  return flight_plan.IsValid() && flight_plan.GetControllerAssignedData().SetSquawk(squawk);
}

bool KestravaClientSetClearedAltitude(const KestravaAircraftRef* aircraft, int feet) {
  const EuroScopePlugIn::CFlightPlan flight_plan = FlightPlanOf(*aircraft);
  return flight_plan.IsValid() && flight_plan.GetControllerAssignedData().SetClearedAltitude(feet);
}

void KestravaClientExtractedRoute(const KestravaAircraftRef* aircraft, KestravaRouteRef* route) {
  const EuroScopePlugIn::CFlightPlan flight_plan = FlightPlanOf(*aircraft);
  if (!flight_plan.IsValid()) {
    *route = {nullptr, 0};
    return;
  }
  const EuroScopePlugIn::CFlightPlanExtractedRoute extracted = flight_plan.GetExtractedRoute();
  *route = {kestrava::client::PointerOf(extracted), extracted.GetPointsNumber()};
}

const char* KestravaClientRoutePointName(const KestravaRouteRef* route, int index) {
  if (route->route == nullptr || index < 0 || index >= route->point_count) return "";
  const char* name = RouteOf(*route).GetPointName(index);
  return name != nullptr ? name : "";
}

void KestravaClientRoutePointNames(const KestravaRouteRef* route, int first, int count,
                                   const char** names) {
  for (int index = 0; index < count; ++index) {
    names[index] = KestravaClientRoutePointName(route, first + index);
  }
}

int KestravaClientRouteCalculatedIndex(const KestravaRouteRef* route) {
  return route->route != nullptr ? RouteOf(*route).GetPointsCalculatedIndex() : 0;
}

const char* KestravaClientControllerText(const KestravaControllerRef* controller,
                                         KestravaControllerText text) {
  const EuroScopePlugIn::CController handle = kestrava::client::ControllerOf(*controller);
  if (!handle.IsValid()) return "";
  const char* value =
      text == KESTRAVA_CONTROLLER_CALLSIGN ? handle.GetCallsign() : handle.GetFullName();
  return value != nullptr ? value : "";
}

int KestravaClientControllerFacility(const KestravaControllerRef* controller) {
  const EuroScopePlugIn::CController handle = kestrava::client::ControllerOf(*controller);
  return handle.IsValid() ? handle.GetFacility() : 0;
}

}  // extern "C"
