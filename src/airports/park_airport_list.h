#pragma once
// The park airports: airports/my_park_airports.txt (a code per line, optionally "," and the
// user's stand there) and the parking files in airports/my_thirdparty. The list is the control
// thread's; it changes it and reads the entries' stands under g_parkDataMutex (park_data.h),
// which the functions here take themselves.
#include "foundation/geometry.h"

#include <cstdint>
#include <list>
#include <string>

struct MyParkAirport {
    std::string code;
    std::string stand;     // the user's stand at this airport; may be empty
    double latitude = 0.0; // degrees, from the airport list
    double longitude = 0.0;
    double distance = 0.0; // nautical miles from the user aircraft; 0 when made
    std::uint64_t listed = 0; // the handling's order of first sight (0: not yet): of equals, the later first
};

// Sorted by distance by the park-airport handling; the first entry is the one that is recorded.
extern std::list<MyParkAirport> g_myParkAirports;

// Empties the list, reads my_park_airports.txt into it, then adds the my_thirdparty airports.
// False when a line named an airport that the airport list lacks or the reading failed.
bool gf_readMyParkAirports();
// Records the list's first entry in my_park_airports.txt: the line of its code is replaced, or
// the line is added; the lines are kept sorted and unique, and the file is replaced whole.
// Nothing for an empty list.
void gf_writeMyParkAirports();
// Writes one entry into my_park_airports.txt; needs no lock of the park data.
void gf_writeMyParkAirportEntry(const MyParkAirport& entry);
// Puts the airport first in the list (the destination): its entry moves to the front, or a new
// entry is made there and recorded in my_park_airports.txt. std::length_error "list too long"
// when the list cannot grow.
void gf_setDestinationParkAirport(const std::string& code, const LatLon& position);
