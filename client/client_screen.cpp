// The radar screen object the client sees: derives from the client's CRadarScreen, forwards every
// callback the logic answers across the boundary, and serves the logic's screen operations. It
// ends itself, after the logic's screen object, when the client closes the display.
#include "client/bridge.h"
#include "client/client_handles.h"
#include "client/client_memory.h"
#include "client/client_shared_callbacks.h"

namespace kestrava::client {
namespace {

using namespace EuroScopePlugIn;

class ClientScreen final : public SharedCallbacks<CRadarScreen, KESTRAVA_SCREEN> {
 public:
  explicit ClientScreen(void* logic_screen) : SharedCallbacks(logic_screen) {}

  void OnAsrContentLoaded(bool loaded) override {
    KestravaLogicScreenContentLoaded(logic(), loaded);
  }
  void OnAsrContentToBeSaved() override { KestravaLogicScreenContentToBeSaved(logic()); }
  void OnRefresh(HDC dc, int phase) override { KestravaLogicScreenRefresh(logic(), dc, phase); }
  void OnAsrContentToBeClosed() override {
    KestravaLogicScreenClosed(logic());
    delete this;
  }
  void OnOverScreenObject(int objectType, const char* objectId, POINT point, RECT area) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenOverObject(logic(), objectType, objectId, &at, &within);
  }
  // Not answered by the logic; overridden so that the module imports none of the client's
  // inline defaults.
  void OnButtonDownScreenObject(int, const char*, POINT, RECT, int) override {}
  void OnButtonUpScreenObject(int, const char*, POINT, RECT, int) override {}
  void OnClickScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                           int button) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenClickObject(logic(), objectType, objectId, &at, &within, button);
  }
  void OnDoubleClickScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                                 int button) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenDoubleClickObject(logic(), objectType, objectId, &at, &within, button);
  }
  void OnMoveScreenObject(int objectType, const char* objectId, POINT point, RECT area,
                          bool released) override {
    const KestravaPoint at = PointOf(point);
    const KestravaRect within = RectOf(area);
    KestravaLogicScreenMoveObject(logic(), objectType, objectId, &at, &within, released);
  }
};

ClientScreen& Screen(void* screen) {
  return *static_cast<ClientScreen*>(static_cast<CRadarScreen*>(screen));
}

}  // namespace
}  // namespace kestrava::client

using kestrava::client::Screen;

extern "C" {

void* KestravaClientCreateScreen(void* logic_screen) {
  return static_cast<EuroScopePlugIn::CRadarScreen*>(
      kestrava::client::Create<kestrava::client::ClientScreen>(logic_screen));
}

const char* KestravaClientGetScreenSetting(void* screen, const char* key) {
  return Screen(screen).GetDataFromAsr(key);
}

void KestravaClientSaveScreenSetting(void* screen, const char* key, const char* description,
                                     const char* value) {
  Screen(screen).SaveDataToAsr(key, description, value);
}

void KestravaClientAddScreenObject(void* screen, int type, const char* id, const KestravaRect* area,
                                   bool moveable, const char* message) {
  Screen(screen).AddScreenObject(type, id, kestrava::client::RectOf(*area), moveable, message);
}

void KestravaClientPositionToPixel(void* screen, double latitude, double longitude,
                                   KestravaPoint* pixel) {
  EuroScopePlugIn::CPosition position;
  position.m_Latitude = latitude;
  position.m_Longitude = longitude;
  *pixel = kestrava::client::PointOf(Screen(screen).ConvertCoordFromPositionToPixel(position));
}

void KestravaClientRequestRefresh(void* screen) { Screen(screen).RequestRefresh(); }

}  // extern "C"
