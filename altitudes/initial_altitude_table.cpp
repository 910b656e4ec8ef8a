// The initial altitude table in the host's plug-in settings: rows under ALT1, ALT2, … without
// gaps, and the feature's switch under "ALT".
#include "altitudes/altitude_row.h"
#include "plugin/QEXPlugin.h"

namespace kestrava {

void QEXPlugin::LoadInitialAltitudes() {
  m_InitialAltitudes.clear();
  for (int n = 1;; ++n) {
    const char* stored = GetDataFromSettings(AltitudeRowKey(n).c_str());
    if (stored == nullptr) return;  // the first absent key ends the table
    if (std::optional<CAltEntry> row = ParseAltitudeRow(stored)) {
      m_InitialAltitudes.push_back(std::move(*row));
    }
  }
}

void QEXPlugin::SaveInitialAltitudes() {
  // Clear the old rows first, so that a shorter table leaves no stale row behind its end.
  for (int n = 1;; ++n) {
    const std::string key = AltitudeRowKey(n);
    if (GetDataFromSettings(key.c_str()) == nullptr) break;
    SaveDataToSettings(key.c_str(), key.c_str(), nullptr);
  }
  int n = 0;
  for (const CAltEntry& row : m_InitialAltitudes) {
    const std::string key = AltitudeRowKey(++n);
    SaveDataToSettings(key.c_str(), key.c_str(), AltitudeRowText(row).c_str());
  }
  SaveDataToSettings("ALT", "ALT", m_InitAltsEnabled ? "1" : "0");
}

}  // namespace kestrava
