// Typed command lines of any bytes, offered as the host does: to the plug-in, then to a radar
// display's object. The controller cancels every dialog a command opens.
#include <memory>
#include <string>

#include "aircraft/AircraftRegistry.h"
#include "fuzz/fuzz_input.h"
#include "host/world.h"
#include "plugin/QEXPlugin.h"
#include "tests/support/fake_env.h"

namespace {

class CancellingEnv : public kestrava::testing::FakeEnv {
 public:
  int RunModalDialog(const kestrava::DialogRequest& /*request*/) override {
    return kestrava::kIdCancel;
  }
};

struct Host {
  Host() {
    standin::Aircraft& a = world.AddOrGetAircraft("BAW1");
    a.flight_plan.origin = "EGLL";
    a.flight_plan.destination = "LFPG";
    a.flight_plan.sid = "BPK7F";
    a.squawk = "4621";
    plugin = std::make_unique<kestrava::QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
    standin::DisplayOptions options;
    options.name = "fuzz";
    options.width = 64;
    options.height = 64;
    std::string error;
    FUZZ_CHECK(world.displays().Open(options, error) != nullptr);
  }

  CancellingEnv env;
  kestrava::AircraftRegistry registry;
  standin::World world;
  std::unique_ptr<kestrava::QEXPlugin> plugin;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Host* host = new Host;  // one host for the whole run, as in the client
  const std::string_view text = kestrava::fuzz::AsText(data, size);
  const std::string line(text.substr(0, text.find('\0')));  // the host's line is a C string
  host->env.clipboard.clear();
  const bool handled = host->world.CompileCommand(line);
  // Every command the plug-in or a display answers is a dot command of at least three characters.
  FUZZ_CHECK(!handled || (line.size() >= 3 && line[0] == '.') || line.size() >= 5);
  FUZZ_CHECK(host->env.clipboard.size() <= 1);
  return 0;
}
