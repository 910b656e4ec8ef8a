// The settings commands: each opens its dialog on copies of the plug-in's values and, only when
// the dialog ends with OK, takes the values back and saves them. A cancelled dialog changes
// nothing; the command counts as handled either way.
#include <string>

#include "aircraft/DlgLog.h"
#include "altitudes/CInitAlts.h"
#include "plugin/QEXPlugin.h"
#include "plugin/log_settings.h"
#include "plugin/text_rules.h"
#include "squawk/SqkIcaos.h"
#include "tags/EDTDlg.h"

namespace kestrava {

bool QEXPlugin::RunSettingsCommand(const std::string& argument) {
  if (argument == "s") {
    EditSquawkAirports();
  } else if (argument == "i") {
    EditInitialAltitudes();
  } else if (argument == "t") {
    EditTimeSettings();
  } else if (argument == "l") {
    EditLogSettings();
  } else {
    return false;
  }
  return true;
}

void QEXPlugin::EditSquawkAirports() {
  SqkIcaos dialog(env());
  for (const CICAOEntry& entry : m_SquawkAirports) dialog.AddEntry(entry);
  dialog.m_EnableSquawk = m_SquawkEnabled ? 1 : 0;
  if (dialog.DoModal() != kIdOk) return;
  if (!m_SquawkEnabled && dialog.m_EnableSquawk != 0) service_health_.CodesSwitchedOn();
  m_SquawkEnabled = dialog.m_EnableSquawk != 0;
  m_SquawkAirports = dialog.m_Entries;
  SaveSquawkAirports();
}

void QEXPlugin::EditInitialAltitudes() {
  CInitAlts dialog(env());
  for (const CAltEntry& row : m_InitialAltitudes) dialog.AddEntry(row);
  dialog.m_EnableAltitudes = m_InitAltsEnabled ? 1 : 0;
  if (dialog.DoModal() != kIdOk) return;
  m_InitAltsEnabled = dialog.m_EnableAltitudes != 0;
  m_InitialAltitudes = dialog.m_Entries;
  SaveInitialAltitudes();
}

void QEXPlugin::EditLogSettings() {
  DlgLog dialog(env());
  dialog.m_FilePath = LogFilePath;
  dialog.m_EnableLog = LogEnabled ? 1 : 0;
  if (dialog.DoModal() != kIdOk) return;
  // Taken as typed; the next take-off or landing uses it.
  LogEnabled = dialog.m_EnableLog != 0;
  LogFilePath = dialog.m_FilePath;
  SaveDataToSettings("SAVELOG", "Save Log", LogEnabled ? "1" : "0");
  SaveDataToSettings("SAVELOGFILE", "Log File Path", LogFilePath.c_str());
}

void QEXPlugin::EditTimeSettings() {
  EDTDlg dialog(env());
  dialog.m_TimeSep = m_TimeSeparator ? 1 : 0;
  dialog.m_AdtType = m_AdtType;
  dialog.m_Early = m_EarlyColour;
  dialog.m_Late = m_LateColour;
  dialog.m_Push = m_PushColour;
  dialog.m_Takeoff = m_TakeoffColour;
  dialog.m_Landing = m_LandingColour;
  dialog.m_Modified = m_ModifiedColour;
  if (dialog.DoModal() != kIdOk) return;

  m_TimeSeparator = dialog.m_TimeSep != 0;
  // No chosen format (index -1) gives format 0, which shows no recorded times.
  m_AdtType = dialog.m_AdtIndex + 1;
  m_EarlyColour = dialog.m_Early;
  m_LateColour = dialog.m_Late;
  m_PushColour = dialog.m_Push;
  m_TakeoffColour = dialog.m_Takeoff;
  m_LandingColour = dialog.m_Landing;
  m_ModifiedColour = dialog.m_Modified;

  SaveDataToSettings("TIMESEP", "Time Seperator", m_TimeSeparator ? "1" : "0");
  SaveDataToSettings("ADTTYPE", "Actual TOT Format",
                     UnsignedText(static_cast<std::uint32_t>(m_AdtType)).c_str());
  const struct {
    const char* key;
    const char* description;
    EuroScopePlugIn::ColorRef colour;
  } colours[] = {
      {"EARLYCOL", "Early Time Colour", m_EarlyColour},
      {"LATECOL", "Late Time Colour", m_LateColour},
      {"PUSHCOL", "Push Time Colour", m_PushColour},
      {"TOTCOL", "Takeoff Time Colour", m_TakeoffColour},
      {"LDTCOL", "Landing Time Colour", m_LandingColour},
      {"MODTCOL", "Modified Time Colour", m_ModifiedColour},
  };
  for (const auto& c : colours)
    SaveDataToSettings(c.key, c.description, UnsignedText(c.colour).c_str());
}

}  // namespace kestrava
