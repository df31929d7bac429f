#pragma once
// Short distances on a flat patch of the earth: positions move linearly in latitude and
// longitude between two path points, so speeds and tracks are measured the same way.
#include <cmath>

namespace feedserver {

inline constexpr double g_pi = 3.14159265358979323846;

struct FlatVector {
    double northNm = 0.0;
    double eastNm = 0.0;
};

inline FlatVector gf_flatVector(double lat1, double lon1, double lat2, double lon2)
{
    const double meanLat = (lat1 + lat2) / 2.0 * g_pi / 180.0;
    return FlatVector{(lat2 - lat1) * 60.0, (lon2 - lon1) * 60.0 * std::cos(meanLat)};
}

inline double gf_flatDistanceNm(double lat1, double lon1, double lat2, double lon2)
{
    const FlatVector v = gf_flatVector(lat1, lon1, lat2, lon2);
    return std::hypot(v.northNm, v.eastNm);
}

// [0, 360)
inline double gf_normalizedDeg(double deg)
{
    double d = std::fmod(deg, 360.0);
    if (d < 0.0)
        d += 360.0;
    return d >= 360.0 ? 0.0 : d;
}

inline double gf_flatBearingDeg(double lat1, double lon1, double lat2, double lon2)
{
    const FlatVector v = gf_flatVector(lat1, lon1, lat2, lon2);
    return gf_normalizedDeg(std::atan2(v.eastNm, v.northNm) * 180.0 / g_pi);
}

} // namespace feedserver
