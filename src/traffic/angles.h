#pragma once
// Angle helpers: every comparison of two directions goes through a wrapped difference, so that
// 359 and 1 degree lie 2 degrees apart.
#include "foundation/geometry.h"

#include <cmath>

// Into [-pi, pi].
inline double gf_wrapPi(double radians)
{
    double r = std::remainder(radians, g_twoPi);
    if (r < -3.141592653589793)
        r += g_twoPi;
    return r;
}

// Into [0, 2 pi).
inline double gf_normalize2Pi(double radians)
{
    double r = std::fmod(radians, g_twoPi);
    if (r < 0.0)
        r += g_twoPi;
    return r >= g_twoPi ? 0.0 : r;
}

// |a - b| in degrees, wrapped into [0, 180].
inline double gf_angleDiffDeg(double aDeg, double bDeg) { return std::fabs(std::remainder(aDeg - bDeg, 360.0)); }

// |a - b| of two angles in radians, in degrees, wrapped into [0, 180].
inline double gf_angleDiffRadToDeg(double a, double b) { return std::fabs(gf_wrapPi(a - b)) * g_rad2deg; }
