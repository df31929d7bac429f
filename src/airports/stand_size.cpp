#include "airports/stand_size.h"

#include <cmath>
#include <cstdint>
#include <gsl/narrow>
#include <limits>

double gf_standStepNm(double aircraftRadiusNm)
{
    return aircraftRadiusNm <= g_smallAircraftHalfSpanNm ? g_smallAircraftStepNm : g_largeAircraftStepNm;
}

bool gf_standSizeFits(const Stand& stand, double aircraftRadiusNm)
{
    if (!(aircraftRadiusNm - stand.radius <= g_standClearanceNm))
        return false;
    const double steps = std::round((stand.radius - aircraftRadiusNm) / gf_standStepNm(aircraftRadiusNm));
    // checked before the cast: a cast of a value beyond the range (or NaN) is undefined
    if (!(std::abs(steps) <= std::numeric_limits<std::int32_t>::max()))
        throw gsl::narrowing_error();
    return static_cast<std::int32_t>(steps) == 0;
}
