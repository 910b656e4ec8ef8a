// The stored squawk airport list from any bytes (one stored value per line, SQK1, SQK2, ...):
// what loads is upper case and colon-free, and saving it and loading it again gives the same
// list.
#include <memory>
#include <string>

#include "aircraft/AircraftRegistry.h"
#include "fuzz/fuzz_input.h"
#include "host/world.h"
#include "plugin/QEXPlugin.h"
#include "plugin/text_rules.h"
#include "tests/support/fake_env.h"

namespace {

struct Host {
  Host() {
    plugin = std::make_unique<kestrava::QEXPlugin>(env, registry);
    world.AttachPlugIn(plugin.get());
  }

  kestrava::testing::FakeEnv env;
  kestrava::AircraftRegistry registry;
  standin::World world;
  std::unique_ptr<kestrava::QEXPlugin> plugin;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Host* host = new Host;
  host->world.UseSettings(std::make_unique<standin::SettingsStore>());
  int n = 0;
  for (const std::string_view value :
       kestrava::fuzz::Parts(kestrava::fuzz::AsText(data, size), '\n')) {
    // A stored value is a C string.
    host->world.settings().Preset("SQK" + std::to_string(++n),
                                  std::string(value.substr(0, value.find('\0'))));
  }

  kestrava::QEXPlugin& plugin = *host->plugin;
  plugin.LoadSquawkAirports();
  const std::vector<kestrava::CICAOEntry> loaded = plugin.m_SquawkAirports;
  FUZZ_CHECK(loaded.size() <= static_cast<std::size_t>(n));
  for (const kestrava::CICAOEntry& entry : loaded) {
    FUZZ_CHECK(!entry.m_Icao.empty());
    FUZZ_CHECK(entry.m_Icao.find(':') == std::string::npos);
    FUZZ_CHECK(entry.m_Icao == kestrava::AsciiUpper(entry.m_Icao));
  }
  plugin.SaveSquawkAirports();
  plugin.LoadSquawkAirports();
  FUZZ_CHECK(plugin.m_SquawkAirports == loaded);
  return 0;
}
