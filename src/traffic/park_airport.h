#pragma once
// The park airport as the feed filter and the feed intake see it; any thread.
#include "feed/feed_hooks.h"

ParkAirportRef gf_parkAirportRef();
void gf_setParkAirportRef(ParkAirportRef airport);
// Code, position and elevation cleared.
void gf_clearParkAirport();
// The park airport's elevation, -1000 ft when none is known.
double gf_parkAirportElevationFt();
