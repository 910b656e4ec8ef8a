// Squawk codes in the simulator: the reference service it starts on 127.0.0.1, the "squawk_set"
// events, the controller's "squawk" step and the service's outage ("squawk_service").
// (The module's records outlive an unload within one process on Linux, so the callsigns here
// are used by no other test.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/kestrava-sim/simulator.h"

namespace kestrava::sim {
namespace {

namespace fs = std::filesystem;

class SquawkSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / (std::string("kestrava-squawk-sim-") + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  int Run(const std::string& settings, const std::string& steps) {
    const fs::path scenario = folder_ / "scenario.json";
    std::ofstream(scenario, std::ios::binary) << R"({"start": "2024-06-05T07:40:00Z",
               "controller": {"callsign": "EGLL_DEL", "name": "Jane Doe", "facility": 2},
               "settings": {)" << settings << R"(}, "steps": [)"
                                              << steps << "]}";
    return RunSimulator(
        {scenario.string(), "--out", (folder_ / "out").string(), "--module", KESTRAVA_MODULE},
        "kestrava-sim", out_, err_);
  }
  // The "squawk_set" events of the run, in order.
  std::vector<std::string> SquawkEvents() const {
    std::ifstream in(folder_ / "out" / "events.jsonl", std::ios::binary);
    std::vector<std::string> events;
    for (std::string line; std::getline(in, line);) {
      if (line.find(R"("event":"squawk_set")") != std::string::npos) events.push_back(line);
    }
    return events;
  }

  fs::path folder_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(SquawkSimulator, DeparturesGetCodesFromTheLocalService) {
  ASSERT_EQ(
      Run(R"("SQK1": "EGLL:1", "ALT": "0")",
          R"({"t": 0, "flightplan": {"callsign": "SQS1", "origin": "EGLL", "destination": "LFPG"}},
                   {"t": 5, "flightplan": {"callsign": "SQS2", "origin": "egll", "destination": "EDDF"}},
                   {"t": 6, "flightplan": {"callsign": "SQS3", "origin": "EGKK", "destination": "EDDF"}},
                   {"t": 10, "squawk": {"callsign": "SQS1", "code": "0200"}},
                   {"t": 20, "squawk": {"callsign": "SQS2", "code": "7421"}},
                   {"t": 30, "flightplan": {"callsign": "SQS2", "destination": "EDDM"}})"),
      0)
      << err_.str();
  // The service's default range starts at 4001; the recycled code gets a fresh one.
  EXPECT_EQ(SquawkEvents(),
            (std::vector<std::string>{
                R"({"t":0,"event":"squawk_set","callsign":"SQS1","code":"4001"})",
                R"({"t":5,"event":"squawk_set","callsign":"SQS2","code":"4002"})",
                R"({"t":10,"event":"squawk_set","callsign":"SQS1","code":"4003"})"}));
  EXPECT_EQ(err_.str(), "");
}

TEST_F(SquawkSimulator, SquawkStepNeedsCallsignAndCode) {
  EXPECT_NE(Run(R"("SQK": "0")", R"({"t": 0, "squawk": {"callsign": "SQS5"}})"), 0);
  EXPECT_NE(err_.str().find("squawk.code"), std::string::npos) << err_.str();
  EXPECT_NE(Run(R"("SQK": "0")", R"({"t": 0, "squawk": {"callsign": "SQS5", "code": "1234",
                                                          "extra": 1}})"),
            0);
}

TEST_F(SquawkSimulator, AnOutageOfTheLocalServiceAndItsEnd) {
  ASSERT_EQ(Run(R"("SQK1": "EGLL:1", "ALT": "0")",
                R"({"t": 5, "squawk_service": {"serving": false}},
             {"t": 10, "flightplan": {"callsign": "SQS7", "origin": "EGLL", "destination": "LFPG"}},
             {"t": 20, "flightplan": {"callsign": "SQS8", "origin": "EGLL", "destination": "LFPG"}},
             {"t": 60, "squawk_service": {"serving": true}},
             {"t": 60, "squawk_service": {"serving": true}},
             {"t": 90, "flightplan": {"callsign": "SQS7", "destination": "LFPO"}})"),
            0)
      << err_.str();
  // Refused while down, said once; the code and the message of its end once it serves again.
  std::ifstream in(folder_ / "out" / "events.jsonl", std::ios::binary);
  std::vector<std::string> events;
  for (std::string line; std::getline(in, line);) {
    if (line.find(R"("event":"loaded")") == std::string::npos &&
        line.find(R"("event":"settings")") == std::string::npos) {
      events.push_back(line.substr(0, line.find("http://")));
    }
  }
  EXPECT_EQ(events,
            (std::vector<std::string>{
                R"({"t":5,"event":"squawk_service","serving":false})",
                R"({"t":10,"event":"user_message","handler":"Kestrava","sender":"Squawk service",)"
                R"("message":"No squawk codes: the squawk service at )",
                R"({"t":60,"event":"squawk_service","serving":true})",
                R"({"t":60,"event":"squawk_service","serving":true})",
                R"({"t":90,"event":"user_message","handler":"Kestrava","sender":"Squawk service",)"
                R"("message":"Squawk codes are coming again from the squawk service at )",
                R"({"t":90,"event":"squawk_set","callsign":"SQS7","code":"4001"})",
                R"({"t":90,"event":"unloaded"})"}));

  // Only for the simulator's own service.
  EXPECT_EQ(Run(R"("SERVERLOCATION": "http://127.0.0.1:9/")",
                R"({"t": 5, "squawk_service": {"serving": false}})"),
            kExitBadScenario);
  EXPECT_NE(err_.str().find("no local squawk service"), std::string::npos) << err_.str();
  EXPECT_EQ(Run("", R"({"t": 5, "squawk_service": {}})"), kExitBadScenario);
  EXPECT_NE(err_.str().find("squawk_service.serving"), std::string::npos) << err_.str();
}

}  // namespace
}  // namespace kestrava::sim
