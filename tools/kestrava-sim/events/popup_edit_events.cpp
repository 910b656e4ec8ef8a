// "popup_edit" {code, text}: the plug-in opened the host's popup editor; its answer will come
// back under `code`, and `text` is what the editor showed at first.
#include <memory>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

class PopupEditEvents final : public standin::WorldObserver {
 public:
  explicit PopupEditEvents(Simulation& sim) : sim_(sim) {}
  void PopupEditOpened(const standin::PopupEdit& popup) override {
    sim_.Event("popup_edit", Json{{"code", popup.function_code}, {"text", popup.initial_text}});
  }

 private:
  Simulation& sim_;
};

}  // namespace

void RegisterPopupEditEvents(Extensions& extensions) {
  extensions.event_sources.push_back(
      [](Simulation& sim) { sim.AddObserver(std::make_unique<PopupEditEvents>(sim)); });
}

}  // namespace kestrava::sim
