#include "squawk-service/feed_airports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "squawk-service/feed_distance.h"

namespace squawk_service {
namespace {

TEST(FeedAirportsTest, ReadsPositionsSkippingBlankAndCommentLines) {
  std::istringstream in(
      "# ICAO LAT LON\n\nEGLL 51.4706 -0.461941\r\n  kjfk\t40.6398 -73.7789  \n"
      "YSSY -33.9461 +151.177\n");
  const AirportPositions airports = ReadAirports(in, "airports.txt");
  ASSERT_EQ(airports.size(), 3u);
  EXPECT_DOUBLE_EQ(airports.at("EGLL").latitude, 51.4706);
  EXPECT_DOUBLE_EQ(airports.at("KJFK").longitude, -73.7789);
  EXPECT_DOUBLE_EQ(airports.at("YSSY").longitude, 151.177);
}

TEST(FeedAirportsTest, RefusesABadLineNamingItAndWhy) {
  const std::pair<const char*, const char*> cases[] = {
      {"EGLL 51.4\n", "a.txt:1: expected \"ICAO LAT LON\", found 2 words"},
      {"\nEGLL 51 0 x\n", "a.txt:2: expected \"ICAO LAT LON\", found 4 words"},
      {"E 51 0\n", "a.txt:1: \"E\" is not an ICAO code"},
      {"EGLL_ 51 0\n", "a.txt:1: \"EGLL_\" is not an ICAO code"},
      {"EGLL 91 0\n", "a.txt:1: latitude \"91\" is not a number between -90 and 90"},
      {"EGLL 51 -180.5\n", "a.txt:1: longitude \"-180.5\" is not a number between -180 and 180"},
      {"EGLL 51,5 0\n", "a.txt:1: latitude \"51,5\" is not a number"},
      {"EGLL nan 0\n", "a.txt:1: latitude \"nan\" is not a number"},
      {"EGLL 1 2\negll 3 4\n", "a.txt:2: airport EGLL is given twice"},
  };
  for (const auto& [text, error] : cases) {
    std::istringstream in(text);
    try {
      ReadAirports(in, "a.txt");
      ADD_FAILURE() << "read: " << text;
    } catch (const AirportsFileError& e) {
      EXPECT_NE(std::string(e.what()).find(error), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(ReadAirportsFile("/nonexistent/airports.txt"), AirportsFileError);
}

TEST(FeedAirportsTest, GreatCircleDistances) {
  const struct {
    double lat1, lon1, lat2, lon2, nm;
  } cases[] = {
      {51.4706, -0.461941, 51.4706, -0.461941, 0},
      {0, 0, 1, 0, 60.04},                            // a degree of latitude
      {51.4706, -0.461941, 40.6398, -73.7789, 2991},  // EGLL - KJFK
      {0, 179.5, 0, -179.5, 60.04},                   // across the date line
      {0, 0, 0, 180, 10807.1},                        // antipodes
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(GreatCircleNm(c.lat1, c.lon1, c.lat2, c.lon2), c.nm, 1.0)
        << c.lat1 << "," << c.lon1 << " " << c.lat2 << "," << c.lon2;
  }
}

// The quick refusal by latitude never turns away what the distance lets in: positions due north
// at the radius and a hair either side of it, and far off in longitude only.
TEST(FeedAirportsTest, WithinARadiusAsTheDistanceSays) {
  constexpr double kRadius = 50.0;
  const double degree = GreatCircleNm(0, 0, 1, 0);
  for (const double lat : {-89.0, -30.0, 0.0, 51.47, 89.0}) {
    for (const double off :
         {kRadius / degree - 1e-12, kRadius / degree, kRadius / degree + 1e-12, 0.5, 1.0, 2.0}) {
      for (const double sign : {-1.0, 1.0}) {
        const double other = std::clamp(lat + sign * off, -90.0, 90.0);
        EXPECT_EQ(WithinNm(lat, 10, other, 10, kRadius),
                  GreatCircleNm(lat, 10, other, 10) <= kRadius)
            << lat << " " << other;
      }
    }
    EXPECT_EQ(WithinNm(lat, 10, lat, 10.9, kRadius), GreatCircleNm(lat, 10, lat, 10.9) <= kRadius);
  }
}

}  // namespace
}  // namespace squawk_service
