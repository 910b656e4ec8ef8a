// The client's callbacks as they reach the logic in the module for the real client: each turns
// the client's handles into the host interface's and calls the logic's object, inside the
// callback guard. Also the plug-in object's life, which the entry points ask for.
#include <cstdint>

#include "client/bridge.h"
#include "plugin/EuroScopePlugIn.h"
#include "plugin/callback_guard.h"
#include "plugin/module_lifetime.h"

namespace {

using EuroScopePlugIn::CAircraft;
using EuroScopePlugIn::CController;
using EuroScopePlugIn::CPlugIn;
using EuroScopePlugIn::CRadarScreen;
using EuroScopePlugIn::ScreenPoint;
using EuroScopePlugIn::ScreenRect;
using kestrava::NoThrow;
using kestrava::NoThrowOr;

CPlugIn& PlugIn(void* logic) { return *static_cast<CPlugIn*>(logic); }
CRadarScreen& Screen(void* logic_screen) { return *static_cast<CRadarScreen*>(logic_screen); }

// The handle points at the client's handles for the length of the callback.
CAircraft AircraftOf(const KestravaAircraftRef* aircraft) {
  CAircraft handle;
  if (aircraft->flight_plan != nullptr || aircraft->radar_target != nullptr) {
    handle.m_pData = const_cast<KestravaAircraftRef*>(aircraft);
  }
  return handle;
}

CController ControllerOf(const KestravaControllerRef* controller) {
  CController handle;
  handle.m_pData = const_cast<KestravaControllerRef*>(controller);
  return handle;
}

ScreenPoint PointOf(const KestravaPoint* point) { return {point->x, point->y}; }
ScreenRect RectOf(const KestravaRect* area) {
  return {area->left, area->top, area->right, area->bottom};
}

}  // namespace

extern "C" {

void* KestravaLogicCreatePlugIn(void) {
  return NoThrowOr<void*>(nullptr, []() -> void* {
    CPlugIn* plugin = kestrava::CreateThePlugIn();
    if (plugin == nullptr) return nullptr;
    if (plugin->m_pBinding == nullptr) {  // the client-facing object could not be made
      kestrava::DeleteThePlugIn();
      return nullptr;
    }
    return plugin->m_pBinding;
  });
}

void KestravaLogicDeletePlugIn(void) { kestrava::DeleteThePlugIn(); }

void KestravaLogicControllerPositionUpdate(void* logic, const KestravaControllerRef* controller) {
  NoThrow([&] { PlugIn(logic).OnControllerPositionUpdate(ControllerOf(controller)); });
}

void KestravaLogicControllerDisconnect(void* logic, const KestravaControllerRef* controller) {
  NoThrow([&] { PlugIn(logic).OnControllerDisconnect(ControllerOf(controller)); });
}

void KestravaLogicAircraftPositionUpdate(void* logic, const KestravaAircraftRef* aircraft) {
  NoThrow([&] { PlugIn(logic).OnAircraftPositionUpdate(AircraftOf(aircraft)); });
}

void KestravaLogicAircraftDisconnect(void* logic, const KestravaAircraftRef* aircraft) {
  NoThrow([&] { PlugIn(logic).OnAircraftDisconnect(AircraftOf(aircraft)); });
}

void KestravaLogicFlightPlanUpdate(void* logic, const KestravaAircraftRef* aircraft) {
  NoThrow([&] { PlugIn(logic).OnAircraftFlightPlanUpdate(AircraftOf(aircraft)); });
}

void KestravaLogicAssignedDataUpdate(void* logic, const KestravaAircraftRef* aircraft,
                                     int data_type) {
  NoThrow([&] {
    PlugIn(logic).OnAircraftControllerAssignedDataUpdate(AircraftOf(aircraft), data_type);
  });
}

void KestravaLogicStripPushed(void* logic, const KestravaAircraftRef* aircraft, const char* sender,
                              const char* target) {
  NoThrow([&] { PlugIn(logic).OnAircraftFlightStripPushed(AircraftOf(aircraft), sender, target); });
}

void* KestravaLogicRadarScreenCreated(void* logic, const char* display_name,
                                      bool need_radar_content, bool geo_referenced,
                                      bool can_be_saved, bool can_be_created) {
  return NoThrowOr<void*>(nullptr, [&]() -> void* {
    CRadarScreen* screen = PlugIn(logic).OnRadarScreenCreated(
        display_name, need_radar_content, geo_referenced, can_be_saved, can_be_created);
    if (screen == nullptr) return nullptr;
    if (screen->m_pBinding == nullptr) {  // no client-facing object: the display goes without
      screen->OnAsrContentToBeClosed();
      return nullptr;
    }
    return screen->m_pBinding;
  });
}

bool KestravaLogicCompileCommand(void* logic, const char* command_line) {
  return NoThrowOr(false, [&] { return PlugIn(logic).OnCompileCommand(command_line); });
}

void KestravaLogicFrequencyChat(void* logic, const char* sender, double frequency,
                                const char* message) {
  NoThrow([&] { PlugIn(logic).OnCompileFrequencyChat(sender, frequency, message); });
}

void KestravaLogicPrivateChat(void* logic, const char* sender, const char* receiver,
                              const char* message) {
  NoThrow([&] { PlugIn(logic).OnCompilePrivateChat(sender, receiver, message); });
}

void KestravaLogicGetTagItem(void* logic, const KestravaAircraftRef* aircraft, int item_code,
                             int tag_data, char* item_string, int* colour_code, unsigned long* rgb,
                             double* font_size) {
  NoThrow([&] {
    EuroScopePlugIn::ColorRef colour = static_cast<EuroScopePlugIn::ColorRef>(*rgb);
    PlugIn(logic).OnGetTagItem(AircraftOf(aircraft), item_code, tag_data, item_string, colour_code,
                               &colour, font_size);
    *rgb = colour;
  });
}

void KestravaLogicNewMetar(void* logic, const char* station, const char* metar) {
  NoThrow([&] { PlugIn(logic).OnNewMetarReceived(station, metar); });
}

void KestravaLogicFunctionCall(void* logic, int function, const char* item_string,
                               const KestravaPoint* point, const KestravaRect* area) {
  NoThrow(
      [&] { PlugIn(logic).OnFunctionCall(function, item_string, PointOf(point), RectOf(area)); });
}

void KestravaLogicRunwayActivityChanged(void* logic) {
  NoThrow([&] { PlugIn(logic).OnAirportRunwayActivityChanged(); });
}

void KestravaLogicScreenContentLoaded(void* logic_screen, bool loaded) {
  NoThrow([&] { Screen(logic_screen).OnAsrContentLoaded(loaded); });
}

void KestravaLogicScreenContentToBeSaved(void* logic_screen) {
  NoThrow([&] { Screen(logic_screen).OnAsrContentToBeSaved(); });
}

void KestravaLogicScreenRefresh(void* logic_screen, void* device_context, int phase) {
  NoThrow([&] { Screen(logic_screen).OnRefresh(device_context, phase); });
}

void KestravaLogicScreenClosed(void* logic_screen) {
  NoThrow([&] { Screen(logic_screen).OnAsrContentToBeClosed(); });
}

void KestravaLogicScreenControllerPositionUpdate(void* logic_screen,
                                                 const KestravaControllerRef* controller) {
  NoThrow([&] { Screen(logic_screen).OnControllerPositionUpdate(ControllerOf(controller)); });
}

void KestravaLogicScreenControllerDisconnect(void* logic_screen,
                                             const KestravaControllerRef* controller) {
  NoThrow([&] { Screen(logic_screen).OnControllerDisconnect(ControllerOf(controller)); });
}

void KestravaLogicScreenAircraftPositionUpdate(void* logic_screen,
                                               const KestravaAircraftRef* aircraft) {
  NoThrow([&] { Screen(logic_screen).OnAircraftPositionUpdate(AircraftOf(aircraft)); });
}

void KestravaLogicScreenAircraftDisconnect(void* logic_screen,
                                           const KestravaAircraftRef* aircraft) {
  NoThrow([&] { Screen(logic_screen).OnAircraftDisconnect(AircraftOf(aircraft)); });
}

void KestravaLogicScreenFlightPlanUpdate(void* logic_screen, const KestravaAircraftRef* aircraft) {
  NoThrow([&] { Screen(logic_screen).OnAircraftFlightPlanUpdate(AircraftOf(aircraft)); });
}

void KestravaLogicScreenAssignedDataUpdate(void* logic_screen, const KestravaAircraftRef* aircraft,
                                           int data_type) {
  NoThrow([&] {
    Screen(logic_screen).OnAircraftControllerAssignedDataUpdate(AircraftOf(aircraft), data_type);
  });
}

void KestravaLogicScreenStripPushed(void* logic_screen, const KestravaAircraftRef* aircraft,
                                    const char* sender, const char* target) {
  NoThrow([&] {
    Screen(logic_screen).OnAircraftFlightStripPushed(AircraftOf(aircraft), sender, target);
  });
}

bool KestravaLogicScreenCompileCommand(void* logic_screen, const char* command_line) {
  return NoThrowOr(false, [&] { return Screen(logic_screen).OnCompileCommand(command_line); });
}

void KestravaLogicScreenOverObject(void* logic_screen, int type, const char* id,
                                   const KestravaPoint* point, const KestravaRect* area) {
  NoThrow([&] { Screen(logic_screen).OnOverScreenObject(type, id, PointOf(point), RectOf(area)); });
}

void KestravaLogicScreenClickObject(void* logic_screen, int type, const char* id,
                                    const KestravaPoint* point, const KestravaRect* area,
                                    int button) {
  NoThrow([&] {
    Screen(logic_screen).OnClickScreenObject(type, id, PointOf(point), RectOf(area), button);
  });
}

void KestravaLogicScreenDoubleClickObject(void* logic_screen, int type, const char* id,
                                          const KestravaPoint* point, const KestravaRect* area,
                                          int button) {
  NoThrow([&] {
    Screen(logic_screen).OnDoubleClickScreenObject(type, id, PointOf(point), RectOf(area), button);
  });
}

void KestravaLogicScreenMoveObject(void* logic_screen, int type, const char* id,
                                   const KestravaPoint* point, const KestravaRect* area,
                                   bool released) {
  NoThrow([&] {
    Screen(logic_screen).OnMoveScreenObject(type, id, PointOf(point), RectOf(area), released);
  });
}

void KestravaLogicScreenFunctionCall(void* logic_screen, int function, const char* item_string,
                                     const KestravaPoint* point, const KestravaRect* area) {
  NoThrow([&] {
    Screen(logic_screen).OnFunctionCall(function, item_string, PointOf(point), RectOf(area));
  });
}

}  // extern "C"
