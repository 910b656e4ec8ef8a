// What the plug-in shows through the desktop: "notice" {caption, text}, "clipboard" {text} and
// "alarm" {display}.
#include <memory>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

class DesktopEvents final : public SimEnv::Listener {
 public:
  explicit DesktopEvents(Simulation& sim) : sim_(sim) {}
  void NoticeShown(const std::string& caption, const std::string& text) override {
    sim_.Event("notice", Json{{"caption", caption}, {"text", text}});
  }
  void ClipboardSet(const std::string& text) override {
    sim_.Event("clipboard", Json{{"text", text}});
  }
  void AlarmPlayed(const std::string& display) override {
    sim_.Event("alarm", Json{{"display", display}});
  }

 private:
  Simulation& sim_;
};

}  // namespace

void RegisterDesktopEvents(Extensions& extensions) {
  extensions.event_sources.push_back(
      [](Simulation& sim) { sim.AddListener(std::make_unique<DesktopEvents>(sim)); });
}

}  // namespace kestrava::sim
