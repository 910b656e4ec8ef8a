// "squawk_service": {"serving": false} stops the local reference squawk service (requests are
// refused from then on), {"serving": true} serves again on the same address: a service outage
// and its end. Writes "squawk_service" {serving}. Only for runs on the local service: a scenario
// naming its own "SERVERLOCATION" cannot play it (exit 2).
#include <optional>
#include <string>

#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/local_squawk_service.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {

void RegisterSquawkServiceStep(Extensions& extensions) {
  extensions.steps.Add("squawk_service", [](StepArgs& args) -> StepAction {
    const std::optional<bool> serving = args.OptionalFlag("serving");
    if (!serving) args.Fail("serving", "missing (true or false)");
    const std::string where = args.where();
    return [serving = *serving, where](Simulation& sim) {
      LocalSquawkService* service = sim.squawk_service();
      if (service == nullptr) {
        throw ScenarioError(where +
                            ": no local squawk service in this run (the settings name a "
                            "SERVERLOCATION, or it could not start)");
      }
      std::string error;
      if (!service->SetServing(serving, error)) throw ScenarioError(where + ": " + error);
      sim.Event("squawk_service", Json{{"serving", serving}});
    };
  });
}

}  // namespace kestrava::sim
