// The squawk airport list in the plug-in settings: one numbered key per entry, "ICAO:1" or
// "ICAO:0", numbered from SQK1 without gaps, and the feature switch "SQK".
#include <string>
#include <string_view>
#include <vector>

#include "plugin/QEXPlugin.h"
#include "plugin/text_rules.h"

namespace kestrava {
namespace {

// Only this much of a stored entry is read.
constexpr std::size_t kEntryReadLimit = 255;

std::string EntryKey(int n) { return "SQK" + std::to_string(n); }

}  // namespace

void QEXPlugin::LoadSquawkAirports() {
  m_SquawkAirports.clear();
  for (int n = 1;; ++n) {
    const char* stored = GetDataFromSettings(EntryKey(n).c_str());
    if (stored == nullptr) break;
    const std::string_view value = std::string_view(stored).substr(0, kEntryReadLimit);
    const std::vector<std::string_view> fields = SplitFields(value);
    if (fields.size() < 2) continue;
    m_SquawkAirports.push_back(CICAOEntry{AsciiUpper(fields[0]), IsFlagOn(fields[1])});
  }
}

void QEXPlugin::SaveSquawkAirports() {
  for (int n = 1; GetDataFromSettings(EntryKey(n).c_str()) != nullptr; ++n) {
    const std::string key = EntryKey(n);
    SaveDataToSettings(key.c_str(), key.c_str(), nullptr);
  }
  int n = 0;
  for (const CICAOEntry& entry : m_SquawkAirports) {
    const std::string key = EntryKey(++n);
    const std::string value = entry.m_Icao + (entry.m_Enabled ? ":1" : ":0");
    SaveDataToSettings(key.c_str(), key.c_str(), value.c_str());
  }
  SaveDataToSettings("SQK", "SQK", m_SquawkEnabled ? "1" : "0");
}

}  // namespace kestrava
