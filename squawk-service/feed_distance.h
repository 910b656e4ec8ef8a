// Great-circle distance between two positions on a spherical earth (mean radius 3,440.065 NM),
// by the haversine formula: accurate for short and antipodal distances alike.
//
// Thread: any; no state.
#pragma once

namespace squawk_service {

// Nautical miles between (lat1, lon1) and (lat2, lon2), in degrees.
double GreatCircleNm(double lat1, double lon1, double lat2, double lon2);

}  // namespace squawk_service
