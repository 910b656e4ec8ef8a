// Runs the simulator on the built module with a scenario written into a folder of the test's own,
// and reads back what it wrote.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/kestrava-sim/simulator.h"

namespace kestrava::sim::testing {

class SimulatorFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("kestrava-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Writes `scenario` (JSON text) and plays it; returns the simulator's exit code.
  int RunScenario(const std::string& scenario) {
    const std::filesystem::path path = folder_ / "scenario.json";
    std::ofstream(path, std::ios::binary) << scenario;
    out_.str("");
    err_.str("");
    return RunSimulator(
        {path.string(), "--out", (folder_ / "out").string(), "--module", KESTRAVA_MODULE},
        "kestrava-sim", out_, err_);
  }

  // The lines of the event log, in order.
  std::vector<std::string> EventLines() const {
    std::ifstream in(folder_ / "out" / "events.jsonl", std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::filesystem::path folder_;
  std::ostringstream out_;
  std::ostringstream err_;
};

}  // namespace kestrava::sim::testing
