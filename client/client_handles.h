// The client's handles as the pointers they hold, and back: how handles cross the boundary to the
// logic. A handle is nothing but its data members (see EuroScopePlugIn.h), so a bit copy of them
// is the handle. Client-facing half only.
#pragma once

#include "client/EuroScopePlugIn.h"
#include "client/bridge.h"

namespace kestrava::client {

template <class Handle>
Handle HandleFrom(void* pointer) {
  static_assert(sizeof(Handle) == sizeof(void*));
  return __builtin_bit_cast(Handle, pointer);
}

template <class Handle>
void* PointerOf(const Handle& handle) {
  static_assert(sizeof(Handle) == sizeof(void*));
  return __builtin_bit_cast(void*, handle);
}

inline EuroScopePlugIn::CFlightPlan FlightPlanOf(const KestravaAircraftRef& aircraft) {
  return HandleFrom<EuroScopePlugIn::CFlightPlan>(aircraft.flight_plan);
}

inline EuroScopePlugIn::CRadarTarget RadarTargetOf(const KestravaAircraftRef& aircraft) {
  return HandleFrom<EuroScopePlugIn::CRadarTarget>(aircraft.radar_target);
}

// An aircraft from the flight plan and radar target a callback gives.
inline KestravaAircraftRef AircraftOf(const EuroScopePlugIn::CFlightPlan& flight_plan,
                                      const EuroScopePlugIn::CRadarTarget& radar_target) {
  return {PointerOf(flight_plan), PointerOf(radar_target)};
}

// An aircraft from a flight plan alone, with its correlated radar target.
inline KestravaAircraftRef AircraftOf(const EuroScopePlugIn::CFlightPlan& flight_plan) {
  return AircraftOf(flight_plan, flight_plan.GetCorrelatedRadarTarget());
}

// An aircraft from a radar target alone, with its correlated flight plan.
inline KestravaAircraftRef AircraftOf(const EuroScopePlugIn::CRadarTarget& radar_target) {
  return AircraftOf(radar_target.GetCorrelatedFlightPlan(), radar_target);
}

// The controller handle is a pointer and a flag; it crosses as both.
inline KestravaControllerRef ControllerRefOf(const EuroScopePlugIn::CController& controller) {
  struct Members {
    void* controller;
    bool myself;
  };
  static_assert(sizeof(Members) == sizeof(EuroScopePlugIn::CController));
  const Members members = __builtin_bit_cast(Members, controller);
  return {members.controller, members.myself};
}

inline EuroScopePlugIn::CController ControllerOf(const KestravaControllerRef& ref) {
  static_assert(sizeof(KestravaControllerRef) == sizeof(EuroScopePlugIn::CController));
  return __builtin_bit_cast(EuroScopePlugIn::CController, ref);
}

inline POINT PointOf(const KestravaPoint& point) { return {point.x, point.y}; }
inline KestravaPoint PointOf(const POINT& point) {
  return {static_cast<int>(point.x), static_cast<int>(point.y)};
}
inline RECT RectOf(const KestravaRect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}
inline KestravaRect RectOf(const RECT& rect) {
  return {static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
          static_cast<int>(rect.bottom)};
}

}  // namespace kestrava::client
