// The simulator's radar display steps and events on the built module: countdown alarms at their
// simulated second, a dragged clock saved on closing, snapshots, and bad display steps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/simulator_fixture.h"
#include "tools/kestrava-sim/simulator.h"

namespace kestrava::sim {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The events of a run without the "loaded" line, which other tests check.
std::string EventsAfterLoading(const fs::path& path) {
  const std::string events = ReadFile(path);
  const std::size_t first_line_end = events.find('\n');
  return first_line_end == std::string::npos ? events : events.substr(first_line_end + 1);
}

class ScreenSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / (std::string("kestrava-screen-sim-") + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  int Run(const std::string& scenario) {
    const fs::path path = folder_ / "scenario.json";
    std::ofstream(path, std::ios::binary) << scenario;
    out_.str("");
    err_.str("");
    return RunSimulator(
        {path.string(), "--out", (folder_ / "out").string(), "--module", KESTRAVA_MODULE},
        "kestrava-sim", out_, err_);
  }

  // The display settings files in the output folder.
  std::vector<fs::path> SettingsFiles() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder_ / "out")) {
      if (entry.path().extension() == ".asr") files.push_back(entry.path());
    }
    return files;
  }

  fs::path folder_;
  std::ostringstream out_;
  std::ostringstream err_;
};

constexpr char kOpen[] =
    R"({"t": 0, "display_open": {"name": "Sim Radar", "width": 300, "height": 200,
        "center": [51.47, -0.45], "scale_nm": 10,
        "settings": {"CDXPOS": "10", "CDYPOS": "10", "MAXTRAIL": "4"}}})";

TEST_F(ScreenSimulator, AlarmsAtTheirSimulatedSecondsAndTheDraggedClockSavedOnClosing) {
  ASSERT_EQ(Run(std::string(R"({"start": "2024-06-05T14:00:00Z",
    "settings": {"SQK": "0", "SERVERLOCATION": "http://127.0.0.1:9/"},
    "steps": [)") +
                kOpen + R"(,
      {"t": 10, "click": {"display": "Sim Radar", "type": 4, "button": 1}},
      {"t": 10.5, "click": {"display": "Sim Radar", "type": 2, "button": 1}},
      {"t": 20, "drag": {"display": "Sim Radar", "type": 1, "x": -5, "y": 7}},
      {"t": 30, "snapshot": {"display": "Sim Radar", "file": "radar.png"}},
      {"t": 200, "display_close": {"display": "Sim Radar"}}
    ]})"),
            kExitDone)
      << err_.str();
  const auto saved = [](const char* key, const char* description, const char* value) {
    return std::string(
               R"({"t":200,"event":"display_settings_saved","display":"Sim Radar","key":")") +
           key + R"(","description":")" + description + R"(","value":")" + value + "\"}\n";
  };
  EXPECT_EQ(
      EventsAfterLoading(folder_ / "out" / "events.jsonl"),
      std::string(R"({"t":70,"event":"alarm","display":"Sim Radar"})") + "\n" +
          R"({"t":190,"event":"alarm","display":"Sim Radar"})" + "\n" +
          saved("TRAILSHOW", "Show History Trails", "1") +
          saved("MAXTRAIL", "Max Trail Length", "4") +
          saved("TRAILCOLOUR", "Trail Colour", "1344255") +
          saved("ANTIALIAS", "Anti-Alias History Trails", "1") +
          saved("TRAILTYPE", "Trail Type", "2") +
          saved("DEGRADINGTRAIL", "Degrading History Trails", "0") +
          saved("FADETRAIL", "Fade History Trails", "0") +
          saved("CDXPOS", "Count Down X Position", "4294967291") +
          saved("CDYPOS", "Count Down Y Position", "7") +
          saved("CDSHOW", "Count Down Visibility", "1") + R"({"t":200,"event":"unloaded"})" + "\n" +
          R"({"t":200,"event":"settings","values":{"SERVERLOCATION":"http://127.0.0.1:9/","SQK":"0"}})" +
          "\n");
  EXPECT_EQ(ReadFile(folder_ / "out" / "radar.png").substr(0, 4), "\x89PNG");
  // The display's own settings file, in the output folder.
  const std::vector<fs::path> files = SettingsFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename().string().rfind("Sim_Radar-", 0), 0u) << files[0];
  EXPECT_NE(ReadFile(files[0]).find("4294967291"), std::string::npos);
}

std::string OpenAndClose(const std::string& name, int t) {
  return R"({"t": )" + std::to_string(t) + R"(, "display_open": {"name": ")" + name +
         R"(", "width": 300, "height": 200, "center": [51.47, -0.45], "scale_nm": 10}},
      {"t": )" +
         std::to_string(t) + R"(, "display_close": {"display": ")" + name + R"("}})";
}

TEST_F(ScreenSimulator, EveryDisplayKeepsASettingsFileOfItsOwn) {
  const std::string names[] = {"a/b", "a:b", "a_b", "A_B", std::string(5000, 'x')};
  std::string steps;
  for (const std::string& name : names) {
    steps += (steps.empty() ? "" : ",\n") + OpenAndClose(name, static_cast<int>(steps.size()));
  }
  ASSERT_EQ(Run(R"({"start": "2024-06-05T14:00:00Z",
    "settings": {"SQK": "0", "SERVERLOCATION": "http://127.0.0.1:9/"}, "steps": [)" +
                steps + "]}"),
            0)
      << err_.str();
  const std::vector<fs::path> files = SettingsFiles();
  EXPECT_EQ(files.size(), std::size(names));
  for (const fs::path& file : files) EXPECT_NE(ReadFile(file).find("CDXPOS"), std::string::npos);
}

TEST_F(ScreenSimulator, ASettingsFileThatCannotBeWrittenStopsTheRun) {
  const std::string scenario = R"({"start": "2024-06-05T14:00:00Z",
    "settings": {"SQK": "0", "SERVERLOCATION": "http://127.0.0.1:9/"}, "steps": [)" +
                               OpenAndClose("Main", 5) + "]}";
  ASSERT_EQ(Run(scenario), 0) << err_.str();
  const std::vector<fs::path> files = SettingsFiles();
  ASSERT_EQ(files.size(), 1u);
  // The file is written whole beside it first, then moved over it: a folder in the way.
  fs::remove_all(folder_ / "out");
  fs::create_directories(files[0].string() + ".tmp/in-the-way");
  EXPECT_EQ(Run(scenario), kExitFailed);
  EXPECT_EQ(err_.str(), "kestrava-sim: t = 5: cannot write the settings file '" +
                            files[0].string() + "'; the run stopped there\n");
}

TEST_F(ScreenSimulator, AClockAtTheEndsOfTheCoordinateRangeDrawsWithoutOverflow) {
  // Stored and dragged positions anywhere in the 32-bit range, drawn on the build's own backend.
  ASSERT_EQ(Run(std::string(R"({"start": "2024-06-05T14:00:00Z",
    "settings": {"SQK": "0", "SERVERLOCATION": "http://127.0.0.1:9/"},
    "steps": [)") +
                kOpen + R"(,
      {"t": 1, "drag": {"display": "Sim Radar", "type": 1, "x": 2147483607, "y": 2147483647}},
      {"t": 2, "snapshot": {"display": "Sim Radar", "file": "past-the-end.png"}},
      {"t": 3, "display_close": {"display": "Sim Radar"}},
      {"t": 4, "display_open": {"name": "Edge", "width": 300, "height": 200,
        "center": [51.47, -0.45], "scale_nm": 10,
        "settings": {"CDXPOS": "2147483593", "CDYPOS": "4294967286"}}},
      {"t": 5, "drag": {"display": "Edge", "type": 1, "x": -2147483648, "y": -2147483648}},
      {"t": 6, "snapshot": {"display": "Edge", "file": "far-left.png"}},
      {"t": 7, "display_close": {"display": "Edge"}}
    ]})"),
            kExitDone)
      << err_.str();
  const std::string events = ReadFile(folder_ / "out" / "events.jsonl");
  EXPECT_NE(
      events.find(R"("key":"CDXPOS","description":"Count Down X Position","value":"2147483607")"),
      std::string::npos)
      << events;
  EXPECT_NE(
      events.find(R"("key":"CDYPOS","description":"Count Down Y Position","value":"2147483648")"),
      std::string::npos);
  EXPECT_EQ(ReadFile(folder_ / "out" / "far-left.png").substr(0, 4), "\x89PNG");
}

TEST_F(ScreenSimulator, UnloadingSilencesACountdownStillRunning) {
  ASSERT_EQ(Run(std::string(R"({"start": "2024-06-05T14:00:00Z",
    "settings": {"SQK": "0", "SERVERLOCATION": "http://127.0.0.1:9/"},
    "steps": [)") +
                kOpen + R"(,
      {"t": 5, "click": {"display": "Sim Radar", "type": 2, "button": 1}},
      {"t": 30, "unload": {}}
    ]})"),
            kExitDone)
      << err_.str();
  EXPECT_EQ(
      EventsAfterLoading(folder_ / "out" / "events.jsonl"),
      std::string(R"({"t":30,"event":"unloaded"})") + "\n" +
          R"({"t":30,"event":"settings","values":{"SERVERLOCATION":"http://127.0.0.1:9/","SQK":"0"}})" +
          "\n");
}

TEST_F(ScreenSimulator, BadDisplayStepsAreRefusedWithTheirPlace) {
  const struct {
    const char* step;
    int exit;
    const char* message;
  } cases[] = {
      {R"({"t": 0, "display_open": {"name": "A", "width": 0, "height": 10, "center": [51, 0], "scale_nm": 5}})",
       kExitBadScenario, "steps[0].display_open.width: must be 1 to 8192 pixels"},
      {R"({"t": 0, "display_open": {"name": "A", "width": 10, "height": 10, "center": [51], "scale_nm": 5}})",
       kExitBadScenario, "steps[0].display_open.center: expected [latitude, longitude]"},
      {R"({"t": 0, "display_open": {"name": "A", "width": 10, "height": 10, "center": [51, 0], "scale_nm": 0}})",
       kExitBadScenario, "steps[0].display_open.scale_nm: must be a positive number"},
      {R"({"t": 0, "display_open": {"name": "A", "width": 10, "height": 10, "center": [51, 0], "scale_nm": 5, "settings": {"CDSHOW": 1}}})",
       kExitBadScenario, "the value of 'CDSHOW' must be a text"},
      {R"({"t": 0, "click": {"display": "A", "type": 1, "button": 4}})", kExitBadScenario,
       "steps[0].click.button: must be 1 (left), 2 (middle) or 3 (right)"},
      {R"({"t": 0, "drag": {"display": "A", "type": 1, "x": 1, "y": 2, "released": "yes"}})",
       kExitBadScenario, "steps[0].drag.released"},
      {R"({"t": 0, "click": {"display": "Nowhere", "type": 1, "button": 1}})", kExitBadScenario,
       "steps[0].click.display: no display named 'Nowhere' is open"},
      {R"({"t": 0, "display_close": {"display": "Nowhere"}})", kExitBadScenario,
       "steps[0].display_close.display: no display named 'Nowhere' is open"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    EXPECT_EQ(Run(std::string(R"({"start": "2024-06-05T14:00:00Z",
        "settings": {"SERVERLOCATION": "http://127.0.0.1:9/"}, "steps": [)") +
                  c.step + "]}"),
              c.exit);
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << err_.str();
  }
}

}  // namespace
}  // namespace kestrava::sim
