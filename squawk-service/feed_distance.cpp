#include "squawk-service/feed_distance.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace squawk_service {

double GreatCircleNm(double lat1, double lon1, double lat2, double lon2) {
  constexpr double kEarthRadiusNm = 3440.065;
  constexpr double kRadians = std::numbers::pi / 180;
  const double dlat = (lat2 - lat1) * kRadians;
  const double dlon = (lon2 - lon1) * kRadians;
  const double a = std::sin(dlat / 2) * std::sin(dlat / 2) +
                   std::cos(lat1 * kRadians) * std::cos(lat2 * kRadians) * std::sin(dlon / 2) *
                       std::sin(dlon / 2);
  return 2 * kEarthRadiusNm * std::asin(std::sqrt(std::clamp(a, 0.0, 1.0)));
}

}  // namespace squawk_service
