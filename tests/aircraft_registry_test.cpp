#include <gtest/gtest.h>

#include <stdexcept>

#include "aircraft/AircraftRegistry.h"

namespace kestrava {
namespace {

CAircraftData Record(const char* callsign) { return CAircraftData(callsign); }

TEST(AircraftRegistry, EmptyRegistryFindsNothing) {
  AircraftRegistry registry;
  EXPECT_EQ(registry.FindAircraft("BAW1"), -1);
  EXPECT_EQ(registry.FindAircraft(""), -1);
}

TEST(AircraftRegistry, LookupsFollowRemovals) {
  AircraftRegistry registry;
  EXPECT_EQ(registry.AddAircraft(Record("A")), 0);
  EXPECT_EQ(registry.AddAircraft(Record("B")), 1);
  EXPECT_EQ(registry.AddAircraft(Record("C")), 2);

  registry.RemoveAircraft(0);
  EXPECT_EQ(registry.Count(), 2);
  EXPECT_EQ(registry.FindAircraft("A"), -1);
  EXPECT_EQ(registry.FindAircraft("B"), 0);
  EXPECT_EQ(registry.FindAircraft("C"), 1);
  EXPECT_EQ(registry.GetAircraft(1).m_Callsign, "C");

  EXPECT_EQ(registry.AddAircraft(Record("A")), 2);
  registry.RemoveAircraft(1);
  EXPECT_EQ(registry.FindAircraft("B"), 0);
  EXPECT_EQ(registry.FindAircraft("C"), -1);
  EXPECT_EQ(registry.FindAircraft("A"), 1);
}

TEST(AircraftRegistry, CallsignsAreCaseSensitiveAndWhole) {
  AircraftRegistry registry;
  registry.AddAircraft(Record("BAW123"));
  EXPECT_EQ(registry.FindAircraft("baw123"), -1);
  EXPECT_EQ(registry.FindAircraft("BAW12"), -1);
  EXPECT_EQ(registry.FindAircraft("BAW1234"), -1);
  registry.AddAircraft(Record("baw123"));
  EXPECT_EQ(registry.FindAircraft("BAW123"), 0);
  EXPECT_EQ(registry.FindAircraft("baw123"), 1);
}

TEST(AircraftRegistry, DuplicateCallsignsAnswerTheFirstIndex) {
  AircraftRegistry registry;
  registry.AddAircraft(Record("X"));
  registry.AddAircraft(Record("Y"));
  registry.AddAircraft(Record("X"));
  EXPECT_EQ(registry.FindAircraft("X"), 0);
  registry.RemoveAircraft(0);
  EXPECT_EQ(registry.FindAircraft("X"), 1);
}

TEST(AircraftRegistry, InvalidIndexesAreRejected) {
  AircraftRegistry registry;
  registry.AddAircraft(Record("A"));
  for (int index : {-1, 1, 1000}) {
    EXPECT_THROW(registry.GetAircraft(index), std::invalid_argument) << index;
    EXPECT_THROW(registry.RemoveAircraft(index), std::invalid_argument) << index;
  }
  EXPECT_EQ(registry.Count(), 1);
}

TEST(CAircraftData, CopiesDoNotShareHistory) {
  CAircraftData source("EZY1");
  source.m_Positions.push_back({51.47, -0.45});
  CAircraftData copy = source;
  copy.m_Positions.push_back({51.48, -0.46});
  EXPECT_EQ(source.m_Positions.size(), 1u);
  EXPECT_EQ(copy.m_Positions.size(), 2u);

  AircraftRegistry registry;
  const int index = registry.AddAircraft(source);
  registry.GetAircraft(index).m_Positions.push_back({0, 0});
  EXPECT_EQ(source.m_Positions.size(), 1u);
}

TEST(CAircraftData, StartsWithTheDocumentedDefaults) {
  const CAircraftData record("DLH4");
  EXPECT_EQ(record.GetCallsign(), "DLH4");
  EXPECT_TRUE(record.m_Positions.empty());
  EXPECT_FALSE(record.m_TakenOff || record.m_Landed || record.m_OffBlock);
  EXPECT_EQ(record.m_LastGroundSpeed, -1000);
  EXPECT_EQ(record.GetEditedDepTime(), "");
  EXPECT_EQ(record.m_TakeOffTime, SystemTime{});
}

}  // namespace
}  // namespace kestrava
