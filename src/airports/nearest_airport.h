#pragma once
// The airport of the list at which the user aircraft stands: the nearest within 5 nm; where two
// lie that close, the one with a stand nearest to the position.
#include "airports/airport.h"
#include "foundation/geometry.h"

#include <optional>
#include <string>

std::optional<Airport> gf_findClosestAirport(const LatLon& position);
// The distance in nautical miles from the position to the nearest stand of the airport's parking
// file and that stand's name; 100.0 when the file cannot be found, downloaded or read, or has no stands.
double gf_readDestApfForClosestStand(const Airport& airport, const LatLon& position, std::string& standName);
