// The client's callbacks as they reach the logic in the module for the real client: each turns
// the client's handles into the host interface's and calls the logic's object, inside the
// callback guard. Also the plug-in object's life, which the entry points ask for.
#include "client/bridge.h"
#include "client/callback_faults.h"
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
using kestrava::client::CallbackFaultPoint;

CPlugIn& PlugIn(void* logic) { return *static_cast<CPlugIn*>(logic); }
CRadarScreen& Screen(void* logic_screen) { return *static_cast<CRadarScreen*>(logic_screen); }

// Runs a callback's body inside the guard: whatever it throws ends the callback quietly.
template <class Body>
void Guard(Body&& body) noexcept {
  kestrava::NoThrow([&] {
    CallbackFaultPoint();
    body();
  });
}

template <class Result, class Body>
Result GuardOr(Result fallback, Body&& body) noexcept {
  return kestrava::NoThrowOr(fallback, [&] {
    CallbackFaultPoint();
    return body();
  });
}

// Calls `call` with the receiver's logic object, the plug-in or a screen: both answer the shared
// callbacks under the same names.
template <class Result, class Call>
Result Deliver(void* receiver, KestravaReceiver kind, Result fallback, Call&& call) noexcept {
  return GuardOr(fallback, [&] {
    return kind == KESTRAVA_PLUG_IN ? call(PlugIn(receiver)) : call(Screen(receiver));
  });
}

template <class Call>
void Deliver(void* receiver, KestravaReceiver kind, Call&& call) noexcept {
  Guard([&] {
    if (kind == KESTRAVA_PLUG_IN) {
      call(PlugIn(receiver));
    } else {
      call(Screen(receiver));
    }
  });
}

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
  return kestrava::NoThrowOr<void*>(nullptr, []() -> void* {
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

// --- The plug-in's and the screens' callbacks -------------------------------------------------

void KestravaLogicControllerPositionUpdate(void* receiver, KestravaReceiver kind,
                                           const KestravaControllerRef* controller) {
  Deliver(receiver, kind,
          [&](auto& target) { target.OnControllerPositionUpdate(ControllerOf(controller)); });
}

void KestravaLogicControllerDisconnect(void* receiver, KestravaReceiver kind,
                                       const KestravaControllerRef* controller) {
  Deliver(receiver, kind,
          [&](auto& target) { target.OnControllerDisconnect(ControllerOf(controller)); });
}

void KestravaLogicAircraftPositionUpdate(void* receiver, KestravaReceiver kind,
                                         const KestravaAircraftRef* aircraft) {
  Deliver(receiver, kind,
          [&](auto& target) { target.OnAircraftPositionUpdate(AircraftOf(aircraft)); });
}

void KestravaLogicAircraftDisconnect(void* receiver, KestravaReceiver kind,
                                     const KestravaAircraftRef* aircraft) {
  Deliver(receiver, kind, [&](auto& target) { target.OnAircraftDisconnect(AircraftOf(aircraft)); });
}

void KestravaLogicFlightPlanUpdate(void* receiver, KestravaReceiver kind,
                                   const KestravaAircraftRef* aircraft) {
  Deliver(receiver, kind,
          [&](auto& target) { target.OnAircraftFlightPlanUpdate(AircraftOf(aircraft)); });
}

void KestravaLogicAssignedDataUpdate(void* receiver, KestravaReceiver kind,
                                     const KestravaAircraftRef* aircraft, int data_type) {
  Deliver(receiver, kind, [&](auto& target) {
    target.OnAircraftControllerAssignedDataUpdate(AircraftOf(aircraft), data_type);
  });
}

void KestravaLogicStripPushed(void* receiver, KestravaReceiver kind,
                              const KestravaAircraftRef* aircraft, const char* sender,
                              const char* target_name) {
  Deliver(receiver, kind, [&](auto& target) {
    target.OnAircraftFlightStripPushed(AircraftOf(aircraft), sender, target_name);
  });
}

bool KestravaLogicCompileCommand(void* receiver, KestravaReceiver kind, const char* command_line) {
  return Deliver(receiver, kind, false,
                 [&](auto& target) { return target.OnCompileCommand(command_line); });
}

void KestravaLogicFunctionCall(void* receiver, KestravaReceiver kind, int function,
                               const char* item_string, const KestravaPoint* point,
                               const KestravaRect* area) {
  Deliver(receiver, kind, [&](auto& target) {
    target.OnFunctionCall(function, item_string, PointOf(point), RectOf(area));
  });
}

// --- The plug-in's own ------------------------------------------------------------------------

void* KestravaLogicRadarScreenCreated(void* logic, const char* display_name,
                                      bool need_radar_content, bool geo_referenced,
                                      bool can_be_saved, bool can_be_created) {
  return GuardOr<void*>(nullptr, [&]() -> void* {
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

void KestravaLogicFrequencyChat(void* logic, const char* sender, double frequency,
                                const char* message) {
  Guard([&] { PlugIn(logic).OnCompileFrequencyChat(sender, frequency, message); });
}

void KestravaLogicPrivateChat(void* logic, const char* sender, const char* receiver,
                              const char* message) {
  Guard([&] { PlugIn(logic).OnCompilePrivateChat(sender, receiver, message); });
}

void KestravaLogicGetTagItem(void* logic, const KestravaAircraftRef* aircraft, int item_code,
                             int tag_data, char* item_string, int* colour_code, unsigned long* rgb,
                             double* font_size) {
  Guard([&] {
    EuroScopePlugIn::ColorRef colour = static_cast<EuroScopePlugIn::ColorRef>(*rgb);
    PlugIn(logic).OnGetTagItem(AircraftOf(aircraft), item_code, tag_data, item_string, colour_code,
                               &colour, font_size);
    *rgb = colour;
  });
}

void KestravaLogicNewMetar(void* logic, const char* station, const char* metar) {
  Guard([&] { PlugIn(logic).OnNewMetarReceived(station, metar); });
}

void KestravaLogicRunwayActivityChanged(void* logic) {
  Guard([&] { PlugIn(logic).OnAirportRunwayActivityChanged(); });
}

// --- The screens' own -------------------------------------------------------------------------

void KestravaLogicScreenContentLoaded(void* logic_screen, bool loaded) {
  Guard([&] { Screen(logic_screen).OnAsrContentLoaded(loaded); });
}

void KestravaLogicScreenContentToBeSaved(void* logic_screen) {
  Guard([&] { Screen(logic_screen).OnAsrContentToBeSaved(); });
}

void KestravaLogicScreenRefresh(void* logic_screen, void* device_context, int phase) {
  Guard([&] { Screen(logic_screen).OnRefresh(device_context, phase); });
}

void KestravaLogicScreenClosed(void* logic_screen) {
  // Not a place for an injected fault: the logic's object must end with the display's.
  kestrava::NoThrow([&] { Screen(logic_screen).OnAsrContentToBeClosed(); });
}

void KestravaLogicScreenOverObject(void* logic_screen, int type, const char* id,
                                   const KestravaPoint* point, const KestravaRect* area) {
  Guard([&] { Screen(logic_screen).OnOverScreenObject(type, id, PointOf(point), RectOf(area)); });
}

void KestravaLogicScreenClickObject(void* logic_screen, int type, const char* id,
                                    const KestravaPoint* point, const KestravaRect* area,
                                    int button) {
  Guard([&] {
    Screen(logic_screen).OnClickScreenObject(type, id, PointOf(point), RectOf(area), button);
  });
}

void KestravaLogicScreenDoubleClickObject(void* logic_screen, int type, const char* id,
                                          const KestravaPoint* point, const KestravaRect* area,
                                          int button) {
  Guard([&] {
    Screen(logic_screen).OnDoubleClickScreenObject(type, id, PointOf(point), RectOf(area), button);
  });
}

void KestravaLogicScreenMoveObject(void* logic_screen, int type, const char* id,
                                   const KestravaPoint* point, const KestravaRect* area,
                                   bool released) {
  Guard([&] {
    Screen(logic_screen).OnMoveScreenObject(type, id, PointOf(point), RectOf(area), released);
  });
}

}  // extern "C"
