// The callbacks the client's CPlugIn and CRadarScreen both have, forwarded alike to the logic's
// object of the same kind. Client-facing half only.
#pragma once

#include "client/bridge.h"
#include "client/client_handles.h"

namespace kestrava::client {

// `ClientBase` is the client's CPlugIn or CRadarScreen, `kReceiver` the logic's object kind.
template <class ClientBase, KestravaReceiver kReceiver>
class SharedCallbacks : public ClientBase {
 public:
  // `logic` is the logic's object this one forwards to; `arguments` go to the client's base.
  template <class... Arguments>
  explicit SharedCallbacks(void* logic, Arguments... arguments)
      : ClientBase(arguments...), logic_(logic) {}

  void OnControllerPositionUpdate(EuroScopePlugIn::CController controller) override {
    const KestravaControllerRef ref = ControllerRefOf(controller);
    KestravaLogicControllerPositionUpdate(logic_, kReceiver, &ref);
  }
  void OnControllerDisconnect(EuroScopePlugIn::CController controller) override {
    const KestravaControllerRef ref = ControllerRefOf(controller);
    KestravaLogicControllerDisconnect(logic_, kReceiver, &ref);
  }
  void OnRadarTargetPositionUpdate(EuroScopePlugIn::CRadarTarget radarTarget) override {
    const KestravaAircraftRef aircraft = AircraftOf(radarTarget);
    KestravaLogicAircraftPositionUpdate(logic_, kReceiver, &aircraft);
  }
  void OnFlightPlanDisconnect(EuroScopePlugIn::CFlightPlan flightPlan) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan);
    KestravaLogicAircraftDisconnect(logic_, kReceiver, &aircraft);
  }
  void OnFlightPlanFlightPlanDataUpdate(EuroScopePlugIn::CFlightPlan flightPlan) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan);
    KestravaLogicFlightPlanUpdate(logic_, kReceiver, &aircraft);
  }
  void OnFlightPlanControllerAssignedDataUpdate(EuroScopePlugIn::CFlightPlan flightPlan,
                                                int dataType) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan);
    KestravaLogicAssignedDataUpdate(logic_, kReceiver, &aircraft, dataType);
  }
  void OnFlightPlanFlightStripPushed(EuroScopePlugIn::CFlightPlan flightPlan, const char* sender,
                                     const char* target) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan);
    KestravaLogicStripPushed(logic_, kReceiver, &aircraft, sender, target);
  }
  bool OnCompileCommand(const char* commandLine) override {
    return KestravaLogicCompileCommand(logic_, kReceiver, commandLine);
  }
  void OnFunctionCall(int functionId, const char* itemString, POINT point, RECT area) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicFunctionCall(logic_, kReceiver, functionId, itemString, &at, &within);
  }

 protected:
  void* logic() const { return logic_; }

 private:
  void* logic_;  // the logic's object, which owns this one
};

}  // namespace kestrava::client
