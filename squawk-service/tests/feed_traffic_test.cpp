#include "squawk-service/feed_traffic.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace squawk_service {
namespace {

namespace feed = kestrava::network_feed;

feed::Pilot At(const char* callsign, const char* transponder, double latitude = 51,
               double longitude = 0) {
  feed::Pilot pilot;
  pilot.callsign = callsign;
  pilot.transponder = transponder;
  pilot.latitude = latitude;
  pilot.longitude = longitude;
  return pilot;
}

feed::Snapshot Of(std::vector<feed::Pilot> pilots) {
  feed::Snapshot snapshot;
  snapshot.pilots = std::move(pilots);
  return snapshot;
}

std::vector<int> Sorted(const FeedTraffic::CodeSet& codes) {
  std::vector<int> sorted(codes.begin(), codes.end());
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

TEST(FeedTrafficTest, CodesSquawkedCountAsideFromIgnoredAndInvalidOnes) {
  FeedTraffic traffic;
  EXPECT_TRUE(traffic.SquawkedFor("EGLL")->empty());  // before any snapshot
  traffic.Apply(Of({At("A", "2301"), At("B", "7000"), At("C", "2381"), At("D", ""), At("E", "0200"),
                    At("F", "4512"), At("G", "2301")}),
                100);
  EXPECT_EQ(Sorted(*traffic.SquawkedFor("EGLL")), (std::vector<int>{02301, 04512}));
}

TEST(FeedTrafficTest, WithAirportPositionsOnlyAircraftNearTheDepartureCount) {
  FeedTrafficOptions options;
  options.airports = {{"EGLL", {51.47, -0.46}}, {"KJFK", {40.64, -73.78}}};
  FeedTraffic traffic(options);
  const auto old = traffic.SquawkedFor("EGLL");
  traffic.Apply(Of({At("NEAR", "1234", 53.3, -6.3),    // Dublin, ~250 NM from EGLL
                    At("EDGE", "1235", 51.47, 8.0),    // ~316 NM east of EGLL
                    At("FAR", "4321", 40.7, -74.0)}),  // by KJFK
                100);
  const std::pair<const char*, std::vector<int>> cases[] = {
      {"EGLL", {01234}},
      {"egll", {01234}},
      {"KJFK", {04321}},
      {"LFPG", {01234, 01235, 04321}},  // not in the file: every aircraft counts
  };
  for (const auto& [airport, codes] : cases) {
    EXPECT_EQ(Sorted(*traffic.SquawkedFor(airport)), codes) << airport;
  }
  EXPECT_TRUE(old->empty());  // a set handed out earlier is unchanged
  const auto before = traffic.SquawkedFor("EGLL");
  traffic.Apply(Of({At("NEAR", "5555", 53.3, -6.3)}), 160);
  EXPECT_EQ(Sorted(*before), (std::vector<int>{01234}));
  EXPECT_EQ(Sorted(*traffic.SquawkedFor("EGLL")), (std::vector<int>{05555}));
}

TEST(FeedTrafficTest, HoldsAreReleasedOnceTheirCallsignIsAbsentLongEnough) {
  FeedTrafficOptions options;
  options.release_after = 600;
  FeedTraffic traffic(options);
  const std::vector<HeldCallsign> holds = {
      {"BAW1", 0},     // online, gone at 1060, back at 2160
      {"dlh2", 0},     // online throughout (the feed's callsign upper-case)
      {"AFR3", 0},     // never online: absent since the first snapshot (1000)
      {"KLM4", 1500},  // never online, held from 1500
  };
  EXPECT_TRUE(traffic.ToRelease(holds).empty());  // nothing before the first snapshot
  const struct {
    std::int64_t now;
    std::vector<const char*> online;
    std::vector<std::string> released;
  } steps[] = {
      {1000, {"BAW1", "DLH2"}, {}},
      {1060, {"DLH2"}, {}},
      {1599, {"DLH2"}, {}},
      {1600, {"DLH2"}, {"BAW1", "AFR3"}},  // BAW1 last seen at 1000
      {2099, {"DLH2"}, {"BAW1", "AFR3"}},
      {2100, {"DLH2"}, {"BAW1", "AFR3", "KLM4"}},
      {2160, {"DLH2", "baw1"}, {"AFR3", "KLM4"}},  // back online
  };
  for (const auto& step : steps) {
    std::vector<feed::Pilot> pilots;
    for (const char* callsign : step.online) pilots.push_back(At(callsign, "1234"));
    traffic.Apply(Of(pilots), step.now);
    EXPECT_EQ(traffic.ToRelease(holds), step.released) << step.now;
  }
}

TEST(FeedTrafficTest, AnOutageKeepsTheLastSnapshotReleasesNothingAndIsReportedOnce) {
  FeedTrafficOptions options;
  options.release_after = 600;
  FeedTraffic traffic(options);
  EXPECT_TRUE(traffic.Fail("refused", 10));  // no snapshot yet: the outage starts at once
  EXPECT_FALSE(traffic.Fail("refused", 70));
  FeedStatus status = traffic.Status(80);
  EXPECT_FALSE(status.has_snapshot);
  EXPECT_FALSE(status.age.has_value());
  traffic.Apply(Of({At("BAW1", "2301")}), 100);
  status = traffic.Status(130);
  EXPECT_FALSE(status.failing);
  EXPECT_EQ(status.age, 30);
  EXPECT_EQ(status.pilots, 1u);
  EXPECT_TRUE(traffic.Fail("syntax error", 160));
  for (std::int64_t now = 220; now < 3000; now += 60) EXPECT_FALSE(traffic.Fail("timeout", now));
  status = traffic.Status(3000);
  EXPECT_TRUE(status.failing);
  EXPECT_EQ(status.age, 2900);
  EXPECT_EQ(status.last_error, "timeout");
  EXPECT_EQ(Sorted(*traffic.SquawkedFor("EGLL")), (std::vector<int>{02301}));
  EXPECT_TRUE(traffic.ToRelease({{"BAW1", 0}, {"AFR3", 0}}).empty());
}

}  // namespace
}  // namespace squawk_service
