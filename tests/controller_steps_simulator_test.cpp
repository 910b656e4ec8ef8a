// The simulator's controller steps ("ground_state", "select", "function", "popup", "command") and
// the host events they lead to ("cleared_altitude_set", "popup_edit", "clipboard", "command") on
// the built module, and the steps' bad forms. (The module's records outlive an unload within one
// process on Linux, so the callsigns here are used by no other test.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/simulator_fixture.h"

namespace kestrava::sim {
namespace {

namespace fs = std::filesystem;

class ControllerSteps : public testing::SimulatorFixture {
 protected:
  int Run(const std::string& steps) {
    return RunScenario(R"({"start": "2024-06-05T07:40:00Z", "settings": {"SQK": "0",
               "SERVERLOCATION": "http://127.0.0.1:9/", "ALT1": "EGLL:CPT3G:6000:1"},
               "steps": [)" +
                       steps + "]}");
  }
  // The events of the run between "loaded" and "unloaded", one per line.
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    for (const std::string& line : EventLines()) {
      if (line.find(R"("event":"loaded")") != std::string::npos) continue;
      if (line.find(R"("event":"unloaded")") != std::string::npos) break;
      events.push_back(line);
    }
    return events;
  }
};

TEST_F(ControllerSteps, StepsReachThePlugInAndItsAnswersBecomeEvents) {
  ASSERT_EQ(Run(R"(
    {"t": 0, "flightplan": {"callsign": "CST1", "origin": "egll", "destination": "LEMD",
                            "sid": "cpt3g", "dep_rwy": "27R", "etd": "0755"}},
    {"t": 10, "select": {"callsign": "CST1"}},
    {"t": 10, "function": {"code": 39}},
    {"t": 12, "popup": {"text": "0805"}},
    {"t": 13, "function": {"code": 39}},
    {"t": 20, "ground_state": {"callsign": "CST1", "state": "PUSH"}},
    {"t": 21, "tags": {"callsign": "CST1"}},
    {"t": 30, "function": {"code": 38}},
    {"t": 40, "command": {"line": ".pdc CST1"}},
    {"t": 41, "command": {"line": ".pdc "}},
    {"t": 50, "select": {"callsign": null}},
    {"t": 50, "function": {"code": 37}},
    {"t": 51, "popup": {"text": "0900"}},
    {"t": 52, "ground_state": {"callsign": "CST2", "state": "push"}})"),
            kExitDone)
      << err_.str();
  const std::vector<std::string> expected = {
      R"({"t":0,"event":"cleared_altitude_set","callsign":"CST1","feet":6000})",
      R"({"t":10,"event":"popup_edit","code":40,"text":"0755"})",
      R"({"t":13,"event":"popup_edit","code":40,"text":"08:05"})",
      R"({"t":21,"event":"tags","callsign":"CST1","items":{"85":{"text":"LEMD"},)"
      R"("86":{"text":"08:05","rgb":8486256},"87":{"text":"07:40","rgb":11796480},)"
      R"("88":{"text":""},"89":{"text":""}}})",
      R"({"t":30,"event":"squawk_set","callsign":"CST1","code":"0200"})",
      R"({"t":30,"event":"cleared_altitude_set","callsign":"CST1","feet":6000})",
      R"({"t":40,"event":"clipboard","text":"CLD 0740 05062024 egll PDC 000\r\n)"
      R"(CST1 CLRD TO LEMD OFF 27R VIA cpt3g\r\nSQUAWK 0200 ADT 0755/ NEXT FREQ UNK\r\n)"
      R"(ATIS TEST"})",
      R"({"t":40,"event":"command","line":".pdc CST1","handled":true})",
      R"({"t":41,"event":"command","line":".pdc ","handled":false})",
  };
  EXPECT_EQ(Events(), expected);

  // The summary's "Alt" column holds the last cleared altitude set, "Squawk" the code (recycled).
  const std::string summary = out_.str();
  const std::size_t row = summary.find("\nCST1 ");
  ASSERT_NE(row, std::string::npos) << summary;
  const std::string line = summary.substr(row + 1, summary.find('\n', row + 1) - row - 1);
  EXPECT_EQ(line.substr(line.size() - 10), "6000  0200") << line;
}

TEST_F(ControllerSteps, BadFormsNameTheStepAndTheField) {
  struct Case {
    const char* step;
    const char* message;
  };
  const Case cases[] = {
      {R"({"t": 0, "ground_state": {"callsign": "A"}})", "steps[0].ground_state.state: missing"},
      {R"({"t": 0, "ground_state": {"callsign": "A", "state": 6}})",
       "steps[0].ground_state.state: expected a text, got a whole number"},
      {R"({"t": 0, "select": {}})", "steps[0].select.callsign: missing (a text, or null for none)"},
      {R"({"t": 0, "select": {"callsign": ["A"]}})",
       "steps[0].select.callsign: expected a text or null, got a list"},
      {R"({"t": 0, "function": {"code": "39"}})",
       "steps[0].function.code: expected a whole number, got a text"},
      {R"({"t": 0, "function": {"code": 39.5}})",
       "steps[0].function.code: expected a whole number, got a number with a fraction"},
      {R"({"t": 0, "popup": {}})", "steps[0].popup.text: missing"},
      {R"({"t": 0, "command": {"line": ".pdc A", "handled": true}})",
       "steps[0].command.handled: unknown field"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    EXPECT_EQ(Run(c.step), kExitBadScenario);
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(folder_ / "out" / "events.jsonl"));
  }
}

}  // namespace
}  // namespace kestrava::sim
