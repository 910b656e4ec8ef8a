// The stand-in host's implementation of the host interface's plug-in side and handles.
#include <string>

#include "host/world.h"
#include "plugin/EuroScopePlugIn.h"

namespace EuroScopePlugIn {
namespace {

const char* Text(const std::string& s) { return s.c_str(); }

standin::Aircraft* AircraftOf(void* data) { return static_cast<standin::Aircraft*>(data); }

standin::PlugInBinding* BindingOf(void* binding) {
  return static_cast<standin::PlugInBinding*>(binding);
}

CAircraft HandleOf(standin::Aircraft* aircraft) {
  CAircraft handle;
  handle.m_pData = aircraft;
  return handle;
}

}  // namespace

// --- CController ----------------------------------------------------------------------------

bool CController::IsValid() const { return m_pData != nullptr; }
const char* CController::GetCallsign() const {
  return m_pData ? Text(static_cast<standin::Controller*>(m_pData)->callsign) : "";
}
const char* CController::GetFullName() const {
  return m_pData ? Text(static_cast<standin::Controller*>(m_pData)->full_name) : "";
}
int CController::GetFacility() const {
  return m_pData ? static_cast<standin::Controller*>(m_pData)->facility : 0;
}

// --- CAircraftFlightPlan ----------------------------------------------------------------------

#define KESTRAVA_FP_TEXT(method, field)                                 \
  const char* CAircraftFlightPlan::method() const {                     \
    return m_pData ? Text(AircraftOf(m_pData)->flight_plan.field) : ""; \
  }

bool CAircraftFlightPlan::IsValid() const { return m_pData != nullptr; }
KESTRAVA_FP_TEXT(GetOrigin, origin)
KESTRAVA_FP_TEXT(GetDestination, destination)
KESTRAVA_FP_TEXT(GetSidName, sid)
KESTRAVA_FP_TEXT(GetStarName, star)
KESTRAVA_FP_TEXT(GetDepartureRwy, departure_rwy)
KESTRAVA_FP_TEXT(GetArrivalRwy, arrival_rwy)
KESTRAVA_FP_TEXT(GetAircraftFPType, aircraft_type)
KESTRAVA_FP_TEXT(GetEstimatedDepartureTime, estimated_departure_time)
KESTRAVA_FP_TEXT(GetActualDepartureTime, actual_departure_time)
#undef KESTRAVA_FP_TEXT

// --- CAircraftPositionData ----------------------------------------------------------------------

bool CAircraftPositionData::IsValid() const { return m_pData != nullptr; }
CPosition CAircraftPositionData::GetPosition() const {
  return m_pData ? AircraftOf(m_pData)->position : CPosition{};
}
int CAircraftPositionData::GetReportedGS() const {
  return m_pData ? AircraftOf(m_pData)->reported_gs : 0;
}

// --- CAircraftControllerAssignedData ------------------------------------------------------------

bool CAircraftControllerAssignedData::IsValid() const { return m_pData != nullptr; }
const char* CAircraftControllerAssignedData::GetSquawk() const {
  return m_pData ? Text(AircraftOf(m_pData)->squawk) : "";
}
bool CAircraftControllerAssignedData::SetSquawk(const char* squawk) {
  if (m_pData == nullptr || squawk == nullptr) return false;
  standin::Aircraft* aircraft = AircraftOf(m_pData);
  aircraft->world->SquawkSetByPlugIn(*aircraft, squawk);
  return true;
}
bool CAircraftControllerAssignedData::SetClearedAltitude(int feet) {
  if (m_pData == nullptr) return false;
  standin::Aircraft* aircraft = AircraftOf(m_pData);
  aircraft->world->ClearedAltitudeSetByPlugIn(*aircraft, feet);
  return true;
}

// --- CAircraftExtractedRoute
// ----------------------------------------------------------------------

bool CAircraftExtractedRoute::IsValid() const { return m_pData != nullptr; }
int CAircraftExtractedRoute::GetPointsNumber() const {
  return m_pData ? static_cast<int>(AircraftOf(m_pData)->route.size()) : 0;
}
const char* CAircraftExtractedRoute::GetPointName(int index) const {
  if (m_pData == nullptr) return "";
  const auto& route = AircraftOf(m_pData)->route;
  if (index < 0 || index >= static_cast<int>(route.size())) return "";
  return Text(route[static_cast<std::size_t>(index)]);
}
int CAircraftExtractedRoute::GetPointsCalculatedIndex() const {
  return m_pData ? AircraftOf(m_pData)->route_calculated_index : 0;
}

// --- CAircraft ----------------------------------------------------------------------------------

bool CAircraft::IsValid() const { return m_pData != nullptr; }
const char* CAircraft::GetCallsign() const {
  return m_pData ? Text(AircraftOf(m_pData)->callsign) : "";
}
const char* CAircraft::GetPilotName() const {
  return m_pData ? Text(AircraftOf(m_pData)->pilot_name) : "";
}
const char* CAircraft::GetGroundState() const {
  return m_pData ? Text(AircraftOf(m_pData)->ground_state) : "";
}

CAircraftExtractedRoute CAircraft::GetExtractedRoute() const {
  CAircraftExtractedRoute data;
  data.m_pData = m_pData;
  return data;
}

// --- CPlugIn
// --------------------------------------------------------------------------------------

CPlugIn::CPlugIn(int /*compatibility*/, const char* name, const char* version,
                 const char* /*author*/, const char* /*copyright*/) {
  if (standin::World* world = standin::World::Current()) {
    standin::PlugInBinding* binding = world->AttachBinding(this);
    binding->name = name ? name : "";
    binding->version = version ? version : "";
    m_pBinding = binding;
  }
}

CPlugIn::~CPlugIn() {
  if (m_pBinding != nullptr) BindingOf(m_pBinding)->world->DetachBinding(this);
}

const char* CPlugIn::GetDataFromSettings(const char* key) {
  if (m_pBinding == nullptr || key == nullptr) return nullptr;
  return BindingOf(m_pBinding)->world->settings().Get(key);
}

void CPlugIn::SaveDataToSettings(const char* key, const char* description, const char* value) {
  if (m_pBinding == nullptr || key == nullptr) return;
  BindingOf(m_pBinding)->world->PluginSavedSetting(key, description ? description : "", value);
}

void CPlugIn::RegisterTagItemType(const char* name, int code) {
  if (m_pBinding != nullptr) BindingOf(m_pBinding)->tag_items.emplace_back(name, code);
}

void CPlugIn::RegisterTagItemFunction(const char* name, int code) {
  if (m_pBinding != nullptr) BindingOf(m_pBinding)->tag_functions.emplace_back(name, code);
}

CController CPlugIn::ControllerMyself() {
  CController controller;
  if (m_pBinding != nullptr) controller.m_pData = &BindingOf(m_pBinding)->world->controller();
  return controller;
}

CAircraft CPlugIn::AircraftSelect(const char* callsign) {
  if (m_pBinding == nullptr || callsign == nullptr) return {};
  return HandleOf(BindingOf(m_pBinding)->world->FindAircraft(callsign));
}

CAircraft CPlugIn::AircraftSelectASEL() {
  if (m_pBinding == nullptr) return {};
  return HandleOf(BindingOf(m_pBinding)->world->Selected());
}

void CPlugIn::OpenPopupEdit(ScreenRect area, int functionCode, const char* initialText) {
  if (m_pBinding == nullptr) return;
  BindingOf(m_pBinding)
      ->world->OpenPopup(standin::PopupEdit{functionCode, initialText ? initialText : "", area});
}

void CPlugIn::DisplayUserMessage(const char* handler, const char* sender, const char* message,
                                 bool showHandler, bool showUnread, bool showUnreadEvenIfBusy,
                                 bool startFlashing, bool needConfirmation) {
  if (m_pBinding == nullptr) return;
  const auto text = [](const char* s) { return std::string(s ? s : ""); };
  BindingOf(m_pBinding)
      ->world->UserMessageShown(standin::UserMessage{text(handler), text(sender), text(message),
                                                     showHandler, showUnread, showUnreadEvenIfBusy,
                                                     startFlashing, needConfirmation});
}

}  // namespace EuroScopePlugIn
