// Squawk codes in the simulator: the reference service it starts on 127.0.0.1, the "squawk_set"
// events and the controller's "squawk" step.
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

}  // namespace
}  // namespace kestrava::sim
