#pragma once
// Positions on the model's round earth: degrees, nautical miles.

double gf_simDistanceNm(double lat1, double lon1, double lat2, double lon2);
// Initial bearing from the first point to the second, 0 to 360 degrees true.
double gf_simBearingDeg(double lat1, double lon1, double lat2, double lon2);
// Moves the point `nm` along `headingDeg` (negative: backwards), for the short hops of a frame
// or a leg; the latitude stays within 89.9 degrees, the longitude within 180.
void gf_simMoveAlong(double& lat, double& lon, double headingDeg, double nm);
