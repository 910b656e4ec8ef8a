// Records what the stand-in host reports about the plug-in's host operations, in order: settings
// saved, squawks and cleared altitudes set, popup editors opened.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/world.h"

namespace kestrava::testing {

class WorldRecorder : public standin::WorldObserver {
 public:
  struct SavedSetting {
    std::string key;
    std::string description;
    std::optional<std::string> value;  // nothing: the key was cleared
    friend bool operator==(const SavedSetting&, const SavedSetting&) = default;
  };

  void SettingsSaved(const std::string& key, const std::string& description,
                     const char* value) override {
    settings.push_back(
        {key, description, value == nullptr ? std::nullopt : std::optional<std::string>(value)});
  }
  void SquawkSet(const std::string& callsign, const std::string& code) override {
    squawks.emplace_back(callsign, code);
    order.push_back("squawk " + callsign + " " + code);
  }
  void ClearedAltitudeSet(const std::string& callsign, int feet) override {
    altitudes.emplace_back(callsign, feet);
    order.push_back("altitude " + callsign + " " + std::to_string(feet));
  }
  void PopupEditOpened(const standin::PopupEdit& popup) override { popups.push_back(popup); }

  std::vector<SavedSetting> settings;
  std::vector<std::pair<std::string, std::string>> squawks;
  std::vector<std::pair<std::string, int>> altitudes;
  std::vector<standin::PopupEdit> popups;
  std::vector<std::string> order;  // squawks and altitudes as they were set
};

}  // namespace kestrava::testing
