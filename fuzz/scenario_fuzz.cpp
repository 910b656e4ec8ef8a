// A simulator scenario file of any bytes: it is checked whole, or refused with a ScenarioError
// that names the file; nothing else may come out of reading it. A scenario that passes the check
// reads back, in the second pass, as steps whose times never decrease.
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "fuzz/fuzz_input.h"
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kestrava::sim::Extensions* extensions =
      new kestrava::sim::Extensions(kestrava::sim::BuiltInExtensions());
  // The reader streams from a file, as the simulator does.
  static const std::string path = "/tmp/kestrava-fuzz-scenario-" + std::to_string(getpid());
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << kestrava::fuzz::AsText(data, size);
  }
  try {
    const kestrava::sim::Scenario scenario = kestrava::sim::CheckScenario(path, extensions->steps);
    std::int64_t previous = 0;
    std::size_t count = 0;
    kestrava::sim::ReadScenarioSteps(scenario, extensions->steps,
                                     [&](kestrava::sim::ScenarioStep&& step) {
                                       FUZZ_CHECK(step.t_millis >= previous);
                                       previous = step.t_millis;
                                       ++count;
                                       return true;
                                     });
    FUZZ_CHECK(count == scenario.step_count);
  } catch (const kestrava::sim::ScenarioError& error) {
    FUZZ_CHECK(std::string_view(error.what()).starts_with(path));
  }
  return 0;
}
