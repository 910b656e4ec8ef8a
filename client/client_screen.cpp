// The radar screen object the client sees: derives from the client's CRadarScreen, forwards every
// callback the logic answers across the boundary, and serves the logic's screen operations. It
// ends itself, after the logic's screen object, when the client closes the display.
#include "client/bridge.h"
#include "client/client_handles.h"
#include "client/client_memory.h"

namespace kestrava::client {
namespace {

using namespace EuroScopePlugIn;

class ClientScreen final : public CRadarScreen {
 public:
  explicit ClientScreen(void* logic_screen) : logic_screen_(logic_screen) {}

  void OnAsrContentLoaded(bool loaded) override {
    KestravaLogicScreenContentLoaded(logic_screen_, loaded);
  }
  void OnAsrContentToBeSaved() override { KestravaLogicScreenContentToBeSaved(logic_screen_); }
  void OnRefresh(HDC dc, int phase) override {
    KestravaLogicScreenRefresh(logic_screen_, dc, phase);
  }
  void OnAsrContentToBeClosed() override {
    KestravaLogicScreenClosed(logic_screen_);
    delete this;
  }
  void OnControllerPositionUpdate(CController controller) override {
    const KestravaControllerRef ref = ControllerRefOf(controller);
    KestravaLogicScreenControllerPositionUpdate(logic_screen_, &ref);
  }
  void OnControllerDisconnect(CController controller) override {
    const KestravaControllerRef ref = ControllerRefOf(controller);
    KestravaLogicScreenControllerDisconnect(logic_screen_, &ref);
  }
  void OnRadarTargetPositionUpdate(CRadarTarget radarTarget) override {
    const KestravaAircraftRef aircraft = AircraftOf(radarTarget);
    KestravaLogicScreenAircraftPositionUpdate(logic_screen_, &aircraft);
  }
  void OnFlightPlanDisconnect(CFlightPlan flightPlan) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan);
    KestravaLogicScreenAircraftDisconnect(logic_screen_, &aircraft);
  }
  void OnFlightPlanFlightPlanDataUpdate(CFlightPlan flightPlan) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan);
    KestravaLogicScreenFlightPlanUpdate(logic_screen_, &aircraft);
  }
  void OnFlightPlanControllerAssignedDataUpdate(CFlightPlan flightPlan, int dataType) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan);
    KestravaLogicScreenAssignedDataUpdate(logic_screen_, &aircraft, dataType);
  }
  void OnFlightPlanFlightStripPushed(CFlightPlan flightPlan, const char* sender,
                                     const char* target) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan);
    KestravaLogicScreenStripPushed(logic_screen_, &aircraft, sender, target);
  }
  bool OnCompileCommand(const char* commandLine) override {
    return KestravaLogicScreenCompileCommand(logic_screen_, commandLine);
  }
  void OnOverScreenObject(int objectType, const char* objectId, POINT point, RECT area) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenOverObject(logic_screen_, objectType, objectId, &at, &within);
  }
  // Not answered by the logic; overridden so that the module imports none of the client's
  // inline defaults.
  void OnButtonDownScreenObject(int, const char*, POINT, RECT, int) override {}
  void OnButtonUpScreenObject(int, const char*, POINT, RECT, int) override {}
  void OnClickScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                           int button) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenClickObject(logic_screen_, objectType, objectId, &at, &within, button);
  }
  void OnDoubleClickScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                                 int button) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenDoubleClickObject(logic_screen_, objectType, objectId, &at, &within, button);
  }
  void OnMoveScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                          bool released) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenMoveObject(logic_screen_, objectType, objectId, &at, &within, released);
  }
  void OnFunctionCall(int functionId, const char* itemString, POINT point, RECT area) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenFunctionCall(logic_screen_, functionId, itemString, &at, &within);
  }

 private:
  void* logic_screen_;  // the logic's object of this display
};

// Screen objects cross the boundary as the client's CRadarScreen pointers.
ClientScreen& Screen(void* screen) {
  return *static_cast<ClientScreen*>(static_cast<CRadarScreen*>(screen));
}

}  // namespace
}  // namespace kestrava::client

using kestrava::client::Screen;

extern "C" {

void* KestravaClientCreateScreen(void* logic_screen) {
  return static_cast<EuroScopePlugIn::CRadarScreen*>(
      kestrava::client::Create<kestrava::client::ClientScreen>(logic_screen));
}

const char* KestravaClientGetScreenSetting(void* screen, const char* key) {
  return Screen(screen).GetDataFromAsr(key);
}

void KestravaClientSaveScreenSetting(void* screen, const char* key, const char* description,
                                     const char* value) {
  Screen(screen).SaveDataToAsr(key, description, value);
}

void KestravaClientAddScreenObject(void* screen, int type, const char* id, const KestravaRect* area,
                                   bool moveable, const char* message) {
  Screen(screen).AddScreenObject(type, id, kestrava::client::RectOf(*area), moveable, message);
}

void KestravaClientPositionToPixel(void* screen, double latitude, double longitude,
                                   KestravaPoint* pixel) {
  EuroScopePlugIn::CPosition position;
  position.m_Latitude = latitude;
  position.m_Longitude = longitude;
  *pixel = kestrava::client::PointOf(Screen(screen).ConvertCoordFromPositionToPixel(position));
}

void KestravaClientRequestRefresh(void* screen) { Screen(screen).RequestRefresh(); }

}  // extern "C"
