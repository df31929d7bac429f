#pragma once
// The park-airport handling's state beside gf_handleParkAirports (traffic_jobs.h). Control thread.
#include "foundation/geometry.h"

// The static parking is calculated anew on the next call of the handling.
extern bool g_recalcParking;

// Every list entry's distance from the position; the list sorted by it, of two entries at the
// same distance the later one first.
void gf_sortParkAirports(const LatLon& position);
// Back to the start of a run.
void gf_resetParkAirportHandling();
