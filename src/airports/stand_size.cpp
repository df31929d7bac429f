#include "airports/stand_size.h"

#include <cmath>
#include <cstdint>
#include <gsl/narrow>
#include <limits>

double gf_standStepNm(double aircraftRadiusNm)
{
    return aircraftRadiusNm <= g_smallAircraftHalfSpanNm ? g_smallAircraftStepNm : g_largeAircraftStepNm;
}

namespace {
// radii converted from metres differ from their exact difference by rounding: 1.8 m is 1.8 m
constexpr double lf_roundingNm = 1e-9;
} // namespace

bool gf_standTooSmall(const Stand& stand, double aircraftRadiusNm)
{
    return !(aircraftRadiusNm - stand.radius <= g_standClearanceNm + lf_roundingNm);
}

bool gf_standSizeFits(const Stand& stand, double aircraftRadiusNm)
{
    if (gf_standTooSmall(stand, aircraftRadiusNm))
        return false;
    const double steps = std::round((stand.radius - aircraftRadiusNm) / gf_standStepNm(aircraftRadiusNm));
    // checked before the cast: a cast of a value beyond the range (or NaN) is undefined
    if (!(std::abs(steps) <= std::numeric_limits<std::int32_t>::max()))
        throw gsl::narrowing_error();
    return static_cast<std::int32_t>(steps) == 0;
}
