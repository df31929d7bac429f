#pragma once
// Great-circle geometry on a sphere whose minute of arc is one nautical mile.

struct LatLon {
    double lat = 0.0; // degrees, north positive
    double lon = 0.0; // degrees, east positive
};

inline constexpr double g_deg2rad = 0.017453292519943295;
inline constexpr double g_rad2deg = 57.29577951308232;
inline constexpr double g_twoPi = 6.283185307179586;
inline constexpr double g_earthDiameterNm = 6875.493541569878;
inline constexpr double g_feet2radians = 4.787404208238998e-8;

double gf_distanceNm(const LatLon& a, const LatLon& b);
// Initial bearing in radians, [0, 2 pi), 0 = true north, clockwise.
double gf_bearingRad(const LatLon& from, const LatLon& to);
// The point reached after `feet` along the great circle; the longitude folded into [-180, 180].
LatLon gf_destinationPoint(const LatLon& start, double bearingRad, double feet);
