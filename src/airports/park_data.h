#pragma once
// The park airport and its stands, shared by the control thread, which owns them, and the
// SimClient thread, which asks for the stand nearest to the user and remembers the user's stand.
//
// g_parkDataMutex guards the structure of g_parkStands, parkAirport, the park-airport list
// (park_airport_list.h), my_park_airports.txt and the nearest-stand answer kept here. The control
// thread holds it while it changes any of them (a new stand vector goes in through
// gf_replaceParkStands) and while it reads the list's stands; its other reads need no lock. The
// SimClient thread takes it only inside gf_getNearestStandName and gf_rememberUserStand. The
// functions of the airport data take it themselves; it is recursive, so they may be called with
// it held.
#include "airports/airport.h"
#include "airports/stand.h"
#include "foundation/geometry.h"
#include "simlink/sim_records.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

extern std::recursive_mutex g_parkDataMutex;
// The stands of the park airport, in load order.
extern std::vector<Stand> g_parkStands;
// The park airport; an empty code means there is none.
extern Airport parkAirport;
// The park airport's stands come from a handmade file (set and cleared by the loader).
extern bool g_parkHandmade;
// The park airport's stands are loaded (read by other threads).
extern std::atomic<bool> g_parkAirportLoaded;

// Puts the stands in place of the park airport's under the lock and forgets the nearest-stand
// answer kept for the old ones.
void gf_replaceParkStands(std::vector<Stand> stands);

// The stand nearest to the position within 55 m; empty when there are no stands or the user
// aircraft is not on the ground. The answer is kept while the position stays within 1e-8 degrees.
std::string gf_getNearestStandName(const LatLon& position);
// Stores the stand at which the user aircraft stands (at most 2 kt, its on-ground state known in
// this run) in the park-airport list's first entry when that entry is the park airport, and
// records it in my_park_airports.txt. `user` is the traffic manager's snapshot.
void gf_rememberUserStand(const UserAcData& user);

// A park airport is set.
bool gf_parkAirportSet();
// Number of stands of the park airport.
std::size_t gf_parkStandCount();

// No park airport, no stands, no kept answer (tests, and the start of a process).
void gf_resetParkData();
