#include "squawk-service/feed_distance.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace squawk_service {

namespace {

constexpr double kEarthRadiusNm = 3440.065;
constexpr double kRadians = std::numbers::pi / 180;

}  // namespace

double GreatCircleNm(double lat1, double lon1, double lat2, double lon2) {
  const double half_dlat = std::sin((lat2 - lat1) * kRadians / 2);
  const double half_dlon = std::sin((lon2 - lon1) * kRadians / 2);
  const double a = half_dlat * half_dlat +
                   std::cos(lat1 * kRadians) * std::cos(lat2 * kRadians) * half_dlon * half_dlon;
  return 2 * kEarthRadiusNm * std::asin(std::sqrt(std::clamp(a, 0.0, 1.0)));
}

bool WithinNm(double lat1, double lon1, double lat2, double lon2, double radius_nm) {
  // The haversine's distance is never below the meridian arc; the margin outweighs its rounding.
  constexpr double kMarginNm = 1e-6;
  if (std::abs(lat2 - lat1) * kRadians * kEarthRadiusNm > radius_nm + kMarginNm) return false;
  return GreatCircleNm(lat1, lon1, lat2, lon2) <= radius_nm;
}

}  // namespace squawk_service
