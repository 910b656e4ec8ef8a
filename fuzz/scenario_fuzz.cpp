// A simulator scenario file of any bytes: it is read whole, or refused with a ScenarioError
// that names the file; nothing else may come out of reading it.
#include <string>

#include "fuzz/fuzz_input.h"
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kestrava::sim::Extensions* extensions =
      new kestrava::sim::Extensions(kestrava::sim::BuiltInExtensions());
  try {
    const kestrava::sim::Scenario scenario = kestrava::sim::ParseScenario(
        kestrava::fuzz::AsText(data, size), "fuzz.json", extensions->steps);
    for (std::size_t i = 1; i < scenario.steps.size(); ++i) {
      FUZZ_CHECK(scenario.steps[i - 1].t_millis <= scenario.steps[i].t_millis);
    }
  } catch (const kestrava::sim::ScenarioError& error) {
    FUZZ_CHECK(std::string_view(error.what()).starts_with("fuzz.json"));
  }
  return 0;
}
