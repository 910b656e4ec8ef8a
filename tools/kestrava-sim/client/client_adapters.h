// The module for the real client as the stand-in World sees it: a plug-in object and radar screen
// objects of the host interface that forward every callback the World delivers to the module's
// objects, through the test double (which makes the calls through the client's virtual tables).
// An aircraft reaches the module as a flight plan and a radar target that are both its
// standin::Aircraft, as the World keeps every aircraft with a flight plan and a position.
//
// Ownership: the plug-in adapter lives as long as the module's plug-in object (the double's host
// table makes it when the module constructs its plug-in and deletes it when the module deletes
// it); a screen adapter ends itself when its display closes, after the module's screen object.
// Thread: the simulator's.
#pragma once

#include "plugin/EuroScopePlugIn.h"
#include "tools/kestrava-sim/client/double_calls.h"

namespace kestrava::sim {

class ClientPlugInAdapter final : public EuroScopePlugIn::CPlugIn {
 public:
  ClientPlugInAdapter(const DoubleCalls& calls, const char* name, const char* version);

  // The module's plug-in object (the client's CPlugIn*), known once its entry point returned.
  void Attach(void* client_plugin) { client_ = client_plugin; }

  void OnAircraftPositionUpdate(EuroScopePlugIn::CAircraft aircraft) override;
  void OnAircraftDisconnect(EuroScopePlugIn::CAircraft aircraft) override;
  void OnAircraftFlightPlanUpdate(EuroScopePlugIn::CAircraft aircraft) override;
  void OnAircraftControllerAssignedDataUpdate(EuroScopePlugIn::CAircraft aircraft,
                                              int dataType) override;
  EuroScopePlugIn::CRadarScreen* OnRadarScreenCreated(const char* displayName,
                                                      bool needRadarContent, bool geoReferenced,
                                                      bool canBeSaved, bool canBeCreated) override;
  bool OnCompileCommand(const char* commandLine) override;
  void OnGetTagItem(EuroScopePlugIn::CAircraft aircraft, int itemCode, int tagData,
                    char itemString[EuroScopePlugIn::TAG_ITEM_TEXT_SIZE], int* colorCode,
                    EuroScopePlugIn::ColorRef* rgb, double* fontSize) override;
  void OnFunctionCall(int functionCode, const char* itemString, EuroScopePlugIn::ScreenPoint point,
                      EuroScopePlugIn::ScreenRect area) override;

 private:
  const DoubleCalls& calls_;
  void* client_ = nullptr;
};

class ClientScreenAdapter final : public EuroScopePlugIn::CRadarScreen {
 public:
  explicit ClientScreenAdapter(const DoubleCalls& calls) : calls_(calls) {}

  // Asks the module's plug-in for its screen object of this display; false when it gives none.
  bool Attach(void* client_plugin, const char* display_name);

  void OnAsrContentLoaded(bool loaded) override;
  void OnAsrContentToBeSaved() override;
  void OnRefresh(EuroScopePlugIn::DeviceContext dc, int phase) override;
  void OnAsrContentToBeClosed() override;  // ends this object
  bool OnCompileCommand(const char* commandLine) override;
  void OnClickScreenObject(int objectType, const char* objectId, EuroScopePlugIn::ScreenPoint point,
                           EuroScopePlugIn::ScreenRect area, int button) override;
  void OnMoveScreenObject(int objectType, const char* objectId, EuroScopePlugIn::ScreenPoint point,
                          EuroScopePlugIn::ScreenRect area, bool released) override;

 private:
  const DoubleCalls& calls_;
  void* client_ = nullptr;  // the module's screen object (the client's CRadarScreen*)
};

}  // namespace kestrava::sim
