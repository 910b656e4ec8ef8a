// Tag item 85, the intention code: the destination tests, the backward route walk through the
// code table down to the calculated index, its two conditional rows, and the fallback.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tags/intention_code.h"
#include "tests/support/plugin_fixture.h"

namespace kestrava {
namespace {

using testing::PluginFixture;

class IntentionCodeItem : public PluginFixture {
 protected:
  void SetUp() override { Load(); }

  // The item's text for a flight to `destination` along `route`, with the host's calculated
  // index at `calculated`.
  std::string Code(const std::string& destination, std::vector<std::string> route,
                   int calculated = 0) {
    standin::Aircraft& aircraft = world.AddOrGetAircraft("TEST1");
    aircraft.flight_plan.destination = destination;
    aircraft.route = std::move(route);
    aircraft.route_calculated_index = calculated;
    const auto answer = world.GetTagItem("TEST1", kItemIntentionCode);
    EXPECT_EQ(answer.color_code, 0) << "item 85 never takes a colour";
    return answer.text;
  }
};

TEST_F(IntentionCodeItem, DestinationTestsComeBeforeTheRouteWalk) {
  struct Case {
    const char* destination;
    std::vector<std::string> route;
    const char* code;
  };
  const Case cases[] = {
      {"EGKK", {"ORTAC", "SITET"}, "KK"},
      {"EGLL", {}, "LL"},
      {"egkk", {"ORTAC"}, "KK"},
      {"EG", {"ORTAC"}, "EG"},
      {"EGXYZ", {}, "YZ"},
      {"EBBR", {"ORTAC"}, "EB"},
      {"EB", {}, "EB"},
      {"ebbr", {}, "EB"},
      {"EIDW", {"ORTAC"}, "DW"},
      {"EIDWX", {}, "DW"},
      {"eidw", {}, "DW"},
      {"EIDX", {"ORTAC"}, "H"},  // only EIDW itself
      {"EHAM", {"CLN", "ORTAC"}, "AM"},
      {"EHAM", {"DVR", "ORTAC"}, "AS"},
      {"EHAM", {"DVR", "CLN"}, "AM"},     // CLN is tested first
      {"EHRD", {"ORTAC", "LAMSO"}, "F"},  // neither CLN nor DVR: walk as any other
      {"EHRD", {"CLN", "ORTAC"}, "AM"},   // every EH destination, not only EHAM
      {"ehgg", {"ORTAC", "DVR"}, "AS"},
      {"EH", {"CLN"}, "AM"},
      {"eham", {"dvr", "DVR"}, "AS"},
      {"EHAM", {"cln"}, "EHAM"},  // point names compare case-sensitively
  };
  for (const Case& c : cases) EXPECT_EQ(Code(c.destination, c.route), c.code) << c.destination;
}

TEST_F(IntentionCodeItem, RouteTestsOfTheDestinationUseTheWholeRoute) {
  // CLN and DVR before the calculated index still count.
  EXPECT_EQ(Code("EHAM", {"CLN", "A", "B", "C"}, 3), "AM");
  EXPECT_EQ(Code("EHAM", {"DVR", "A", "B", "C"}, 3), "AS");
  // DVR is also a table row: a flight elsewhere with DVR as its last point gives D.
  EXPECT_EQ(Code("LFPG", {"A", "B", "DVR"}), "D");
}

TEST_F(IntentionCodeItem, LaterRoutePointWinsOverAnEarlierTableRow) {
  EXPECT_EQ(Code("LFPG", {"LAMSO", "X", "ORTAC", "Y"}), "H");
  EXPECT_EQ(Code("LFPG", {"ORTAC", "X", "LAMSO", "Y"}), "F");
  EXPECT_EQ(Code("LKPR", {"LOLOX", "NIVUN"}), "Z5");
  EXPECT_EQ(Code("LKPR", {"NIVUN", "LOLOX"}), "A");
}

TEST_F(IntentionCodeItem, WalkStopsAtTheCalculatedIndex) {
  const std::vector<std::string> route = {"ORTAC", "X", "LAMSO", "Y", "Z"};
  EXPECT_EQ(Code("LFPG", route, 0), "F");
  EXPECT_EQ(Code("LFPG", route, 2), "F");  // the calculated index itself is visited
  EXPECT_EQ(Code("LFPG", route, 3), "LFPG");
  EXPECT_EQ(Code("LFPG", {"LAMSO", "X", "ORTAC"}, 1), "H");
  EXPECT_EQ(Code("LFPG", {"ORTAC", "X"}, 1), "LFPG");
  EXPECT_EQ(Code("LFPG", {"ORTAC"}, 5), "LFPG");  // above the last index: nothing visited
  EXPECT_EQ(Code("LFPG", {"ORTAC"}, -4), "H");    // never below index 0
}

TEST_F(IntentionCodeItem, SitetGivesE2ForSouthWestFrenchDestinations) {
  struct Case {
    const char* destination;
    const char* code;
  };
  const Case cases[] = {{"LFPG", "E"},  {"LFBL", "E2"}, {"LFBU", "E2"}, {"LFBX", "E2"},
                        {"LFLX", "E2"}, {"LFPM", "E2"}, {"LFOB", "E2"}, {"LFO", "E2"},
                        {"lfpm", "E2"}, {"lfok", "E2"}, {"LFPMX", "E"}, {"LFB", "E"},
                        {"XLFO", "E"},  {"", "E"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Code(c.destination, {"A", "SITET", "B"}), c.code) << c.destination;
  }
}

TEST_F(IntentionCodeItem, GomupNeedsWalAnywhereOnTheRoute) {
  EXPECT_EQ(Code("EKCH", {"XAMAB", "X", "GOMUP"}), "V");
  EXPECT_EQ(Code("EKCH", {"XAMAB", "WAL", "GOMUP"}), "U7");
  EXPECT_EQ(Code("EKCH", {"WAL", "XAMAB", "X", "GOMUP"}, 2), "U7");  // WAL before the walk
  EXPECT_EQ(Code("EKCH", {"GOMUP", "WAL"}), "U7");
  EXPECT_EQ(Code("EKCH", {"X", "GOMUP"}), "EKCH");
}

TEST_F(IntentionCodeItem, EveryTableRowGivesItsCode) {
  // The code table as written down for controllers, kept here apart from the program's own.
  // SITET and GOMUP have conditions of their own (tested above); here SITET is on a flight to
  // LKPR and GOMUP has WAL before it.
  const std::pair<const char*, const char*> rows[] = {
      {"LOLOX", "A"},  {"GAPLI", "A"},  {"RATKA", "A"},  {"TAKAS", "A"},  {"MOSIS", "A"},
      {"CAMBO", "A"},  {"LIZAD", "A"},  {"UIR05", "A"},  {"SKESO", "B"},  {"MANIG", "B2"},
      {"SALCO", "B3"}, {"ANNET", "B4"}, {"SOMVA", "C1"}, {"REDFA", "C2"}, {"SUMUM", "C3"},
      {"VABIK", "D1"}, {"KONAN", "D2"}, {"RINTI", "D3"}, {"MOTOX", "D3"}, {"DVR", "D"},
      {"SITET", "E"},  {"LAMSO", "F"},  {"MOLIX", "F"},  {"TOPPA", "F"},  {"LONAM", "F"},
      {"ORTAC", "H"},  {"DIN", "H2"},   {"BASIK", "H3"}, {"LORKU", "H4"}, {"GOBUR", "H4"},
      {"GIVPO", "K3"}, {"LIFFY", "L"},  {"BAGSO", "L"},  {"LESLU", "M"},  {"EVRIN", "M"},
      {"MOPAT", "M"},  {"LEDGO", "M"},  {"XIDIL", "P"},  {"RATSU", "R"},  {"LIRKI", "R1"},
      {"GONUT", "R2"}, {"OLKER", "R3"}, {"MATIK", "R4"}, {"ERAKA", "R6"}, {"BALIX", "R6"},
      {"ATSIX", "R6"}, {"VATRY", "S4"}, {"BAKUR", "S3"}, {"SLANY", "S2"}, {"BANBA", "S"},
      {"LIPGO", "T"},  {"NEVIL", "W"},  {"NIBOG", "U5"}, {"KUGUR", "U5"}, {"MIMKU", "U6"},
      {"IBROD", "U6"}, {"GOMUP", "U7"}, {"XAMAB", "V"},  {"ORVIK", "Z1"}, {"RIGUV", "Z2"},
      {"KLONN", "Z3"}, {"ALOTI", "Z4"}, {"NIVUN", "Z5"},
  };
  for (const auto& [point, code] : rows) {
    EXPECT_EQ(Code("LKPR", {"WAL", point, "END"}), code) << point;
  }
}

TEST_F(IntentionCodeItem, TableNamesMatchOnlyExactly) {
  const std::pair<const char*, const char*> rows[] = {
      {"LOLOX", "A"}, {"UIR05", "A"}, {"DIN", "H2"}, {"GIVPO", "K3"}, {"NIVUN", "Z5"}};
  for (const auto& [point, code] : rows) {
    EXPECT_EQ(Code("LKPR", {"START", point, "END"}), code) << point;
    const std::string name = point;
    EXPECT_EQ(Code("LKPR", {name + "X", name.substr(1), name.substr(0, name.size() - 1)}), "LKPR");
  }
  EXPECT_EQ(Code("LKPR", {"lolox", "Lolox", " DIN", "DIN "}), "LKPR");
}

TEST_F(IntentionCodeItem, FallbackIsTheDestinationAsFiled) {
  EXPECT_EQ(Code("lfpg", {"A", "B"}), "lfpg");
  EXPECT_EQ(Code("LFPGX", {}), "LFPG");
  EXPECT_EQ(Code("LF", {}), "LF");
  EXPECT_EQ(Code("K", {"ortac"}), "K");
  EXPECT_EQ(Code("", {}), "");
  EXPECT_EQ(Code("ksfo", {"ORTAC", "X"}, 1), "ksfo");
}

TEST_F(IntentionCodeItem, RouteContainsPointScansTheWholeRouteExactly) {
  world.AddOrGetAircraft("TEST1").route = {"ABC", "WAL", "DEF"};
  const auto route = plugin->AircraftSelect("TEST1").GetExtractedRoute();
  EXPECT_TRUE(RouteContainsPoint(route, "ABC"));
  EXPECT_TRUE(RouteContainsPoint(route, "DEF"));
  EXPECT_FALSE(RouteContainsPoint(route, "wal"));
  EXPECT_FALSE(RouteContainsPoint(route, "WA"));
  EXPECT_FALSE(RouteContainsPoint(route, ""));
  EXPECT_FALSE(RouteContainsPoint(EuroScopePlugIn::CAircraftExtractedRoute{}, "WAL"));
  world.AddOrGetAircraft("TEST1").route.clear();
  EXPECT_FALSE(RouteContainsPoint(route, "WAL"));
}

}  // namespace
}  // namespace kestrava
