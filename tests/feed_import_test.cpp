// kestrava-sim import-feed: routes as filed, snapshots of the network's feed into a scenario that
// plays, and bad snapshots refused with the file and the field named.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/simulator_fixture.h"
#include "tools/kestrava-sim/feed_import/filed_route.h"

namespace kestrava::sim {
namespace {

TEST(FiledRoute, KeepsPointsAndNamesTheProcedures) {
  struct Case {
    const char* route;
    const char* sid;
    std::vector<std::string> points;
    const char* star;
  };
  const Case cases[] = {
      {"CPT3G CPT DCT SAM UL9 ORTAC/N0450F350 DCT LOTEE UN866 BERUM BERUM1P",
       "CPT3G",
       {"CPT", "SAM", "ORTAC", "LOTEE", "BERUM"},
       "BERUM1P"},
      // A speed and level group first, the SID after it; no STAR.
      {"N0420F250 MAXIT1G MAXIT DCT MID L612 BOGNA", "MAXIT1G", {"MAXIT", "MID", "BOGNA"}, ""},
      // Lower case, extra blanks, the airports themselves, a STAR only.
      {" egll  andik t180 redfa dct lam3a EGLL ", "", {"ANDIK", "REDFA"}, "LAM3A"},
      // Coordinates and odd tokens (kept: letters and digits; dropped: anything else).
      {"MERIT 5020N02000W +++ M082F370 K0830S1010 N0450VFR GUNSO",
       "",
       {"MERIT", "5020N02000W", "GUNSO"},
       ""},
      // One procedure-like token: the SID, not also the STAR.
      {"DVR5J", "DVR5J", {}, ""},
      {"", "", {}, ""},
  };
  for (const Case& c : cases) {
    const FiledRoute route = ReadFiledRoute(c.route, "EGLL", "LFPG");
    EXPECT_EQ(route.sid, c.sid) << c.route;
    EXPECT_EQ(route.points, c.points) << c.route;
    EXPECT_EQ(route.star, c.star) << c.route;
  }
}

std::string Pilot(const std::string& callsign, double lon, int gs, const std::string& squawk,
                  const std::string& plan) {
  return R"({"cid": 1, "callsign": ")" + callsign + R"(", "name": "Pat", "latitude": 51.47, )" +
         R"("longitude": )" + std::to_string(lon) + R"(, "altitude": 80, "groundspeed": )" +
         std::to_string(gs) + R"(, "transponder": ")" + squawk + R"(", "heading": 270, )" +
         R"("flight_plan": )" + plan + "}";
}

std::string Plan(const std::string& from, const std::string& to, const std::string& deptime) {
  return R"({"flight_rules": "I", "aircraft_short": "A320", "departure": ")" + from +
         R"(", "arrival": ")" + to + R"(", "alternate": "", "altitude": "35000", "deptime": ")" +
         deptime + R"(", "route": "CPT3G CPT DCT SAM UL9 ORTAC", "remarks": "/V/"})";
}

std::string Feed(const std::string& time, const std::vector<std::string>& pilots) {
  std::string text = R"({"general": {"version": 3, "update_timestamp": ")" + time +
                     R"("}, "atis": [], "pilots": [)";
  for (std::size_t i = 0; i < pilots.size(); ++i) text += (i ? ", " : "") + pilots[i];
  return text + R"(], "controllers": []})";
}

class ImportFeed : public testing::SimulatorFixture {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (folder_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  int Import(std::vector<std::string> args) {
    args.insert(args.begin(), "import-feed");
    out_.str("");
    err_.str("");
    return RunSimulator(args, "kestrava-sim", out_, err_);
  }
  std::vector<std::string> Steps() const {
    std::ifstream in(folder_ / "scenario.json", std::ios::binary);
    std::vector<std::string> steps;
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("    {\"t\":", 0) == 0)
        steps.push_back(line.substr(4, line.find_last_of('}') - 3));
    }
    return steps;
  }
};

TEST_F(ImportFeed, SnapshotsBecomeStepsThatPlay) {
  const std::string first = Write(
      "a.json",
      Feed("2024-06-05T06:00:00.5Z", {Pilot("BAW1", -0.48, 0, "2000", Plan("EGLL", "LEMD", "0610")),
                                      Pilot("AAL2", -20, 480, "2200", Plan("KJFK", "EDDF", "0100")),
                                      Pilot("GABC", -0.46, 0, "7000", "null")}));
  const std::string second =
      Write("b.json", Feed("2024-06-05T06:00:15Z",
                           {Pilot("BAW1", -0.47, 12, "4001", Plan("egll", "LEMD", "0615")),
                            Pilot("AAL2", -19.9, 480, "2200", Plan("KJFK", "EDDF", "0100"))}));
  const std::string third = Write("c.json", Feed("2024-06-05T06:00:30Z", {}));
  const std::string scenario = (folder_ / "scenario.json").string();
  ASSERT_EQ(Import({first, second, third, "--out", scenario, "--airport", "EGLL"}), kExitDone)
      << err_.str();
  const std::vector<std::string> expected = {
      R"({"t":0,"flightplan":{"callsign":"BAW1","pilot":"Pat","origin":"EGLL","destination":"LEMD",)"
      R"("type":"A320","etd":"0610","sid":"CPT3G","route":["CPT","SAM","ORTAC"]}})",
      R"({"t":0,"squawk":{"callsign":"BAW1","code":"2000"}})",
      R"({"t":0,"position":{"callsign":"BAW1","lat":51.47,"lon":-0.48,"gs":0}})",
      R"({"t":0,"tags":{"callsigns":["BAW1"]}})",
      // The amended flight plan (departure time; the airport in lower case still counts), the
      // new code.
      R"({"t":15,"flightplan":{"callsign":"BAW1","pilot":"Pat","origin":"egll","destination":"LEMD",)"
      R"("type":"A320","etd":"0615","sid":"CPT3G","route":["CPT","SAM","ORTAC"]}})",
      R"({"t":15,"squawk":{"callsign":"BAW1","code":"4001"}})",
      R"({"t":15,"position":{"callsign":"BAW1","lat":51.47,"lon":-0.47,"gs":12}})",
      R"({"t":15,"tags":{"callsigns":["BAW1"]}})",
      R"({"t":30,"disconnect":{"callsign":"BAW1"}})",
  };
  EXPECT_EQ(Steps(), expected);
  std::ifstream in(scenario);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find(R"("controller": {"callsign":"EGLL_TWR")"), std::string::npos) << text;

  // It plays: the departure's intention code and times in the summary, then its departure.
  EXPECT_EQ(
      RunSimulator({scenario, "--out", (folder_ / "out").string(), "--module", KESTRAVA_MODULE},
                   "kestrava-sim", out_, err_),
      kExitDone)
      << err_.str();
  EXPECT_NE(out_.str().find("BAW1"), std::string::npos) << out_.str();

  // Without --airport every pilot is kept, also one without a flight plan.
  ASSERT_EQ(Import({first, "--out", scenario}), kExitDone) << err_.str();
  EXPECT_EQ(Steps().size(), 9u);  // two plans, three codes, three positions, the tags
}

TEST_F(ImportFeed, BadSnapshotsNameTheFileAndTheField) {
  const std::string good = Write("good.json", Feed("2024-06-05T06:00:00Z", {}));
  const std::string pilot = Pilot("BAW1", -0.48, 0, "2000", "null");
  struct Case {
    const char* name;
    std::string text;
    std::string message;  // after "<file>: "
  };
  const Case cases[] = {
      {"truncated.json", Feed("2024-06-05T06:00:00Z", {pilot}).substr(0, 120),
       "the document ends early"},
      {"latitude.json",
       Feed("2024-06-05T06:00:00Z", {pilot})
           .replace(Feed("2024-06-05T06:00:00Z", {pilot}).find("51.47"), 5, "\"x\""),
       "pilots[0].latitude"},
      {"time.json", Feed("yesterday", {}), "general.update_timestamp"},
      {"earlier.json", Feed("2024-06-05T05:59:00Z", {}), "general.update_timestamp: earlier"},
  };
  const std::string scenario = (folder_ / "scenario.json").string();
  for (const Case& c : cases) {
    const std::string path = Write(c.name, c.text);
    EXPECT_EQ(Import({good, path, "--out", scenario}), kExitBadScenario) << c.name;
    EXPECT_NE(err_.str().find(path + ": " + c.message), std::string::npos) << err_.str();
    EXPECT_FALSE(std::filesystem::exists(scenario)) << c.name << ": half a scenario left";
  }
  EXPECT_EQ(Import({good, "--out", scenario, "--airport", "EGL"}), kExitBadScenario);
  EXPECT_EQ(Import({(folder_ / "missing.json").string(), "--out", scenario}), kExitBadScenario);
}

}  // namespace
}  // namespace kestrava::sim
