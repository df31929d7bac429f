#pragma once
// The box around the user aircraft that the live-traffic requests ask for.
#include "foundation/geometry.h"

struct QueryBox {
    double top = 52.44;   // latitude, degrees
    double bottom = 52.17;
    double left = 4.54;   // longitude, degrees
    double right = 4.98;
};

// The box of `rangeNm` around a position: a flat 111.2 km per degree of latitude, the
// longitudes along the great circle through the centre.
QueryBox gf_computeQueryBox(const LatLon& centre, double rangeNm);

// Recomputes the traffic client's box from the user snapshot and RANGE when the aircraft has
// moved noticeably or the range changed; keeps it while no position is known.
void gf_updateQueryBox();
