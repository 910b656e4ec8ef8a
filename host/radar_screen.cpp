// The stand-in host's implementation of the radar display side of the host interface.
#include "plugin/EuroScopePlugIn.h"

namespace EuroScopePlugIn {

CRadarScreen::CRadarScreen() = default;

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

// Displays arrive with the radar screen work; until then a screen has no display behind it.
const char* CRadarScreen::GetDataFromAsr(const char*) { return nullptr; }
void CRadarScreen::SaveDataToAsr(const char*, const char*, const char*) {}
void CRadarScreen::AddScreenObject(int, const char*, ScreenRect, bool, const char*) {}
ScreenPoint CRadarScreen::ConvertCoordFromPositionToPixel(CPosition) { return {}; }
void CRadarScreen::RequestRefresh() {}

}  // namespace EuroScopePlugIn
