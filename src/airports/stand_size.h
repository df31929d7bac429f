#pragma once
// Whether an aircraft suits a stand by size: it may be at most 1.8 m larger in radius than the
// stand, and the stand may be larger only by less than half a step, the step being 14 m for an
// aircraft of at most 17.8 m half wingspan and 21 m for a larger one. The stand search scores
// stands by the same steps.
#include "airports/stand.h"

inline constexpr double g_standClearanceNm = 1.8 * g_nmPerMetre;
inline constexpr double g_smallAircraftHalfSpanNm = 17.8 * g_nmPerMetre;
inline constexpr double g_smallAircraftStepNm = 14.0 * g_nmPerMetre;
inline constexpr double g_largeAircraftStepNm = 21.0 * g_nmPerMetre;

// The step for an aircraft of this half wingspan (nautical miles).
double gf_standStepNm(double aircraftRadiusNm);
// The aircraft's half wingspan (nautical miles) exceeds the stand's radius by more than 1.8 m.
bool gf_standTooSmall(const Stand& stand, double aircraftRadiusNm);
// The aircraft of this half wingspan (nautical miles) fits the stand; a quotient beyond the
// 32-bit range raises gsl::narrowing_error.
bool gf_standSizeFits(const Stand& stand, double aircraftRadiusNm);
