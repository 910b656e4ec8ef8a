#include <gtest/gtest.h>

#include <string>

#include "tools/network-feed/feed_reader.h"
#include "tools/network-feed/iso_time.h"

namespace kestrava::network_feed {
namespace {

const char kDocument[] = R"({
  "general": {"version": 3, "reload": 1, "update_timestamp": "2026-12-07T19:51:30.1234567Z",
              "connected_clients": 2},
  "pilots": [
    {"cid": 1, "name": "Ann Example", "callsign": "BAW123", "server": "UK",
     "latitude": 51.47, "longitude": -0.4619, "altitude": 35002, "groundspeed": 451,
     "transponder": "2301", "heading": 270, "qnh_i_hg": 29.92,
     "flight_plan": {"flight_rules": "I", "aircraft": "H/B744/L", "aircraft_short": "B744",
                     "departure": "EGLL", "arrival": "KJFK", "alternate": "KBOS",
                     "altitude": "35000", "deptime": "1930", "route": "DCT \"X\" \u00c9 DCT",
                     "remarks": "/V/", "revision_id": 2, "assigned_transponder": "2301"},
     "logon_time": "2026-12-07T18:00:00Z", "nested": {"a": [[{"b": null}], {"c": [1, 2]}]}},
    {"callsign": "N1", "latitude": -90, "longitude": 180, "flight_plan": null,
     "transponder": null}
  ],
  "controllers": [{"callsign": "EGLL_TWR", "name": "Bob", "facility": 4,
                   "frequency": "118.500", "text_atis": ["a", "b"]}],
  "atis": [{"callsign": "EGLL_ATIS"}], "servers": [], "prefiles": [{"callsign": "X"}]
})";

TEST(NetworkFeedReaderTest, ReadsEveryFieldKeptAndSkipsTheRest) {
  const Snapshot snapshot = ReadFeed(std::string(kDocument) + "\r\n");
  EXPECT_EQ(snapshot.update_timestamp, "2026-12-07T19:51:30.1234567Z");
  EXPECT_EQ(snapshot.update_time, 1796673090);
  ASSERT_EQ(snapshot.pilots.size(), 2u);
  const Pilot& first = snapshot.pilots[0];
  EXPECT_EQ(first.callsign, "BAW123");
  EXPECT_EQ(first.name, "Ann Example");
  EXPECT_DOUBLE_EQ(first.latitude, 51.47);
  EXPECT_DOUBLE_EQ(first.longitude, -0.4619);
  EXPECT_EQ(first.altitude, 35002);
  EXPECT_EQ(first.groundspeed, 451);
  EXPECT_EQ(first.transponder, "2301");
  EXPECT_EQ(first.heading, 270);
  ASSERT_TRUE(first.flight_plan.has_value());
  const FlightPlan& plan = *first.flight_plan;
  EXPECT_EQ(plan.flight_rules + plan.aircraft_short + plan.departure + plan.arrival +
                plan.alternate + plan.altitude + plan.deptime + plan.remarks,
            "IB744EGLLKJFKKBOS350001930/V/");
  EXPECT_EQ(plan.route, "DCT \"X\" \xc3\x89 DCT");
  const Pilot& second = snapshot.pilots[1];
  EXPECT_EQ(second.callsign, "N1");
  EXPECT_EQ(second.latitude, -90);
  EXPECT_EQ(second.transponder, "");
  EXPECT_FALSE(second.flight_plan.has_value());
  ASSERT_EQ(snapshot.controllers.size(), 1u);
  EXPECT_EQ(snapshot.controllers[0].callsign, "EGLL_TWR");
  EXPECT_EQ(snapshot.controllers[0].facility, 4);
  EXPECT_EQ(snapshot.controllers[0].frequency, "118.500");
}

TEST(NetworkFeedReaderTest, PiecesOfAnySizeReadAsTheWhole) {
  const std::string document = kDocument;
  for (const std::size_t size : {1u, 2u, 7u, 64u}) {
    FeedReader reader;
    for (std::size_t at = 0; at < document.size(); at += size) {
      reader.Write(std::string_view(document).substr(at, size));
    }
    const Snapshot snapshot = reader.Finish();
    ASSERT_EQ(snapshot.pilots.size(), 2u) << size;
    EXPECT_EQ(snapshot.pilots[0].flight_plan->route, "DCT \"X\" \xc3\x89 DCT") << size;
    EXPECT_EQ(snapshot.pilots[0].altitude, 35002) << size;
    EXPECT_EQ(reader.BytesRead(), document.size());
  }
}

std::string WithPilot(const std::string& pilot) {
  return R"({"general": {"update_timestamp": "2026-01-01T00:00:00Z"}, "pilots": [)"
         R"({"callsign": "A1", "latitude": 1, "longitude": 2}, )" +
         pilot + "]}";
}

TEST(NetworkFeedReaderTest, NumbersAreReadFromTheirText) {
  const Snapshot snapshot = ReadFeed(
      WithPilot(R"({"callsign": "B", "latitude": 0e400, "longitude": -1.5E1, "altitude": 3.5e4})"));
  EXPECT_EQ(snapshot.pilots[1].latitude, 0);
  EXPECT_EQ(snapshot.pilots[1].longitude, -15);
  EXPECT_EQ(snapshot.pilots[1].altitude, 35000);
}

TEST(NetworkFeedReaderTest, RefusesAWrongDocumentNamingWhereAndWhat) {
  struct Case {
    std::string document;
    std::string error;
  };
  const std::string general = R"("general": {"update_timestamp": "2026-01-01T00:00:00Z"})";
  const Case cases[] = {
      {"", "the document is empty"},
      {"[]", "the document is not a JSON object"},
      {"{", "the document ends early (after 1 bytes)"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 2, "route)"),
       "the document ends early"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 2, "route": "DC)"),
       "the document ends early (after 183 bytes, inside pilots[1])"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 2, "flight_plan": {"route": "D)"),
       "inside pilots[1].flight_plan.route"},
      {R"({"general": {"update_timestamp": "2026-01-01T00:00:00Z"}, "pilots": []} {})",
       "data after the document at byte 72"},
      {R"({"pilots": []})", "no general"},
      {"{" + general + "}", "no pilots"},
      {R"({"general": {}, "pilots": []})", "general: no update_timestamp"},
      {R"({"general": {"update_timestamp": "2026-02-30T00:00:00Z"}, "pilots": []})",
       "general.update_timestamp: not an ISO time (\"2026-02-30T00:00:00Z\")"},
      {"{" + general + R"(, "pilots": {}})", "pilots: not an array"},
      {"{" + general + R"(, "pilots": [3]})", "pilots[0]: not an object"},
      {"{" + general + R"(, "pilots": [[]]})", "pilots[0]: not an object"},
      {WithPilot(R"({"callsign": "B", "latitude": "1", "longitude": 2})"),
       "pilots[1].latitude: not a number"},
      {WithPilot(R"({"callsign": "B", "latitude": 90.5, "longitude": 2})"),
       "pilots[1].latitude: 90.5 is not between -90 and 90"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 1e400})"),
       "pilots[1].longitude: 1e400 is not between -180 and 180"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 2, "altitude": 1.5})"),
       "pilots[1].altitude: 1.5 is not a whole number"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 2, "heading": 3e9})"),
       "pilots[1].heading: 3e9 is not a whole number"},
      {WithPilot(R"({"callsign": 5, "latitude": 1, "longitude": 2})"),
       "pilots[1].callsign: not a text"},
      {WithPilot(R"({"callsign": "", "latitude": 1, "longitude": 2})"),
       "pilots[1].callsign: empty"},
      {WithPilot(R"({"latitude": 1, "longitude": 2})"), "pilots[1]: no callsign"},
      {WithPilot(R"({"callsign": "B", "latitude": null, "longitude": 2})"),
       "pilots[1]: no latitude"},
      {WithPilot(R"({"callsign": "B", "callsign": "C", "latitude": 1, "longitude": 2})"),
       "pilots[1].callsign: given twice"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 2, "flight_plan": 1})"),
       "pilots[1].flight_plan: not an object or null"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 2,
                     "flight_plan": {"route": ["A"]}})"),
       "pilots[1].flight_plan.route: not a text"},
      {"{" + general + R"(, "pilots": [], "controllers": [{"name": "x"}]})",
       "controllers[0]: no callsign"},
      {"{" + general + R"(, "pilots": [], "controllers": [{"callsign": "A", "facility": "4"}]})",
       "controllers[0].facility: not a number"},
      {WithPilot(R"({"callsign": "B", "latitude": 1, "longitude": 2, "name": "x)"
                 "\x01"
                 R"("})"),
       "inside pilots[1].name"},
      {"{" + general + R"(, "x": )" + std::string(100, '[') + std::string(100, ']') +
           R"(, "pilots": []})",
       "nested deeper than 64 levels"},
  };
  for (const Case& c : cases) {
    try {
      ReadFeed(c.document);
      ADD_FAILURE() << "read: " << c.document;
    } catch (const FeedError& error) {
      EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos)
          << error.what() << "\nexpected: " << c.error << "\ndocument: " << c.document;
    }
  }
}

TEST(NetworkFeedReaderTest, ASpentReaderKeepsRefusing) {
  FeedReader reader;
  EXPECT_THROW(reader.Write("[1]"), FeedError);
  EXPECT_THROW(reader.Write("{}"), FeedError);
  EXPECT_THROW(reader.Finish(), FeedError);
}

TEST(NetworkFeedReaderTest, IsoTimesAndTransponderCodes) {
  const std::pair<const char*, std::optional<std::int64_t>> times[] = {
      {"1970-01-01T00:00:00Z", 0},
      {"2024-02-29T23:59:59.5Z", 1709251199},
      {"2026-12-07 19:51:30", 1796673090},
      {"2026-12-07T21:51:30+02:00", 1796673090},
      {"1969-12-31T23:00:00-01:00", 0},
      {"2023-02-29T00:00:00Z", std::nullopt},
      {"2026-12-07T24:00:00Z", std::nullopt},
      {"2026-12-07T19:51:30.Z", std::nullopt},
      {"2026-12-07T19:51Z", std::nullopt},
      {"2026-12-07T19:51:30Zx", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, expected] : times) EXPECT_EQ(ParseIsoTime(text), expected) << text;
  const std::pair<const char*, std::optional<int>> codes[] = {
      {"0000", 0},           {"7777", 4095},          {"2301", 02301},    {"2381", std::nullopt},
      {"230", std::nullopt}, {"23011", std::nullopt}, {"", std::nullopt}, {"-123", std::nullopt},
  };
  for (const auto& [text, expected] : codes) EXPECT_EQ(TransponderCode(text), expected) << text;
}

}  // namespace
}  // namespace kestrava::network_feed
