// The test double of the client's interface library: the client's classes, exported, serving
// every operation from the installed table, and the calls that deliver the client's callbacks
// through the module's virtual tables. Built in the client's ABI.
#include "host/client_double/client_double.h"

#include "client/EuroScopePlugIn.h"
#include "client/client_handles.h"

using namespace EuroScopePlugIn;
using kestrava::client::HandleFrom;

namespace {

KestravaDoubleHost installed_host{};  // all null until installed

// After the program said the module has exited, every operation the module calls and every
// callback the program asks for is a late call: counted, answered empty, never delivered.
bool module_exited = false;
int late_calls = 0;

const KestravaDoubleHost& Host() {
  static const KestravaDoubleHost kNone{};
  if (!module_exited) return installed_host;
  ++late_calls;
  return kNone;
}

// True (and counted) when a callback would reach a module that has exited.
bool Late() {
  if (module_exited) ++late_calls;
  return module_exited;
}

// Set while the module makes a screen object: the display it is for.
void* pending_view = nullptr;
CPlugIn* pending_plugin = nullptr;

const char* Text(const char* text) { return text != nullptr ? text : ""; }

// A route handle's route when the program gives routes whole (extracted_route).
const KestravaDoubleRoute& WholeRoute(void* route) {
  return *static_cast<const KestravaDoubleRoute*>(route);
}

const char* FlightPlanText(void* flight_plan, KestravaDoubleText text) {
  if (flight_plan == nullptr || Host().flight_plan_text == nullptr) return "";
  return Text(Host().flight_plan_text(Host().context, flight_plan, text));
}

// The client's rules on a value to be saved: the one broken, or null.
const char* BrokenSettingRule(const char* description, const char* value) {
  if (description == nullptr) return "the description is a null pointer";
  if (value == nullptr) return "the value is a null pointer";
  for (const char* p = value; *p != '\0'; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == ':') return "the value holds ':'";
    if (c == '\r' || c == '\n') return "the value holds CR or LF";
    if (c < 0x20 || c > 0x7e) return "the value holds a character that is not printable";
  }
  return nullptr;
}

// False, and the breach told, when a save breaks the client's rules.
bool KeepsSettingRules(const char* operation, const char* name, const char* description,
                       const char* value) {
  const char* broken = BrokenSettingRule(description, value);
  if (broken == nullptr) return true;
  if (Host().rule_broken != nullptr) {
    Host().rule_broken(Host().context, operation, Text(name), broken);
  }
  return false;
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
  if (m_pFlightPlan == nullptr || Host().flight_plan_radar_target == nullptr) return {};
  return HandleFrom<CRadarTarget>(Host().flight_plan_radar_target(Host().context, m_pFlightPlan));
}
CFlightPlanData CFlightPlan::GetFlightPlanData() const {
  return HandleFrom<CFlightPlanData>(m_pFlightPlan);
}
CFlightPlanControllerAssignedData CFlightPlan::GetControllerAssignedData() const {
  return HandleFrom<CFlightPlanControllerAssignedData>(m_pFlightPlan);
}
// Without extracted_route, a route handle is its flight plan's pointer.
CFlightPlanExtractedRoute CFlightPlan::GetExtractedRoute() const {
  if (m_pFlightPlan == nullptr || Host().extracted_route == nullptr) {
    return HandleFrom<CFlightPlanExtractedRoute>(m_pFlightPlan);
  }
  return HandleFrom<CFlightPlanExtractedRoute>(
      const_cast<KestravaDoubleRoute*>(Host().extracted_route(Host().context, m_pFlightPlan)));
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
  return m_pFlightPlan != nullptr && Host().set_squawk != nullptr &&
         Host().set_squawk(Host().context, m_pFlightPlan, squawk);
}
bool CFlightPlanControllerAssignedData::SetClearedAltitude(int altitude) {
  return m_pFlightPlan != nullptr && Host().set_cleared_altitude != nullptr &&
         Host().set_cleared_altitude(Host().context, m_pFlightPlan, altitude);
}

int CFlightPlanExtractedRoute::GetPointsNumber() const {
  if (m_pFlightPlan == nullptr) return 0;
  if (Host().extracted_route != nullptr) return WholeRoute(m_pFlightPlan).point_count;
  if (Host().route_point_count == nullptr) return 0;
  return Host().route_point_count(Host().context, m_pFlightPlan);
}
const char* CFlightPlanExtractedRoute::GetPointName(int index) const {
  if (m_pFlightPlan == nullptr) return "";
  if (Host().extracted_route != nullptr) {
    const KestravaDoubleRoute& route = WholeRoute(m_pFlightPlan);
    return index >= 0 && index < route.point_count ? Text(route.point_names[index]) : "";
  }
  if (Host().route_point_name == nullptr) return "";
  return Text(Host().route_point_name(Host().context, m_pFlightPlan, index));
}
int CFlightPlanExtractedRoute::GetPointsCalculatedIndex() const {
  if (m_pFlightPlan == nullptr) return 0;
  if (Host().extracted_route != nullptr) return WholeRoute(m_pFlightPlan).calculated_index;
  if (Host().route_calculated_index == nullptr) return 0;
  return Host().route_calculated_index(Host().context, m_pFlightPlan);
}

const char* CRadarTarget::GetCallsign() const {
  if (m_pRadarTarget == nullptr || Host().radar_target_callsign == nullptr) return "";
  return Text(Host().radar_target_callsign(Host().context, m_pRadarTarget));
}
CFlightPlan CRadarTarget::GetCorrelatedFlightPlan() const {
  if (m_pRadarTarget == nullptr || Host().radar_target_flight_plan == nullptr) return {};
  return HandleFrom<CFlightPlan>(Host().radar_target_flight_plan(Host().context, m_pRadarTarget));
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
  if (m_pRadarTarget != nullptr && Host().radar_target_position != nullptr) {
    Host().radar_target_position(Host().context, m_pRadarTarget, &position.m_Latitude,
                                 &position.m_Longitude, &ground_speed);
  }
  return position;
}
int CRadarTargetPositionData::GetReportedGS() const {
  CPosition position;
  int ground_speed = 0;
  if (m_pRadarTarget != nullptr && Host().radar_target_position != nullptr) {
    Host().radar_target_position(Host().context, m_pRadarTarget, &position.m_Latitude,
                                 &position.m_Longitude, &ground_speed);
  }
  return ground_speed;
}

const char* CController::GetCallsign() const {
  if (m_pController == nullptr || Host().controller_callsign == nullptr) return "";
  return Text(Host().controller_callsign(Host().context, m_pController));
}
const char* CController::GetFullName() const {
  if (m_pController == nullptr || Host().controller_full_name == nullptr) return "";
  return Text(Host().controller_full_name(Host().context, m_pController));
}
int CController::GetFacility() const {
  if (m_pController == nullptr || Host().controller_facility == nullptr) return 0;
  return Host().controller_facility(Host().context, m_pController);
}

// --- CPlugIn ------------------------------------------------------------------------------------

CPlugIn::CPlugIn(int compatibilityCode, const char* plugInName, const char* plugInVersion,
                 const char* plugInAuthor, const char* plugInCopyright) {
  module_exited = false;  // a module's entry point is making its plug-in object
  m_pPlugInData = Host().plugin_created == nullptr
                      ? nullptr
                      : static_cast<CPlugInData*>(
                            Host().plugin_created(Host().context, compatibilityCode, plugInName,
                                                  plugInVersion, plugInAuthor, plugInCopyright));
}

CPlugIn::~CPlugIn() {
  if (Host().plugin_deleted != nullptr) Host().plugin_deleted(Host().context, m_pPlugInData);
}

void CPlugIn::RegisterTagItemType(const char* typeName, int code) {
  if (Host().register_tag_item != nullptr) {
    Host().register_tag_item(Host().context, m_pPlugInData, typeName, code);
  }
}
void CPlugIn::RegisterTagItemFunction(const char* functionName, int code) {
  if (Host().register_tag_function != nullptr) {
    Host().register_tag_function(Host().context, m_pPlugInData, functionName, code);
  }
}
void CPlugIn::SaveDataToSettings(const char* variableName, const char* variableDescription,
                                 const char* value) {
  if (!KeepsSettingRules("SaveDataToSettings", variableName, variableDescription, value)) return;
  if (Host().save_setting != nullptr) {
    Host().save_setting(Host().context, m_pPlugInData, variableName, variableDescription, value);
  }
}
const char* CPlugIn::GetDataFromSettings(const char* variableName) {
  if (Host().get_setting == nullptr) return nullptr;
  return Host().get_setting(Host().context, m_pPlugInData, variableName);
}
void CPlugIn::OpenPopupEdit(RECT area, int functionId, const char* initialValue) {
  if (Host().open_popup_edit != nullptr) {
    Host().open_popup_edit(Host().context, m_pPlugInData, area.left, area.top, area.right,
                           area.bottom, functionId, initialValue);
  }
}
CFlightPlan CPlugIn::FlightPlanSelect(const char* callsign) const {
  if (Host().flight_plan_select == nullptr) return {};
  return HandleFrom<CFlightPlan>(Host().flight_plan_select(Host().context, callsign));
}
CRadarTarget CPlugIn::RadarTargetSelect(const char* callsign) const {
  if (Host().radar_target_select == nullptr) return {};
  return HandleFrom<CRadarTarget>(Host().radar_target_select(Host().context, callsign));
}
CFlightPlan CPlugIn::FlightPlanSelectASEL() const {
  if (Host().flight_plan_selected == nullptr) return {};
  return HandleFrom<CFlightPlan>(Host().flight_plan_selected(Host().context));
}
CRadarTarget CPlugIn::RadarTargetSelectASEL() const {
  if (Host().radar_target_selected == nullptr) return {};
  return HandleFrom<CRadarTarget>(Host().radar_target_selected(Host().context));
}
CController CPlugIn::ControllerMyself() const {
  const KestravaControllerRef myself{
      Host().controller_myself != nullptr ? Host().controller_myself(Host().context) : nullptr,
      true};
  return kestrava::client::ControllerOf(myself);
}
void CPlugIn::DisplayUserMessage(const char* handler, const char* sender, const char* message,
                                 bool showHandler, bool showUnread, bool showUnreadEvenIfBusy,
                                 bool startFlashing, bool needConfirmation) {
  if (Host().display_user_message != nullptr) {
    Host().display_user_message(Host().context, handler, sender, message, showHandler, showUnread,
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
  if (Host().position_to_pixel != nullptr) {
    Host().position_to_pixel(Host().context, m_pRadarView, position.m_Latitude,
                             position.m_Longitude, &x, &y);
  }
  return {x, y};
}
void CRadarScreen::SaveDataToAsr(const char* variableName, const char* variableDescription,
                                 const char* value) {
  if (!KeepsSettingRules("SaveDataToAsr", variableName, variableDescription, value)) return;
  if (Host().save_display_setting != nullptr) {
    Host().save_display_setting(Host().context, m_pRadarView, variableName, variableDescription,
                                value);
  }
}
const char* CRadarScreen::GetDataFromAsr(const char* variableName) {
  if (Host().get_display_setting == nullptr) return nullptr;
  return Host().get_display_setting(Host().context, m_pRadarView, variableName);
}
void CRadarScreen::AddScreenObject(int objectType, const char* objectId, RECT area, bool moveable,
                                   const char* message) {
  if (Host().add_screen_object != nullptr) {
    Host().add_screen_object(Host().context, m_pRadarView, objectType, objectId, area.left,
                             area.top, area.right, area.bottom, moveable, message);
  }
}
void CRadarScreen::RequestRefresh() {
  if (Host().request_refresh != nullptr) Host().request_refresh(Host().context, m_pRadarView);
}

}  // namespace EuroScopePlugIn

// --- Driving the module -------------------------------------------------------------------------

extern "C" {

void KestravaDoubleInstall(const KestravaDoubleHost* installed) {
  installed_host = installed != nullptr ? *installed : KestravaDoubleHost{};
}

void KestravaDoubleModuleExited(void) { module_exited = true; }
int KestravaDoubleLateCalls(void) { return late_calls; }

void KestravaDoubleDeletePlugIn(void* plugin) {
  if (!Late()) delete PlugIn(plugin);
}

void KestravaDoubleRadarTargetPositionUpdate(void* plugin, void* radar_target) {
  if (Late()) return;
  PlugIn(plugin)->OnRadarTargetPositionUpdate(HandleFrom<CRadarTarget>(radar_target));
}
void KestravaDoubleFlightPlanDisconnect(void* plugin, void* flight_plan) {
  if (Late()) return;
  PlugIn(plugin)->OnFlightPlanDisconnect(HandleFrom<CFlightPlan>(flight_plan));
}
void KestravaDoubleFlightPlanDataUpdate(void* plugin, void* flight_plan) {
  if (Late()) return;
  PlugIn(plugin)->OnFlightPlanFlightPlanDataUpdate(HandleFrom<CFlightPlan>(flight_plan));
}
void KestravaDoubleAssignedDataUpdate(void* plugin, void* flight_plan, int data_type) {
  if (Late()) return;
  PlugIn(plugin)->OnFlightPlanControllerAssignedDataUpdate(HandleFrom<CFlightPlan>(flight_plan),
                                                           data_type);
}
bool KestravaDoubleCompileCommand(void* plugin, const char* command_line) {
  return !Late() && PlugIn(plugin)->OnCompileCommand(command_line);
}
void KestravaDoubleGetTagItem(void* plugin, void* flight_plan, void* radar_target, int item_code,
                              int tag_data, char* item_string, int* colour_code, unsigned long* rgb,
                              double* font_size) {
  if (Late()) return;
  PlugIn(plugin)->OnGetTagItem(HandleFrom<CFlightPlan>(flight_plan),
                               HandleFrom<CRadarTarget>(radar_target), item_code, tag_data,
                               item_string, colour_code, rgb, font_size);
}
void KestravaDoubleFunctionCall(void* plugin, int function, const char* item_string, int x, int y,
                                int left, int top, int right, int bottom) {
  if (Late()) return;
  PlugIn(plugin)->OnFunctionCall(function, item_string, Point(x, y),
                                 Rect(left, top, right, bottom));
}
void KestravaDoubleTimer(void* plugin, int counter) {
  if (!Late()) PlugIn(plugin)->OnTimer(counter);
}

void* KestravaDoubleCreateScreen(void* plugin, void* view, const char* display_name) {
  if (Late()) return nullptr;
  pending_view = view;
  pending_plugin = PlugIn(plugin);
  CRadarScreen* screen = PlugIn(plugin)->OnRadarScreenCreated(display_name, true, true, true, true);
  pending_view = nullptr;
  pending_plugin = nullptr;
  return screen;
}
void KestravaDoubleScreenContentLoaded(void* screen, bool loaded) {
  if (!Late()) Screen(screen)->OnAsrContentLoaded(loaded);
}
void KestravaDoubleScreenContentToBeSaved(void* screen) {
  if (!Late()) Screen(screen)->OnAsrContentToBeSaved();
}
void KestravaDoubleScreenRefresh(void* screen, void* device_context, int phase) {
  if (!Late()) Screen(screen)->OnRefresh(static_cast<HDC>(device_context), phase);
}
bool KestravaDoubleScreenCompileCommand(void* screen, const char* command_line) {
  return !Late() && Screen(screen)->OnCompileCommand(command_line);
}
void KestravaDoubleScreenClickObject(void* screen, int type, const char* id, int x, int y, int left,
                                     int top, int right, int bottom, int button) {
  if (Late()) return;
  Screen(screen)->OnClickScreenObject(type, id, Point(x, y), Rect(left, top, right, bottom),
                                      button);
}
void KestravaDoubleScreenMoveObject(void* screen, int type, const char* id, int x, int y, int left,
                                    int top, int right, int bottom, bool released) {
  if (Late()) return;
  Screen(screen)->OnMoveScreenObject(type, id, Point(x, y), Rect(left, top, right, bottom),
                                     released);
}
void KestravaDoubleScreenClosed(void* screen) {
  if (!Late()) Screen(screen)->OnAsrContentToBeClosed();
}
void* KestravaDoubleScreenPlugIn(void* screen) { return Screen(screen)->GetPlugIn(); }

}  // extern "C"
