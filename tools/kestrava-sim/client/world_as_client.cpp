#include "tools/kestrava-sim/client/world_as_client.h"

#include <cstdio>
#include <string>

#include "client/settings_value_text.h"
#include "host/world.h"

namespace kestrava::sim {
namespace {

using EuroScopePlugIn::CAircraft;

standin::World& World() { return *standin::World::Current(); }
standin::Aircraft* AircraftOf(void* handle) { return static_cast<standin::Aircraft*>(handle); }
ClientPlugInAdapter* PlugInOf(void* plugin) { return static_cast<ClientPlugInAdapter*>(plugin); }
ClientScreenAdapter* ScreenOf(void* view) { return static_cast<ClientScreenAdapter*>(view); }
ClientPlugInSlot& SlotOf(void* context) { return *static_cast<ClientPlugInSlot*>(context); }

// The host interface's handle of an aircraft, for its own implementation to answer.
CAircraft HandleOf(void* flight_plan) {
  CAircraft handle;
  handle.m_pData = flight_plan;
  return handle;
}

const char* FlightPlanText(void*, void* flight_plan, KestravaDoubleText text) {
  const CAircraft aircraft = HandleOf(flight_plan);
  switch (text) {
    case KESTRAVA_DOUBLE_CALLSIGN: return aircraft.GetCallsign();
    case KESTRAVA_DOUBLE_PILOT_NAME: return aircraft.GetPilotName();
    case KESTRAVA_DOUBLE_GROUND_STATE: return aircraft.GetGroundState();
    case KESTRAVA_DOUBLE_ORIGIN: return aircraft.GetFlightPlan().GetOrigin();
    case KESTRAVA_DOUBLE_DESTINATION: return aircraft.GetFlightPlan().GetDestination();
    case KESTRAVA_DOUBLE_SID_NAME: return aircraft.GetFlightPlan().GetSidName();
    case KESTRAVA_DOUBLE_STAR_NAME: return aircraft.GetFlightPlan().GetStarName();
    case KESTRAVA_DOUBLE_DEPARTURE_RWY: return aircraft.GetFlightPlan().GetDepartureRwy();
    case KESTRAVA_DOUBLE_ARRIVAL_RWY: return aircraft.GetFlightPlan().GetArrivalRwy();
    case KESTRAVA_DOUBLE_AIRCRAFT_FP_TYPE: return aircraft.GetFlightPlan().GetAircraftFPType();
    case KESTRAVA_DOUBLE_ESTIMATED_DEPARTURE_TIME:
      return aircraft.GetFlightPlan().GetEstimatedDepartureTime();
    case KESTRAVA_DOUBLE_ACTUAL_DEPARTURE_TIME:
      return aircraft.GetFlightPlan().GetActualDepartureTime();
    case KESTRAVA_DOUBLE_SQUAWK: return aircraft.GetControllerAssignedData().GetSquawk();
  }
  return "";
}

// Settings cross in the client's form (client/settings_value_text.h): the World keeps, and its
// events show, the logic's texts.
const char* AsStored(const char* value) {
  static std::string buffer;  // the double's texts need to last only until the next call
  return value != nullptr ? client::StoredSettingText(value, buffer) : nullptr;
}
const char* AsRead(const char* stored) {
  static std::string buffer;
  return client::ReadSettingText(stored, buffer);
}

}  // namespace

KestravaDoubleHost WorldAsClient(ClientPlugInSlot& slot) {
  KestravaDoubleHost host{};
  host.context = &slot;
  host.plugin_created = [](void* context, int, const char* name, const char* version, const char*,
                           const char*) -> void* {
    ClientPlugInSlot& made = SlotOf(context);
    made.adapter = new ClientPlugInAdapter(*made.calls, name, version);
    return made.adapter;
  };
  host.plugin_deleted = [](void* context, void* plugin) {
    if (SlotOf(context).adapter == plugin) SlotOf(context).adapter = nullptr;
    delete PlugInOf(plugin);
  };
  host.register_tag_item = [](void*, void* plugin, const char* name, int code) {
    PlugInOf(plugin)->RegisterTagItemType(name, code);
  };
  host.register_tag_function = [](void*, void* plugin, const char* name, int code) {
    PlugInOf(plugin)->RegisterTagItemFunction(name, code);
  };
  host.get_setting = [](void*, void* plugin, const char* key) {
    return AsStored(PlugInOf(plugin)->GetDataFromSettings(key));
  };
  host.save_setting = [](void*, void* plugin, const char* key, const char* description,
                         const char* value) {
    PlugInOf(plugin)->SaveDataToSettings(key, description, AsRead(value));
  };
  host.open_popup_edit = [](void*, void* plugin, int left, int top, int right, int bottom,
                            int function, const char* initial_text) {
    PlugInOf(plugin)->OpenPopupEdit({left, top, right, bottom}, function, initial_text);
  };
  host.display_user_message = [](void* context, const char* handler, const char* sender,
                                 const char* message, bool show_handler, bool show_unread,
                                 bool show_unread_even_if_busy, bool start_flashing,
                                 bool need_confirmation) {
    if (ClientPlugInAdapter* adapter = SlotOf(context).adapter) {
      adapter->DisplayUserMessage(handler, sender, message, show_handler, show_unread,
                                  show_unread_even_if_busy, start_flashing, need_confirmation);
    }
  };
  host.flight_plan_select = [](void*, const char* callsign) -> void* {
    return World().FindAircraft(callsign);
  };
  host.radar_target_select = host.flight_plan_select;
  host.flight_plan_selected = [](void*) -> void* { return World().Selected(); };
  host.radar_target_selected = host.flight_plan_selected;
  host.controller_myself = [](void*) -> void* { return &World().controller(); };

  host.flight_plan_text = FlightPlanText;
  host.flight_plan_radar_target = [](void*, void* flight_plan) { return flight_plan; };
  host.set_squawk = [](void*, void* flight_plan, const char* squawk) {
    return HandleOf(flight_plan).GetControllerAssignedData().SetSquawk(squawk);
  };
  host.set_cleared_altitude = [](void*, void* flight_plan, int feet) {
    return HandleOf(flight_plan).GetControllerAssignedData().SetClearedAltitude(feet);
  };
  host.route_point_count = [](void*, void* flight_plan) {
    return HandleOf(flight_plan).GetExtractedRoute().GetPointsNumber();
  };
  host.route_point_name = [](void*, void* flight_plan, int index) {
    return HandleOf(flight_plan).GetExtractedRoute().GetPointName(index);
  };
  host.route_calculated_index = [](void*, void* flight_plan) {
    return HandleOf(flight_plan).GetExtractedRoute().GetPointsCalculatedIndex();
  };

  host.radar_target_callsign = [](void*, void* radar_target) {
    return AircraftOf(radar_target)->callsign.c_str();
  };
  host.radar_target_flight_plan = [](void*, void* radar_target) { return radar_target; };
  host.radar_target_position = [](void*, void* radar_target, double* latitude, double* longitude,
                                  int* ground_speed) {
    const standin::Aircraft& aircraft = *AircraftOf(radar_target);
    *latitude = aircraft.position.m_Latitude;
    *longitude = aircraft.position.m_Longitude;
    *ground_speed = aircraft.reported_gs;
  };

  host.controller_callsign = [](void*, void* controller) {
    return static_cast<standin::Controller*>(controller)->callsign.c_str();
  };
  host.controller_full_name = [](void*, void* controller) {
    return static_cast<standin::Controller*>(controller)->full_name.c_str();
  };
  host.controller_facility = [](void*, void* controller) {
    return static_cast<standin::Controller*>(controller)->facility;
  };

  host.get_display_setting = [](void*, void* view, const char* key) {
    return AsStored(ScreenOf(view)->GetDataFromAsr(key));
  };
  host.save_display_setting = [](void*, void* view, const char* key, const char* description,
                                 const char* value) {
    ScreenOf(view)->SaveDataToAsr(key, description, AsRead(value));
  };
  host.add_screen_object = [](void*, void* view, int type, const char* id, int left, int top,
                              int right, int bottom, bool moveable, const char* message) {
    ScreenOf(view)->AddScreenObject(type, id, {left, top, right, bottom}, moveable, message);
  };
  host.position_to_pixel = [](void*, void* view, double latitude, double longitude, int* x,
                              int* y) {
    EuroScopePlugIn::CPosition position;
    position.m_Latitude = latitude;
    position.m_Longitude = longitude;
    const EuroScopePlugIn::ScreenPoint pixel =
        ScreenOf(view)->ConvertCoordFromPositionToPixel(position);
    *x = pixel.x;
    *y = pixel.y;
  };
  host.request_refresh = [](void*, void* view) { ScreenOf(view)->RequestRefresh(); };
  // The call is not served, so the run's events differ from the stand-in module's.
  host.rule_broken = [](void*, const char* operation, const char* name, const char* rule) {
    std::fprintf(stderr, "kestrava-sim: the module broke the client's rules: %s(\"%s\"): %s\n",
                 operation, name, rule);
  };
  return host;
}

}  // namespace kestrava::sim
