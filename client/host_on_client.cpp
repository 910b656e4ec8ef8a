// The host interface implemented on the real client's objects, in the module for the real client.
// The logic's handles point at the client's handles as they crossed the boundary
// (KestravaAircraftRef, KestravaControllerRef); every operation crosses back to the
// client-facing half, which calls the client. The plug-in's and a screen's binding is its
// client-facing object.
#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <type_traits>

#include "client/bridge.h"
#include "client/settings_value_text.h"
#include "plugin/EuroScopePlugIn.h"

namespace EuroScopePlugIn {
namespace {

// Handles that operations return (selections, the controller, routes) point into a ring of their
// own: each stays valid while the next kSlots - 1 are handed out, far longer than the client call
// it was made in. Only the client's thread uses it.
template <class Ref, std::size_t kSlots>
class HandleRing {
 public:
  Ref* Next() {
    Ref* slot = &slots_[next_];
    next_ = (next_ + 1) % kSlots;
    return slot;
  }

 private:
  std::array<Ref, kSlots> slots_{};
  std::size_t next_ = 0;
};

// A route handle's slot: the names of its first ClientRouteNames::kPoints points as far as read
// (first, for the header's inline reading) and the route as it crossed. Names are read from the
// client kNameBlock at a time, one crossing for the block of the first name the logic asks for in
// it. The logic walks a route a name a point, so a route costs a crossing a block instead of one
// a point, and a walk that stops early reads at most a block more than it asks for. Names of
// later points cross one at a time. The names are the client's texts, valid until the callback
// returns, as the handle is.
constexpr int kNameBlock = 16;
struct RouteSlot {
  ClientRouteNames read;
  KestravaRouteRef ref;
};
static_assert(ClientRouteNames::kPoints % kNameBlock == 0);
// The handle's data is the slot, read by the header as its first member.
static_assert(std::is_standard_layout_v<RouteSlot> && offsetof(RouteSlot, read) == 0);

HandleRing<KestravaAircraftRef, 64> selected_aircraft;
HandleRing<KestravaControllerRef, 8> controllers;
HandleRing<RouteSlot, 64> routes;
// Settings texts decoded for the logic, each valid while the next seven are read.
HandleRing<std::string, 8> read_settings;

const KestravaAircraftRef* AircraftOf(void* data) {
  return static_cast<const KestravaAircraftRef*>(data);
}

RouteSlot* RouteSlotOf(void* data) { return static_cast<RouteSlot*>(data); }
const KestravaRouteRef* RouteOf(void* data) { return &RouteSlotOf(data)->ref; }

const KestravaControllerRef* ControllerOf(void* data) {
  return static_cast<const KestravaControllerRef*>(data);
}

bool HasFlightPlan(void* data) {
  return data != nullptr && AircraftOf(data)->flight_plan != nullptr;
}

const char* AircraftText(void* data, KestravaAircraftText text) {
  return data != nullptr ? KestravaClientAircraftText(AircraftOf(data), text) : "";
}

CAircraft HandleOf(KestravaAircraftRef* aircraft) {
  CAircraft handle;
  if (aircraft->flight_plan != nullptr || aircraft->radar_target != nullptr) {
    handle.m_pData = aircraft;
  }
  return handle;
}

}  // namespace

// --- CController ----------------------------------------------------------------------------

bool CController::IsValid() const {
  return m_pData != nullptr &&
         (ControllerOf(m_pData)->controller != nullptr || ControllerOf(m_pData)->myself);
}
const char* CController::GetCallsign() const {
  return m_pData ? KestravaClientControllerText(ControllerOf(m_pData), KESTRAVA_CONTROLLER_CALLSIGN)
                 : "";
}
const char* CController::GetFullName() const {
  return m_pData
             ? KestravaClientControllerText(ControllerOf(m_pData), KESTRAVA_CONTROLLER_FULL_NAME)
             : "";
}
int CController::GetFacility() const {
  return m_pData ? KestravaClientControllerFacility(ControllerOf(m_pData)) : 0;
}

// --- CAircraftFlightPlan ----------------------------------------------------------------------

bool CAircraftFlightPlan::IsValid() const { return HasFlightPlan(m_pData); }
const char* CAircraftFlightPlan::GetOrigin() const {
  return AircraftText(m_pData, KESTRAVA_ORIGIN);
}
const char* CAircraftFlightPlan::GetDestination() const {
  return AircraftText(m_pData, KESTRAVA_DESTINATION);
}
const char* CAircraftFlightPlan::GetSidName() const {
  return AircraftText(m_pData, KESTRAVA_SID_NAME);
}
const char* CAircraftFlightPlan::GetStarName() const {
  return AircraftText(m_pData, KESTRAVA_STAR_NAME);
}
const char* CAircraftFlightPlan::GetDepartureRwy() const {
  return AircraftText(m_pData, KESTRAVA_DEPARTURE_RWY);
}
const char* CAircraftFlightPlan::GetArrivalRwy() const {
  return AircraftText(m_pData, KESTRAVA_ARRIVAL_RWY);
}
const char* CAircraftFlightPlan::GetAircraftFPType() const {
  return AircraftText(m_pData, KESTRAVA_AIRCRAFT_FP_TYPE);
}
const char* CAircraftFlightPlan::GetEstimatedDepartureTime() const {
  return AircraftText(m_pData, KESTRAVA_ESTIMATED_DEPARTURE_TIME);
}
const char* CAircraftFlightPlan::GetActualDepartureTime() const {
  return AircraftText(m_pData, KESTRAVA_ACTUAL_DEPARTURE_TIME);
}

// --- CAircraftPositionData --------------------------------------------------------------------

bool CAircraftPositionData::IsValid() const {
  return m_pData != nullptr && AircraftOf(m_pData)->radar_target != nullptr;
}
CPosition CAircraftPositionData::GetPosition() const {
  CPosition position;
  int ground_speed = 0;
  if (m_pData != nullptr) {
    KestravaClientAircraftPosition(AircraftOf(m_pData), &position.m_Latitude, &position.m_Longitude,
                                   &ground_speed);
  }
  return position;
}
int CAircraftPositionData::GetReportedGS() const {
  CPosition position;
  int ground_speed = 0;
  if (m_pData != nullptr) {
    KestravaClientAircraftPosition(AircraftOf(m_pData), &position.m_Latitude, &position.m_Longitude,
                                   &ground_speed);
  }
  return ground_speed;
}

// --- CAircraftControllerAssignedData ------------------------------------------------------------

bool CAircraftControllerAssignedData::IsValid() const { return HasFlightPlan(m_pData); }
const char* CAircraftControllerAssignedData::GetSquawk() const {
  return AircraftText(m_pData, KESTRAVA_SQUAWK);
}
bool CAircraftControllerAssignedData::SetSquawk(const char* squawk) {
  return m_pData != nullptr && squawk != nullptr &&
         KestravaClientSetSquawk(AircraftOf(m_pData), squawk);
}
bool CAircraftControllerAssignedData::SetClearedAltitude(int feet) {
  return m_pData != nullptr && KestravaClientSetClearedAltitude(AircraftOf(m_pData), feet);
}

// --- CAircraftExtractedRoute ------------------------------------------------------------------

bool CAircraftExtractedRoute::IsValid() const {
  return m_pData != nullptr && RouteOf(m_pData)->route != nullptr;
}
int CAircraftExtractedRoute::GetPointsNumber() const {
  return m_pData ? RouteOf(m_pData)->point_count : 0;
}
const char* CAircraftExtractedRoute::ReadPointName(int index) const {
  if (m_pData == nullptr) return "";
  RouteSlot& slot = *RouteSlotOf(m_pData);
  if (index < 0 || index >= slot.read.count) return KestravaClientRoutePointName(&slot.ref, index);
  const int first = index / kNameBlock * kNameBlock;
  const int count = std::min(kNameBlock, slot.read.count - first);
  const char** names = &slot.read.names[first];
  KestravaClientRoutePointNames(&slot.ref, first, count, names);
  return names[index - first];
}
int CAircraftExtractedRoute::GetPointsCalculatedIndex() const {
  return m_pData ? KestravaClientRouteCalculatedIndex(RouteOf(m_pData)) : 0;
}

// --- CAircraft ----------------------------------------------------------------------------------

bool CAircraft::IsValid() const { return m_pData != nullptr; }
const char* CAircraft::GetCallsign() const { return AircraftText(m_pData, KESTRAVA_CALLSIGN); }
const char* CAircraft::GetPilotName() const { return AircraftText(m_pData, KESTRAVA_PILOT_NAME); }
const char* CAircraft::GetGroundState() const {
  return AircraftText(m_pData, KESTRAVA_GROUND_STATE);
}

// A route handle holds the client's route and its number of points, read once, and its points'
// names once the logic asks for one (RouteSlot).
CAircraftExtractedRoute CAircraft::GetExtractedRoute() const {
  CAircraftExtractedRoute route;
  if (m_pData != nullptr) {
    RouteSlot* slot = routes.Next();
    KestravaClientExtractedRoute(AircraftOf(m_pData), &slot->ref);
    slot->read.count = std::clamp(slot->ref.point_count, 0, ClientRouteNames::kPoints);
    std::fill_n(slot->read.names, slot->read.count, nullptr);
    route.m_pData = slot;
  }
  return route;
}

// --- CPlugIn ------------------------------------------------------------------------------------

CPlugIn::CPlugIn(int /*compatibility*/, const char* name, const char* version, const char* author,
                 const char* copyright) {
  // The client's own compatibility code is the client-facing object's to give.
  m_pBinding = KestravaClientCreatePlugIn(this, name, version, author, copyright);
}

CPlugIn::~CPlugIn() {
  if (m_pBinding != nullptr) KestravaClientDeletePlugIn(m_pBinding);
}

// Settings cross in the client's form (client/settings_value_text.h).
const char* CPlugIn::GetDataFromSettings(const char* key) {
  if (m_pBinding == nullptr || key == nullptr) return nullptr;
  return kestrava::client::ReadSettingText(KestravaClientGetSetting(m_pBinding, key),
                                           *read_settings.Next());
}

void CPlugIn::SaveDataToSettings(const char* key, const char* description, const char* value) {
  if (m_pBinding == nullptr || key == nullptr) return;
  std::string stored;
  KestravaClientSaveSetting(m_pBinding, key, description != nullptr ? description : "",
                            kestrava::client::StoredSettingText(value, stored));
}

void CPlugIn::RegisterTagItemType(const char* name, int code) {
  if (m_pBinding != nullptr) KestravaClientRegisterTagItem(m_pBinding, name, code);
}

void CPlugIn::RegisterTagItemFunction(const char* name, int code) {
  if (m_pBinding != nullptr) KestravaClientRegisterTagFunction(m_pBinding, name, code);
}

CController CPlugIn::ControllerMyself() {
  CController controller;
  if (m_pBinding != nullptr) {
    KestravaControllerRef* ref = controllers.Next();
    KestravaClientControllerMyself(m_pBinding, ref);
    controller.m_pData = ref;
  }
  return controller;
}

CAircraft CPlugIn::AircraftSelect(const char* callsign) {
  if (m_pBinding == nullptr || callsign == nullptr) return {};
  KestravaAircraftRef* aircraft = selected_aircraft.Next();
  KestravaClientSelectAircraft(m_pBinding, callsign, aircraft);
  return HandleOf(aircraft);
}

CAircraft CPlugIn::AircraftSelectASEL() {
  if (m_pBinding == nullptr) return {};
  KestravaAircraftRef* aircraft = selected_aircraft.Next();
  KestravaClientSelectedAircraft(m_pBinding, aircraft);
  return HandleOf(aircraft);
}

void CPlugIn::OpenPopupEdit(ScreenRect area, int functionCode, const char* initialText) {
  if (m_pBinding == nullptr) return;
  const KestravaRect rect{area.left, area.top, area.right, area.bottom};
  KestravaClientOpenPopupEdit(m_pBinding, &rect, functionCode,
                              initialText != nullptr ? initialText : "");
}

void CPlugIn::DisplayUserMessage(const char* handler, const char* sender, const char* message,
                                 bool showHandler, bool showUnread, bool showUnreadEvenIfBusy,
                                 bool startFlashing, bool needConfirmation) {
  if (m_pBinding == nullptr || message == nullptr) return;
  KestravaClientDisplayUserMessage(
      m_pBinding, handler != nullptr ? handler : "", sender != nullptr ? sender : "", message,
      showHandler, showUnread, showUnreadEvenIfBusy, startFlashing, needConfirmation);
}

// --- CRadarScreen -------------------------------------------------------------------------------

CRadarScreen::CRadarScreen() { m_pBinding = KestravaClientCreateScreen(this); }

const char* CRadarScreen::GetDataFromAsr(const char* key) {
  if (m_pBinding == nullptr || key == nullptr) return nullptr;
  return kestrava::client::ReadSettingText(KestravaClientGetScreenSetting(m_pBinding, key),
                                           *read_settings.Next());
}

void CRadarScreen::SaveDataToAsr(const char* key, const char* description, const char* value) {
  if (m_pBinding == nullptr || key == nullptr) return;
  std::string stored;
  KestravaClientSaveScreenSetting(m_pBinding, key, description != nullptr ? description : "",
                                  kestrava::client::StoredSettingText(value, stored));
}

void CRadarScreen::AddScreenObject(int objectType, const char* objectId, ScreenRect area,
                                   bool moveable, const char* message) {
  if (m_pBinding == nullptr) return;
  const KestravaRect rect{area.left, area.top, area.right, area.bottom};
  KestravaClientAddScreenObject(m_pBinding, objectType, objectId != nullptr ? objectId : "", &rect,
                                moveable, message != nullptr ? message : "");
}

ScreenPoint CRadarScreen::ConvertCoordFromPositionToPixel(CPosition position) {
  if (m_pBinding == nullptr) return {};
  KestravaPoint pixel{};
  KestravaClientPositionToPixel(m_pBinding, position.m_Latitude, position.m_Longitude, &pixel);
  return {pixel.x, pixel.y};
}

void CRadarScreen::RequestRefresh() {
  if (m_pBinding != nullptr) KestravaClientRequestRefresh(m_pBinding);
}

}  // namespace EuroScopePlugIn
