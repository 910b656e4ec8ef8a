// The plug-in object: the one object through which the host talks to the module.
//
// Constructed by EuroScopePlugInInit on the host's thread: reads every plug-in setting (missing
// ones take their defaults), loads the squawk airport list and the initial altitude table,
// registers the tag items and functions, and starts the start-up exchange on a worker. Every
// callback runs on the host's thread; none lets an exception escape.
//
// Ownership: owns its settings, its two lists and its workers. The destructor stops and joins
// the workers (bounded) before anything else goes, and saves nothing.
#pragma once

#include <string>
#include <vector>

#include "aircraft/AircraftRegistry.h"
#include "aircraft/statistics_log_health.h"
#include "altitudes/CAltEntry.h"
#include "platform/env.h"
#include "platform/worker_group.h"
#include "plugin/EuroScopePlugIn.h"
#include "squawk/CICAOEntry.h"
#include "squawk/service_health.h"

namespace kestrava {

inline constexpr char kPlugInName[] = "Kestrava";
inline constexpr char kPlugInVersion[] = "1.0";

// Tag item codes.
inline constexpr int kItemIntentionCode = 85;
inline constexpr int kItemEstimatedDepTime = 86;
inline constexpr int kItemOffBlockTime = 87;
inline constexpr int kItemTakeOffTime = 88;
inline constexpr int kItemLandingTime = 89;

// Tag function codes; 40 is the popup editor's answer and is not registered.
inline constexpr int kFunctionRecycleSquawk = 36;
inline constexpr int kFunctionResetInitialAltitude = 37;
inline constexpr int kFunctionRecycleSquawkAndAltitude = 38;
inline constexpr int kFunctionEditDepTime = 39;
inline constexpr int kFunctionDepTimeTyped = 40;
inline constexpr int kFunctionResetDepTime = 41;

class QEXPlugin : public EuroScopePlugIn::CPlugIn {
 public:
  // `env` and `registry` must outlive the object.
  explicit QEXPlugin(Env& env, AircraftRegistry& registry = ProcessAircraftRegistry());
  ~QEXPlugin() override;

  // Host callbacks.
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

  // Squawk codes: asks the service for a code when the aircraft needs one (never blocks).
  void RequestSquawk(EuroScopePlugIn::CAircraft aircraft);
  // Squawk airport list, from and to the settings store.
  void LoadSquawkAirports();
  void SaveSquawkAirports();
  // Initial altitudes: sets the cleared altitude from the table (below 60 knots unless forced).
  void ApplyInitialAltitude(EuroScopePlugIn::CAircraft aircraft, bool force);
  // Initial altitude table, from and to the settings store.
  void LoadInitialAltitudes();
  void SaveInitialAltitudes();

  Env& env() { return env_; }
  AircraftRegistry& registry() { return registry_; }
  WorkerGroup& workers() { return workers_; }
  SquawkServiceHealth& service_health() { return service_health_; }

  std::vector<CICAOEntry> m_SquawkAirports;
  std::vector<CAltEntry> m_InitialAltitudes;
  bool m_InitAltsEnabled = true;
  bool m_SquawkEnabled = true;
  bool m_TimeSeparator = true;
  std::int32_t m_AdtType = 3;
  EuroScopePlugIn::ColorRef m_EarlyColour = 46080;
  EuroScopePlugIn::ColorRef m_LateColour = 180;
  EuroScopePlugIn::ColorRef m_PushColour = 11796480;
  EuroScopePlugIn::ColorRef m_TakeoffColour = 16508866;
  EuroScopePlugIn::ColorRef m_LandingColour = 7972310;
  EuroScopePlugIn::ColorRef m_ModifiedColour = 8486256;
  std::string m_EditCallsign;

 private:
  void ReadSettings();
  void RegisterItemsAndFunctions();
  // The settings commands ".qex"/".zyt" with "s", "i", "t" or "l": runs the dialog and, after
  // OK, takes its values and saves them. False for any other argument.
  bool RunSettingsCommand(const std::string& argument);
  void EditSquawkAirports();
  void EditInitialAltitudes();
  void EditTimeSettings();
  void EditLogSettings();

  Env& env_;
  AircraftRegistry& registry_;
  // What the controller has been told of failing services; workers' tasks reach the first.
  SquawkServiceHealth service_health_{*this, m_SquawkEnabled};
  StatisticsLogHealth log_health_{*this};
  WorkerGroup workers_;  // stopped first in the destructor
};

// The one plug-in object of the module, set by EuroScopePlugInInit; null when none exists.
inline QEXPlugin* thePlugIn = nullptr;

}  // namespace kestrava
