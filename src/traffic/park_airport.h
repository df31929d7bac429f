#pragma once
// The park airport (parkAirport of the airport data) as the traffic manager sets and leaves it,
// and the view the feed filter takes of it from any thread.
#include "feed/feed_hooks.h"

#include <string>

// Code and position of parkAirport, and its elevation once its parking file was read; taken
// under g_parkDataMutex (the feed's hook).
ParkAirportRef gf_parkAirportRef();
// The elevation (feet) of the park airport's parking file, for the feed filter.
void gf_setParkAirportElevation(double feet);
// The park airport's elevation, -1000 ft when none is known.
double gf_parkAirportElevationFt();

// Makes the listed airport with this code the park airport and logs it; false (nothing
// changes) for a code the airport list lacks.
bool gf_setParkAirport(const std::string& code);
// Leaves the park airport: the learned file written when something was learned or a setting
// changed, the window's park-airport values and the feed filter's position cleared, the plan
// and the stands dropped.
void gf_clearParkAirport();
