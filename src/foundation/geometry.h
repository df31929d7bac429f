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

// The degrees of latitude and longitude within which points up to a distance may lie: a point
// outside is farther for sure, and most points are passed over without a distance computed.
struct LatLonBox {
    LatLon centre;
    double latDeg = 0.0;
    double lonDeg = 0.0;
    bool mayHold(const LatLon& p) const
    {
        const double dLon = p.lon - centre.lon;
        const double d = dLon < 0.0 ? -dLon : dLon;
        // NaN compares false: such a point goes on to the distance
        return !(p.lat - centre.lat > latDeg || centre.lat - p.lat > latDeg) && !(d > lonDeg && 360.0 - d > lonDeg);
    }
};
LatLonBox gf_reachBox(const LatLon& centre, double distanceNm);
