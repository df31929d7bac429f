#pragma once
// A live aircraft takes a stand of the park airport: after it came to rest taxiing, or when it is
// first seen standing there. What stands in the way leaves (live aircraft by the callsign and
// ghost rules, static aircraft in every state), it drives onto the stand and parks.
#include "airports/stand.h"
#include "traffic/live_ac.h"

#include <cstdint>
#include <string_view>

// The free stand next to the last sample (20 m, 55 m when wide) is cleared and taken, unless it is
// the user's or the reserved one; the aircraft drives there. Once per last sample.
void try2Park(LiveAc& ac, bool wide);
// Two samples at the target: reached at the parking speed, then standing 50 ticks later.
void drive2Stand(LiveAc& ac, const StandPosition& target);
// The samples ran out while parking: parked within 2 m of the stand (engines off, the stand
// marked, the maximum parked held), back to taxi farther away, removed when another live
// aircraft holds the stand.
void checkArrival(LiveAc& ac);
// A parking aircraft at its stand's position holds the stand while it turns onto the stand's
// heading, unless another live aircraft holds it already.
void gf_holdReachedStand(LiveAc& ac);
// A parking aircraft goes back to taxi and gives up the stand it held.
void gf_parkingToTaxi(LiveAc& ac);
// A new aircraft standing (or barely moving) at a free stand of the park airport takes it; when
// the stand cannot be freed, or the aircraft left to hold the maximum parked and the airport is
// still full, the aircraft is flagged for removal. nullptr: no stand.
Stand* findStandAtSpawn(LiveAc& ac);
// The live aircraft standing on the stand makes way for one with this callsign, or keeps it.
bool standMayBeTaken(std::uint32_t standId, std::string_view callsign);
// A passenger aircraft parked on a stand marked for cargo clears the stand's cargo attribute.
void checkCargoStand(LiveAc& ac);
// The aircraft parked on the stand, or turning onto it, marks it occupied, and only it clears the
// mark again: one driving to a stand that another reached first leaves the mark alone.
void gf_occupyStand(LiveAc& ac, Stand& stand);
void gf_releaseStand(LiveAc& ac);
// The aircraft's stand fields from the stand (darkCabin: its cargo attribute); its departure
// check starts afresh.
void gf_takeStand(LiveAc& ac, const Stand& stand);
