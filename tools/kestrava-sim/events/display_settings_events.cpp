// "display_settings_saved" {display, key, description, value}: every display setting a screen
// object saves; value null when it clears the key.
#include <memory>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

class DisplaySettingsEvents final : public standin::WorldObserver {
 public:
  explicit DisplaySettingsEvents(Simulation& sim) : sim_(sim) {}
  void DisplaySettingsSaved(const std::string& display, const std::string& key,
                            const std::string& description, const char* value) override {
    Json fields = Json::object();
    fields["display"] = display;
    fields["key"] = key;
    fields["description"] = description;
    fields["value"] = value == nullptr ? Json(nullptr) : Json(value);
    sim_.Event("display_settings_saved", fields);
  }

 private:
  Simulation& sim_;
};

}  // namespace

void RegisterDisplaySettingsEvents(Extensions& extensions) {
  extensions.event_sources.push_back(
      [](Simulation& sim) { sim.AddObserver(std::make_unique<DisplaySettingsEvents>(sim)); });
}

}  // namespace kestrava::sim
