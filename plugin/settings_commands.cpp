// The settings commands: each opens its dialog on copies of the plug-in's values and, only when
// the dialog ends with OK, takes the values back and saves them. A cancelled dialog changes
// nothing; the command counts as handled either way.
#include <string>

#include "plugin/QEXPlugin.h"
#include "plugin/text_rules.h"
#include "tags/EDTDlg.h"

namespace kestrava {

bool QEXPlugin::RunSettingsCommand(const std::string& argument) {
  if (argument != "t") return false;
  EditTimeSettings();
  return true;
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
