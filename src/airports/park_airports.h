#pragma once
// What the run asks of the airport data: the airport list, the park airport and its stands,
// and the user's park-airport list.
#include "foundation/geometry.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <string_view>

// The park airport's stands are loaded.
extern std::atomic<bool> g_parkAirportLoaded;

// Reads airports/my_park_airports.txt and adds the my_thirdparty airports; false when a line
// named an unknown airport or the reading failed.
bool gf_readMyParkAirports();
// The position of the airport with this code in the airport list; none when it is not listed.
std::optional<LatLon> gf_findAirportPosition(std::string_view code);
// A park airport is set.
bool gf_parkAirportSet();
// Number of stands of the park airport.
std::size_t gf_parkStandCount();
// Stores the stand the user aircraft stands at in its park-airport entry (SimClient thread).
void gf_rememberUserStand();
