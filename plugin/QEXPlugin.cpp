#include "plugin/QEXPlugin.h"

#include "plugin/callback_guard.h"
#include "plugin/log_settings.h"
#include "plugin/text_rules.h"
#include "squawk/service_location.h"
#include "squawk/service_workers.h"

namespace kestrava {
namespace {

constexpr char kDeveloper[] = "Kestrava developers";
constexpr char kLegalNotice[] = "Kestrava plug-in. Use at your own risk.";

struct Registration {
  const char* name;
  int code;
};

constexpr Registration kTagItems[] = {
    {"Intention Code", kItemIntentionCode},       {"Estimated Dep Time", kItemEstimatedDepTime},
    {"Actual Off-Block Time", kItemOffBlockTime}, {"Actual Take-Off Time", kItemTakeOffTime},
    {"Actual Landing Time", kItemLandingTime},
};

constexpr Registration kTagFunctions[] = {
    {"Recycle Squawk Code", kFunctionRecycleSquawk},
    {"Reset Calculated TO Time", kFunctionResetDepTime},
    {"Reset Initial Altitude", kFunctionResetInitialAltitude},
    {"Recycle Sqk & Alt", kFunctionRecycleSquawkAndAltitude},
    {"Edit Estimated Dep Time", kFunctionEditDepTime},
};

}  // namespace

QEXPlugin::QEXPlugin(Env& env, AircraftRegistry& registry)
    : CPlugIn(EuroScopePlugIn::COMPATIBILITY_CODE, kPlugInName, kPlugInVersion, kDeveloper,
              kLegalNotice),
      env_(env),
      registry_(registry),
      workers_(env) {
  ReadSettings();
  SetServiceLocation(GetDataFromSettings("SERVERLOCATION"));
  LoadSquawkAirports();
  LoadInitialAltitudes();
  RegisterItemsAndFunctions();
  const char* full_name = ControllerMyself().GetFullName();
  workers_.Start([&env = env_, &workers = workers_, &health = service_health_,
                  url_template = StartupUrlTemplate,
                  full_name = std::string(full_name != nullptr ? full_name : ""),
                  version = std::string(kPlugInVersion)](std::stop_token stop) {
    StartupWorker(env, workers, health, url_template, full_name, version, stop);
  });
}

QEXPlugin::~QEXPlugin() { workers_.StopAndJoin(); }

void QEXPlugin::ReadSettings() {
  const auto flag = [this](const char* key, bool fallback) {
    const char* text = GetDataFromSettings(key);
    return text == nullptr ? fallback : IsFlagOn(text);
  };
  const auto number = [this](const char* key, std::int32_t fallback) {
    const char* text = GetDataFromSettings(key);
    return text == nullptr ? fallback : LeadingInteger(text);
  };
  const auto colour = [&](const char* key, EuroScopePlugIn::ColorRef fallback) {
    return static_cast<EuroScopePlugIn::ColorRef>(number(key, static_cast<std::int32_t>(fallback)));
  };

  m_SquawkEnabled = flag("SQK", true);
  m_InitAltsEnabled = flag("ALT", true);
  m_TimeSeparator = flag("TIMESEP", true);
  m_AdtType = number("ADTTYPE", 3);
  m_EarlyColour = colour("EARLYCOL", 46080);
  m_LateColour = colour("LATECOL", 180);
  m_PushColour = colour("PUSHCOL", 11796480);
  m_TakeoffColour = colour("TOTCOL", 16508866);
  m_LandingColour = colour("LDTCOL", 7972310);
  m_ModifiedColour = colour("MODTCOL", 8486256);
  LogEnabled = flag("SAVELOG", false);
  const char* path = GetDataFromSettings("SAVELOGFILE");
  LogFilePath = path == nullptr ? kDefaultLogFilePath : path;
}

void QEXPlugin::RegisterItemsAndFunctions() {
  for (const Registration& item : kTagItems) RegisterTagItemType(item.name, item.code);
  for (const Registration& function : kTagFunctions) {
    RegisterTagItemFunction(function.name, function.code);
  }
}

}  // namespace kestrava
