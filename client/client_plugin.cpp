// The plug-in object the client sees: derives from the client's CPlugIn, forwards every callback
// the logic answers across the boundary, and serves the logic's plug-in operations. Also the
// module's two entry points under the names the client looks up.
#include "client/bridge.h"
#include "client/client_handles.h"
#include "client/client_memory.h"
#include "client/client_shared_callbacks.h"

namespace kestrava::client {
namespace {

using namespace EuroScopePlugIn;

class ClientPlugIn final : public SharedCallbacks<CPlugIn, KESTRAVA_PLUG_IN> {
 public:
  ClientPlugIn(void* logic, const char* name, const char* version, const char* author,
               const char* copyright)
      : SharedCallbacks(logic, COMPATIBILITY_CODE, name, version, author, copyright) {}

  CRadarScreen* OnRadarScreenCreated(const char* displayName, bool needRadarContent,
                                     bool geoReferenced, bool canBeSaved,
                                     bool canBeCreated) override {
    return static_cast<CRadarScreen*>(KestravaLogicRadarScreenCreated(
        logic(), displayName, needRadarContent, geoReferenced, canBeSaved, canBeCreated));
  }
  void OnCompileFrequencyChat(const char* sender, double frequency, const char* message) override {
    KestravaLogicFrequencyChat(logic(), sender, frequency, message);
  }
  void OnCompilePrivateChat(const char* sender, const char* receiver,
                            const char* message) override {
    KestravaLogicPrivateChat(logic(), sender, receiver, message);
  }
  void OnGetTagItem(CFlightPlan flightPlan, CRadarTarget radarTarget, int itemCode, int tagData,
                    char itemString[16], int* colorCode, COLORREF* rgb, double* fontSize) override {
    const KestravaAircraftRef aircraft = AircraftOf(flightPlan, radarTarget);
    KestravaLogicGetTagItem(logic(), &aircraft, itemCode, tagData, itemString, colorCode, rgb,
                            fontSize);
  }
  void OnNewMetarReceived(const char* station, const char* fullMetar) override {
    KestravaLogicNewMetar(logic(), station, fullMetar);
  }
  void OnAirportRunwayActivityChanged() override { KestravaLogicRunwayActivityChanged(logic()); }

  // Callbacks the logic does not answer. Overridden all the same, so that the module's table
  // names only its own functions and imports none of the client's inline defaults.
  void OnPlaneInformationUpdate(const char*, const char*, const char*) override {}
  void OnRefreshFpListContent(CFlightPlanList) override {}
  void OnTimer(int) override {}
  void OnVoiceTransmitStarted(bool) override {}
  void OnVoiceTransmitEnded(bool) override {}
  void OnVoiceReceiveStarted(CGrountToAirChannel) override {}
  void OnVoiceReceiveEnded(CGrountToAirChannel) override {}
};

ClientPlugIn& PlugIn(void* plugin) { return *static_cast<ClientPlugIn*>(plugin); }

}  // namespace
}  // namespace kestrava::client

using kestrava::client::PlugIn;

// The entry points: C++ functions, found by the client under their decorated names.
__declspec(dllexport) void EuroScopePlugInInit(EuroScopePlugIn::CPlugIn** instance) {
  auto* plugin = static_cast<kestrava::client::ClientPlugIn*>(KestravaLogicCreatePlugIn());
  if (instance != nullptr) *instance = plugin;
}

__declspec(dllexport) void EuroScopePlugInExit() { KestravaLogicDeletePlugIn(); }

extern "C" {

void* KestravaClientCreatePlugIn(void* logic, const char* name, const char* version,
                                 const char* author, const char* copyright) {
  return kestrava::client::Create<kestrava::client::ClientPlugIn>(logic, name, version, author,
                                                                  copyright);
}

void KestravaClientDeletePlugIn(void* plugin) { delete &PlugIn(plugin); }

const char* KestravaClientGetSetting(void* plugin, const char* key) {
  return PlugIn(plugin).GetDataFromSettings(key);
}

void KestravaClientSaveSetting(void* plugin, const char* key, const char* description,
                               const char* value) {
  PlugIn(plugin).SaveDataToSettings(key, description, value);
}

void KestravaClientRegisterTagItem(void* plugin, const char* name, int code) {
  PlugIn(plugin).RegisterTagItemType(name, code);
}

void KestravaClientRegisterTagFunction(void* plugin, const char* name, int code) {
  PlugIn(plugin).RegisterTagItemFunction(name, code);
}

void KestravaClientOpenPopupEdit(void* plugin, const KestravaRect* area, int function,
                                 const char* initial_text) {
  PlugIn(plugin).OpenPopupEdit(kestrava::client::RectOf(*area), function, initial_text);
}

void KestravaClientSelectAircraft(void* plugin, const char* callsign,
                                  KestravaAircraftRef* aircraft) {
  *aircraft = kestrava::client::AircraftOf(PlugIn(plugin).FlightPlanSelect(callsign),
                                           PlugIn(plugin).RadarTargetSelect(callsign));
}

void KestravaClientSelectedAircraft(void* plugin, KestravaAircraftRef* aircraft) {
  *aircraft = kestrava::client::AircraftOf(PlugIn(plugin).FlightPlanSelectASEL(),
                                           PlugIn(plugin).RadarTargetSelectASEL());
}

void KestravaClientControllerMyself(void* plugin, KestravaControllerRef* controller) {
  *controller = kestrava::client::ControllerRefOf(PlugIn(plugin).ControllerMyself());
}

void KestravaClientDisplayUserMessage(void* plugin, const char* handler, const char* sender,
                                      const char* message, bool show_handler, bool show_unread,
                                      bool show_unread_even_if_busy, bool start_flashing,
                                      bool need_confirmation) {
  PlugIn(plugin).DisplayUserMessage(handler, sender, message, show_handler, show_unread,
                                    show_unread_even_if_busy, start_flashing, need_confirmation);
}

}  // extern "C"
