// "user_message" {handler, sender, message}: the plug-in showed a message in the host's message
// area.
#include <memory>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

class UserMessageEvents final : public standin::WorldObserver {
 public:
  explicit UserMessageEvents(Simulation& sim) : sim_(sim) {}
  void UserMessageShown(const standin::UserMessage& message) override {
    sim_.Event("user_message", Json{{"handler", message.handler},
                                    {"sender", message.sender},
                                    {"message", message.message}});
  }

 private:
  Simulation& sim_;
};

}  // namespace

void RegisterUserMessageEvents(Extensions& extensions) {
  extensions.event_sources.push_back(
      [](Simulation& sim) { sim.AddObserver(std::make_unique<UserMessageEvents>(sim)); });
}

}  // namespace kestrava::sim
