// The simulator's "tags" step on the built module: the items as the host asks for them, in the
// event log and the summary, and the step's bad forms. (The module's records outlive an unload
// within one process on Linux, so the callsigns here are used by no other test.)
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

class TagsStep : public testing::SimulatorFixture {
 protected:
  int Run(const std::string& steps) {
    return RunScenario(R"({"start": "2024-06-05T11:59:00Z", "settings": {"SQK": "0", "ALT": "0",
               "SERVERLOCATION": "http://127.0.0.1:9/"}, "steps": [)" +
                       steps + "]}");
  }
  // The "tags" events of the run, one per line.
  std::vector<std::string> TagEvents() const {
    std::vector<std::string> events;
    for (const std::string& line : EventLines()) {
      if (line.find(R"("event":"tags")") != std::string::npos) events.push_back(line);
    }
    return events;
  }
};

TEST_F(TagsStep, WritesTheItemsBeforeAndAfterDepartureTimeAndTakeOff) {
  ASSERT_EQ(Run(R"(
    {"t": 0, "flightplan": {"callsign": "TGS1", "destination": "LFPM", "etd": "1200",
                            "route": ["DVR", "SITET", "ABB"]}},
    {"t": 0, "flightplan": {"callsign": "TGS2", "destination": "lkpr", "route": ["X"]}},
    {"t": 1, "tags": {"callsigns": ["TGS1", "TGS2", "NOSUCH"]}},
    {"t": 120, "position": {"callsign": "TGS1", "lat": 51.1, "lon": -0.1, "gs": 40}},
    {"t": 125, "position": {"callsign": "TGS1", "lat": 51.1, "lon": -0.2, "gs": 90}},
    {"t": 126, "flightplan": {"callsign": "TGS1", "route_index": 2}},
    {"t": 127, "tags": {"callsign": "TGS1"}})"),
            kExitDone)
      << err_.str();
  const std::vector<std::string> expected = {
      R"({"t":1,"event":"tags","callsign":"TGS1","items":{"85":{"text":"E2"},)"
      R"("86":{"text":"12:00","rgb":46080},"87":{"text":""},"88":{"text":""},"89":{"text":""}}})",
      R"({"t":1,"event":"tags","callsign":"TGS2","items":{"85":{"text":"lkpr"},)"
      R"("86":{"text":""},"87":{"text":""},"88":{"text":""},"89":{"text":""}}})",
      R"({"t":1,"event":"tags","callsign":"NOSUCH","items":{}})",
      R"({"t":127,"event":"tags","callsign":"TGS1","items":{"85":{"text":"LFPM"},)"
      R"("86":{"text":"12:00","rgb":180},"87":{"text":""},"88":{"text":"12:01","rgb":16508866},)"
      R"("89":{"text":""}}})",
  };
  EXPECT_EQ(TagEvents(), expected);

  // The summary's tag columns (Intention, EDT, AOBT, ATOT, ALDT) hold the last texts.
  const std::string summary = out_.str();
  EXPECT_NE(summary.find("Intention  EDT    AOBT  ATOT   ALDT"), std::string::npos) << summary;
  const std::size_t row = summary.find("\nTGS1 ");
  ASSERT_NE(row, std::string::npos) << summary;
  const std::string line = summary.substr(row + 1, summary.find('\n', row + 1) - row - 1);
  EXPECT_NE(line.find("LFPM       12:00  -     12:01  -"), std::string::npos) << line;
}

TEST_F(TagsStep, BadFormsNameTheStepAndTheField) {
  struct Case {
    const char* step;
    const char* message;
  };
  const Case cases[] = {
      {R"({"t": 0, "tags": {}})", "steps[0].tags.callsign: missing (a text is required)"},
      {R"({"t": 0, "tags": {"callsign": "A", "callsigns": ["B"]}})",
       R"(steps[0].tags: give either "callsign" or "callsigns", not both)"},
      {R"({"t": 0, "tags": {"callsigns": []}})",
       "steps[0].tags.callsigns: must name at least one aircraft"},
      {R"({"t": 0, "tags": {"callsigns": ["A", 7]}})",
       "steps[0].tags.callsigns[1]: expected a text, got a whole number"},
      {R"({"t": 0, "tags": {"callsign": "A", "items": [85]}})",
       "steps[0].tags.items: unknown field"},
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
