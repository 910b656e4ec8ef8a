// Great-circle distance between two positions on a spherical earth (mean radius 3,440.065 NM),
// by the haversine formula: accurate for short and antipodal distances alike.
//
// Thread: any; no state.
#pragma once

namespace squawk_service {

// Nautical miles between (lat1, lon1) and (lat2, lon2), in degrees.
double GreatCircleNm(double lat1, double lon1, double lat2, double lon2);

// GreatCircleNm(lat1, lon1, lat2, lon2) <= radius_nm. Positions whose latitudes alone lie farther
// apart (no great circle between them is shorter than their meridian arc) are turned away
// without trigonometry: most of a worldwide feed, seen from one airport.
bool WithinNm(double lat1, double lon1, double lat2, double lon2, double radius_nm);

}  // namespace squawk_service
