// A scenario that names its own squawk service: the simulator starts none and the plug-in's
// requests go to the service named; one that names rules: the simulator's service uses them.
// (Callsigns used by no other test: the module's records outlive an unload within one process on
// Linux.)
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scripted_http_server.h"
#include "tests/support/simulator_fixture.h"

namespace kestrava::sim::testing {
namespace {

using kestrava::testing::ScriptedHttpServer;

class SquawkHttpSimulator : public SimulatorFixture {};

TEST_F(SquawkHttpSimulator, ScenarioNamingTheServiceIsNotRedirected) {
  ScriptedHttpServer named;
  named.SetReply("sqk_startup.php", {200, "7:1"});
  named.SetReply("sqk_assign.php", {200, "1a2b"});
  ASSERT_EQ(RunScenario(R"({"start": "2024-06-05T07:40:00Z",
      "controller": {"callsign": "EGLL_DEL", "name": "Jane Doe", "facility": 2},
      "settings": {"SQK1": "EGLL:1", "ALT": "0", "SERVERLOCATION": ")" +
                        named.BaseUrl() + R"("},
      "steps": [{"t": 0, "flightplan": {"callsign": "SQS6", "origin": "EGLL",
                                        "destination": "LFPG"}}]})"),
            0)
      << err_.str();
  // The start-up and assignment requests, in either order.
  int startup = 0;
  int assign = 0;
  for (const std::string& line : named.RequestLines()) {
    startup += line.starts_with("GET /qex/sqk_startup.php?") ? 1 : 0;
    assign += line.starts_with("GET /qex/sqk_assign.php?depicao=EGLL&arricao=LFPG") ? 1 : 0;
  }
  EXPECT_EQ(startup, 1);
  EXPECT_EQ(assign, 1);
  EXPECT_EQ(named.RequestLines().size(), 2u);
  std::vector<std::string> squawks;
  for (const std::string& line : EventLines()) {
    if (line.find(R"("event":"squawk_set")") != std::string::npos) squawks.push_back(line);
  }
  EXPECT_EQ(squawks, std::vector<std::string>{
                         R"({"t":0,"event":"squawk_set","callsign":"SQS6","code":"1530"})"});
}

// The example of a group's own rules: the simulator's local service started from the rules file
// the scenario names, each departure given a code of the range its rules choose.
TEST_F(SquawkHttpSimulator, ExampleScenarioGetsCodesFromTheGroupsRules) {
  std::ifstream in(std::string(KESTRAVA_SOURCE_DIR) + "/examples/regional_squawks.json");
  std::stringstream text;
  text << in.rdbuf();
  std::string scenario = text.str();
  const std::string relative = "../squawk-service/packaging/rules.toml";
  scenario.replace(scenario.find(relative), relative.size(),
                   std::string(KESTRAVA_SOURCE_DIR) + "/squawk-service/packaging/rules.toml");
  ASSERT_EQ(RunScenario(scenario), 0) << err_.str();
  std::vector<std::string> squawks;
  for (const std::string& line : EventLines()) {
    if (line.find(R"("event":"squawk_set")") != std::string::npos) squawks.push_back(line);
  }
  EXPECT_EQ(squawks, (std::vector<std::string>{
                         R"({"t":0,"event":"squawk_set","callsign":"BAW1442","code":"6201"})",
                         R"({"t":10,"event":"squawk_set","callsign":"KLM1008","code":"2301"})",
                         R"({"t":20,"event":"squawk_set","callsign":"EZY8613","code":"3001"})",
                         R"({"t":30,"event":"squawk_set","callsign":"RYR12AB","code":"3701"})",
                         R"({"t":40,"event":"squawk_set","callsign":"EIN154","code":"5001"})",
                         R"({"t":60,"event":"squawk_set","callsign":"EZY8614","code":"6202"})"}));
}

}  // namespace
}  // namespace kestrava::sim::testing
