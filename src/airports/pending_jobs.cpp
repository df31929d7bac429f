// Minimal versions of the airport data's calls: no airports, no park airport, no stands.
#include "airports/park_airports.h"

std::atomic<bool> g_parkAirportLoaded{false};

bool gf_readMyParkAirports() { return true; }
std::optional<LatLon> gf_findAirportPosition(std::string_view /*code*/) { return std::nullopt; }
bool gf_parkAirportSet() { return false; }
std::size_t gf_parkStandCount() { return 0; }
void gf_rememberUserStand() {}
