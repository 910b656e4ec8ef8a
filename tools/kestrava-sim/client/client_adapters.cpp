#include "tools/kestrava-sim/client/client_adapters.h"

namespace kestrava::sim {

using EuroScopePlugIn::CAircraft;
using EuroScopePlugIn::ScreenPoint;
using EuroScopePlugIn::ScreenRect;

ClientPlugInAdapter::ClientPlugInAdapter(const DoubleCalls& calls, const char* name,
                                         const char* version)
    : CPlugIn(EuroScopePlugIn::COMPATIBILITY_CODE, name, version, "", ""), calls_(calls) {}

void ClientPlugInAdapter::OnAircraftPositionUpdate(CAircraft aircraft) {
  calls_.radar_target_position_update(client_, aircraft.m_pData);
}

void ClientPlugInAdapter::OnAircraftDisconnect(CAircraft aircraft) {
  calls_.flight_plan_disconnect(client_, aircraft.m_pData);
}

void ClientPlugInAdapter::OnAircraftFlightPlanUpdate(CAircraft aircraft) {
  calls_.flight_plan_data_update(client_, aircraft.m_pData);
}

void ClientPlugInAdapter::OnAircraftControllerAssignedDataUpdate(CAircraft aircraft, int dataType) {
  calls_.assigned_data_update(client_, aircraft.m_pData, dataType);
}

EuroScopePlugIn::CRadarScreen* ClientPlugInAdapter::OnRadarScreenCreated(const char* displayName,
                                                                         bool, bool, bool, bool) {
  auto* screen = new ClientScreenAdapter(calls_);
  if (screen->Attach(client_, displayName)) return screen;
  delete screen;
  return nullptr;
}

bool ClientPlugInAdapter::OnCompileCommand(const char* commandLine) {
  return calls_.compile_command(client_, commandLine);
}

void ClientPlugInAdapter::OnGetTagItem(CAircraft aircraft, int itemCode, int tagData,
                                       char itemString[EuroScopePlugIn::TAG_ITEM_TEXT_SIZE],
                                       int* colorCode, EuroScopePlugIn::ColorRef* rgb,
                                       double* fontSize) {
  unsigned long colour = *rgb;  // the client's COLORREF
  calls_.get_tag_item(client_, aircraft.m_pData, aircraft.m_pData, itemCode, tagData, itemString,
                      colorCode, &colour, fontSize);
  *rgb = static_cast<EuroScopePlugIn::ColorRef>(colour);
}

void ClientPlugInAdapter::OnFunctionCall(int functionCode, const char* itemString,
                                         ScreenPoint point, ScreenRect area) {
  calls_.function_call(client_, functionCode, itemString, point.x, point.y, area.left, area.top,
                       area.right, area.bottom);
}

bool ClientScreenAdapter::Attach(void* client_plugin, const char* display_name) {
  client_ = calls_.create_screen(client_plugin, this, display_name);
  return client_ != nullptr;
}

void ClientScreenAdapter::OnAsrContentLoaded(bool loaded) {
  calls_.screen_content_loaded(client_, loaded);
}

void ClientScreenAdapter::OnAsrContentToBeSaved() { calls_.screen_content_to_be_saved(client_); }

void ClientScreenAdapter::OnRefresh(EuroScopePlugIn::DeviceContext dc, int phase) {
  calls_.screen_refresh(client_, dc, phase);
}

void ClientScreenAdapter::OnAsrContentToBeClosed() {
  calls_.screen_closed(client_);
  delete this;
}

bool ClientScreenAdapter::OnCompileCommand(const char* commandLine) {
  return calls_.screen_compile_command(client_, commandLine);
}

void ClientScreenAdapter::OnClickScreenObject(int objectType, const char* objectId,
                                              ScreenPoint point, ScreenRect area, int button) {
  calls_.screen_click_object(client_, objectType, objectId, point.x, point.y, area.left, area.top,
                             area.right, area.bottom, button);
}

void ClientScreenAdapter::OnMoveScreenObject(int objectType, const char* objectId,
                                             ScreenPoint point, ScreenRect area, bool released) {
  calls_.screen_move_object(client_, objectType, objectId, point.x, point.y, area.left, area.top,
                            area.right, area.bottom, released);
}

}  // namespace kestrava::sim
