// The simulator run in process on the built module: a scenario end to end, and the messages and
// exit codes of bad scenarios. (On Linux the module's state outlives its unloading within one
// process, so every scenario here uses callsigns of its own.)
#include "tools/kestrava-sim/simulator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "host/world.h"
#include "tests/support/simulator_fixture.h"
#include "tools/kestrava-sim/extensions.h"
#include "tools/kestrava-sim/simulation.h"

namespace kestrava::sim {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Line ends written by the platform's text files, made LF.
std::string WithLineFeeds(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

class Simulator : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() / (std::string("kestrava-sim-test-") + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path Scenario(const std::string& text, const std::string& name = "scenario.json") {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // Runs the simulator with the output in the test's folder and the built module.
  int Run(std::vector<std::string> args, bool with_module = true) {
    args.insert(args.end(), {"--out", (folder_ / "out").string()});
    if (with_module) args.insert(args.end(), {"--module", KESTRAVA_MODULE});
    out_.str("");
    err_.str("");
    return RunSimulator(args, "kestrava-sim", out_, err_);
  }

  fs::path folder_;
  std::ostringstream out_;
  std::ostringstream err_;
};

constexpr char kLoadedEvent[] =
    R"({"t":0,"event":"loaded","name":"Kestrava","version":"1.0","tag_items":[[85,"Intention Code"],)"
    R"([86,"Estimated Dep Time"],[87,"Actual Off-Block Time"],[88,"Actual Take-Off Time"],)"
    R"([89,"Actual Landing Time"]],"tag_functions":[[36,"Recycle Squawk Code"],)"
    R"([41,"Reset Calculated TO Time"],[37,"Reset Initial Altitude"],[38,"Recycle Sqk & Alt"],)"
    R"([39,"Edit Estimated Dep Time"]]})";

TEST_F(Simulator, PlaysAScenarioEndToEnd) {
  const fs::path scenario = Scenario(R"({
    "start": "2024-06-05T14:00:00Z",
    "controller": {"callsign": "EGLL_TWR", "name": "Jane Doe", "facility": 4},
    "settings": {"SAVELOG": "1", "SAVELOGFILE": "stats.csv", "SQK": "0",
                 "SERVERLOCATION": "http://127.0.0.1:9/"},
    "steps": [
      {"t": 0, "flightplan": {"callsign": "E2E101", "pilot": "Doe, Jane", "origin": "EGLL",
                              "destination": "LFPG", "sid": "CPT3F", "dep_rwy": "27R",
                              "type": "A320", "route": ["CPT", "GIBSO"]}},
      {"t": 10, "position": {"callsign": "E2E101", "lat": 51.4775, "lon": -0.4614, "gs": 0}},
      {"t": 189, "position": {"callsign": "E2E101", "lat": 51.4776, "lon": -0.4700, "gs": 75}},
      {"t": 200, "position": {"callsign": "E2E202", "lat": 51.4650, "lon": -0.3800, "gs": 140}},
      {"t": 260.5, "position": {"callsign": "E2E202", "lat": 51.4647, "lon": -0.4300, "gs": 40}},
      {"t": 300, "disconnect": {"callsign": "E2E101"}},
      {"t": 300, "disconnect": {"callsign": "E2E202"}},
      {"t": 310, "unload": {}}
    ]})");
  ASSERT_EQ(Run({scenario.string()}), kExitDone) << err_.str();
  EXPECT_EQ(err_.str(), "");

  const std::string expected_events =
      std::string(kLoadedEvent) + "\n" + R"({"t":310,"event":"unloaded"})" + "\n" +
      R"({"t":310,"event":"settings","values":{"SAVELOG":"1","SAVELOGFILE":"stats.csv",)" +
      R"("SERVERLOCATION":"http://127.0.0.1:9/","SQK":"0"}})" + "\n";
  EXPECT_EQ(ReadFile(folder_ / "out" / "events.jsonl"), expected_events);
  EXPECT_EQ(WithLineFeeds(ReadFile(folder_ / "out" / "stats.csv")),
            "E2E101,\"Doe, Jane\",A320,EGLL,27R,CPT3F,LFPG,,,D,05/06/2024 14:03:09\n"
            "E2E202,,,,,,,,,A,05/06/2024 14:04:20\n");

  const std::string summary = out_.str();
  EXPECT_NE(summary.find("E2E101    A320  EGLL  LFPG  2        75  t=300  D 14:03:09"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("E2E202    -     -     -     2        40  t=300  A 14:04:20"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("stats.csv (2 lines)"), std::string::npos) << summary;
}

TEST_F(Simulator, HostReportsAndDesktopCallsBecomeEventsAtTheSimulatedTime) {
  struct Scenario scenario;
  scenario.start_unix_millis = 1717596000000;  // 2024-06-05 14:00:00 UTC
  const Extensions extensions = BuiltInExtensions();
  {
    Simulation sim(scenario, extensions, folder_, err_);
    ASSERT_TRUE(sim.events_ok());
    sim.env().SetNow(scenario.start_unix_millis + 42'250);
    sim.world().PluginSavedSetting("SAVELOG", "Statistics log enabled", "1");
    sim.world().PluginSavedSetting("SQK1", "SQK1", nullptr);
    sim.env().ShowNotice("Kestrava", "An update is available.\nDownload it?", {});
    sim.env().SetClipboardText("BAW1 \xff cleared");  // not UTF-8: replaced, never thrown
    sim.env().PlayAlarmSound("Main");
  }
  EXPECT_EQ(
      ReadFile(folder_ / "events.jsonl"),
      R"({"t":42.25,"event":"settings_saved","key":"SAVELOG","description":"Statistics log enabled","value":"1"})"
      "\n"
      R"({"t":42.25,"event":"settings_saved","key":"SQK1","description":"SQK1","value":null})"
      "\n"
      R"({"t":42.25,"event":"notice","caption":"Kestrava","text":"An update is available.\nDownload it?"})"
      "\n"
      "{\"t\":42.25,\"event\":\"clipboard\",\"text\":\"BAW1 \xEF\xBF\xBD cleared\"}"  // U+FFFD
      "\n"
      R"({"t":42.25,"event":"alarm","display":"Main"})"
      "\n");
}

TEST_F(Simulator, AfterARunTheModuleLoadsAgainOnItsOwnServices) {
  const fs::path scenario = Scenario(R"({"start": "2024-06-05T14:00:00Z",
    "settings": {"SERVERLOCATION": "http://127.0.0.1:9/"}, "steps": []})");
  ASSERT_EQ(Run({scenario.string()}), kExitDone) << err_.str();
  // The simulated services are gone; the module must not still hold them.
  standin::World world;
  world.settings().Preset("SERVERLOCATION", "http://127.0.0.1:9/");
  std::string error;
  ASSERT_TRUE(world.LoadPlugIn(KESTRAVA_MODULE, error)) << error;
  world.UnloadPlugIn();
}

TEST_F(Simulator, BadScenariosNameTheFileTheStepAndTheField) {
  struct Case {
    const char* name;
    std::string text;
    const char* message;  // after "kestrava-sim: <file>: "
  };
  const std::string deep = std::string(90000, '[') + std::string(90000, ']');
  // 100,000 unknown fields, each given twice: the later ones count (once found in quadratic time).
  std::string twice;
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 100000; ++i) twice += "\"k" + std::to_string(i) + "\": 1, ";
  }
  const Case cases[] = {
      {"invalid JSON", R"({"start": "2024-06-05T14:00:00Z", "steps": [)", "invalid JSON: "},
      {"not an object", R"([1, 2])", "expected a JSON object, got a list"},
      {"no start", R"({"steps": []})", "start: missing"},
      {"bad start", R"({"start": "2024-02-30T10:00:00Z", "steps": []})",
       "start: \"2024-02-30T10:00:00Z\" is not a UTC time"},
      {"no steps", R"({"start": "2024-06-05T14:00:00Z"})", "steps: missing"},
      {"steps given twice", R"({"start": "2024-06-05T14:00:00Z", "steps": [], "steps": []})",
       "steps: given twice"},
      {"unknown top-level field", R"({"start": "2024-06-05T14:00:00Z", "step": []})",
       "step: unknown field"},
      {"setting not a text", R"({"start": "2024-06-05T14:00:00Z", "settings": {"SAVELOG": 1},
        "steps": []})",
       "settings.SAVELOG: expected a text, got a whole number"},
      {"controller field of the wrong type",
       R"({"start": "2024-06-05T14:00:00Z", "controller": {"facility": "4"}, "steps": []})",
       "controller.facility: expected a whole number, got a text"},
      {"unknown step kind", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "position": {"callsign": "A", "lat": 1, "lon": 2, "gs": 3}},
        {"t": 1, "teleport": {}}]})",
       "steps[1]: unknown step kind \"teleport\" (known kinds: "},
      {"missing field", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "position": {"callsign": "A", "lat": 1, "lon": 2}}]})",
       "steps[0].position.gs: missing (a whole number is required)"},
      {"wrong type", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "flightplan": {"callsign": "A"}},
        {"t": 0, "flightplan": {"callsign": "A", "route": ["X", 7]}}]})",
       "steps[1].flightplan.route[1]: expected a text, got a whole number"},
      {"fractional speed", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "position": {"callsign": "A", "lat": 1, "lon": 2, "gs": 60.5}}]})",
       "steps[0].position.gs: expected a whole number, got a number with a fraction"},
      {"unknown field of a step", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "disconnect": {"calsign": "A"}}]})",
       "steps[0].disconnect.callsign: missing"},
      {"extra field of a step", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "disconnect": {"callsign": "A", "reason": "x"}}]})",
       "steps[0].disconnect.reason: unknown field"},
      {"time going backwards", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 20, "disconnect": {"callsign": "A"}},
        {"t": 10.5, "disconnect": {"callsign": "A"}}]})",
       "steps[1].t: time goes backwards: 10.5 is before the previous step's 20"},
      {"no time", R"({"start": "2024-06-05T14:00:00Z", "steps": [{"unload": {}}]})",
       "steps[0].t: missing"},
      {"two kinds in one step", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "unload": {}, "disconnect": {"callsign": "A"}}]})",
       "steps[0]: holds two step kinds, \"unload\" and \"disconnect\""},
      {"step body not an object", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "unload": []}]})",
       "steps[0].unload: expected an object, got a list"},
      {"step after unload", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "unload": {}}, {"t": 1, "disconnect": {"callsign": "A"}}]})",
       "steps[1]: the plug-in is unloaded at steps[0]; no step may follow"},
      {"latitude out of range", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "position": {"callsign": "A", "lat": 91, "lon": 2, "gs": 3}}]})",
       "steps[0].position.lat: must lie between -90 and 90 degrees"},
      {"nested 90,000 levels deep",
       R"({"start": "2024-06-05T14:00:00Z", "steps": [{"t": 0, "command": {"line": )" + deep +
           "}}]}",
       "steps[0].command.line: nested more than 64 levels deep"},
      {"number beyond a double", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 1e400, "unload": {}}]})",
       "steps[0].t: the number is too large"},
      {"display opened twice", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "display_open": {"name": "Main", "width": 9, "height": 9, "center": [51, 0],
                                  "scale_nm": 9}},
        {"t": 1, "display_open": {"name": "Main", "width": 9, "height": 9, "center": [51, 0],
                                  "scale_nm": 9}}]})",
       "steps[1].display_open.name: a display named 'Main' is already open (opened at steps[0])"},
      {"text after a NUL byte after the document",
       std::string(R"({"start": "2024-06-05T14:00:00Z", "steps": []})") + '\0' + "]]",
       "invalid JSON: a NUL byte after the end of the document (line 1, column 47)"},
      {"a NUL byte inside a text",
       std::string(R"({"start": "2024-06-05T14:00:00Z", "description": "a)") + '\0' + "\"}",
       "invalid JSON: a NUL byte inside a text (a text writes it as \\u0000) (line 1, column 52)"},
      {"ground speed beyond 64 bits", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "position": {"callsign": "A", "lat": 1, "lon": 2, "gs": 100000000000000000000}}]})",
       "steps[0].position.gs: the number 1e+20 is too large"},
      {"negative ground speed", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "position": {"callsign": "A", "lat": 1, "lon": 2, "gs": -5}}]})",
       "steps[0].position.gs: must be 0 to 1000000 knots"},
      {"a step of only a time after a good step", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "disconnect": {"callsign": "A"}}, {"t": 1}]})",
       "steps[1]: has no step kind beside \"t\""},
      {"fields given twice",
       R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "disconnect": {)" +
           twice + R"("callsign": "A"}}]})",
       "steps[0].disconnect.k0: unknown field"},
      {"display used after closing", R"({"start": "2024-06-05T14:00:00Z", "steps": [
        {"t": 0, "display_open": {"name": "Main", "width": 9, "height": 9, "center": [51, 0],
                                  "scale_nm": 9}},
        {"t": 1, "display_close": {"display": "Main"}},
        {"t": 2, "click": {"display": "Main", "type": 1, "button": 1}}]})",
       "steps[2].click.display: no display named 'Main' is open"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path scenario = Scenario(c.text);
    EXPECT_EQ(Run({scenario.string()}), kExitBadScenario);
    const std::string expected = "kestrava-sim: " + scenario.string() + ": " + c.message;
    EXPECT_EQ(err_.str().substr(0, expected.size()), expected) << err_.str();
    EXPECT_FALSE(fs::exists(folder_ / "out" / "events.jsonl"));  // nothing ran
  }
}

TEST_F(Simulator, ALongScenarioWhoseLastStepIsBadRunsNothing) {
  std::string text = R"({"start": "2024-06-05T14:00:00Z", "steps": [)";
  for (int i = 0; i < 100000; ++i) {
    text += R"({"t": )" + std::to_string(i) +
            R"(, "position": {"callsign": "LONG1", "lat": 51.5, "lon": -0.4, "gs": 0}},)";
  }
  const fs::path scenario =
      Scenario(text + R"({"t": 100000, "position": {"callsign": "LONG1"}}]})");
  EXPECT_EQ(Run({scenario.string()}), kExitBadScenario);
  EXPECT_NE(err_.str().find(": steps[100000].position.lat: missing"), std::string::npos)
      << err_.str();
  EXPECT_FALSE(fs::exists(folder_ / "out" / "events.jsonl"));
}

#ifndef _WIN32
TEST_F(Simulator, AnEventLogThatCannotBeWrittenFailsTheRun) {
  const fs::path scenario = Scenario(R"({"start": "2024-06-05T14:00:00Z",
    "settings": {"SERVERLOCATION": "http://127.0.0.1:9/"}, "steps": [{"t": 5, "unload": {}}]})");
  fs::create_directories(folder_ / "out");
  fs::create_symlink("/dev/full", folder_ / "out" / "events.jsonl");  // a full disk
  EXPECT_EQ(Run({scenario.string()}), kExitFailed);
  EXPECT_NE(err_.str().find("events.jsonl': No space left on device (0 of 4 events written"),
            std::string::npos)
      << err_.str();
  EXPECT_NE(out_.str().find("events.jsonl (0 lines)"), std::string::npos) << out_.str();
}
#endif

TEST_F(Simulator, AnUnreadableScenarioIsABadScenario) {
  const std::string missing = (folder_ / "missing.json").string();
  EXPECT_EQ(Run({missing}), kExitBadScenario);
  EXPECT_EQ(err_.str(), "kestrava-sim: " + missing + ": cannot read the scenario file\n");
}

// Read twice (checked, then played), a scenario must be a file that can be read again.
TEST_F(Simulator, AScenarioThatIsNotARegularFileIsRefusedBeforeAnythingRuns) {
  std::vector<std::string> paths = {folder_.string()};
#ifndef _WIN32
  const std::string text = R"({"start": "2024-06-05T14:00:00Z", "steps": []})";
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  ASSERT_EQ(write(ends[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(ends[1]);
  paths.push_back("/proc/self/fd/" + std::to_string(ends[0]));
  paths.push_back("/dev/zero");
#endif
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Run({path}), kExitBadScenario);
    EXPECT_EQ(err_.str(), "kestrava-sim: " + path +
                              ": the scenario must be a regular file (not a pipe, a device or a "
                              "folder): it is read twice, once to check it and once to play it\n");
    EXPECT_FALSE(fs::exists(folder_ / "out" / "events.jsonl"));
  }
#ifndef _WIN32
  close(ends[0]);
#endif
}

TEST_F(Simulator, AModuleThatCannotBeLoadedGivesExitCodeThree) {
  const fs::path scenario = Scenario(R"({"start": "2024-06-05T14:00:00Z", "steps": []})");
  const std::string module = (folder_ / "no-such-module.dll").string();
  EXPECT_EQ(Run({scenario.string(), "--module", module}, false), kExitLoadFailed);
  EXPECT_EQ(err_.str().rfind("kestrava-sim: cannot load the plug-in: ", 0), 0u) << err_.str();
  EXPECT_NE(err_.str().find(module), std::string::npos) << err_.str();

  EXPECT_EQ(Run({scenario.string(), "--module", HOST_LIBRARY}, false), kExitLoadFailed);
  EXPECT_NE(err_.str().find("is not a plug-in module"), std::string::npos) << err_.str();
}

TEST_F(Simulator, BadCommandLinesShowTheUsage) {
  const std::vector<std::vector<std::string>> lines = {
      {},
      {"a.json", "b.json"},
      {"a.json", "--speed", "2"},
      {"a.json", "--out"},
      {"a.json", "--module", ""},  // would load the program itself
      {"a.json", "--out", ""}};
  for (const auto& line : lines) {
    out_.str("");
    err_.str("");
    EXPECT_EQ(RunSimulator(line, "kestrava-sim", out_, err_), kExitBadScenario);
    EXPECT_NE(
        err_.str().find("usage: kestrava-sim SCENARIO.json [--out DIR] [--module PATH] [--check]"),
        std::string::npos)
        << err_.str();
  }
}

}  // namespace
}  // namespace kestrava::sim
