// A scenario that names its own squawk service: the simulator starts none and the plug-in's
// requests go to the service named. (Callsigns used by no other test: the module's records
// outlive an unload within one process on Linux.)
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kestrava::sim::testing
