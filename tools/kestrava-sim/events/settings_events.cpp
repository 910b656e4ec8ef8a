// "settings_saved" {key, description, value}: every plug-in setting the plug-in saves; value null
// when it clears the key.
#include <memory>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

class SettingsEvents final : public standin::WorldObserver {
 public:
  explicit SettingsEvents(Simulation& sim) : sim_(sim) {}
  void SettingsSaved(const std::string& key, const std::string& description,
                     const char* value) override {
    Json fields = Json::object();
    fields["key"] = key;
    fields["description"] = description;
    fields["value"] = value == nullptr ? Json(nullptr) : Json(value);
    sim_.Event("settings_saved", fields);
  }

 private:
  Simulation& sim_;
};

}  // namespace

void RegisterSettingsEvents(Extensions& extensions) {
  extensions.event_sources.push_back(
      [](Simulation& sim) { sim.AddObserver(std::make_unique<SettingsEvents>(sim)); });
}

}  // namespace kestrava::sim
