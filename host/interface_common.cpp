// What every binding of the host interface (the stand-in host, the module for the real client)
// shares: the default callbacks, so that a plug-in or screen object answers only the callbacks it
// overrides, and an aircraft's parts that are handles on the same aircraft.
#include "plugin/EuroScopePlugIn.h"

namespace EuroScopePlugIn {

CAircraftPositionData CAircraft::GetPosition() const {
  CAircraftPositionData data;
  data.m_pData = m_pData;
  return data;
}
CAircraftFlightPlan CAircraft::GetFlightPlan() const {
  CAircraftFlightPlan data;
  data.m_pData = m_pData;
  return data;
}
CAircraftControllerAssignedData CAircraft::GetControllerAssignedData() const {
  CAircraftControllerAssignedData data;
  data.m_pData = m_pData;
  return data;
}

void CPlugIn::OnControllerPositionUpdate(CController) {}
void CPlugIn::OnControllerDisconnect(CController) {}
void CPlugIn::OnAircraftPositionUpdate(CAircraft) {}
void CPlugIn::OnAircraftDisconnect(CAircraft) {}
void CPlugIn::OnAircraftFlightPlanUpdate(CAircraft) {}
void CPlugIn::OnAircraftControllerAssignedDataUpdate(CAircraft, int) {}
void CPlugIn::OnAircraftFlightStripPushed(CAircraft, const char*, const char*) {}
CRadarScreen* CPlugIn::OnRadarScreenCreated(const char*, bool, bool, bool, bool) { return nullptr; }
bool CPlugIn::OnCompileCommand(const char*) { return false; }
void CPlugIn::OnCompileFrequencyChat(const char*, double, const char*) {}
void CPlugIn::OnCompilePrivateChat(const char*, const char*, const char*) {}
void CPlugIn::OnGetTagItem(CAircraft, int, int, char*, int*, ColorRef*, double*) {}
void CPlugIn::OnRefresAcListContent(CAircraft) {}
void CPlugIn::OnNewMetarReceived(const char*, const char*) {}
void CPlugIn::OnFunctionCall(int, const char*, ScreenPoint, ScreenRect) {}
void CPlugIn::OnAirportRunwayActivityChanged() {}

void CRadarScreen::OnAsrContentLoaded(bool) {}
void CRadarScreen::OnAsrContentToBeSaved() {}
void CRadarScreen::OnRefresh(DeviceContext, int) {}
void CRadarScreen::OnAsrContentToBeClosed() {}
void CRadarScreen::OnControllerPositionUpdate(CController) {}
void CRadarScreen::OnControllerDisconnect(CController) {}
void CRadarScreen::OnAircraftPositionUpdate(CAircraft) {}
void CRadarScreen::OnAircraftDisconnect(CAircraft) {}
void CRadarScreen::OnAircraftFlightPlanUpdate(CAircraft) {}
void CRadarScreen::OnAircraftControllerAssignedDataUpdate(CAircraft, int) {}
void CRadarScreen::OnAircraftFlightStripPushed(CAircraft, const char*, const char*) {}
bool CRadarScreen::OnCompileCommand(const char*) { return false; }
void CRadarScreen::OnOverScreenObject(int, const char*, ScreenPoint, ScreenRect) {}
void CRadarScreen::OnClickScreenObject(int, const char*, ScreenPoint, ScreenRect, int) {}
void CRadarScreen::OnDoubleClickScreenObject(int, const char*, ScreenPoint, ScreenRect, int) {}
void CRadarScreen::OnMoveScreenObject(int, const char*, ScreenPoint, ScreenRect, bool) {}
void CRadarScreen::OnFunctionCall(int, const char*, ScreenPoint, ScreenRect) {}

}  // namespace EuroScopePlugIn
