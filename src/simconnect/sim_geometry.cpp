#include "simconnect/sim_geometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double g_pi = 3.14159265358979323846;
constexpr double g_earthRadiusNm = 3440.065;

double lf_rad(double deg) { return deg * g_pi / 180.0; }

} // namespace

double gf_simDistanceNm(double lat1, double lon1, double lat2, double lon2)
{
    const double dLat = lf_rad(lat2 - lat1);
    const double dLon = lf_rad(lon2 - lon1);
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lf_rad(lat1)) * std::cos(lf_rad(lat2)) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * g_earthRadiusNm * std::asin(std::min(1.0, std::sqrt(a)));
}

double gf_simBearingDeg(double lat1, double lon1, double lat2, double lon2)
{
    const double y = std::sin(lf_rad(lon2 - lon1)) * std::cos(lf_rad(lat2));
    const double x = std::cos(lf_rad(lat1)) * std::sin(lf_rad(lat2)) -
                     std::sin(lf_rad(lat1)) * std::cos(lf_rad(lat2)) * std::cos(lf_rad(lon2 - lon1));
    const double deg = std::atan2(y, x) * 180.0 / g_pi;
    return std::fmod(deg + 360.0, 360.0);
}

void gf_simMoveAlong(double& lat, double& lon, double headingDeg, double nm)
{
    lat = std::clamp(lat + nm * std::cos(lf_rad(headingDeg)) / 60.0, -89.9, 89.9);
    lon = std::remainder(lon + nm * std::sin(lf_rad(headingDeg)) / (60.0 * std::cos(lf_rad(lat))), 360.0);
}
