// The test double of the client's interface library: the client's classes, exported, serving
// every operation from the installed table, and the calls that deliver the client's callbacks
// through the module's virtual tables. Built in the client's ABI.
#include "host/client_double/client_double.h"

#include "client/EuroScopePlugIn.h"
#include "client/client_handles.h"

using namespace EuroScopePlugIn;
using kestrava::client::HandleFrom;

namespace {

KestravaDoubleHost host{};  // all null until installed

// Set while the module makes a screen object: the display it is for.
void* pending_view = nullptr;
CPlugIn* pending_plugin = nullptr;

const char* Text(const char* text) { return text != nullptr ? text : ""; }

const char* FlightPlanText(void* flight_plan, KestravaDoubleText text) {
  if (flight_plan == nullptr || host.flight_plan_text == nullptr) return "";
  return Text(host.flight_plan_text(host.context, flight_plan, text));
}

CPlugIn* PlugIn(void* plugin) { return static_cast<CPlugIn*>(plugin); }
CRadarScreen* Screen(void* screen) { return static_cast<CRadarScreen*>(screen); }
POINT Point(int x, int y) { return {x, y}; }
RECT Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }

}  // namespace

namespace EuroScopePlugIn {

// --- Handles ------------------------------------------------------------------------------------

const char* CFlightPlan::GetCallsign() const {
  return FlightPlanText(m_pFlightPlan, KESTRAVA_DOUBLE_CALLSIGN);
}
const char* CFlightPlan::GetPilotName() const {
  return FlightPlanText(m_pFlightPlan, KESTRAVA_DOUBLE_PILOT_NAME);
}
const char* CFlightPlan::GetGroundState() const {
  return FlightPlanText(m_pFlightPlan, KESTRAVA_DOUBLE_GROUND_STATE);
}
CRadarTarget CFlightPlan::GetCorrelatedRadarTarget() const {
  if (m_pFlightPlan == nullptr || host.flight_plan_radar_target == nullptr) return {};
  return HandleFrom<CRadarTarget>(host.flight_plan_radar_target(host.context, m_pFlightPlan));
}
CFlightPlanData CFlightPlan::GetFlightPlanData() const {
  return HandleFrom<CFlightPlanData>(m_pFlightPlan);
}
CFlightPlanControllerAssignedData CFlightPlan::GetControllerAssignedData() const {
  return HandleFrom<CFlightPlanControllerAssignedData>(m_pFlightPlan);
}
CFlightPlanExtractedRoute CFlightPlan::GetExtractedRoute() const {
  return HandleFrom<CFlightPlanExtractedRoute>(m_pFlightPlan);
}

#define KESTRAVA_DOUBLE_DATA_TEXT(method, text) \
  const char* CFlightPlanData::method() const { return FlightPlanText(m_pFlightPlan, text); }
KESTRAVA_DOUBLE_DATA_TEXT(GetOrigin, KESTRAVA_DOUBLE_ORIGIN)
KESTRAVA_DOUBLE_DATA_TEXT(GetDestination, KESTRAVA_DOUBLE_DESTINATION)
KESTRAVA_DOUBLE_DATA_TEXT(GetSidName, KESTRAVA_DOUBLE_SID_NAME)
KESTRAVA_DOUBLE_DATA_TEXT(GetStarName, KESTRAVA_DOUBLE_STAR_NAME)
KESTRAVA_DOUBLE_DATA_TEXT(GetDepartureRwy, KESTRAVA_DOUBLE_DEPARTURE_RWY)
KESTRAVA_DOUBLE_DATA_TEXT(GetArrivalRwy, KESTRAVA_DOUBLE_ARRIVAL_RWY)
KESTRAVA_DOUBLE_DATA_TEXT(GetAircraftFPType, KESTRAVA_DOUBLE_AIRCRAFT_FP_TYPE)
KESTRAVA_DOUBLE_DATA_TEXT(GetEstimatedDepartureTime, KESTRAVA_DOUBLE_ESTIMATED_DEPARTURE_TIME)
KESTRAVA_DOUBLE_DATA_TEXT(GetActualDepartureTime, KESTRAVA_DOUBLE_ACTUAL_DEPARTURE_TIME)
#undef KESTRAVA_DOUBLE_DATA_TEXT

const char* CFlightPlanControllerAssignedData::GetSquawk() const {
  return FlightPlanText(m_pFlightPlan, KESTRAVA_DOUBLE_SQUAWK);
}
bool CFlightPlanControllerAssignedData::SetSquawk(const char* squawk) {
  return m_pFlightPlan != nullptr && host.set_squawk != nullptr &&
         host.set_squawk(host.context, m_pFlightPlan, squawk);
}
bool CFlightPlanControllerAssignedData::SetClearedAltitude(int altitude) {
  return m_pFlightPlan != nullptr && host.set_cleared_altitude != nullptr &&
         host.set_cleared_altitude(host.context, m_pFlightPlan, altitude);
}

int CFlightPlanExtractedRoute::GetPointsNumber() const {
  if (m_pFlightPlan == nullptr || host.route_point_count == nullptr) return 0;
  return host.route_point_count(host.context, m_pFlightPlan);
}
const char* CFlightPlanExtractedRoute::GetPointName(int index) const {
  if (m_pFlightPlan == nullptr || host.route_point_name == nullptr) return "";
  return Text(host.route_point_name(host.context, m_pFlightPlan, index));
}
int CFlightPlanExtractedRoute::GetPointsCalculatedIndex() const {
  if (m_pFlightPlan == nullptr || host.route_calculated_index == nullptr) return 0;
  return host.route_calculated_index(host.context, m_pFlightPlan);
}

const char* CRadarTarget::GetCallsign() const {
  if (m_pRadarTarget == nullptr || host.radar_target_callsign == nullptr) return "";
  return Text(host.radar_target_callsign(host.context, m_pRadarTarget));
}
CFlightPlan CRadarTarget::GetCorrelatedFlightPlan() const {
  if (m_pRadarTarget == nullptr || host.radar_target_flight_plan == nullptr) return {};
  return HandleFrom<CFlightPlan>(host.radar_target_flight_plan(host.context, m_pRadarTarget));
}
CRadarTargetPositionData CRadarTarget::GetPosition() const {
  struct Members {
    void* target;
    void* position;
  };
  return __builtin_bit_cast(CRadarTargetPositionData, Members{m_pRadarTarget, m_pRadarTarget});
}

CPosition CRadarTargetPositionData::GetPosition() const {
  CPosition position;
  int ground_speed = 0;
  if (m_pRadarTarget != nullptr && host.radar_target_position != nullptr) {
    host.radar_target_position(host.context, m_pRadarTarget, &position.m_Latitude,
                               &position.m_Longitude, &ground_speed);
  }
  return position;
}
int CRadarTargetPositionData::GetReportedGS() const {
  CPosition position;
  int ground_speed = 0;
  if (m_pRadarTarget != nullptr && host.radar_target_position != nullptr) {
    host.radar_target_position(host.context, m_pRadarTarget, &position.m_Latitude,
                               &position.m_Longitude, &ground_speed);
  }
  return ground_speed;
}

const char* CController::GetCallsign() const {
  if (m_pController == nullptr || host.controller_callsign == nullptr) return "";
  return Text(host.controller_callsign(host.context, m_pController));
}
const char* CController::GetFullName() const {
  if (m_pController == nullptr || host.controller_full_name == nullptr) return "";
  return Text(host.controller_full_name(host.context, m_pController));
}
int CController::GetFacility() const {
  if (m_pController == nullptr || host.controller_facility == nullptr) return 0;
  return host.controller_facility(host.context, m_pController);
}

// --- CPlugIn ------------------------------------------------------------------------------------

CPlugIn::CPlugIn(int compatibilityCode, const char* plugInName, const char* plugInVersion,
                 const char* plugInAuthor, const char* plugInCopyright) {
  m_pPlugInData = host.plugin_created == nullptr
                      ? nullptr
                      : static_cast<CPlugInData*>(
                            host.plugin_created(host.context, compatibilityCode, plugInName,
                                                plugInVersion, plugInAuthor, plugInCopyright));
}

CPlugIn::~CPlugIn() {
  if (host.plugin_deleted != nullptr) host.plugin_deleted(host.context, m_pPlugInData);
}

void CPlugIn::RegisterTagItemType(const char* typeName, int code) {
  if (host.register_tag_item != nullptr) {
    host.register_tag_item(host.context, m_pPlugInData, typeName, code);
  }
}
void CPlugIn::RegisterTagItemFunction(const char* functionName, int code) {
  if (host.register_tag_function != nullptr) {
    host.register_tag_function(host.context, m_pPlugInData, functionName, code);
  }
}
void CPlugIn::SaveDataToSettings(const char* variableName, const char* variableDescription,
                                 const char* value) {
  if (host.save_setting != nullptr) {
    host.save_setting(host.context, m_pPlugInData, variableName, variableDescription, value);
  }
}
const char* CPlugIn::GetDataFromSettings(const char* variableName) {
  if (host.get_setting == nullptr) return nullptr;
  return host.get_setting(host.context, m_pPlugInData, variableName);
}
void CPlugIn::OpenPopupEdit(RECT area, int functionId, const char* initialValue) {
  if (host.open_popup_edit != nullptr) {
    host.open_popup_edit(host.context, m_pPlugInData, area.left, area.top, area.right, area.bottom,
                         functionId, initialValue);
  }
}
CFlightPlan CPlugIn::FlightPlanSelect(const char* callsign) const {
  if (host.flight_plan_select == nullptr) return {};
  return HandleFrom<CFlightPlan>(host.flight_plan_select(host.context, callsign));
}
CRadarTarget CPlugIn::RadarTargetSelect(const char* callsign) const {
  if (host.radar_target_select == nullptr) return {};
  return HandleFrom<CRadarTarget>(host.radar_target_select(host.context, callsign));
}
CFlightPlan CPlugIn::FlightPlanSelectASEL() const {
  if (host.flight_plan_selected == nullptr) return {};
  return HandleFrom<CFlightPlan>(host.flight_plan_selected(host.context));
}
CRadarTarget CPlugIn::RadarTargetSelectASEL() const {
  if (host.radar_target_selected == nullptr) return {};
  return HandleFrom<CRadarTarget>(host.radar_target_selected(host.context));
}
CController CPlugIn::ControllerMyself() const {
  const KestravaControllerRef myself{
      host.controller_myself != nullptr ? host.controller_myself(host.context) : nullptr, true};
  return kestrava::client::ControllerOf(myself);
}
void CPlugIn::DisplayUserMessage(const char* handler, const char* sender, const char* message,
                                 bool showHandler, bool showUnread, bool showUnreadEvenIfBusy,
                                 bool startFlashing, bool needConfirmation) {
  if (host.display_user_message != nullptr) {
    host.display_user_message(host.context, handler, sender, message, showHandler, showUnread,
                              showUnreadEvenIfBusy, startFlashing, needConfirmation);
  }
}

// --- CRadarScreen -------------------------------------------------------------------------------

CRadarScreen::CRadarScreen() {
  m_pRadarView = static_cast<CRadarView*>(pending_view);
  m_pPlugIn = pending_plugin;
}

POINT CRadarScreen::ConvertCoordFromPositionToPixel(CPosition position) {
  int x = 0;
  int y = 0;
  if (host.position_to_pixel != nullptr) {
    host.position_to_pixel(host.context, m_pRadarView, position.m_Latitude, position.m_Longitude,
                           &x, &y);
  }
  return {x, y};
}
void CRadarScreen::SaveDataToAsr(const char* variableName, const char* variableDescription,
                                 const char* value) {
  if (host.save_display_setting != nullptr) {
    host.save_display_setting(host.context, m_pRadarView, variableName, variableDescription, value);
  }
}
const char* CRadarScreen::GetDataFromAsr(const char* variableName) {
  if (host.get_display_setting == nullptr) return nullptr;
  return host.get_display_setting(host.context, m_pRadarView, variableName);
}
void CRadarScreen::AddScreenObject(int objectType, const char* objectId, RECT area, bool moveable,
                                   const char* message) {
  if (host.add_screen_object != nullptr) {
    host.add_screen_object(host.context, m_pRadarView, objectType, objectId, area.left, area.top,
                           area.right, area.bottom, moveable, message);
  }
}
void CRadarScreen::RequestRefresh() {
  if (host.request_refresh != nullptr) host.request_refresh(host.context, m_pRadarView);
}

}  // namespace EuroScopePlugIn

// --- Driving the module -------------------------------------------------------------------------

extern "C" {

void KestravaDoubleInstall(const KestravaDoubleHost* installed) {
  host = installed != nullptr ? *installed : KestravaDoubleHost{};
}

void KestravaDoubleDeletePlugIn(void* plugin) { delete PlugIn(plugin); }

void KestravaDoubleRadarTargetPositionUpdate(void* plugin, void* radar_target) {
  PlugIn(plugin)->OnRadarTargetPositionUpdate(HandleFrom<CRadarTarget>(radar_target));
}
void KestravaDoubleFlightPlanDisconnect(void* plugin, void* flight_plan) {
  PlugIn(plugin)->OnFlightPlanDisconnect(HandleFrom<CFlightPlan>(flight_plan));
}
void KestravaDoubleFlightPlanDataUpdate(void* plugin, void* flight_plan) {
  PlugIn(plugin)->OnFlightPlanFlightPlanDataUpdate(HandleFrom<CFlightPlan>(flight_plan));
}
void KestravaDoubleAssignedDataUpdate(void* plugin, void* flight_plan, int data_type) {
  PlugIn(plugin)->OnFlightPlanControllerAssignedDataUpdate(HandleFrom<CFlightPlan>(flight_plan),
                                                           data_type);
}
bool KestravaDoubleCompileCommand(void* plugin, const char* command_line) {
  return PlugIn(plugin)->OnCompileCommand(command_line);
}
void KestravaDoubleGetTagItem(void* plugin, void* flight_plan, void* radar_target, int item_code,
                              int tag_data, char* item_string, int* colour_code, unsigned long* rgb,
                              double* font_size) {
  PlugIn(plugin)->OnGetTagItem(HandleFrom<CFlightPlan>(flight_plan),
                               HandleFrom<CRadarTarget>(radar_target), item_code, tag_data,
                               item_string, colour_code, rgb, font_size);
}
void KestravaDoubleFunctionCall(void* plugin, int function, const char* item_string, int x, int y,
                                int left, int top, int right, int bottom) {
  PlugIn(plugin)->OnFunctionCall(function, item_string, Point(x, y),
                                 Rect(left, top, right, bottom));
}
void KestravaDoubleTimer(void* plugin, int counter) { PlugIn(plugin)->OnTimer(counter); }

void* KestravaDoubleCreateScreen(void* plugin, void* view, const char* display_name) {
  pending_view = view;
  pending_plugin = PlugIn(plugin);
  CRadarScreen* screen = PlugIn(plugin)->OnRadarScreenCreated(display_name, true, true, true, true);
  pending_view = nullptr;
  pending_plugin = nullptr;
  return screen;
}
void KestravaDoubleScreenContentLoaded(void* screen, bool loaded) {
  Screen(screen)->OnAsrContentLoaded(loaded);
}
void KestravaDoubleScreenContentToBeSaved(void* screen) { Screen(screen)->OnAsrContentToBeSaved(); }
void KestravaDoubleScreenRefresh(void* screen, void* device_context, int phase) {
  Screen(screen)->OnRefresh(static_cast<HDC>(device_context), phase);
}
bool KestravaDoubleScreenCompileCommand(void* screen, const char* command_line) {
  return Screen(screen)->OnCompileCommand(command_line);
}
void KestravaDoubleScreenClickObject(void* screen, int type, const char* id, int x, int y, int left,
                                     int top, int right, int bottom, int button) {
  Screen(screen)->OnClickScreenObject(type, id, Point(x, y), Rect(left, top, right, bottom),
                                      button);
}
void KestravaDoubleScreenMoveObject(void* screen, int type, const char* id, int x, int y, int left,
                                    int top, int right, int bottom, bool released) {
  Screen(screen)->OnMoveScreenObject(type, id, Point(x, y), Rect(left, top, right, bottom),
                                     released);
}
void KestravaDoubleScreenClosed(void* screen) { Screen(screen)->OnAsrContentToBeClosed(); }
void* KestravaDoubleScreenPlugIn(void* screen) { return Screen(screen)->GetPlugIn(); }

}  // extern "C"
