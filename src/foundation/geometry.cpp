#include "foundation/geometry.h"

#include <algorithm>
#include <cmath>

double gf_distanceNm(const LatLon& a, const LatLon& b)
{
    const double latA = a.lat * g_deg2rad;
    const double latB = b.lat * g_deg2rad;
    const double sinDLat = std::sin((latB - latA) / 2.0);
    const double sinDLon = std::sin((b.lon * g_deg2rad - a.lon * g_deg2rad) / 2.0);
    const double h = sinDLat * sinDLat + std::cos(latB) * std::cos(latA) * sinDLon * sinDLon;
    return std::atan2(std::sqrt(h), std::sqrt(1.0 - h)) * g_earthDiameterNm;
}

double gf_bearingRad(const LatLon& from, const LatLon& to)
{
    const double latFrom = from.lat * g_deg2rad;
    const double latTo = to.lat * g_deg2rad;
    const double dLon = to.lon * g_deg2rad - from.lon * g_deg2rad;
    const double theta = std::atan2(std::sin(dLon) * std::cos(latTo),
                                    std::cos(latFrom) * std::sin(latTo) - std::sin(latFrom) * std::cos(latTo) * std::cos(dLon));
    return theta < 0.0 ? theta + g_twoPi : theta;
}

LatLon gf_destinationPoint(const LatLon& start, double bearingRad, double feet)
{
    const double delta = feet * g_feet2radians;
    const double lat1 = start.lat * g_deg2rad;
    const double lon1 = start.lon * g_deg2rad;
    const double lat2 = std::asin(std::sin(lat1) * std::cos(delta) + std::cos(lat1) * std::sin(delta) * std::cos(bearingRad));
    double lon2 = lon1 + std::atan2(std::sin(bearingRad) * std::sin(delta) * std::cos(lat1),
                                    std::cos(delta) - std::sin(lat1) * std::sin(lat2));
    lon2 = std::remainder(lon2, g_twoPi);
    return {lat2 * g_rad2deg, lon2 * g_rad2deg};
}

LatLonBox gf_reachBox(const LatLon& centre, double distanceNm)
{
    // a minute of latitude is a nautical mile; a minute of longitude at least its cosine at the
    // latitude farthest from the equator that the reach touches (1 % spare for the rounding)
    LatLonBox box{centre, distanceNm / 60.0 * 1.01, 360.0};
    const double cosLat = std::cos(std::min(std::fabs(centre.lat) + box.latDeg, 90.0) * g_deg2rad);
    if (cosLat > 0.01)
        box.lonDeg = std::min(box.latDeg / cosLat, 360.0);
    return box;
}
