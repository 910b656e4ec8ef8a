// The stand-in host's implementation of the radar display side of the host interface. A screen
// object's binding is the standin::Display it draws; one that no display has taken yet reads no
// settings and its operations do nothing.
#include "host/display.h"
#include "plugin/EuroScopePlugIn.h"

namespace EuroScopePlugIn {
namespace {

standin::Display* DisplayOf(void* binding) { return static_cast<standin::Display*>(binding); }

}  // namespace

CRadarScreen::CRadarScreen() = default;

const char* CRadarScreen::GetDataFromAsr(const char* key) {
  if (m_pBinding == nullptr || key == nullptr) return nullptr;
  return DisplayOf(m_pBinding)->settings().Get(key);
}

void CRadarScreen::SaveDataToAsr(const char* key, const char* description, const char* value) {
  if (m_pBinding == nullptr || key == nullptr) return;
  DisplayOf(m_pBinding)->SaveSetting(key, description != nullptr ? description : "", value);
}

void CRadarScreen::AddScreenObject(int objectType, const char* objectId, ScreenRect area,
                                   bool moveable, const char* message) {
  if (m_pBinding == nullptr) return;
  DisplayOf(m_pBinding)
      ->AddObject(standin::ScreenObject{objectType, objectId != nullptr ? objectId : "", area,
                                        moveable, message != nullptr ? message : ""});
}

ScreenPoint CRadarScreen::ConvertCoordFromPositionToPixel(CPosition position) {
  if (m_pBinding == nullptr) return {};
  return DisplayOf(m_pBinding)->ToPixel(position);
}

void CRadarScreen::RequestRefresh() {
  if (m_pBinding != nullptr) DisplayOf(m_pBinding)->RequestRefresh();
}

}  // namespace EuroScopePlugIn
